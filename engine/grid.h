#pragma once
// The work area and the grid plan. No <windows.h> here: the Win32 side gathers the
// screen size and the taskbar rectangle, asks for a plan, and applies it afterwards,
// so a fault while planning never leaves half the windows moved.
#include <cstdint>
#include <vector>

// The taskbar's screen rectangle as the shell reports it; all zero when the query fails.
struct TaskbarRect {
  int32_t left, top, right, bottom;
};

// The screen less the taskbar: its size, and the screen point where the grid starts.
struct WorkArea {
  int32_t width, height, x0, y0;
  friend bool operator==(const WorkArea&, const WorkArea&) = default;
};

// SetWindowPos's flag for "move only"; same value as the system's SWP_NOSIZE.
inline constexpr uint32_t kSwpNoSize = 0x0001;

// Where one window goes: SetWindowPos's position, size and flags (0 or kSwpNoSize).
struct Placement {
  int32_t x, y, cx, cy;
  uint32_t flags;
  friend bool operator==(const Placement&, const Placement&) = default;
};

// The work area of a screen with the taskbar at `bar`, clipped to the screen first (a
// bar that misses the screen leaves all of it). A bar at x = 0 that is neither full
// height nor full width counts as a bottom bar, any bar not at x = 0 as a right one.
// A bar that would leave no width or height leaves the whole screen instead.
WorkArea ComputeWorkAreaFrom(int32_t screenWidth, int32_t screenHeight, const TaskbarRect& bar);

// One placement per window, in list order: every window gets the typed size, and a row
// holds as many cells as fit across the work area (at least one). Rows run on past the
// bottom. A cell width of 0 is fatal ("不能整除于零"). With a `gap`, the cells start
// `gap` pixels in from the area's top-left corner, one every size + gap, as many to a
// row as fit in the width less one gap.
std::vector<Placement> PlanBySize(const WorkArea& area, int32_t windowCount, int32_t cellWidth,
                                  int32_t cellHeight, int32_t gap = 0);

// One placement per window, in list order: the work area is cut into `perRow` columns and
// as many rows as the windows need; with `keepSize` the windows are only moved. More per
// row than the area has pixels across leaves a cell width of 0, which is fatal. With a
// `gap`, that many pixels lie between neighbouring cells and between the cells and the
// area's edges: n columns are (W - (n + 1) * gap) / n wide, r rows (H - (r + 1) * gap) / r
// high.
std::vector<Placement> PlanByRowCount(const WorkArea& area, int32_t windowCount, int32_t perRow,
                                      bool keepSize, int32_t gap = 0);

// Where a window goes whose smallest visible frame (`leastWidth` x `leastHeight`) is
// larger than its cell: each side as small as the window allows but never smaller than
// the cell, its top-left on the cell's, then moved left and up just as far as it must be
// to reach no further right or down than the work area (or its cell, where the cell
// itself lies beyond the area), though never past the area's left or top edge. Any
// other cell, and a cell that keeps the window's size, is returned as it is.
Placement FitCell(const Placement& cell, int32_t leastWidth, int32_t leastHeight,
                  const WorkArea& area);
