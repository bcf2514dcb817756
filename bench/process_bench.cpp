// Times Quiltmark as a whole process against bare programs that make only the calls
// the same job needs:
// (a) `Quiltmark.exe --class C --per-row 4` over N windows of this program, from
//     CreateProcess to the process's end, against bare_arrange.exe;
// (b) `Quiltmark.exe` with no arguments, from CreateProcess to the first paint of its
//     window on the screen, against bare_window.exe, a window of the same outer size.
// It prints figures only; nothing here passes or fails on time.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

using namespace bench;

constexpr char kClassName[] = "QmRunTarget";
constexpr char kTitle[] = "target";
constexpr int kCounts[] = {50, 200};
constexpr int kPerRow = 4;
constexpr int kRounds = 7;
constexpr DWORD kRunTimeoutMs = 60000;

// The outer size of Quiltmark's main window, which bare_window.exe copies.
constexpr int kWindowWidth = 312;
constexpr int kWindowHeight = 389;
constexpr DWORD kPaintTimeoutMs = 20000;

// The folder of this program, where the build puts Quiltmark.exe and the bare programs.
std::string Folder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  if (char* slash = std::strrchr(path, '\\')) slash[1] = '\0';
  return path;
}

// One started program; ended by force if it is still running when this goes.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }

  bool Start(std::string line) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi_) != 0;
  }
  HANDLE process() const { return pi_.hProcess; }
  DWORD id() const { return pi_.dwProcessId; }
  bool Ended() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

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

// Starts a program and times it to its end. The targets live on this thread, so it
// keeps answering their messages meanwhile: the program moves them with calls that
// wait for this thread.
bool RunToExit(const std::string& line, double& ms, DWORD& exitCode) {
  Child child;
  const int64_t t0 = Now();
  if (!child.Start(line)) {
    std::printf("could not start %s (error %lu)\n", line.c_str(), GetLastError());
    return false;
  }
  HANDLE process = child.process();
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, kRunTimeoutMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r != WAIT_OBJECT_0 + 1) return false;
    PumpMessages();
  }
  ms = Milliseconds(t0, Now());
  exitCode = child.ExitCode();
  PumpMessages();
  return true;
}

struct RunRow {
  int n = 0;
  double programMs = 0, bareMs = 0;
  double programMin = 0, programMax = 0, bareMin = 0, bareMax = 0;
  int mismatches = 0;
};

