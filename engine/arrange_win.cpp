// Arranging on the screen: the taskbar and the work area read from the system, the
// windows the request names, and the plan applied to them without ever waiting on a
// program that does not answer.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <algorithm>

#include "base/services.h"
#include "base/sysfn.h"
#include "engine/arrange.h"

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

enum MoveState : LONG { kMoving = 0, kMoved = 1, kAbandoned = 2 };

}  // namespace

struct Arrangement::Ticket {
  Arrangement* run;  // null once the arrangement is over: the answer is dropped
  uint32_t thread;
};

// One window shown and moved by the helper thread. Whoever is last of the two frees
// it: the arrangement once the move is done, the helper when the arrangement gave up
// waiting for it.
struct Arrangement::Move {
  HWND hwnd;
  Placement cell;
  bool restore;
  SavedPlacement saved;  // a copy: the helper may outlive the arrangement
  FaultLocation showAt, moveAt;
  HWND notify;
  UINT message;
  HANDLE done;
  volatile LONG state;
  bool moved;
};

// The thread that makes the moves, one after another, each handed over with `wake`;
// with no move handed over, `wake` tells it to end. It frees this record as it ends.
struct Arrangement::Helper {
  HANDLE wake;
  Arrangement::Move* volatile move;
};

namespace {

VOID CALLBACK OnAnswered(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
  auto* ticket = reinterpret_cast<Arrangement::Ticket*>(data);
  if (ticket->run) ticket->run->Answered(ticket);
  delete ticket;
}

void FreeMove(Arrangement::Move* move) {
  CloseHandle(move->done);
  delete move;
}

// The show command that gives a put-back window the state it had, or 0 when it was
// restored and shown.
int FinalShow(const SavedPlacement& saved) {
  if (!saved.visible) return SW_HIDE;
  if (saved.showCmd == SW_SHOWMINIMIZED || saved.showCmd == SW_MINIMIZE ||
      saved.showCmd == SW_SHOWMINNOACTIVE)
    return SW_SHOWMINNOACTIVE;
  if (saved.showCmd == SW_SHOWMAXIMIZED) return SW_SHOWMAXIMIZED;
  return 0;
}

// Shows and places the window in its cell, or puts it back where it was and raises
// it; whether the system accepted the move.
bool MoveWindowNow(HWND hwnd, const Placement& p, const SavedPlacement* saved,
                   FaultLocation showAt, FaultLocation moveAt) {
  if (saved) {
    // Restored first, so that the rectangle is its restored one, then raised and put in
    // the state it had. (Another process's window takes no placement record.)
    ShowWindow(hwnd, saved->visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    const ScreenRect& r = saved->normal;
    bool put = SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                            SWP_NOACTIVATE) != 0;
    if (int show = FinalShow(*saved)) ShowWindow(hwnd, show);
    return put;
  }
  CallSystemFunction(kShowWindow, showAt, hwnd, SW_SHOWNORMAL);
  return static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, p.x, p.y,
                                                  p.cx, p.cy, p.flags)) != 0;
}

// False when the arrangement had given the move up meanwhile: it has gone on with
// another helper, and this one ends.
bool RunMove(Arrangement::Move* move) {
  move->moved = MoveWindowNow(move->hwnd, move->cell, move->restore ? &move->saved : nullptr,
                              move->showAt, move->moveAt);
  const HWND notify = move->notify;
  const UINT message = move->message;
  if (InterlockedCompareExchange(&move->state, kMoved, kMoving) == kAbandoned) {
    FreeMove(move);
    return false;
  }
  // From here on the record is the arrangement's.
  SetEvent(move->done);
  if (notify) PostMessageA(notify, message, 0, 0);
  return true;
}

DWORD WINAPI RunHelper(void* parameter) noexcept {
  auto* helper = static_cast<Arrangement::Helper*>(parameter);
  for (;;) {
    WaitForSingleObject(helper->wake, INFINITE);
    Arrangement::Move* move = helper->move;
    if (!move || !RunMove(move)) break;
  }
  CloseHandle(helper->wake);
  delete helper;
  return 0;
}

}  // namespace

Arrangement::Arrangement(const WindowList& list, const ArrangeRequest& request,
                         const WorkArea& area, void* notify, unsigned message)
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
    targets_.push_back({handle, thread, cell, thread ? Landing::kWaiting : Landing::kGone, nullptr});
  }
  AskEveryThread();
}

