// What a running `Quiltmark.exe --watch` costs and how quickly it keeps its grid,
// against windows of this program:
// (a) idle: the processor time the watch takes with 1000 other windows open and
//     nothing changing, with its own checks and on the window events alone;
// (b) churn: its memory and handles as 10,000 matching windows are opened and closed,
//     a few at a time, each few landing before they close;
// (c) landing: from a window's appearing next to 50 placed matches to its being in its
//     cell (and all 51 in the new grid), for windows shown after being hidden a while
//     and for windows created visible: median and maximum of 100 each, with the
//     watch's own checks and on the events alone.
// This program's windows raise the events Windows raises for their showing, hiding,
// naming and closing, which Wine does not pass on to another process.
// It prints figures only; nothing here passes or fails on time.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/runtime.h"
#include "bench/bench_support.h"
#include "engine/arrange.h"

namespace {

using namespace bench;

constexpr int kPerRow = 10;

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
  auto notify = [hwnd](DWORD event) { NotifyWinEvent(event, hwnd, OBJID_WINDOW, CHILDID_SELF); };
  if (message == WM_SETTEXT) notify(EVENT_OBJECT_NAMECHANGE);
  if (message == WM_DESTROY) notify(EVENT_OBJECT_DESTROY);
  if (message == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (pos->flags & SWP_SHOWWINDOW) notify(EVENT_OBJECT_SHOW);
    if (pos->flags & SWP_HIDEWINDOW) notify(EVENT_OBJECT_HIDE);
  }
  return result;
}

// The watch's switch that turns its own checks off.
constexpr char kEventsOnly[] = "QM_WATCH_EVENTS_ONLY";
const char* PathName(bool eventsOnly) {
  return eventsOnly ? "on the events alone" : "with its checks";
}

std::string Folder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

// One `Quiltmark.exe ... --watch`, ended with --stop.
class Watching {
 public:
  explicit Watching(const std::string& arguments, bool eventsOnly = false) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = "\"" + Folder() + "Quiltmark.exe\" " + arguments + " --watch";
    SetEnvironmentVariableA(kEventsOnly, eventsOnly ? "1" : nullptr);
    started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != 0;
    SetEnvironmentVariableA(kEventsOnly, nullptr);
  }
  ~Watching() {
    if (!started_) return;
    Run("--stop");
    if (WaitForSingleObject(pi_.hProcess, 3000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  Watching(const Watching&) = delete;
  Watching& operator=(const Watching&) = delete;
  bool started() const { return started_; }
  HANDLE process() const { return pi_.hProcess; }

  static void Run(const std::string& arguments) {
    // What it says (how many watches --stop ended) is not among the figures.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = nul;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + Folder() + "Quiltmark.exe\" " + arguments;
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &si, &pi) != 0;
    CloseHandle(nul);
    if (!started) return;
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 10000, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1)
      PumpMessages();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

double CpuMs(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& f) {
    return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Under Wine the system gives no times, memory or handle counts of another process,
// and part of a program's work is done for it by the wineserver. The kernel's account
// is read instead, through Wine's view of the root file system (Z:), of the Unix
// process whose command line holds `word`: the folder of that process, or "" where
// there is no such view (Windows).
std::string UnixProcess(const char* word) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return "";
  std::string found;
  do {
    if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
    const std::string dir = std::string("Z:\\proc\\") + entry.cFileName;
    char text[4096] = {};
    FILE* f = std::fopen((dir + "\\cmdline").c_str(), "rb");
    if (!f) continue;
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    for (size_t i = 0; i < n; ++i)
      if (text[i] == 0) text[i] = ' ';
    if (std::strstr(text, word)) found = dir;
  } while (found.empty() && FindNextFileA(find, &entry));
  FindClose(find);
  return found;
}

std::string ReadWhole(const std::string& path) {
  char text[4096] = {};
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "";
  std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  return text;
}

// User and system time of that process, in ms; -1 where it cannot be read.
double UnixCpuMs(const char* word) {
  const std::string dir = UnixProcess(word);
  if (dir.empty()) return -1;
  const std::string stat = ReadWhole(dir + "\\stat");
  // After the name in parentheses: state, then ten fields, then user and system time.
  const size_t name = stat.rfind(')');
  unsigned long user = 0, system = 0;
  if (name == std::string::npos ||
      std::sscanf(stat.c_str() + name + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                  &user, &system) != 2)
    return -1;
  return (user + system) * 1000.0 / 100;  // USER_HZ
}

// Its anonymous (private) memory in MB; -1 where it cannot be read.
double UnixPrivateMb(const char* word) {
  const std::string dir = UnixProcess(word);
  if (dir.empty()) return -1;
  const std::string status = ReadWhole(dir + "\\status");
  const size_t at = status.find("RssAnon:");
  unsigned long kb = 0;
  if (at == std::string::npos || std::sscanf(status.c_str() + at + 8, "%lu", &kb) != 1) return -1;
  return kb / 1024.0;
}

// Pumps this thread's messages (the watch moves our windows through them) for `ms`.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (DWORD spent = 0; spent < ms; spent = GetTickCount() - start) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    PumpMessages();
  }
}

