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
    for (int ch : {0x08, 0x61, 0x20, 0x2E, 0x7F, 0xA3, 0xFF})
      EXPECT_TRUE(AcceptsTypedChar(mode, static_cast<unsigned char>(ch))) << mode << " " << ch;
}

TEST(EditRules, OnlyTheValueModesNormalise) {
  for (int mode = -1; mode <= 12; ++mode)
    EXPECT_EQ(NormalisesOnLeave(mode), mode >= 5 && mode <= 11) << mode;
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
      {7, "\xA3\xB1", ""},  // a full-width digit is not a digit here
      // Byte, short and long.
      {5, "300", "255"},
      {5, "-5", ""},
      {5, "007", "7"},
      {6, "32768", "32767"},
      {6, "-32769", "-32768"},
      {8, "9223372036854775807", "9223372036854775807"},
      {8, "9223372036854775808", "9223372036854775807"},
      {8, "-9223372036854775808", "-9223372036854775808"},
      {8, "-99999999999999999999", "-9223372036854775808"},
      {8, "99999999999", "99999999999"},
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
      // A time that does not read is left out, like any text after the date.
      {"2024-01-02 25:00", "2024年1月2日"},
      {"2024-01-02 12:", "2024年1月2日"},
      {"2024-01-02 12:60", "2024年1月2日"},
      {"2024-01-02x", "2024年1月2日"},
      // No date.
      {"2023-02-29", ""},
      {"2024-13-01", ""},
      {"2024-00-10", ""},
      {"2024-01-32", ""},
      {"99-01-01", ""},
      {"20245-01-01", ""},
      {"2024-01/02", ""},
      {"2024-001-02", ""},
      {"2024", ""},
      {"", ""},
      {"abc", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormaliseOnLeave(11, c.text), c.expected) << c.text;
}

}  // namespace
