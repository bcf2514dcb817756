// Quiltmark started with arguments, as a shortcut or a script starts it: no window,
// the answer on its standard output or error, and the exit code.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/start.h"
#include "tests/support/utf8.h"

namespace {

// Three windows of class QmCliA titled 样例窗口, two of class QmCliB titled 中文标题.
const char kSamples[] = "--tiles QmCliA 3 样例窗口 QmCliB 2 中文标题";

struct Invocation {
  const char* name;
  const char* arguments;
  DWORD exitCode;
  const char* output;  // the whole output; null: only the exit code is checked
};

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(samples_.Start(kSamples, 5)); }

  std::vector<RECT> Rects() {
    std::vector<RECT> rects;
    for (HWND hwnd : samples_.Windows()) {
      RECT r{};
      GetWindowRect(hwnd, &r);
      rects.push_back(r);
    }
    return rects;
  }

  SampleWindows samples_;
};

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!EqualRect(&a[i], &b[i])) return false;
  return true;
}

// What is refused, and what finds nothing, moves no window and shows no box or
// window; each says why in the program's own words where it has them.
TEST_F(CommandLine, RefusalsAndExitCodes) {
  const char kUsageHint[] = "\r\n用 Quiltmark.exe --help 查看用法。\r\n";
  const Invocation kRuns[] = {
      {"no such class", "--class QmNoSuchClass --size 400x300", 1, "没有找到匹配的窗口\r\n"},
      {"part of a title", "--title 样例 --per-row 2", 1, "没有找到匹配的窗口\r\n"},
      {"class of one, title of the other", "--class QmCliA --title 中文标题 --per-row 2", 1,
       "没有找到匹配的窗口\r\n"},
      {"no condition", "--size 400x300", 2, "请至少提供一个窗口查找条件！\r\n"},
      {"empty condition", "--class \"\" --size 400x300", 2, "请至少提供一个窗口查找条件！\r\n"},
      {"width 0", "--class QmCliA --size 0x300", 2, "窗口宽度无效\r\n"},
      {"height -5", "--class QmCliA --size 400x-5", 2, "窗口高度无效\r\n"},
      {"0 a row", "--class QmCliA --per-row 0", 2, "排列数量无效\r\n"},
      {"more a row than pixels across", "--class QmCliA --per-row 1921", 2, "排列数量无效\r\n"},
      {"unknown option", "--class QmCliA --per-row 2 --tile", 2,
       "未知参数：--tile\r\n用 Quiltmark.exe --help 查看用法。\r\n"},
      {"unknown option after --help", "--help --tile", 2,
       "未知参数：--tile\r\n用 Quiltmark.exe --help 查看用法。\r\n"},
      {"missing value", "--class QmCliA --per-row", 2, nullptr},
      {"not a number", "--class QmCliA --per-row two", 2, nullptr},
      {"not a size", "--class QmCliA --size 400", 2, nullptr},
      {"both methods", "--class QmCliA --size 400x300 --per-row 2", 2, nullptr},
      {"no method", "--class QmCliA --list", 2, nullptr},
      {"a star in an exact title is a star", "--title 样例* --per-row 2", 1,
       "没有找到匹配的窗口\r\n"},
      {"exact title and pattern", "--title 样例窗口 --title-like 样例* --per-row 2", 2,
       "--title 和 --title-like 只能选一个\r\n用 Quiltmark.exe --help 查看用法。\r\n"},
      {"gap out of range", "--class QmCliA --per-row 2 --gap 201", 2,
       "--gap 的取值应为 0 到 200 的像素数：201\r\n用 Quiltmark.exe --help 查看用法。\r\n"},
  };
  const std::vector<RECT> before = Rects();
  for (const Invocation& r : kRuns) {
    SCOPED_TRACE(r.name);
    CommandRun run = RunQuiltmarkCommand(r.arguments);
    EXPECT_EQ(run.exitCode, r.exitCode);
    if (r.output) {
      EXPECT_EQ(run.output, r.output);
    } else {
      EXPECT_NE(run.output.find(kUsageHint), std::string::npos) << run.output;
    }
    EXPECT_FALSE(run.windowSeen);
    EXPECT_TRUE(SameRects(Rects(), before)) << "a window moved";
  }
}

