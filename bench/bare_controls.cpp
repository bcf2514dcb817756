// The fair floor for Quiltmark's start-up: a program that makes the same window as
// Quiltmark's, with the same 18 controls (classes, styles, places, texts, colours,
// the two fonts, the icon, the capture picture decoded by the same library, the same
// manifest), shows it with the focus on the arrange button, and does nothing else: no
// runtime, no window layout to read, no events, no OLE, no hidden window.
// process_bench times it against Quiltmark.exe to the first paint, and reads the
// same start-up stamps from both.
#include <windows.h>
// commctrl.h needs the types of windows.h.
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "base/phases.h"
#include "ui/layout.h"
#include "ui/picture.h"

namespace {

constexpr wchar_t kMainClass[] = L"QmBareControls";
constexpr wchar_t kPictureClass[] = L"QmBarePicture";

struct Control {
  const ControlLayout* layout;
  HWND hwnd;
  HBRUSH brush;  // only for a ground other than the button face
};

std::vector<Control> g_controls;
DecodedImage g_picture;

COLORREF Colour(uint32_t c) {
  return c == kButtonFace ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(c);
}

const Control* ControlOf(HWND hwnd) {
  for (const Control& c : g_controls)
    if (c.hwnd == hwnd) return &c;
  return nullptr;
}

// Group boxes and the page container pass their children's notifications up and
// paint their own ground; the page container shows no tab strip.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR isPages) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageA(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(hwnd, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT:
      if (isPages) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(hwnd, &ps);
        return 0;
      }
      break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The picture, stretched over the box and blended with its own transparency.
void PaintPicture(HWND hwnd, HDC dc) {
  RECT area;
  GetClientRect(hwnd, &area);
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  if (g_picture.empty()) return;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = g_picture.width;
  bi.bmiHeader.biHeight = -g_picture.height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> premultiplied = g_picture.pixels;
  for (size_t i = 0; i + 3 < premultiplied.size(); i += 4)
    for (int k = 0; k < 3; ++k)
      premultiplied[i + k] =
          static_cast<uint8_t>(premultiplied[i + k] * premultiplied[i + 3] / 255);
  HDC memory = CreateCompatibleDC(dc);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap && bits) {
    std::memcpy(bits, premultiplied.data(), premultiplied.size());
    HGDIOBJ old = SelectObject(memory, bitmap);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    SetStretchBltMode(dc, HALFTONE);
    GdiAlphaBlend(dc, 0, 0, area.right, area.bottom, memory, 0, 0, g_picture.width,
                  g_picture.height, blend);
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    PaintPicture(hwnd, dc);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      const Control* c = ControlOf(reinterpret_cast<HWND>(lParam));
      if (!c) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, Colour(c->layout->textColour));
      SetBkColor(dc, Colour(c->layout->background));
      return reinterpret_cast<LRESULT>(c->brush ? c->brush : GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

struct KindClass {
  const wchar_t* windowClass;
  DWORD style;
  DWORD exStyle;
};

KindClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::EditBox:
      return {L"EDIT", WS_TABSTOP | ES_CENTER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {L"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0};
    case ControlKind::GroupBox: return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::Button:
      return {L"BUTTON",
              WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY | BS_MULTILINE | BS_CENTER | BS_VCENTER, 0};
    case ControlKind::CheckBox:
      return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER, 0};
    case ControlKind::ComboBox: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::TabControl: return {WC_TABCONTROLW, WS_CLIPSIBLINGS, 0};
    case ControlKind::PictureBox: return {kPictureClass, 0, 0};
    case ControlKind::Window: break;
  }
  return {L"STATIC", 0, 0};
}

HWND WindowOfControl(uint32_t id) {
  for (const Control& c : g_controls)
    if (c.layout->id == id) return c.hwnd;
  return nullptr;
}

// The program's texts are UTF-8 and the system's calls take UTF-16, here as there.
std::wstring Wide(const char* utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}

