// The picture box: a window class of its own that paints its picture over its
// background colour, as its display mode says (the decoding is in picture.cpp).
#include <windows.h>

#include <algorithm>

#include "ui/form.h"
#include "ui/resample.h"

const wchar_t kPictureClass[] = L"QuiltmarkPicture";

namespace {

void PaintPicture(HWND hwnd, HDC dc, const ControlState& c) {
  RECT area;
  GetClientRect(hwnd, &area);
  BrushHandle ground(CreateSolidBrush(ResolveColour(c.background)));
  FillRect(dc, &area, ground.get());
  if (c.image.empty()) return;
  int w = c.image.width, h = c.image.height;
  int cw = area.right, ch = area.bottom;
  RECT dest{0, 0, w, h};
  if (c.displayMode == 1) {
    dest = area;
  } else if (c.displayMode == 2) {
    if (w > cw || h > ch) {
      double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = static_cast<int>(w * scale);
      h = static_cast<int>(h * scale);
    }
    dest = {(cw - w) / 2, (ch - h) / 2, (cw - w) / 2 + w, (ch - h) / 2 + h};
  }
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (dw <= 0 || dh <= 0) return;
  // Resampled here to the size it is painted at, then composed over the background
  // with its own transparency: the system's own stretching, under alpha, drops pixels.
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = dw;
  bi.bmiHeader.biHeight = -dh;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  MemoryDcHandle memory(CreateCompatibleDC(dc));
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!memory || !bitmap || !bits) return;
  // Straight into the bitmap, then premultiplied there as AlphaBlend wants it:
  // painting takes nothing from the heap, so it goes on under the report of a
  // failed allocation.
  auto* out = static_cast<uint8_t*>(bits);
  ResampleBgra(c.image.pixels.data(), c.image.width, c.image.height, out, dw, dh);
  for (size_t i = 0; i < static_cast<size_t>(dw) * dh * 4; i += 4) {
    const unsigned a = out[i + 3];
    for (int k = 0; k < 3; ++k) out[i + k] = static_cast<uint8_t>(out[i + k] * a / 255);
  }
  ScopedSelect selected(memory.get(), bitmap.get());  // put back before the deletes
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, dest.left, dest.top, dw, dh, memory.get(), 0, 0, dw, dh, blend);
}

// Painting raises no event and reports no fault: nothing can leave this procedure.
// The loss of the mouse is the one event of its own.
LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (ControlState* c = ControlAt(hwnd)) PaintPicture(hwnd, dc, *c);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  // A fault in the handler shows its report and ends the process from inside this call.
  if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) != hwnd) {
    if (ControlState* c = ControlAt(hwnd)) RaiseControlEvent(*c, kEventCaptureLost);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

void RegisterPictureClass(HINSTANCE instance) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  if (!GetClassInfoExW(instance, kPictureClass, &wc)) {
    wc.lpfnWndProc = PictureProc;
    wc.lpszClassName = kPictureClass;
    wc.hbrBackground = nullptr;
    RegisterClassExW(&wc);
  }
}