// The usage, with its example and exit codes, for both ways of asking.
TEST_F(CommandLine, HelpShowsTheUsage) {
  for (const char* ask : {"--help", "/?"}) {
    SCOPED_TRACE(ask);
    CommandRun run = RunQuiltmarkCommand(ask);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output.rfind("用法：Quiltmark.exe", 0), 0u) << run.output;
    for (const char* part : {"--per-row", "--keep-size", "--list", "退出码", "示例："})
      EXPECT_NE(run.output.find(part), std::string::npos) << part;
    EXPECT_FALSE(run.windowSeen);
  }
}

// Started from a shortcut there is no console and no standard handle: bad arguments
// are shown in a box, with the error icon, instead of nowhere.
TEST_F(CommandLine, WithoutAConsoleBadArgumentsAreShown) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring line = W("\"" + QuiltmarkFolder() + "\\Quiltmark.exe\" --bogus");
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartProcess(line.data(), FALSE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi));
  MessageBoxSeen box = WaitForMessageBox(pi.dwProcessId);
  ASSERT_NE(box.hwnd, nullptr) << "nothing shown";
  EXPECT_EQ(box.title, "Quiltmark");
  EXPECT_EQ(box.text, "未知参数：--bogus\r\n用 Quiltmark.exe --help 查看用法。\r\n");
  EXPECT_TRUE(box.errorIcon);
  EXPECT_TRUE(AnswerOk(box.hwnd));
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 2u);
  TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

// Runs Quiltmark with the arguments on a console of this process's own, set to UTF-8,
// and reads back the first `chars` cells it wrote there. False when there is no
// console screen to read back here.
bool RunOnConsole(const std::string& arguments, size_t chars, std::wstring* shown, DWORD* code) {
  // The driver's own console, if it has one, is the test runner's and cannot be read.
  FreeConsole();
  const bool made = AllocConsole();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE screen =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inherit, OPEN_EXISTING, 0, nullptr);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) {
    if (screen != INVALID_HANDLE_VALUE) CloseHandle(screen);
    if (made) FreeConsole();
    return false;
  }
  SetConsoleOutputCP(CP_UTF8);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = screen;
  si.hStdError = screen;
  std::wstring line = W("\"" + QuiltmarkFolder() + "\\Quiltmark.exe\" " + arguments);
  PROCESS_INFORMATION pi{};
  *code = kNotStarted;
  if (StartProcess(line.data(), TRUE, 0, nullptr, nullptr, &si, &pi)) {
    if (WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  shown->assign(chars, L'\0');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(screen, shown->data(), static_cast<DWORD>(chars),
                              info.dwCursorPosition, &read);
  shown->resize(read);
  CloseHandle(screen);
  if (made) FreeConsole();
  return true;
}

// A console set to UTF-8 shows the Chinese as it is: the text goes through the
// console's own Unicode output, not as bytes of the system's code page.
TEST_F(CommandLine, AUtf8ConsoleShowsTheChinese) {
  std::wstring shown;
  DWORD code = 0;
  if (!RunOnConsole("--title 没有这个窗口 --size 9x9", 9, &shown, &code))
    GTEST_SKIP() << "no console screen to read back here (error " << GetLastError() << ")";
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(shown, L"\u6CA1\u6709\u627E\u5230\u5339\u914D\u7684\u7A97\u53E3");
}

// Titles in any characters, as browsers and chat programs write them: each --title
// finds exactly its own window and places it, and --list shows the title on a
// console exactly.
TEST_F(CommandLine, TitlesInAnyCharactersAreFoundExactly) {
  const char* const kTitles[] = {"한국어 창 1", "🚀 rocket 2", "café naïve 3"};
  SampleWindows unicode;
  ASSERT_TRUE(unicode.Start(
      "--tiles QmUni 1 \"한국어 창 1\" QmUni 1 \"🚀 rocket 2\" QmUni 1 \"café naïve 3\" "
      "QmUni 1 \"plain 4\"",
      4));
  for (const char* title : kTitles) {
    SCOPED_TRACE(title);
    HWND mine = nullptr;
    for (HWND hwnd : unicode.Windows())
      if (TextOf(hwnd) == title) mine = hwnd;
    ASSERT_NE(mine, nullptr) << "the sample window did not take its title";
    CommandRun run =
        RunQuiltmarkCommand(std::string("--title \"") + title + "\" --size 410x310 --list");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.find("\r\n"), run.output.size() - 2) << "not one window: " << run.output;
    run = RunQuiltmarkCommand(std::string("--title \"") + title + "\" --size 410x310");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    RECT r{};
    GetWindowRect(mine, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right - r.left, 410);
  }
  std::wstring shown;
  DWORD code = 0;
  if (!RunOnConsole("--title \"🚀 rocket 2\" --size 410x310 --list", 60, &shown, &code))
    GTEST_SKIP() << "no console screen to read back here";
  EXPECT_EQ(code, 0u);
  EXPECT_NE(shown.find(L"\U0001F680 rocket 2"), std::wstring::npos) << U8(shown);
}

