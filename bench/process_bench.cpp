// Times Quiltmark as a whole process against bare programs that make only the calls
// the same job needs:
// (a) `Quiltmark.exe --class C --per-row 4` over N windows of this program, from
//     CreateProcess to the process's end, against bare_arrange.exe;
// (b) `Quiltmark.exe` with no arguments, from CreateProcess to the first paint of its
//     window on the screen, against two floors: bare_controls.exe, the same window with
//     the same controls and nothing else, and bare_window.exe, an empty window of the
//     same outer size; then where Quiltmark's start-up time goes, from the stamps it
//     writes when QM_STARTUP_PHASES names a file;
// (c) the same run over slow windows of other programs (process_slow.cpp).
// Every ratio is the median of ratios taken within one round, with its interquartile
// range. It prints figures only; nothing here passes or fails on time.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/process_support.h"

namespace {

using namespace bench;

constexpr char kClassName[] = "QmRunTarget";
constexpr char kTitle[] = "target";
// More rounds where a run is short, so that every ratio comes out as steady.
struct Size {
  int n;
  int rounds;
};
constexpr Size kSizes[] = {{50, 15}, {200, 7}};
constexpr int kPerRow = 4;
constexpr int kStartRounds = 21;
constexpr int kPhaseRounds = 15;

// The outer size of Quiltmark's main window, which bare_window.exe copies.
constexpr int kWindowWidth = 312;
constexpr int kWindowHeight = 389;
constexpr DWORD kPaintTimeoutMs = 20000;

// ---- where Quiltmark's time goes ----------------------------------------------------

// One phase of the start-up: its name and its length in each round.
struct Phase {
  std::string name;
  std::vector<double> ms;
  bool afterPaint = false;  // work the program leaves until its window is on the screen
};

constexpr char kPaintStamp[] = "first paint";

// Reads the stamps one start wrote: a frequency line, then "name<TAB>count" lines in
// the order taken. Each phase lasts from the stamp before to its own; the first from
// CreateProcess (`started`) to the program's entry. Last, `endName`, from the stamp
// `lastStamp` to `ended` (for a start, the moment the screen showed the window, which
// comes out below zero when its queue held something more than the paint).
bool AddPhases(const std::string& file, int64_t started, const char* lastStamp, int64_t ended,
               const char* endName, std::vector<Phase>& phases) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::string text(8192, '\0');
  DWORD got = 0;
  const bool read = ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(h);
  DeleteFileA(file.c_str());
  if (!read) return false;
  text.resize(got);
  LARGE_INTEGER mine;
  QueryPerformanceFrequency(&mine);
  double frequency = 0;
  int64_t last = started;
  int64_t painted = 0;
  size_t index = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    const std::string name = line.substr(0, tab);
    const int64_t value = std::strtoll(line.c_str() + tab + 1, nullptr, 10);
    if (name == "frequency") {
      frequency = static_cast<double>(value);
      // Both sides must read the same counter for the stamps to mean anything here.
      if (value != mine.QuadPart) return false;
      continue;
    }
    if (frequency <= 0) return false;
    const std::string phase = name == "entry" ? "process start to entry" : name;
    if (index == phases.size()) phases.push_back({phase, {}, painted != 0});
    if (phases[index].name != phase) return false;
    phases[index++].ms.push_back(Milliseconds(last, value));
    last = value;
    if (name == lastStamp) painted = value;
  }
  if (!painted) return false;
  if (index == phases.size()) phases.push_back({endName, {}, true});
  phases[index++].ms.push_back(Milliseconds(painted, ended));
  return index == phases.size();
}

// The stamps of one program over its rounds.
struct PhaseTable {
  std::vector<Phase> phases;
  std::vector<double> totals;  // start to the first paint, as the screen showed it
};

// Where the stamps go while a benchmark asks for them.
std::string PhaseFile() {
  char folder[MAX_PATH] = {};
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "qm-startup-phases.txt";
}

// ---- (a) a whole run over N windows ------------------------------------------------

