// Arranging other programs' windows through Quiltmark's window, the way a person
// does it: typing the search, choosing the method and its numbers, clicking 自动排列;
// and what it refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/utf8.h"

namespace {

// The screen is 1920 x 1080 and Wine's taskbar a 1-pixel strip along its bottom.
constexpr int kWorkWidth = 1920;
constexpr int kWorkHeight = 1079;

// Class A: four windows titled 样例窗口 and two titled 其他窗口; class B: three titled
// 样例窗口. So the class, the title and both find different sets.
const char kSamples[] = "--tiles QmArrangeA 4 样例窗口 QmArrangeA 2 其他窗口 QmArrangeB 3 样例窗口";
// The same for runs from the command line, which type nothing and look at no screen:
// the stacking order they leave stays as they leave it, under Wine too.
const char kSteadySamples[] =
    "--tiles --steady-stacking QmArrangeA 4 样例窗口 QmArrangeA 2 其他窗口 QmArrangeB 3 样例窗口";
constexpr size_t kSampleCount = 9;

enum Method { kBySize = 0, kByRowCount = 1 };

std::vector<RECT> RectsOf(const std::vector<HWND>& windows) {
  std::vector<RECT> rects;
  for (HWND hwnd : windows) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    rects.push_back(r);
  }
  return rects;
}

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  auto same = [](const RECT& p, const RECT& q) { return EqualRect(&p, &q) != 0; };
  return std::ranges::equal(a, b, same);
}

std::string Show(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// What FindWindowExW walks: every top-level window, hidden ones too, whose class and
// title equal the given ones (null: any), in stacking order from the top. Titles are
// compared as the system keeps them, without asking the window (which may not answer).
std::vector<HWND> Matching(const char* cls, const char* title) {
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows()) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    if (cls && ClassOf(hwnd) != cls) continue;
    if (title && U8(text) != title) continue;
    found.push_back(hwnd);
  }
  return found;
}

// The topmost of `order` once the activations have settled: each move activates its
// window, and Wine's display driver carries each activation out a moment later,
// raising that window again, so the order is read once the last one is through.
HWND SettledTopmost(const std::vector<HWND>& order) {
  HWND top = nullptr;
  for (int tries = 0; tries < 60; ++tries, Sleep(50)) {
    std::vector<HWND> stacking = TopLevelWindows();
    auto found = std::ranges::find_first_of(stacking, order);
    top = found == stacking.end() ? nullptr : *found;
    if (top == order.back()) break;
  }
  return top;
}

// A search as typed, and the method with its numbers.
struct Setting {
  const char* name;
  const char* title;  // typed into the title field ("" empties it)
  const char* cls;    // typed into the class field ("" empties it)
  const char* findClass;
  const char* findTitle;  // what the search must match (null: any)
  size_t found;           // how many sample windows that is
  Method method;
  const char* first;   // the width, or the count per row
  const char* second;  // the height; for kByRowCount "keep" ticks 禁止修改窗口尺寸
};

// Where each window of the list must land: the grid from the work area, filled left
// to right and top to bottom in list order.
std::vector<RECT> Planned(const Setting& s, const std::vector<RECT>& before) {
  int n = static_cast<int>(before.size());
  int cellWidth = 0, cellHeight = 0, cols = 0;
  bool keepSize = false;
  if (s.method == kBySize) {
    cellWidth = std::atoi(s.first);
    cellHeight = std::atoi(s.second);
    cols = std::max(kWorkWidth / cellWidth, 1);
  } else {
    int perRow = std::atoi(s.first);
    int rows = (n + perRow - 1) / perRow;
    cellWidth = kWorkWidth / perRow;
    cellHeight = kWorkHeight / rows;
    cols = std::min(kWorkWidth / cellWidth, perRow);
    keepSize = std::string(s.second) == "keep";
  }
  std::vector<RECT> planned;
  for (int i = 0; i < n; ++i) {
    int x = (i % cols) * cellWidth, y = (i / cols) * cellHeight;
    int cx = keepSize ? before[i].right - before[i].left : cellWidth;
    int cy = keepSize ? before[i].bottom - before[i].top : cellHeight;
    planned.push_back({x, y, x + cx, y + cy});
  }
  return planned;
}

// The searches and methods that the button and the command line are both tried
// with, one after the other, so every setting starts from the sizes the one before
// left.
const Setting kSettings[] = {
    {"class, by size", "", "QmArrangeA", "QmArrangeA", nullptr, 6, kBySize, "500", "300"},
    {"class and title, 2 a row keeping sizes", "样例窗口", "QmArrangeA", "QmArrangeA", "样例窗口",
     4, kByRowCount, "2", "keep"},
    {"title, by size", "样例窗口", "", nullptr, "样例窗口", 7, kBySize, "700", "250"},
    {"class, 4 a row keeping sizes", "", "QmArrangeA", "QmArrangeA", nullptr, 6, kByRowCount, "4",
     "keep"},
    {"class, 4 a row", "", "QmArrangeA", "QmArrangeA", nullptr, 6, kByRowCount, "4", ""},
    {"title, class typed as the placeholder, 3 a row", "样例窗口", "[ 可空 ]", nullptr, "样例窗口",
     7, kByRowCount, "3", ""},
    {"title, 100 a row", "样例窗口", "", nullptr, "样例窗口", 7, kByRowCount, "100", ""},
    {"class and title, cells wider than the screen", "样例窗口", "QmArrangeA", "QmArrangeA",
     "样例窗口", 4, kBySize, "2000", "120"},
};