// The test display has two monitors (scripts/wine-up.sh): the primary 1920x1080 one
// and a 1280x1024 one, both at the origin. --monitors lists them, --monitor 2 puts the
// grid in the second one's work area, --list shows those cells, and a monitor that is
// not there is a bad argument.
TEST_F(CommandLine, MonitorsAndArrangingOnTheSecond) {
  CommandRun run = RunQuiltmarkCommand("--monitors");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output,
            "1\t0,0 1920x1080\t工作区 0,0 1920x1080\t主显示器\r\n"
            "2\t0,0 1280x1024\t工作区 0,0 1280x1024\r\n");
  run = RunQuiltmarkCommand("--class QmCliA --per-row 2 --monitor 2 --list");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_NE(run.output.find("\t640,0 640x512\tsample_windows.exe\r\n"), std::string::npos)
      << run.output;
  run = RunQuiltmarkCommand("--class QmCliA --per-row 2 --monitor 3");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(run.output, "没有第 3 个显示器：共有 2 个显示器\r\n");

  run = RunQuiltmarkCommand("--class QmCliA --per-row 2 --monitor 2");
  EXPECT_EQ(run.exitCode, 0u);
  std::vector<RECT> cells;
  for (HWND hwnd : samples_.Windows()) {
    if (ClassOf(hwnd) != "QmCliA") continue;
    RECT r{};
    GetWindowRect(hwnd, &r);
    cells.push_back(r);
  }
  ASSERT_EQ(cells.size(), 3u);
  for (const RECT& r : cells) {
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 512);
    EXPECT_TRUE(r.left == 0 || r.left == 640) << r.left;
    EXPECT_TRUE(r.top == 0 || r.top == 512) << r.top;
  }
}

// --title-like: * for any run of characters, ? for one, letter case aside; with
// --class every condition must hold.
TEST_F(CommandLine, TitlesByPattern) {
  const struct {
    const char* arguments;
    const char* lines;  // the class of each line of --list
  } kRuns[] = {
      {"--title-like 样例* --size 300x200 --list", "QmCliA QmCliA QmCliA "},
      {"--title-like 中文?题 --size 300x200 --list", "QmCliB QmCliB "},
      {"--title-like * --class qmclib --size 300x200 --list", "QmCliB QmCliB "},
      {"--title-like 中文? --size 300x200 --list", ""},
  };
  for (const auto& r : kRuns) {
    SCOPED_TRACE(r.arguments);
    CommandRun run = RunQuiltmarkCommand(r.arguments);
    std::string classes;
    for (size_t at = 0; at < run.output.size(); at = run.output.find("\r\n", at) + 2) {
      const size_t tab = run.output.find('\t', at) + 1;
      classes += run.output.substr(tab, run.output.find('\t', tab) - tab) + " ";
    }
    EXPECT_EQ(run.exitCode, *r.lines ? 0u : 1u) << run.output;
    if (*r.lines) {
      EXPECT_EQ(classes, r.lines) << run.output;
    }
  }
}

