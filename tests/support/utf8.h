#pragma once
// The tests' texts are UTF-8, as the program's are; the system takes and gives
// UTF-16. Conversions for the test programs, both ways.
#include <windows.h>

#include <string>
#include <string_view>

inline std::wstring W(std::string_view utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

inline std::string FromCodePage(UINT codePage, std::wstring_view wide) {
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
  return text;
}

inline std::string U8(std::wstring_view wide) { return FromCodePage(CP_UTF8, wide); }

// Bytes of the system's ANSI code page (what a program writes to a file or a pipe)
// as UTF-8.
inline std::string U8FromCodePage(std::string_view text, UINT codePage) {
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return U8(wide);
}

inline std::string U8FromAnsi(std::string_view ansi) { return U8FromCodePage(ansi, CP_ACP); }

// What a program started from this process's console wrote to a file: in that
// console's output code page, or the system's when there is no console.
inline std::string U8FromOutput(std::string_view text) {
  const UINT console = GetConsoleOutputCP();
  return U8FromCodePage(text, console != 0 ? console : CP_ACP);
}
