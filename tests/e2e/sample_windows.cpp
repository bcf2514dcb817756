// Plain top-level windows of other programs for the end-to-end tests and the demo to
// find, capture and arrange.
//
// Usage: sample_windows.exe [options] CLASS COUNT TITLE [CLASS COUNT TITLE ...]
//   --tiles       side by side in rows of six from the top-left of the screen, none
//                 overlapping (otherwise scattered and overlapping)
//   --children    a button and an edit box inside each window
//   --popup       a dialog-like pop-up window owned by the first window
//   --huge-title  one more window that answers WM_GETTEXTLENGTH with 0x7FFFFFFF
//   --hung        one more window whose thread stops answering once it has painted
//   --slow        one more window whose thread is busy for 2 s each time it is asked
//                 for the length of its title, then answers
//   --hidden-owner  one more pop-up window, owned by a hidden window of size 0
//   --busy        one more window titled as the first group, on a thread of its own
//                 that is busy for 3 s each time kBusyMessage is posted to it
//   --closer      one more window titled as the first group that closes the first
//                 named window when it is first moved
//   --sleepy      one more window titled as the first group, minimised, on a thread of
//                 its own that sleeps for 3 s the first time it is asked to open
//   --family      one more tool window and a hidden helper window; kDialogMessage
//                 posted to the first named window opens a dialog it owns
//   --least WxH   the last named window cannot be made smaller than W x H
//   --size-sleep MS  each window's thread sleeps MS ms each time the window is
//                 resized, as a program that lays itself out again at every size
//   --zoom-in-front  each named window maximises itself when it is moved while in the
//                 foreground, as a program that fills the screen once brought up
//   --steady-stacking  the windows stay where they are in the stacking order when
//                 Wine's display driver reports a part of one shown, late, after later
//                 moves (its server then raises that window; Windows never does): they
//                 are made WS_EX_TRANSPARENT, which that reordering leaves alone. Only
//                 where nothing of Quiltmark's is looked at on the screen: a window
//                 below one so marked draws over it.
// The extra windows come after the named ones, in the order above. Each window is
// painted in a colour of its own with its number. The program runs until every
// named window is closed or it is ended. The windows raise the events Windows raises
// for their showing, hiding, naming, minimising and closing, which Wine does not pass
// on to another process.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/utf8.h"

namespace {

constexpr char kPopupClass[] = "QmSamplePopup";
constexpr char kHugeClass[] = "QmSampleHuge";
constexpr char kHungClass[] = "QmSampleHung";
constexpr char kSlowClass[] = "QmSampleSlow";
constexpr char kOwnerClass[] = "QmSampleOwner";
constexpr char kOwnedClass[] = "QmSampleOwned";
constexpr char kBusyClass[] = "QmSampleBusy";
constexpr char kCloserClass[] = "QmSampleCloser";
constexpr char kSleepyClass[] = "QmSampleSleepy";
constexpr char kToolClass[] = "QmSampleTool";
constexpr char kHelperClass[] = "QmSampleHelper";
constexpr UINT kDialogMessage = WM_APP + 3;  // the tests post it by number
constexpr DWORD kSleepyMs = 3000;
constexpr UINT kBusyMessage = WM_APP + 2;  // the tests post it by number
constexpr DWORD kBusyForMs = 3000;
constexpr DWORD kBusyMs = 2000;
constexpr UINT kHangMessage = WM_APP + 1;
constexpr DWORD kHangMs = 10 * 60 * 1000;

const COLORREF kColours[] = {
    RGB(230, 80, 70),  RGB(70, 150, 230), RGB(90, 190, 90),   RGB(240, 180, 50),
    RGB(160, 90, 200), RGB(60, 190, 190), RGB(240, 130, 180), RGB(150, 150, 150),
};

// What each window paints: its colour and its 1-based number.
struct Sample {
  COLORREF colour;
  int number;
};

int g_openWindows = 0;
HFONT g_numberFont = nullptr;
DWORD g_sizeSleepMs = 0;
bool g_zoomInFront = false;
DWORD g_steadyStacking = 0;

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  auto* sample = reinterpret_cast<const Sample*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (sample) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(sample->colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    char number[16];
    wsprintfA(number, "%d", sample->number);
    HGDIOBJ old = SelectObject(dc, g_numberFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, number, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
  EndPaint(hwnd, &ps);
}

void Notify(DWORD event, HWND hwnd) { NotifyWinEvent(event, hwnd, OBJID_WINDOW, CHILDID_SELF); }

// The system's own handling, then the events it raises on Windows.
LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_SETTEXT) Notify(EVENT_OBJECT_NAMECHANGE, hwnd);
  if (message == WM_DESTROY) Notify(EVENT_OBJECT_DESTROY, hwnd);
  if (message == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos->flags & SWP_SHOWWINDOW) Notify(EVENT_OBJECT_SHOW, hwnd);
    if (pos->flags & SWP_HIDEWINDOW) Notify(EVENT_OBJECT_HIDE, hwnd);
    if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
      Notify(EVENT_OBJECT_LOCATIONCHANGE, hwnd);
    const bool iconic = IsIconic(hwnd) != 0;
    if (iconic != (GetPropW(hwnd, L"QmIconic") != nullptr)) {
      SetPropW(hwnd, L"QmIconic", iconic ? hwnd : nullptr);
      Notify(iconic ? EVENT_SYSTEM_MINIMIZESTART : EVENT_SYSTEM_MINIMIZEEND, hwnd);
    }
  }
  return result;
}