// Sample windows and a Quiltmark in front, its controls found.
class Arrange : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(samples_.Start(SampleArguments(), kSampleCount))
        << "sample_windows did not come up";
    StartQuiltmark();
  }

  void StartQuiltmark() {
    app_ = std::make_unique<Quiltmark>();
    window_ = StartInFront(*app_);
    ASSERT_NE(window_, nullptr) << "Quiltmark did not come to the front";
    c_ = FindMainControls(window_);
    ASSERT_TRUE(c_.AllFound());
  }

  void Type(HWND field, const char* text) {
    RetypeField(field, text);
    ASSERT_EQ(WaitForText(field, text), text);
  }

  void Choose(Method method) {
    ASSERT_TRUE(ChooseComboItem(c_.methodCombo, method));
    HWND shown = method == kBySize ? c_.widthField : c_.perRowField;
    for (int tries = 0; tries < 60 && !IsWindowVisible(shown); ++tries) Sleep(50);
    ASSERT_TRUE(IsWindowVisible(shown)) << "the page of method " << method << " is not shown";
  }

  void SetKeepSize(bool keep) {
    if ((SendMessageA(c_.keepSizeBox, BM_GETCHECK, 0, 0) == BST_CHECKED) == keep) return;
    // The box is drawn at the left end of the control.
    RECT r{};
    GetWindowRect(c_.keepSizeBox, &r);
    ClickAt({r.left + 7, (r.top + r.bottom) / 2});
    for (int tries = 0; tries < 60; ++tries, Sleep(50))
      if ((SendMessageA(c_.keepSizeBox, BM_GETCHECK, 0, 0) == BST_CHECKED) == keep) return;
    FAIL() << "the check box did not change";
  }

  // Types everything the setting says into Quiltmark's window, leaving the click.
  void Enter(const Setting& s) {
    ASSERT_TRUE(BringToFront(window_));
    ASSERT_NO_FATAL_FAILURE(Type(c_.titleField, s.title));
    ASSERT_NO_FATAL_FAILURE(Type(c_.classField, s.cls));
    ASSERT_NO_FATAL_FAILURE(Choose(s.method));
    if (s.method == kBySize) {
      ASSERT_NO_FATAL_FAILURE(Type(c_.widthField, s.first));
      ASSERT_NO_FATAL_FAILURE(Type(c_.heightField, s.second));
    } else {
      ASSERT_NO_FATAL_FAILURE(Type(c_.perRowField, s.first));
      ASSERT_NO_FATAL_FAILURE(SetKeepSize(std::string(s.second) == "keep"));
    }
  }

  virtual const char* SampleArguments() const { return kSamples; }

  SampleWindows samples_;
  std::unique_ptr<Quiltmark> app_;
  HWND window_ = nullptr;
  MainControls c_{};
};

// Each search finds its windows and each method lays them out as planned, in the
// order the search met them, all in one window.
TEST_F(Arrange, SearchesAndMethodsPlaceWindowsOnTheGrid) {
  for (const Setting& s : kSettings) {
    SCOPED_TRACE(s.name);
    ASSERT_NO_FATAL_FAILURE(Enter(s));
    std::vector<HWND> order = Matching(s.findClass, s.findTitle);
    ASSERT_EQ(order.size(), s.found);
    std::vector<RECT> planned = Planned(s, RectsOf(order));
    std::vector<HWND> others = samples_.Windows();
    std::erase_if(others, [&](HWND h) { return std::ranges::find(order, h) != order.end(); });
    std::vector<RECT> othersBefore = RectsOf(others);

    ClickAt(CentreOf(c_.arrangeButton));
    std::vector<RECT> now = RectsOf(order);
    for (int tries = 0; tries < 100 && !SameRects(now, planned); ++tries, Sleep(50))
      now = RectsOf(order);
    for (size_t i = 0; i < order.size(); ++i)
      EXPECT_EQ(Show(now[i]), Show(planned[i])) << "window " << i + 1 << " of " << order.size();
    EXPECT_TRUE(DialogBoxesOf(app_->ProcessId()).empty()) << "a message after arranging";
    EXPECT_TRUE(SameRects(RectsOf(others), othersBefore)) << "a window outside the search moved";
    // Each window is raised as it is placed, so the last one ends above the rest.
    EXPECT_EQ(SettledTopmost(order), order.back()) << "the window placed last is not on top";
  }
}

// Another program may post anything to a top-level window, and a broadcast reaches
// every one: the whole WM_APP range, posted to each of Quiltmark's top-level windows
// (the hidden one too), ends nothing and runs nothing, and nor does Quiltmark's own
// shutdown request from another program. Quiltmark then still arranges,
// and closed it ends with 0.
TEST_F(Arrange, MessagesFromOtherProgramsChangeNothing) {
  std::vector<HWND> ours;
  for (HWND hwnd : TopLevelWindows()) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == app_->ProcessId()) ours.push_back(hwnd);
  }
  ASSERT_GE(ours.size(), 2u) << "the main window and the hidden one";
  // Quiltmark's own shutdown request, sent by another program that knows its name and
  // Quiltmark's main thread.
  const UINT shutdown = RegisterWindowMessageW(L"Quiltmark.Shutdown");
  const DWORD mainThread = GetWindowThreadProcessId(window_, nullptr);
  for (HWND hwnd : ours) {
    for (UINT message = WM_APP; message <= 0xBFFF; ++message) {
      // A full queue takes more once the program has read some.
      for (int tries = 0; tries < 200 && !PostMessageA(hwnd, message, 0, 0); ++tries) Sleep(10);
    }
    DWORD_PTR unused = 0;
    SendMessageTimeoutW(hwnd, shutdown, 0, mainThread, SMTO_ABORTIFHUNG, 5000, &unused);
  }
  // Posted messages are taken before input: the flood is gone once a character posted
  // behind it has reached the title field, and only then is typing looked at.
  PostMessageW(c_.titleField, WM_CHAR, L'x', 0);
  std::string drained = TextOf(c_.titleField);
  for (int tries = 0; tries < 1200 && drained.find('x') == std::string::npos; ++tries, Sleep(50))
    drained = TextOf(c_.titleField);
  ASSERT_NE(drained.find('x'), std::string::npos) << "the posted messages were never all taken";
  const Setting& s = kSettings[0];
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  std::vector<HWND> order = Matching(s.findClass, s.findTitle);
  std::vector<RECT> planned = Planned(s, RectsOf(order));
  ClickAt(CentreOf(c_.arrangeButton));
  std::vector<RECT> now = RectsOf(order);
  for (int tries = 0; tries < 100 && !SameRects(now, planned); ++tries, Sleep(50))
    now = RectsOf(order);
  EXPECT_TRUE(SameRects(now, planned)) << "not arranged";
  PostMessageA(window_, WM_CLOSE, 0, 0);
  EXPECT_EQ(app_->WaitForExit(), 0u);
}