// Any size is allowed, so that even short cells land exactly as placed.
LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {1, 1};
    info->ptMaxTrackSize = {10000, 10000};
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

struct RunRow {
  int n = 0;
  int rounds = 0;
  Spread ratio;
  double programMs = 0, bareMs = 0;
  double programMin = 0, programMax = 0, bareMin = 0, bareMax = 0;
  int mismatches = 0;
  std::vector<Phase> phases[2];  // where Quiltmark's run goes, and the bare program's
};

// How the stamped runs went: a program that failed fails the benchmark; stamps that
// cannot be read only leave the size out of the phase table.
enum class Stamped { kRead, kUnreadable, kRunFailed };

// Runs both programs over the parked windows with their stamps asked for, taking
// turns, in runs of their own.
Stamped MeasureRunPhases(const std::vector<HWND>& handles, const std::string* programs,
                         std::vector<Phase>* phases) {
  const std::string file = PhaseFile();
  SetEnvironmentVariableA("QM_STARTUP_PHASES", file.c_str());
  bool ok = true;
  for (int run = 0; ok && run < 2 * kPhaseRounds; ++run) {
    const int which = (run + run / 2) % 2;
    Park(handles);
    DeleteFileA(file.c_str());
    double ms = 0;
    DWORD code = 0;
    int64_t ended = 0;
    const int64_t started = Now();
    if (!RunToExit(programs[which], ms, code, &ended) || code != 0) {
      SetEnvironmentVariableA("QM_STARTUP_PHASES", nullptr);
      std::printf("N=%zu: %s ended with %lu in a stamped run\n", handles.size(),
                  programs[which].c_str(), static_cast<unsigned long>(code));
      return Stamped::kRunFailed;
    }
    ok = AddPhases(file, started, "report", ended, "shutdown, process end", phases[which]);
  }
  SetEnvironmentVariableA("QM_STARTUP_PHASES", nullptr);
  if (ok) return Stamped::kRead;
  std::printf("N=%zu: a run wrote no readable stamps to %s\n", handles.size(), file.c_str());
  return Stamped::kUnreadable;
}

// Creates N windows, runs a warm-up round and then the size's rounds of both programs,
// taking turns at going first. False when a run failed or moved nothing.
bool MeasureRun(Size size, RunRow& row) {
  const int n = size.n;
  Windows windows(n, kClassName, kTitle);
  const std::vector<HWND>& handles = windows.handles();
  if (static_cast<int>(handles.size()) != n) {
    std::printf("could not create %d windows (made %zu)\n", n, handles.size());
    return false;
  }
  const std::string folder = Folder();
  const std::string args = std::string(" --class ") + kClassName + " --per-row ";
  const std::string program = "\"" + folder + "Quiltmark.exe\"" + args + std::to_string(kPerRow);
  const std::string bare =
      "\"" + folder + "bare_arrange.exe\" " + kClassName + " " + std::to_string(kPerRow);
  Park(handles);
  const std::vector<RECT> parked = Rects(handles);

  row.n = n;
  row.rounds = size.rounds;
  std::vector<double> programTimes, bareTimes;
  // Round 0 is a warm-up: it brings both programs' files into the cache.
  for (int round = 0; round <= size.rounds; ++round) {
    // Both run twice, as a-b-b-a or b-a-a-b, so that neither always runs on a freshly
    // parked desktop and a drift within the round cancels out; each figure of the
    // round is the mean of its two runs.
    double ms[2] = {};
    std::vector<RECT> placed[2];
    for (int turn = 0; turn < 4; ++turn) {
      const int which = (turn == 0 || turn == 3) == (round % 2 == 0) ? 0 : 1;
      Park(handles);
      DWORD code = 0;
      double once = 0;
      if (!RunToExit(which == 0 ? program : bare, once, code)) {
        std::printf("N=%d: %s did not run to its end\n", n,
                    which == 0 ? "Quiltmark.exe" : "bare_arrange.exe");
        return false;
      }
      if (code != 0) {
        std::printf("N=%d: %s ended with %lu\n", n,
                    which == 0 ? "Quiltmark.exe" : "bare_arrange.exe",
                    static_cast<unsigned long>(code));
        return false;
      }
      ms[which] += once / 2;
      placed[which] = Rects(handles);
    }
    if (SameRects(placed[0], parked) || SameRects(placed[1], parked)) {
      std::printf("N=%d: a run left every window where it was parked\n", n);
      return false;
    }
    // Both must have done the same work for the ratio to mean anything.
    if (!SameRects(placed[0], placed[1])) ++row.mismatches;
    if (round == 0) continue;
    programTimes.push_back(ms[0]);
    bareTimes.push_back(ms[1]);
  }
  row.ratio = SpreadOf(Ratios(programTimes, bareTimes));
  row.programMs = Median(programTimes);
  row.bareMs = Median(bareTimes);
  row.programMin = *std::min_element(programTimes.begin(), programTimes.end());
  row.programMax = *std::max_element(programTimes.begin(), programTimes.end());
  row.bareMin = *std::min_element(bareTimes.begin(), bareTimes.end());
  row.bareMax = *std::max_element(bareTimes.begin(), bareTimes.end());
  PumpMessages();
  // The timings stand without the stamps: the phase table then leaves this size out.
  const std::string both[2] = {program, bare};
  const Stamped stamped = MeasureRunPhases(handles, both, row.phases);
  if (stamped == Stamped::kUnreadable)
    for (std::vector<Phase>& p : row.phases) p.clear();
  return stamped != Stamped::kRunFailed;
}