HWND MakeSample(const char* className, const char* title, DWORD style, HWND owner, int index,
                bool tiles, DWORD exStyle = 0);

// The window of --least and its least size.
HWND g_leastWindow = nullptr;
POINT g_leastSize = {1, 1};
// --rescaling: the windows act as a program aware of each monitor's scale would where
// the right half of the screen were a monitor at 150 % and the left one at 100 %.
bool g_rescaling = false;

// Moved across the middle, the window takes the size it was given times the change of
// scale, as such a program takes the rectangle the system suggests with the change.
void Rescale(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const bool right = (r.left + r.right) / 2 >= GetSystemMetrics(SM_CXSCREEN) / 2;
  const bool wasRight = GetPropW(hwnd, L"QmRight") != nullptr;
  if (right == wasRight) return;
  SetPropW(hwnd, L"QmRight", right ? hwnd : nullptr);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd, nullptr, 0, 0, right ? w * 3 / 2 : w * 2 / 3, right ? h * 3 / 2 : h * 2 / 3,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Any size is allowed, so that a grid of narrow cells lands exactly as placed; the
// window of --least goes no smaller than its size.
void AllowAnySize(HWND hwnd, LPARAM lParam) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMinTrackSize = hwnd == g_leastWindow ? g_leastSize : POINT{1, 1};
  info->ptMaxTrackSize = {10000, 10000};
}

LRESULT CALLBACK SampleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_GETMINMAXINFO: AllowAnySize(hwnd, lParam); return 0;
    case WM_SIZE:
      if (g_sizeSleepMs) Sleep(g_sizeSleepMs);
      return Default(hwnd, message, wParam, lParam);
    case WM_WINDOWPOSCHANGED:
      if (g_rescaling && !IsIconic(hwnd) && !IsZoomed(hwnd)) Rescale(hwnd);
      if (g_zoomInFront && !(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOMOVE) &&
          GetForegroundWindow() == hwnd && !IsZoomed(hwnd))
        ShowWindow(hwnd, SW_MAXIMIZE);
      return Default(hwnd, message, wParam, lParam);
    case WM_DESTROY:
      if (--g_openWindows == 0) PostQuitMessage(0);
      return Default(hwnd, message, wParam, lParam);
    case kDialogMessage:
      MakeSample(kPopupClass, "后开的对话框", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, hwnd,
                 20, false);
      return 0;
    default: return Default(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    Paint(hwnd);
    return 0;
  }
  return Default(hwnd, message, wParam, lParam);
}

// Claims a title far longer than any buffer; its real title is short.
LRESULT CALLBACK HugeTitleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return 0x7FFFFFFF;
  return PopupProc(hwnd, message, wParam, lParam);
}

// Paints once, then its thread sleeps and answers nothing more.
LRESULT CALLBACK HungProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(hwnd);
      PostMessageW(hwnd, kHangMessage, 0, 0);
      return 0;
    case kHangMessage: Sleep(kHangMs); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// Busy for a while whenever its title's length is asked, then answers as usual.
LRESULT CALLBACK SlowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) Sleep(kBusyMs);
  return PopupProc(hwnd, message, wParam, lParam);
}

// Busy for a while each time it is told to, answering nothing meanwhile.
LRESULT CALLBACK BusyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kBusyMessage) {
    Sleep(kBusyForMs);
    return 0;
  }
  return SampleProc(hwnd, message, wParam, lParam);
}

HWND g_firstNamed = nullptr;

// Closes another window of the run as soon as it is moved itself.
LRESULT CALLBACK CloserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOVE && g_firstNamed) {
    DestroyWindow(g_firstNamed);
    g_firstNamed = nullptr;
  }
  return SampleProc(hwnd, message, wParam, lParam);
}