class ArrangeFromCommandLine : public Arrange {
 protected:
  const char* SampleArguments() const override { return kSteadySamples; }
};

// The same settings from the command line land every window in the same cell, with
// no window of Quiltmark's and nothing written.
TEST_F(ArrangeFromCommandLine, PlacesLikeTheButton) {
  for (const Setting& s : kSettings) {
    SCOPED_TRACE(s.name);
    std::string args;
    if (*s.title) args += std::string(" --title \"") + s.title + "\"";
    if (*s.cls && std::string(s.cls) != "[ 可空 ]")
      args += std::string(" --class \"") + s.cls + "\"";
    if (s.method == kBySize)
      args += std::string(" --size ") + s.first + "x" + s.second;
    else
      args += std::string(" --per-row ") + s.first + (*s.second ? " --keep-size" : "");
    std::vector<HWND> order = Matching(s.findClass, s.findTitle);
    ASSERT_EQ(order.size(), s.found);
    std::vector<RECT> planned = Planned(s, RectsOf(order));
    CommandRun run = RunQuiltmarkCommand(args);
    EXPECT_EQ(run.exitCode, 0u) << args;
    EXPECT_EQ(run.output, "");
    EXPECT_FALSE(run.windowSeen);
    std::vector<RECT> now = RectsOf(order);
    for (size_t i = 0; i < order.size(); ++i)
      EXPECT_EQ(Show(now[i]), Show(planned[i])) << "window " << i + 1 << " of " << order.size();
    EXPECT_EQ(SettledTopmost(order), order.back()) << "the window placed last is not on top";
  }
}

// A window whose program has stopped answering is passed over: Quiltmark does not
// wait for it, and the other windows take their own cells as if it had been placed.
TEST_F(Arrange, AHungWindowIsPassedOver) {
  SampleWindows hung;
  ASSERT_TRUE(hung.Start("--tiles --hung QmHungPeer 3 无响应窗口", 4));
  // The system calls a window hung once its thread has not asked for messages for
  // five seconds.
  Sleep(5500);
  const Setting s{"hung", "无响应窗口", "", nullptr, "无响应窗口", 4, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  std::vector<HWND> order = Matching(nullptr, "无响应窗口");
  ASSERT_EQ(order.size(), s.found);
  std::vector<RECT> before = RectsOf(order);
  std::vector<RECT> planned = Planned(s, before);
  ClickAt(CentreOf(c_.arrangeButton));
  std::vector<RECT> now;
  for (int tries = 0; tries < 100; ++tries, Sleep(50)) {
    now = RectsOf(order);
    bool placed = true;
    for (size_t i = 0; i < order.size(); ++i)
      if (ClassOf(order[i]) != "QmSampleHung" && !EqualRect(&now[i], &planned[i])) placed = false;
    if (placed) break;
  }
  for (size_t i = 0; i < order.size(); ++i) {
    const RECT& want = ClassOf(order[i]) == "QmSampleHung" ? before[i] : planned[i];
    EXPECT_EQ(Show(now[i]), Show(want)) << "window " << i + 1 << " of " << order.size();
  }
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer))
      << "Quiltmark stopped answering";
  // From the command line, a search that finds only the hung window places nothing,
  // and a script must not take that for success.
  CommandRun run = RunQuiltmarkCommand("--class QmSampleHung --size 400x300");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output,
            "1\tQmSampleHung\t无响应窗口\t没有响应，恢复响应后会移到它的位置\r\n"
            "匹配的窗口一个也没有排列\r\n");
}

// Every window but `except` is where `planned` puts it.
bool AllPlaced(const std::vector<HWND>& order, const std::vector<RECT>& planned, HWND except) {
  std::vector<RECT> now = RectsOf(order);
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i] != except && !EqualRect(&now[i], &planned[i])) return false;
  return true;
}

// Waits until AllPlaced holds; how long that took (more than `ms` when it never did).
DWORD WaitUntilPlaced(const std::vector<HWND>& order, const std::vector<RECT>& planned, HWND except,
                      DWORD ms) {
  const DWORD start = GetTickCount();
  while (!AllPlaced(order, planned, except) && GetTickCount() - start <= ms) Sleep(20);
  return GetTickCount() - start;
}