// --gap N leaves N pixels between the cells and around them: by size one cell every
// size + N from (N, N); by row count n columns of (W - (n+1)N) / n and r rows of
// (H - (r+1)N) / r, the work area being 1920 x 1079.
TEST_F(CommandLine, GapsBetweenTheCells) {
  const struct {
    const char* arguments;
    const char* className;
    std::vector<RECT> cells;  // left to right
  } kRuns[] = {
      {"--class QmCliA --size 500x300 --gap 10",
       "QmCliA",
       {{10, 10, 510, 310}, {520, 10, 1020, 310}, {1030, 10, 1530, 310}}},
      {"--title 中文标题 --per-row 2 --gap 12",
       "QmCliB",
       {{12, 12, 954, 1067}, {966, 12, 1908, 1067}}},
  };
  for (const auto& r : kRuns) {
    SCOPED_TRACE(r.arguments);
    CommandRun run = RunQuiltmarkCommand(r.arguments);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<RECT> got;
    for (HWND hwnd : samples_.Windows()) {
      RECT rect{};
      if (ClassOf(hwnd) == r.className && GetWindowRect(hwnd, &rect)) got.push_back(rect);
    }
    std::sort(got.begin(), got.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
    ASSERT_EQ(got.size(), r.cells.size());
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_TRUE(EqualRect(&got[i], &r.cells[i]))
          << i << ": " << got[i].left << "," << got[i].top << " to " << got[i].right << ","
          << got[i].bottom;
  }
}

// A window that cannot be made as small as its cell, in the last column of the lower
// row: its smallest size, moved left and up into the work area, counted as placed and
// named on the error output; --list shows it where it went.
TEST(CommandLineLeast, AWindowThatCannotShrinkStaysOnTheScreen) {
  SampleWindows samples;
  ASSERT_TRUE(samples.Start(
      "--least 700x600 QmFit 1 \"适配 1\" QmFit 1 \"适配 2\" QmFit 1 \"适配 3\" QmFit 1 "
      "\"适配 4\" QmFit 1 \"适配 5\" QmFit 1 \"适配 6\"",
      6));
  // Cells of 640 x 539; the sixth's is at 1280,539.
  CommandRun run = RunQuiltmarkCommand("--class QmFit --per-row 3 --order title");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "6\tQmFit\t适配 6\t不能缩小到格子的大小，尺寸保持为 700x600\r\n");
  HWND big = FindWindowW(L"QmFit", L"适配 6");
  RECT r{};
  GetWindowRect(big, &r);
  const RECT want{1220, 479, 1920, 1079};
  EXPECT_TRUE(EqualRect(&r, &want))
      << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top;
  run = RunQuiltmarkCommand("--class QmFit --per-row 3 --order title --list");
  EXPECT_TRUE(
      run.output.ends_with("\r\n6\tQmFit\t适配 6\t1220,479 700x600\tsample_windows.exe\r\n"))
      << run.output;
}

