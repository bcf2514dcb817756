// Times the window search and the grid arrangement on N top-level windows of our own:
// (a) through the program's engine, (b) as the same system calls in a bare loop, the
// floor the engine can reach, and (c) the system's own tiling of the same windows;
// then the same over slow windows of other threads.
// It prints figures only; nothing here passes or fails on time.
#include <windows.h>
// <shellapi.h> needs <windows.h> first.
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

#include "app/runtime.h"
#include "bench/bench_support.h"
#include "bench/slow_targets.h"
#include "engine/arrange.h"
#include "engine/search.h"

namespace {

using namespace bench;

constexpr char kClassName[] = "QmBenchWindow";
constexpr char kTitle[] = "bench";
// More rounds where a round is short, so that every ratio comes out as steady.
struct Size {
  int n;
  int rounds;
};
constexpr Size kSizes[] = {{50, 31}, {200, 21}, {1000, 7}};
constexpr int32_t kCellWidth = 200;
constexpr int32_t kCellHeight = 150;

struct Timing {
  double searchMs = 0;
  double arrangeMs = 0;
  double TotalMs() const { return searchMs + arrangeMs; }
};

// (a) The program's own engine, as the arrange button drives it.
Timing RunEngine(int32_t& found, const char* className = kClassName) {
  const int64_t t0 = Now();
  WindowList list;
  FindMatchingWindows(className, nullptr, list);
  const int64_t t1 = Now();
  ArrangeRequest request;
  request.width = kCellWidth;
  request.height = kCellHeight;
  Arrange(list, request, ComputeWorkArea());
  const int64_t t2 = Now();
  found = list.Count();
  return {Milliseconds(t0, t1), Milliseconds(t1, t2)};
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM all) {
  reinterpret_cast<std::vector<HWND>*>(all)->push_back(hwnd);
  return TRUE;
}

// (b) The floor: the same system calls in the same order with nothing in between.
Timing RunFloor(int32_t& found, const wchar_t* upperClass = L"QMBENCHWINDOW") {
  const int64_t t0 = Now();
  // One snapshot of the desktop, then each window's class compared letter case aside.
  std::vector<HWND> all, windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  const int wanted = static_cast<int>(std::wcslen(upperClass));
  for (HWND hwnd : all) {
    wchar_t name[260];
    int n = GetClassNameW(hwnd, name, 260);
    CharUpperBuffW(name, static_cast<DWORD>(n));
    if (n == wanted && std::wmemcmp(name, upperClass, n) == 0) windows.push_back(hwnd);
  }
  const int64_t t1 = Now();

  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  SHAppBarMessage(ABM_GETTASKBARPOS, &bar);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int barWidth = bar.rc.right - bar.rc.left;
  const int barHeight = bar.rc.bottom - bar.rc.top;
  // The screen less the taskbar: a left, top, right or (otherwise) bottom bar.
  int width = screenWidth;
  int x0 = 0;
  int y0 = 0;
  if (bar.rc.left == 0 && bar.rc.top == 0 && barHeight == screenHeight) {
    width -= barWidth;
    x0 = barWidth;
  } else if (bar.rc.left == 0 && bar.rc.top == 0 && barWidth == screenWidth) {
    y0 = barHeight;
  } else if (bar.rc.left != 0) {
    width -= barWidth;
  }
  const int cols = std::max(width / kCellWidth, 1);
  for (size_t i = 0; i < windows.size(); ++i) {
    const int col = static_cast<int>(i) % cols;
    const int row = static_cast<int>(i) / cols;
    ShowWindow(windows[i], SW_SHOWNORMAL);
    SetWindowPos(windows[i], HWND_TOP, x0 + col * kCellWidth, y0 + row * kCellHeight, kCellWidth,
                 kCellHeight, 0);
  }
  const int64_t t2 = Now();
  found = static_cast<int32_t>(windows.size());
  return {Milliseconds(t0, t1), Milliseconds(t1, t2)};
}

// (c) The system's own tiling of the same windows. Null when it did nothing: the
// return value says so, or no window left its parking spot.
bool RunPeer(const std::vector<HWND>& handles, double& ms, WORD& tiled) {
  const std::vector<RECT> before = Rects(handles);
  const int64_t t0 = Now();
  tiled = TileWindows(nullptr, MDITILE_VERTICAL, nullptr, static_cast<UINT>(handles.size()),
                      handles.data());
  const int64_t t1 = Now();
  ms = Milliseconds(t0, t1);
  return tiled != 0 && !SameRects(before, Rects(handles));
}

struct Row {
  int n = 0;
  int rounds = 0;
  Spread ratio;  // of (a) to (b), one per round
  double engineMs = 0, floorMs = 0, peerMs = 0;
  double engineSearchMs = 0, floorSearchMs = 0, engineArrangeMs = 0, floorArrangeMs = 0;
  bool peerWorked = false;
  WORD peerReturn = 0;
  int mismatches = 0;
};

// Creates N windows, measures a warm-up and then the size's rounds of (a), (b) and (c),
// and destroys the windows again. False when the windows could not be made or a search
// did not find all of them.
bool Measure(Size size, Row& row) {
  const int n = size.n;
  Windows windows(n, kClassName, kTitle);
  const std::vector<HWND>& handles = windows.handles();
  if (static_cast<int>(handles.size()) != n) {
    std::printf("could not create %d windows (made %zu)\n", n, handles.size());
    return false;
  }
  row.n = n;
  row.rounds = size.rounds;
  std::vector<double> engineTotal, floorTotal, peer, engineSearch, floorSearch, engineArrange,
      floorArrange;
  bool peerWorked = true;
  // Round 0 is a warm-up: it binds the engine's system functions and maps the windows.
  for (int round = 0; round <= size.rounds; ++round) {
    // Each round runs both twice, as a-b-b-a or b-a-a-b, so that neither always runs
    // on a freshly parked desktop and a drift within the round cancels out; each
    // figure of the round is the mean of its two runs.
    Timing a;
    Timing b;
    std::vector<RECT> placedA;
    std::vector<RECT> placedB;
    for (int turn = 0; turn < 4; ++turn) {
      const bool engine = (turn == 0 || turn == 3) == (round % 2 == 0);
      Park(handles);
      int32_t found = 0;
      const Timing t = engine ? RunEngine(found) : RunFloor(found);
      if (found != n) {
        std::printf("N=%d: %s found %d windows\n", n, engine ? "the engine" : "the bare loop",
                    found);
        return false;
      }
      Timing& sum = engine ? a : b;
      sum.searchMs += t.searchMs / 2;
      sum.arrangeMs += t.arrangeMs / 2;
      (engine ? placedA : placedB) = Rects(handles);
    }
    // Both must have done the same work for the ratio to mean anything.
    if (!SameRects(placedA, placedB)) ++row.mismatches;

    // The system's tiling, as long as it does anything at all.
    if (round == 0 || peerWorked) {
      Park(handles);
      double peerMs = 0;
      peerWorked = RunPeer(handles, peerMs, row.peerReturn) && peerWorked;
      if (round > 0) peer.push_back(peerMs);
    }
    if (round == 0) continue;
    engineTotal.push_back(a.TotalMs());
    floorTotal.push_back(b.TotalMs());
    engineSearch.push_back(a.searchMs);
    floorSearch.push_back(b.searchMs);
    engineArrange.push_back(a.arrangeMs);
    floorArrange.push_back(b.arrangeMs);
  }
  row.ratio = SpreadOf(Ratios(engineTotal, floorTotal));
  row.engineMs = Median(engineTotal);
  row.floorMs = Median(floorTotal);
  row.peerMs = Median(peer);
  row.engineSearchMs = Median(engineSearch);
  row.floorSearchMs = Median(floorSearch);
  row.engineArrangeMs = Median(engineArrange);
  row.floorArrangeMs = Median(floorArrange);
  row.peerWorked = peerWorked;
  PumpMessages();
  return true;
}

void PrintTables(const std::vector<Row>& rows) {
  std::printf(
      "Search + arrange of N windows into %dx%d cells: medians (ms), and the median of the\n"
      "per-round ratios a/b with its interquartile range and the range that holds the\n"
      "median with 95%% confidence\n",
      kCellWidth, kCellHeight);
  std::printf("%6s %7s %12s %12s %12s %s %14s\n", "N", "rounds", "(a) engine", "(b) floor",
              "(c) tile", kRatioHeading, "(a) us/window");
  for (const Row& r : rows) {
    char peer[32];
    if (r.peerWorked)
      std::snprintf(peer, sizeof peer, "%.2f", r.peerMs);
    else
      std::snprintf(peer, sizeof peer, "n/a");
    std::printf("%6d %7d %12.2f %12.2f %12s %s %14.1f\n", r.n, r.rounds, r.engineMs, r.floorMs,
                peer, RatioText(r.ratio).c_str(), r.engineMs * 1000.0 / r.n);
  }
  std::printf("\nParts, median (ms)\n");
  std::printf("%6s %12s %12s %12s %12s\n", "N", "(a) search", "(b) search", "(a) arrange",
              "(b) arrange");
  for (const Row& r : rows)
    std::printf("%6d %12.3f %12.3f %12.2f %12.2f\n", r.n, r.engineSearchMs, r.floorSearchMs,
                r.engineArrangeMs, r.floorArrangeMs);
  for (const Row& r : rows) {
    if (!r.peerWorked)
      std::printf("N=%d: TileWindows returned %u and moved no window: not implemented here\n", r.n,
                  static_cast<unsigned>(r.peerReturn));
    if (r.mismatches)
      std::printf("N=%d: (a) and (b) placed the windows differently in %d rounds\n", r.n,
                  r.mismatches);
  }
}

// ---- Slow windows -----------------------------------------------------------------
// N windows that take 100 ms over each new size, each on a thread of its own (N
// programs, as the arrangement sees them) or all on one thread (one program), against
// floor (1), the bare loop over them, and floor (2), the bare loop over one such
// window: the slowest window alone, which no arrangement can beat.

constexpr char kSlowClass[] = "QmBenchSlow";
constexpr char kSingleClass[] = "QmBenchSlowOne";

struct TargetThread {
  const char* className;
  int count;
};

DWORD WINAPI RunTargetThread(void* parameter) {
  const TargetThread t = *static_cast<TargetThread*>(parameter);
  delete static_cast<TargetThread*>(parameter);
  RunSlowTargets(t.className, t.count);
  return 0;
}

// Threads of slow windows, ended with this object.
class SlowThreads {
 public:
  SlowThreads() = default;
  SlowThreads(const SlowThreads&) = delete;
  SlowThreads& operator=(const SlowThreads&) = delete;
  ~SlowThreads() {
    for (const Thread& t : threads_) PostThreadMessageA(t.id, WM_QUIT, 0, 0);
    for (const Thread& t : threads_) {
      WaitForSingleObject(t.handle, 5000);
      CloseHandle(t.handle);
    }
  }
  // Starts a thread with `count` windows and waits until `total` of the class show.
  bool Start(const char* className, int count, size_t total) {
    DWORD id = 0;
    HANDLE h =
        CreateThread(nullptr, 0, RunTargetThread, new TargetThread{className, count}, 0, &id);
    if (!h) return false;
    threads_.push_back({h, id});
    for (int tries = 0; tries < 400; ++tries, Sleep(25))
      if (WindowsOfClass(className).size() >= total) return true;
    return false;
  }

