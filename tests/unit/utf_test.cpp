#include "base/utf.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Well-formed text of every length of sequence, and a lone surrogate, goes through
// UTF-16 and back as it was;
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
      // Either side of each limit of the sequence lengths and of the surrogates.
      {"\x7F\xC2\x80", u"\x7F\x80"},
      {"\xDF\xBF\xE0\xA0\x80", u"\u07FF\u0800"},
      {"\xED\x9F\xBF\xEE\x80\x80", u"\uD7FF\uE000"},
      {"\xEF\xBF\xBF\xF0\x90\x80\x80", u"\uFFFF\U00010000"},
      // A title may hold half of a pair alone: it is kept in the 3-byte form.
      {"x\xED\xA0\xBDy", u"x\xD83Dy"},
      {"\xED\xBA\x80", u"\xDE80"},
      {"\xED\xBF\xBF\xED\xAF\xBF", u"\xDFFF\xDBFF"},  // the last low half, then a high one
  };
  for (const auto& c : kSame) {
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
  }
  const struct {
    std::string bytes;
    std::u16string utf16;
  } kIllFormed[] = {
      {"a\x80z", u"a\uFFFDz"},                            // a stray continuation byte
      {"\xE4\xB8", u"\uFFFD\uFFFD"},                      // a sequence cut short
      {"\xC3\xC3\xA9", u"\uFFFD\u00E9"},                  // a lead byte for a continuation
      {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // an over-long "/"
      {"\xE0\x9F\xBF", u"\uFFFD\uFFFD\uFFFD"},            // an over-long U+07FF
      {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // an over-long U+FFFF
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
  };
  for (const auto& c : kIllFormed) EXPECT_EQ(Utf16FromUtf8(c.bytes), c.utf16);
  // A text cut between the halves, in a buffer that goes on: nothing past the cut counts.
  EXPECT_EQ(Utf8FromUtf16(std::u16string_view(u"\xD83D\xDE80", 1)), "\xED\xA0\xBD");
}

// A bounded text keeps whole characters: a 4-byte sequence becomes a surrogate pair
// only where both halves fit, and a cut never parts a pair.
TEST(Utf, CutPointsKeepCharactersWhole) {
  const struct {
    size_t capacity;
    std::u16string kept;
  } kInto[] = {{1, u""}, {2, u"a"}, {3, u"a"}, {4, u"a🚀"}, {5, u"a🚀b"}, {99, u"a🚀b"}};
  for (const auto& c : kInto) {
    char16_t out[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    const size_t n = Utf16Into("a🚀b", out, std::min<size_t>(c.capacity, 8));
    EXPECT_EQ(std::u16string(out, n), c.kept) << c.capacity;
    EXPECT_EQ(out[n], u'\0') << c.capacity;
  }

  char16_t none[1] = {u'x'};
  EXPECT_EQ(Utf16Into("a", none, 0), 0u);
  EXPECT_EQ(none[0], u'x');  // no room even for the NUL
  // U+10000, the first character of two units.
  char16_t first[3];
  ASSERT_EQ(Utf16Into("\xF0\x90\x80\x80", first, 3), 2u);
  EXPECT_EQ(std::u16string(first, 2), u"\U00010000");

  const std::u16string wide = u"a🚀b";  // 1 + 2 + 1 units
  const struct { size_t most, cut; } kUtf16[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 4}, {99, 4}};
  for (const auto& c : kUtf16) EXPECT_EQ(Utf16CutPoint(wide, c.most), c.cut) << c.most;
  // Nothing before the start counts either.
  EXPECT_EQ(Utf16CutPoint(std::u16string_view(u"\xD83D\xDE80").substr(1), 0), 0u);
  // Cut by something else already: the high half left at the end goes.
  EXPECT_EQ(Utf16CutPoint(u"ab\xD83D", 3), 2u);
}

}  // namespace
