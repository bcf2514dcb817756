// The helper process that puts a busy program's minimised or maximised window on its
// cell once the program answers.
//
// Why a process: a run from the command line never waits for a busy program and ends
// at once, so it cannot do this itself. Requests queued to the program measure
// nothing when they are carried out, and the frame of a window that is not restored
// yet cannot be known beforehand: its borders are the window manager's, and a program
// that draws its own frame has others. So this helper, which nothing waits for, asks
// each program once; when it answers, it has carried out the restore and the move
// queued before the question, and the window is measured and moved again as a kept
// grid moves a window when its program answers.
#include <windows.h>

#include "base/wide.h"
#include "engine/follow_up.h"
#include "engine/window_moves.h"

namespace {

// How long the helper waits for the programs: one busy for longer has most likely
// hung, and its window keeps the bare cell.
constexpr DWORD kWaitMs = 5 * 60 * 1000;
// How often a window is looked at meanwhile, to drop one that was closed.
constexpr DWORD kBeatMs = 1000;
// The system may carry the queued restore and move out just after the answer: how
// long they may take to land, and how often to look.
constexpr DWORD kLandMs = 2000, kLandBeatMs = 50;
// The longest command line the system takes, less room for the program's path.
constexpr size_t kMaxLine = 30000;

struct Waiting {
  FollowUp f;
  // Held while waiting: says when the thread has ended, and no new thread (nor its
  // windows) is given its number meanwhile.
  HANDLE thread = nullptr;
  bool answered = false;
  DWORD answeredAt = 0;
  bool over = false;
};

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

VOID CALLBACK OnAnswered(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
  auto* w = reinterpret_cast<Waiting*>(data);
  w->answered = true;
  w->answeredAt = GetTickCount();
}

// Ends the helper once its time is up, even inside a move its program stopped
// answering in the middle of: nothing else would.
DWORD WINAPI EndAtLimit(void*) noexcept {
  Sleep(kWaitMs);
  ExitProcess(0);
}

// Anyone can start the helper with any numbers: only top-level windows, moved as a
// kept grid moves them (no flags but keeping the size).
bool Acceptable(const FollowUp& f) {
  HWND hwnd = WindowOf(f.handle);
  return hwnd != HWND_BROADCAST && IsWindow(hwnd) && GetAncestor(hwnd, GA_ROOT) == hwnd;
}

// Restored and where the queued move put it: not minimised or moved by the user since.
bool Landed(HWND hwnd, const FollowUp& f) {
  RECT r;
  return IsWindowVisible(hwnd) && !IsIconic(hwnd) && !IsZoomed(hwnd) && GetWindowRect(hwnd, &r) &&
         r.left == f.x && r.top == f.y;
}

void PutFrameOnCell(HWND hwnd, const FollowUp& f) {
  if (EndsPlaced(hwnd, f.cell, f.area)) return;
  // Neither activated nor raised: the queued move raised it already. Should its
  // program stop answering again, only this helper waits.
  Placement kept = f.cell;
  kept.flags = (kept.flags & SWP_NOSIZE) | SWP_NOACTIVATE | SWP_NOZORDER;
  PlaceWindow(hwnd, kept, f.area, true, {}, {}, nullptr);
}

}  // namespace

void* StartFollowUp(const std::vector<FollowUp>& windows) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return nullptr;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::string line = "\"" + Narrow(path) + "\" " + kFollowUpSwitch;
  for (const FollowUp& f : windows) {
    const std::string arg = EncodeFollowUp(f);
    if (line.size() + arg.size() + 1 > kMaxLine) break;
    line += " " + arg;
  }
  std::wstring wide = Wide(line);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;  // none: it writes nothing
  // Nothing inherited, so that whoever reads this run's output sees it end with this
  // run; started in the system folder, so that it holds no folder of the user's.
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  PROCESS_INFORMATION pi = {};
  const wchar_t* folder = length && length < MAX_PATH ? system : nullptr;
  // Out of the caller's job where it allows, so that a script waiting for the job's
  // processes does not wait for this one.
  if (CreateProcessW(path.c_str(), wide.data(), nullptr, nullptr, FALSE,
                     CREATE_NO_WINDOW | CREATE_BREAKAWAY_FROM_JOB, nullptr, folder, &si, &pi) ||
      CreateProcessW(path.c_str(), wide.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                     folder, &si, &pi)) {
    CloseHandle(pi.hThread);
    return pi.hProcess;
  }
  return nullptr;
}

int RunFollowUp(const std::vector<std::string>& args) {
  std::vector<FollowUp> list;
  if (!DecodeFollowUps(args, &list) || list.empty()) return 2;
  // Not resized from here on: the answers point into it.
  std::vector<Waiting> waiting;
  for (const FollowUp& f : list)
    if (Acceptable(f)) waiting.push_back({f});
  if (HANDLE limit = CreateThread(nullptr, 64 * 1024, EndAtLimit, nullptr,
                                  STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr))
    CloseHandle(limit);
  for (Waiting& w : waiting) {
    w.thread = OpenThread(SYNCHRONIZE, FALSE, w.f.thread);
    // Opened while the window is still that thread's: the thread is the one it had.
    w.over = !w.thread || GetWindowThreadProcessId(WindowOf(w.f.handle), nullptr) != w.f.thread ||
             !SendMessageCallbackW(WindowOf(w.f.handle), WM_NULL, 0, 0, OnAnswered,
                                   reinterpret_cast<ULONG_PTR>(&w));
  }
  const DWORD start = GetTickCount();
  for (;;) {
    bool open = false, landing = false;
    for (Waiting& w : waiting) {
      if (w.over) continue;
      HWND hwnd = WindowOf(w.f.handle);
      // Closed, or its thread has ended (an answer then means nothing).
      if (WaitForSingleObject(w.thread, 0) == WAIT_OBJECT_0 ||
          GetWindowThreadProcessId(hwnd, nullptr) != w.f.thread) {
        w.over = true;
        continue;
      }
      if (w.answered) {
        if (Landed(hwnd, w.f)) {
          PutFrameOnCell(hwnd, w.f);
          w.over = true;
          continue;
        }
        // Not there soon after the answer: the user or the program has put it
        // elsewhere, and it is theirs.
        if (GetTickCount() - w.answeredAt >= kLandMs) {
          w.over = true;
          continue;
        }
        landing = true;
      }
      open = true;
    }
    if (!open || GetTickCount() - start >= kWaitMs) break;
    // Woken at once when a thread ends, so that a program that closes lets the helper
    // go with it.
    HANDLE ending[MAXIMUM_WAIT_OBJECTS - 1];
    DWORD count = 0;
    for (const Waiting& w : waiting)
      if (!w.over && count < MAXIMUM_WAIT_OBJECTS - 1) ending[count++] = w.thread;
    MsgWaitForMultipleObjects(count, ending, FALSE, landing ? kLandBeatMs : kBeatMs, QS_ALLINPUT);
    // The answers are delivered as the queue is read; there is nothing else in it.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  for (Waiting& w : waiting)
    if (w.thread) CloseHandle(w.thread);
  return 0;
}
