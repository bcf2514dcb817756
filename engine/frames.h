#pragma once
// Visible frames. On Windows 10 and 11 a sizable window's rectangle holds invisible
// resize borders (commonly 7 pixels left, right and bottom); the window manager
// reports the frame the user sees. A window is placed so that its visible frame, not
// its rectangle, fills the cell. No <windows.h> here.
#include <cstdint>

#include "engine/grid.h"
#include "engine/order.h"

// How far the window's rectangle reaches past its visible frame on each side; all 0
// where the window manager does not answer (Wine, Windows 7 without composition).
struct FrameMargins {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const FrameMargins&, const FrameMargins&) = default;
};

// The margins between a window's rectangle and its visible frame. A frame that is not
// inside the rectangle gives no margins at all.
FrameMargins MarginsBetween(const ScreenRect& window, const ScreenRect& visible);

// The rectangle to give a window so that its visible frame lands on the cell: moved
// up and left by the margins, and (unless the cell keeps the window's size) widened
// by them.
Placement WidenedByFrame(const Placement& cell, const FrameMargins& margins);
