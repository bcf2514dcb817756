// The command line's arguments, the checks it shares with the arrange button, and
// the lines it writes.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WorkArea kScreen{1920, 1079, 0, 0};

struct ParseCase {
  std::vector<std::string> args;
  std::string error;  // empty: accepted
};

TEST(CommandLine, ArgumentsAcceptedAndRefused) {
  const ParseCase kCases[] = {
      {{"--class", "C", "--per-row", "4"}, ""},
      {{"--title", "样例窗口", "--size", "800x600", "--list"}, ""},
      {{"--class", "C", "--size", "800X600"}, ""},
      {{"--class", "C", "--per-row", "4", "--keep-size"}, ""},
      {{"--keep-size", "--per-row", "+4", "--class", "C"}, ""},
      {{"--class", "C", "--size", "-5x600"}, ""},  // refused later, as the window does
      {{"--class", "C", "--per-row", "4", "--bogus"}, "未知参数：--bogus"},
      {{"-class", "C", "--per-row", "4"}, "未知参数：-class"},
      {{"--class"}, "--class 缺少取值"},
      // A value is the next argument, whatever it starts with.
      {{"--class", "--per-row", "3"}, "未知参数：3"},
      {{"--title", "-- 日志 --", "--per-row", "3"}, ""},
      {{"--title", "--", "--class", "-x", "--per-row", "３"}, ""},
      {{"--class", "A", "--class", "B", "--per-row", "3"}, "--class 只能给出一次"},
      {{"--class", "A", "--size", "1x1", "--size", "2x2"}, "--size 只能给出一次"},
      {{"--class", "C", "--size", "1x1", "--list", "--list"}, "--list 只能给出一次"},
      {{"--class", "C", "--per-row", "2", "--keep-size", "--keep-size"},
       "--keep-size 只能给出一次"},
      {{"--class", "C", "--per-row", "2", "--watch", "--watch"}, "--watch 只能给出一次"},
      {{"--monitors", "--monitors"}, "--monitors 只能给出一次"},
      {{"--help", "/?"}, "/? 只能给出一次"},
      {{"--class", "C", "--per-row"}, "--per-row 缺少取值"},
      {{"--class", "C", "--per-row", "four"}, "--per-row 的取值应为数字：four"},
      {{"--class", "C", "--per-row", "4.5"}, "--per-row 的取值应为数字：4.5"},
      {{"--class", "C", "--per-row", "99999999999"}, "--per-row 的取值应为数字：99999999999"},
      {{"--class", "C", "--per-row", "2147483647"}, ""},
      {{"--class", "C", "--per-row", "2147483648"}, "--per-row 的取值应为数字：2147483648"},
      {{"--class", "C", "--per-row", "-"}, "--per-row 的取值应为数字：-"},
      {{"--class", "C", "--size", "800"}, "--size 的取值应为 宽x高，例如 800x600：800"},
      {{"--class", "C", "--size", "800x"}, "--size 的取值应为 宽x高，例如 800x600：800x"},
      {{"--class", "C", "--size", "x600"}, "--size 的取值应为 宽x高，例如 800x600：x600"},
      {{"--class", "C", "--size", "8x6x4"}, "--size 的取值应为 宽x高，例如 800x600：8x6x4"},
      {{"--class", "C"}, "请用 --size 或 --per-row 选择排列方式"},
      {{"--class", "C", "--size", "8x6", "--per-row", "4"}, "--size 和 --per-row 只能选一个"},
      {{"--class", "C", "--size", "8x6", "--keep-size"}, "--keep-size 只能与 --per-row 一起使用"},
      {{"--monitors"}, ""},
      {{"--monitors", "--class", "C", "--per-row", "3"}, "--monitors 不能与其他参数一起使用"},
      {{"--class", "C", "--per-row", "2", "--monitor", "2", "--order", "title"}, ""},
      {{"--class", "C", "--per-row", "2", "--monitor", "0"},
       "--monitor 的取值应为从 1 起的显示器序号：0"},
      {{"--class", "C", "--per-row", "2", "--order", "name"},
       "--order 的取值应为 title 或 found：name"},
      {{"--class", "C", "--per-row", "2", "--watch"}, ""},
      {{"--watch", "--process", "a.exe", "--size", "8x6", "--monitor", "2", "--order", "title"},
       ""},
      {{"--class", "C", "--per-row", "2", "--watch", "--list"}, "--watch 不能与 --list 一起使用"},
      {{"--watch", "--monitors"}, "--monitors 不能与其他参数一起使用"},
      {{"--stop"}, ""},
      {{"--stop", "--class", "C"}, "--stop 不能与其他参数一起使用"},
      {{"--watch", "--stop"}, "--stop 不能与其他参数一起使用"},
      {{"--title-like", "客户端 * FPS", "--class", "C", "--per-row", "2", "--gap", "0"}, ""},
      {{"--title-like", "a*", "--title", "a*", "--size", "8x6"},
       "--title 和 --title-like 只能选一个"},
      {{"--title-like", "", "--per-row", "2"}, "--title-like 的模式不能为空"},
      {{"--class", "C", "--per-row", "2", "--gap", "２００"}, ""},
      {{"--class", "C", "--per-row", "2", "--gap", "201"},
       "--gap 的取值应为 0 到 200 的像素数：201"},
      {{"--class", "C", "--per-row", "2", "--gap", "-1"}, "--gap 的取值应为 0 到 200 的像素数：-1"},
      {{"--class", "C", "--per-row", "2", "--gap", "1.5"},
       "--gap 的取值应为 0 到 200 的像素数：1.5"},
  };
  for (const ParseCase& c : kCases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(ParseCommandLine(c.args).error, c.error) << line;
  }
}

