// Writing to a console, a file or a pipe, and the box that closes by itself.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/console.h"
#include "base/messages.h"
#include "base/utf.h"

namespace {

// The code page of a file or a pipe: the console's output code page when the program
// was started from one (after "chcp 65001", UTF-8), the system's otherwise.
UINT FileCodePage() {
  const UINT console = GetConsoleOutputCP();
  return console != 0 ? console : GetACP();
}

// Into the code page with "?" for what it lacks, never a look-alike: a full-width
// quote must not become the real one in a batch file's argument. Some code pages
// (UTF-8, the ISO-2022 ones, GB 18030) take no flags; they hold everything or have
// no look-alikes to choose.
int Narrow(UINT codePage, const wchar_t* wide, int n, char* out, int size) {
  const bool plain = codePage == CP_UTF8 || codePage == 54936 || codePage == 42 ||
                     (codePage >= 50220 && codePage <= 50229) || codePage == 52936 ||
                     (codePage >= 57002 && codePage <= 57011) || codePage == CP_UTF7;
  const int bytes = WideCharToMultiByte(codePage, plain ? 0 : WC_NO_BEST_FIT_CHARS, wide, n, out,
                                        size, plain ? nullptr : "?", nullptr);
  // A code page that takes neither the flag nor a default character (one this list
  // does not know) still gets the text, the system's own way, rather than nothing.
  if (bytes > 0 || plain) return bytes;
  return WideCharToMultiByte(codePage, 0, wide, n, out, size, nullptr, nullptr);
}

}  // namespace

bool WriteToHandle(void* handle, const char* text, size_t size) {
  HANDLE h = static_cast<HANDLE>(handle);
  if (!h || h == INVALID_HANDLE_VALUE) return false;
  if (size == 0) return true;
  // Each byte of UTF-8 makes at most one UTF-16 unit. Short texts (the fault report
  // among them, written after the heap may have failed) are converted on the stack.
  // The program's own conversion keeps a title's lone surrogate for the console.
  wchar_t local[1024];
  std::wstring longer;
  wchar_t* wide = local;
  if (size + 1 > std::size(local)) {
    longer.resize(size + 1);
    wide = longer.data();
  }
  const int n = static_cast<int>(
      Utf16Into(std::string_view(text, size), reinterpret_cast<char16_t*>(wide), size + 1));
  if (n <= 0) return false;
  DWORD mode = 0, written = 0;
  if (!GetConsoleMode(h, &mode)) {
    const UINT codePage = FileCodePage();
    int bytes = Narrow(codePage, wide, n, nullptr, 0);
    if (bytes <= 0) return false;
    char narrowLocal[2048];
    std::string narrowLonger;
    char* narrow = narrowLocal;
    if (static_cast<size_t>(bytes) > sizeof narrowLocal) {
      narrowLonger.resize(static_cast<size_t>(bytes));
      narrow = narrowLonger.data();
    }
    Narrow(codePage, wide, n, narrow, bytes);
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
  const std::string_view text = utf8 ? utf8 : "";
  auto* units = reinterpret_cast<char16_t*>(out);
  size_t needed = 0;
  for (size_t at = 0; at < text.size();) needed += DecodeUtf8(text, at, &at) >= 0x10000 ? 2 : 1;
  // A text cut short says so at its end, where the reader stops.
  static constexpr char16_t kCut[] = u"\r\n……（内容过长，以下未显示）";
  constexpr size_t kCutLength = std::size(kCut) - 1;
  if (needed < capacity || capacity <= kCutLength + 1) {
    Utf16Into(text, units, capacity);
    return;
  }
  const size_t used = Utf16Into(text, units, capacity - kCutLength);
  std::copy(kCut, kCut + kCutLength + 1, units + used);
}

namespace {

BOOL CALLBACK CloseBoxOfThread(HWND hwnd, LPARAM) {
  // A message box with only an OK button ends as if OK had been pressed.
  if (IsDialogBox(hwnd)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
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
  SystemLoopScope box;
  MessageBoxW(nullptr, wideText, wideTitle, style | MB_SETFOREGROUND);
  if (timer) KillTimer(nullptr, timer);
}
