// The numbering of monitors and the order of a kept grid (titles: tests/win).
#include "engine/order.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Order, MonitorsPrimaryFirstThenLeftToRightAndTopToBottom) {
  std::vector<Monitor> monitors = {
      {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}, false},
      {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false},
      {{0, 0, 1920, 1080}, {0, 0, 1920, 1079}, true},
      {{1920, -1080, 3840, 0}, {1920, -1080, 3840, 0}, false},
  };
  OrderMonitors(monitors);
  EXPECT_TRUE(monitors[0].primary);
  EXPECT_EQ(monitors[1].area.left, -1280);
  EXPECT_EQ(monitors[2].area.top, -1080);
  EXPECT_EQ(monitors[3].area.top, 0);
  // The grid goes into the work area, taskbar and docked bars left out.
  EXPECT_EQ(WorkAreaOf(monitors[3]), (WorkArea{1920, 1040, 1920, 0}));
}

}  // namespace

namespace {

// A kept grid: placed windows keep their order with the closed one's place closed up,
// newcomers follow in the order they appeared, whatever order the search gives.
TEST(Order, AKeptGridClosesUpAndAddsAtTheEnd) {
  // 2 closed; 9 and 7 appeared in that order; 5 was found without being seen to appear.
  EXPECT_EQ(KeptOrder({1, 2, 3}, {9, 7}, {7, 5, 3, 9, 1}), (std::vector<int32_t>{1, 3, 9, 7, 5}));
  // A window that appeared and closed again before the arrangement has no place.
  EXPECT_EQ(KeptOrder({4}, {8, 4}, {4}), (std::vector<int32_t>{4}));
  EXPECT_EQ(KeptOrder({}, {}, {3, 1, 2}), (std::vector<int32_t>{3, 1, 2}));
}

}  // namespace
