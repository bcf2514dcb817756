// The floor for a whole run of `Quiltmark.exe --class C --per-row N`: a program that
// makes only the system calls that run needs and nothing else, for process_bench to
// time against it. Usage: bare_arrange.exe CLASS PER-ROW. Exit code 0 when it arranged
// at least one window, 1 when none matched, 2 on bad arguments, as Quiltmark answers.
#include <windows.h>
// <shellapi.h> needs <windows.h> first.
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/phases.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Stamped as Quiltmark's run is, where the benchmark asks for it.
  BeginStartupPhases();
  if (__argc != 3) return 2;
  const char* className = __argv[1];
  const int perRow = std::atoi(__argv[2]);
  if (perRow <= 0) return 2;

  // Collected first: raising a window while FindWindowExA walks the stacking order
  // would re-order what is left of it.
  std::vector<HWND> windows;
  HWND after = nullptr;
  while ((after = FindWindowExA(nullptr, after, className, nullptr)) != nullptr)
    windows.push_back(after);
  MarkStartupPhase("search");
  if (windows.empty()) return 1;

  APPBARDATA bar{};
  bar.cbSize = sizeof bar;
  SHAppBarMessage(ABM_GETTASKBARPOS, &bar);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // The bar as far as it lies on the screen; a failed query leaves the whole screen.
  RECT rc{std::max(bar.rc.left, 0L), std::max(bar.rc.top, 0L),
          std::min(bar.rc.right, static_cast<LONG>(screenWidth)),
          std::min(bar.rc.bottom, static_cast<LONG>(screenHeight))};
  if (rc.left >= rc.right || rc.top >= rc.bottom) rc = {0, 0, 0, 0};
  const int barWidth = rc.right - rc.left;
  const int barHeight = rc.bottom - rc.top;
  // The screen less the taskbar: a left, top, right or (otherwise) bottom bar.
  int width = screenWidth;
  int height = screenHeight;
  int x0 = 0;
  int y0 = 0;
  if (rc.left == 0 && rc.top == 0 && barHeight == screenHeight) {
    width -= barWidth;
    x0 = barWidth;
  } else if (rc.left == 0 && rc.top == 0 && barWidth == screenWidth) {
    height -= barHeight;
    y0 = barHeight;
  } else if (rc.left != 0) {
    width -= barWidth;
  } else {
    height -= barHeight;
  }
  MarkStartupPhase("work area");
  if (width / perRow <= 0) return 2;

  const int count = static_cast<int>(windows.size());
  const int rows = (count + perRow - 1) / perRow;
  const int cellWidth = width / perRow;
  const int cellHeight = height / rows;
  // A row takes as many whole cells as fit across, which can be more than asked for.
  const int cols = std::max(width / cellWidth, 1);
  for (int i = 0; i < count; ++i) {
    ShowWindow(windows[i], SW_SHOWNORMAL);
    SetWindowPos(windows[i], HWND_TOP, x0 + i % cols * cellWidth, y0 + i / cols * cellHeight,
                 cellWidth, cellHeight, 0);
  }
  MarkStartupPhase("moves");
  FinishStartupPhases("report");
  return 0;
}
