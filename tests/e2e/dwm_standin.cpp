// A stand-in for the window manager's library, answering as Windows 10 does: a
// sizable window that is neither minimised nor maximised has invisible resize
// borders of 7 pixels left, right and bottom, none at the top; a window marked with
// the property "QmCloaked" is cloaked. Loaded only by the tests that ask for it.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DwmGetWindowAttribute(HWND hwnd, DWORD attribute,
                                                                     void* value, DWORD size) {
  constexpr DWORD kExtendedFrameBounds = 9, kCloaked = 14;
  if (attribute == kExtendedFrameBounds && size == sizeof(RECT)) {
    RECT r;
    if (!GetWindowRect(hwnd, &r)) return E_HANDLE;
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    if ((style & WS_THICKFRAME) && !IsIconic(hwnd) && !IsZoomed(hwnd)) {
      r.left += 7;
      r.right -= 7;
      r.bottom -= 7;
    }
    *static_cast<RECT*>(value) = r;
    return S_OK;
  }
  if (attribute == kCloaked && size == sizeof(DWORD)) {
    if (!IsWindow(hwnd)) return E_HANDLE;
    *static_cast<DWORD*>(value) = GetPropW(hwnd, L"QmCloaked") ? 2 : 0;  // cloaked by the shell
    return S_OK;
  }
  return E_INVALIDARG;
}