// Restored for the first time, its program is busy before it answers: in the middle
// of the show that a move starts with.
LRESULT CALLBACK SleepyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static volatile LONG slept = 0;
  if (message == WM_QUERYOPEN && InterlockedExchange(&slept, 1) == 0) Sleep(kSleepyMs);
  return SampleProc(hwnd, message, wParam, lParam);
}

// Unicode windows, titled in any characters from a UTF-8 command line.
void Register(const char* className, WNDPROC proc) {
  static std::vector<std::wstring> names;  // the class keeps a pointer to its name
  names.push_back(W(className));
  WNDCLASSW wc{};
  // The number stays in the middle when the window is resized.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = names.back().c_str();
  RegisterClassW(&wc);
}

struct Place {
  int x, y, cx, cy;
};

// Window `i` (0-based) of the run.
Place PlaceOf(int i, bool tiles) {
  if (tiles) return {20 + (i % 6) * 315, 20 + (i / 6) * 235, 300, 200};
  // Spread over the screen with a few sizes, each overlapping the ones before.
  return {60 + (i * 290) % 1250, 50 + (i * 170) % 520, 420 + (i * 70) % 180, 300 + (i * 50) % 140};
}

HWND MakeSample(const char* className, const char* title, DWORD style, HWND owner, int index,
                bool tiles, DWORD exStyle) {
  static std::vector<Sample*> samples;
  samples.push_back(new Sample{kColours[index % std::size(kColours)], index + 1});
  Place p = PlaceOf(index, tiles);
  // The samples never take the activation: when a message box of the program under
  // test closes, the system must not hand the activation to one of them.
  HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | g_steadyStacking | exStyle, W(className).c_str(),
                              W(title).c_str(), style, p.x, p.y, p.cx, p.cy, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(samples.back()));
  return hwnd;
}

