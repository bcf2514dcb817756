// Writing to a console, a file or a pipe, and the box that closes by itself.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/console.h"

bool WriteToHandle(void* handle, const char* text, size_t size) {
  HANDLE h = static_cast<HANDLE>(handle);
  if (!h || h == INVALID_HANDLE_VALUE) return false;
  if (size == 0) return true;
  DWORD mode = 0, written = 0;
  if (!GetConsoleMode(h, &mode))
    return WriteFile(h, text, static_cast<DWORD>(size), &written, nullptr) != 0;
  // Each byte of the code page makes at most one UTF-16 unit. Short texts (the fault
  // report among them) are converted on the stack.
  wchar_t local[1024];
  std::wstring longer;
  wchar_t* wide = local;
  if (size > std::size(local)) {
    longer.resize(size);
    wide = longer.data();
  }
  int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), wide, static_cast<int>(size));
  if (n <= 0) return false;
  // Older consoles refuse a single write of much more than 64 KB.
  constexpr int kPiece = 8192;
  for (int at = 0; at < n; at += kPiece) {
    DWORD piece = static_cast<DWORD>(std::min(kPiece, n - at));
    if (!WriteConsoleW(h, wide + at, piece, &written, nullptr)) return false;
  }
  return true;
}

namespace {

BOOL CALLBACK CloseBoxOfThread(HWND hwnd, LPARAM) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  // A message box with only an OK button ends as if OK had been pressed.
  if (lstrcmpA(cls, "#32770") == 0) PostMessageA(hwnd, WM_CLOSE, 0, 0);
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
  MessageBoxA(nullptr, text, title, style | MB_SETFOREGROUND);
  if (timer) KillTimer(nullptr, timer);
}
