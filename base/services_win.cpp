// Runtime services that ask the system: screen size, control focus and handles,
// mouse capture, and the titles and class names of any window.
#include <cwchar>
#include <string>

#include "base/fault.h"
#include "base/memory.h"
#include "base/msgbox.h"
#include "base/services.h"

int GetScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int GetScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

static HWND ResolveControl(ControlRef ref) {
  WindowEntry* window = FindWindowEntry(ref.window);
  if (window && window->loaded) {
    for (const ControlEntry& control : window->controls) {
      if (control.id == ref.control && IsWindow(static_cast<HWND>(control.hwnd)))
        return static_cast<HWND>(control.hwnd);
    }
  }
  ReportFault("指定窗口或窗口组件不存在或尚未载入", kFaultDirect,
              {static_cast<int32_t>(ref.window), static_cast<int32_t>(ref.control)});
}

void SetControlFocus(ControlRef ref) { SetFocus(ResolveControl(ref)); }
HWND GetControlHandle(ControlRef ref) { return ResolveControl(ref); }

HWND CaptureMouse(HWND hwnd) { return SetCapture(hwnd); }
int ReleaseMouseCapture() { return ReleaseCapture(); }

Text GetControlText(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  if (n <= 0) return Text();
  // The length may be told too long (double-byte texts), never too short.
  auto* block = static_cast<char*>(AllocBlock(static_cast<size_t>(n) + 1));
  block[0] = '\0';
  GetWindowTextA(hwnd, block, n + 1);
  if (!block[0]) {
    FreeBlock(block);
    return Text();
  }
  return Text(block);
}

bool ReadWindowTitle(HWND hwnd, DWORD ms, Text& title) {
  title = Text();
  if (!IsWindow(hwnd)) return true;
  // Another program's window may be busy or hung, or may report any length it likes:
  // ask within the time left and read no more than a bounded title. The wide
  // messages are used because an ANSI request to another process can be followed by
  // a wide one without any time limit; the title is converted to the ANSI code page.
  DWORD start = GetTickCount();
  auto left = [&] {
    DWORD spent = GetTickCount() - start;
    return spent < ms ? ms - spent : 1;
  };
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, left(), &length))
    return false;
  if (length == 0) return true;
  if (length > kMaxWindowTextLength) length = kMaxWindowTextLength;
  std::wstring wide(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(wide.data()),
                           SMTO_ABORTIFHUNG, left(), &copied))
    return false;
  wide.resize(std::wcslen(wide.c_str()));
  if (wide.empty()) return true;
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  nullptr, nullptr);
  if (bytes <= 0) return true;
  auto* block = static_cast<char*>(AllocBlock(static_cast<size_t>(bytes) + 1));
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), block, bytes, nullptr,
                      nullptr);
  block[bytes] = '\0';
  title = Text(block);
  return true;
}

Text GetWindowTextOf(HWND hwnd) {
  Text title;
  if (!ReadWindowTitle(hwnd, 1000, title)) return Text();
  return title;
}

std::string GetStoredTitle(HWND hwnd) {
  wchar_t wide[512];
  int n = InternalGetWindowText(hwnd, wide, static_cast<int>(std::size(wide)));
  if (n <= 0) return "";
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, n, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return "";
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, n, text.data(), bytes, nullptr, nullptr);
  return text;
}

Text GetWindowClassName(HWND hwnd) {
  auto* block = static_cast<char*>(AllocBlock(kMaxClassNameLength + 1));
  block[0] = '\0';
  GetClassNameA(hwnd, block, kMaxClassNameLength + 1);
  return Text(block);
}

// Widened before subtracting: a rectangle's edges can lie 2^31 apart.
static LONGLONG Area(const RECT& r) {
  return (static_cast<LONGLONG>(r.right) - r.left) * (static_cast<LONGLONG>(r.bottom) - r.top);
}

// More siblings than any window holds.
constexpr int kMaxSiblingSteps = 10000;

HWND GetWindowUnderCursor() {
  // No cursor position (a locked desktop, another desktop): no window.
  POINT p{};
  if (!GetCursorPos(&p)) return nullptr;
  HWND under = WindowFromPoint(p);
  if (!under) return nullptr;
  HWND best = under;
  RECT bestRect{};
  // Gone since WindowFromPoint: nothing is under the cursor any more.
  if (!GetWindowRect(best, &bestRect)) return nullptr;
  HWND parent = GetParent(under);
  if (!parent) return under;
  // Only siblings below the found window are looked at; the first of equal areas stays.
  // Windows re-ordered while the walk runs could keep it going for ever, so it takes
  // a bounded number of steps.
  int steps = kMaxSiblingSteps;
  for (HWND s = GetWindow(under, GW_HWNDNEXT); s && steps-- > 0; s = GetWindow(s, GW_HWNDNEXT)) {
    RECT r;
    if (!GetWindowRect(s, &r) || !PtInRect(&r, p)) continue;
    if (GetParent(s) != parent || !IsWindowVisible(s)) continue;
    if (Area(r) < Area(bestRect)) {
      best = s;
      bestRect = r;
    }
  }
  return best;
}

int ShowMessageBox(const Value& text, uint32_t flags, const char* title, BoxOwner owner) {
  Text body = MessageBoxText(text);
  HWND ownerWindow = owner.given ? static_cast<HWND>(owner.hwnd) : nullptr;
  int id = MessageBoxA(ownerWindow, body.c_str(), title ? title : "信息：", MessageBoxStyle(flags));
  return MessageBoxResultNumber(id);
}
