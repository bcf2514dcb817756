#include "base/utf.h"

#include <gtest/gtest.h>

namespace {

// Well-formed text of every length of sequence goes through UTF-16 and back as it was;
// what is not UTF-8 comes back as U+FFFD, one for each byte that starts nothing.
TEST(Utf, ConversionsBothWays) {
  const struct {
    std::string utf8;
    std::u16string utf16;
  } kSame[] = {
      {"", u""},
      {"plain 4", u"plain 4"},
      {"café naïve 3", u"café naïve 3"},
      {"窗口标题：", u"窗口标题："},
      {"한국어 창 1", u"한국어 창 1"},
      {"🚀 rocket 2", u"🚀 rocket 2"},
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : kSame) {
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
  }
  const struct {
    std::string bytes;
    std::u16string utf16;
  } kIllFormed[] = {
      {"a\x80z", u"a\uFFFDz"},           // a stray continuation byte
      {"\xE4\xB8", u"\uFFFD\uFFFD"},     // a sequence cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},     // an over-long "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
  };
  for (const auto& c : kIllFormed) EXPECT_EQ(Utf16FromUtf8(c.bytes), c.utf16);
  EXPECT_EQ(Utf8FromUtf16(u"x\xD83Dy"), "x\uFFFDy");  // a high half alone
  EXPECT_EQ(Utf8FromUtf16(u"\xDE80"), "\uFFFD");      // a low half alone
}

// A bounded read keeps whole characters: the cut moves back to the start of the
// character it would fall in.
TEST(Utf, CutPointsKeepCharactersWhole) {
  const std::string rocket = "a🚀b";  // 1 + 4 + 1 bytes
  const struct {
    size_t most, cut;
  } kUtf8[] = {{0, 0}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 5}, {6, 6}, {99, 6}};
  for (const auto& c : kUtf8) EXPECT_EQ(Utf8CutPoint(rocket, c.most), c.cut) << c.most;
  EXPECT_EQ(Utf8CutPoint("中文", 4), 3u);

  const std::u16string wide = u"a🚀b";  // 1 + 2 + 1 units
  const struct {
    size_t most, cut;
  } kUtf16[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {99, 4}};
  for (const auto& c : kUtf16) EXPECT_EQ(Utf16CutPoint(wide, c.most), c.cut) << c.most;
  // Cut by something else already: the high half left at the end goes.
  EXPECT_EQ(Utf16CutPoint(u"ab\xD83D", 3), 2u);
}

}  // namespace
