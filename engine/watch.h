#pragma once
// Keeping one group of windows in its grid as its members come and go: whenever a
// matching window is shown, hidden, closed, minimised or restored, or starts or stops
// matching by its title (with the titles' order, whenever a member is renamed), and
// whenever the work area changes, the group is arranged again with the same request,
// once a burst of changes has settled. A minimised member gives its cell up; every
// window placed keeps its place in the order until it is closed, so that one coming
// back takes its old place.
//
// The system's window events say what changed where they arrive. Where a kind of
// event has not been seen to arrive (Wine reports creation only), the windows that
// could match (by class and program) are also checked every kPollMs, and a window just
// created is looked at more often until it has been up for a moment; the whole desktop
// is walked for them now and then, or at every check where creation is not reported.
// A program that does not answer holds nothing up: each arrangement is an Arrangement,
// carried on by the host window's timer and message, and what it leaves outstanding
// with a busy program is carried to the next.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/arrange.h"

class Watch {
 public:
  // The host is a window of this thread whose procedure hands `timer` and `message`
  // to Continue(). `placed` are the windows already in their cells, in the grid's
  // order; with none, the first arrangement comes at once. `monitor` counts from 1;
  // 0 is the primary screen less the taskbar. With `byTitle` the titles' natural
  // order decides the cells, else the order of placing and appearing.
  Watch(const ArrangeRequest& request, bool byTitle, int32_t monitor,
        const std::vector<int32_t>& placed, HWND host, UINT message, UINT_PTR timer);
  ~Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // The work area changed (a taskbar moved, the resolution, the monitors).
  void WorkAreaChanged() { Changed(); }
  // What the host's timer and message call: whatever is due now.
  void Continue();

  // From the window-event hook.
  void Seen(DWORD event, HWND hwnd);

 private:
  struct Fresh {
    HWND hwnd;
    DWORD since;
  };
  bool InGroup(HWND hwnd) const;
  bool Qualifies(HWND hwnd) const;
  // The window does or does not belong in the group now; a change makes the group due
  // for arranging.
  void Compare(HWND hwnd, bool qualifies);
  void Changed();
  void Poll();
  void Scan();
  void EndProbe();
  void AddCandidate(HWND hwnd);
  void Forget(HWND hwnd);
  bool QualifiesNow(HWND hwnd) const;
  bool TitlesInOrder() const;
  DWORD QuietLeft() const;
  void KeepMaximisedCells(const std::vector<int32_t>& before);
  void HookMaximisedPrograms();
  bool MaximisedRestored() const;
  void LookAtFresh();
  void Rearrange();
  bool Polling() const;
  void Schedule();

  ArrangeRequest request_;
  bool byTitle_;
  int32_t monitor_;
  HWND host_;
  UINT message_;
  UINT_PTR timer_;
  WindowMatcher matcher_;
  std::vector<HWINEVENTHOOK> hooks_;
  HWINEVENTHOOK probeHook_ = nullptr;
  HWND probe_ = nullptr;
  bool eventsOnly_;             // no checks of its own: the tests' switch
  std::vector<int32_t> order_;  // as last arranged
  // Every window placed so far, in the order kept, until it is closed: one that comes
  // back (shown, uncloaked, restored) takes its old place.
  std::vector<int32_t> memory_;
  // The group as it stands now: the placed windows still in it, in their order, then
  // the newcomers in the order they appeared.
  std::vector<int32_t> group_;
  // Members the user maximised, and the cell each keeps while it stays so.
  std::vector<std::pair<int32_t, size_t>> maximised_;
  // Their programs' moves, which alone tell that one was made normal again.
  struct MoveHooks {
    DWORD program;
    HWINEVENTHOOK moved, dropped;
  };
  std::vector<MoveHooks> moveHooks_;
  std::vector<Fresh> fresh_;
  // Top-level windows of the last walk of the desktop, sorted, and whether each could
  // ever match (class and program, which a window keeps); those that can, in the order
  // they were found or created.
  std::vector<std::pair<HWND, bool>> known_;
  std::vector<HWND> candidates_;
  std::unordered_set<HWND> candidateSet_;  // the same, to look up
  // Declared before the arrangement, which may leave things with it as it ends.
  Outstanding outstanding_;
  std::unique_ptr<Arrangement> arrangement_;
  bool due_ = false;
  DWORD changedAt_ = 0;  // the last change of the burst
  DWORD burstAt_ = 0;    // its first
  DWORD polledAt_ = 0;
  DWORD scannedAt_ = 0;
  DWORD freshLookedAt_ = 0;
  bool timerSet_ = false;
  DWORD timerAt_ = 0;
  // The kinds of event that have been seen to arrive from other programs.
  bool seenShow_ = false, seenHide_ = false, seenDestroy_ = false, seenName_ = false;
  bool seenCreate_ = false;
};