 private:
  struct Thread {
    HANDLE handle;
    DWORD id;
  };
  std::vector<Thread> threads_;
};

// The other way of moving windows side by side: every move posted into its window's
// thread (SWP_ASYNCWINDOWPOS), then waiting until every window shows its cell.
double RunPosted(const std::vector<HWND>& handles, const std::vector<RECT>& cells) {
  const int64_t t0 = Now();
  for (size_t i = 0; i < handles.size(); ++i) {
    const RECT& r = cells[i];
    ShowWindowAsync(handles[i], SW_SHOWNORMAL);
    SetWindowPos(handles[i], HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_ASYNCWINDOWPOS);
  }
  for (int spins = 0; spins < 20000 && !SameRects(Rects(handles), cells); ++spins) Sleep(1);
  return Milliseconds(t0, Now());
}

// The same moves side by side with nothing of Quiltmark's around them: a bare thread
// for each thread that has windows, moving them in order without activating, then
// every window raised in order and the last activated, which is what the arrangement
// must leave. What the engine takes beyond this is its own; what this takes beyond
// floor (2) is the calls' own cost, one window after another in the display driver.
struct BareLane {
  std::vector<HWND> windows;
  std::vector<RECT> cells;
};

DWORD WINAPI RunBareLane(void* parameter) {
  const BareLane& lane = *static_cast<BareLane*>(parameter);
  for (size_t i = 0; i < lane.windows.size(); ++i) {
    const RECT& r = lane.cells[i];
    ShowWindow(lane.windows[i], SW_SHOWNOACTIVATE);
    SetWindowPos(lane.windows[i], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return 0;
}

double RunBareLanes(const std::vector<HWND>& handles, const std::vector<RECT>& cells) {
  const int64_t t0 = Now();
  std::vector<DWORD> threads;
  std::vector<BareLane> lanes;
  lanes.reserve(handles.size());
  for (size_t i = 0; i < handles.size(); ++i) {
    const DWORD thread = GetWindowThreadProcessId(handles[i], nullptr);
    auto at = std::ranges::find(threads, thread);
    if (at == threads.end()) {
      threads.push_back(thread);
      lanes.emplace_back();
    }
    BareLane& lane =
        lanes[static_cast<size_t>(std::ranges::find(threads, thread) - threads.begin())];
    lane.windows.push_back(handles[i]);
    lane.cells.push_back(cells[i]);
  }
  std::vector<HANDLE> running;
  for (BareLane& lane : lanes)
    if (HANDLE h = CreateThread(nullptr, 0, RunBareLane, &lane, 0, nullptr)) running.push_back(h);
  for (HANDLE h : running) {
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
  }
  for (size_t i = 0; i < handles.size(); ++i)
    SetWindowPos(handles[i], HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | (i + 1 < handles.size() ? SWP_NOACTIVATE : 0));
  return Milliseconds(t0, Now());
}

bool MeasureSlow(const SlowCase& c, SlowRow& row) {
  row.c = c;
  SlowThreads threads;
  const int count = c.oneProgram ? c.n : 1;
  for (int t = 0; t < (c.oneProgram ? 1 : c.n); ++t)
    if (!threads.Start(kSlowClass, count, static_cast<size_t>((t + 1) * count))) return false;
  if (!threads.Start(kSingleClass, 1, 1)) return false;
  const std::vector<HWND> handles = WindowsOfClass(kSlowClass);
  const std::vector<HWND> park(handles.rbegin(), handles.rend());
  const std::vector<HWND> one = WindowsOfClass(kSingleClass);
  std::vector<double> engine, floor1, floor2, posted, bare;
  for (int round = 0; round <= c.rounds; ++round) {
    double ms[2] = {};
    std::vector<RECT> placed[2];
    for (int turn = 0; turn < 4; ++turn) {
      const int which = (turn == 0 || turn == 3) == (round % 2 == 0) ? 0 : 1;
      ParkSlow(park);
      int32_t found = 0;
      const Timing t = which == 0 ? RunEngine(found, kSlowClass) : RunFloor(found, L"QMBENCHSLOW");
      if (found != c.n) {
        std::printf("%s N=%d: found %d windows\n", c.name, c.n, found);
        return false;
      }
      ms[which] += t.TotalMs() / 2;
      placed[which] = Rects(handles);
    }
    if (!SameRects(placed[0], placed[1])) ++row.mismatches;
    ParkSlow(one);
    int32_t found = 0;
    const double limit = RunFloor(found, L"QMBENCHSLOWONE").TotalMs();
    ParkSlow(park);
    const double post = RunPosted(handles, placed[1]);
    ParkSlow(park);
    const double lanes = RunBareLanes(handles, placed[1]);
    if (round == 0) continue;  // a warm-up
    posted.push_back(post);
    bare.push_back(lanes);
    engine.push_back(ms[0]);
    floor1.push_back(ms[1]);
    floor2.push_back(limit);
  }
  SetSlowRow(row, engine, floor1, floor2);
  row.postedMs = Median(posted);
  row.bareLanesMs = Median(bare);
  row.toBareLanes = SpreadOf(Ratios(engine, bare));
  PumpMessages();
  return true;
}

void PrintSlow(const std::vector<SlowRow>& rows) {
  std::printf(
      "\nSearch + arrange of N windows that take %lu ms over each new size, into %dx%d\n"
      "cells: medians (ms); floor (1) the bare loop over them, floor (2) the bare loop over\n"
      "one such window, and the moves posted into the windows' threads until all have landed;\n"
      "per-round ratios\n",
      static_cast<unsigned long>(kSlowMs), kCellWidth, kCellHeight);
  PrintSlowRows(rows, "engine");
}

}  // namespace

int main(int argc, char** argv) {
  InitializeRuntime();
  const bool slowOnly = argc > 1 && std::strcmp(argv[1], "--slow") == 0;
  int rc = 0;
  if (!slowOnly) {
    WindowClass windowClass(kClassName, DefWindowProcA);
    if (!windowClass.registered()) {
      std::printf("could not register the window class %s\n", kClassName);
      rc = 1;
    } else {
      std::vector<Row> rows;
      for (Size size : kSizes) {
        Row row;
        if (!Measure(size, row)) {
          rc = 1;
          break;
        }
        rows.push_back(row);
      }
      PrintTables(rows);
    }
    PumpMessages();
  }
  {
    std::vector<SlowRow> rows;
    for (const SlowCase& c : kSlowCases) {
      SlowRow row;
      if (!MeasureSlow(c, row)) {
        rc = 1;
        break;
      }
      rows.push_back(row);
    }
    PrintSlow(rows);
  }
  // Every window of ours is gone again.
  if (FindWindowExA(nullptr, nullptr, kClassName, nullptr)) {
    std::printf("windows of %s were left behind\n", kClassName);
    rc = 1;
  }
  ShutdownRuntime(rc);
  std::fflush(stdout);
  return rc;
}
