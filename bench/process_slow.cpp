// Whole runs over slow windows, each taking 100 ms over every new size: N windows in
// N programs, and N windows in one program. Quiltmark.exe is set against two floors:
// (1) bare_arrange.exe, the same calls one after another; (2) bare_arrange.exe over
// a single slow window, the slowest window's time plus the bare program's own cost,
// which no arrangement can beat.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/process_support.h"
#include "bench/slow_targets.h"

namespace bench {

namespace {

constexpr char kSlowClass[] = "QmSlowTarget";
constexpr char kSingleClass[] = "QmSlowSingle";

// Starts a target program and waits until its windows show.
bool StartTargets(Child& child, const char* className, int count, size_t total) {
  const std::string line = "\"" + Folder() + "process_bench.exe\" --slow-target " + className +
                           " " + std::to_string(count);
  if (!child.Start(line)) return false;
  for (int tries = 0; tries < 400; ++tries, Sleep(25))
    if (WindowsOfClass(className).size() >= total) return true;
  return false;
}

bool TimeRun(const std::string& line, const std::vector<HWND>& park, double& ms) {
  ParkSlow(park);
  DWORD code = 0;
  if (!RunToExit(line, ms, code) || code != 0) {
    std::printf("%s did not run to its end with 0 (%lu)\n", line.c_str(),
                static_cast<unsigned long>(code));
    return false;
  }
  return true;
}

bool MeasureSlow(const SlowCase& c, SlowRow& row) {
  row.c = c;
  std::vector<std::unique_ptr<Child>> targets;
  const int programs = c.oneProgram ? 1 : c.n;
  for (int p = 0; p < programs; ++p) {
    targets.push_back(std::make_unique<Child>());
    const int count = c.oneProgram ? c.n : 1;
    if (!StartTargets(*targets.back(), kSlowClass, count, static_cast<size_t>((p + 1) * count)))
      return false;
  }
  Child single;
  if (!StartTargets(single, kSingleClass, 1, 1)) return false;
  const std::vector<HWND> handles = WindowsOfClass(kSlowClass);
  const std::vector<HWND> one = WindowsOfClass(kSingleClass);
  // Parked in the order found, so that every run finds them in the same order.
  const std::vector<HWND> park(handles.rbegin(), handles.rend());
  const std::string folder = Folder();
  const std::string program =
      "\"" + folder + "Quiltmark.exe\" --class " + kSlowClass + " --per-row 4";
  const std::string bare = "\"" + folder + "bare_arrange.exe\" " + kSlowClass + " 4";
  const std::string bareOne = "\"" + folder + "bare_arrange.exe\" " + kSingleClass + " 4";
  std::vector<double> programTimes, floor1Times, floor2Times;
  for (int round = 0; round <= c.rounds; ++round) {
    double ms[2] = {};
    std::vector<RECT> placed[2];
    for (int turn = 0; turn < 4; ++turn) {
      const int which = (turn == 0 || turn == 3) == (round % 2 == 0) ? 0 : 1;
      double once = 0;
      if (!TimeRun(which == 0 ? program : bare, park, once)) return false;
      ms[which] += once / 2;
      placed[which] = Rects(handles);
    }
    if (!SameRects(placed[0], placed[1])) ++row.mismatches;
    double limit = 0;
    if (!TimeRun(bareOne, one, limit)) return false;
    if (round == 0) continue;  // a warm-up
    programTimes.push_back(ms[0]);
    floor1Times.push_back(ms[1]);
    floor2Times.push_back(limit);
  }
  SetSlowRow(row, programTimes, floor1Times, floor2Times);
  return true;
}

}  // namespace

bool MeasureSlowRuns() {
  std::vector<SlowRow> rows;
  bool ok = true;
  for (const SlowCase& c : kSlowCases) {
    SlowRow row;
    if (!MeasureSlow(c, row)) {
      ok = false;
      break;
    }
    rows.push_back(row);
  }
  std::printf(
      "(c) Quiltmark.exe --class %s --per-row 4 over windows that take %lu ms over each new\n"
      "size, process start to exit: medians (ms); floor (1) bare_arrange.exe over the same\n"
      "windows, floor (2) bare_arrange.exe over one such window; per-round ratios\n",
      kSlowClass, static_cast<unsigned long>(kSlowMs));
  PrintSlowRows(rows, "Quiltmark");
  return ok;
}

void RunSlowTargetProgram(const char* className, int count) { RunSlowTargets(className, count); }

}  // namespace bench
