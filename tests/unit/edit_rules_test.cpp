// The edit box's input modes: the typing filter and the text left behind on
// leaving a box.
#include "ui/edit_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(EditRules, TypingFilterByModeFamily) {
  // The characters each family takes, besides the control characters.
  const struct {
    int modes[4];
    const char* accepted;
  } families[] = {
      {{3, 6, 7, 8}, "-0123456789"},
      {{4, 9, 10, -1}, "-.0123456789"},
      {{5, -1, -1, -1}, "0123456789"},
  };
  for (const auto& family : families) {
    for (int mode : family.modes) {
      if (mode < 0) continue;
      for (int ch = 0; ch < 256; ++ch) {
        bool expected = ch < 0x20 || (ch != 0 && std::strchr(family.accepted, ch));
        EXPECT_EQ(AcceptsTypedChar(mode, static_cast<unsigned char>(ch)), expected)
            << "mode " << mode << " char " << ch;
      }
    }
  }
  for (int mode : {0, 1, 2, 11, 12, -1})
    for (uint32_t ch : {0x08u, 0x61u, 0x20u, 0x2Eu, 0x7Fu, 0xA3u, 0xFFu, 0x4E2Du, 0xFF11u})
      EXPECT_TRUE(AcceptsTypedChar(mode, ch)) << mode << " " << ch;
}

// Typed characters come as UTF-16 code units: one whose low byte is a digit, "-",
// "." or a control character is still refused by the numeric modes.
TEST(EditRules, WideCharactersNeverPassForDigits) {
  const uint32_t kWide[] = {
      0x4E2D,  // 中, low byte "-"
      0xFF11,  // full-width 1, low byte a control character
      0xFF0D,  // full-width minus
      0x0130,  // low byte "0"
      0x012E,  // low byte "."
      0x0108,  // low byte Backspace
      0xD83D,  // a surrogate
      0x10030,
  };
  for (int mode = 3; mode <= 10; ++mode)
    for (uint32_t ch : kWide) EXPECT_FALSE(AcceptsTypedChar(mode, ch)) << mode << " " << ch;
}

