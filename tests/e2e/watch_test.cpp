// Keeping a grid with --watch: windows that open one after another land in order, a
// closed one's place closes up, a program that does not answer holds nothing up, and
// --stop ends every watch.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

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

// Ends the one watch with --stop, which waits until it is gone.
void StopWatching(const Quiltmark& watch) {
  EXPECT_EQ(RunQuiltmarkCommand("--stop").output, "已结束 1 个 --watch\r\n");
  EXPECT_EQ(watch.WaitForExit(0), 0u);
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
  ASSERT_TRUE(samples[0]->Close());
  for (int j = 1; j < 3; ++j) {
    const RECT cell = Cell(j - 1, 2, 1);
    EXPECT_EQ(WaitForRect(windows[j], cell), Show(cell)) << "window " << j;
  }
  EXPECT_EQ(watch.WaitForExit(0), kStillRunning);
  CommandRun stop = RunQuiltmarkCommand("--stop");
  EXPECT_EQ(stop.exitCode, 0u) << stop.output;
  EXPECT_EQ(stop.output, "已结束 2 个 --watch\r\n");
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
  StopWatching(watch);
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
  StopWatching(watch);
}

// The windows of `samples` of that class, in the order of their rectangles' tops and
// lefts, with those rectangles.
std::vector<std::string> RectsOfClass(const SampleWindows& samples, const wchar_t* cls) {
  std::vector<std::string> rects;
  for (HWND hwnd : samples.Windows()) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    RECT r{};
    GetWindowRect(hwnd, &r);
    if (wcscmp(name, cls) == 0) rects.push_back(Show(r));
  }
  std::sort(rects.begin(), rects.end());
  return rects;
}

RECT RectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// A program's windows are the ones a taskbar shows: its main windows, not its owned
// dialog, its tool window or its hidden helper, in a run and under a watch alike, where
// a dialog opened later does not join either.
TEST(Watch, AProgramsWindowsAreItsMainWindows) {
  SampleWindows family;
  ASSERT_TRUE(family.Start("--popup --family QmFamily 2 家族", 4, "qm_family.exe"));
  HWND dialog = FindWindowW(L"QmSamplePopup", nullptr),
       tool = FindWindowW(L"QmSampleTool", nullptr);
  // The hidden helper is made last.
  HWND helper = nullptr;
  for (int tries = 0; tries < 100 && !helper; ++tries, Sleep(50))
    helper = FindWindowW(L"QmSampleHelper", nullptr);
  ASSERT_TRUE(dialog && tool && helper);
  const RECT dialogAt = RectOf(dialog), toolAt = RectOf(tool);
  CommandRun run = RunQuiltmarkCommand("--process qm_family.exe --per-row 2");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  std::vector<std::string> cells = {Show(Cell(0, 2, 1)), Show(Cell(1, 2, 1))};
  EXPECT_EQ(RectsOfClass(family, L"QmFamily"), cells);

  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--process qm_family.exe --per-row 3 --watch"));
  cells = {Show(Cell(0, 3, 1)), Show(Cell(1, 3, 1))};
  for (int tries = 0; tries < 100 && RectsOfClass(family, L"QmFamily") != cells; ++tries) Sleep(50);
  EXPECT_EQ(RectsOfClass(family, L"QmFamily"), cells);
  PostMessageW(FindWindowW(L"QmFamily", nullptr), WM_APP + 3, 0, 0);
  HWND later = nullptr;
  for (int tries = 0; tries < 100 && !later; ++tries, Sleep(50))
    later = FindWindowW(L"QmSamplePopup", L"后开的对话框");
  ASSERT_NE(later, nullptr);
  const RECT laterAt = RectOf(later);
  // A third main window takes the third cell; the dialog would have taken one.
  SampleWindows third;
  ASSERT_TRUE(third.Start("QmFamily 1 家族", 1, "qm_family.exe"));
  EXPECT_EQ(WaitForRect(OnlyWindow(third), Cell(2, 3, 1)), Show(Cell(2, 3, 1)));
  EXPECT_EQ(RectsOfClass(family, L"QmFamily"), cells);
  for (auto [hwnd, at] : {std::pair{dialog, dialogAt}, {tool, toolAt}, {later, laterAt}})
    EXPECT_EQ(Show(RectOf(hwnd)), Show(at));
  EXPECT_FALSE(IsWindowVisible(helper));
  StopWatching(watch);
}

