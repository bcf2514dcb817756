#include "tests/win/win_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/runtime.h"

namespace {
// Every test runs inside an initialised runtime, as the program's code always does.
class RuntimeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitializeRuntime(); }
};
const auto* const kRuntime = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);
}  // namespace

std::string TestFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  *(std::strrchr(path, '\\') + 1) = '\0';
  return path;
}

Child::~Child() {
  if (pi.hProcess) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

bool Child::Start(const std::string& commandLine, const char* currentDirectory) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = commandLine;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, currentDirectory,
                        &si, &pi) != 0;
}

DWORD Child::Wait(DWORD ms) {
  if (WaitForSingleObject(pi.hProcess, ms) != WAIT_OBJECT_0) return 0x7FFFFFFF;
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

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
  int n = GetWindowTextLengthA(hwnd);
  std::string s(n + 1, '\0');
  GetWindowTextA(hwnd, s.data(), n + 1);
  s.resize(std::strlen(s.c_str()));
  return s;
}

// An icon handle of another process is of no use here, so compare what the icon
// static shows on the screen with the system's error icon drawn on the same ground.
static bool ShowsErrorIcon(HWND iconStatic) {
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

static void RegisterTestClass(const char* className) {
  WNDCLASSA wc{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &wc)) return;
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  RegisterClassA(&wc);
}

HWND MakeClassWindow(const char* className, const char* title, DWORD style, int x, int y, int cx,
                     int cy) {
  RegisterTestClass(className);
  return CreateWindowExA(0, className, title, style, x, y, cx, cy, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

HWND MakeWindow(const char* title, DWORD style, HWND parent, int x, int y, int cx, int cy) {
  RegisterTestClass("QuiltmarkTestWindow");
  return CreateWindowExA(0, "QuiltmarkTestWindow", title, style, x, y, cx, cy, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
