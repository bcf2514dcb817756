#pragma once
// Arranging from the command line, for shortcuts, scheduled tasks and scripts: the
// arguments, their meaning and the texts the program answers with. No <windows.h>.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/order.h"
#include "engine/request.h"

// The widest --gap, in pixels.
inline constexpr int32_t kMaxGap = 200;

// Exit codes of a run with arguments.
enum CommandExit : int {
  kExitArranged = 0,  // every window found was placed, or listed (or the usage shown)
  kExitNoWindow = 1,  // no window matches, or none of them could be placed
  kExitBadArguments = 2,
  kExitPartly = 3,  // some were placed, others refused, closed or did not answer
  kExitFault = -1,  // an internal fault, reported on the error stream
};

struct CommandLine {
  bool help = false;      // --help or /?: the usage, nothing else
  bool list = false;      // --list: print the windows and their cells, move nothing
  bool monitors = false;  // --monitors: the monitors, nothing else
  int32_t monitor = 0;    // --monitor N: its work area; 0: the primary screen as always
  bool byTitle = false;   // --order title: the windows sorted by title
  bool watch = false;     // --watch: keep the grid as the windows come and go
  bool stop = false;      // --stop: end every watch, nothing else
  ArrangeRequest request;
  std::string error;  // why the arguments are refused; empty when they are not
};

// The arguments after the program's name, split as the C runtime splits a command
// line: white space between arguments; double quotes group, and "" inside quotes is
// one quote; 2n backslashes before a quote are n backslashes (the quote groups),
// 2n+1 are n and a quote; other backslashes are themselves. The program's name
// itself ends at the first white space outside quotes, with no escapes.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Reads the arguments after the program's name (UTF-8).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What the program writes, each ending in "\r\n".
std::string UsageText();
// The line for a request that the checks refuse, in the window's own words.
std::string RefusalText(ArrangeRefusal refusal);
// One line of --list: the window's place in the list, class, title, cell and its
// program's file name (empty when the program cannot be asked).
std::string ListLine(int32_t number, const std::string& className, const std::string& title,
                     const Placement& cell, const std::string& program);
// One line for a window that was not placed: its place in the list, class, title and
// what became of it.
std::string NotPlacedLine(int32_t number, const std::string& className, const std::string& title,
                          Landing landing);
// One line for a window placed at a size larger than its cell, which it cannot shrink
// to: its place in the list, class, title and the size it kept.
std::string KeptSizeLine(int32_t number, const std::string& className, const std::string& title,
                         int32_t width, int32_t height);
// The line after the windows of programs with higher rights than Quiltmark's.
std::string HigherRightsText();
// One line of --monitors: the monitor's number, rectangle and work area, and whether
// it is the primary one.
std::string MonitorLine(int32_t number, const Monitor& monitor);
// Why --monitor N names no monitor, when there are `count`.
std::string NoSuchMonitorText(int32_t number, size_t count);
// The last line after some windows were not placed; `placed` of `found` were.
std::string NotPlacedSummary(int32_t placed, int32_t found);
