#pragma once
// Typed values and the conversions between them and text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/text.h"

enum class ValueKind { None, Byte, Short, Int, Int64, Float, Double, Bool, DateTime, Text, Bytes };

// A value of one of the basic kinds. Texts and byte arrays are borrowed, not owned.
struct Value {
  ValueKind kind = ValueKind::None;
  union {
    uint8_t byte;
    int16_t shortValue;
    int32_t intValue;  // also the stored word of a bool
    int64_t int64Value;
    float floatValue;
    double doubleValue;  // also the day count of a date-time
  };
  const char* text = nullptr;
  const uint8_t* bytes = nullptr;
  size_t byteCount = 0;

  Value() : int64Value(0) {}
  Value(uint8_t v) : kind(ValueKind::Byte), int64Value(0) { byte = v; }
  Value(int16_t v) : kind(ValueKind::Short), int64Value(0) { shortValue = v; }
  Value(int32_t v) : kind(ValueKind::Int), int64Value(0) { intValue = v; }
  Value(int64_t v) : kind(ValueKind::Int64), int64Value(v) {}
  Value(float v) : kind(ValueKind::Float), int64Value(0) { floatValue = v; }
  Value(double v) : kind(ValueKind::Double), doubleValue(v) {}
  Value(const char* v) : kind(ValueKind::Text), int64Value(0), text(v) {}
  Value(const Text& v) : Value(v.get()) {}

  static Value Bool(int32_t word) {
    Value v(word);
    v.kind = ValueKind::Bool;
    return v;
  }
  static Value DateTime(double days) {
    Value v(days);
    v.kind = ValueKind::DateTime;
    return v;
  }
  static Value Bytes(const uint8_t* data, size_t count) {
    Value v;
    v.kind = ValueKind::Bytes;
    v.bytes = data;
    v.byteCount = count;
    return v;
  }
};

// The full-width forms of the printable ASCII characters (U+FF01 to U+FF5E) and the
// ideographic space (U+3000) folded to ASCII; everything else as it is.
std::string FoldFullWidth(const char* text);

// The leading decimal integer: white space, one optional sign, digits. Wraps in 32
// bits; no digits gives 0.
int32_t ReadLeadingInteger(const char* text);

int32_t ToInteger(const Value& value);

// A new text; the empty result is null.
Text ToText(const Value& value);

// "Y年M月D日" with the time of day as far as it is not zero.
std::string FormatDateTime(double days);
