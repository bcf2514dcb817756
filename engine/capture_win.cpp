// The capture tool's press and release: the window under the pointer, its title,
// class and rectangle.
#include "base/services.h"
#include "base/sysfn.h"
#include "engine/capture.h"
#include "engine/window_manager.h"

// The fault sites of the tool's system calls.
constexpr FaultLocation kParentQuerySite = {67174861, 47};
constexpr FaultLocation kRectQuerySite = {67174580, 434};

// Deeper than windows nest: a chain of parents and owners re-made while it is
// climbed could otherwise be climbed for ever.
constexpr int kMaxClimb = 1000;

HWND GetTopLevelWindow(HWND hwnd) {
  for (int step = 0; step < kMaxClimb; ++step) {
    const auto up = reinterpret_cast<HWND>(CallSystemFunction(kGetParent, kParentQuerySite, hwnd));
    if (!up) return hwnd;
    // GetParent also steps from an owned pop-up to its owner. Many programs own their
    // windows by a hidden window: the pop-up is then what the user sees and means.
    const bool child = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
    if (!child && !IsWindowVisible(up)) return hwnd;
    hwnd = up;
  }
  return hwnd;
}

void StartCapture(HWND tool) { CaptureMouse(tool); }

bool IsCapturing(HWND tool) { return tool && GetCapture() == tool; }

CapturedWindow FinishCapture() {
  CapturedWindow found;
  found.hwnd = GetTopLevelWindow(GetWindowUnderCursor());
  DWORD process = 0;
  if (found.hwnd && GetWindowThreadProcessId(found.hwnd, &process) &&
      process == GetCurrentProcessId()) {
    found.hwnd = nullptr;
    found.ours = true;
    ReleaseMouseCapture();
    return found;
  }
  // The system's own copy of the title, exactly as the search will compare it, and
  // at once: a busy or hung window is not asked.
  found.title = Text::Copy(GetStoredTitle(found.hwnd));
  ReleaseMouseCapture();
  // The system asks for the pointer's shape again once the pointer moves; a move to
  // where it is makes it ask now.
  POINT at;
  if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
  found.className = GetWindowClassName(found.hwnd);
  CallSystemFunction(kGetWindowRect, kRectQuerySite, found.hwnd, &found.rect);
  // The size the user sees: arranged by it, the window's visible frame fills its cell.
  RECT visible;
  if (found.hwnd && VisibleFrameOf(found.hwnd, &visible)) found.rect = visible;
  return found;
}
