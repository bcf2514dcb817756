// The conversions at the system's boundary, on the rules of base/utf.
#include "base/wide.h"

#include "base/utf.h"

std::wstring Wide(std::string_view utf8) {
  std::u16string units = Utf16FromUtf8(utf8);
  return std::wstring(reinterpret_cast<const wchar_t*>(units.data()), units.size());
}

std::string Narrow(std::wstring_view wide) {
  return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

Text TextFromWide(std::wstring_view wide) { return Text::Copy(Narrow(wide)); }