// ---- (b) start-up to the first paint -------------------------------------------------

// Copies of one screen rectangle, read through the screen's device context: what the
// X server shows, whichever process drew it.
class ScreenGrab {
 public:
  explicit ScreenGrab(const RECT& r) : rect_(r) {
    screen_ = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Width();
    info.bmiHeader.biHeight = -Height();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~ScreenGrab() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    ReleaseDC(nullptr, screen_);
  }
  ScreenGrab(const ScreenGrab&) = delete;
  ScreenGrab& operator=(const ScreenGrab&) = delete;

  bool ok() const { return bits_ != nullptr; }
  std::vector<uint32_t> Take() {
    Read();
    return std::vector<uint32_t>(bits_, bits_ + Width() * Height());
  }
  // Whether every pixel at `points` now shows what `want` holds there.
  bool Shows(const std::vector<uint32_t>& want, const std::vector<size_t>& points) {
    Read();
    for (size_t i : points)
      if ((bits_[i] & 0xFFFFFF) != (want[i] & 0xFFFFFF)) return false;
    return true;
  }

 private:
  int Width() const { return rect_.right - rect_.left; }
  int Height() const { return rect_.bottom - rect_.top; }
  void Read() {
    BitBlt(dc_, 0, 0, Width(), Height(), screen_, rect_.left, rect_.top, SRCCOPY);
    GdiFlush();
  }

  RECT rect_;
  HDC screen_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  const uint32_t* bits_ = nullptr;
};

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchVisibleWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->processId || !IsWindowVisible(hwnd)) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The visible top-level window of a process, waiting for it up to `ms`.
HWND WindowOf(const Child& child, DWORD ms) {
  for (DWORD waited = 0;; waited += 10) {
    WindowSearch search{child.id(), nullptr};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= ms || child.Ended()) return search.found;
    Sleep(10);
  }
}

// Closes the window as a person does and waits for the program to end.
bool CloseAndWait(const Child& child, HWND hwnd, DWORD& exitCode) {
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(child.process(), 10000) != WAIT_OBJECT_0) return false;
  exitCode = child.ExitCode();
  return true;
}