// --order title puts the windows in the same cells however they are stacked: titles
// in natural order, so "实例 2" before "实例 10".
TEST_F(CommandLine, TitleOrderIsTheSameWhateverTheStacking) {
  SampleWindows named;
  ASSERT_TRUE(
      named.Start("--tiles QmOrder 1 \"实例 10\" QmOrder 1 \"实例 2\" QmOrder 1 \"实例 1\"", 3));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::vector<HWND> windows = named.Windows();
    ASSERT_EQ(windows.size(), 3u);
    // Stacked differently each round: the bottom one is raised.
    SetWindowPos(windows.back(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CommandRun run = RunQuiltmarkCommand("--class QmOrder --size 300x200 --order title");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    for (HWND hwnd : named.Windows()) {
      const std::string title = TextOf(hwnd);
      RECT r{};
      GetWindowRect(hwnd, &r);
      const int cell = title == "实例 1" ? 0 : title == "实例 2" ? 1 : 2;
      EXPECT_EQ(r.left, 300 * cell) << title;
    }
  }
}

// --list names each window in the order found, with the cell it would get and its
// program, and moves nothing. The search order is the stacking order, newest window on top.
TEST_F(CommandLine, ListNamesTheWindowsAndTheirCells) {
  const std::vector<RECT> before = Rects();
  CommandRun run = RunQuiltmarkCommand("--title 中文标题 --per-row 2 --list");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output,
            "1\tQmCliB\t中文标题\t0,0 960x1079\tsample_windows.exe\r\n"
            "2\tQmCliB\t中文标题\t960,0 960x1079\tsample_windows.exe\r\n");
  run = RunQuiltmarkCommand("--class QmCliA --per-row 2 --keep-size --list");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output,
            "1\tQmCliA\t样例窗口\t0,0\tsample_windows.exe\r\n"
            "2\tQmCliA\t样例窗口\t960,0\tsample_windows.exe\r\n"
            "3\tQmCliA\t样例窗口\t0,539\tsample_windows.exe\r\n");
  EXPECT_FALSE(run.windowSeen);
  EXPECT_TRUE(SameRects(Rects(), before)) << "--list moved a window";
}

// A title may hold tabs and line breaks and be of any length: --list writes each
// control character as a space, so the record stays one line of five fields, and the
// title whole.
TEST_F(CommandLine, ListKeepsEachRecordOnOneLine) {
  SampleWindows odd;
  ASSERT_TRUE(odd.Start("QmCliOdd 1 odd", 1));
  const std::wstring longTail(600, L'長');
  ASSERT_TRUE(SetWindowTextW(odd.Windows()[0], (L"a\tb\r\nc\x7F" + longTail).c_str()));
  CommandRun run = RunQuiltmarkCommand("--class QmCliOdd --size 400x300 --list");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output,
            "1\tQmCliOdd\ta b  c " + U8(longTail) + "\t0,0 400x300\tsample_windows.exe\r\n");
}

// Asked for 70 a row, a row holds 70, though 71 of the truncated 27-pixel cells
// would fit across 1920 pixels: the 71st window starts the second row.
TEST(CommandLineRows, ARowHoldsNoMoreThanAskedFor) {
  SampleWindows many;
  ASSERT_TRUE(many.Start("--tiles QmCliRow 71 行样例", 71));
  CommandRun run = RunQuiltmarkCommand("--class QmCliRow --per-row 70 --list");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_NE(run.output.find("\r\n70\tQmCliRow\t行样例\t1863,0 27x539\t"), std::string::npos)
      << run.output;
  EXPECT_TRUE(
      run.output.ends_with("\r\n71\tQmCliRow\t行样例\t0,539 27x539\tsample_windows.exe\r\n"))
      << run.output;
}

// --process picks windows by their program's file name, letter case aside: of two
// programs with windows of one class, only the named one's move. A name that no
// program has finds nothing.
TEST(CommandLineProgram, OnlyThatProgramsWindowsMove) {
  SampleWindows named, other;
  ASSERT_TRUE(named.Start("--tiles QmProg 2 程序样例", 2));
  ASSERT_TRUE(other.Start("--tiles QmProg 2 程序样例", 2, "other_samples.exe"));
  std::vector<RECT> before;
  for (HWND hwnd : other.Windows()) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    before.push_back(r);
  }
  CommandRun run =
      RunQuiltmarkCommand("--class QmProg --process SAMPLE_Windows.EXE --size 300x200");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  std::vector<LONG> lefts;
  for (HWND hwnd : named.Windows()) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.top, 0);
    lefts.push_back(r.left);
  }
  std::sort(lefts.begin(), lefts.end());
  EXPECT_EQ(lefts, (std::vector<LONG>{0, 300}));
  std::vector<HWND> others = other.Windows();
  ASSERT_EQ(others.size(), before.size());
  for (size_t i = 0; i < others.size(); ++i) {
    RECT r{};
    GetWindowRect(others[i], &r);
    EXPECT_TRUE(EqualRect(&r, &before[i])) << "a window of the other program moved";
  }
  run = RunQuiltmarkCommand("--process no_such_program.exe --size 300x200");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
}

