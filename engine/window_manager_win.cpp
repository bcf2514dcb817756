// The window manager's library, loaded from the system folder on first use, and the
// two attributes asked of it.
#include "engine/window_manager.h"

namespace {

// The attributes' numbers (dwmapi.h): the visible frame in screen pixels, and the
// reason a window is cloaked (0 when it is not).
constexpr DWORD kExtendedFrameBounds = 9;
constexpr DWORD kCloaked = 14;

using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);

GetAttribute Attribute() {
  static const GetAttribute get = [] {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 12 >= MAX_PATH) return GetAttribute{};
    lstrcatW(path, L"\\dwmapi.dll");
    // Stays loaded for the rest of the process, as the answers come from it.
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module ? reinterpret_cast<GetAttribute>(
                        reinterpret_cast<void*>(GetProcAddress(module, "DwmGetWindowAttribute")))
                  : GetAttribute{};
  }();
  return get;
}

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool VisibleFrameOf(HWND hwnd, RECT* frame) {
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return false;
  *frame = window;
  RECT visible;
  if (GetAttribute get = Attribute();
      get && SUCCEEDED(get(hwnd, kExtendedFrameBounds, &visible, sizeof visible)) &&
      visible.right > visible.left && visible.bottom > visible.top)
    *frame = visible;
  return true;
}

FrameMargins FrameMarginsOf(HWND hwnd) {
  // Minimised or maximised, the window has no frame of its own size to measure. The
  // window manager is asked first: where it does not answer (Wine, Windows 7 without
  // composition) there is nothing more to read.
  RECT window, visible;
  GetAttribute get = Attribute();
  if (!get || (GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)) ||
      FAILED(get(hwnd, kExtendedFrameBounds, &visible, sizeof visible)) ||
      visible.right <= visible.left || visible.bottom <= visible.top ||
      !GetWindowRect(hwnd, &window))
    return {};
  return MarginsBetween(FromRect(window), FromRect(visible));
}

bool IsCloaked(HWND hwnd) {
  DWORD cloaked = 0;
  GetAttribute get = Attribute();
  return get && SUCCEEDED(get(hwnd, kCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}
