// Arranging on the screen: the taskbar and the work area read from the system, the
// windows the request names, and the plan applied to them without ever waiting on a
// program that does not answer.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <algorithm>

#include "base/messages.h"
#include "base/services.h"
#include "base/sysfn.h"
#include "engine/arrange.h"
#include "engine/helper.h"
#include "engine/window_manager.h"
#include "engine/window_moves.h"

namespace {

// The taskbar query's fault site.
constexpr FaultLocation kTaskbarQuerySite = {67174794, 0};

// How long a program may take to answer before it counts as busy: first all of them
// at once, then one that answered but takes longer over a move.
constexpr DWORD kAskMs = 250;
constexpr DWORD kMoveMs = 1000;

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

DWORD Left(DWORD since, DWORD span) {
  DWORD spent = GetTickCount() - since;
  return spent < span ? span - spent : 0;
}

}  // namespace

struct Arrangement::Ticket {
  Arrangement* run;  // null once the arrangement is over: the answer is dropped
  uint32_t thread;
};

namespace {

VOID CALLBACK OnAnswered(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
  auto* ticket = reinterpret_cast<Arrangement::Ticket*>(data);
  // Under a fault report the arrangement goes no further.
  if (ticket->run && !g_app.reportingFault) ticket->run->Answered(ticket);
  delete ticket;
}

// A kept grid's window that is up and restored is only moved: not shown, which would
// activate it, nor raised over what the user is working in.
bool OnlyToMove(HWND hwnd, const Placement& p) {
  return (p.flags & SWP_NOACTIVATE) && IsWindowVisible(hwnd) && !IsIconic(hwnd) && !IsZoomed(hwnd);
}

}  // namespace

bool PlaceWindow(HWND hwnd, const Placement& p, FaultLocation showAt, FaultLocation moveAt,
                 GivenUp givenUp) {
  if (Stopped(givenUp)) return false;
  if (!OnlyToMove(hwnd, p)) {
    CallSystemFunction(kShowWindow, showAt, hwnd, SW_SHOWNORMAL);
    if (Stopped(givenUp)) return false;
    // A window minimised from maximised comes back maximised, with no sizing border and
    // stretched again by the system whenever the work area changes.
    if (IsZoomed(hwnd)) {
      CallSystemFunction(kShowWindow, showAt, hwnd, SW_SHOWNORMAL);
      if (Stopped(givenUp)) return false;
    }
  }
  // Measured once restored: the visible frame, not the rectangle, fills the cell.
  const FrameMargins before = FrameMarginsOf(hwnd);
  const Placement t = WidenedByFrame(p, before);
  bool moved = static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, t.x,
                                                        t.y, t.cx, t.cy, t.flags)) != 0;
  // Moved onto a monitor of another scale, its borders changed with it: once more.
  if (const FrameMargins after = FrameMarginsOf(hwnd); moved && !(after == before)) {
    const Placement again = WidenedByFrame(p, after);
    moved =
        static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, again.x,
                                                 again.y, again.cx, again.cy, again.flags)) != 0;
  }
  // The system took the move; the size is the window's to settle (a minimum size, a
  // console's character grid), but the state must be the restored one.
  return moved && !IsIconic(hwnd) && !IsZoomed(hwnd);
}

void QueuePlacement(HWND hwnd, const Placement& p) {
  if (!OnlyToMove(hwnd, p)) {
    ShowWindowAsync(hwnd, SW_SHOWNORMAL);
    // Minimised from maximised, the first restore maximises it; the second restores it.
    if (IsIconic(hwnd)) ShowWindowAsync(hwnd, SW_SHOWNORMAL);
  }
  // The window manager answers for a busy window; one not yet restored has no frame
  // to measure, and its cell is then its rectangle's.
  const Placement t = WidenedByFrame(p, FrameMarginsOf(hwnd));
  SetWindowPos(hwnd, HWND_TOP, t.x, t.y, t.cx, t.cy, t.flags | SWP_ASYNCWINDOWPOS);
}

bool EndsPlaced(HWND hwnd, const Placement& cell) {
  RECT r;
  if (IsIconic(hwnd) || IsZoomed(hwnd) || !GetWindowRect(hwnd, &r)) return false;
  const Placement p = WidenedByFrame(cell, FrameMarginsOf(hwnd));
  const bool sized =
      (p.flags & SWP_NOSIZE) || (r.right - r.left == p.cx && r.bottom - r.top == p.cy);
  return r.left == p.x && r.top == p.y && sized;
}

