// Titles matched by a pattern of * and ?, and why a window was not placed.
#include "engine/title_pattern.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/refusal.h"

namespace {

TEST(TitleLike, StarsAndQuestionMarks) {
  const struct {
    std::u16string title, pattern;
    bool want;
  } cases[] = {
      {u"客户端 3 – 57 FPS", u"客户端 * FPS", true},
      {u"客户端 3 – 57 FPS", u"客户端 ? – * FPS", true},
      {u"客户端 12 – 57 FPS", u"客户端 ? – * FPS", false},
      {u"客户端", u"客户端*", true},  // a star takes nothing too
      {u"", u"*", true},
      {u"", u"?", false},
      {u"AB", u"A", false},  // the whole title
      {u"XAB", u"A*", false},
      {u"MAIL - INBOX - BROWSER", u"*-*BROWSER", true},
      {u"ABAB", u"*AB", true},  // going back to the star
      {u"ABAC", u"*AB", false},
      {u"A*B", u"A*B", true},
      {u"\U0001F680 1", u"? 1", true},  // one character, two UTF-16 units
      {u"\U0001F680 1", u"?? 1", false},
      {u"\xD800 1", u"? 1", true},  // a surrogate on its own is a character
  };
  // Going back only to the last star: a matcher that tried every split would not end.
  EXPECT_FALSE(TitleLike(std::u16string(2000, u'A') + u"B", [] {
    std::u16string p;
    for (int i = 0; i < 20; ++i) p += u"*A";
    return p + u"*C";
  }()));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(TitleLike(cases[i].title, cases[i].pattern), cases[i].want) << "case " << i;
}

// What the report says of a window that was not placed.
TEST(NotPlacedBecause, ClosedBusyHigherRightsOrRefused) {
  constexpr int32_t kMedium = 0x2000, kHigh = 0x3000, kSystem = 0x4000;
  const struct {
    const char* name;
    RefusalFacts facts;
    Landing want;
  } cases[] = {
      {"closed meanwhile", {false, true, kHigh, kMedium}, Landing::kGone},
      {"closed while its program was silent", {false, false, kMedium, kMedium}, Landing::kGone},
      {"not answering, with higher rights", {true, false, kHigh, kMedium}, Landing::kHigherRights},
      {"not answering", {true, false, kMedium, kMedium}, Landing::kBusy},
      {"run as administrator", {true, true, kHigh, kMedium}, Landing::kHigherRights},
      {"a system process", {true, true, kSystem, kHigh}, Landing::kHigherRights},
      {"the same level", {true, true, kHigh, kHigh}, Landing::kRefused},
      {"a lower level", {true, true, kMedium, kHigh}, Landing::kRefused},
      {"their level unknown", {true, true, kUnknownLevel, kMedium}, Landing::kRefused},
      {"ours unknown", {true, true, kHigh, kUnknownLevel}, Landing::kRefused},
  };
  for (const auto& c : cases) EXPECT_EQ(NotPlacedBecause(c.facts), c.want) << c.name;
}

}  // namespace