// Pumps until `done` holds or `ms` pass; the milliseconds since `start`, or -1.
template <typename Done>
double PumpUntil(Done done, DWORD ms, int64_t start = Now()) {
  for (;;) {
    PumpMessages();
    if (done()) return Milliseconds(start, Now());
    if (Milliseconds(start, Now()) > ms) return -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

// The grid's cell `i` of `count` windows, kPerRow a row, on the work area as the
// program reads it.
RECT Cell(int i, int count) {
  static const WorkArea work = ComputeWorkArea();
  const int rows = (count + kPerRow - 1) / kPerRow;
  const int w = work.width / kPerRow, h = work.height / rows;
  const int x = work.x0 + (i % kPerRow) * w, y = work.y0 + (i / kPerRow) * h;
  return {x, y, x + w, y + h};
}

bool InCell(HWND hwnd, int i, int count) {
  RECT r{}, cell = Cell(i, count);
  GetWindowRect(hwnd, &r);
  return EqualRect(&r, &cell) != 0;
}

HWND Make(const char* className, bool visible) {
  return CreateWindowExA(
      0, className, "watch bench", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), kParkX, kParkY,
      kParkWidth, kParkHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void Idle(bool eventsOnly) {
  WindowClass others("QmWatchBenchOther", Proc), group("QmWatchBenchIdle", Proc);
  Windows many(1000, "QmWatchBenchOther", "other");
  Windows placed(5, "QmWatchBenchIdle", "idle");
  Watching watch("--class QmWatchBenchIdle --per-row 10", eventsOnly);
  if (!watch.started()) return;
  // Placed and settled first.
  PumpUntil([&] { return InCell(placed.handles().back(), 4, 5); }, 5000);
  PumpFor(2000);
  constexpr DWORD kSpanMs = 30000;
  const double before = CpuMs(watch.process());
  const double unixBefore = UnixCpuMs("QmWatchBenchIdle"), serverBefore = UnixCpuMs("wineserver");
  PumpFor(kSpanMs);
  const double used = CpuMs(watch.process()) - before;
  std::printf(
      "(a) idle %s, %zu other windows and %zu placed, over %lu s: %.3f%% of one processor "
      "(%.0f ms) as the system counts the watch's process\n",
      PathName(eventsOnly), many.handles().size(), placed.handles().size(), kSpanMs / 1000,
      100.0 * used / kSpanMs, used);
  if (unixBefore >= 0) {
    const double mine = UnixCpuMs("QmWatchBenchIdle") - unixBefore;
    const double server = UnixCpuMs("wineserver") - serverBefore;
    std::printf(
        "    under Wine, as the kernel counts: the watch %.3f%% (%.0f ms), the wineserver "
        "(for every program) %.3f%% (%.0f ms)\n",
        100.0 * mine / kSpanMs, mine, 100.0 * server / kSpanMs, server);
  }
}

struct Usage {
  double privateMb;
  DWORD handles;
};

// As the system counts them; under Wine, the kernel's resident private memory and no
// handle count.
Usage UsageOf(HANDLE process, const char* word) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  if (counters.PrivateUsage == 0) return {UnixPrivateMb(word), handles};
  return {counters.PrivateUsage / 1048576.0, handles};
}

void Churn() {
  WindowClass group("QmWatchBenchChurn", Proc);
  Watching watch("--class QmWatchBenchChurn --per-row 10");
  if (!watch.started()) return;
  constexpr int kTotal = 10000, kAtOnce = 50;
  std::printf(
      "(b) churn, %d windows opened and closed %d at a time; the watch's private memory "
      "(MB) and handles every 1000 windows:\n   ",
      kTotal, kAtOnce);
  Usage first{}, last{};
  int missed = 0;
  const int64_t start = Now();
  for (int opened = 0; opened < kTotal; opened += kAtOnce) {
    std::vector<HWND> few;
    for (int i = 0; i < kAtOnce; ++i) few.push_back(Make("QmWatchBenchChurn", true));
    if (PumpUntil([&] { return InCell(few.back(), kAtOnce - 1, kAtOnce); }, 3000) < 0) ++missed;
    for (HWND h : few) DestroyWindow(h);
    // The closed ones leave the group before the next few come.
    PumpFor(300);
    if ((opened + kAtOnce) % 1000 == 0) {
      last = UsageOf(watch.process(), "QmWatchBenchChurn");
      if (opened + kAtOnce == 1000) first = last;
      // Wine gives no handle count of another process.
      if (last.handles)
        std::printf(" %.2f/%lu", last.privateMb, last.handles);
      else
        std::printf(" %.2f", last.privateMb);
    }
  }
  std::printf(
      "\n    from the first 1000 to the end: %+.2f MB, %+ld handles, in %.0f s (%d rounds "
      "of %d did not land within 3 s)\n",
      last.privateMb - first.privateMb,
      static_cast<long>(last.handles) - static_cast<long>(first.handles),
      Milliseconds(start, Now()) / 1000, missed, kTotal / kAtOnce);
}

void LandingTimes(bool eventsOnly) {
  WindowClass group("QmWatchBenchLand", Proc);
  Windows placed(50, "QmWatchBenchLand", "land");
  Watching watch("--class QmWatchBenchLand --per-row 10", eventsOnly);
  if (!watch.started()) return;
  // The window in the first cell, once all 50 are placed.
  HWND first = nullptr;
  PumpUntil(
      [&] {
        for (HWND h : placed.handles())
          if (InCell(h, 0, 50)) first = h;
        return first && InCell(placed.handles().back(), 49, 50);
      },
      5000);
  if (!first) {
    std::printf("(c) the 50 windows were not placed\n");
    return;
  }
  constexpr int kSamples = 100;
  // Hidden long before they are shown: no creation to go by.
  std::vector<HWND> hidden;
  for (int i = 0; i < kSamples; ++i) hidden.push_back(Make("QmWatchBenchLand", false));
  PumpFor(3000);
  for (bool created : {false, true}) {
    std::vector<double> own, all;
    int missed = 0;
    for (int i = 0; i < kSamples; ++i) {
      const int64_t start = Now();
      HWND h = created ? Make("QmWatchBenchLand", true) : hidden[static_cast<size_t>(i)];
      if (!created) ShowWindow(h, SW_SHOWNOACTIVATE);
      // In its cell; then the others too, in the grid of 51.
      const double landed = PumpUntil([&] { return InCell(h, 50, 51); }, 3000, start);
      const double settled = PumpUntil([&] { return InCell(first, 0, 51); }, 3000, start);
      if (landed < 0 || settled < 0) {
        if (missed++ == 0) {
          RECT r{}, cell = Cell(50, 51);
          GetWindowRect(h, &r);
          std::printf(
              "    the first that did not land: at %ld,%ld %ldx%ld, its cell %ld,%ld "
              "%ldx%ld\n",
              r.left, r.top, r.right - r.left, r.bottom - r.top, cell.left, cell.top,
              cell.right - cell.left, cell.bottom - cell.top);
        }
      } else {
        if (std::getenv("QM_BENCH_TRACE") && landed > 400)
          std::printf("    window %d: %.0f ms (at %.1f s)\n", i, landed,
                      Milliseconds(0, start) / 1000);
        own.push_back(landed);
        all.push_back(settled);
      }
      DestroyWindow(h);
      PumpUntil([&] { return InCell(first, 0, 50); }, 3000);
      PumpFor(200);
    }
    std::sort(own.begin(), own.end());
    std::sort(all.begin(), all.end());
    std::printf(
        "(c) next to 50 matches, %s, %s (%zu windows%s):\n"
        "    in its cell: median %.0f ms, maximum %.0f ms; all 51 in the new grid: median "
        "%.0f ms, maximum %.0f ms\n",
        PathName(eventsOnly), created ? "created visible" : "shown after being hidden", own.size(),
        missed ? (", " + std::to_string(missed) + " not within 3 s").c_str() : "",
        own.empty() ? 0 : Median(own), own.empty() ? 0 : own.back(), all.empty() ? 0 : Median(all),
        all.empty() ? 0 : all.back());
  }
}

}  // namespace

// With a name (idle, landing, churn), only that figure.
int main(int argc, char** argv) {
  InitializeRuntime(false);
  // Each figure as soon as it is measured.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::printf("Quiltmark.exe --watch against windows of this program\n");
  auto wanted = [&](const char* name) { return argc < 2 || std::strcmp(argv[1], name) == 0; };
  for (bool eventsOnly : {false, true})
    if (wanted("idle")) Idle(eventsOnly);
  for (bool eventsOnly : {false, true})
    if (wanted("landing")) LandingTimes(eventsOnly);
  if (wanted("churn")) Churn();
  return 0;
}
