// The command line's --watch and --stop. A watch keeps a hidden top-level window of a
// class of its own: it takes the system's broadcasts (the work area, the end of the
// session), its timer, and the request to end that --stop sends it.
#include <windows.h>

#include <vector>

#include "app/watch_run.h"
#include "base/application.h"
#include "base/messages.h"
#include "base/shutdown.h"
#include "engine/watch.h"

namespace {

constexpr wchar_t kWatchClass[] = L"Quiltmark.Watch";
constexpr UINT_PTR kWatchTimer = 1;
// A watch's answer to the request to end: anything but the 0 of a window that does
// not know the message.
constexpr LRESULT kEnding = 1;
// How long --stop waits for a watch to take the request and end.
constexpr DWORD kStopMs = 2000;

HWND g_watchWindow = nullptr;

Watch* WatchOf(HWND hwnd) {
  return reinterpret_cast<Watch*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK WatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (IsForeignClassMessage(message)) return 0;
  // Told to end, it ends, even before the watch is under way.
  if (IsPrivateMessage(message, PrivateMessage::kStopWatch)) {
    PostQuit(kExitArranged);
    return kEnding;
  }
  if (message == WM_CLOSE) {
    PostQuit(kExitArranged);
    return 0;
  }
  Watch* watch = WatchOf(hwnd);
  if (!watch || g_app.reportingFault) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (IsPrivateMessage(message, PrivateMessage::kArrange)) {
    watch->Continue();
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      if (wParam == kWatchTimer) watch->Continue();
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) watch->WorkAreaChanged();
      break;
    case WM_DISPLAYCHANGE: watch->WorkAreaChanged(); break;
    case WM_ENDSESSION:
      // The session ends once this returns: the watch ends here.
      if (wParam) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ShutdownRuntime(kExitArranged);
        ExitProcess(kExitArranged);
      }
      return 0;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Ctrl+C, Ctrl+Break, the console's closing, logoff and shutdown all end the watch
// as --stop does. For the last three the system ends the process as soon as this
// returns, so it waits for the watch's own end.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  PostMessageW(g_watchWindow, WM_CLOSE, 0, 0);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(INFINITE);
  return TRUE;
}

}  // namespace

int RunWatch(const CommandLine& cmd) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WatchProc;
  wc.hInstance = instance;
  wc.lpszClassName = kWatchClass;
  RegisterClassExW(&wc);
  // Top-level, so that the broadcasts reach it; never shown.
  g_watchWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kWatchClass, L"Quiltmark", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
  if (!g_watchWindow) return kExitNoWindow;
  // --stop from a prompt that is not elevated reaches a watch that is.
  ChangeWindowMessageFilterEx(g_watchWindow, PrivateMessageId(PrivateMessage::kStopWatch),
                              MSGFLT_ALLOW, nullptr);
  // Its console's Ctrl+C reaches it even when its output goes to a file or a pipe.
  AttachConsole(ATTACH_PARENT_PROCESS);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  int code = kExitArranged;
  {
    Watch watch(cmd.request, cmd.byTitle, cmd.monitor, {}, g_watchWindow,
                PrivateMessageId(PrivateMessage::kArrange), kWatchTimer);
    SetWindowLongPtrW(g_watchWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&watch));
    MSG msg;
    for (;;) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      // What another program posted in Quiltmark's name is passed over, WM_QUIT too.
      if (got != -1 && IsForgedPost(msg)) continue;
      if (got == 0 || got == -1) break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (msg.message == WM_QUIT) code = static_cast<int>(msg.wParam);
    SetWindowLongPtrW(g_watchWindow, GWLP_USERDATA, 0);
  }
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  DestroyWindow(g_watchWindow);
  g_watchWindow = nullptr;
  return code;
}

int StopWatches() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  const UINT stop = PrivateMessageId(PrivateMessage::kStopWatch);
  if (!stop) return kExitNoWindow;
  // Every watch found first: one that ends takes its window with it, and a search
  // that went on from that window would end there.
  std::vector<HWND> watches;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, kWatchClass, nullptr)) != nullptr;)
    watches.push_back(w);
  int stopped = 0;
  std::vector<HANDLE> ending;
  for (HWND w : watches) {
    DWORD pid = 0, theirs = 0;
    GetWindowThreadProcessId(w, &pid);
    if (!ProcessIdToSessionId(pid, &theirs) || theirs != session) continue;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(w, stop, 0, 0, SMTO_ABORTIFHUNG, kStopMs, &answer) &&
        answer == static_cast<DWORD_PTR>(kEnding)) {
      ++stopped;
      if (process) ending.push_back(process);
    } else if (process) {
      CloseHandle(process);
    }
  }
  // Gone by the time this run ends, so that a script can start the next one at once.
  const DWORD start = GetTickCount();
  for (HANDLE process : ending) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(process, spent < kStopMs ? kStopMs - spent : 0);
    CloseHandle(process);
  }
  return stopped > 0 ? kExitArranged : kExitNoWindow;
}