// A program that is busy for a few seconds holds up neither the other windows nor
// Quiltmark, and its window still reaches its cell once it answers again.
TEST_F(Arrange, ABusyProgramHoldsNothingUp) {
  SampleWindows busy;
  ASSERT_TRUE(busy.Start("--tiles --busy QmBusyPeer 3 忙碌的窗口", 4));
  std::vector<HWND> order = Matching(nullptr, "忙碌的窗口");
  ASSERT_EQ(order.size(), 4u);
  HWND slow = *std::ranges::find_if(order, [](HWND h) { return ClassOf(h) == "QmSampleBusy"; });
  constexpr UINT kBusyMessage = WM_APP + 2;  // busy for 3 s

  const Setting s{"busy", "忙碌的窗口", "", nullptr, "忙碌的窗口", 4, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  std::vector<RECT> planned = Planned(s, RectsOf(order));
  PostMessageA(slow, kBusyMessage, 0, 0);
  const DWORD busySince = GetTickCount();
  ClickAt(CentreOf(c_.arrangeButton));
  EXPECT_LT(WaitUntilPlaced(order, planned, slow, 5000), 1500u) << "the others waited";
  // Quiltmark takes its input meanwhile: a posted key reaches a field only through its
  // message loop, which a thread stuck in a call to the busy program would not run.
  const std::string before = TextOf(c_.classField);
  PostMessageA(c_.classField, WM_CHAR, 'x', 1);
  for (int tries = 0; tries < 50 && TextOf(c_.classField) == before; ++tries) Sleep(20);
  EXPECT_NE(TextOf(c_.classField), before);
  EXPECT_LT(GetTickCount() - busySince, 2500u) << "Quiltmark stood still while the other was busy";
  EXPECT_LT(WaitUntilPlaced(order, planned, nullptr, 5000), 5000u)
      << "the busy window never landed";

  // From the command line the run ends without it, says so, and it lands afterwards.
  const Setting t{"busy", "忙碌的窗口", "", nullptr, "忙碌的窗口", 4, kBySize, "300", "200"};
  order = Matching(nullptr, "忙碌的窗口");  // as the first arrangement stacked them
  planned = Planned(t, RectsOf(order));
  PostMessageA(slow, kBusyMessage, 0, 0);
  const DWORD started = GetTickCount();
  CommandRun run = RunQuiltmarkCommand("--title 忙碌的窗口 --size 300x200");
  EXPECT_LT(GetTickCount() - started, 2000u) << "the run waited for the busy program";
  EXPECT_EQ(run.exitCode, 3u);
  const auto number = std::ranges::find(order, slow) - order.begin() + 1;
  EXPECT_EQ(run.output, std::to_string(number) +
                            "\tQmSampleBusy\t忙碌的窗口\t没有响应，恢复响应后会移到它的位置\r\n"
                            "已排列 3 个窗口，1 个没有排列\r\n");
  EXPECT_TRUE(AllPlaced(order, planned, slow)) << "an answering window did not move";
  EXPECT_LT(WaitUntilPlaced(order, planned, nullptr, 5000), 5000u)
      << "the busy window never landed";
}

// A window that closes another match as it is moved: the rest are placed, the last of
// them active, and the command line says which one was not.
TEST_F(Arrange, AWindowClosedDuringTheRunIsReported) {
  SampleWindows closing;
  ASSERT_TRUE(closing.Start("--tiles --closer QmCloserPeer 3 关闭中的窗口", 4));
  std::vector<HWND> order = Matching(nullptr, "关闭中的窗口");
  ASSERT_EQ(order.size(), 4u);
  // The closer was made last, so it is first from the top; the window it closes was
  // made first and is last.
  ASSERT_EQ(ClassOf(order.front()), "QmSampleCloser");
  CommandRun run = RunQuiltmarkCommand("--title 关闭中的窗口 --size 400x300");
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(run.output, "4\t\t\t已关闭\r\n已排列 3 个窗口，1 个没有排列\r\n");
  EXPECT_FALSE(IsWindow(order.back()));
  for (int i = 0; i < 3; ++i) {
    RECT r{};
    GetWindowRect(order[static_cast<size_t>(i)], &r);
    EXPECT_EQ(Show(r), Show({400 * i, 0, 400 * i + 400, 300}));
  }
  // The window that was to take the activation last is gone: as one by one leaves it,
  // the last one placed has it (Wine carries it out a moment later).
  for (int tries = 0; tries < 60 && GetForegroundWindow() != order[2]; ++tries) Sleep(50);
  EXPECT_EQ(GetForegroundWindow(), order[2]);
}

// Where each window is and in which state, and their order among themselves.
struct Scene {
  std::vector<HWND> order;
  std::vector<RECT> rects;
  std::vector<int> states;  // 0 restored, 1 minimised, 2 maximised
  bool operator==(const Scene& other) const {
    return order == other.order && SameRects(rects, other.rects) && states == other.states;
  }
};
Scene SceneOf(const char* title) {
  Scene scene;
  scene.order = Matching(nullptr, title);
  scene.rects = RectsOf(scene.order);
  for (HWND h : scene.order) scene.states.push_back(IsIconic(h) ? 1 : IsZoomed(h) ? 2 : 0);
  return scene;
}
std::string Describe(const Scene& scene) {
  std::string out;
  for (size_t i = 0; i < scene.order.size(); ++i)
    out += std::to_string(reinterpret_cast<uintptr_t>(scene.order[i]) & 0xFFFF) + ":" +
           Show(scene.rects[i]) + "/" + std::to_string(scene.states[i]) + " ";
  return out;
}
bool WaitForScene(const char* title, const Scene& want) {
  for (int tries = 0; tries < 100; ++tries, Sleep(50))
    if (SceneOf(title) == want) return true;
  return false;
}

// 撤销排列 and Ctrl+Z put every window of the last arrangement back: place, size,
// minimised or maximised, and their stacking order; once, and only after an
// arrangement.
TEST_F(Arrange, UndoPutsTheWindowsBack) {
  SampleWindows undo;
  ASSERT_TRUE(undo.Start("--tiles QmUndoPeer 4 撤销样例", 4));
  std::vector<HWND> mine = Matching(nullptr, "撤销样例");
  ASSERT_EQ(mine.size(), 4u);
  ShowWindow(mine[1], SW_MINIMIZE);
  ShowWindow(mine[2], SW_MAXIMIZE);
  Sleep(300);
  const Scene before = SceneOf("撤销样例");
  ASSERT_EQ(std::ranges::count(before.states, 1), 1);
  ASSERT_EQ(std::ranges::count(before.states, 2), 1);
  constexpr WPARAM kUndo = 0x0100;  // the system menu's 撤销排列

  // Nothing arranged yet: nothing to undo.
  ASSERT_TRUE(BringToFront(window_));
  PressChord(VK_CONTROL, 'Z');
  Sleep(300);
  EXPECT_TRUE(SceneOf("撤销样例") == before);

  const Setting s{"undo", "撤销样例", "", nullptr, "撤销样例", 4, kBySize, "400", "300"};
  for (bool byMenu : {false, true}) {
    SCOPED_TRACE(byMenu ? "system menu" : "Ctrl+Z");
    ASSERT_NO_FATAL_FAILURE(Enter(s));
    std::vector<RECT> planned = Planned(s, RectsOf(before.order));
    ClickAt(CentreOf(c_.arrangeButton));
    ASSERT_LT(WaitUntilPlaced(before.order, planned, nullptr, 5000), 5000u);
    if (byMenu) {
      PostMessageA(window_, WM_SYSCOMMAND, kUndo, 0);
    } else {
      // In an edit box Ctrl+Z is the box's own.
      ClickAt(CentreOf(c_.titleField));
      ASSERT_EQ(WaitForFocus(app_->ThreadId(), c_.titleField), c_.titleField);
      PressChord(VK_CONTROL, 'Z');
      Sleep(300);
      EXPECT_TRUE(AllPlaced(before.order, planned, nullptr)) << "Ctrl+Z in an edit box undid";
      for (int tabs = 0; tabs < 20 && ClassOf(FocusOf(app_->ThreadId())) == "Edit"; ++tabs) {
        PressKey(VK_TAB);
        Sleep(50);
      }
      PressChord(VK_CONTROL, 'Z');
    }
    EXPECT_TRUE(WaitForScene("撤销样例", before)) << "not put back as it was:\n"
                                                  << Describe(SceneOf("撤销样例")) << "\nbefore:\n"
                                                  << Describe(before);
    // Putting a window back maximised activates it, and Wine's display driver carries
    // the activation out a moment later: let it settle before typing again.
    Sleep(500);
  }
  // One level only: a window moved by hand after the undo stays where it was put.
  SetWindowPos(before.order[0], nullptr, 50, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  const Scene moved = SceneOf("撤销样例");
  PostMessageA(window_, WM_SYSCOMMAND, kUndo, 0);
  Sleep(300);
  EXPECT_TRUE(SceneOf("撤销样例") == moved);
}

// Windows of three programs, slow to take a new size and one of them minimised, are
// arranged and put back side by side: each where it was, in its state and in the
// stacking order it had.
TEST_F(Arrange, UndoOfSeveralProgramsPutsThemBack) {
  SampleWindows programs[3];
  for (SampleWindows& p : programs)
    ASSERT_TRUE(p.Start("--tiles --size-sleep 250 QmUndoSlow 1 慢撤销样例", 1));
  ShowWindow(programs[1].Windows().front(), SW_MINIMIZE);
  Sleep(300);
  const Scene before = SceneOf("慢撤销样例");
  ASSERT_EQ(before.order.size(), 3u);
  const Setting s{"slow", "慢撤销样例", "", nullptr, "慢撤销样例", 3, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  ClickAt(CentreOf(c_.arrangeButton));
  ASSERT_LT(WaitUntilPlaced(before.order, Planned(s, RectsOf(before.order)), nullptr, 5000), 5000u);
  const DWORD start = GetTickCount();
  PostMessageA(window_, WM_SYSCOMMAND, 0x0100, 0);  // 撤销排列
  EXPECT_TRUE(WaitForScene("慢撤销样例", before))
      << "not put back as it was:\n"
      << Describe(SceneOf("慢撤销样例")) << "\nbefore:\n"
      << Describe(before);
  std::printf("[ timing   ] put back in %lu ms\n", GetTickCount() - start);
}

// A program that takes the size it is given times the change of scale when it crosses
// onto a monitor of another scale (here: the screen's right half) still ends in its
// cell, and undo puts it back at the size it had.
TEST_F(Arrange, AWindowRescaledOnTheWayEndsInItsCellAndComesBack) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start("--rescaling QmRescale 2 缩放样例", 2));
  const Scene before = SceneOf("缩放样例");
  // The second cell lies in the right half.
  const Setting s{"rescale", "缩放样例", "", nullptr, "缩放样例", 2, kBySize, "800", "500"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  const std::vector<RECT> planned = Planned(s, RectsOf(before.order));
  ClickAt(CentreOf(c_.arrangeButton));
  EXPECT_LT(WaitUntilPlaced(before.order, planned, nullptr, 5000), 5000u)
      << Describe(SceneOf("缩放样例"));
  PostMessageA(window_, WM_SYSCOMMAND, 0x0100, 0);  // 撤销排列
  EXPECT_TRUE(WaitForScene("缩放样例", before)) << "not put back as it was:\n"
                                                << Describe(SceneOf("缩放样例")) << "\nbefore:\n"
                                                << Describe(before);
}

// Each window is restored and in its planned cell.
bool RestoredInCells(const std::vector<HWND>& order, const std::vector<RECT>& planned) {
  for (int tries = 0; tries < 100; ++tries, Sleep(50)) {
    bool all = true;
    for (size_t i = 0; i < order.size(); ++i) {
      RECT r{};
      GetWindowRect(order[i], &r);
      if (IsIconic(order[i]) || IsZoomed(order[i]) || !EqualRect(&r, &planned[i])) all = false;
    }
    if (all) return true;
  }
  return false;
}

// A window maximised and then minimised comes back maximised from a plain restore;
// the arrangement still leaves it restored in its cell, like a maximised one, from
// the command line and from the button.
TEST_F(Arrange, EveryPlacedWindowEndsRestoredInItsCell) {
  SampleWindows states;
  ASSERT_TRUE(states.Start("--tiles QmStatePeer 2 状态样例", 2));
  const Setting s{"states", "状态样例", "", nullptr, "状态样例", 2, kBySize, "400", "300"};
  for (bool byButton : {false, true}) {
    SCOPED_TRACE(byButton ? "button" : "command line");
    std::vector<HWND> mine = Matching(nullptr, "状态样例");
    ASSERT_EQ(mine.size(), 2u);
    ShowWindow(mine[0], SW_MAXIMIZE);
    ShowWindow(mine[0], SW_MINIMIZE);
    ShowWindow(mine[1], SW_MAXIMIZE);
    ASSERT_TRUE(IsIconic(mine[0]) && IsZoomed(mine[1]));
    if (byButton) {
      // Maximising took the activation, which Wine's display driver carries out a
      // moment later: once it has, a Quiltmark started now keeps the front.
      for (int tries = 0; tries < 100 && GetForegroundWindow() != mine[1]; ++tries) Sleep(20);
      ASSERT_EQ(GetForegroundWindow(), mine[1]);
      ASSERT_NO_FATAL_FAILURE(StartQuiltmark());
      ASSERT_NO_FATAL_FAILURE(Enter(s));
    }
    std::vector<HWND> order = Matching(nullptr, "状态样例");
    std::vector<RECT> planned = Planned(s, RectsOf(order));
    if (byButton) {
      ClickAt(CentreOf(c_.arrangeButton));
    } else {
      CommandRun run = RunQuiltmarkCommand("--title 状态样例 --size 400x300");
      EXPECT_EQ(run.exitCode, 0u) << run.output;
    }
    EXPECT_TRUE(RestoredInCells(order, planned)) << Describe(SceneOf("状态样例"));
  }
}

// Undo gives a window hidden while maximised its state back, still hidden, for when
// its program shows it again.
TEST_F(Arrange, UndoKeepsAHiddenWindowsState) {
  SampleWindows hidden;
  ASSERT_TRUE(hidden.Start("--tiles QmHiddenPeer 2 隐藏样例", 2));
  std::vector<HWND> mine = Matching(nullptr, "隐藏样例");
  ASSERT_EQ(mine.size(), 2u);
  HWND h = mine[0];
  ShowWindow(h, SW_MAXIMIZE);
  ShowWindow(h, SW_HIDE);
  ASSERT_TRUE(!IsWindowVisible(h) && IsZoomed(h));
  const RECT maximised = RectsOf({h})[0];
  const Setting s{"hidden", "隐藏样例", "", nullptr, "隐藏样例", 2, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  std::vector<HWND> order = Matching(nullptr, "隐藏样例");
  std::vector<RECT> planned = Planned(s, RectsOf(order));
  ClickAt(CentreOf(c_.arrangeButton));
  ASSERT_TRUE(RestoredInCells(order, planned)) << Describe(SceneOf("隐藏样例"));
  EXPECT_TRUE(IsWindowVisible(h));

  constexpr WPARAM kUndo = 0x0100;  // the system menu's 撤销排列
  PostMessageA(window_, WM_SYSCOMMAND, kUndo, 0);
  bool back = false;
  for (int tries = 0; tries < 100 && !back; ++tries, Sleep(50))
    back = !IsWindowVisible(h) && IsZoomed(h) && EqualRect(&RectsOf({h})[0], &maximised);
  EXPECT_TRUE(back) << Show(RectsOf({h})[0]) << " visible " << IsWindowVisible(h) << " zoomed "
                    << IsZoomed(h);
  ShowWindow(h, SW_SHOW);
  EXPECT_TRUE(IsZoomed(h));
  EXPECT_EQ(Show(RectsOf({h})[0]), Show(maximised));
}

// With 持续排列 ticked the click's grid is kept: a window shown later lands in the next
// cell. Undo puts the windows back and unticks it: a window shown after that stays put.
TEST_F(Arrange, KeepArrangingPlacesAWindowShownLater) {
  SampleWindows placed;
  ASSERT_TRUE(placed.Start("--tiles QmKeepPeer 2 持续样例", 2));
  constexpr WPARAM kKeep = 0x0110;  // the system menu's 持续排列
  PostMessageA(window_, WM_SYSCOMMAND, kKeep, 0);
  const Setting s{"keep", "持续样例", "", nullptr, "持续样例", 2, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  const Scene before = SceneOf("持续样例");
  ClickAt(CentreOf(c_.arrangeButton));
  ASSERT_TRUE(RestoredInCells(before.order, Planned(s, before.rects)));
  SampleWindows later;
  ASSERT_TRUE(later.Start("QmKeepLater 1 持续样例", 1));
  HWND newcomer = later.Windows().front();
  const RECT third{800, 0, 1200, 300};
  bool landed = false;
  for (int tries = 0; tries < 100 && !landed; ++tries, Sleep(50))
    landed = EqualRect(&RectsOf({newcomer})[0], &third);
  EXPECT_TRUE(landed) << Show(RectsOf({newcomer})[0]);

  PostMessageA(window_, WM_SYSCOMMAND, 0x0100, 0);  // 撤销排列
  bool back = false;
  for (int tries = 0; tries < 100 && !back; ++tries, Sleep(50))
    back = SameRects(RectsOf(before.order), before.rects);
  EXPECT_TRUE(back) << "the undo did not put the windows back";
  SampleWindows after;
  ASSERT_TRUE(after.Start("QmKeepAfter 1 持续样例", 1));
  const RECT shown = RectsOf(after.Windows())[0];
  Sleep(1000);
  EXPECT_EQ(Show(RectsOf(after.Windows())[0]), Show(shown)) << "kept arranging after the undo";
}

// A move given up on (its program fell asleep in the middle of it) never lands after
// an undo asked for since: the undo wins once the program wakes.
TEST_F(Arrange, AnUndoWinsOverAMoveGivenUpOn) {
  SampleWindows sleepy;
  ASSERT_TRUE(sleepy.Start("--tiles --sleepy QmSleepyPeer 2 迟缓样例", 3));
  const Scene before = SceneOf("迟缓样例");
  ASSERT_EQ(before.order.size(), 3u);
  const Setting s{"sleepy", "迟缓样例", "", nullptr, "迟缓样例", 3, kBySize, "400", "300"};
  ASSERT_NO_FATAL_FAILURE(Enter(s));
  std::vector<RECT> planned = Planned(s, before.rects);
  HWND slow =
      *std::ranges::find_if(before.order, [](HWND h) { return ClassOf(h) == "QmSampleSleepy"; });
  ClickAt(CentreOf(c_.arrangeButton));
  // The others land while it sleeps (3 s); then the undo, before it wakes.
  ASSERT_LT(WaitUntilPlaced(before.order, planned, slow, 2500), 2500u);
  PostMessageA(window_, WM_SYSCOMMAND, 0x0100, 0);
  EXPECT_TRUE(WaitForScene("迟缓样例", before)) << "not put back as it was:\n"
                                                << Describe(SceneOf("迟缓样例")) << "\nbefore:\n"
                                                << Describe(before);
  // Long after it woke, nothing more lands.
  Sleep(3500);
  EXPECT_TRUE(SceneOf("迟缓样例") == before) << Describe(SceneOf("迟缓样例"));
}

enum class Field { kNone, kTitle, kWidth, kHeight, kPerRow, kButton };

// An arrange click that Quiltmark refuses with a message box, and what it leaves.
struct Refusal {
  const char* name;
  const char* title;  // typed (null: the field is not touched)
  const char* cls;
  Method method;
  Field setField;  // a field given `setText` from outside: it never had the focus
  const char* setText;
  const char* boxText;
  const char* boxTitle;
  Field focus;  // where the focus is once the box is answered
  const char* focusText;
};

// Each refusal shows its message with the error icon, moves nothing, leaves the focus
// where the user has to act, and Quiltmark carries on.
TEST_F(Arrange, RefusedClicksExplainAndMoveNothing) {
  const char kNoCondition[] = "请至少提供一个窗口查找条件！";
  const char kNotFound[] = "没有找到匹配的窗口";
  const Refusal kRefusals[] = {
      {"both fields empty", nullptr, nullptr, kBySize, Field::kNone, nullptr, kNoCondition,
       "无效条件", Field::kTitle, ""},
      {"title typed as the placeholder", "[ 可空 ]", nullptr, kBySize, Field::kNone, nullptr,
       kNoCondition, "无效条件", Field::kTitle, ""},
      {"class of spaces only", nullptr, "   ", kBySize, Field::kNone, nullptr, kNotFound, "未找到",
       Field::kButton, "自动排列"},
      {"no such class", nullptr, "QmNoSuchClass", kBySize, Field::kNone, nullptr, kNotFound,
       "未找到", Field::kButton, "自动排列"},
      {"part of a title", "样例", nullptr, kBySize, Field::kNone, nullptr, kNotFound, "未找到",
       Field::kButton, "自动排列"},
      {"width 0 set from outside", nullptr, "QmArrangeA", kBySize, Field::kWidth, "0",
       "窗口宽度无效", "无效宽度", Field::kWidth, ""},
      {"height -5 set from outside", nullptr, "QmArrangeA", kBySize, Field::kHeight, "-5",
       "窗口高度无效", "无效高度", Field::kHeight, ""},
      {"0 a row set from outside", nullptr, "QmArrangeA", kByRowCount, Field::kPerRow, "0",
       "排列数量无效", "无效数量", Field::kPerRow, ""},
      {"9999 a row set from outside", nullptr, "QmArrangeA", kByRowCount, Field::kPerRow, "9999",
       "排列数量无效", "无效数量", Field::kPerRow, ""},
      {"1921 a row, more than the screen's pixels", nullptr, "QmArrangeA", kByRowCount,
       Field::kPerRow, "1921", "排列数量无效", "无效数量", Field::kPerRow, ""},
  };
  auto handleOf = [this](Field f) {
    switch (f) {
      case Field::kTitle: return c_.titleField;
      case Field::kWidth: return c_.widthField;
      case Field::kHeight: return c_.heightField;
      case Field::kPerRow: return c_.perRowField;
      case Field::kButton: return c_.arrangeButton;
      case Field::kNone: break;
    }
    return HWND{};
  };
  std::vector<HWND> samples = samples_.Windows();
  std::vector<RECT> before = RectsOf(samples);
  for (const Refusal& r : kRefusals) {
    SCOPED_TRACE(r.name);
    // A refused field keeps the focus and would complain again on leaving it, so
    // each case has a Quiltmark of its own.
    if (r.method == kByRowCount) {
      ASSERT_NO_FATAL_FAILURE(Choose(kByRowCount));
    }
    if (r.title) {
      ASSERT_NO_FATAL_FAILURE(Type(c_.titleField, r.title));
    }
    if (r.cls) {
      ASSERT_NO_FATAL_FAILURE(Type(c_.classField, r.cls));
    }
    if (r.setField != Field::kNone)
      SendMessageW(handleOf(r.setField), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(W(r.setText).c_str()));

    ClickAt(CentreOf(c_.arrangeButton));
    MessageBoxSeen box = WaitForMessageBox(app_->ProcessId());
    ASSERT_NE(box.hwnd, nullptr) << "no message box";
    EXPECT_EQ(box.text, r.boxText);
    EXPECT_EQ(box.title, r.boxTitle);
    EXPECT_TRUE(box.errorIcon);
    ASSERT_TRUE(AnswerOk(box.hwnd));

    // The box has no owner and disables Quiltmark's window while it is up; still the
    // window takes the activation back as the box goes, not another program's.
    EXPECT_EQ(WaitForForeground(window_), window_) << "the box left another program in front";
    HWND focus = handleOf(r.focus);
    EXPECT_EQ(WaitForFocus(app_->ThreadId(), focus), focus);
    EXPECT_EQ(WaitForText(focus, r.focusText), r.focusText);
    if (r.cls) {
      EXPECT_EQ(TextOf(c_.classField), r.cls) << "the search field was changed";
    }
    EXPECT_TRUE(DialogBoxesOf(app_->ProcessId()).empty()) << "a second message";
    EXPECT_EQ(app_->WaitForExit(100), kStillRunning);
    EXPECT_TRUE(SameRects(RectsOf(samples), before)) << "a sample window moved";

    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(app_->WaitForExit(), 0u);
    ASSERT_NO_FATAL_FAILURE(StartQuiltmark());
  }
}

// While a refusal's box is up the user goes to another program, then back to the box
// to answer it: Quiltmark's window is in front again, its field with the focus, not the
// other program's window that lay under the box by then.
TEST_F(Arrange, ARefusalAnsweredAfterAnotherProgramGivesTheWindowBack) {
  ASSERT_NO_FATAL_FAILURE(Type(c_.classField, "QmArrangeA"));
  SendMessageW(c_.widthField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
  ClickAt(CentreOf(c_.arrangeButton));
  MessageBoxSeen box = WaitForMessageBox(app_->ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "no message box";
  Quiltmark other;
  HWND otherWindow = StartInFront(other);
  ASSERT_NE(otherWindow, nullptr);
  ASSERT_TRUE(AnswerOk(box.hwnd));
  EXPECT_EQ(WaitForForeground(window_), window_);
  EXPECT_EQ(WaitForFocus(app_->ThreadId(), c_.widthField), c_.widthField);
  EXPECT_TRUE(DialogBoxesOf(app_->ProcessId()).empty()) << "a second message";
  PostMessageA(otherWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(other.WaitForExit(), 0u);
}

// Another program closes Quiltmark's window while a refusal's box is up: the box goes
// with it, the program ends with 0, and other programs' windows stay enabled.
TEST_F(Arrange, ClosedUnderARefusalEndsWithZero) {
  ASSERT_NO_FATAL_FAILURE(Type(c_.classField, "QmArrangeA"));
  SendMessageW(c_.widthField, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
  ClickAt(CentreOf(c_.arrangeButton));
  MessageBoxSeen box = WaitForMessageBox(app_->ProcessId());
  ASSERT_NE(box.hwnd, nullptr) << "no message box";
  EXPECT_FALSE(IsWindowEnabled(window_)) << "the box is not task-modal";
  const std::vector<HWND> samples = samples_.Windows();
  PostMessageA(window_, WM_CLOSE, 0, 0);
  for (int tries = 0; tries < 60 && IsWindow(window_); ++tries) Sleep(50);
  EXPECT_FALSE(IsWindow(window_));
  // The end of the program's last window ends the box's loop too: nothing is left
  // waiting for an answer.
  EXPECT_EQ(app_->WaitForExit(), 0u);
  for (HWND sample : samples) EXPECT_TRUE(IsWindowEnabled(sample));
}

// Choosing an item of 排列方式 shows its page: the width and height fields for
// 根据尺寸排序, the count per row and 禁止修改窗口尺寸 for 根据行数排序.
TEST_F(Arrange, ChoosingAMethodShowsItsPage) {
  const Method kChoices[] = {kByRowCount, kBySize, kByRowCount, kBySize};
  for (Method m : kChoices) {
    SCOPED_TRACE(m == kBySize ? "根据尺寸排序" : "根据行数排序");
    ASSERT_TRUE(ChooseComboItem(c_.methodCombo, m));
    EXPECT_EQ(SendMessageA(c_.methodCombo, CB_GETCURSEL, 0, 0), m);
    bool bySize = m == kBySize;
    for (int tries = 0; tries < 60 && IsWindowVisible(c_.widthField) != bySize; ++tries) Sleep(50);
    EXPECT_EQ(IsWindowVisible(c_.widthField) != 0, bySize);
    EXPECT_EQ(IsWindowVisible(c_.heightField) != 0, bySize);
    EXPECT_EQ(IsWindowVisible(c_.perRowField) != 0, !bySize);
    EXPECT_EQ(IsWindowVisible(c_.keepSizeBox) != 0, !bySize);
  }
}

}  // namespace
