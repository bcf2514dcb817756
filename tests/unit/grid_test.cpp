#include "engine/grid.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "tests/unit/fault_host.h"

void PrintTo(const WorkArea& a, std::ostream* os) {
  *os << "{W " << a.width << ", H " << a.height << ", at " << a.x0 << "," << a.y0 << "}";
}
void PrintTo(const Placement& p, std::ostream* os) {
  *os << "{" << p.x << "," << p.y << " " << p.cx << "x" << p.cy << " f" << p.flags << "}";
}

namespace {

constexpr char kDivideByZero[] = "不能整除于零";

TEST(ComputeWorkAreaFrom, TaskbarAtEachEdgeOfA1920x1080Screen) {
  struct Case {
    const char* name;
    TaskbarRect bar;
    WorkArea want;
  } cases[] = {
      {"left", {0, 0, 60, 1080}, {1860, 1080, 60, 0}},
      {"top", {0, 0, 1920, 40}, {1920, 1040, 0, 40}},
      {"right", {1860, 0, 1920, 1080}, {1860, 1080, 0, 0}},
      {"bottom", {0, 1040, 1920, 1080}, {1920, 1040, 0, 0}},
      {"one-pixel strip", {0, 1079, 1920, 1080}, {1920, 1079, 0, 0}},
      {"shortened bottom", {0, 1040, 1200, 1080}, {1920, 1040, 0, 0}},
      {"short left bar counts as bottom", {0, 0, 60, 500}, {1920, 580, 0, 0}},
      {"not at x=0 counts as right", {100, 1040, 1200, 1080}, {820, 1080, 0, 0}},
      {"failed query", {0, 0, 0, 0}, {1920, 1080, 0, 0}},
      {"bar over the whole screen leaves the whole screen", {0, 0, 1920, 1080}, {1920, 1080, 0, 0}},
      // A bar is clipped to the primary screen first; one on another monitor leaves
      // the whole screen.
      {"bar on a monitor to the right", {1920, 1040, 3840, 1080}, {1920, 1080, 0, 0}},
      {"bar on a monitor to the left", {-1920, 1040, 0, 1080}, {1920, 1080, 0, 0}},
      {"bar on a monitor below", {0, 1080, 1920, 1120}, {1920, 1080, 0, 0}},
      {"bar on a monitor above", {0, -40, 1920, 0}, {1920, 1080, 0, 0}},
      {"bottom bar overhanging by 2", {-2, 1040, 1922, 1082}, {1920, 1040, 0, 0}},
      {"left bar overhanging by 2", {-2, -2, 62, 1082}, {1858, 1080, 62, 0}},
      {"right bar across two monitors", {1860, 0, 1980, 1080}, {1860, 1080, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ComputeWorkAreaFrom(1920, 1080, c.bar), c.want) << c.name;
  }
}

struct PlanCase {
  const char* name;
  std::vector<Placement> got;
  std::vector<Placement> want;
};

TEST(PlanBySize, EveryWindowGetsTheTypedSizeAndRowsFillAcross) {
  const WorkArea bottomBar{1920, 1040, 0, 0};
  const WorkArea leftBar{1860, 1080, 60, 0};
  const WorkArea topBar{1920, 1040, 0, 40};
  const PlanCase cases[] = {
      {"one window", PlanBySize(bottomBar, 1, 800, 600), {{0, 0, 800, 600, 0}}},
      {"left bar: 2 to a row",
       PlanBySize(leftBar, 3, 800, 600),
       {{60, 0, 800, 600, 0}, {860, 0, 800, 600, 0}, {60, 600, 800, 600, 0}}},
      {"top bar",
       PlanBySize(topBar, 2, 1920, 500),
       {{0, 40, 1920, 500, 0}, {0, 540, 1920, 500, 0}}},
      {"rows past the bottom are kept",
       PlanBySize(bottomBar, 5, 800, 800),
       {{0, 0, 800, 800, 0},
        {800, 0, 800, 800, 0},
        {0, 800, 800, 800, 0},
        {800, 800, 800, 800, 0},
        {0, 1600, 800, 800, 0}}},
      // A width that divides the area exactly fills the row; one pixel more leaves a cell less.
      {"exactly half the width: 2 to a row",
       PlanBySize(bottomBar, 3, 960, 500),
       {{0, 0, 960, 500, 0}, {960, 0, 960, 500, 0}, {0, 500, 960, 500, 0}}},
      {"a pixel over half: 1 to a row",
       PlanBySize(bottomBar, 2, 961, 500),
       {{0, 0, 961, 500, 0}, {0, 500, 961, 500, 0}}},
      {"cell wider than the area: one per row",
       PlanBySize(leftBar, 3, 1861, 300),
       {{60, 0, 1861, 300, 0}, {60, 300, 1861, 300, 0}, {60, 600, 1861, 300, 0}}},
  };
  for (const PlanCase& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(PlanByRowCount, CellsDivideTheAreaAndKeepSizeOnlyMoves) {
  const WorkArea full{1920, 1080, 0, 0};
  const PlanCase cases[] = {
      {"7 at 3 per row: third row holds one",
       PlanByRowCount(full, 7, 3, false),
       {{0, 0, 640, 360, 0},
        {640, 0, 640, 360, 0},
        {1280, 0, 640, 360, 0},
        {0, 360, 640, 360, 0},
        {640, 360, 640, 360, 0},
        {1280, 360, 640, 360, 0},
        {0, 720, 640, 360, 0}}},
      {"6 at 3 per row: two full rows, no empty third",
       PlanByRowCount(full, 6, 3, false),
       {{0, 0, 640, 540, 0},
        {640, 0, 640, 540, 0},
        {1280, 0, 640, 540, 0},
        {0, 540, 640, 540, 0},
        {640, 540, 640, 540, 0},
        {1280, 540, 640, 540, 0}}},
      {"more per row than windows",
       PlanByRowCount({1920, 1040, 0, 0}, 2, 5, false),
       {{0, 0, 384, 1040, 0}, {384, 0, 384, 1040, 0}}},
      {"keep size",
       PlanByRowCount({1860, 1080, 60, 0}, 3, 2, true),
       {{60, 0, 0, 0, kSwpNoSize}, {990, 0, 0, 0, kSwpNoSize}, {60, 540, 0, 0, kSwpNoSize}}},
      // 1000 / 3 and 1041 / 2 lose their fractions.
      {"fractional cells truncated",
       PlanByRowCount({1000, 1041, 0, 40}, 4, 3, false),
       {{0, 40, 333, 520, 0},
        {333, 40, 333, 520, 0},
        {666, 40, 333, 520, 0},
        {0, 560, 333, 520, 0}}},
      {"no windows, no rows", PlanByRowCount(full, 0, 3, false), {}},
  };
  for (const PlanCase& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(PlanByRowCount, ARowNeverHoldsMoreThanAskedFor) {
  // 1920 / 100 gives 19-pixel cells, of which 101 would fit across.
  const auto plan = PlanByRowCount({1920, 1080, 0, 0}, 102, 100, false);
  ASSERT_EQ(plan.size(), 102u);
  EXPECT_EQ(plan[99], (Placement{1881, 0, 19, 540, 0}));
  EXPECT_EQ(plan[100], (Placement{0, 540, 19, 540, 0}));
  EXPECT_EQ(plan[101], (Placement{19, 540, 19, 540, 0}));
}

// N pixels between the cells and around them: by size, cells of the size asked one every
// size + N from (X0 + N, Y0 + N), as many to a row as fit in W - N; by row count, n
// columns of (W - (n+1)N) / n and r rows of (H - (r+1)N) / r. A gap of 0 is the plain grid.
TEST(Plan, GapsBetweenAndAroundTheCells) {
  const WorkArea leftBar{1860, 1080, 60, 0};
  const PlanCase cases[] = {
      // (1860 - 10) / (600 + 10) = 3 a row.
      {"by size",
       PlanBySize(leftBar, 4, 600, 400, 10),
       {{70, 10, 600, 400, 0},
        {680, 10, 600, 400, 0},
        {1290, 10, 600, 400, 0},
        {70, 420, 600, 400, 0}}},
      // (1860 - 10) / (611 + 10) = 2 a row.
      {"by size, a pixel too wide for three",
       PlanBySize(leftBar, 3, 611, 400, 10),
       {{70, 10, 611, 400, 0}, {691, 10, 611, 400, 0}, {70, 420, 611, 400, 0}}},
      // (1860 - 4 * 8) / 3 = 609, (1080 - 3 * 8) / 2 = 528.
      {"by row count",
       PlanByRowCount(leftBar, 4, 3, false, 8),
       {{68, 8, 609, 528, 0},
        {685, 8, 609, 528, 0},
        {1302, 8, 609, 528, 0},
        {68, 544, 609, 528, 0}}},
      {"by row count, moved only",
       PlanByRowCount(leftBar, 2, 2, true, 200),
       {{260, 200, 0, 0, kSwpNoSize}, {1090, 200, 0, 0, kSwpNoSize}}},
      {"gap 0 is the plain grid", PlanByRowCount(leftBar, 4, 3, false, 0),
       PlanByRowCount(leftBar, 4, 3, false)},
  };
  for (const PlanCase& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

// A window that cannot shrink to its cell: as small as it goes, no smaller than the
// cell, its top-left on the cell's, moved left and up only as far as the work area's
// right and bottom edges make it.
TEST(FitCell, AWindowThatCannotShrinkStaysInsideTheWorkArea) {
  const WorkArea area{1860, 1040, 60, 0};  // right edge 1920, bottom 1040
  const Placement rightmost{1300, 520, 620, 520, 0};
  const struct {
    const char* name;
    Placement cell;
    int32_t leastWidth, leastHeight;
    Placement want;
  } cases[] = {
      {"fits", rightmost, 620, 520, rightmost},
      {"smaller least size keeps the cell", rightmost, 100, 100, rightmost},
      {"wider and higher: left and up", rightmost, 700, 600, {1220, 440, 700, 600, 0}},
      {"only wider: the height stays the cell's", rightmost, 700, 300, {1220, 520, 700, 520, 0}},
      {"first column grows to the right", {60, 0, 620, 520, 0}, 700, 600, {60, 0, 700, 600, 0}},
      {"wider than the area: at its left edge", rightmost, 2000, 520, {60, 520, 2000, 520, 0}},
      // Rows below the bottom stay there: it reaches no further down than its cell.
      {"a cell past the bottom", {60, 1040, 620, 520, 0}, 620, 600, {60, 960, 620, 600, 0}},
      {"moved only", {1300, 520, 0, 0, kSwpNoSize}, 700, 600, {1300, 520, 0, 0, kSwpNoSize}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitCell(c.cell, c.leastWidth, c.leastHeight, area), c.want) << c.name;
}

TEST(Plan, ZeroCellWidthIsAFault) {
  const WorkArea full{1920, 1080, 0, 0};
  const WorkArea screenWideBar{0, 1080, 1920, 0};
  const struct {
    const char* name;
    std::function<void()> plan;
  } cases[] = {
      {"cell width 0", [&] { PlanBySize(full, 1, 0, 600); }},
      {"per row 0", [&] { PlanByRowCount(full, 1, 0, false); }},
      {"per row above the width", [&] { PlanByRowCount(full, 1, 2000, false); }},
      {"area with no width", [&] { PlanByRowCount(screenWideBar, 1, 1, false); }},
  };
  for (const auto& c : cases) {
    try {
      c.plan();
      ADD_FAILURE() << c.name << ": no fault";
    } catch (const FaultRaised& f) {
      EXPECT_EQ(f.message, kDivideByZero) << c.name;
      EXPECT_EQ(f.code, kFaultDirect) << c.name;
      EXPECT_EQ(f.where.first, 0) << c.name;
      EXPECT_EQ(f.where.second, 0) << c.name;
    }
  }
}

}  // namespace
