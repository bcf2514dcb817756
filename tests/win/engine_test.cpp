// Window search and arrangement on real windows of this process, read back with
// GetWindowRect. Under Xvfb there is no window manager, so positions land exactly,
// and Wine reports the taskbar as a 1-pixel strip along the bottom.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "engine/arrange.h"
#include "tests/win/win_support.h"

namespace {

std::vector<HWND> Handles(const WindowList& list) {
  std::vector<HWND> out;
  for (int32_t i = 0; i < list.Count(); ++i)
    out.push_back(reinterpret_cast<HWND>(static_cast<uintptr_t>(list.get()[2 + i])));
  return out;
}

// Our top-level windows among `of`, in the stacking order from the top.
std::vector<HWND> StackingOrder(const std::vector<HWND>& of) {
  std::vector<HWND> out;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    if (std::find(of.begin(), of.end(), h) != of.end()) out.push_back(h);
  return out;
}

// Arrangements as the button asks for them, on a fresh reading of the work area.
void ArrangeBySize(const WindowList& list, int32_t width, int32_t height) {
  ArrangeRequest request;
  request.width = width;
  request.height = height;
  Arrange(list, request, ComputeWorkArea());
}
void ArrangeByRowCount(const WindowList& list, int32_t perRow, bool keepSize) {
  ArrangeRequest request;
  request.method = ArrangeMethod::kByRowCount;
  request.perRow = perRow;
  request.keepSize = keepSize;
  Arrange(list, request, ComputeWorkArea());
}

struct Searched {
  const char* className;
  const char* title;
  std::vector<HWND> expected;  // in any order; the stacking order is checked apart
};

TEST(FindMatchingWindows, ClassTitleBothAndExactMatchOnly) {
  const DWORD plain = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  HWND a1 = MakeClassWindow("QmEngineA", "甲 window", plain);
  HWND a2 = MakeClassWindow("QmEngineA", "乙", WS_OVERLAPPEDWINDOW);  // hidden
  HWND a3 = MakeClassWindow("QmEngineA", "甲 window", plain | WS_MINIMIZE);
  HWND b1 = MakeClassWindow("QmEngineB", "甲 window", plain | WS_MAXIMIZE);
  HWND b2 = MakeClassWindow("QmEngineB", "甲 window and more", plain);
  const Searched cases[] = {
      {"QmEngineA", nullptr, {a1, a2, a3}},
      {nullptr, "甲 window", {a1, a3, b1}},
      {"QmEngineB", "甲 window", {b1}},
      {"QmEngineB", "甲 window and more", {b2}},
      {nullptr, "甲 WINDOW", {a1, a3, b1}},  // letter case aside, as the system compares
      {"qmenginea", nullptr, {a1, a2, a3}},
      {nullptr, "甲 windo", {}},  // nor a title that only begins with the text
      {nullptr, "甲", {}},  // a title that only contains the text is no match
      {"QmEngineZ", nullptr, {}},
      {"QmEngineA", "", {}},  // "" is a title to match, unlike null
  };
  WindowList list;
  for (const Searched& c : cases) {
    SCOPED_TRACE(std::string(c.className ? c.className : "-") + " / " + (c.title ? c.title : "-"));
    EXPECT_EQ(FindMatchingWindows(c.className, c.title, list), !c.expected.empty());
    std::vector<HWND> found = Handles(list);
    // The system's order: the stacking order from the top.
    EXPECT_EQ(found, StackingOrder(found));
    std::sort(found.begin(), found.end());
    std::vector<HWND> expected = c.expected;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
  }
  for (HWND h : {a1, a2, a3, b1, b2}) DestroyWindow(h);
}

// Windows in every state, of one class: visible, hidden, minimised, maximised.
std::vector<HWND> MakeTargets(int count, const char* className) {
  const DWORD styles[] = {WS_VISIBLE, 0, WS_VISIBLE | WS_MINIMIZE, WS_VISIBLE | WS_MAXIMIZE};
  std::vector<HWND> made;
  for (int i = 0; i < count; ++i)
    made.push_back(MakeClassWindow(className, "target", WS_OVERLAPPEDWINDOW | styles[i % 4],
                                   30 + 7 * i, 40 + 5 * i, 200 + 10 * i, 150 + 10 * i));
  return made;
}

RECT RectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

void ExpectPlaced(HWND h, int x, int y, int cx, int cy) {
  RECT r = RectOf(h);
  EXPECT_EQ(r.left, x);
  EXPECT_EQ(r.top, y);
  EXPECT_EQ(r.right - r.left, cx);
  EXPECT_EQ(r.bottom - r.top, cy);
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_FALSE(IsIconic(h));
  EXPECT_FALSE(IsZoomed(h));
}

// Another thread keeps making windows of the searched class, raising them and closing
// them while the search runs.
std::atomic<bool> g_churning{false};
DWORD WINAPI Churn(void*) {
  HWND a = MakeClassWindow("QmSearchChurn", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  while (g_churning) {
    HWND b = MakeClassWindow("QmSearchChurn", "target", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Sleep(1);
    DestroyWindow(a);
    a = b;
  }
  DestroyWindow(a);
  return 0;
}

// A window that closes or comes to the front while the search runs cuts the list
// short for none of the others and is never listed twice.
TEST(FindMatchingWindows, WindowsComingAndGoingMeanwhile) {
  std::vector<HWND> stable = MakeTargets(12, "QmSearchChurn");
  g_churning = true;
  HANDLE churn = CreateThread(nullptr, 0, Churn, nullptr, 0, nullptr);
  for (int round = 0; round < 1000 && !HasFailure(); ++round) {
    WindowList list;
    FindMatchingWindows("QmSearchChurn", nullptr, list);
    std::vector<HWND> found = Handles(list);
    for (HWND h : stable)
      EXPECT_EQ(std::ranges::count(found, h), 1) << "round " << round;
    std::ranges::sort(found);
    EXPECT_EQ(std::ranges::adjacent_find(found), found.end()) << "a window listed twice";
  }
  g_churning = false;
  WaitForSingleObject(churn, 10000);
  CloseHandle(churn);
  for (HWND h : stable) DestroyWindow(h);
}

TEST(Arrange, WorkAreaIsTheScreenLessWinesTaskbarStrip) {
  TaskbarRect bar = GetTaskbarRect();
  EXPECT_EQ(bar.top, 1079);
  EXPECT_EQ(bar.bottom, 1080);
  WorkArea area = ComputeWorkArea();
  EXPECT_EQ(area, (WorkArea{1920, 1079, 0, 0}));
}

TEST(Arrange, BySizeRestoresShowsAndPlacesInRows) {
  std::vector<HWND> targets = MakeTargets(5, "QmArrangeSize");
  WindowList list;
  ASSERT_TRUE(FindMatchingWindows("QmArrangeSize", nullptr, list));
  std::vector<HWND> order = Handles(list);
  ASSERT_EQ(order.size(), 5u);
  ArrangeBySize(list, 800, 400);
  // Two 800-pixel cells fit across 1920; rows run on below.
  const POINT cells[] = {{0, 0}, {800, 0}, {0, 400}, {800, 400}, {0, 800}};
  for (size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectPlaced(order[i], cells[i].x, cells[i].y, 800, 400);
  }
  // Each window was raised as it was placed: the last one ends on top.
  std::vector<HWND> reversed(order.rbegin(), order.rend());
  EXPECT_EQ(StackingOrder(order), reversed);
  for (HWND h : targets) DestroyWindow(h);
}

TEST(Arrange, ByRowCountWithAndWithoutKeepingSizes) {
  std::vector<HWND> targets = MakeTargets(7, "QmArrangeRows");
  WindowList list;
  ASSERT_TRUE(FindMatchingWindows("QmArrangeRows", nullptr, list));
  std::vector<HWND> order = Handles(list);
  // 7 windows at 3 a row: 3 rows of 1079 / 3 = 359 pixels, cells 640 wide.
  const POINT cells[] = {{0, 0}, {640, 0}, {1280, 0}, {0, 359}, {640, 359}, {1280, 359}, {0, 718}};
  std::vector<SIZE> ownSizes;
  for (HWND h : order) {
    ShowWindow(h, SW_SHOWNORMAL);  // the sizes to keep are the restored ones
    RECT r = RectOf(h);
    ownSizes.push_back({r.right - r.left, r.bottom - r.top});
  }
  ShowWindow(order[1], SW_MINIMIZE);
  ShowWindow(order[2], SW_HIDE);
  ArrangeByRowCount(list, 3, true);
  for (size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectPlaced(order[i], cells[i].x, cells[i].y, ownSizes[i].cx, ownSizes[i].cy);
  }
  ArrangeByRowCount(list, 3, false);
  for (size_t i = 0; i < order.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectPlaced(order[i], cells[i].x, cells[i].y, 640, 359);
  }
  for (HWND h : targets) DestroyWindow(h);
}

TEST(Arrange, AWindowClosedAfterTheSearchIsPassedOver) {
  std::vector<HWND> targets = MakeTargets(3, "QmArrangeGone");
  WindowList list;
  ASSERT_TRUE(FindMatchingWindows("QmArrangeGone", nullptr, list));
  std::vector<HWND> order = Handles(list);
  DestroyWindow(order[1]);
  ArrangeBySize(list, 500, 300);
  ExpectPlaced(order[0], 0, 0, 500, 300);
  ExpectPlaced(order[2], 1000, 0, 500, 300);  // its cell is where the list puts it
  for (HWND h : targets) DestroyWindow(h);
}

TEST(Arrange, ACellWiderThanTheScreenGivesEachWindowARow) {
  std::vector<HWND> targets = MakeTargets(3, "QmArrangeWide");
  WindowList list;
  ASSERT_TRUE(FindMatchingWindows("QmArrangeWide", nullptr, list));
  std::vector<HWND> order = Handles(list);
  ArrangeBySize(list, 2000, 200);
  for (size_t i = 0; i < order.size(); ++i) {
    RECT r = RectOf(order[i]);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, static_cast<LONG>(200 * i));
  }
  for (HWND h : targets) DestroyWindow(h);
}

// A window of another thread minimised from maximised is placed restored, not
// maximised again by the restore; undo gives it back minimised, to be maximised again
// when restored, as it was. (Wine tells only the window's own process that flag, so
// the window is this process's.)
TEST(Arrange, MinimisedFromMaximisedIsPlacedRestoredAndPutBackAsItWas) {
  std::atomic<HWND> made{nullptr};
  std::atomic<bool> quit{false};
  std::thread owner([&] {
    HWND h = MakeClassWindow("QmArrangeState", "state", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ShowWindow(h, SW_MAXIMIZE);
    ShowWindow(h, SW_MINIMIZE);
    made = h;
    while (!quit) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      Pump();
    }
    DestroyWindow(h);
  });
  while (!made) Sleep(10);
  HWND h = made;
  WindowList list;
  ASSERT_TRUE(FindMatchingWindows("QmArrangeState", nullptr, list));
  const std::vector<SavedPlacement> saved = SavePlacements(list);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(saved[0].restoreToMaximized);

  ArrangeRequest request;
  request.width = 500;
  request.height = 300;
  EXPECT_EQ(Arrange(list, request, ComputeWorkArea()), 1);
  EXPECT_FALSE(IsIconic(h));
  EXPECT_FALSE(IsZoomed(h));
  ExpectPlaced(h, 0, 0, 500, 300);

  Arrangement undo(saved, nullptr, 0);
  FinishArrangement(undo);
  EXPECT_TRUE(IsIconic(h));
  ShowWindow(h, SW_RESTORE);
  EXPECT_TRUE(IsZoomed(h));
  quit = true;
  owner.join();
}

}  // namespace
