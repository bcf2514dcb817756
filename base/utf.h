#pragma once
// UTF-8, the program's own texts, and UTF-16, the system's: the conversions both
// ways and the places where a text may be cut. No <windows.h> here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Bytes that are no well-formed UTF-8 (a stray continuation byte, a sequence cut
// short, an over-long form, anything past U+10FFFF) each become U+FFFD. The 3-byte
// form of a surrogate gives that surrogate back.
std::u16string Utf16FromUtf8(std::string_view utf8);

// A surrogate without its partner is written in the 3-byte form of its number, so a
// title that holds one (which the system allows) comes back unchanged from Wide.
std::string Utf8FromUtf16(std::u16string_view utf16);

// As many whole characters of `utf8` as fit into `capacity` units with a terminating
// NUL, into a buffer of the caller's (no heap: the fault report writes through here);
// the units written, the NUL left out.
size_t Utf16Into(std::string_view utf8, char16_t* out, size_t capacity);

// The same for UTF-16 code units: the start never ends in the high half of a
// surrogate pair, so a text that something else cut (a bounded read) loses the
// half-character at its end too.
size_t Utf16CutPoint(std::u16string_view text, size_t most);

// The character that starts at byte `at` and the byte after it; U+FFFD (one byte
// long) where the bytes are not well-formed; a lone surrogate as its number.
char32_t DecodeUtf8(std::string_view text, size_t at, size_t* next);