// What the user did is left alone: a minimised member gives its cell up and stays
// minimised, a maximised one stays so in its cell, a newcomer takes the free cell, and
// the window the user types in keeps the keyboard. Restored, the minimised member takes
// its old place back, and the maximised one its cell.
TEST(Watch, LeavesMinimisedAndMaximisedMembersAlone) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmStates 1 状态1 QmStates 1 状态2 QmStates 1 状态3", 3));
  HWND member[4] = {FindWindowW(L"QmStates", L"状态1"), FindWindowW(L"QmStates", L"状态2"),
                    FindWindowW(L"QmStates", L"状态3")};
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmStates --order title --per-row 2 --watch"));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForRect(member[i], Cell(i, 2, 2)), Show(Cell(i, 2, 2)));
  ShowWindow(member[1], SW_SHOWMINNOACTIVE);
  ShowWindow(member[2], SW_MAXIMIZE);
  const RECT maximised = RectOf(member[2]);
  // Where the user types: a window of this program, in front.
  HWND typing = CreateWindowExW(0, L"EDIT", L"输入", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                300, 200, nullptr, nullptr, nullptr, nullptr);
  // The newcomer's program starts in front, as a program started from the front one
  // does; it joins once the user is typing again.
  SampleWindows newcomer;
  ASSERT_TRUE(newcomer.Start("QmStates 1 状态4", 1));
  member[3] = OnlyWindow(newcomer);
  ShowWindow(member[3], SW_HIDE);
  ASSERT_TRUE(BringToFront(typing));
  ShowWindow(member[3], SW_SHOWNOACTIVATE);
  EXPECT_EQ(WaitForRect(member[3], Cell(1, 2, 2)), Show(Cell(1, 2, 2)));
  EXPECT_EQ(WaitForRect(member[0], Cell(0, 2, 2)), Show(Cell(0, 2, 2)));
  EXPECT_TRUE(IsIconic(member[1]));
  EXPECT_TRUE(IsZoomed(member[2]));
  EXPECT_EQ(Show(RectOf(member[2])), Show(maximised));
  EXPECT_EQ(GetForegroundWindow(), typing) << ClassOf(GetForegroundWindow());
  ShowWindow(member[1], SW_SHOWNOACTIVATE);
  EXPECT_EQ(WaitForRect(member[1], Cell(1, 2, 2)), Show(Cell(1, 2, 2)));
  EXPECT_EQ(WaitForRect(member[3], Cell(3, 2, 2)), Show(Cell(3, 2, 2)));
  EXPECT_EQ(GetForegroundWindow(), typing) << ClassOf(GetForegroundWindow());
  DestroyWindow(typing);
  // Two members left, the maximised one made normal again takes its cell of the new
  // grid, not the quarter it had before it was maximised.
  ShowWindow(member[1], SW_HIDE);
  ShowWindow(member[3], SW_HIDE);
  EXPECT_EQ(WaitForRect(member[0], Cell(0, 2, 1)), Show(Cell(0, 2, 1)));
  PostMessageW(member[2], WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(WaitForRect(member[2], Cell(1, 2, 1)), Show(Cell(1, 2, 1)));
  StopWatching(watch);
}

// A member maximised before the watch began keeps its cell maximised, and takes it
// when the user makes it normal.
TEST(Watch, AMemberMaximisedFromTheStartTakesItsCellWhenNormal) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmMaxFirst 1 大1 QmMaxFirst 1 大2", 2));
  HWND first = FindWindowW(L"QmMaxFirst", L"大1"), second = FindWindowW(L"QmMaxFirst", L"大2");
  ASSERT_TRUE(first && second);
  ShowWindow(first, SW_MAXIMIZE);
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmMaxFirst --order title --per-row 2 --watch"));
  EXPECT_EQ(WaitForRect(second, Cell(1, 2, 1)), Show(Cell(1, 2, 1)));
  EXPECT_TRUE(IsZoomed(first));
  PostMessageW(first, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(WaitForRect(first, Cell(0, 2, 1)), Show(Cell(0, 2, 1)));
  StopWatching(watch);
}

