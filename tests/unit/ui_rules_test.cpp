// The focus cycle, the key codes of the common events and the property clamps.
#include <gtest/gtest.h>

#include <set>

#include "engine/grid.h"
#include "ui/clamps.h"
#include "ui/keys.h"
#include "ui/layout.h"

namespace {

using namespace ids;

bool InSet(uint32_t id, void* context) {
  return static_cast<std::set<uint32_t>*>(context)->count(id) > 0;
}

// Walks the cycle from `start` and returns the controls met until it comes back.
std::vector<uint32_t> Cycle(std::set<uint32_t> focusable, uint32_t start, bool backward) {
  std::vector<uint32_t> seen{start};
  for (uint32_t c = NextInFocusCycle(start, backward, InSet, &focusable); c != start;
       c = NextInFocusCycle(c, backward, InSet, &focusable)) {
    seen.push_back(c);
    if (seen.size() > 20) break;
  }
  return seen;
}

TEST(FocusCycle, EachPageSkipsTheOtherPagesControls) {
  const std::set<uint32_t> page0 = {按钮_自动排列,   编辑框_窗口标题, 编辑框_窗口类名,
                                    组合框_排列方式, 编辑框_窗口宽度, 编辑框_窗口高度};
  const std::set<uint32_t> page1 = {按钮_自动排列,   编辑框_窗口标题, 编辑框_窗口类名,
                                    组合框_排列方式, 编辑框_单行数量, 选择框_禁止修改窗口尺寸};
  EXPECT_EQ(Cycle(page0, 按钮_自动排列, false),
            (std::vector<uint32_t>{按钮_自动排列, 编辑框_窗口标题, 编辑框_窗口类名, 组合框_排列方式,
                                   编辑框_窗口宽度, 编辑框_窗口高度}));
  EXPECT_EQ(Cycle(page1, 按钮_自动排列, true),
            (std::vector<uint32_t>{按钮_自动排列, 选择框_禁止修改窗口尺寸, 编辑框_单行数量,
                                   组合框_排列方式, 编辑框_窗口类名, 编辑框_窗口标题}));
}

TEST(FocusCycle, NothingFocusedStartsAtTheEnds) {
  std::set<uint32_t> all(kFocusOrder, kFocusOrder + kFocusOrderCount);
  EXPECT_EQ(NextInFocusCycle(0, false, InSet, &all), 按钮_自动排列);
  EXPECT_EQ(NextInFocusCycle(0, true, InSet, &all), 选择框_禁止修改窗口尺寸);
  EXPECT_EQ(NextInFocusCycle(标签_窗口标题, false, InSet, &all), 按钮_自动排列);
  std::set<uint32_t> one = {编辑框_窗口类名};
  EXPECT_EQ(NextInFocusCycle(编辑框_窗口类名, false, InSet, &one), 编辑框_窗口类名);
  std::set<uint32_t> last = {选择框_禁止修改窗口尺寸};
  EXPECT_EQ(NextInFocusCycle(0, false, InSet, &last), 选择框_禁止修改窗口尺寸);
  std::set<uint32_t> none;
  EXPECT_EQ(NextInFocusCycle(0, false, InSet, &none), 0u);
}

TEST(EventKeys, KeypadReportsMainKeyboardCodes) {
  const struct {
    int32_t vk, reported;
  } cases[] = {{0x60, 0x30}, {0x69, 0x39}, {0x6D, 0xBD}, {0x6E, 0xBE}, {0x6F, 0xBF},
               {0x6A, 0x6A}, {0x6B, 0x6B}, {0x41, 0x41}, {0x0D, 0x0D}, {0x5F, 0x5F}};
  for (const auto& c : cases) EXPECT_EQ(EventKeyCode(c.vk), c.reported) << c.vk;
  EXPECT_EQ(WheelSteps(240), 2);
  EXPECT_EQ(WheelSteps(-119), 0);
  EXPECT_EQ(WheelSteps(-360), -3);
}

TEST(PropertyClamps, PositionsSizesPagesAndChoices) {
  EXPECT_EQ(ClampPosition(40000), 32627);
  EXPECT_EQ(ClampPosition(-40000), -32627);
  EXPECT_EQ(ClampPosition(-5), -5);
  EXPECT_EQ(ClampSize(-1), 0);
  EXPECT_EQ(ClampSize(99999), 32627);
  EXPECT_EQ(ClampPage(5, 2), 1);
  EXPECT_EQ(ClampPage(-1, 2), 0);
  EXPECT_EQ(ClampPage(1, 0), 0);
  EXPECT_EQ(ClampChoice(-3, 11), 0);
  EXPECT_EQ(ClampChoice(14, 11), 11);
}

// A combo box's items and a tab control's pages, one a line; an empty line counts.
TEST(Layout, TextLines) {
  EXPECT_EQ(LayoutLines("固定\n可变"), (std::vector<std::string>{"固定", "可变"}));
  EXPECT_EQ(LayoutLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b", ""}));
  EXPECT_EQ(LayoutLines(""), std::vector<std::string>{""});
  EXPECT_EQ(LayoutLines(nullptr), std::vector<std::string>{});
}

TEST(Layout, EveryContainerComesBeforeWhatItHolds) {
  for (size_t i = 0; i < kControlCount; ++i) {
    if (!kControls[i].container) continue;
    const ControlLayout* container = FindControlLayout(kControls[i].container);
    ASSERT_NE(container, nullptr) << kControls[i].name;
    EXPECT_LT(container, &kControls[i]) << kControls[i].name;
  }
}

// The main window is centred on the whole screen. Each screen below has a taskbar
// that makes its work area give another place, so centring on the work area would
// show; screens smaller than the window give negative places, halved toward zero.
// Every length of the layout at 144 DPI is half as long again, and halves round away
// from zero as MulDiv rounds them; at 96 DPI nothing changes.
TEST(Layout, LengthsScaleWithTheDpi) {
  const struct {
    int value, dpi, scaled;
  } kCases[] = {{12, 144, 18}, {312, 144, 468}, {1, 144, 2}, {3, 144, 5},    {-3, 144, -5},
                {7, 120, 9},   {86, 96, 86},    {0, 192, 0}, {105, 168, 184}};
  for (const auto& c : kCases)
    EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
  for (size_t i = 0; i < kControlCount; ++i) {
    const ControlLayout& l = kControls[i];
    EXPECT_EQ(ScaleForDpi(l.left, 96), l.left);
    EXPECT_EQ(ScaleForDpi(l.width, 96), l.width);
  }
}

TEST(Layout, MainWindowIsCentredOnTheWholeScreenUnclamped) {
  const struct {
    const char* name;
    int screenWidth, screenHeight;
    TaskbarRect bar;
    WindowOrigin want;
  } cases[] = {
      {"odd height, one-pixel bar", 1920, 1081, {0, 1080, 1920, 1081}, {804, 346}},
      {"bar at the bottom", 1366, 768, {0, 728, 1366, 768}, {527, 189}},
      {"bar at the left", 1280, 1024, {0, 0, 60, 1024}, {484, 317}},
      {"bar at the top", 1024, 768, {0, 0, 1024, 48}, {356, 189}},
      {"narrower and lower than the window", 300, 380, {0, 340, 300, 380}, {-6, -4}},
      {"one pixel short each way", 311, 388, {0, 348, 311, 388}, {0, 0}},
  };
  ASSERT_EQ(kMainWindow.width, 312);
  ASSERT_EQ(kMainWindow.height, 389);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CentredOnScreen(c.screenWidth, c.screenHeight, kMainWindow.width, kMainWindow.height),
              c.want);
    const WorkArea area = ComputeWorkAreaFrom(c.screenWidth, c.screenHeight, c.bar);
    const WindowOrigin onWorkArea{area.x0 + (area.width - kMainWindow.width) / 2,
                                  area.y0 + (area.height - kMainWindow.height) / 2};
    EXPECT_NE(onWorkArea, c.want) << "this screen does not tell the two apart";
  }
}

// Moved in only as far as it takes, each way on its own; a window larger than the
// area keeps its caption's corner in it.
TEST(UiRules, AWindowKeptInsideItsArea) {
  const AreaRect area{-1920, 0, 0, 1040};  // a monitor left of the primary one
  const struct {
    const char* name;
    WindowOrigin at;
    int width, height;
    WindowOrigin want;
  } cases[] = {
      {"inside already", {-1000, 300}, 468, 584, {-1000, 300}},
      {"past the right edge", {-300, 300}, 468, 584, {-468, 300}},
      {"past the bottom", {-1000, 600}, 468, 584, {-1000, 456}},
      {"past the left and the top", {-2000, -20}, 468, 584, {-1920, 0}},
      {"touching the corner", {-468, 456}, 468, 584, {-468, 456}},
      {"wider and taller than the area", {-100, 100}, 2000, 1100, {-1920, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeptInside(c.at, c.width, c.height, area), c.want) << c.name;
}

}  // namespace