Arrangement::Arrangement(const WindowList& list, const ArrangeRequest& request,
                         const WorkArea& area, void* notify, unsigned message, bool keptGrid)
    : notify_(notify), message_(message) {
  const ArrangementPlan plan = PlanArrangement(request, area, list.Count());
  const ApplySites& at = plan.sites;
  routine_ = at.routine;
  showSite_ = at.showRead;
  moveSite_ = at.move;
  ownThread_ = GetCurrentThreadId();
  // Bound here, so that the helper never binds a slot while this thread uses it.
  BindSystemFunction(kShowWindow);
  BindSystemFunction(kSetWindowPos);
  targets_.reserve(plan.cells.size());
  int32_t i = 0;
  for (const Placement& cell : plan.cells) {
    ++i;
    ReadArrayElement(list.get(), i, at.routine, at.showRead);
    int32_t handle = ReadArrayElement(list.get(), i, at.routine, at.moveRead);
    DWORD thread = GetWindowThreadProcessId(WindowOf(handle), nullptr);
    Placement p = cell;
    Landing landing = thread ? Landing::kWaiting : Landing::kGone;
    if (keptGrid) {
      p.flags |= SWP_NOACTIVATE | SWP_NOZORDER;
      // Already in its cell: neither its program nor the system is asked anything.
      if (thread && EndsPlaced(WindowOf(handle), p)) landing = Landing::kPlaced;
    }
    targets_.push_back({handle, thread, p, landing, nullptr});
  }
  // A kept grid raises nothing, so the order of the moves is free: from the end of the
  // list, where its newcomers are, so that they land first.
  if (keptGrid) std::ranges::reverse(targets_);
  AskEveryThread();
}

Arrangement::Arrangement(const std::vector<SavedPlacement>& saved, void* notify, unsigned message)
    : saved_(saved), notify_(notify), message_(message) {
  ownThread_ = GetCurrentThreadId();
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    const ScreenRect& r = it->normal;
    DWORD thread = GetWindowThreadProcessId(WindowOf(it->handle), nullptr);
    targets_.push_back({it->handle,
                        thread,
                        {r.left, r.top, r.right - r.left, r.bottom - r.top, 0},
                        thread ? Landing::kWaiting : Landing::kGone,
                        &*it});
  }
  AskEveryThread();
}

void Arrangement::AskEveryThread() {
  askedAt_ = GetTickCount();
  std::vector<uint32_t> threads;
  for (const Target& t : targets_) {
    if (t.landing != Landing::kWaiting || t.thread == ownThread_) continue;
    if (std::ranges::find(threads, t.thread) != threads.end()) continue;
    threads.push_back(t.thread);
    auto* ticket = new Ticket{this, t.thread};
    if (SendMessageCallbackW(WindowOf(t.handle), WM_NULL, 0, 0, OnAnswered,
                             reinterpret_cast<ULONG_PTR>(ticket))) {
      tickets_.push_back(ticket);
      ++asked_;
    } else {
      // A question that cannot be sent (the window has just closed) says nothing
      // against the thread.
      delete ticket;
      answering_.push_back(t.thread);
    }
  }
}

Arrangement::~Arrangement() {
  for (Ticket* ticket : tickets_) ticket->run = nullptr;
  // A move still under way is left to the helper, which then ends by itself; one
  // that has just finished is waited out, since the helper is about to signal it.
  if (move_ && GiveUp(move_)) return;
  if (move_) TakeResult(move_);
  if (helper_) EndHelper(helper_);
}

void Arrangement::Answered(Ticket* ticket) {
  std::erase(tickets_, ticket);
  ++answered_;
  answering_.push_back(ticket->thread);
  // An answer taken while the arrangement itself is under way (a direct move of this
  // thread's own window can wait on another thread) is seen when that step returns.
  if (!advancing_) Advance();
}

bool Arrangement::IsBusy(uint32_t thread) const {
  return std::ranges::find(busy_, thread) != busy_.end();
}

void Arrangement::QueueRequests(const Target& t) const {
  if (g_app.reportingFault) return;
  HWND hwnd = WindowOf(t.handle);
  if (t.saved)
    QueuePutBack(hwnd, *t.saved);
  else
    QueuePlacement(hwnd, t.cell);
}

void Arrangement::Start(size_t index) {
  Target& t = targets_[index];
  HWND hwnd = WindowOf(t.handle);
  const FaultLocation showAt = {routine_, showSite_}, moveAt = {routine_, moveSite_};
  if (t.thread == ownThread_) {
    // This thread's own windows are placed by direct calls.
    bool moved = t.saved ? PutWindowBack(hwnd, *t.saved, nullptr)
                         : PlaceWindow(hwnd, t.cell, showAt, moveAt, nullptr);
    t.landing = !IsWindow(hwnd) ? Landing::kGone : moved ? Landing::kPlaced : Landing::kRefused;
    return;
  }
  if (!IsWindow(hwnd)) {
    t.landing = Landing::kGone;
    return;
  }
  if (!IsBusy(t.thread) && !helper_) helper_ = StartHelper();
  const MoveOrder order{
      hwnd,   t.cell, t.saved != nullptr,         t.saved ? *t.saved : SavedPlacement{},
      showAt, moveAt, static_cast<HWND>(notify_), message_};
  if (IsBusy(t.thread) || !helper_ || !(move_ = HandOver(helper_, order))) {
    // A busy program, or no helper to be had: the requests wait in its queue.
    QueueRequests(t);
    t.landing = Landing::kBusy;
    return;
  }
  moving_ = index;
  movedAt_ = GetTickCount();
}

