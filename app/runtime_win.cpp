// The program's start with its window: the process set up, the layouts prepared, the
// start window loaded, and the message loop with its idle phase.
#include <windows.h>

#include <algorithm>
#include <cfenv>

#include "app/runtime.h"
#include "base/messages.h"
#include "base/phases.h"
#include "base/process.h"
#include "ui/loop.h"

void InitializeRuntime(bool withWindows) {
  InitializeProcess(withWindows);
  if (withWindows && g_app.windows.empty()) PrepareWindowLayouts();
  MarkStartupPhase("window layouts");
}

namespace {

// The system's timer message, which says nothing of the user.
constexpr UINT kSystemTimerMessage = 0x0118;

// Idle work for one turn of the idle phase; false when nothing asks for more.
struct IdleState {
  int count = 0;
  DWORD start = 0;
  std::vector<uint32_t> windowsDone;  // windows whose idle event asked for no more
};

bool RunIdleWork(IdleState& idle) {
  // Idle callbacks run while their window exists, the most recent first.
  auto& callbacks = g_app.idleCallbacks;
  for (size_t i = callbacks.size(); i-- > 0;) {
    if (!IsWindow(static_cast<HWND>(callbacks[i].hwnd))) {
      callbacks.erase(callbacks.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    callbacks[i].routine(callbacks[i].argument);
  }
  int count = idle.count++;
  if (count == 0) {
    idle.start = GetTickCount();
    idle.windowsDone.clear();
  }
  // Counts 0 and 1 are the framework's own idle work; this program has no menus to
  // update and nothing temporary to free.
  if (count < 2) return true;
  bool more = false;
  for (const WindowEntry& w : g_app.windows) {
    if (!w.loaded ||
        std::find(idle.windowsDone.begin(), idle.windowsDone.end(), w.id) != idle.windowsDone.end())
      continue;
    if (RaiseIdleEvent(w.id, static_cast<int32_t>(GetTickCount() - idle.start)))
      more = true;
    else
      idle.windowsDone.push_back(w.id);
  }
  return more;
}

// Every message counts as the user's activity except repeated mouse moves at the
// same place, paints and the system timer.
bool IsUserActivity(const MSG& msg, MSG& lastMove) {
  if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
    bool repeat =
        lastMove.message == msg.message && lastMove.pt.x == msg.pt.x && lastMove.pt.y == msg.pt.y;
    lastMove = msg;
    return !repeat;
  }
  return msg.message != WM_PAINT && msg.message != kSystemTimerMessage;
}

}  // namespace

void RunMessageLoop() {
  g_app.loopRunning = true;
  if (!AnyWindowLoaded()) return;
  IdleState idle;
  bool idleAgain = true;
  bool painted = false;
  MSG msg = {};
  MSG lastMove = {};
  for (;;) {
    while (idleAgain && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // The first time nothing is left to do, the window has been painted.
      if (!painted) {
        painted = true;
        FinishStartupPhases("first paint");
      }
      if (!RunIdleWork(idle)) idleAgain = false;
    }
    do {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      // What another program posted in Quiltmark's name is passed over, WM_QUIT too.
      if (got >= 0 && IsForgedPost(msg)) continue;
      if (got <= 0) {
        g_app.lastMessageWParam = msg.wParam;
        return;
      }
      if (!PreTranslateMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (IsUserActivity(msg, lastMove)) {
        idle.count = 0;
        idleAgain = true;
      }
    } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  }
}

// The program's own clean-up: it holds nothing that the runtime does not release.
static void ProgramCleanup(int) {}

int ProgramStart() {
  InitializeRuntime();
  std::fesetenv(FE_DFL_ENV);
  RegisterCleanup(ProgramCleanup);
  LoadStartWindow(kMainWindowId);
  RunMessageLoop();
  return 0;
}
