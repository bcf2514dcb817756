// The arithmetic of visible frames.
#include "engine/frames.h"

#include <algorithm>

FrameMargins MarginsBetween(const ScreenRect& window, const ScreenRect& visible) {
  return {std::max(visible.left - window.left, 0), std::max(visible.top - window.top, 0),
          std::max(window.right - visible.right, 0), std::max(window.bottom - visible.bottom, 0)};
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
