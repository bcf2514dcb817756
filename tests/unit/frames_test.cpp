#include "engine/frames.h"

#include <gtest/gtest.h>

namespace {

// Windows 10's invisible borders (7 left, right and bottom, none at the top) widen the
// window past its cell; a frame that is the whole rectangle, or one not inside it
// (measured in other pixels), changes nothing; a cell that keeps the window's size only moves it.
TEST(Frames, MarginsAndTheRectangleAroundACell) {
  const FrameMargins win10 = MarginsBetween({93, 100, 407, 307}, {100, 100, 400, 300});
  EXPECT_EQ(win10, (FrameMargins{7, 0, 7, 7}));
  EXPECT_EQ(MarginsBetween({0, 0, 10, 10}, {0, 0, 10, 10}), FrameMargins{});
  EXPECT_EQ(MarginsBetween({0, 0, 10, 10}, {-5, -5, 15, 15}), FrameMargins{});
  EXPECT_EQ(MarginsBetween({100, 100, 400, 300}, {160, 150, 590, 440}), FrameMargins{});
  EXPECT_EQ(WidenedByFrame({400, 0, 400, 300, 0}, win10), (Placement{393, 0, 414, 307, 0}));
  EXPECT_EQ(WidenedByFrame({0, 540, 0, 0, kSwpNoSize}, win10),
            (Placement{-7, 540, 0, 0, kSwpNoSize}));
  EXPECT_EQ(WidenedByFrame({5, 6, 7, 8, 0}, FrameMargins{}), (Placement{5, 6, 7, 8, 0}));
}

}  // namespace