Arrangement::Arrangement(const std::vector<SavedPlacement>& saved, void* notify, unsigned message)
    : saved_(saved), notify_(notify), message_(message) {
  ownThread_ = GetCurrentThreadId();
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    const ScreenRect& r = it->normal;
    DWORD thread = GetWindowThreadProcessId(WindowOf(it->handle), nullptr);
    targets_.push_back({it->handle, thread, {r.left, r.top, r.right - r.left, r.bottom - r.top, 0},
                        thread ? Landing::kWaiting : Landing::kGone, &*it});
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
    if (SendMessageCallbackA(WindowOf(t.handle), WM_NULL, 0, 0, OnAnswered,
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
  if (move_ && InterlockedCompareExchange(&move_->state, kAbandoned, kMoving) == kMoving) return;
  if (move_) FinishMove();
  if (helper_) {
    helper_->move = nullptr;
    SetEvent(helper_->wake);
  }
}

void Arrangement::FinishMove() {
  WaitForSingleObject(move_->done, INFINITE);
  FreeMove(move_);
  move_ = nullptr;
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
  const Placement& p = t.cell;
  HWND hwnd = WindowOf(t.handle);
  ShowWindowAsync(hwnd, t.saved ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
  SetWindowPos(hwnd, HWND_TOP, p.x, p.y, p.cx, p.cy,
               p.flags | SWP_ASYNCWINDOWPOS | (t.saved ? SWP_NOACTIVATE : 0));
  if (int show = t.saved ? FinalShow(*t.saved) : 0) ShowWindowAsync(hwnd, show);
}

void Arrangement::Start(size_t index) {
  Target& t = targets_[index];
  HWND hwnd = WindowOf(t.handle);
  const Placement& p = t.cell;
  const FaultLocation showAt = {routine_, showSite_}, moveAt = {routine_, moveSite_};
  if (t.thread == ownThread_) {
    // This thread's own windows are placed by direct calls.
    bool moved = MoveWindowNow(hwnd, p, t.saved, showAt, moveAt);
    t.landing = !IsWindow(hwnd) ? Landing::kGone : moved ? Landing::kPlaced : Landing::kRefused;
    return;
  }
  if (!IsWindow(hwnd)) {
    t.landing = Landing::kGone;
    return;
  }
  auto* move = new Move{hwnd,   p,        t.saved != nullptr, t.saved ? *t.saved : SavedPlacement{},
                        showAt, moveAt,   static_cast<HWND>(notify_), message_,
                        nullptr, kMoving, false};
  move->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!IsBusy(t.thread) && move->done && !helper_) {
    auto* helper = new Helper{CreateEventA(nullptr, FALSE, FALSE, nullptr), nullptr};
    HANDLE thread = helper->wake ? CreateThread(nullptr, 64 * 1024, RunHelper, helper,
                                                STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
                                 : nullptr;
    if (thread) {
      CloseHandle(thread);
      helper_ = helper;
    } else {
      if (helper->wake) CloseHandle(helper->wake);
      delete helper;
    }
  }
  if (IsBusy(t.thread) || !move->done || !helper_) {
    // A busy program, or no helper to be had: the requests wait in its queue.
    if (move->done) CloseHandle(move->done);
    delete move;
    QueueRequests(t);
    t.landing = Landing::kBusy;
    return;
  }
  move_ = move;
  moving_ = index;
  movedAt_ = GetTickCount();
  helper_->move = move;
  SetEvent(helper_->wake);
}

bool Arrangement::Place() {
  for (;;) {
    if (move_) {
      Target& t = targets_[moving_];
      if (WaitForSingleObject(move_->done, 0) == WAIT_OBJECT_0) {
        HWND hwnd = WindowOf(t.handle);
        t.landing = !IsWindow(hwnd) ? Landing::kGone
                    : move_->moved  ? Landing::kPlaced
                                    : Landing::kRefused;
        FreeMove(move_);
        move_ = nullptr;
        continue;
      }
      if (Left(movedAt_, kMoveMs)) return false;
      // Its program stopped answering in the middle. The helper is left waiting for
      // it, and a new one makes the next moves; the same requests queued to the
      // program land even if this process ends.
      if (InterlockedCompareExchange(&move_->state, kAbandoned, kMoving) != kMoving) {
        WaitForSingleObject(move_->done, INFINITE);  // it has just finished after all
        continue;
      }
      move_ = nullptr;
      helper_ = nullptr;
      busy_.push_back(t.thread);
      QueueRequests(t);
      t.landing = IsWindow(WindowOf(t.handle)) ? Landing::kBusy : Landing::kGone;
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
  // A busy program may have come back meanwhile and carried its requests out.
  for (Target& t : targets_) {
    const Placement& p = t.cell;
    RECT r;
    if (t.landing != Landing::kBusy || !GetWindowRect(WindowOf(t.handle), &r)) continue;
    bool sized = (p.flags & kSwpNoSize) || (r.right - r.left == p.cx && r.bottom - r.top == p.cy);
    if (r.left == p.x && r.top == p.y && sized) t.landing = Landing::kPlaced;
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

void* Arrangement::WaitHandle() const { return move_ ? move_->done : nullptr; }

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
    while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        code = msg.wParam;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(code));
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

std::vector<SavedPlacement> SavePlacements(const WindowList& list) {
  std::vector<SavedPlacement> saved;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    int32_t handle = ReadArrayElement(list.get(), i, 0, 0);
    HWND hwnd = WindowOf(handle);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(hwnd, &wp)) continue;
    RECT normal = wp.rcNormalPosition;
    // The restored rectangle is kept in the coordinates of the monitor's work area,
    // except for a tool window: a taskbar on the left or at the top shifts it.
    if (!(GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
      MONITORINFO info = {};
      info.cbSize = sizeof info;
      if (GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info))
        OffsetRect(&normal, info.rcWork.left - info.rcMonitor.left,
                   info.rcWork.top - info.rcMonitor.top);
    }
    saved.push_back({handle, wp.showCmd, FromRect(normal), IsWindowVisible(hwnd) != 0});
  }
  return saved;
}

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM found) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info))
    reinterpret_cast<std::vector<Monitor>*>(found)->push_back(
        {FromRect(info.rcMonitor), FromRect(info.rcWork), (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
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
  return FindMatchingWindows(className, title, list);
}

int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area) {
  Arrangement run(list, request, area);
  FinishArrangement(run);
  return run.Placed();
}
