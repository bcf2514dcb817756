// A run with arguments: no window, one search and arrangement as the 自动排列 button
// makes it, the answer on the console it was started from, and an exit code.
#include <windows.h>

#include <cfenv>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/runtime.h"
#include "app/watch_run.h"
#include "base/console.h"
#include "base/phases.h"
#include "base/services.h"
#include "engine/arrange.h"
#include "engine/follow_up.h"
#include "engine/window_manager.h"

namespace {

HANDLE Usable(HANDLE h) {
  return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN ? h : nullptr;
}

// Where the texts go: the standard handles the program was given (a console, a file
// or a pipe), else the console of the program that started it. A program of the
// window subsystem gets no console of its own; started from a shortcut it has none
// at all, and then what it would have written is shown in a box at the end.
class Console {
 public:
  Console()
      : out_(Usable(GetStdHandle(STD_OUTPUT_HANDLE))),
        err_(Usable(GetStdHandle(STD_ERROR_HANDLE))) {
    // Attached even when both handles are given: a file or a pipe then gets the
    // console's code page, as the console programs beside it in a script write.
    if (AttachConsole(ATTACH_PARENT_PROCESS) && (!out_ || !err_)) {
      attached_ =
          CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
      if (attached_ == INVALID_HANDLE_VALUE) attached_ = nullptr;
      if (!out_) out_ = attached_;
      if (!err_) err_ = attached_;
    }
    // A fault from here on is written there.
    g_app.errorStream = err_;
  }
  // The watch leaves the console: nothing is written to it after, and a late fault
  // is shown in a box rather than lost on a console that is gone.
  void Leave() {
    if (out_ && (out_ == attached_ || GetFileType(out_) == FILE_TYPE_CHAR)) out_ = nullptr;
    if (err_ && (err_ == attached_ || GetFileType(err_) == FILE_TYPE_CHAR)) err_ = nullptr;
    g_app.errorStream = err_;
    if (attached_) CloseHandle(attached_);
    attached_ = nullptr;
    FreeConsole();
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  ~Console() {
    g_app.errorStream = nullptr;
    if (attached_) CloseHandle(attached_);
  }

  void Out(const std::string& text) {
    if (!out_) unwrittenOut_ += text;
    WriteToHandle(out_, text.data(), text.size());
  }
  void Err(const std::string& text) {
    if (!err_) unwrittenErr_ += text;
    WriteToHandle(err_, text.data(), text.size());
  }
  // What had nowhere to go, where the person who started the run sees it.
  void ShowUnwritten() const {
    if (!unwrittenErr_.empty())
      ShowSelfClosingBox(unwrittenErr_.c_str(), "Quiltmark", MB_ICONERROR, kUnwatchedBoxMs);
    if (!unwrittenOut_.empty())
      ShowSelfClosingBox(unwrittenOut_.c_str(), "Quiltmark", MB_ICONINFORMATION, kUnwatchedBoxMs);
  }

 private:
  HANDLE out_;
  HANDLE err_;
  HANDLE attached_ = nullptr;
  std::string unwrittenOut_, unwrittenErr_;
};

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

// Whether a window placed is larger than its cell, which it cannot shrink to: it was
// given its smallest size inside the work area, and is named with the size it kept.
bool KeptLarger(HWND hwnd, const Placement& cell, int32_t* width, int32_t* height) {
  RECT frame;
  if ((cell.flags & kSwpNoSize) || !VisibleFrameOf(hwnd, &frame)) return false;
  *width = frame.right - frame.left;
  *height = frame.bottom - frame.top;
  return *width > cell.cx || *height > cell.cy;
}

int ArrangeFound(const WindowList& list, const ArrangeRequest& request, const WorkArea& area,
                 Console& console) {
  Arrangement run(list, request, area);
  MarkStartupPhase("plan, programs asked");
  FinishArrangement(run);
  MarkStartupPhase("stacking");
  const auto found = static_cast<int32_t>(run.Count());
  // The grid's own cells, before any window was given a larger size.
  const std::vector<Placement> cells = PlanArrangement(request, area, found).cells;
  // A script must not take windows that did not move for arranged ones.
  std::string report;
  bool higherRights = false;
  for (size_t i = 0; i < run.Count(); ++i) {
    HWND hwnd = WindowOf(run.HandleOf(i));
    const auto number = static_cast<int32_t>(i + 1);
    if (run.LandingOf(i) == Landing::kPlaced) {
      int32_t width = 0, height = 0;
      if (KeptLarger(hwnd, cells[i], &width, &height))
        report += KeptSizeLine(number, GetWindowClassName(hwnd).c_str(), GetStoredTitle(hwnd),
                               width, height);
      continue;
    }
    const Landing landing = WhyNotPlaced(hwnd, run.LandingOf(i));
    higherRights = higherRights || landing == Landing::kHigherRights;
    const bool gone = landing == Landing::kGone;
    report += NotPlacedLine(number, gone ? "" : GetWindowClassName(hwnd).c_str(),
                            gone ? "" : GetStoredTitle(hwnd), landing);
  }
  if (run.Placed() == found) {
    if (!report.empty()) console.Err(report);
    return kExitArranged;
  }
  report += NotPlacedSummary(run.Placed(), found);
  if (higherRights && ElevationWouldHelp()) report += HigherRightsText();
  console.Err(report);
  return run.Placed() > 0 ? kExitPartly : kExitNoWindow;
}

int Run(const CommandLine& cmd, Console& console) {
  // An argument that cannot be read is refused even beside --help: a script that
  // misspells an option must not be told all is well.
  if (!cmd.error.empty()) {
    console.Err(cmd.error + "\r\n用 Quiltmark.exe --help 查看用法。\r\n");
    return kExitBadArguments;
  }
  if (cmd.help) {
    console.Out(UsageText());
    return kExitArranged;
  }
  // A --stop from now on waits for this watch to be up, and then ends it.
  std::optional<WatchStart> start;
  if (cmd.watch) start.emplace();
  if (cmd.stop) {
    const int ended = StopWatches();
    if (ended == 0) {
      console.Err("没有正在运行的 --watch\r\n");
      return kExitNoWindow;
    }
    console.Out("已结束 " + std::to_string(ended) + " 个 --watch\r\n");
    return kExitArranged;
  }
  if (cmd.monitors) {
    const std::vector<Monitor> monitors = ListMonitors();
    for (size_t i = 0; i < monitors.size(); ++i)
      console.Out(MonitorLine(static_cast<int32_t>(i + 1), monitors[i]));
    return kExitArranged;
  }
  // One reading of the work area for the checks, the plan and the arrangement: the
  // chosen monitor's, or the primary screen less the taskbar as the window reads it.
  WorkArea area;
  if (cmd.monitor > 0) {
    const std::vector<Monitor> monitors = ListMonitors();
    if (static_cast<size_t>(cmd.monitor) > monitors.size()) {
      console.Err(NoSuchMonitorText(cmd.monitor, monitors.size()));
      return kExitBadArguments;
    }
    area = WorkAreaOf(monitors[static_cast<size_t>(cmd.monitor - 1)]);
  } else {
    area = ComputeWorkArea();
  }
  MarkStartupPhase("work area");
  if (ArrangeRefusal refusal = CheckArrangeRequest(cmd.request, area);
      refusal != ArrangeRefusal::kNone) {
    console.Err(RefusalText(refusal));
    return kExitBadArguments;
  }
  // No match yet is no fault here: the watch waits for one.
  if (cmd.watch) return RunWatch(cmd, *start, [&console] { console.Leave(); });
  WindowList list;
  const bool found = FindRequestedWindows(cmd.request, list);
  MarkStartupPhase("search");
  if (!found) {
    console.Err("没有找到匹配的窗口\r\n");
    return kExitNoWindow;
  }
  if (ArrangeRefusal grid = CheckGrid(cmd.request, area, list.Count());
      grid != ArrangeRefusal::kNone) {
    console.Err(RefusalText(grid));
    return kExitBadArguments;
  }
  if (cmd.byTitle) SortByTitle(list);
  if (!cmd.list) return ArrangeFound(list, cmd.request, area, console);
  // The very plan that Arrange would apply, a window that cannot shrink in the place
  // it would really take.
  const ArrangementPlan plan = PlanForWindows(list, cmd.request, area);
  for (int32_t i = 1; i <= list.Count(); ++i) {
    HWND hwnd = WindowOf(ReadArrayElement(list.get(), i, 0, 0));
    console.Out(ListLine(i, GetWindowClassName(hwnd).c_str(), GetStoredTitle(hwnd),
                         plan.cells[static_cast<size_t>(i - 1)], ProgramNameOf(hwnd)));
  }
  return kExitArranged;
}

}  // namespace

int RunFromCommandLine(const std::vector<std::string>& args) {
  // Even a fault while the runtime is set up must not wait on a box.
  g_app.commandLineRun = true;
  InitializeRuntime(false);
  std::fesetenv(FE_DFL_ENV);
  int code;
  if (!args.empty() && args.front() == kFollowUpSwitch) {
    // The helper an arrangement started for a busy program's windows: no console.
    code = RunFollowUp({args.begin() + 1, args.end()});
  } else {
    Console console;
    MarkStartupPhase("console");
    code = Run(ParseCommandLine(args), console);
    console.ShowUnwritten();
    FinishStartupPhases("report");
  }
  ShutdownRuntime(code);
  return code;
}
