#include "engine/frames.h"

#include <gtest/gtest.h>

namespace {

// Each margin on its own and all four together; a frame that reaches past the
// rectangle on any one side (measured in other pixels) gives none at all.
TEST(Frames, MarginsBetweenTheRectangleAndItsVisibleFrame) {
  const ScreenRect window{100, 100, 400, 300};
  const struct {
    const char* what;
    ScreenRect visible;
    FrameMargins want;
  } cases[] = {
      {"the whole rectangle", {100, 100, 400, 300}, {}},
      {"left only", {107, 100, 400, 300}, {7, 0, 0, 0}},
      {"top only", {100, 107, 400, 300}, {0, 7, 0, 0}},
      {"right only", {100, 100, 393, 300}, {0, 0, 7, 0}},
      {"bottom only", {100, 100, 400, 293}, {0, 0, 0, 7}},
      {"all four", {101, 102, 397, 296}, {1, 2, 3, 4}},
      {"Windows 10: all but the top", {107, 100, 393, 293}, {7, 0, 7, 7}},
      {"out by 1 on the left", {99, 102, 397, 296}, {}},
      {"out by 1 at the top", {101, 99, 397, 296}, {}},
      {"out by 1 on the right", {101, 102, 401, 296}, {}},
      {"out by 1 at the bottom", {101, 102, 397, 301}, {}},
      {"larger on every side", {95, 95, 405, 305}, {}},
      {"scaled by 1.5", {150, 150, 600, 450}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(MarginsBetween(window, c.visible), c.want) << c.what;
}

// The rectangle moves up and left by the left and top margins and grows by both margins
// each way; a cell that keeps the window's size only moves it.
TEST(Frames, TheRectangleAroundACell) {
  const FrameMargins m{1, 2, 3, 4};
  EXPECT_EQ(WidenedByFrame({400, 10, 400, 300, 0}, m), (Placement{399, 8, 404, 306, 0}));
  EXPECT_EQ(WidenedByFrame({0, 540, 0, 0, kSwpNoSize}, m), (Placement{-1, 538, 0, 0, kSwpNoSize}));
  EXPECT_EQ(WidenedByFrame({5, 6, 7, 8, 0}, FrameMargins{}), (Placement{5, 6, 7, 8, 0}));
}

}  // namespace