// Windows that take 250 ms over each new size, as browsers and games do, in eight
// programs of one window each and in one program of four: each lands in its cell in
// the order found, and the stacking order and the active window are the ones a
// one-by-one arrangement leaves: the last one placed on top and active.
TEST(CommandLineSlow, SlowWindowsLandAsOneByOne) {
  struct Case {
    const char* name;
    int programs, perProgram;
    RECT firstCell;  // 4 a row: one row for four windows, two for eight
  };
  const Case cases[] = {{"eight programs", 8, 1, {0, 0, 480, 539}},
                        {"one program", 1, 4, {0, 0, 480, 1079}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::unique_ptr<SampleWindows>> programs;
    for (int p = 0; p < c.programs; ++p) {
      programs.push_back(std::make_unique<SampleWindows>());
      ASSERT_TRUE(programs.back()->Start(
          "--size-sleep 250 --steady-stacking QmSlow " + std::to_string(c.perProgram) + " 慢窗口",
          static_cast<size_t>(c.perProgram)));
    }
    std::vector<HWND> found;
    for (HWND hwnd : TopLevelWindows())
      if (IsWindowVisible(hwnd) && ClassOf(hwnd) == "QmSlow") found.push_back(hwnd);
    ASSERT_EQ(found.size(), static_cast<size_t>(c.programs * c.perProgram));
    // Another program's window on top of them all, as the prompt Quiltmark is run from.
    SampleWindows above;
    ASSERT_TRUE(above.Start("QmAbove 1 上面", 1));
    const DWORD start = GetTickCount();
    CommandRun run = RunQuiltmarkCommand("--class QmSlow --per-row 4");
    std::printf("[ timing   ] %s: %zu windows in %lu ms\n", c.name, found.size(),
                GetTickCount() - start);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    // Each resize takes its program a quarter of the time it is given: none counts as
    // busy, or the lines say which.
    EXPECT_EQ(run.output, "");
    const LONG cx = c.firstCell.right, cy = c.firstCell.bottom;
    for (size_t i = 0; i < found.size(); ++i) {
      RECT r{};
      GetWindowRect(found[i], &r);
      const LONG x = static_cast<LONG>(i % 4) * cx, y = static_cast<LONG>(i / 4) * cy;
      const RECT want{x, y, x + cx, y + cy};
      EXPECT_TRUE(EqualRect(&r, &want)) << i << ": " << r.left << "," << r.top << " "
                                        << r.right - r.left << "x" << r.bottom - r.top;
    }
    // Wine's display driver carries each activation out a moment after it was asked.
    // The arranged windows on top, in the order one by one would leave them.
    std::vector<HWND> wanted(found.rbegin(), found.rend());
    wanted.push_back(above.Windows().front());
    std::vector<HWND> stacking;
    for (int tries = 0; tries < 60; ++tries, Sleep(50)) {
      stacking.clear();
      for (HWND hwnd : TopLevelWindows())
        if (std::ranges::find(wanted, hwnd) != wanted.end()) stacking.push_back(hwnd);
      if (stacking == wanted && GetForegroundWindow() == found.back()) break;
    }
    EXPECT_EQ(stacking, wanted);
    EXPECT_EQ(GetForegroundWindow(), found.back());
  }
}

// One program's windows, each of which maximises itself when moved while in front:
// only the last one placed is activated, so only it fills the screen. It is reported
// out of its cell, yet keeps the activation it took, as one by one leaves it, rather
// than handing it to a window it covers.
TEST(CommandLineSlow, ALastWindowThatMaximisesItselfKeepsTheActivation) {
  SampleWindows program;
  ASSERT_TRUE(program.Start("--zoom-in-front QmZoom 3 放大的窗口", 3));
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows())
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == "QmZoom") found.push_back(hwnd);
  ASSERT_EQ(found.size(), 3u);
  SampleWindows above;
  ASSERT_TRUE(above.Start("QmAbove 1 上面", 1));
  ASSERT_TRUE(BringToFront(above.Windows().front()));
  CommandRun run = RunQuiltmarkCommand("--class QmZoom --size 300x200");
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_NE(run.output.find("3\tQmZoom\t放大的窗口\t"), std::string::npos) << run.output;
  EXPECT_TRUE(IsZoomed(found.back()));
  EXPECT_EQ(WaitForForeground(found.back()), found.back());
  for (size_t i = 0; i + 1 < found.size(); ++i) {
    RECT r{};
    GetWindowRect(found[i], &r);
    const RECT want{static_cast<LONG>(i) * 300, 0, static_cast<LONG>(i + 1) * 300, 200};
    EXPECT_TRUE(EqualRect(&r, &want)) << i;
  }
}

