// Arranging on the screen: the taskbar and the work area read from the system, the
// windows the request names, and the plan applied to them without ever waiting on a
// program that does not answer.
#include <windows.h>

#include <algorithm>

#include "base/messages.h"
#include "base/phases.h"
#include "base/services.h"
#include "base/sysfn.h"
#include "engine/arrange.h"
#include "engine/helper.h"
#include "engine/lanes.h"
#include "engine/window_manager.h"
#include "engine/window_moves.h"

namespace {

// How long a program may take to answer before it counts as busy: first all of them
// at once, then one that answered but takes longer over a move.
constexpr DWORD kAskMs = 250;
constexpr DWORD kMoveMs = 1000;

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

DWORD Left(DWORD since, DWORD span) {
  DWORD spent = GetTickCount() - since;
  return spent < span ? span - spent : 0;
}

// The window a request went to is gone, or belongs to another thread now: its thread
// has ended (killed while it did not answer, say), and a new thread may have been given
// its number.
bool Orphaned(int32_t window, uint32_t thread) {
  return GetWindowThreadProcessId(WindowOf(window), nullptr) != thread;
}

// `w` is the window, or one it owns (a dialog of its program). The window itself may be
// owned: the walk goes up from `w`, not down from the top.
bool IsOrIsOwnedBy(HWND w, HWND hwnd) {
  for (int steps = 0; w && steps < 64; ++steps, w = GetWindow(w, GW_OWNER))
    if (w == hwnd) return true;
  return false;
}

bool IsTopmost(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST; }

}  // namespace

struct Arrangement::Ticket {
  Arrangement* run;  // null once the arrangement is over: the answer is dropped
  uint32_t thread;
  int32_t window;            // the one asked through
  Outstanding* outstanding;  // a kept grid's, while it lasts
  // A kept grid's hold on the thread while it waits: it says when the thread has ended,
  // and no new thread is given its number meanwhile.
  HANDLE held = nullptr;

  void LetGo() {
    if (held) CloseHandle(held);
    held = nullptr;
    outstanding = nullptr;
  }
  // Whether the answer can no longer come: its thread has ended.
  bool Ended() const {
    return held ? WaitForSingleObject(held, 0) == WAIT_OBJECT_0 : Orphaned(window, thread);
  }
};

namespace {

VOID CALLBACK OnAnswered(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
  auto* ticket = reinterpret_cast<Arrangement::Ticket*>(data);
  if (ticket->outstanding) ticket->outstanding->Answered(ticket);
  // Under a fault report the arrangement goes no further.
  if (ticket->run && !g_app.reportingFault) ticket->run->Answered(ticket);
  ticket->LetGo();
  delete ticket;
}

}  // namespace

Arrangement::Arrangement(const WindowList& list, const ArrangeRequest& request,
                         const WorkArea& area, void* notify, unsigned message,
                         Outstanding* keptGrid)
    : notify_(notify), message_(message), outstanding_(keptGrid), lanes_(new MoveLanes) {
  area_ = area;
  // The grid's own cells: a window that cannot shrink to its cell finds out as it is
  // moved, and is then put as far inside the work area as its size allows.
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
    HWND hwnd = WindowOf(handle);
    DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
    Placement p = cell;
    Landing landing = thread ? Landing::kWaiting : Landing::kGone;
    if (keptGrid) {
      p.flags |= SWP_NOACTIVATE | SWP_NOZORDER;
      // Already in its cell, or maximised by the user, who keeps it so: neither its
      // program nor the system is asked anything.
      if (thread && (EndsPlaced(hwnd, p, area) || IsZoomed(hwnd))) landing = Landing::kPlaced;
    }
    targets_.push_back({handle, thread, p, landing, nullptr, IsWindowVisible(hwnd) != 0});
  }
  // A kept grid raises nothing, so the order of the moves is free: from the end of the
  // list, where its newcomers are, so that they land first.
  if (keptGrid) std::ranges::reverse(targets_);
  AskEveryThread();
}

