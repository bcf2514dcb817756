#include "tests/support/boxes.h"
#include "tests/support/utf8.h"

#include <cstring>

namespace {
struct DialogSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<DialogSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == search->processId && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd))
    search->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> DialogsOf(DWORD processId) {
  DialogSearch search{processId, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

static std::string TextOf(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), n + 1)));
  return U8(s);
}

// An icon handle of another process is of no use here, so compare what the icon
// static shows on the screen with the system's error icon drawn on the same ground.
bool ShowsErrorIcon(HWND iconStatic) {
  RECT r;
  GetWindowRect(iconStatic, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF ground = GetPixel(screen, r.left, r.top);  // the icon's corners are clear
  HBRUSH brush = CreateSolidBrush(ground);
  RECT all{0, 0, 32, 32};
  FillRect(dc, &all, brush);
  DrawIconEx(dc, 0, 0, LoadIconA(nullptr, IDI_HAND), 32, 32, 0, nullptr, DI_NORMAL);
  int differing = 0, inked = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      COLORREF mine = GetPixel(dc, x, y);
      differing += mine != GetPixel(screen, r.left + x, r.top + y);
      inked += mine != ground;
    }
  }
  SelectObject(dc, old);
  DeleteObject(brush);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return inked > 100 && differing == 0;
}

BoxSeen WaitForBox(DWORD processId, DWORD ms) {
  BoxSeen box;
  for (DWORD waited = 0; waited < ms; waited += 50) {
    std::vector<HWND> dialogs = DialogsOf(processId);
    if (!dialogs.empty()) {
      box.hwnd = dialogs.front();
      break;
    }
    Sleep(50);
  }
  if (!box.hwnd) return box;
  box.title = TextOf(box.hwnd);
  // The message text is the static control 0xFFFF; the icon is the static that
  // shows one.
  box.text = TextOf(GetDlgItem(box.hwnd, 0xFFFF));
  for (HWND c = GetWindow(box.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    // The box paints in its own time: give it a moment.
    for (int tries = 0; tries < 20 && !box.errorIcon; ++tries) {
      UpdateWindow(box.hwnd);
      box.errorIcon = ShowsErrorIcon(c);
      if (!box.errorIcon) Sleep(50);
    }
  }
  box.owner = GetWindow(box.hwnd, GW_OWNER);
  return box;
}

void PressButton(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