TEST(CommandLine, WhatTheArgumentsSay) {
  CommandLine cmd =
      ParseCommandLine({"--per-row", "3", "--title", "T", "--class", "C", "--keep-size"});
  EXPECT_FALSE(cmd.help);
  EXPECT_FALSE(cmd.list);
  EXPECT_EQ(cmd.request.className, "C");
  EXPECT_EQ(cmd.request.title, "T");
  EXPECT_EQ(cmd.request.method, ArrangeMethod::kByRowCount);
  EXPECT_EQ(cmd.request.perRow, 3);
  EXPECT_TRUE(cmd.request.keepSize);
  // Full-width digits, as an input method types them, read as the window's fields do.
  cmd = ParseCommandLine({"--size", "６４０ｘ４８０", "--class", "", "--list"});
  EXPECT_TRUE(cmd.list);
  EXPECT_EQ(cmd.request.method, ArrangeMethod::kBySize);
  EXPECT_EQ(cmd.request.width, 640);
  EXPECT_EQ(cmd.request.height, 480);
  EXPECT_EQ(ParseCommandLine({"--class", "C", "--size", "-5x+6"}).request.width, -5);
  // A program's name alone is a search condition.
  cmd = ParseCommandLine({"--process", "Notepad.EXE", "--size", "1x1"});
  EXPECT_EQ(cmd.request.program, "Notepad.EXE");
  EXPECT_EQ(CheckArrangeRequest(cmd.request, {1920, 1080, 0, 0}), ArrangeRefusal::kNone);
  // Help wins over the checks of a whole request (no method given); an argument that
  // cannot be read is still refused beside it.
  for (auto args : {std::vector<std::string>{"/?"}, {"--help"}, {"-h"}, {"--class", "C", "--help"}})
    EXPECT_TRUE(ParseCommandLine(args).help);
  EXPECT_FALSE(ParseCommandLine({"--bogus", "--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"--stop"}).stop);
  EXPECT_TRUE(ParseCommandLine({"--class", "C", "--per-row", "2", "--watch"}).watch);
}

// The button and the command line refuse the same requests, in the same order.
// The command line as the system hands it over, split as the C runtime splits it.
TEST(CommandLine, SplitLikeTheRuntime) {
  using Args = std::vector<std::string>;
  const struct {
    const char* line;
    Args args;
  } kCases[] = {
      {"Quiltmark.exe", {}},
      {"\"C:\\Program Files\\Quiltmark.exe\" --list", {"--list"}},
      {"q.exe  --title \"한국어 창 1\"\t--size 4x3", {"--title", "한국어 창 1", "--size", "4x3"}},
      {"q.exe --title 🚀\" rocket\" x", {"--title", "🚀 rocket", "x"}},
      {"q.exe a\\\\\"b c\" d", {"a\\b c", "d"}},  // 2n backslashes: n, and the quote groups
      {"q.exe a\\\\\\\"b", {"a\\\"b"}},           // 2n+1: n and a quote
      {"q.exe a\\b \\\\", {"a\\b", "\\\\"}},      // others are themselves
      {"q.exe \"a\"\"b\" \"\"", {"a\"b", ""}},    // "" inside quotes; an empty argument
      {"q.exe \"unclosed tail", {"unclosed tail"}},
  };
  for (const auto& c : kCases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

TEST(ArrangeRequestCheck, RefusesWhatWouldFailOrMatchEverything) {
  auto bySize = [](const char* cls, const char* title, int w, int h) {
    ArrangeRequest r;
    r.className = cls;
    r.title = title;
    r.width = w;
    r.height = h;
    return r;
  };
  auto withGap = [](ArrangeRequest r, int gap) {
    r.gap = gap;
    return r;
  };
  auto pattern = [&](const char* p) {
    ArrangeRequest r = bySize("", "", 8, 6);
    r.titlePattern = p;
    return r;
  };
  auto byRow = [](int perRow) {
    ArrangeRequest r;
    r.className = "C";
    r.method = ArrangeMethod::kByRowCount;
    r.perRow = perRow;
    r.width = -1;  // not the chosen method's: not looked at
    return r;
  };
  const struct {
    ArrangeRequest request;
    ArrangeRefusal want;
  } kCases[] = {
      {bySize("", "", 800, 600), ArrangeRefusal::kNoCondition},
      {bySize("", "", 0, 0), ArrangeRefusal::kNoCondition},
      {bySize("C", "", 0, 0), ArrangeRefusal::kWidth},
      {bySize("", "T", 800, -1), ArrangeRefusal::kHeight},
      {bySize("C", "T", 2000, 1), ArrangeRefusal::kNone},
      {bySize("C", "", 1, 0), ArrangeRefusal::kHeight},
      {bySize("C", "", 1, 1), ArrangeRefusal::kNone},
      {byRow(0), ArrangeRefusal::kPerRow},
      {byRow(-3), ArrangeRefusal::kPerRow},
      {byRow(1920), ArrangeRefusal::kNone},
      {byRow(1921), ArrangeRefusal::kPerRow},
      {withGap(byRow(18), 100), ArrangeRefusal::kNone},  // 18 cells 1 wide: 1920 - 19 * 100 = 20
      {withGap(byRow(19), 100), ArrangeRefusal::kPerRow},
      {pattern("*"), ArrangeRefusal::kNone},
  };
  for (const auto& c : kCases) EXPECT_EQ(CheckArrangeRequest(c.request, kScreen), c.want);
  // A work area with no width takes no window a row.
  EXPECT_EQ(CheckArrangeRequest(byRow(1), {0, 1079, 0, 0}), ArrangeRefusal::kPerRow);

  // Counted: no row may wrap past the coordinates a window can have, nor be 0 high.
  const struct {
    ArrangeRequest request;
    int32_t count;
    ArrangeRefusal want;
  } kGrids[] = {
      {bySize("C", "", 100, 2000000000), 1, ArrangeRefusal::kOffScreen},
      {bySize("C", "", 100, 1000), 19 * 32, ArrangeRefusal::kNone},  // 32 rows end at 32000
      {bySize("C", "", 100, 1000), 19 * 33, ArrangeRefusal::kOffScreen},
      {bySize("C", "", 40000, 10), 1, ArrangeRefusal::kOffScreen},
      {byRow(2), 2 * 1079, ArrangeRefusal::kNone},
      {byRow(2), 2 * 1079 + 1, ArrangeRefusal::kRowsTooLow},
      // 3 rows and 4 gaps of 200 leave 279 pixels, 93 a row; 5 rows and 6 gaps leave none.
      {withGap(byRow(1), 200), 3, ArrangeRefusal::kNone},
      {withGap(byRow(1), 200), 5, ArrangeRefusal::kRowsTooLow},
      // Each cell takes 1000 and its gap: 32 rows end at 32000 + 32 * 10 + 10.
      {withGap(bySize("C", "", 100, 1000), 10), 17 * 32, ArrangeRefusal::kNone},
      {withGap(bySize("C", "", 100, 1000), 25), 17 * 32, ArrangeRefusal::kOffScreen},
  };
  for (const auto& c : kGrids) EXPECT_EQ(CheckGrid(c.request, kScreen, c.count), c.want) << c.count;
}

// --list prints the plan the arrangement applies: a cell that is not square shows
// which of the size's numbers is the width.
TEST(CommandLine, ListPlansWidthAcrossAndHeightDown) {
  CommandLine cmd = ParseCommandLine({"--class", "C", "--size", "400x300", "--list"});
  ASSERT_TRUE(cmd.error.empty()) << cmd.error;
  const ArrangementPlan plan = PlanArrangement(cmd.request, kScreen, 5);
  const std::vector<Placement> want = {{0, 0, 400, 300, 0},
                                       {400, 0, 400, 300, 0},
                                       {800, 0, 400, 300, 0},
                                       {1200, 0, 400, 300, 0},
                                       {0, 300, 400, 300, 0}};
  EXPECT_EQ(plan.cells, want);
  EXPECT_EQ(ListLine(5, "C", "", plan.cells[4], "a.exe"), "5\tC\t\t0,300 400x300\ta.exe\r\n");
}

TEST(CommandLine, TextsItWrites) {
  EXPECT_EQ(RefusalText(ArrangeRefusal::kPerRow), "排列数量无效\r\n");
  EXPECT_EQ(RefusalText(ArrangeRefusal::kWidth), "窗口宽度无效\r\n");
  EXPECT_EQ(ListLine(3, "C", "样例", {960, 359, 960, 359, 0}, "终端.exe"),
            "3\tC\t样例\t960,359 960x359\t终端.exe\r\n");
  EXPECT_EQ(ListLine(1, "C", "", {0, 0, 0, 0, kSwpNoSize}, ""), "1\tC\t\t0,0\t\r\n");
  // Whatever breaks a line or a field, in any reader, is one space; the rest stays.
  EXPECT_EQ(ListLine(1, "C\t",
                     "a\r\nb\xC2\x85"
                     "c\xE2\x80\xA8"
                     "d\xE2\x80\xA9\x7F\xC2\xA0\xE2\x80\xA6",
                     {0, 0, 0, 0, kSwpNoSize}, "\xC2\x9F"),
            "1\tC \ta  b c d  \xC2\xA0\xE2\x80\xA6\t0,0\t \r\n");
  EXPECT_EQ(NotPlacedLine(2, "C", "T", Landing::kRefused), "2\tC\tT\t拒绝移动\r\n");
  EXPECT_EQ(NotPlacedLine(4, "C", "T", Landing::kGone), "4\tC\tT\t已关闭\r\n");
  EXPECT_EQ(NotPlacedLine(5, "C", "T", Landing::kWaiting), "5\tC\tT\t没有排列\r\n");
  EXPECT_EQ(NotPlacedLine(6, "C", "T", Landing::kHigherRights),
            "6\tC\tT\t所属程序的权限比 Quiltmark 高，拒绝移动\r\n");
  EXPECT_EQ(KeptSizeLine(3, "C", "T\t", 700, 600),
            "3\tC\tT \t不能缩小到格子的大小，尺寸保持为 700x600\r\n");
  EXPECT_EQ(NotPlacedSummary(0, 3), "匹配的窗口一个也没有排列\r\n");
  EXPECT_EQ(NotPlacedSummary(1, 3), "已排列 1 个窗口，2 个没有排列\r\n");
  EXPECT_EQ(MonitorLine(2, {{-1280, 10, 0, 1034}, {-1280, 10, 0, 994}, false}),
            "2\t-1280,10 1280x1024\t工作区 -1280,10 1280x984\r\n");
  EXPECT_EQ(MonitorLine(1, {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}),
            "1\t0,0 1920x1080\t工作区 0,0 1920x1040\t主显示器\r\n");
  EXPECT_EQ(NoSuchMonitorText(3, 2), "没有第 3 个显示器：共有 2 个显示器\r\n");
  const std::string usage = UsageText();
  for (const char* option : {"--class", "--title", "--title-like", "--size", "--per-row",
                             "--keep-size", "--gap", "--list", "--help", "/?", "示例", "退出码"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
