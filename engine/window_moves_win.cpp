// The calls that place one window in its cell: made directly (this thread's windows,
// and the helper thread's), or queued to a busy program.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/services.h"
#include "base/sysfn.h"
#include "engine/window_manager.h"
#include "engine/window_moves.h"

namespace {

// A kept grid leaves what the user did alone: it moves a window that is up and
// restored, never activating or raising it, and leaves one hidden, minimised or
// maximised as it is.
bool KeptGrid(const Placement& p) {
  return (p.flags & (SWP_NOACTIVATE | SWP_NOZORDER)) == (SWP_NOACTIVATE | SWP_NOZORDER);
}

// Read right before each step: a window hidden since the plan is not shown again.
bool MayShow(HWND hwnd, bool shownAtPlan) { return !shownAtPlan || IsWindowVisible(hwnd); }
bool MayMove(HWND hwnd, const Placement& p) {
  return !KeptGrid(p) || (IsWindowVisible(hwnd) && !IsIconic(hwnd) && !IsZoomed(hwnd));
}

// Windows that proved, as they were moved, that they cannot shrink to their cell, with
// the size each kept: a kept grid then counts one there as placed, but not one the
// user has sized since. Moves are made on several threads at once.
struct Held {
  HWND hwnd;
  LONG cx, cy;
};
std::mutex g_heldLock;
std::vector<Held> g_held;

void RememberHeld(HWND hwnd, const RECT& frame) {
  const std::lock_guard<std::mutex> lock(g_heldLock);
  std::erase_if(g_held, [&](const Held& h) { return h.hwnd == hwnd || !IsWindow(h.hwnd); });
  g_held.push_back({hwnd, frame.right - frame.left, frame.bottom - frame.top});
}

bool HeldAt(HWND hwnd, const RECT& frame) {
  const std::lock_guard<std::mutex> lock(g_heldLock);
  return std::ranges::any_of(g_held, [&](const Held& h) {
    return h.hwnd == hwnd && h.cx == frame.right - frame.left && h.cy == frame.bottom - frame.top;
  });
}

// Where a window whose visible frame is `frame` belongs for the cell: the cell itself,
// or, for one larger than the cell (one that cannot shrink to it), its place inside
// the work area with that size.
Placement Fitted(const Placement& cell, const RECT& frame, const WorkArea& area) {
  return FitCell(cell, frame.right - frame.left, frame.bottom - frame.top, area);
}

bool FrameOn(const RECT& frame, const Placement& p) {
  return frame.left == p.x && frame.top == p.y &&
         ((p.flags & SWP_NOSIZE) ||
          (frame.right - frame.left == p.cx && frame.bottom - frame.top == p.cy));
}

// Read back after the move. Moved onto a monitor of another scale, the window's
// borders may have changed with it, or its program may have taken the size it was
// given times the change of scale (as the system suggests with the change): moved once
// more, it is on that monitor now and takes its cell. One that still ends larger than
// the cell cannot shrink to it: it keeps its size, as far inside the work area as its
// cell allows. Whether the system took every move.
bool SettleInCell(HWND hwnd, const Placement& p, const WorkArea& area, UINT flags,
                  FaultLocation moveAt, GivenUp givenUp) {
  for (int round = 0; round < 2; ++round) {
    RECT frame;
    if (!VisibleFrameOf(hwnd, &frame)) return true;
    Placement want = round == 0 ? p : Fitted(p, frame, area);
    if (round == 1) {
      // No larger than its cell: a size of its own (a character grid, a largest size)
      // is the window's to keep, but not another place.
      if (want.cx == p.cx && want.cy == p.cy) return frame.left == p.x && frame.top == p.y;
      RememberHeld(hwnd, frame);
      want.flags |= SWP_NOSIZE;
    }
    if (FrameOn(frame, want)) return true;
    // A move given up on meanwhile makes no more calls: requests made since come first.
    if (Stopped(givenUp)) return false;
    const Placement t = WidenedByFrame(want, FrameMarginsOf(hwnd));
    if (!static_cast<uint32_t>(CallSystemFunction(kSetWindowPos, moveAt, hwnd, HWND_TOP, t.x, t.y,
                                                  t.cx, t.cy, t.flags | flags)))
      return false;
  }
  return true;
}

}  // namespace

bool PlaceWindow(HWND hwnd, const Placement& p, const WorkArea& area, bool shownAtPlan,
                 FaultLocation showAt, FaultLocation moveAt, GivenUp givenUp) {
  if (Stopped(givenUp)) return false;
  if (!MayMove(hwnd, p)) return false;
  // Raised later (moves made side by side, which the arrangement stacks afterwards):
  // neither activated nor raised here. One of a thread's moves made together but the
  // last: raised, not activated.
  const bool later = !KeptGrid(p) && (p.flags & SWP_NOZORDER);
  const bool quiet = !KeptGrid(p) && (p.flags & (SWP_NOZORDER | SWP_NOACTIVATE));
  const int show = quiet ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL;
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
  if (!moved) return false;
  moved = SettleInCell(hwnd, p, area, quiet ? SWP_NOACTIVATE : 0, moveAt, givenUp);
  // The system took the move; the size is the window's to settle (a minimum size, a
  // console's character grid), but the state must be the restored one (one reading of
  // the style answers both).
  return moved && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE));
}

bool RaiseWindow(HWND hwnd, bool activate) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE)) != 0;
}

bool QueuePlacement(HWND hwnd, const Placement& p, bool shownAtPlan, Placement* asked) {
  if (!MayMove(hwnd, p)) return false;
  // Read before the restore is queued: the window stays so until its program answers.
  const bool unmeasured = IsIconic(hwnd) || IsZoomed(hwnd);
  if (!KeptGrid(p)) {
    if (!MayShow(hwnd, shownAtPlan)) return false;
    ShowWindowAsync(hwnd, SW_SHOWNORMAL);
    // Minimised from maximised, the first restore maximises it; the second restores it.
    if (IsIconic(hwnd)) ShowWindowAsync(hwnd, SW_SHOWNORMAL);
  }
  // The window manager answers for a busy window; one not yet restored has no frame
  // to measure, and its cell is then its rectangle's.
  const Placement t = WidenedByFrame(p, FrameMarginsOf(hwnd));
  SetWindowPos(hwnd, HWND_TOP, t.x, t.y, t.cx, t.cy, t.flags | SWP_ASYNCWINDOWPOS);
  *asked = t;
  return unmeasured;
}

bool EndsPlaced(HWND hwnd, const Placement& cell, const WorkArea& area) {
  RECT frame;
  if (IsIconic(hwnd) || IsZoomed(hwnd) || !VisibleFrameOf(hwnd, &frame)) return false;
  // Held larger than its cell when it was moved, and still that size, it is placed
  // where such a window goes: a kept grid does not try it again at every change.
  if (FrameOn(frame, cell)) return true;
  if ((cell.flags & SWP_NOSIZE) || !HeldAt(hwnd, frame)) return false;
  const Placement fitted = Fitted(cell, frame, area);
  return (fitted.cx != cell.cx || fitted.cy != cell.cy) && FrameOn(frame, fitted);
}