// Creates N windows, runs a warm-up round and then kRounds rounds of both programs,
// taking turns at going first. False when a run failed or moved nothing.
bool MeasureRun(int n, RunRow& row) {
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
  std::vector<double> programTimes, bareTimes;
  // Round 0 is a warm-up: it brings both programs' files into the cache.
  for (int round = 0; round <= kRounds; ++round) {
    double ms[2] = {};
    std::vector<RECT> placed[2];
    for (int turn = 0; turn < 2; ++turn) {
      // Alternate which goes first, so neither always runs on a freshly parked desktop.
      const int which = (turn == 0) == (round % 2 == 0) ? 0 : 1;
      Park(handles);
      DWORD code = 0;
      if (!RunToExit(which == 0 ? program : bare, ms[which], code)) {
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
  row.programMs = Median(programTimes);
  row.bareMs = Median(bareTimes);
  row.programMin = *std::min_element(programTimes.begin(), programTimes.end());
  row.programMax = *std::max_element(programTimes.begin(), programTimes.end());
  row.bareMin = *std::min_element(bareTimes.begin(), bareTimes.end());
  row.bareMax = *std::max_element(bareTimes.begin(), bareTimes.end());
  PumpMessages();
  return true;
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
struct Reference {
  std::vector<uint32_t> image;
  std::vector<size_t> points;
};

struct PaintTiming {
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
// about once a millisecond; then closed with WM_CLOSE and waited for.
bool TimeStart(StartProgram& p, ScreenGrab& grab, PaintTiming& t) {
  Child child;
  const int64_t t0 = Now();
  if (!child.Start(p.line)) {
    std::printf("could not start %s (error %lu)\n", p.name, GetLastError());
    return false;
  }
  int64_t idleAt = 0;
  for (;;) {
    if (!idleAt && WaitForInputIdle(child.process(), 0) == 0) idleAt = Now();
    if (grab.Shows(p.reference.image, p.reference.points)) break;
    if (child.Ended() || Milliseconds(t0, Now()) > kPaintTimeoutMs) {
      std::printf("%s: its window never showed as it settles\n", p.name);
      return false;
    }
    Sleep(1);
  }
  const int64_t paintAt = Now();
  if (!idleAt && WaitForInputIdle(child.process(), 5000) == 0) idleAt = Now();
  t.paintMs = Milliseconds(t0, paintAt);
  t.idleMs = idleAt ? Milliseconds(t0, idleAt) : -1;
  HWND hwnd = WindowOf(child, 5000);
  DWORD code = 0;
  if (!hwnd || !CloseAndWait(child, hwnd, code) || code != 0) {
    std::printf("%s did not close cleanly (exit code %lu)\n", p.name,
                static_cast<unsigned long>(code));
    return false;
  }
  return true;
}

bool MeasureStart(StartProgram (&programs)[2]) {
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  const RECT expected{left, top, left + kWindowWidth, top + kWindowHeight};
  ScreenGrab grab(expected);
  if (!grab.ok()) {
    std::printf("could not read the screen\n");
    return false;
  }
  const std::vector<uint32_t> empty = grab.Take();
  for (StartProgram& p : programs) {
    if (!TakeReference(p, grab, expected)) return false;
    WaitForEmptyScreen(grab, empty);
  }
  // Round 0 is a warm-up, as in (a).
  for (int round = 0; round <= kRounds; ++round) {
    for (int turn = 0; turn < 2; ++turn) {
      StartProgram& p = programs[(turn == 0) == (round % 2 == 0) ? 0 : 1];
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
  return true;
}

// ---- figures -------------------------------------------------------------------------

void PrintRun(const std::vector<RunRow>& rows) {
  std::printf(
      "(a) Quiltmark.exe --class %s --per-row %d, process start to exit, median of %d "
      "rounds (ms)\n",
      kClassName, kPerRow, kRounds);
  std::printf("%6s %14s %14s %8s %16s %16s\n", "N", "Quiltmark", "bare", "ratio", "Quiltmark range",
              "bare range");
  for (const RunRow& r : rows)
    std::printf("%6d %14.1f %14.1f %8.3f %7.1f-%-8.1f %7.1f-%-8.1f\n", r.n, r.programMs, r.bareMs,
                r.programMs / r.bareMs, r.programMin, r.programMax, r.bareMin, r.bareMax);
  for (const RunRow& r : rows)
    if (r.mismatches)
      std::printf("N=%d: the two programs placed the windows differently in %d rounds\n", r.n,
                  r.mismatches);
}

void PrintStart(const StartProgram (&programs)[2]) {
  std::printf("\n(b) Start to the first paint of a %dx%d window, median of %d rounds (ms)\n",
              kWindowWidth, kWindowHeight, kRounds);
  std::printf("%-16s %12s %12s %14s\n", "", "paint", "input idle", "pixels checked");
  for (const StartProgram& p : programs)
    std::printf("%-16s %12.1f %12.1f %14zu\n", p.name, Median(p.paint), Median(p.idle),
                p.reference.points.size());
  std::printf("%-16s %12.3f %12.3f\n", "ratio",
              Median(programs[0].paint) / Median(programs[1].paint),
              Median(programs[0].idle) / Median(programs[1].idle));
  for (const StartProgram& p : programs)
    if (p.idleMissing)
      std::printf("%s: WaitForInputIdle never returned in %d rounds\n", p.name, p.idleMissing);
}

}  // namespace

int main() {
  int rc = 0;
  {
    WindowClass targetClass(kClassName, TargetProc);
    if (!targetClass.registered()) {
      std::printf("could not register the window class %s\n", kClassName);
      rc = 1;
    } else {
      std::vector<RunRow> rows;
      for (int n : kCounts) {
        RunRow row;
        if (!MeasureRun(n, row)) {
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

  const std::string folder = Folder();
  StartProgram programs[2] = {
      {"Quiltmark.exe", "\"" + folder + "Quiltmark.exe\"", {}, {}, {}, 0},
      {"bare_window.exe", "\"" + folder + "bare_window.exe\"", {}, {}, {}, 0}};
  if (MeasureStart(programs))
    PrintStart(programs);
  else
    rc = 1;
  std::fflush(stdout);
  return rc;
}
