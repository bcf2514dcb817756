#pragma once
// Laying the found windows out in a grid on the primary screen less the taskbar.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/follow_up.h"
#include "engine/grid.h"
#include "engine/order.h"
#include "engine/placement.h"
#include "engine/request.h"
#include "engine/search.h"

// The taskbar's rectangle as the shell reports it; all zero when the query fails.
TaskbarRect GetTaskbarRect();

// The screen less the taskbar, read afresh on every call.
WorkArea ComputeWorkArea();

// The monitors in their stable order (OrderMonitors); at least the primary screen.
std::vector<Monitor> ListMonitors();

// The windows the request names, in the system's order; true when there is one.
bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list);

// PlanArrangement's plan for these windows as --list shows it, with each one that cannot
// shrink to its cell (its least tracking size is larger) given its smallest size,
// inside the work area (FitCell), where an arrangement puts it once it finds out.
// Each window's program is asked how small it goes, for a moment at most; one that
// does not answer in time keeps its cell.
ArrangementPlan PlanForWindows(const WindowList& list, const ArrangeRequest& request,
                               const WorkArea& area);

// One arrangement under way, as PlanArrangement plans it on `area` (read once by the
// caller for its checks and the arrangement; the request has passed
// CheckArrangeRequest on it).
//
// A window of this thread is placed at once. The windows of other threads are shown
// and moved by helper threads, so that a program that does not answer cannot hold
// this thread up: one lane of moves for each thread, its windows in list order, the
// lanes side by side (MoveLanes), so that the arrangement takes as long as its slowest
// program rather than the sum of all. Once they are over, the windows that ended out
// of the order a one-by-one arrangement leaves (the last one placed on top and
// active) are raised again into it. Every other program is asked once, all at once,
// before anything moves: one that has not answered within a moment, or that stops
// answering during a move, is busy. A busy program's windows get their show and move
// as requests queued to it, which it carries out when it answers again, even after
// this process has ended; nothing waits for it. What such a program keeps is bounded
// by the click: one question that may never be answered, and a helper thread left
// waiting in a move that it stopped answering in the middle of. Such a window that was
// minimised or maximised has no frame to measure until it is restored: once the
// arrangement is over, a helper process puts its frame on the cell when its program
// answers (StartFollowUp); a kept grid arranges again then instead.
struct Outstanding;
class MoveLanes;

class Arrangement {
 public:
  struct Ticket;

  // With `notify`, `message` is posted to it whenever a helper thread is done. A kept
  // grid passes what its earlier arrangements left outstanding: a window already in
  // its cell or maximised is left alone, and one that is up and restored is only
  // moved, not activated or raised.
  Arrangement(const WindowList& list, const ArrangeRequest& request, const WorkArea& area,
              void* notify = nullptr, unsigned message = 0, Outstanding* keptGrid = nullptr);
  // Putting saved windows back where they were, in the same way: from the bottom of
  // the saved stacking order up, each one raised as it is put back, so that they end
  // in the order they had among themselves. A window closed since is passed over.
  Arrangement(const std::vector<SavedPlacement>& saved, void* notify, unsigned message);
  ~Arrangement();
  Arrangement(const Arrangement&) = delete;
  Arrangement& operator=(const Arrangement&) = delete;

  // Carries on as far as it can without waiting; true once every window is placed,
  // refused, gone or left to its busy program.
  bool Advance();
  // How long the caller may wait before calling Advance again, and the event that
  // ends the wait early (null when there is none).
  uint32_t WaitMs() const;
  void* WaitHandle() const;

  size_t Count() const { return targets_.size(); }
  // The helper that puts busy programs' minimised or maximised windows on their cells
  // once they answer (a process HANDLE; null when none was needed), taken over by the
  // caller, who may end it when it arranges or puts back those windows again itself.
  void* TakeFollowUp() { return std::exchange(followUp_, nullptr); }
  int32_t HandleOf(size_t i) const { return targets_[i].handle; }
  Landing LandingOf(size_t i) const { return targets_[i].landing; }
  // The windows the system moved into their cells.
  int32_t Placed() const;