// Pasted or composed text keeps only what typing would take, full-width digits and
// minus folded as typed ones are, control characters left out; the modes that take
// any text keep it whole.
TEST(EditRules, TextArrivingWholeKeepsTheAcceptedCharacters) {
  const struct {
    int mode;
    std::u16string_view text;
    std::u16string_view kept;
  } cases[] = {
      {7, u"12中3", u"123"},
      {7, u"12ab", u"12"},
      {7, u"-\uFF11\uFF12", u"-12"},
      {7, u"\uFF18\uFF10\uFF10", u"800"},
      {7, u"\uFF0D\uFF15\u3000", u"-5"},
      {7, u"1\t2\b3", u"123"},
      {7, u"中文", u""},
      {7, u"", u""},
      {9, u"1.5e3", u"1.53"},
      {5, u"-12", u"12"},
      {0, u"12中\t", u"12中\t"},
      {11, u"2024年", u"2024年"},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(KeepAcceptedChars(c.mode, c.text) == c.kept)
        << c.mode << " " << c.text.size() << " code units";
  const struct {
    uint32_t ch, folded;
  } kFold[] = {{0xFF00, 0xFF00}, {0xFF01, '!'}, {0xFF5E, '~'},   {0xFF5F, 0xFF5F},
               {0x2FFF, 0x2FFF}, {0x3000, ' '}, {0x3001, 0x3001}};
  for (const auto& c : kFold) EXPECT_EQ(FoldFullWidthChar(c.ch), c.folded) << c.ch;
}

// The modes from -1 to 12 for which `rule` holds.
std::string ModesWhere(bool (*rule)(int)) {
  std::string modes;
  for (int mode = -1; mode <= 12; ++mode)
    if (rule(mode)) modes += std::to_string(mode) + " ";
  return modes;
}

TEST(EditRules, OnlyTheValueModesNormalise) {
  EXPECT_EQ(ModesWhere(FiltersInput), "3 4 5 6 7 8 9 10 ");
  EXPECT_EQ(ModesWhere(NormalisesOnLeave), "5 6 7 8 9 10 11 ");
  EXPECT_EQ(NormaliseOnLeave(0, " 0800 x"), " 0800 x");
  EXPECT_EQ(NormaliseOnLeave(3, "-0"), "-0");
  EXPECT_EQ(NormaliseOnLeave(4, nullptr), "");
}

TEST(EditRules, IntegerModes) {
  const struct {
    int mode;
    const char* text;
    const char* expected;
  } cases[] = {
      // The main window's numeric fields.
      {7, "0800", "800"},
      {7, "-", ""},
      {7, "0", ""},
      {7, "-0", ""},
      {7, nullptr, ""},
      {7, "12-3", "12"},
      {7, "0005", "5"},
      {7, "12ab", "12"},
      {7, " \t+42", "42"},
      {7, "+-3", ""},
      {7, "99999", "99999"},
      {7, "2147483648", "2147483647"},
      {7, "-2147483649", "-2147483648"},
      {7, "99999999999", "2147483647"},
      {7, "-99999999999999999999999", "-2147483648"},
      {7, "１", ""},  // a full-width digit is not a digit here
      // Byte, short and long.
      {5, "300", "255"},
      {5, "-5", ""},
      {5, "007", "7"},
      {5, "255", "255"},
      {5, "256", "255"},
      {6, "32768", "32767"},
      {6, "-32769", "-32768"},
      {8, "9223372036854775807", "9223372036854775807"},
      {8, "9223372036854775808", "9223372036854775807"},
      {8, "-9223372036854775808", "-9223372036854775808"},
      {8, "-99999999999999999999", "-9223372036854775808"},
      {8, "99999999999", "99999999999"},
      {8, "9223372036854775806", "9223372036854775806"},  // one below the saturation test's edge
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormaliseOnLeave(c.mode, c.text), c.expected)
        << "mode " << c.mode << " text " << (c.text ? c.text : "<null>");
}

TEST(EditRules, DecimalModes) {
  const struct {
    int mode;
    const char* text;
    const char* expected;
  } cases[] = {
      {10, "3.25", "3.25"},
      {10, "-.5x", "-0.5"},
      {10, "5.", "5"},
      {10, "0.1", "0.1"},
      {10, "100000", "100000"},
      {10, "1e3", "1000"},
      {10, "1e", "1"},
      {10, "2E-3", "0.002"},
      {10, "1e999", "1.7976931348623157e+308"},
      {10, "-1e999", "-1.7976931348623157e+308"},
      {10, "1e-30", "1e-30"},
      {10, "1e25", "1e+25"},
      // Plain digits up to 20 characters, an exponent past them.
      {10, "1e19", "10000000000000000000"},
      {10, "1e20", "1e+20"},
      {10, "-1e18", "-1000000000000000000"},
      {10, "-1e19", "-1e+19"},
      {10, "1e-18", "0.000000000000000001"},
      {10, "1e-19", "1e-19"},
      {10, "-0.0", ""},
      {10, ".", ""},
      {10, "-", ""},
      {10, "inf", ""},
      {10, "0x10", ""},
      {10, "1.2.3", "1.2"},
      {9, "0.1", "0.1"},
      {9, "16777217", "16777216"},
      {9, "1e39", "3.4028235e+38"},
      {9, "1e-50", ""},
      {9, "-2.5abc", "-2.5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormaliseOnLeave(c.mode, c.text), c.expected)
        << "mode " << c.mode << " text " << c.text;
}

TEST(EditRules, DateTimeMode) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"2024-01-02", "2024年1月2日"},
      {" 2024/1/2 3:04", "2024年1月2日3时4分"},
      {"2024.12.31 23:59:59", "2024年12月31日23时59分59秒"},
      {"2024-02-29 10:00", "2024年2月29日10时"},
      {"2024年1月2日3时4分5秒", "2024年1月2日3时4分5秒"},
      {"2024年1月2日3时", "2024年1月2日3时"},
      {"1899-12-29 12:00", "1899年12月29日12时"},  // before the day count's origin
      {"0100-01-01", "100年1月1日"},
      {"9999-12-31", "9999年12月31日"},
      {"2000-02-29", "2000年2月29日"},
      {"2024-01-02 12:30:", "2024年1月2日12时30分"},
      // A time that does not read is left out, like any text after the date.
      {"2024-01-02 24:00", "2024年1月2日"},
      {"2024-01-02 23:59:60", "2024年1月2日"},
      {"2024-01-02 12:", "2024年1月2日"},
      {"2024-01-02 12:60", "2024年1月2日"},
      {"2024-01-02 12:345", "2024年1月2日"},
      {"2024-01-02x", "2024年1月2日"},
      // No date.
      {"2023-02-29", ""},
      {"1900-02-29", ""},
      {"2100-02-29", ""},
      {"2024-13-01", ""},
      {"2024-00-10", ""},
      {"2024-01-32", ""},
      {"99-01-01", ""},
      {"20245-01-01", ""},
      {"2024-01/02", ""},
      {"2024-001-02", ""},
      {"2024-01-022", ""},
      {"2024", ""},
      {"", ""},
      {"abc", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseOnLeave(11, c.text), c.expected) << c.text;
}

// The last day of every month is a date and the day after it is none.
TEST(EditRules, MonthLengths) {
  const int kLastDay[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    const std::string ym = "2023-" + std::to_string(month) + "-";
    const std::string last = ym + std::to_string(kLastDay[month - 1]);
    EXPECT_EQ(NormaliseOnLeave(11, last.c_str()),
              "2023年" + std::to_string(month) + "月" + std::to_string(kLastDay[month - 1]) + "日");
    EXPECT_EQ(NormaliseOnLeave(11, (ym + std::to_string(kLastDay[month - 1] + 1)).c_str()), "");
  }
}

}  // namespace
