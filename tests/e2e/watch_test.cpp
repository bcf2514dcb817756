// Keeping a grid with --watch: windows that open one after another land in order, a
// closed one's place closes up, a program that does not answer holds nothing up, and
// --stop ends every watch.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/support/utf8.h"

namespace {

// The screen is 1920 x 1080 and Wine's taskbar a 1-pixel strip along its bottom.
constexpr int kWorkWidth = 1920;
constexpr int kWorkHeight = 1079;

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// Waits until the window's rectangle is `want`; what it last was.
std::string WaitForRect(HWND hwnd, const RECT& want, DWORD ms = 5000) {
  RECT r{};
  for (DWORD waited = 0;; waited += 50) {
    GetWindowRect(hwnd, &r);
    if (EqualRect(&r, &want) || waited >= ms) break;
    Sleep(50);
  }
  return Show(r);
}

// Cell `i` of a grid of `perRow` across and `rows` down on the work area.
RECT Cell(int i, int perRow, int rows) {
  const int w = kWorkWidth / perRow, h = kWorkHeight / rows;
  const int x = (i % perRow) * w, y = (i / perRow) * h;
  return {x, y, x + w, y + h};
}

HWND OnlyWindow(const SampleWindows& samples) {
  auto windows = samples.Windows();
  return windows.size() == 1 ? windows.front() : nullptr;
}

// One window a program, opened one after another: each lands after the ones before
// it; the first closes and the other two close up. One --stop ends both watches
// running, which exit with 0 at once, and a second --stop finds none.
TEST(Watch, KeepsTheGridAsWindowsComeAndGo) {
  Quiltmark watch, other;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmWatch --per-row 2 --watch"));
  ASSERT_TRUE(other.Start(nullptr, "--class QmWatchNone --per-row 2 --watch"));
  std::unique_ptr<SampleWindows> samples[3];
  HWND windows[3] = {};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    samples[i] = std::make_unique<SampleWindows>();
    ASSERT_TRUE(samples[i]->Start("QmWatch 1 \"持续 " + std::to_string(i) + "\"", 1));
    windows[i] = OnlyWindow(*samples[i]);
    ASSERT_NE(windows[i], nullptr);
    const int rows = i < 2 ? 1 : 2;
    for (int j = 0; j <= i; ++j) {
      const RECT cell = Cell(j, 2, rows);
      EXPECT_EQ(WaitForRect(windows[j], cell), Show(cell)) << "window " << j;
    }
  }
  samples[0].reset();
  for (int j = 1; j < 3; ++j) {
    const RECT cell = Cell(j - 1, 2, 1);
    EXPECT_EQ(WaitForRect(windows[j], cell), Show(cell)) << "window " << j;
  }
  EXPECT_EQ(watch.WaitForExit(0), kStillRunning);
  CommandRun stop = RunQuiltmarkCommand("--stop");
  EXPECT_EQ(stop.exitCode, 0u) << stop.output;
  EXPECT_EQ(watch.WaitForExit(2000), 0u);
  EXPECT_EQ(other.WaitForExit(2000), 0u) << "one --stop ends every watch";
  stop = RunQuiltmarkCommand("--stop");
  EXPECT_EQ(stop.exitCode, 1u);
  EXPECT_EQ(stop.output, "没有正在运行的 --watch\r\n");
}

// Windows already open when the watch starts take their cells in the order --list
// gives them, as in a run without --watch.
TEST(Watch, TheFirstGridIsTheListsOrder) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmWatchFirst 1 甲 QmWatchFirst 1 乙 QmWatchFirst 1 丙", 3));
  CommandRun list = RunQuiltmarkCommand("--class QmWatchFirst --per-row 3 --list");
  ASSERT_EQ(list.exitCode, 0u) << list.output;
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmWatchFirst --per-row 3 --watch"));
  size_t line = 0;
  for (int i = 0; i < 3; ++i, line = list.output.find("\r\n", line) + 2) {
    // number, class, title, ...
    const size_t title = list.output.find('\t', list.output.find('\t', line) + 1) + 1;
    const std::string name = list.output.substr(title, list.output.find('\t', title) - title);
    SCOPED_TRACE(name);
    HWND hwnd = FindWindowW(L"QmWatchFirst", W(name).c_str());
    ASSERT_NE(hwnd, nullptr);
    const RECT cell = Cell(i, 3, 1);
    EXPECT_EQ(WaitForRect(hwnd, cell), Show(cell));
  }
  EXPECT_EQ(RunQuiltmarkCommand("--stop").exitCode, 0u);
  EXPECT_EQ(watch.WaitForExit(2000), 0u);
}

// A match that stopped answering neither stops the first arrangement nor the watch:
// a window that opens later still lands after it.
TEST(Watch, AHungMatchHoldsNothingUp) {
  SampleWindows hung;
  ASSERT_TRUE(hung.Start("--hung QmWatchPeer 1 无响应窗口", 2));
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--title 无响应窗口 --per-row 3 --watch"));
  HWND peer = FindWindowW(L"QmWatchPeer", nullptr);
  ASSERT_NE(peer, nullptr);
  RECT r{};
  for (int tries = 0; tries < 100 && r.right - r.left != kWorkWidth / 3; ++tries, Sleep(50))
    GetWindowRect(peer, &r);
  EXPECT_EQ(r.right - r.left, kWorkWidth / 3) << Show(r);
  SampleWindows later;
  ASSERT_TRUE(later.Start("QmWatchLater 1 无响应窗口", 1));
  const RECT third = Cell(2, 3, 1);
  EXPECT_EQ(WaitForRect(OnlyWindow(later), third), Show(third));
  EXPECT_EQ(RunQuiltmarkCommand("--stop").exitCode, 0u);
  EXPECT_EQ(watch.WaitForExit(2000), 0u);
}

}  // namespace