// What a program's window looks like once it has settled, and which pixels tell it
// apart from the empty screen: those that differ from the screen without the window
// and hold still while the window idles (a blinking caret does not).
// The row of the caption with the most telling pixels is watched first: it is drawn
// as the window is shown, and reading one row costs the X server next to nothing,
// where reading the whole window every millisecond would take a processor from the
// program being timed.
struct Reference {
  std::vector<uint32_t> image;
  std::vector<size_t> points;
  RECT strip{};
  std::vector<uint32_t> stripImage;
  std::vector<size_t> stripPoints;
};

constexpr int kCaptionRows = 30;

struct PaintTiming {
  int64_t started = 0;  // the counter just before CreateProcess
  int64_t shown = 0;    // the counter when the screen first showed the settled window
  double paintMs = 0;
  double idleMs = 0;  // WaitForInputIdle, for comparison; negative when it never came
};

struct StartProgram {
  const char* name;
  std::string line;
  Reference reference;
  std::vector<double> paint, idle;
  int idleMissing = 0;
};

// Starts the program once, lets its window settle and takes the reference.
bool TakeReference(StartProgram& p, ScreenGrab& grab, const RECT& expected) {
  const std::vector<uint32_t> empty = grab.Take();
  Child child;
  if (!child.Start(p.line)) {
    std::printf("could not start %s\n", p.name);
    return false;
  }
  HWND hwnd = WindowOf(child, kPaintTimeoutMs);
  if (!hwnd) {
    std::printf("%s showed no window\n", p.name);
    return false;
  }
  RECT r;
  GetWindowRect(hwnd, &r);
  if (!EqualRect(&r, &expected)) {
    std::printf("%s's window is at %ld,%ld-%ld,%ld, not %ld,%ld-%ld,%ld\n", p.name, r.left, r.top,
                r.right, r.bottom, expected.left, expected.top, expected.right, expected.bottom);
    return false;
  }
  Sleep(1500);
  p.reference.image = grab.Take();
  Sleep(500);
  const std::vector<uint32_t> later = grab.Take();
  DWORD code = 0;
  if (!CloseAndWait(child, hwnd, code)) {
    std::printf("%s did not end on WM_CLOSE\n", p.name);
    return false;
  }
  p.reference.points.clear();
  for (size_t i = 0; i < empty.size(); ++i)
    if (p.reference.image[i] == later[i] &&
        (p.reference.image[i] & 0xFFFFFF) != (empty[i] & 0xFFFFFF))
      p.reference.points.push_back(i);
  if (p.reference.points.size() < empty.size() / 4) {
    std::printf("%s: only %zu of %zu pixels tell its window from the empty screen\n", p.name,
                p.reference.points.size(), empty.size());
    return false;
  }
  const size_t width = static_cast<size_t>(expected.right - expected.left);
  std::vector<size_t> perRow(kCaptionRows);
  for (size_t i : p.reference.points)
    if (i / width < perRow.size()) ++perRow[i / width];
  const size_t row =
      static_cast<size_t>(std::max_element(perRow.begin(), perRow.end()) - perRow.begin());
  p.reference.strip = {expected.left, expected.top + static_cast<LONG>(row), expected.right,
                       expected.top + static_cast<LONG>(row) + 1};
  p.reference.stripImage.assign(p.reference.image.begin() + row * width,
                                p.reference.image.begin() + (row + 1) * width);
  p.reference.stripPoints.clear();
  for (size_t i : p.reference.points)
    if (i / width == row) p.reference.stripPoints.push_back(i % width);
  return true;
}

