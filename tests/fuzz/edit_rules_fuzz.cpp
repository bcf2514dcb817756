// Pasted text in the edit box's modes: normalising reads only the text, gives a
// value in the mode's range, and leaves its own result as it is.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/utf.h"
#include "base/value.h"
#include "ui/edit_rules.h"

namespace {

void CheckIntegerText(const std::string& text, int64_t low, int64_t high) {
  if (text.empty()) return;
  int64_t value = ReadLeadingInteger64(text.c_str());
  if (value == 0 || value < low || value > high) std::abort();
  if (std::to_string(value) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int mode = data[0] % 13;
  // An exact-size heap copy, so that any read past the NUL is caught.
  char* text = static_cast<char*>(std::malloc(size));
  std::memcpy(text, data + 1, size - 1);
  text[size - 1] = '\0';

  if (!AcceptsTypedChar(mode, 0x08) || !AcceptsTypedChar(mode, 0x16)) std::abort();
  // Text arriving whole, read as UTF-16: only characters typing would take survive.
  std::u16string wide;
  for (size_t i = 1; i + 1 < size; i += 2)
    wide += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  // A bounded read never parts a surrogate pair, and gives up at most one unit.
  const size_t most = wide.size() / 2, cut = Utf16CutPoint(wide, most);
  auto high = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  auto low = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  if (cut > most || cut + 1 < most) std::abort();
  if (cut > 0 && cut < wide.size() && high(wide[cut - 1]) && low(wide[cut])) std::abort();
  std::u16string kept = KeepAcceptedChars(mode, wide);
  if (!FiltersInput(mode) && kept != wide) std::abort();
  for (char16_t ch : kept)
    if (FiltersInput(mode) && (ch < 0x20 || !AcceptsTypedChar(mode, ch))) std::abort();
  // The UTF-8 text's full-width forms fold to ASCII; nothing grows.
  if (FoldFullWidth(text).size() > std::strlen(text)) std::abort();
  std::string once = NormaliseOnLeave(mode, text);
  if (!NormalisesOnLeave(mode) && once != text) std::abort();
  if (NormaliseOnLeave(mode, once.c_str()) != once) std::abort();
  switch (mode) {
    case 5: CheckIntegerText(once, 0, 255); break;
    case 6: CheckIntegerText(once, INT16_MIN, INT16_MAX); break;
    case 7: CheckIntegerText(once, INT32_MIN, INT32_MAX); break;
    case 8: CheckIntegerText(once, INT64_MIN, INT64_MAX); break;
    case 11: {
      double days;
      if (!once.empty() && !ReadLeadingDateTime(once.c_str(), days)) std::abort();
      break;
    }
  }
  std::free(text);
  return 0;
}
