// The command line's --watch and --stop. A watch keeps a hidden top-level window of a
// class of its own: it takes the system's broadcasts (the work area, the end of the
// session), its timer, and the request to end that --stop sends it.
#include <windows.h>
// sddl.h needs the types of windows.h.
#include <sddl.h>

#include <string>
#include <vector>

#include "app/watch_run.h"
#include "base/application.h"
#include "base/messages.h"
#include "base/shutdown.h"
#include "engine/watch.h"

namespace {

constexpr wchar_t kWatchClass[] = L"Quiltmark.Watch";
// Held by a watch from its start until its window exists, so that --stop can wait for
// one that is starting. Only the user may wait on it and take it, elevated or not: no
// one else can hold every new watch back with it.
constexpr wchar_t kStartingMutex[] = L"Local\\Quiltmark.WatchStarting";
constexpr UINT_PTR kWatchTimer = 1;
// A watch's answer to the request to end: anything but the 0 of a window that does
// not know the message.
constexpr LRESULT kEnding = 1;
// How long --stop waits for a watch to take the request and end.
constexpr DWORD kStopMs = 2000;
constexpr DWORD kStopPollMs = 20;

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
  // Quiltmark only posts this one: sent from another thread, it is not Quiltmark's.
  if (IsPrivateMessage(message, PrivateMessage::kArrange)) {
    if (!InSendMessage()) watch->Continue();
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

// Waiting on the mutex and releasing it, for the user alone.
std::wstring StartingAccess() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  wchar_t* sid = nullptr;
  std::wstring access;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
    access = L"D:(A;;0x00100001;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
  }
  CloseHandle(token);
  return access;
}

HANDLE OpenStarting() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, FALSE};
  const std::wstring access = StartingAccess();
  if (!access.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                             access.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
    sa.lpSecurityDescriptor = descriptor;
  // No more than the list grants: asked for all access, opening it as another run made
  // it would be refused, and a handle that may only wait could not release it.
  constexpr DWORD kAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;
  HANDLE mutex = CreateMutexExW(&sa, kStartingMutex, 0, kAccess);
  if (!mutex) mutex = OpenMutexW(kAccess, FALSE, kStartingMutex);
  if (descriptor) LocalFree(descriptor);
  return mutex;
}

DWORD Until(DWORD deadline) {
  const auto left = static_cast<LONG>(deadline - GetTickCount());
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits until no watch is between its start and its window: true when it may go on.
bool TakeStarting(HANDLE mutex, DWORD ms) {
  const DWORD taken = WaitForSingleObject(mutex, ms);
  return taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED;
}

}  // namespace

WatchStart::WatchStart() : mutex_(OpenStarting()) {
  holding_ = mutex_ && TakeStarting(mutex_, kStopMs);
}

WatchStart::~WatchStart() { Release(); }

void WatchStart::Release() {
  if (holding_) ReleaseMutex(mutex_);
  if (mutex_) CloseHandle(mutex_);
  holding_ = false;
  mutex_ = nullptr;
}

int RunWatch(const CommandLine& cmd, WatchStart& start, const std::function<void()>& leaveConsole) {
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
  start.Release();
  if (!g_watchWindow) return kExitNoWindow;
  // --stop from a prompt that is not elevated reaches a watch that is.
  ChangeWindowMessageFilterEx(g_watchWindow, PrivateMessageId(PrivateMessage::kStopWatch),
                              MSGFLT_ALLOW, nullptr);
  // Whatever it had to say is written: it leaves the console it was started from, so
  // that nothing typed there, nor closing it, ends the watch.
  leaveConsole();
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
  DestroyWindow(g_watchWindow);
  g_watchWindow = nullptr;
  return code;
}

int StopWatches() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  const UINT stop = PrivateMessageId(PrivateMessage::kStopWatch);
  if (!stop) return 0;
  // A watch that is starting has made its window once this is taken.
  WatchStart starting;
  // Every watch found first: one that ends takes its window with it, and a search
  // that went on from that window would end there.
  std::vector<HWND> watches;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, kWatchClass, nullptr)) != nullptr;)
    watches.push_back(w);
  starting.Release();
  int stopped = 0;
  for (HWND w : watches) {
    DWORD pid = 0, theirs = 0;
    GetWindowThreadProcessId(w, &pid);
    // A session that cannot be read (an elevated watch's) is this one: the window is
    // on this session's desktop.
    if (ProcessIdToSessionId(pid, &theirs) && theirs != session) continue;
    // One deadline for the request and the end, so that each watch costs 2 s at most.
    const DWORD deadline = GetTickCount() + kStopMs;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    DWORD_PTR answer = 0;
    const bool ending = SendMessageTimeoutW(w, stop, 0, 0, SMTO_ABORTIFHUNG, kStopMs, &answer) &&
                        answer == static_cast<DWORD_PTR>(kEnding);
    // Gone by the time this run ends, so that a script can start the next one at once.
    // A process that cannot be opened is gone when its window is.
    bool gone = false;
    if (ending && process) {
      gone = WaitForSingleObject(process, Until(deadline)) == WAIT_OBJECT_0;
    } else if (ending) {
      while (IsWindow(w) && Until(deadline) > 0) Sleep(kStopPollMs);
      gone = !IsWindow(w);
    }
    if (gone) ++stopped;
    if (process) CloseHandle(process);
  }
  return stopped;
}