// Waits until the window's place shows the empty screen again, as it did before.
void WaitForEmptyScreen(ScreenGrab& grab, const std::vector<uint32_t>& empty) {
  std::vector<size_t> all(empty.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  for (int i = 0; i < 200 && !grab.Shows(empty, all); ++i) Sleep(10);
  Sleep(100);
}

// One start: from CreateProcess until every telling pixel shows the reference, polled
// about once a millisecond (the caption row until it shows, then the whole window);
// then closed with WM_CLOSE and waited for.
bool TimeStart(StartProgram& p, ScreenGrab& grab, PaintTiming& t) {
  ScreenGrab strip(p.reference.strip);
  bool framed = false;
  Child child;
  t.started = Now();
  if (!child.Start(p.line)) {
    std::printf("could not start %s (error %lu)\n", p.name, GetLastError());
    return false;
  }
  int64_t idleAt = 0;
  for (;;) {
    if (!idleAt && WaitForInputIdle(child.process(), 0) == 0) idleAt = Now();
    if (!framed) framed = strip.Shows(p.reference.stripImage, p.reference.stripPoints);
    if (framed && grab.Shows(p.reference.image, p.reference.points)) break;
    if (child.Ended() || Milliseconds(t.started, Now()) > kPaintTimeoutMs) {
      std::printf("%s: its window never showed as it settles\n", p.name);
      return false;
    }
    Sleep(1);
  }
  t.shown = Now();
  if (!idleAt && WaitForInputIdle(child.process(), 5000) == 0) idleAt = Now();
  t.paintMs = Milliseconds(t.started, t.shown);
  t.idleMs = idleAt ? Milliseconds(t.started, idleAt) : -1;
  HWND hwnd = WindowOf(child, 5000);
  DWORD code = 0;
  if (!hwnd || !CloseAndWait(child, hwnd, code) || code != 0) {
    std::printf("%s did not close cleanly (exit code %lu)\n", p.name,
                static_cast<unsigned long>(code));
    return false;
  }
  return true;
}

// Starts Quiltmark and the same-controls floor with their stamps asked for, taking
// turns, in rounds of their own: the timed rounds run both exactly as a person does.
bool MeasurePhases(StartProgram* programs, ScreenGrab& grab, const std::vector<uint32_t>& empty,
                   PhaseTable* tables) {
  const std::string file = PhaseFile();
  SetEnvironmentVariableA("QM_STARTUP_PHASES", file.c_str());
  bool ok = true;
  for (int round = 0; ok && round <= kPhaseRounds; ++round) {
    for (int turn = 0; ok && turn < 2; ++turn) {
      const int which = (turn + round) % 2;
      DeleteFileA(file.c_str());
      PaintTiming t;
      ok = TimeStart(programs[which], grab, t);
      WaitForEmptyScreen(grab, empty);
      if (!ok || round == 0) continue;
      tables[which].totals.push_back(t.paintMs);
      if (!AddPhases(file, t.started, kPaintStamp, t.shown, "screen shows it, from first paint",
                     tables[which].phases)) {
        std::printf("%s wrote no readable start-up stamps to %s\n", programs[which].name,
                    file.c_str());
        ok = false;
      }
    }
  }
  SetEnvironmentVariableA("QM_STARTUP_PHASES", nullptr);
  return ok;
}

// ---- (b) start-up to the first paint -------------------------------------------------

constexpr int kStartPrograms = 3;  // Quiltmark, the same controls, the empty window

struct StartFigures {
  StartProgram programs[kStartPrograms];
  size_t unlikeQuiltmark[kStartPrograms] = {};  // settled pixels unlike Quiltmark's
  PhaseTable phases[2];                         // Quiltmark's and the same-controls floor's
};

bool MeasureStart(StartFigures& f) {
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  const RECT expected{left, top, left + kWindowWidth, top + kWindowHeight};
  ScreenGrab grab(expected);
  if (!grab.ok()) {
    std::printf("could not read the screen\n");
    return false;
  }
  const std::vector<uint32_t> empty = grab.Take();
  for (StartProgram& p : f.programs) {
    if (!TakeReference(p, grab, expected)) return false;
    WaitForEmptyScreen(grab, empty);
  }
  for (int i = 0; i < kStartPrograms; ++i) {
    const std::vector<uint32_t>& a = f.programs[0].reference.image;
    const std::vector<uint32_t>& b = f.programs[i].reference.image;
    for (size_t k = 0; k < a.size(); ++k)
      if ((a[k] & 0xFFFFFF) != (b[k] & 0xFFFFFF)) ++f.unlikeQuiltmark[i];
  }
  // Round 0 is a warm-up, as in (a). Each round starts the programs in another order.
  for (int round = 0; round <= kStartRounds; ++round) {
    for (int turn = 0; turn < kStartPrograms; ++turn) {
      StartProgram& p = f.programs[(turn + round) % kStartPrograms];
      PaintTiming t;
      if (!TimeStart(p, grab, t)) return false;
      WaitForEmptyScreen(grab, empty);
      if (round == 0) continue;
      p.paint.push_back(t.paintMs);
      if (t.idleMs >= 0)
        p.idle.push_back(t.idleMs);
      else
        ++p.idleMissing;
    }
  }
  return MeasurePhases(f.programs, grab, empty, f.phases);
}

// ---- figures -------------------------------------------------------------------------

void PrintRun(const std::vector<RunRow>& rows) {
  std::printf(
      "(a) Quiltmark.exe --class %s --per-row %d, process start to exit: medians (ms), and\n"
      "the median of the per-round ratios with its interquartile range and the range that\n"
      "holds the median with 95%% confidence\n",
      kClassName, kPerRow);
  std::printf("%6s %7s %12s %12s %s %16s %16s\n", "N", "rounds", "Quiltmark", "bare", kRatioHeading,
              "Quiltmark range", "bare range");
  for (const RunRow& r : rows)
    std::printf("%6d %7d %12.1f %12.1f %s %7.1f-%-8.1f %7.1f-%-8.1f\n", r.n, r.rounds, r.programMs,
                r.bareMs, RatioText(r.ratio).c_str(), r.programMin, r.programMax, r.bareMin,
                r.bareMax);
  for (const RunRow& r : rows) {
    if (r.phases[0].empty()) {
      std::printf("N=%d: no phases, a stamped run failed\n", r.n);
      continue;
    }
    std::printf(
        "Where the run goes at N=%d, %d runs of each with QM_STARTUP_PHASES set, taking\n"
        "turns: each phase from the stamp before, medians (ms), Quiltmark's with its\n"
        "interquartile range; '-' where the bare program has no such phase\n",
        r.n, kPhaseRounds);
    for (const Phase& phase : r.phases[0]) {
      const Spread s = SpreadOf(phase.ms);
      char bare[32] = "-";
      for (const Phase& b : r.phases[1])
        if (b.name == phase.name) std::snprintf(bare, sizeof bare, "%.2f", SpreadOf(b.ms).median);
      std::printf("  %-32s %9.2f %8.2f-%-8.2f %9s\n", phase.name.c_str(), s.median, s.q1, s.q3,
                  bare);
    }
  }
  for (const RunRow& r : rows)
    if (r.mismatches)
      std::printf("N=%d: the two programs placed the windows differently in %d rounds\n", r.n,
                  r.mismatches);
}

void PrintStart(const StartFigures& f) {
  std::printf(
      "\n(b) Start to the first paint of a %dx%d window, %d rounds: medians (ms), and the\n"
      "median of the per-round ratios of Quiltmark.exe to each program with its\n"
      "interquartile range and the range that holds the median with 95%% confidence\n",
      kWindowWidth, kWindowHeight, kStartRounds);
  std::printf("%-18s %9s %11s %s %9s %10s\n", "", "paint", "input idle", kRatioHeading, "checked",
              "unlike Q");
  for (int i = 0; i < kStartPrograms; ++i) {
    const StartProgram& p = f.programs[i];
    const std::string ratio =
        i > 0 ? RatioText(SpreadOf(Ratios(f.programs[0].paint, p.paint))) : "       -";
    std::printf("%-18s %9.1f %11.1f %-40s %9zu %10zu\n", p.name, Median(p.paint), Median(p.idle),
                ratio.c_str(), p.reference.points.size(), f.unlikeQuiltmark[i]);
  }
  for (const StartProgram& p : f.programs)
    if (p.idleMissing)
      std::printf("%s: WaitForInputIdle never returned in %d rounds\n", p.name, p.idleMissing);

  std::printf(
      "\nWhere the start-up goes, %d starts of each with QM_STARTUP_PHASES set, taking turns:\n"
      "each phase from the stamp before, medians (ms), Quiltmark's with its interquartile\n"
      "range; '-' where a program has no such phase\n",
      kPhaseRounds);
  std::printf("%-34s %10s %17s %14s\n", "phase", "Quiltmark", "Quiltmark IQR", "same controls");
  const PhaseTable& mine = f.phases[0];
  const PhaseTable& floor = f.phases[1];
  auto floorMedian = [&](const std::string& name, char* out, size_t size) {
    std::snprintf(out, size, "-");
    for (const Phase& p : floor.phases)
      if (p.name == name) std::snprintf(out, size, "%.2f", SpreadOf(p.ms).median);
  };
  auto sumToPaint = [](const PhaseTable& t) {
    double sum = 0;
    for (const Phase& p : t.phases)
      if (!p.afterPaint) sum += SpreadOf(p.ms).median;
    return sum;
  };
  bool after = false;
  for (const Phase& phase : mine.phases) {
    if (phase.afterPaint && !after) {
      after = true;
      std::printf("%-34s %10.2f %17s %14.2f\n", "sum of the medians", sumToPaint(mine), "",
                  sumToPaint(floor));
      const Spread a = SpreadOf(mine.totals), b = SpreadOf(floor.totals);
      std::printf("%-34s %10.2f %8.2f-%-8.2f %14.2f\nafter the first paint:\n",
                  "start to first paint, seen", a.median, a.q1, a.q3, b.median);
    }
    const Spread s = SpreadOf(phase.ms);
    char other[32];
    floorMedian(phase.name, other, sizeof other);
    std::printf("%-34s %10.2f %8.2f-%-8.2f %14s\n", phase.name.c_str(), s.median, s.q1, s.q3,
                other);
  }
  for (const Phase& p : floor.phases) {
    bool shared = false;
    for (const Phase& q : mine.phases) shared = shared || q.name == p.name;
    if (!shared)
      std::printf("%-34s %10s %17s %14.2f\n", p.name.c_str(), "-", "", SpreadOf(p.ms).median);
  }
}

}  // namespace

