// The arithmetic of visible frames.
#include "engine/frames.h"

FrameMargins MarginsBetween(const ScreenRect& window, const ScreenRect& visible) {
  const FrameMargins m{visible.left - window.left, visible.top - window.top,
                       window.right - visible.right, window.bottom - visible.bottom};
  // A frame that is not inside the rectangle was not measured in the same pixels (the
  // window manager answers in the screen's own pixels, which a program the system
  // scales does not see): no margins then, rather than wrong ones.
  if (m.left < 0 || m.top < 0 || m.right < 0 || m.bottom < 0) return {};
  return m;
}

Placement WidenedByFrame(const Placement& cell, const FrameMargins& m) {
  Placement p = cell;
  p.x = cell.x - m.left;
  p.y = cell.y - m.top;
  if (!(cell.flags & kSwpNoSize)) {
    p.cx = cell.cx + m.left + m.right;
    p.cy = cell.cy + m.top + m.bottom;
  }
  return p;
}
