// The calls that place one window in its cell: made directly (this thread's windows,
// and the helper thread's), or queued to a busy program.
#include <windows.h>

#include "base/services.h"
#include "base/sysfn.h"
#include "engine/window_manager.h"
#include "engine/window_moves.h"

namespace {

// A kept grid leaves what the user did alone: it moves a window that is up and
// restored, never activating or raising it, and leaves one hidden, minimised or
// maximised as it is.
bool KeptGrid(const Placement& p) { return (p.flags & SWP_NOACTIVATE) != 0; }

// Read right before each step: a window hidden since the plan is not shown again.
bool MayShow(HWND hwnd, bool shownAtPlan) { return !shownAtPlan || IsWindowVisible(hwnd); }
bool MayMove(HWND hwnd, const Placement& p) {
  return !KeptGrid(p) || (IsWindowVisible(hwnd) && !IsIconic(hwnd) && !IsZoomed(hwnd));
}

}  // namespace

bool PlaceWindow(HWND hwnd, const Placement& p, bool shownAtPlan, FaultLocation showAt,
                 FaultLocation moveAt, GivenUp givenUp) {
  if (Stopped(givenUp)) return false;
  if (!MayMove(hwnd, p)) return false;
  // Raised later (moves made side by side, which the arrangement stacks afterwards):
  // neither activated nor raised here.
  const bool later = !KeptGrid(p) && (p.flags & SWP_NOZORDER);
  const int show = later ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
  if (!KeptGrid(p)) {
    if (!MayShow(hwnd, shownAtPlan)) return false;
    CallSystemFunction(kShowWindow, showAt, hwnd, show);
    if (Stopped(givenUp)) return false;
    // A window minimised from maximised comes back maximised, with no sizing border and
    // stretched again by the system whenever the work area changes.
    if (IsZoomed(hwnd)) {
      if (!MayShow(hwnd, shownAtPlan)) return false;
      CallSystemFunction(kShowWindow, showAt, hwnd, show);
      if (Stopped(givenUp)) return false;
    }
  }
  // Measured once restored: the visible frame, not the rectangle, fills the cell.
  const FrameMargins before = FrameMarginsOf(hwnd);
  Placement t = WidenedByFrame(p, before);
  if (later) t.flags |= SWP_NOACTIVATE;
  bool moved = static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, t.x,
                                                        t.y, t.cx, t.cy, t.flags)) != 0;
  // Moved onto a monitor of another scale, its borders changed with it: once more.
  if (!moved) return false;
  if (const FrameMargins after = FrameMarginsOf(hwnd); !(after == before)) {
    Placement again = WidenedByFrame(p, after);
    if (later) again.flags |= SWP_NOACTIVATE;
    moved =
        static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, again.x,
                                                 again.y, again.cx, again.cy, again.flags)) != 0;
  }
  // The system took the move; the size is the window's to settle (a minimum size, a
  // console's character grid), but the state must be the restored one (one reading of
  // the style answers both).
  return moved && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE));
}

bool RaiseWindow(HWND hwnd, bool activate) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE)) != 0;
}

void QueuePlacement(HWND hwnd, const Placement& p, bool shownAtPlan) {
  if (!MayMove(hwnd, p)) return;
  if (!KeptGrid(p)) {
    if (!MayShow(hwnd, shownAtPlan)) return;
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
