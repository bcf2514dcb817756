// Writing to a console, a file or a pipe, and the box that closes by itself.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/console.h"
#include "base/utf.h"

bool WriteToHandle(void* handle, const char* text, size_t size) {
  HANDLE h = static_cast<HANDLE>(handle);
  if (!h || h == INVALID_HANDLE_VALUE) return false;
  if (size == 0) return true;
  // Each byte of UTF-8 makes at most one UTF-16 unit. Short texts (the fault report
  // among them, written after the heap may have failed) are converted on the stack.
  wchar_t local[1024];
  std::wstring longer;
  wchar_t* wide = local;
  if (size > std::size(local)) {
    longer.resize(size);
    wide = longer.data();
  }
  int n = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), wide, static_cast<int>(size));
  if (n <= 0) return false;
  DWORD mode = 0, written = 0;
  if (!GetConsoleMode(h, &mode)) {
    // A file or a pipe gets the system's code page, as batch files expect; what it
    // cannot hold becomes "?".
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, n, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    char narrowLocal[2048];
    std::string narrowLonger;
    char* narrow = narrowLocal;
    if (static_cast<size_t>(bytes) > sizeof narrowLocal) {
      narrowLonger.resize(static_cast<size_t>(bytes));
      narrow = narrowLonger.data();
    }
    WideCharToMultiByte(CP_ACP, 0, wide, n, narrow, bytes, nullptr, nullptr);
    return WriteFile(h, narrow, static_cast<DWORD>(bytes), &written, nullptr) != 0;
  }
  // Older consoles refuse a single write of much more than 64 KB.
  constexpr int kPiece = 8192;
  for (int at = 0; at < n;) {
    DWORD piece = static_cast<DWORD>(std::min(kPiece, n - at));
    // A surrogate pair is written whole.
    if (at + static_cast<int>(piece) < n && IS_HIGH_SURROGATE(wide[at + piece - 1])) --piece;
    if (!WriteConsoleW(h, wide + at, piece, &written, nullptr)) return false;
    at += static_cast<int>(piece);
  }
  return true;
}

void WideInto(const char* utf8, wchar_t* out, size_t capacity) {
  Utf16Into(utf8 ? utf8 : "", reinterpret_cast<char16_t*>(out), capacity);
}

namespace {

BOOL CALLBACK CloseBoxOfThread(HWND hwnd, LPARAM) {
  wchar_t cls[16] = {};
  GetClassNameW(hwnd, cls, 16);
  // A message box with only an OK button ends as if OK had been pressed.
  if (lstrcmpW(cls, L"#32770") == 0) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return TRUE;
}

// Runs inside the box's own message loop, on this thread.
VOID CALLBACK OnBoxTimeUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  EnumThreadWindows(GetCurrentThreadId(), CloseBoxOfThread, 0);
}

}  // namespace

void ShowSelfClosingBox(const char* text, const char* title, unsigned style, unsigned ms) {
  UINT_PTR timer = SetTimer(nullptr, 0, ms, OnBoxTimeUp);
  // The fault report comes here after the heap may have failed: no heap on the way.
  wchar_t wideText[2048], wideTitle[64];
  WideInto(text, wideText, std::size(wideText));
  WideInto(title, wideTitle, std::size(wideTitle));
  MessageBoxW(nullptr, wideText, wideTitle, style | MB_SETFOREGROUND);
  if (timer) KillTimer(nullptr, timer);
}