// A program that stops answering in the middle of the first of its three moves: the
// run gives it up and does not wait for the two behind it, which are queued to the
// program with the first and land once it answers again.
TEST(CommandLineSlow, AProgramThatStopsMidwayHasItsWindowsQueued) {
  SampleWindows program;
  ASSERT_TRUE(program.Start("--size-sleep 3000 QmStuck 3 卡住的窗口", 3));
  std::vector<HWND> found;
  for (HWND hwnd : TopLevelWindows())
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) == "QmStuck") found.push_back(hwnd);
  ASSERT_EQ(found.size(), 3u);
  const DWORD start = GetTickCount();
  CommandRun run = RunQuiltmarkCommand("--class QmStuck --size 300x200");
  std::printf("[ timing   ] ended after %lu ms\n", GetTickCount() - start);
  // The first window's rectangle may be in its cell already, its program still laying
  // it out; the two behind it are the program's to carry out.
  EXPECT_NE(run.exitCode, 0u);
  for (int i = 2; i <= 3; ++i)
    EXPECT_NE(run.output.find(std::to_string(i) +
                              "\tQmStuck\t卡住的窗口\t没有响应，恢复响应后会移到它的位置\r\n"),
              std::string::npos)
        << run.output;
  // Each queued move takes the program another 3 s.
  bool placed = false;
  for (int tries = 0; tries < 300 && !placed; ++tries, Sleep(100)) {
    placed = true;
    for (size_t i = 0; i < found.size(); ++i) {
      RECT r{};
      GetWindowRect(found[i], &r);
      const LONG x = static_cast<LONG>(i) * 300;
      const RECT want{x, 0, x + 300, 200};
      placed = placed && EqualRect(&r, &want);
    }
  }
  EXPECT_TRUE(placed);
}

// A Chinese title, as a Chinese command prompt or a shortcut passes it, finds its
// windows and arranges them, and nothing is written on success.
TEST_F(CommandLine, AChineseTitleArranges) {
  CommandRun run = RunQuiltmarkCommand("--title 中文标题 --size 500x400");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "");
  EXPECT_FALSE(run.windowSeen);
  int placed = 0;
  for (HWND hwnd : samples_.Windows()) {
    if (ClassOf(hwnd) != "QmCliB") continue;
    RECT r{};
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
    EXPECT_EQ(r.top, 0);
    EXPECT_TRUE(r.left == 0 || r.left == 500) << r.left;
    ++placed;
  }
  EXPECT_EQ(placed, 2);
}

}  // namespace