Arrangement::Arrangement(const std::vector<SavedPlacement>& saved, void* notify, unsigned message)
    : saved_(saved), notify_(notify), message_(message), lanes_(new MoveLanes) {
  ownThread_ = GetCurrentThreadId();
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    const ScreenRect& r = it->normal;
    DWORD thread = GetWindowThreadProcessId(WindowOf(it->handle), nullptr);
    targets_.push_back({it->handle,
                        thread,
                        {r.left, r.top, r.right - r.left, r.bottom - r.top, 0},
                        thread ? Landing::kWaiting : Landing::kGone,
                        &*it,
                        it->visible});
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
    // Still silent since an earlier arrangement asked: busy, and not asked again.
    if (outstanding_ && outstanding_->Asking(t.thread)) continue;
    auto* ticket = new Ticket{this, t.thread, t.handle, outstanding_};
    if (SendMessageCallbackW(WindowOf(t.handle), WM_NULL, 0, 0, OnAnswered,
                             reinterpret_cast<ULONG_PTR>(ticket))) {
      tickets_.push_back(ticket);
      if (outstanding_) {
        outstanding_->tickets.push_back(ticket);
        ticket->held = OpenThread(SYNCHRONIZE, FALSE, t.thread);
      }
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
  if (followUp_) CloseHandle(followUp_);
  for (Ticket* ticket : tickets_) ticket->run = nullptr;
  // Moves still under way are left to their helpers, which then end by themselves;
  // those not begun are not made.
  for (const MoveLanes::Ended& e : lanes_->Abandon())
    if (e.helper) LeaveHelper(TargetOf(e.step), e.helper);
}

Arrangement::Target& Arrangement::TargetOf(size_t step) {
  return step < targets_.size() ? targets_[step] : targets_[raises_[step - targets_.size()].target];
}

void Arrangement::LeaveHelper(const Target& t, void* thread) const {
  if (outstanding_)
    outstanding_->stuck.push_back({t.handle, thread});
  else
    CloseHandle(thread);
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

void Arrangement::QueueRequests(const Target& t) {
  // Not to a window whose number went to another program's since.
  if (g_app.reportingFault || Orphaned(t.handle, t.thread)) return;
  HWND hwnd = WindowOf(t.handle);
  if (outstanding_) {
    // Once until its program has answered: the grid is arranged again then.
    if (std::ranges::find(outstanding_->queued, t.handle, &Outstanding::Queued::handle) !=
        outstanding_->queued.end())
      return;
    outstanding_->queued.push_back({t.handle, t.thread});
  }
  Placement asked{};
  if (t.saved)
    QueuePutBack(hwnd, *t.saved);
  else if (QueuePlacement(hwnd, t.cell, t.shown, &asked) && !outstanding_)
    followUps_.push_back({t.handle, t.thread, t.cell, asked.x, asked.y, area_});
}

void Arrangement::Start(size_t step) {
  if (step >= targets_.size()) {
    StartRaise(step);
    return;
  }
  Target& t = targets_[step];
  HWND hwnd = WindowOf(t.handle);
  const FaultLocation showAt = {routine_, showSite_}, moveAt = {routine_, moveSite_};
  Placement cell = t.cell;
  if (raiseLater_) cell.flags |= SWP_NOZORDER;
  if (quietMoves_ && step != activates_) cell.flags |= SWP_NOACTIVATE;
  if (t.thread == ownThread_) {
    // This thread's own windows are placed by direct calls.
    bool moved = t.saved ? PutWindowBack(hwnd, *t.saved, nullptr)
                         : PlaceWindow(hwnd, cell, area_, t.shown, showAt, moveAt, nullptr);
    t.landing = !IsWindow(hwnd) ? Landing::kGone : moved ? Landing::kPlaced : Landing::kRefused;
    if (std::ranges::find(movedThreads_, t.thread) == movedThreads_.end())
      movedThreads_.push_back(t.thread);
    return;
  }
  // Closed, or its number given to another thread's window since.
  if (Orphaned(t.handle, t.thread)) {
    t.landing = Landing::kGone;
    return;
  }
  // A helper still stuck in this window's move is the one it gets.
  const bool busy = IsBusy(t.thread) || (outstanding_ && outstanding_->IsStuck(t.handle));
  const MoveOrder order{hwnd,
                        t.saved ? MoveOrder::Kind::kPutBack : MoveOrder::Kind::kPlace,
                        cell,
                        t.shown,
                        t.saved ? *t.saved : SavedPlacement{},
                        showAt,
                        moveAt,
                        static_cast<HWND>(notify_),
                        message_,
                        false,
                        nullptr,
                        area_,
                        t.thread};
  if (busy || !lanes_->Run(t.thread, step, order)) {
    // A busy program, or no helper to be had.
    NotHanded(step);
    return;
  }
  if (std::ranges::find(movedThreads_, t.thread) == movedThreads_.end())
    movedThreads_.push_back(t.thread);
}

void Arrangement::StartRaise(size_t step) {
  const Raise& raise = raises_[step - targets_.size()];
  const Target& t = targets_[raise.target];
  HWND hwnd = WindowOf(t.handle);
  // A program that has stopped answering since is not waited for again.
  if (Orphaned(t.handle, t.thread) || IsBusy(t.thread)) return;
  MoveOrder order{hwnd, MoveOrder::Kind::kRaise,    {},      false, {}, {},
                  {},   static_cast<HWND>(notify_), message_};
  order.activate = raise.activate;
  // One lane for every raise (no thread has the number 0): the order among them is
  // the point.
  if (!lanes_->Run(0, step, order)) NotHanded(step);
}

void Arrangement::NotHanded(size_t step) {
  Target& t = TargetOf(step);
  HWND hwnd = WindowOf(t.handle);
  if (step >= targets_.size()) {
    // A raise is posted to the window's thread: it lands whenever its program gets to
    // it, perhaps out of order, but never holds the arrangement up.
    const bool activate = raises_[step - targets_.size()].activate;
    if (Orphaned(t.handle, t.thread)) return;
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS | (activate ? 0 : SWP_NOACTIVATE));
    return;
  }
  // The requests wait in its program's queue.
  QueueRequests(t);
  t.landing = Orphaned(t.handle, t.thread) ? Landing::kGone : Landing::kBusy;
}

void Arrangement::Ended(size_t step, bool landed) {
  if (step >= targets_.size()) return;
  Target& t = targets_[step];
  t.landing = Orphaned(t.handle, t.thread) ? Landing::kGone
              : landed                     ? Landing::kPlaced
                                           : Landing::kRefused;
}

void Arrangement::GaveUp(size_t step, void* helper) {
  // Its program stopped answering in the middle. The helper is left waiting for it and
  // drops the rest of the move; the same requests queued to the program land even if
  // this process ends, and its other windows are queued the same way.
  Target& t = TargetOf(step);
  LeaveHelper(t, helper);
  if (!IsBusy(t.thread)) busy_.push_back(t.thread);
  if (step >= targets_.size()) return;
  QueueRequests(t);
  t.landing = Orphaned(t.handle, t.thread) ? Landing::kGone : Landing::kBusy;
}

bool Arrangement::Place() {
  for (;;) {
    for (const MoveLanes::Ended& e : lanes_->Collect(GetTickCount(), kMoveMs)) {
      if (e.end == MoveLanes::End::kGivenUp)
        GaveUp(e.step, e.helper);
      else if (e.end == MoveLanes::End::kNotStarted)
        Start(e.step);  // behind a program that stopped: what is still to do for it
      else
        Ended(e.step, e.end == MoveLanes::End::kLanded);
    }
    size_t step;
    uint32_t thread;
    if (lanes_->Next(step, thread)) {
      Start(step);
      continue;
    }
    for (size_t left : lanes_->Launch()) NotHanded(left);
    return lanes_->Idle();
  }
}

// The windows raised by their moves, in the order a one-by-one arrangement raises
// them, are found in the stacking order as it is now. From the first one that is not
// above the one before, each is raised again, in order (all of them, where the moves
// raised none); and if the one that takes the activation last does not have it, the
// raising starts there, which gives it back.
void Arrangement::PlanStacking() {
  // One lane's moves raised their windows in order, and the last one activated its
  // window (whatever its program did then: showed a dialog, say), as one by one leaves
  // them; only where that window did not land (closed, hidden since or refusing its
  // cell) does the one placed before it take the activation here, as a refused window
  // never does. One that took the activation with its move and then left its cell
  // (maximised by its program or the user) keeps it, as it does one by one: it is in
  // front, or a dialog of its own is, and no window placed lies above it (which tells
  // it from one that was in front before the run and whose move failed). A kept grid
  // raises nothing.
  if (outstanding_) return;
  std::vector<void*> stack;
  bool lastMissed = false;
  if (quietMoves_ && targets_[activates_].landing != Landing::kPlaced) {
    const Target& last = targets_[activates_];
    const HWND hwnd = WindowOf(last.handle);
    lastMissed = last.landing != Landing::kRefused || !IsWindowVisible(hwnd) || IsIconic(hwnd) ||
                 !IsOrIsOwnedBy(GetForegroundWindow(), hwnd);
    if (!lastMissed) {
      // Its own windows lie above it whatever, and so do topmost ones above one that
      // is not.
      stack = TopLevelWindows();
      for (void* w : stack) {
        if (w == hwnd) break;
        const HWND above = static_cast<HWND>(w);
        if (IsOrIsOwnedBy(above, hwnd) || (IsTopmost(above) && !IsTopmost(hwnd))) continue;
        lastMissed = std::ranges::any_of(targets_, [w](const Target& t) {
          return t.landing == Landing::kPlaced && WindowOf(t.handle) == w;
        });
        if (lastMissed) break;
      }
    }
  }
  if (!raiseLater_ && !lastMissed && movedThreads_.size() < 2) return;
  if (stack.empty()) stack = TopLevelWindows();
  struct Up {
    size_t target;
    size_t depth;  // from the top
    bool activates;
  };
  std::vector<Up> up;
  for (size_t i = 0; i < targets_.size(); ++i) {
    const Target& t = targets_[i];
    // One that refused its cell was still shown, and so raised, one by one; not one
    // hidden or minimised since, by its program or the user.
    HWND hwnd = WindowOf(t.handle);
    const bool raised = t.landing == Landing::kPlaced || (t.landing == Landing::kRefused &&
                                                          IsWindowVisible(hwnd) && !IsIconic(hwnd));
    if (!raised) continue;
    auto at = std::ranges::find(stack, static_cast<void*>(hwnd));
    if (at == stack.end()) continue;
    // Placing activates every window; putting back, only one put back maximised. Not
    // one that refused (its program's rights may be above Quiltmark's), nor one the
    // user minimised meanwhile.
    const bool activates = t.landing == Landing::kPlaced && !IsIconic(hwnd) &&
                           (!t.saved || (t.saved->visible && t.saved->showCmd == SW_SHOWMAXIMIZED));
    up.push_back({i, static_cast<size_t>(at - stack.begin()), activates});
  }
  if (up.empty()) return;
  // Moves that raised nothing leave every window where it was in the stacking order,
  // the first one under whatever lies above it (Quiltmark's own window, a console):
  // all are raised. Windows put back were each raised by its move, only perhaps in
  // another order.
  size_t from = raiseLater_ ? 0 : 1;
  while (from > 0 && from < up.size() && up[from].depth < up[from - 1].depth) ++from;
  size_t active = up.size();
  for (size_t j = 0; j < up.size(); ++j)
    if (up[j].activates) active = j;
  // Activations made side by side can end anywhere, even on no window at all.
  const bool reactivate =
      active < up.size() && WindowOf(targets_[up[active].target].handle) != GetForegroundWindow();
  if (reactivate) from = std::min(from, active);
  raises_.clear();
  for (size_t j = from; j < up.size(); ++j)
    raises_.push_back({up[j].target, reactivate && j == active});
  lanes_->BatchMoves(true);
  for (size_t k = 0; k < raises_.size(); ++k) lanes_->Add(0, targets_.size() + k);
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
    std::vector<uint32_t> lanes;
    for (size_t i = 0; i < targets_.size(); ++i) {
      const Target& t = targets_[i];
      if (t.landing != Landing::kWaiting) continue;
      lanes_->Add(t.thread, i);
      if (!IsBusy(t.thread) && std::ranges::find(lanes, t.thread) == lanes.end())
        lanes.push_back(t.thread);
    }
    // Activations of several threads at once wait on one another (each tells the
    // window it deactivates), and their order is anyone's: the windows are stacked and
    // the last one activated once all have moved.
    raiseLater_ = lanes.size() > 1 && !outstanding_ && saved_.empty();
    // One thread's windows go over together, raised in turn, and only the last one
    // activated: activations made right after one another, a display driver may carry
    // out later than asked (Wine's), leaving an earlier window active and on top.
    // Putting back activates a window put back maximised: one at a time. So does an
    // arrangement from Quiltmark's window: under Wine a window raised without the
    // activation can be raised again late, over the last one, when its program learns
    // from the X server that a part of it was shown; activated one at a time, the
    // windows of the run a person watches end as placed. The command line keeps the
    // speed.
    quietMoves_ = lanes.size() == 1 && !outstanding_ && saved_.empty() && !notify_;
    for (size_t i = 0; quietMoves_ && i < targets_.size(); ++i)
      if (targets_[i].landing == Landing::kWaiting && targets_[i].thread == lanes.front())
        activates_ = i;
    lanes_->BatchMoves(raiseLater_ || quietMoves_ || outstanding_);
    phase_ = Phase::kPlacing;
    MarkStartupPhase("programs answered");
  }
  if (!Place()) return false;
  if (phase_ == Phase::kPlacing) {
    MarkStartupPhase("moves");
    phase_ = Phase::kStacking;
    PlanStacking();
    if (!Place()) return false;
  }
  // A busy program may have come back meanwhile and carried its requests out, or
  // closed its window.
  for (Target& t : targets_) {
    if (t.landing != Landing::kBusy) continue;
    HWND hwnd = WindowOf(t.handle);
    if (Orphaned(t.handle, t.thread))
      t.landing = Landing::kGone;
    else if (!t.saved && EndsPlaced(hwnd, t.cell, area_))
      t.landing = Landing::kPlaced;
  }
  // A window still left to its program gets the helper; one that landed meanwhile was
  // restored when it was measured.
  std::erase_if(followUps_, [this](const FollowUp& f) {
    return std::ranges::find_if(targets_, [&](const Target& t) {
             return t.handle == f.handle && t.landing == Landing::kBusy;
           }) == targets_.end();
  });
  // A kept grid arranges such windows itself once their programs answer (none is
  // added for it); Quiltmark's window takes the helper over.
  if (!followUps_.empty() && !g_app.reportingFault) {
    followUp_ = StartFollowUp(followUps_);
    followUps_.clear();
    if (!notify_ && followUp_) CloseHandle(TakeFollowUp());
  }
  phase_ = Phase::kDone;
  return true;
}