HFONT MakeFont(const wchar_t* face, DWORD charset) {
  return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

bool MakeControls(HWND window, HINSTANCE instance, HFONT interfaceFont, HFONT numberFont) {
  g_controls.reserve(kControlCount);
  for (size_t i = 0; i < kControlCount; ++i) {
    const ControlLayout& l = kControls[i];
    const KindClass kc = ClassOf(l.kind);
    HWND parent = l.container ? WindowOfControl(l.container) : window;
    const bool hasText = l.kind != ControlKind::ComboBox && l.kind != ControlKind::TabControl &&
                         l.kind != ControlKind::PictureBox;
    const int height = l.kind == ControlKind::ComboBox ? std::max(l.height, 160) : l.height;
    HWND h = CreateWindowExW(kc.exStyle, kc.windowClass, Wide(hasText ? l.text : "").c_str(),
                             WS_CHILD | WS_CLIPSIBLINGS | kc.style, l.left, l.top, l.width, height,
                             parent, nullptr, instance, nullptr);
    if (!h) return false;
    SendMessageA(
        h, WM_SETFONT,
        reinterpret_cast<WPARAM>(l.font == FontChoice::Number ? numberFont : interfaceFont), FALSE);
    HBRUSH brush = l.background != kButtonFace ? CreateSolidBrush(Colour(l.background)) : nullptr;
    g_controls.push_back({&l, h, brush});
    switch (l.kind) {
      case ControlKind::EditBox:
        SendMessageA(h, EM_LIMITTEXT, static_cast<WPARAM>(l.maxLength), 0);
        break;
      case ControlKind::ComboBox: {
        for (const std::string& item : LayoutLines(l.text))
          SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item.c_str()).c_str()));
        SendMessageA(h, CB_SETCURSEL, 0, 0);
        LRESULT itemHeight = SendMessageA(h, CB_GETITEMHEIGHT, 0, 0);
        if (itemHeight > 0) SendMessageA(h, CB_SETITEMHEIGHT, 0, itemHeight + 1);
        break;
      }
      case ControlKind::GroupBox: SetWindowSubclass(h, ContainerProc, 1, 0); break;
      case ControlKind::TabControl: SetWindowSubclass(h, ContainerProc, 1, 1); break;
      default: break;
    }
  }
  for (size_t s = 0; s < kStackingCount; ++s) {
    HWND above = HWND_TOP;
    for (size_t i = 0; i < kStacking[s].count; ++i) {
      HWND h = WindowOfControl(kStacking[s].order[i]);
      SetWindowPos(h, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      above = h;
    }
  }
  // Everything outside the pages, and the first page.
  for (const Control& c : g_controls)
    if (c.layout->page <= 0) ShowWindow(c.hwnd, SW_SHOWNA);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  BeginStartupPhases();
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  MarkStartupPhase("common controls");
  WNDCLASSW wc{};
  wc.lpfnWndProc = PictureProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.lpszClassName = kPictureClass;
  if (!RegisterClassW(&wc)) return 1;
  wc.lpfnWndProc = MainProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  if (!RegisterClassW(&wc)) return 1;
  MarkStartupPhase("window classes");

  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindow.width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindow.height) / 2;
  HWND window = CreateWindowExW(
      0, kMainClass, Wide(kMainWindow.caption).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, left, top,
      kMainWindow.width, kMainWindow.height, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  MarkStartupPhase("main window");
  HFONT interfaceFont = MakeFont(L"Microsoft YaHei", GB2312_CHARSET);
  HFONT numberFont = MakeFont(L"Consolas", ANSI_CHARSET);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  HICON big =
      static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  HICON small = static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  MarkStartupPhase("fonts and icons");
  if (!MakeControls(window, instance, interfaceFont, numberFont)) return 1;
  MarkStartupPhase("controls");
  g_picture = DecodePicture(kIdlePicture, kIdlePictureSize);
  MarkStartupPhase("idle picture decoded");

  ShowWindow(window, SW_SHOW);
  MarkStartupPhase("ShowWindow");
  SetForegroundWindow(window);
  SetFocus(WindowOfControl(ids::按钮_自动排列));
  MarkStartupPhase("SetForegroundWindow");
  MSG msg;
  bool painted = false;
  for (;;) {
    if (!painted && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      painted = true;
      FinishStartupPhases("first paint");
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  for (const Control& c : g_controls)
    if (c.brush) DeleteObject(c.brush);
  DeleteObject(interfaceFont);
  DeleteObject(numberFont);
  DestroyIcon(big);
  DestroyIcon(small);
  return static_cast<int>(msg.wParam);
}
