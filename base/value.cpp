// Typed values to integers and texts, as the runtime converts them.
#include "base/value.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "base/utf.h"

std::string FoldFullWidth(const char* text) {
  std::string out;
  if (!text) return out;
  const std::string_view s(text);
  for (size_t at = 0; at < s.size();) {
    size_t next = 0;
    const char32_t c = DecodeUtf8(s, at, &next);
    if (c >= 0xFF01 && c <= 0xFF5E)
      out.push_back(static_cast<char>(c - 0xFEE0));
    else if (c == 0x3000)
      out.push_back(' ');
    else
      out.append(s, at, next - at);  // as it was, ill-formed bytes included
    at = next;
  }
  return out;
}

int32_t ReadLeadingInteger(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  uint32_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

// Truncation toward zero to 64 bits, then the low 32 bits. What cannot be held in
// 64 bits (NaN, infinities, huge values) becomes the integer-indefinite value,
// whose low half is 0.
static int32_t Low32OfTruncated(double d) {
  if (!(d > -9223372036854775808.0 && d < 9223372036854775808.0)) return 0;
  auto wide = static_cast<int64_t>(d);
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(wide)));
}

int32_t ToInteger(const Value& value) {
  switch (value.kind) {
    case ValueKind::Byte: return value.byte;
    case ValueKind::Short: return value.shortValue;
    case ValueKind::Int:
    case ValueKind::Bool: return value.intValue;
    case ValueKind::Int64:
      return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value.int64Value)));
    case ValueKind::Float: return Low32OfTruncated(value.floatValue);
    case ValueKind::Double: return Low32OfTruncated(value.doubleValue);
    case ValueKind::Text: return ReadLeadingInteger(FoldFullWidth(value.text).c_str());
    case ValueKind::None:
    case ValueKind::DateTime:
    case ValueKind::Bytes: return 0;
  }
  return 0;
}

// Day count from 1970-01-01 to a civil date (proleptic Gregorian).
static void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(era * 400 + yoe + (month <= 2));
}

std::string FormatDateTime(double days) {
  if (std::isnan(days)) days = 0;
  if (days < -657434) days = -657434;
  if (days > 2958465) days = 2958465;
  // The whole part counts days from 1899-12-30 (either sign); the fraction, taken
  // without its sign, is the time of day.
  double whole = std::trunc(days);
  auto seconds = static_cast<int64_t>(std::llround(std::fabs(days - whole) * 86400.0));
  if (seconds >= 86400) seconds = 86399;
  int year, month, day;
  CivilFromDays(static_cast<int64_t>(whole) - 25569, year, month, day);
  int hour = static_cast<int>(seconds / 3600);
  int minute = static_cast<int>(seconds / 60 % 60);
  int second = static_cast<int>(seconds % 60);
  char buf[96];
  int n = std::snprintf(buf, sizeof buf, "%d年%d月%d日", year, month, day);
  if (second)
    std::snprintf(buf + n, sizeof buf - n, "%d时%d分%d秒", hour, minute, second);
  else if (minute)
    std::snprintf(buf + n, sizeof buf - n, "%d时%d分", hour, minute);
  else if (hour)
    std::snprintf(buf + n, sizeof buf - n, "%d时", hour);
  return buf;
}

Text ToText(const Value& value) {
  char buf[64];
  switch (value.kind) {
    case ValueKind::Byte: std::snprintf(buf, sizeof buf, "%u", value.byte); break;
    case ValueKind::Short: std::snprintf(buf, sizeof buf, "%d", value.shortValue); break;
    case ValueKind::Int: std::snprintf(buf, sizeof buf, "%d", value.intValue); break;
    case ValueKind::Int64:
      std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value.int64Value));
      break;
    case ValueKind::Float: std::snprintf(buf, sizeof buf, "%.6g", value.floatValue); break;
    case ValueKind::Double: std::snprintf(buf, sizeof buf, "%.13g", value.doubleValue); break;
    case ValueKind::Bool: return Text::Copy(value.intValue ? "真" : "假");
    case ValueKind::DateTime: return Text::Copy(FormatDateTime(value.doubleValue));
    case ValueKind::Text: return Text::Copy(value.text ? value.text : "");
    case ValueKind::Bytes:
      return Text::Copy(std::string_view(reinterpret_cast<const char*>(value.bytes),
                                         value.bytes ? value.byteCount : 0));
    case ValueKind::None: return Text();
  }
  return Text::Copy(buf);
}