// Members hidden and shown back one by one in the opposite order take their old
// places, not the order they came back in.
TEST(Watch, MembersThatComeBackTakeTheirOldPlaces) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmReturn 3 回来", 3));
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmReturn --per-row 3 --watch"));
  // The windows in the order of their cells, once the first grid is in place.
  HWND placed[3] = {};
  for (int tries = 0; tries < 100 && !(placed[0] && placed[1] && placed[2]); ++tries, Sleep(50))
    for (HWND hwnd : samples.Windows())
      for (int i = 0; i < 3; ++i)
        if (Show(RectOf(hwnd)) == Show(Cell(i, 3, 1))) placed[i] = hwnd;
  ASSERT_TRUE(placed[0] && placed[1] && placed[2]);
  for (HWND hwnd : placed) ShowWindow(hwnd, SW_HIDE);
  // Back one at a time, the last first: each lands among the others in its old order.
  ShowWindow(placed[2], SW_SHOWNOACTIVATE);
  EXPECT_EQ(WaitForRect(placed[2], Cell(0, 3, 1)), Show(Cell(0, 3, 1)));
  ShowWindow(placed[0], SW_SHOWNOACTIVATE);
  EXPECT_EQ(WaitForRect(placed[2], Cell(1, 3, 1)), Show(Cell(1, 3, 1)));
  EXPECT_EQ(WaitForRect(placed[0], Cell(0, 3, 1)), Show(Cell(0, 3, 1)));
  ShowWindow(placed[1], SW_SHOWNOACTIVATE);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(WaitForRect(placed[i], Cell(i, 3, 1)), Show(Cell(i, 3, 1))) << "window " << i;
  StopWatching(watch);
}

// With --order title a member renamed takes the cell its new title gives it.
TEST(Watch, ARenamedMemberMovesToItsTitlesCell) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmRename 1 名1 QmRename 1 名2 QmRename 1 名3", 3));
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--class QmRename --order title --per-row 3 --watch"));
  HWND first = FindWindowW(L"QmRename", L"名1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(WaitForRect(first, Cell(0, 3, 1)), Show(Cell(0, 3, 1)));
  SetWindowTextW(first, L"名9");
  EXPECT_EQ(WaitForRect(first, Cell(2, 3, 1)), Show(Cell(2, 3, 1)));
  HWND second = FindWindowW(L"QmRename", L"名2");
  EXPECT_EQ(WaitForRect(second, Cell(0, 3, 1)), Show(Cell(0, 3, 1)));
  StopWatching(watch);
}

// By a title pattern, a window renamed into the pattern joins the group and one
// renamed out of it leaves.
TEST(Watch, ARenameIntoOrOutOfThePatternJoinsOrLeaves) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("QmLike 1 甲-1 QmLike 1 甲-2 QmLike 1 乙", 3));
  Quiltmark watch;
  ASSERT_TRUE(watch.Start(nullptr, "--title-like 甲-? --order title --per-row 2 --watch"));
  HWND one = FindWindowW(L"QmLike", L"甲-1"), two = FindWindowW(L"QmLike", L"甲-2");
  HWND other = FindWindowW(L"QmLike", L"乙");
  ASSERT_TRUE(one && two && other);
  EXPECT_EQ(WaitForRect(two, Cell(1, 2, 1)), Show(Cell(1, 2, 1)));
  SetWindowTextW(other, L"甲-3");
  EXPECT_EQ(WaitForRect(other, Cell(2, 2, 2)), Show(Cell(2, 2, 2)));
  EXPECT_EQ(WaitForRect(one, Cell(0, 2, 2)), Show(Cell(0, 2, 2)));
  SetWindowTextW(one, L"丙");
  EXPECT_EQ(WaitForRect(two, Cell(0, 2, 1)), Show(Cell(0, 2, 1)));
  EXPECT_EQ(WaitForRect(other, Cell(1, 2, 1)), Show(Cell(1, 2, 1)));
  StopWatching(watch);
}

}  // namespace
