#pragma once
// The calls that place one window in its cell or put it back where it was: made
// directly (for this thread's windows, and by the helper thread), or queued to a
// busy program, which carries them out when it answers again.
#include <windows.h>

#include <atomic>

#include "base/application.h"
#include "base/fault.h"
#include "engine/grid.h"
#include "engine/placement.h"

// A move on a helper thread: `state` is set when the arrangement gives it up, and a
// move made directly stops at its next step, so that nothing lands after requests
// made since; `callAt` is when its latest call to the window's program began, as a
// program that answers each call in time is not stuck however many calls a move takes.
// A fault being reported stops every move the same way.
struct MoveProgress {
  volatile LONG state = 0;
  std::atomic<uint32_t> callAt{0};
};
using GivenUp = MoveProgress*;
// Made before each call: whether to stop, and if not, the call begins now.
inline bool Stopped(GivenUp givenUp) {
  if (g_app.reportingFault || (givenUp && givenUp->state != 0)) return true;
  if (givenUp) givenUp->callAt = GetTickCount();
  return false;
}

// Shows and restores the window, restores it once more where it came back maximised
// (minimised from maximised), then moves it so that its visible frame fills the cell,
// and raises it. Whether the system took the move and the window ended restored. A
// window that was shown when the plan was made and is hidden now is not shown again.
// A kept grid's cell (SWP_NOACTIVATE | SWP_NOZORDER) only moves a window that is up
// and restored, without activating or raising it; one hidden, minimised or maximised
// is left so. A cell with SWP_NOZORDER alone is a window that the arrangement raises
// afterwards: shown and moved as any other, but neither activated nor raised; one
// with SWP_NOACTIVATE alone is raised but not activated.
// A window that ends larger than its cell cannot shrink to it: it keeps that size and
// is put as far inside `area` as its cell allows (FitCell).
bool PlaceWindow(HWND hwnd, const Placement& cell, const WorkArea& area, bool shownAtPlan,
                 FaultLocation showAt, FaultLocation moveAt, GivenUp givenUp);
// Raises the window to the top, neither moving nor resizing it, activating it only
// when asked: the stacking order that moves made side by side leave is put right so.
bool RaiseWindow(HWND hwnd, bool activate);

// The same as requests queued to the window's program. True when the window was
// minimised or maximised then, so that its frame could not be measured and the move
// asked for (`asked`) gives it the bare cell: its frame is put on the cell once it has
// been restored (engine/follow_up.h).
bool QueuePlacement(HWND hwnd, const Placement& cell, bool shownAtPlan, Placement* asked);
// The window is restored, its visible frame exactly on the cell (its own size where
// the cell keeps sizes): whether requests queued to a busy program have landed.
// One that proved it cannot shrink to its cell is placed where it was put then.
bool EndsPlaced(HWND hwnd, const Placement& cell, const WorkArea& area);

// Puts the window back as it was saved and raises it; whether the system accepted the
// move. A hidden window is never shown on the way.
bool PutWindowBack(HWND hwnd, const SavedPlacement& saved, GivenUp givenUp);
// The same as requests queued to the window's program, which never show a hidden
// window either.
void QueuePutBack(HWND hwnd, const SavedPlacement& saved);
