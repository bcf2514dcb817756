// The main window's DPI: asked of the system as far as its version can say, and the
// frame, fonts, icons and pointers made for it. The calls that newer systems alone
// have are looked up by name, so that the program still starts on Windows 7.
#include "base/messages.h"
#include "ui/common_controls_win.h"
#include "ui/window_dpi.h"

namespace {

template <typename F>
F UserEntry(const char* name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// The DPI fixed when the user signed in; what the calls without a DPI measure at.
int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The monitor's DPI (Windows 8.1 and later), or 0 where the system cannot say.
int MonitorDpi(HMONITOR monitor) {
  using DpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto dpiFor = [] {
    HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore ? reinterpret_cast<DpiForMonitorCall>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : DpiForMonitorCall{};
  }();
  constexpr int kEffectiveDpi = 0;
  UINT x = 0, y = 0;
  if (!monitor || !dpiFor || FAILED(dpiFor(monitor, kEffectiveDpi, &x, &y))) return 0;
  return static_cast<int>(x);
}

// The DPI the system reports for the window itself (Windows 10 1607 and later), or
// 0 where it cannot say.
int ReportedDpi(HWND hwnd) {
  using DpiForWindowCall = UINT(WINAPI*)(HWND);
  static const auto dpiFor = UserEntry<DpiForWindowCall>("GetDpiForWindow");
  return dpiFor ? static_cast<int>(dpiFor(hwnd)) : 0;
}

// Whether the system scales this process's window frames with each monitor's DPI:
// per-monitor v2 (Windows 10 1703 and later). Windows 10 1607 has the per-DPI frame
// call but runs the program as per-monitor v1, whose frames keep the system DPI's
// size on every monitor.
bool FramesScaleWithDpi() {
  using ContextCall = HANDLE(WINAPI*)();
  using EqualCall = BOOL(WINAPI*)(HANDLE, HANDLE);
  static const bool scale = [] {
    const auto context = UserEntry<ContextCall>("GetThreadDpiAwarenessContext");
    const auto equal = UserEntry<EqualCall>("AreDpiAwarenessContextsEqual");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which the headers for Windows 7 lack.
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
    return context && equal && equal(context(), perMonitorV2);
  }();
  return scale;
}

// The frame around a client rectangle at a DPI, as the system measures it for that
// DPI where it can say (Windows 10 1607 and later): `asWindowHas` only where the
// window's frame does scale with the DPI. False when it was measured at the system's
// DPI, which is then the frame the window has on every monitor.
bool AdjustForDpi(RECT* r, int dpi, bool asWindowHas) {
  using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = UserEntry<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  if (adjust && (!asWindowHas || FramesScaleWithDpi()) &&
      adjust(r, kMainStyle, FALSE, 0, static_cast<UINT>(dpi)))
    return true;
  AdjustWindowRectEx(r, kMainStyle, FALSE, 0);
  return false;
}

// A size the system uses for icons at a DPI (SM_CXICON, ...): its own for that DPI
// where it can say, else the system DPI's scaled.
int MetricForDpi(int index, int dpi) {
  using MetricForDpiCall = int(WINAPI*)(int, UINT);
  static const auto metric = UserEntry<MetricForDpiCall>("GetSystemMetricsForDpi");
  if (metric) return metric(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

// The application icon at a size: scaled down from a larger image of the resource
// where it holds none of that size, as the system would for the taskbar.
HICON LoadAppIcon(int cx, int cy) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (HICON icon = LoadIconScaledDown(instance, L"DEFAULT_ICON", cx, cy)) return icon;
  return static_cast<HICON>(LoadImageW(instance, L"DEFAULT_ICON", IMAGE_ICON, cx, cy, 0));
}

// Each font asks for the character set of what it shows, so that a system without
// the face still picks one that has the texts (Chinese for the interface, digits for
// the numbers), the same whatever the system's language.
HFONT MakeFont(const wchar_t* face, DWORD charset, int dpi) {
  return CreateFontW(-ScaleForDpi(12, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// The system's own WM_DPICHANGED comes with a rectangle and with the DPI it now
// reports for the window; another program's may come with neither.
bool IsSystemDpiChange(HWND hwnd, int dpi, LPARAM lParam) {
  // Where the system reports no DPI for the window, its monitor's stands for it.
  return lParam != 0 && WindowDpi(hwnd) == dpi;
}

// A DPI as a message carries it; 0 for one no monitor has.
int DpiOf(WPARAM wParam) {
  const WORD dpi = LOWORD(wParam);
  return dpi >= 24 && dpi <= 96 * 32 ? dpi : 0;
}

}  // namespace

int PrimaryMonitorDpi() {
  const int dpi = MonitorDpi(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
  return dpi > 0 ? dpi : SystemDpi();
}

int WindowDpi(HWND hwnd) {
  if (const int dpi = ReportedDpi(hwnd); dpi > 0) return dpi;
  if (const int dpi = MonitorDpi(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)); dpi > 0)
    return dpi;
  return SystemDpi();
}

// The layout gives the outer size at 96 DPI: its client area is what scales, and the
// frame is the system's for the DPI.
SIZE OuterSizeFor(const WindowLayout& layout, int dpi) {
  // The layout's own frame, whatever frame the window gets.
  RECT frame96{0, 0, 0, 0};
  if (!AdjustForDpi(&frame96, 96, false)) {
    // Measured at the system's DPI: brought back to the 96 DPI the layout is in.
    const int system = SystemDpi();
    frame96 = {MulDiv(frame96.left, 96, system), MulDiv(frame96.top, 96, system),
               MulDiv(frame96.right, 96, system), MulDiv(frame96.bottom, 96, system)};
  }
  const int clientWidth = layout.width - (frame96.right - frame96.left);
  const int clientHeight = layout.height - (frame96.bottom - frame96.top);
  RECT r{0, 0, ScaleForDpi(clientWidth, dpi), ScaleForDpi(clientHeight, dpi)};
  AdjustForDpi(&r, dpi, true);
  return {r.right - r.left, r.bottom - r.top};
}

void MakeFonts(Form& form) {
  // Asked for by the family names every system knows, whatever its language: a
  // localised name ("微软雅黑") matches only on a system of that language.
  form.interfaceFont.reset(MakeFont(L"Microsoft YaHei", GB2312_CHARSET, form.dpi));
  form.numberFont.reset(MakeFont(L"Consolas", ANSI_CHARSET, form.dpi));
}

void LoadWindowIcons(Form& form) {
  IconHandle big(LoadAppIcon(MetricForDpi(SM_CXICON, form.dpi), MetricForDpi(SM_CYICON, form.dpi)));
  IconHandle small(
      LoadAppIcon(MetricForDpi(SM_CXSMICON, form.dpi), MetricForDpi(SM_CYSMICON, form.dpi)));
  SendMessageW(form.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(form.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The old ones go once the window no longer shows them.
  form.bigIcon = std::move(big);
  form.smallIcon = std::move(small);
}

namespace {

// A minimised or maximised window keeps its state and its place, and a hidden one
// stays hidden: the new size is the one it is restored to, at the same top-left. A
// maximised one fills the work area of the monitor it is on with its frame for the
// DPI (the rectangle the system suggests is a restored window's).
void PlaceWindow(HWND hwnd, const RECT& suggested, const RECT& r, int dpi) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  const bool iconic = IsIconic(hwnd), zoomed = IsZoomed(hwnd);
  if ((!iconic && !zoomed) || !GetWindowPlacement(hwnd, &placement)) {
    // Without SWP_SHOWWINDOW a hidden window stays hidden.
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT& normal = placement.rcNormalPosition;
  normal.right = normal.left + (r.right - r.left);
  normal.bottom = normal.top + (r.bottom - r.top);
  const bool visible = IsWindowVisible(hwnd) != 0;
  placement.showCmd = !visible ? SW_HIDE : iconic ? SW_SHOWMINNOACTIVE : SW_SHOWNA;
  SetWindowPlacement(hwnd, &placement);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!zoomed || !visible ||
      !GetMonitorInfoW(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &info))
    return;
  // A maximised window's sizing frame reaches past the work area on every side.
  RECT frame{};
  AdjustForDpi(&frame, dpi, true);
  RECT max = info.rcWork;
  InflateRect(&max, -frame.left, -frame.left);
  SetWindowPos(hwnd, nullptr, max.left, max.top, max.right - max.left, max.bottom - max.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

RECT KeptOnMonitor(const RECT& r) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return r;
  const RECT& work = info.rcWork;
  const WindowOrigin at = KeptInside({r.left, r.top}, r.right - r.left, r.bottom - r.top,
                                     {work.left, work.top, work.right, work.bottom});
  RECT kept = r;
  OffsetRect(&kept, at.left - r.left, at.top - r.top);
  return kept;
}

// Moved to a monitor of another DPI: laid out again for it. The system suggests a
// rectangle, but a message that came from another thread (another program's, or the
// system's while another program moves the window) may point anywhere: then the
// window keeps its top-left and takes its own size for the DPI. The DPI remembered
// may be wrong (the window was made before its monitor was known), so the same DPI
// is laid out again too.
void OnDpiChanged(Form& form, WPARAM wParam, LPARAM lParam) {
  const int dpi = DpiOf(wParam);
  if (!dpi || !IsSystemDpiChange(form.hwnd, dpi, lParam)) return;
  // The suggested place, and the window's own size for the DPI: where the system
  // scales the whole window, frame included (per-monitor v1), its frame does not grow.
  const bool fromOutside = InSendMessage() != FALSE;
  RECT suggested{};
  if (fromOutside)
    GetWindowRect(form.hwnd, &suggested);
  else
    suggested = *reinterpret_cast<const RECT*>(lParam);
  const SIZE outer = OuterSizeFor(*form.layout, dpi);
  RECT r = {suggested.left, suggested.top, suggested.left + outer.cx, suggested.top + outer.cy};
  // Grown where it stands, it may reach past its monitor: the system's own suggestion
  // is on the monitor already.
  // Never while the user drags it: the drag is theirs.
  if (fromOutside && !form.inSizeMove) r = KeptOnMonitor(r);
  form.dpi = dpi;
  FontHandle oldInterface = std::move(form.interfaceFont), oldNumber = std::move(form.numberFont);
  MakeFonts(form);
  PlaceWindow(form.hwnd, suggested, r, dpi);
  PlaceControls(form);  // the old fonts go once no control uses them
  LoadWindowIcons(form);
  RebuildPointers(form);
  // A control whose size changed repaints only what it gained; the picture box, which
  // takes no font, not even that.
  RedrawWindow(form.hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

bool OnGetDpiScaledSize(Form& form, WPARAM wParam, LPARAM lParam) {
  // The answer is written where lParam points: only the system's question, asked on
  // the window's own thread, points into this process.
  const int dpi = DpiOf(wParam);
  if (!dpi || !lParam || InSendMessage()) return false;
  *reinterpret_cast<SIZE*>(lParam) = OuterSizeFor(*form.layout, dpi);
  return true;
}