bool Arrangement::Place() {
  for (;;) {
    if (move_) {
      Target& t = targets_[moving_];
      HWND hwnd = WindowOf(t.handle);
      if (WaitForSingleObject(DoneEvent(move_), 0) == WAIT_OBJECT_0) {
        const bool landed = TakeResult(move_);
        move_ = nullptr;
        t.landing = !IsWindow(hwnd) ? Landing::kGone
                    : landed        ? Landing::kPlaced
                                    : Landing::kRefused;
        continue;
      }
      if (Left(movedAt_, kMoveMs)) return false;
      // Its program stopped answering in the middle. The helper is left waiting for
      // it and drops the rest of the move, and a new one makes the next moves; the
      // same requests queued to the program land even if this process ends.
      if (!GiveUp(move_)) continue;  // it has just finished after all
      move_ = nullptr;
      helper_ = nullptr;
      busy_.push_back(t.thread);
      QueueRequests(t);
      t.landing = IsWindow(hwnd) ? Landing::kBusy : Landing::kGone;
      continue;
    }
    if (next_ == targets_.size()) return true;
    size_t index = next_++;
    if (targets_[index].landing == Landing::kWaiting) Start(index);
  }
}

bool Arrangement::Advance() {
  if (phase_ == Phase::kDone) return true;
  if (advancing_) return false;
  advancing_ = true;
  bool over = Continue();
  advancing_ = false;
  return over;
}

bool Arrangement::Continue() {
  if (phase_ == Phase::kAsking) {
    if (answered_ < asked_ && Left(askedAt_, kAskMs)) return false;
    // Whoever has not answered the first question is busy.
    for (const Target& t : targets_) {
      if (t.thread == ownThread_ || t.landing != Landing::kWaiting) continue;
      if (std::ranges::find(answering_, t.thread) == answering_.end() && !IsBusy(t.thread))
        busy_.push_back(t.thread);
    }
    phase_ = Phase::kPlacing;
  }
  if (!Place()) return false;
  // A busy program may have come back meanwhile and carried its requests out, or
  // closed its window.
  for (Target& t : targets_) {
    if (t.landing != Landing::kBusy) continue;
    HWND hwnd = WindowOf(t.handle);
    if (!IsWindow(hwnd))
      t.landing = Landing::kGone;
    else if (!t.saved && EndsPlaced(hwnd, t.cell))
      t.landing = Landing::kPlaced;
  }
  phase_ = Phase::kDone;
  return true;
}

uint32_t Arrangement::WaitMs() const {
  DWORD wait = 0;
  if (phase_ == Phase::kAsking)
    wait = Left(askedAt_, kAskMs);
  else if (move_)
    wait = Left(movedAt_, kMoveMs);
  return std::max<DWORD>(wait, 1);
}

void* Arrangement::WaitHandle() const { return move_ ? DoneEvent(move_) : nullptr; }

int32_t Arrangement::Placed() const {
  return static_cast<int32_t>(std::ranges::count_if(
      targets_, [](const Target& t) { return t.landing == Landing::kPlaced; }));
}

void FinishArrangement(Arrangement& run) {
  bool quit = false;
  WPARAM code = 0;
  while (!run.Advance()) {
    HANDLE moved = static_cast<HANDLE>(run.WaitHandle());
    // After a quit nothing more is taken from the queue; the waits run out by themselves.
    if (quit) {
      WaitForSingleObject(moved ? moved : GetCurrentProcess(), run.WaitMs());
      continue;
    }
    MsgWaitForMultipleObjects(moved ? 1 : 0, &moved, FALSE, run.WaitMs(), QS_ALLINPUT);
    // The answers are delivered while the messages are taken.
    MSG msg;
    while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsForgedPost(msg)) continue;
      if (msg.message == WM_QUIT) {
        quit = true;
        code = msg.wParam;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuit(static_cast<int>(code));
}

TaskbarRect GetTaskbarRect() {
  APPBARDATA query = {};
  query.cbSize = sizeof query;
  static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36, "the shell expects 36 bytes");
  CallSystemFunction(kSHAppBarMessage, kTaskbarQuerySite, ABM_GETTASKBARPOS, &query);
  return {query.rc.left, query.rc.top, query.rc.right, query.rc.bottom};
}

WorkArea ComputeWorkArea() {
  TaskbarRect bar = GetTaskbarRect();
  return ComputeWorkAreaFrom(GetScreenWidth(), GetScreenHeight(), bar);
}

namespace {

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM found) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info))
    reinterpret_cast<std::vector<Monitor>*>(found)->push_back(
        {FromRect(info.rcMonitor), FromRect(info.rcWork),
         (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> ListMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    // The system could not say: the primary screen, less nothing.
    ScreenRect screen{0, 0, GetScreenWidth(), GetScreenHeight()};
    monitors.push_back({screen, screen, true});
  }
  OrderMonitors(monitors);
  return monitors;
}

bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list) {
  const char* className = request.className.empty() ? nullptr : request.className.c_str();
  const char* title = request.title.empty() ? nullptr : request.title.c_str();
  const char* program = request.program.empty() ? nullptr : request.program.c_str();
  return FindMatchingWindows(className, title, list, program);
}

int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area) {
  Arrangement run(list, request, area);
  FinishArrangement(run);
  return run.Placed();
}
