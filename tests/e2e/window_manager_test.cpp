// Windows 10 and 11 as the window manager describes them, through a stand-in for its
// library: sizable windows with invisible borders, and windows cloaked on another
// virtual desktop.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

// The stand-in's invisible borders of sizable windows: left, top, right, bottom.
constexpr RECT kBorders = {7, 0, 7, 7};

// Three sizable windows of one class and a pop-up without a sizing border.
const char kSamples[] = "--tiles --popup QmFrame 3 边框样例";

std::vector<HWND> OfClass(const std::vector<HWND>& windows, const char* cls) {
  std::vector<HWND> found;
  for (HWND hwnd : windows)
    if (ClassOf(hwnd) == cls) found.push_back(hwnd);
  return found;
}

// The rectangle a window must have for its visible frame to be `cell`.
RECT AroundCell(int x, int y, int cx, int cy, bool sizable) {
  if (!sizable) return {x, y, x + cx, y + cy};
  return {x - kBorders.left, y - kBorders.top, x + cx + kBorders.right, y + cy + kBorders.bottom};
}

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The windows' rectangles from left to right: which window got which cell is the
// search's business, tested elsewhere.
std::vector<std::string> LeftToRight(const std::vector<HWND>& windows) {
  std::vector<RECT> rects;
  for (HWND hwnd : windows) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    rects.push_back(r);
  }
  std::sort(rects.begin(), rects.end(),
            [](const RECT& a, const RECT& b) { return a.left < b.left; });
  std::vector<std::string> shown;
  for (const RECT& r : rects) shown.push_back(Show(r));
  return shown;
}

class WindowManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(standIn_.Ready()) << "the stand-in for the window manager is not in place";
    ASSERT_TRUE(samples_.Start(kSamples, 4));
    sizable_ = OfClass(samples_.Windows(), "QmFrame");
    popup_ = OfClass(samples_.Windows(), "QmSamplePopup");
    ASSERT_EQ(sizable_.size(), 3u);
    ASSERT_EQ(popup_.size(), 1u);
  }

  WindowManagerStandIn standIn_;
  SampleWindows samples_;
  std::vector<HWND> sizable_, popup_;
};

// By size and by row count, the visible frame of every window lies exactly on its
// cell: a sizable window's rectangle reaches past it by the invisible borders, a
// window without them fills the cell. --list still prints the cells.
TEST_F(WindowManager, VisibleFramesLieOnTheCells) {
  CommandRun run = RunQuiltmarkCommand("--class QmFrame --size 400x300");
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  std::vector<std::string> want;
  for (int i = 0; i < 3; ++i) want.push_back(Show(AroundCell(400 * i, 0, 400, 300, true)));
  EXPECT_EQ(LeftToRight(sizable_), want);
  run = RunQuiltmarkCommand("--class QmFrame --per-row 3");
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  want.clear();
  for (int i = 0; i < 3; ++i) want.push_back(Show(AroundCell(640 * i, 0, 640, 1079, true)));
  EXPECT_EQ(LeftToRight(sizable_), want);
  run = RunQuiltmarkCommand("--class QmSamplePopup --size 400x300");
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  RECT r{};
  GetWindowRect(popup_[0], &r);
  EXPECT_EQ(Show(r), Show(AroundCell(0, 0, 400, 300, false)));
  run = RunQuiltmarkCommand("--class QmFrame --size 400x300 --list");
  EXPECT_NE(run.output.find("\t0,0 400x300\t"), std::string::npos) << run.output;
}

// A window cloaked on another virtual desktop is passed over as if it had not been
// found: no cell, not moved, not listed or counted.
TEST_F(WindowManager, ACloakedWindowIsPassedOver) {
  HWND cloaked = sizable_[0];
  MarkCloaked(cloaked);
  RECT before{};
  GetWindowRect(cloaked, &before);
  CommandRun run = RunQuiltmarkCommand("--class QmFrame --size 400x300 --list");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output.find("3\t"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("2\t"), std::string::npos) << run.output;
  run = RunQuiltmarkCommand("--class QmFrame --size 400x300");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  RECT after{};
  GetWindowRect(cloaked, &after);
  EXPECT_EQ(Show(after), Show(before)) << "the cloaked window moved";
}

// A busy program's minimised window, arranged from the command line, which does not
// wait for it, or by the button: its visible frame ends on the cell once the program
// answers, though its borders could not be measured before it was restored.
TEST_F(WindowManager, ABusyMinimisedWindowEndsWithItsFrameOnTheCell) {
  for (const bool button : {false, true}) {
    SCOPED_TRACE(button ? "button" : "command line");
    SampleWindows busy;
    ASSERT_TRUE(busy.Start("--tiles --busy QmFrameBusyPeer 1 忙碌边框样例", 2));
    const std::vector<HWND> found = OfClass(busy.Windows(), "QmSampleBusy");
    ASSERT_EQ(found.size(), 1u);
    HWND slow = found[0];
    Quiltmark app;
    MainControls c{};
    if (button) {
      HWND window = StartInFront(app);
      ASSERT_NE(window, nullptr);
      c = FindMainControls(window);
      ASSERT_TRUE(c.AllFound());
      RetypeField(c.titleField, "");
      RetypeField(c.classField, "QmSampleBusy");
      RetypeField(c.widthField, "400");
      RetypeField(c.heightField, "300");
    }
    ShowWindow(slow, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(slow));
    constexpr UINT kBusyMessage = WM_APP + 2;  // busy for 3 s
    PostMessageA(slow, kBusyMessage, 0, 0);
    if (button) {
      ClickAt(CentreOf(c.arrangeButton));
    } else {
      CommandRun run = RunQuiltmarkCommand("--class QmSampleBusy --size 400x300");
      EXPECT_EQ(run.exitCode, 1u);
      ASSERT_EQ(run.output,
                "1\tQmSampleBusy\t忙碌边框样例\t没有响应，恢复响应后会移到它的位置\r\n"
                "匹配的窗口一个也没有排列\r\n")
          << "the window was not left to its busy program";
    }
    const std::string want = Show(AroundCell(0, 0, 400, 300, true));
    RECT r{};
    for (int tries = 0; tries < 200; ++tries, Sleep(50)) {
      GetWindowRect(slow, &r);
      if (!IsIconic(slow) && Show(r) == want) break;
    }
    EXPECT_EQ(Show(r), want);
  }
}

}  // namespace
