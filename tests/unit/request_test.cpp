// The one choice of method for an arrangement, and the fault sites that come with it.
#include "engine/request.h"

#include <gtest/gtest.h>

namespace {

TEST(PlanArrangement, EachMethodWithItsOwnSites) {
  const WorkArea area{1920, 1080, 0, 0};
  ArrangeRequest bySize;
  bySize.className = "C";
  bySize.width = 800;
  bySize.height = 600;
  ArrangeRequest byRow = bySize;
  byRow.method = ArrangeMethod::kByRowCount;
  byRow.perRow = 2;
  ArrangeRequest moveOnly = byRow;
  moveOnly.keepSize = true;
  const struct {
    const char* what;
    ArrangeRequest request;
    ApplySites sites;
    Placement second;
  } cases[] = {
      {"by size", bySize, {67174679, 2048, 2086, 2134}, {800, 0, 800, 600, 0}},
      {"by row count", byRow, {67174688, 2420, 2485, 2533}, {960, 0, 960, 1080, 0}},
      {"keeping the size", moveOnly, {67174688, 2420, 2592, 2640}, {960, 0, 0, 0, kSwpNoSize}},
  };
  for (const auto& c : cases) {
    const ArrangementPlan plan = PlanArrangement(c.request, area, 2);
    ASSERT_EQ(plan.cells.size(), 2u) << c.what;
    EXPECT_EQ(plan.cells[1], c.second) << c.what;
    EXPECT_EQ(plan.sites.routine, c.sites.routine) << c.what;
    EXPECT_EQ(plan.sites.showRead, c.sites.showRead) << c.what;
    EXPECT_EQ(plan.sites.moveRead, c.sites.moveRead) << c.what;
    EXPECT_EQ(plan.sites.move, c.sites.move) << c.what;
  }
}

}  // namespace
