#pragma once
// Windows that take a while over every new size, as a browser laying out its page or
// a game rebuilding its drawing surfaces does: the thread that owns them sleeps for
// a fixed time at each WM_SIZE. Parked by a message sent to each, which they carry
// out themselves without the sleep, so that parking costs no round's time.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "bench/bench_support.h"

namespace bench {

constexpr DWORD kSlowMs = 100;
constexpr UINT kParkMessage = WM_APP + 7;

inline thread_local bool t_parking = false;

inline LRESULT CALLBACK SlowTargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {1, 1};
      info->ptMaxTrackSize = {10000, 10000};
      return 0;
    }
    case WM_SIZE:
      if (!t_parking) Sleep(kSlowMs);
      break;
    case kParkMessage:
      t_parking = true;
      SetWindowPos(hwnd, HWND_TOP, kParkX, kParkY, kParkWidth, kParkHeight, SWP_NOACTIVATE);
      t_parking = false;
      return 1;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Makes `count` slow windows of the class (registered by the first thread that asks)
// on this thread and answers their messages until WM_QUIT reaches the thread.
inline void RunSlowTargets(const char* className, int count) {
  WindowClass windowClass(className, SlowTargetProc);
  t_parking = true;
  std::vector<HWND> windows;
  for (int i = 0; i < count; ++i)
    windows.push_back(CreateWindowExA(0, className, "slow", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      kParkX, kParkY, kParkWidth, kParkHeight, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
  t_parking = false;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  for (HWND hwnd : windows) DestroyWindow(hwnd);
}

// Parks slow windows one after another, so that the last one is on top.
inline void ParkSlow(const std::vector<HWND>& handles) {
  for (HWND hwnd : handles) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(hwnd, kParkMessage, 0, 0, SMTO_NORMAL, 5000, &result);
  }
  Sleep(30);
}

// Every visible top-level window of a class, in stacking order from the top.
inline std::vector<HWND> WindowsOfClass(const char* className) {
  std::vector<HWND> found;
  for (HWND hwnd = FindWindowExA(nullptr, nullptr, className, nullptr); hwnd;
       hwnd = FindWindowExA(nullptr, hwnd, className, nullptr))
    if (IsWindowVisible(hwnd)) found.push_back(hwnd);
  return found;
}

// The cases measured: N windows in N programs (threads, in-process), and in one.
struct SlowCase {
  const char* name;
  int n;
  bool oneProgram;
  int rounds;
};
constexpr SlowCase kSlowCases[] = {{"N programs", 8, false, 9},
                                   {"N programs", 32, false, 7},
                                   {"one program", 8, true, 5},
                                   {"one program", 32, true, 3}};

// Medians of one case, and the per-round ratios to the two floors.
struct SlowRow {
  SlowCase c;
  double ms = 0, floor1Ms = 0, floor2Ms = 0, postedMs = -1, bareLanesMs = -1;
  Spread toFloor1, toFloor2, toBareLanes;
  int mismatches = 0;
};

inline void SetSlowRow(SlowRow& row, const std::vector<double>& ms,
                       const std::vector<double>& floor1, const std::vector<double>& floor2) {
  row.ms = Median(ms);
  row.floor1Ms = Median(floor1);
  row.floor2Ms = Median(floor2);
  row.toFloor1 = SpreadOf(Ratios(ms, floor1));
  row.toFloor2 = SpreadOf(Ratios(ms, floor2));
}

inline void PrintSlowRows(const std::vector<SlowRow>& rows, const char* who) {
  std::printf("%16s%s\n", "", kRatioHeading);
  for (const SlowRow& r : rows) {
    std::printf("%-12s N=%-3d rounds %d: %s %.1f, floor (1) %.1f, floor (2) %.1f", r.c.name, r.c.n,
                r.c.rounds, who, r.ms, r.floor1Ms, r.floor2Ms);
    if (r.postedMs >= 0) std::printf(", posted moves %.1f", r.postedMs);
    if (r.bareLanesMs >= 0) std::printf(", bare side by side %.1f", r.bareLanesMs);
    std::printf("\n    / floor (1) %s\n    / floor (2) %s\n", RatioText(r.toFloor1).c_str(),
                RatioText(r.toFloor2).c_str());
    if (r.bareLanesMs >= 0)
      std::printf("    / bare side by side %s\n", RatioText(r.toBareLanes).c_str());
    if (r.mismatches)
      std::printf("    placed differently from floor (1) in %d rounds\n", r.mismatches);
  }
}

}  // namespace bench
