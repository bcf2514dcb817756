// The work area and the grid plan, worked out without <windows.h>.
#include "engine/grid.h"

#include <algorithm>

#include "base/arith.h"
#include "base/value.h"

namespace {

// Sums, products and quotients are worked in doubles; a stored value is converted as
// the runtime converts any double (so H / 0 rows, with no windows, gives 0).
int32_t ToInt32(double v) { return ToInteger(Value(v)); }

struct Grid {
  int32_t cellWidth, cellHeight, cols, gap;
};

// Both arrangements end here: windows fill the rows left to right, top to bottom, in list
// order, each with the same SetWindowPos size and flags.
std::vector<Placement> PlaceInRows(const WorkArea& area, int32_t windowCount, const Grid& grid,
                                   int32_t cx, int32_t cy, uint32_t flags) {
  // A cell wider than the work area gives 0 columns; without the floor of one the very
  // first window would wrap and leave the top row empty.
  const int32_t cols = std::max(grid.cols, 1);
  std::vector<Placement> plan;
  plan.reserve(static_cast<size_t>(std::max(windowCount, 0)));
  // With a gap, the first cell starts one gap in from the corner and each next one a
  // gap after the one before.
  const double stepX = static_cast<double>(grid.cellWidth) + grid.gap;
  const double stepY = static_cast<double>(grid.cellHeight) + grid.gap;
  int32_t col = 0;
  int32_t rowTop = 0;
  for (int32_t i = 0; i < windowCount; ++i) {
    col = col + 1;
    if (col > cols) {
      rowTop = ToInt32(rowTop + stepY);
      col = 1;
    }
    const int32_t x = ToInt32(static_cast<double>(area.x0) + grid.gap + (col - 1) * stepX);
    const int32_t y = ToInt32(static_cast<double>(area.y0) + grid.gap + rowTop);
    plan.push_back({x, y, cx, cy, flags});
  }
  return plan;
}

}  // namespace

WorkArea ComputeWorkAreaFrom(int32_t screenWidth, int32_t screenHeight, const TaskbarRect& bar) {
  // Only the part of the bar on the primary screen takes room from it: a bar on
  // another monitor (beside, above or below) leaves the whole screen, and one that
  // overhangs the screen's edges counts as far as the screen goes.
  TaskbarRect rc{std::max(bar.left, 0), std::max(bar.top, 0), std::min(bar.right, screenWidth),
                 std::min(bar.bottom, screenHeight)};
  if (rc.left >= rc.right || rc.top >= rc.bottom) rc = {0, 0, 0, 0};
  const int32_t barWidth = ToInt32(static_cast<double>(rc.right) - rc.left);
  const int32_t barHeight = ToInt32(static_cast<double>(rc.bottom) - rc.top);
  WorkArea area{screenWidth, screenHeight, 0, 0};
  // First match wins, each test against the whole screen. A failed query (all zero)
  // falls through to the bottom case with a height of 0, so the whole screen is the
  // work area.
  if (rc.left == 0 && rc.top == 0 && barHeight == screenHeight) {
    area.width = ToInt32(static_cast<double>(screenWidth) - barWidth);
    area.x0 = barWidth;
  } else if (rc.left == 0 && rc.top == 0 && barWidth == screenWidth) {
    area.height = ToInt32(static_cast<double>(screenHeight) - barHeight);
    area.y0 = barHeight;
  } else if (rc.left != 0) {
    area.width = ToInt32(static_cast<double>(screenWidth) - barWidth);
  } else {
    area.height = ToInt32(static_cast<double>(screenHeight) - barHeight);
  }
  // A bar that leaves no room (one covering the screen) is read as no bar at all: a
  // grid in an area with no width would put every window at the screen's right edge.
  if (area.width <= 0 || area.height <= 0) return {screenWidth, screenHeight, 0, 0};
  return area;
}

std::vector<Placement> PlanBySize(const WorkArea& area, int32_t windowCount, int32_t cellWidth,
                                  int32_t cellHeight, int32_t gap) {
  // Each cell takes its width and the gap after it; the gap before the first is left.
  const int32_t cols = ToInt32(IntegerDivide(ToInt32(static_cast<double>(area.width) - gap),
                                             ToInt32(static_cast<double>(cellWidth) + gap)));
  return PlaceInRows(area, windowCount, {cellWidth, cellHeight, cols, gap}, cellWidth, cellHeight,
                     0);
}

std::vector<Placement> PlanByRowCount(const WorkArea& area, int32_t windowCount, int32_t perRow,
                                      bool keepSize, int32_t gap) {
  int32_t rows = ToInt32(IntegerDivide(windowCount, perRow));
  if (Remainder(windowCount, perRow) > 0) rows = ToInt32(rows + 1.0);
  const int32_t cellWidth =
      ToInt32((area.width - (static_cast<double>(perRow) + 1) * gap) / perRow);
  const int32_t cellHeight = ToInt32((area.height - (static_cast<double>(rows) + 1) * gap) / rows);
  // Truncating W / perRow can leave room for more whole cells than asked for (1920 / 100
  // gives 19-pixel cells, 101 to a row): a row still holds no more than perRow.
  const int32_t cols =
      std::min(ToInt32(IntegerDivide(ToInt32(static_cast<double>(area.width) - gap),
                                     ToInt32(static_cast<double>(cellWidth) + gap))),
               perRow);
  const Grid grid{cellWidth, cellHeight, cols, gap};
  if (keepSize) return PlaceInRows(area, windowCount, grid, 0, 0, kSwpNoSize);
  return PlaceInRows(area, windowCount, grid, cellWidth, cellHeight, 0);
}

Placement FitCell(const Placement& cell, int32_t leastWidth, int32_t leastHeight,
                  const WorkArea& area) {
  if ((cell.flags & kSwpNoSize) || (leastWidth <= cell.cx && leastHeight <= cell.cy)) return cell;
  // One side may fit while the other does not: the one that fits keeps the cell's.
  Placement p = cell;
  p.cx = std::max(cell.cx, leastWidth);
  p.cy = std::max(cell.cy, leastHeight);
  // Worked in 64 bits: a window's least size is the program's to say.
  auto pull = [](int32_t at, int32_t cellSize, int32_t size, int32_t start, int32_t extent) {
    const int64_t end = std::max<int64_t>(int64_t{start} + extent, int64_t{at} + cellSize);
    const int64_t moved = std::min<int64_t>(at, end - size);
    return static_cast<int32_t>(std::max<int64_t>(moved, std::min(start, at)));
  };
  p.x = pull(cell.x, cell.cx, p.cx, area.x0, area.width);
  p.y = pull(cell.y, cell.cy, p.cy, area.y0, area.height);
  return p;
}