  // A thread has taken every message sent to it before the ticket.
  void Answered(Ticket* ticket);

 private:
  struct Target {
    int32_t handle;
    uint32_t thread;
    Placement cell;
    Landing landing;
    const SavedPlacement* saved;  // putting back rather than placing
    bool shown;                   // visible when planned
  };
  // A window raised again after the moves, to put the stacking order right.
  struct Raise {
    size_t target;
    bool activate;
  };
  enum class Phase { kAsking, kPlacing, kStacking, kDone };

  void AskEveryThread();
  bool Continue();
  bool Place();
  void Start(size_t step);
  void StartRaise(size_t step);
  // Settles a step no helper took: its requests queued, a raise posted.
  void NotHanded(size_t step);
  void Ended(size_t step, bool landed);
  void GaveUp(size_t step, void* helper);
  void PlanStacking();
  void QueueRequests(const Target& t);
  bool IsBusy(uint32_t thread) const;
  void LeaveHelper(const Target& t, void* thread) const;
  Target& TargetOf(size_t step);

  std::vector<Target> targets_;
  WorkArea area_ = {};  // the grid's, for a window that cannot shrink to its cell
  std::vector<SavedPlacement> saved_;
  uint32_t ownThread_ = 0;
  int32_t routine_ = 0, showSite_ = 0, moveSite_ = 0;
  void* notify_ = nullptr;
  unsigned message_ = 0;
  Outstanding* outstanding_ = nullptr;
  Phase phase_ = Phase::kAsking;
  bool advancing_ = false;
  uint32_t askedAt_ = 0;
  size_t asked_ = 0, answered_ = 0;
  std::vector<uint32_t> answering_, busy_;
  std::vector<Ticket*> tickets_;  // sent and not yet answered
  // The lanes of moves; steps past the targets are raises_.
  std::unique_ptr<MoveLanes> lanes_;
  std::vector<Raise> raises_;
  std::vector<uint32_t> movedThreads_;  // the threads whose windows were moved
  // Moves of several threads: made without activating or raising, then stacked.
  bool raiseLater_ = false;
  // One thread's moves: made together, each raising its window without activating it
  // but the last (`activates_`), which activates its window as well.
  bool quietMoves_ = false;
  size_t activates_ = 0;
  // Windows whose frames are to be put on their cells once their programs answer.
  std::vector<FollowUp> followUps_;
  void* followUp_ = nullptr;
};

// What a kept grid's arrangements leave with programs that have not answered, carried
// from one arrangement to the next: a program is asked once until it answers, a
// window's requests wait in its program's queue once, and a window whose move a helper
// is stuck in gets no other helper until that one has ended. Each time one of these
// ends, `message` is posted to `notify`, and Settled() says so once.
struct Outstanding {
  struct Queued {
    int32_t handle;
    uint32_t thread;
  };
  struct Stuck {
    int32_t handle;
    void* helper;  // the helper thread, signalled once it has ended
  };
  void* notify = nullptr;
  unsigned message = 0;
  std::vector<Arrangement::Ticket*> tickets;
  std::vector<Queued> queued;
  std::vector<Stuck> stuck;
  bool settled = false;

  Outstanding() = default;
  Outstanding(const Outstanding&) = delete;
  Outstanding& operator=(const Outstanding&) = delete;
  ~Outstanding();
  bool Asking(uint32_t thread) const;
  bool IsStuck(int32_t handle) const;
  void Answered(Arrangement::Ticket* ticket);
  // Whether anything ended since the last call; helpers that have ended are let go.
  bool Settled();
};

// Waits until the arrangement is over, taking this thread's messages meanwhile (the
// answers arrive among them).
void FinishArrangement(Arrangement& run);

// What became of a window that was not placed, told apart as far as the system lets:
// a refused one whose program runs with a higher integrity level than this one's
// (as administrator) is kHigherRights, one closed since kGone.
Landing WhyNotPlaced(void* hwnd, Landing landing);

// Whether running Quiltmark as administrator would let it move such windows: it does
// not run at that level already.
bool ElevationWouldHelp();

// The whole arrangement at once; how many windows were placed.
int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area);