void AddChildren(HWND hwnd, int number) {
  const std::wstring caption = L"按钮 " + std::to_wstring(number);
  CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 16, 16, 120,
                  32, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"输入框", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 16,
                  60, 180, 26, hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A window made on a thread of its own, so that its silence holds up no other.
struct ThreadStart {
  const char* className;
  const char* title;
  int index;
  bool tiles;
  DWORD style = 0;
};

DWORD WINAPI RunWindowThread(void* parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  MakeSample(start->className, start->title, WS_OVERLAPPEDWINDOW | WS_VISIBLE | start->style,
             nullptr, start->index, start->tiles);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

int Usage() {
  MessageBoxW(nullptr,
              L"sample_windows.exe [--tiles] [--children] [--popup] [--huge-title] [--hung] "
              L"[--slow] [--hidden-owner] [--busy] [--closer] [--sleepy] [--family] [--least WxH] "
              L"[--size-sleep MS] [--zoom-in-front] [--steady-stacking] [--rescaling] CLASS COUNT "
              L"TITLE [CLASS COUNT "
              L"TITLE ...]",
              L"sample_windows", MB_OK);
  return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bool tiles = false, children = false, popup = false, hugeTitle = false, hung = false;
  bool slow = false, hiddenOwner = false, busy = false, closer = false, sleepy = false;
  bool family = false;
  POINT least = {0, 0};
  DWORD sizeSleepMs = 0;
  struct Group {
    const char* className;
    int count;
    const char* title;
  };
  std::vector<Group> groups;
  // The arguments in UTF-8, from the system's Unicode command line.
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int a = 0; a < argc; ++a) args.push_back(U8(wide[a]));
  LocalFree(wide);
  for (int a = 1; a < argc; ++a) {
    const char* arg = args[a].c_str();
    if (std::strcmp(arg, "--tiles") == 0) {
      tiles = true;
    } else if (std::strcmp(arg, "--children") == 0) {
      children = true;
    } else if (std::strcmp(arg, "--popup") == 0) {
      popup = true;
    } else if (std::strcmp(arg, "--huge-title") == 0) {
      hugeTitle = true;
    } else if (std::strcmp(arg, "--hung") == 0) {
      hung = true;
    } else if (std::strcmp(arg, "--slow") == 0) {
      slow = true;
    } else if (std::strcmp(arg, "--hidden-owner") == 0) {
      hiddenOwner = true;
    } else if (std::strcmp(arg, "--busy") == 0) {
      busy = true;
    } else if (std::strcmp(arg, "--closer") == 0) {
      closer = true;
    } else if (std::strcmp(arg, "--sleepy") == 0) {
      sleepy = true;
    } else if (std::strcmp(arg, "--family") == 0) {
      family = true;
    } else if (std::strcmp(arg, "--rescaling") == 0) {
      g_rescaling = true;
    } else if (std::strcmp(arg, "--least") == 0 && a + 1 < argc) {
      const std::string& size = args[++a];
      least = {std::atoi(size.c_str()), std::atoi(size.c_str() + size.find('x') + 1)};
    } else if (std::strcmp(arg, "--zoom-in-front") == 0) {
      g_zoomInFront = true;
    } else if (std::strcmp(arg, "--steady-stacking") == 0) {
      g_steadyStacking = WS_EX_TRANSPARENT;
    } else if (std::strcmp(arg, "--size-sleep") == 0 && a + 1 < argc) {
      sizeSleepMs = static_cast<DWORD>(std::atoi(args[++a].c_str()));
    } else if (a + 2 < argc) {
      groups.push_back({arg, std::atoi(args[a + 1].c_str()), args[a + 2].c_str()});
      a += 2;
    } else {
      return Usage();
    }
  }
  if (groups.empty()) return Usage();

  g_numberFont =
      CreateFontA(-72, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
  int index = 0;
  HWND first = nullptr, last = nullptr;
  for (const Group& g : groups) {
    Register(g.className, SampleProc);
    for (int i = 0; i < g.count; ++i, ++index) {
      HWND hwnd =
          MakeSample(g.className, g.title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, index, tiles);
      if (!hwnd) return 1;
      ++g_openWindows;
      if (!first) first = hwnd;
      last = hwnd;
      if (children) AddChildren(hwnd, index + 1);
    }
  }
  if (g_openWindows == 0) return Usage();
  if (least.x > 0 && least.y > 0) {
    g_leastSize = least;
    g_leastWindow = last;
  }
  Register(kPopupClass, PopupProc);
  if (popup) {
    MakeSample(kPopupClass, "样例对话框", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, first,
               index++, tiles);
  }
  if (hugeTitle) {
    Register(kHugeClass, HugeTitleProc);
    MakeSample(kHugeClass, "超长标题窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, index++,
               tiles);
  }
  if (hung) {
    Register(kHungClass, HungProc);
    static ThreadStart start{kHungClass, "无响应窗口", index++, tiles};
    CloseHandle(CreateThread(nullptr, 0, RunWindowThread, &start, 0, nullptr));
  }
  if (slow) {
    Register(kSlowClass, SlowProc);
    static ThreadStart start{kSlowClass, "忙碌窗口", index++, tiles};
    CloseHandle(CreateThread(nullptr, 0, RunWindowThread, &start, 0, nullptr));
  }
  if (hiddenOwner) {
    Register(kOwnerClass, PopupProc);
    Register(kOwnedClass, PopupProc);
    HWND owner =
        CreateWindowExW(WS_EX_NOACTIVATE, W(kOwnerClass).c_str(), L"隐藏的所有者", WS_POPUP, 0, 0,
                        0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    MakeSample(kOwnedClass, "无尺寸所有者的窗口", WS_POPUP | WS_CAPTION | WS_VISIBLE, owner,
               index++, tiles);
  }

  if (busy) {
    Register(kBusyClass, BusyProc);
    static ThreadStart start{kBusyClass, groups.front().title, index++, tiles};
    CloseHandle(CreateThread(nullptr, 0, RunWindowThread, &start, 0, nullptr));
  }
  if (closer) {
    Register(kCloserClass, CloserProc);
    ++g_openWindows;
    MakeSample(kCloserClass, groups.front().title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr,
               index++, tiles);
    // Armed only now: the window is told of its place once as it is made.
    g_firstNamed = first;
  }
  if (sleepy) {
    Register(kSleepyClass, SleepyProc);
    static ThreadStart start{kSleepyClass, groups.front().title, index++, tiles, WS_MINIMIZE};
    CloseHandle(CreateThread(nullptr, 0, RunWindowThread, &start, 0, nullptr));
  }

  if (family) {
    Register(kToolClass, PopupProc);
    Register(kHelperClass, PopupProc);
    MakeSample(kToolClass, "工具窗口", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, index++, tiles,
               WS_EX_TOOLWINDOW);
    MakeSample(kHelperClass, "隐藏的帮手", WS_OVERLAPPEDWINDOW, nullptr, index++, tiles);
  }

  // Armed only now, so that the windows open at once.
  g_sizeSleepMs = sizeSleepMs;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // Returning ends the process, the sleeping thread with it.
  return 0;
}
