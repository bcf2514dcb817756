#pragma once
// The boundary with the system: the program's UTF-8 texts as the UTF-16 that the
// system's W calls take, and what they give back as UTF-8 again.
#include <windows.h>

#include <string>
#include <string_view>

#include "base/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's characters are UTF-16 units");

// Null reads as "".
std::wstring Wide(std::string_view utf8);
inline std::wstring Wide(const char* utf8) { return Wide(std::string_view(utf8 ? utf8 : "")); }

std::string Narrow(std::wstring_view wide);

// A text block of the UTF-8 form; the empty text (null) for "".
Text TextFromWide(std::wstring_view wide);