// With --run or --start, only (a) or only (b), for working on one of them.
int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--slow-target") == 0) {
    RunSlowTargetProgram(argv[2], std::atoi(argv[3]));
    return 0;
  }
  const bool runOnly = argc > 1 && std::strcmp(argv[1], "--run") == 0;
  const bool startOnly = argc > 1 && std::strcmp(argv[1], "--start") == 0;
  const bool slowOnly = argc > 1 && std::strcmp(argv[1], "--slow") == 0;
  int rc = 0;
  if (!startOnly && !slowOnly) {
    WindowClass targetClass(kClassName, TargetProc);
    if (!targetClass.registered()) {
      std::printf("could not register the window class %s\n", kClassName);
      rc = 1;
    } else {
      std::vector<RunRow> rows;
      for (Size size : kSizes) {
        RunRow row;
        if (!MeasureRun(size, row)) {
          rc = 1;
          break;
        }
        rows.push_back(row);
      }
      PrintRun(rows);
    }
    PumpMessages();
  }
  std::fflush(stdout);
  if (!startOnly && !MeasureSlowRuns()) rc = 1;
  std::fflush(stdout);
  if (runOnly || slowOnly) return rc;

  const std::string folder = Folder();
  StartFigures figures = {{{"Quiltmark.exe", "\"" + folder + "Quiltmark.exe\"", {}, {}, {}, 0},
                           {"same controls", "\"" + folder + "bare_controls.exe\"", {}, {}, {}, 0},
                           {"empty window", "\"" + folder + "bare_window.exe\"", {}, {}, {}, 0}},
                          {},
                          {}};
  if (MeasureStart(figures))
    PrintStart(figures);
  else
    rc = 1;
  std::fflush(stdout);
  return rc;
}