uint32_t Arrangement::WaitMs() const {
  DWORD wait = 0;
  if (phase_ == Phase::kAsking)
    wait = Left(askedAt_, kAskMs);
  else
    wait = lanes_->WaitMs(GetTickCount(), kMoveMs);
  return std::max<DWORD>(wait, 1);
}

void* Arrangement::WaitHandle() const {
  return phase_ == Phase::kAsking ? nullptr : lanes_->WakeEvent();
}

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

Outstanding::~Outstanding() {
  // Answers that come after the grid is no longer kept are dropped.
  for (Arrangement::Ticket* ticket : tickets) ticket->LetGo();
  for (const Stuck& s : stuck) CloseHandle(s.helper);
}

bool Outstanding::Asking(uint32_t thread) const {
  return std::ranges::find(tickets, thread, &Arrangement::Ticket::thread) != tickets.end();
}

bool Outstanding::IsStuck(int32_t handle) const {
  return std::ranges::find(stuck, handle, &Stuck::handle) != stuck.end();
}

void Outstanding::Answered(Arrangement::Ticket* ticket) {
  std::erase(tickets, ticket);
  // What was queued to it has been carried out, except behind a helper still stuck.
  std::erase_if(queued,
                [&](const Queued& q) { return q.thread == ticket->thread && !IsStuck(q.handle); });
  // Answered after its arrangement was over, which counted the program as busy.
  if (ticket->run) return;
  settled = true;
  if (notify) PostMessageW(static_cast<HWND>(notify), message, 0, PrivateMessageToken());
}

bool Outstanding::Settled() {
  // An answer that will never come holds nothing up. Should it come after all, the
  // ticket is still there for it, and is freed then.
  std::erase_if(tickets, [](Arrangement::Ticket* ticket) {
    if (!ticket->Ended()) return false;
    ticket->LetGo();
    return true;
  });
  std::erase_if(queued, [](const Queued& q) { return Orphaned(q.handle, q.thread); });
  std::erase_if(stuck, [this](const Stuck& s) {
    if (WaitForSingleObject(s.helper, 0) != WAIT_OBJECT_0) return false;
    CloseHandle(s.helper);
    std::erase_if(queued, [&](const Queued& q) { return q.handle == s.handle; });
    settled = true;
    return true;
  });
  const bool was = settled;
  settled = false;
  return was;
}

int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area) {
  Arrangement run(list, request, area);
  FinishArrangement(run);
  return run.Placed();
}
