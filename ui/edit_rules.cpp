// The edit box's input modes: the characters each takes and the text it leaves.
#include "ui/edit_rules.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/value.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The white space of the C library: space, tab, line feed, vertical tab, form feed
// and carriage return.
const char* SkipSpace(const char* p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  return p;
}

bool SkipToken(const char*& p, const char* token) {
  size_t n = std::strlen(token);
  if (std::strncmp(p, token, n) != 0) return false;
  p += n;
  return true;
}

// One to `maxDigits` digits, not followed by another digit.
bool ReadField(const char*& p, int maxDigits, int& value) {
  const char* q = p;
  value = 0;
  for (int n = 0; n < maxDigits && IsDigit(*q); ++n, ++q) value = value * 10 + (*q - '0');
  if (q == p || IsDigit(*q)) return false;
  p = q;
  return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to a civil date of a positive year (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  int64_t era = y / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The time of day after a date, in seconds; false when none reads in full.
bool ReadTimeOfDay(const char* p, int& seconds) {
  p = SkipSpace(p);
  int hour, minute = 0, second = 0;
  if (!ReadField(p, 2, hour)) return false;
  if (*p == ':') {
    ++p;
    if (!ReadField(p, 2, minute)) return false;
    if (*p == ':' && IsDigit(p[1])) {
      ++p;
      if (!ReadField(p, 2, second)) return false;
    }
  } else if (SkipToken(p, "时")) {
    if (ReadField(p, 2, minute)) {
      SkipToken(p, "分");
      if (ReadField(p, 2, second)) SkipToken(p, "秒");
    }
  } else {
    return false;
  }
  if (hour > 23 || minute > 59 || second > 59) return false;
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

// Zero shows as the empty text in the numeric modes.
std::string IntegerText(int64_t value) { return value ? std::to_string(value) : std::string(); }

// The shortest text that reads back as the same value: plain digits while that
// stays short, else with an exponent.
template <typename F>
std::string DecimalText(F value) {
  if (value == 0) return std::string();  // also -0
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  if (r.ec == std::errc() && r.ptr - buf <= 20) return std::string(buf, r.ptr);
  r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

}  // namespace

bool AcceptsTypedChar(int inputMode, uint32_t ch) {
  if (ch < 0x20) return true;
  bool digit = ch >= '0' && ch <= '9';
  switch (inputMode) {
    case 3:
    case 6:
    case 7:
    case 8: return digit || ch == '-';
    case 4:
    case 9:
    case 10: return digit || ch == '-' || ch == '.';
    case 5: return digit;
    default: return true;
  }
}

bool FiltersInput(int inputMode) { return inputMode >= 3 && inputMode <= 10; }

uint32_t FoldFullWidthChar(uint32_t ch) {
  if (ch >= 0xFF01 && ch <= 0xFF5E) return ch - 0xFEE0;
  return ch == 0x3000 ? ' ' : ch;
}

std::u16string KeepAcceptedChars(int inputMode, std::u16string_view text) {
  if (!FiltersInput(inputMode)) return std::u16string(text);
  std::u16string kept;
  for (char16_t unit : text) {
    const uint32_t ch = FoldFullWidthChar(unit);
    if (ch >= 0x20 && AcceptsTypedChar(inputMode, ch)) kept += static_cast<char16_t>(ch);
  }
  return kept;
}

bool NormalisesOnLeave(int inputMode) { return inputMode >= 5 && inputMode <= 11; }

int64_t ReadLeadingInteger64(const char* text) {
  if (!text) return 0;
  const char* p = SkipSpace(text);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  uint64_t magnitude = 0;
  for (; IsDigit(*p); ++p) {
    auto digit = static_cast<uint64_t>(*p - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  return magnitude == limit ? INT64_MIN : -static_cast<int64_t>(magnitude);
}

double ReadLeadingDecimal(const char* text) {
  if (!text) return 0;
  const char* start = SkipSpace(text);
  const char* p = start;
  if (*p == '+' || *p == '-') ++p;
  size_t digits = 0;
  for (; IsDigit(*p); ++p) ++digits;
  if (*p == '.')
    for (++p; IsDigit(*p); ++p) ++digits;
  if (!digits) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  // Only the number itself goes to strtod, so it never sees "inf", "nan" or hex.
  // The program keeps the C locale, whose decimal point is ".".
  std::string number(start, p);
  double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) value = std::copysign(DBL_MAX, value);
  return value;
}

bool ReadLeadingDateTime(const char* text, double& days) {
  if (!text) return false;
  const char* p = SkipSpace(text);
  int year, month, day;
  if (!ReadField(p, 4, year)) return false;
  bool units = false;
  char separator = 0;
  if (SkipToken(p, "年"))
    units = true;
  else if (*p == '-' || *p == '/' || *p == '.')
    separator = *p++;
  else
    return false;
  if (!ReadField(p, 2, month)) return false;
  if (units) {
    if (!SkipToken(p, "月")) return false;
  } else {
    if (*p != separator) return false;
    ++p;
  }
  if (!ReadField(p, 2, day)) return false;
  if (units) SkipToken(p, "日");
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;

  int seconds = 0;
  ReadTimeOfDay(p, seconds);
  // Whole days count from 1899-12-30; before it the time of day still counts
  // forward, so it is subtracted from the negative day number.
  double whole = static_cast<double>(DaysFromCivil(year, month, day) + 25569);
  double fraction = seconds / 86400.0;
  days = whole < 0 ? whole - fraction : whole + fraction;
  return true;
}

std::string NormaliseOnLeave(int inputMode, const char* text) {
  if (!text) text = "";
  switch (inputMode) {
    case 5: return IntegerText(std::clamp<int64_t>(ReadLeadingInteger64(text), 0, 255));
    case 6:
      return IntegerText(std::clamp<int64_t>(ReadLeadingInteger64(text), INT16_MIN, INT16_MAX));
    case 7:
      return IntegerText(std::clamp<int64_t>(ReadLeadingInteger64(text), INT32_MIN, INT32_MAX));
    case 8: return IntegerText(ReadLeadingInteger64(text));
    case 9: {
      double value = std::clamp<double>(ReadLeadingDecimal(text), -FLT_MAX, FLT_MAX);
      return DecimalText(static_cast<float>(value));
    }
    case 10: return DecimalText(ReadLeadingDecimal(text));
    case 11: {
      double days;
      return ReadLeadingDateTime(text, days) ? FormatDateTime(days) : std::string();
    }
    default: return text;
  }
}
