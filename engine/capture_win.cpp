// The capture tool's press and release: the window under the pointer, its title,
// class and rectangle.
#include "base/services.h"
#include "base/sysfn.h"
#include "engine/capture.h"

// The fault sites of the tool's system calls.
constexpr FaultLocation kParentQuerySite = {67174861, 47};
constexpr FaultLocation kRectQuerySite = {67174580, 434};

// Deeper than windows nest: a chain of parents and owners re-made while it is
// climbed could otherwise be climbed for ever.
constexpr int kMaxClimb = 1000;

HWND GetTopLevelWindow(HWND hwnd) {
  // GetParent also steps from an owned pop-up to its owner.
  for (int step = 0; step < kMaxClimb; ++step) {
    uintptr_t parent = CallSystemFunction(kGetParent, kParentQuerySite, hwnd);
    if (!parent) return hwnd;
    hwnd = reinterpret_cast<HWND>(parent);
  }
  return hwnd;
}

void StartCapture(HWND tool) { CaptureMouse(tool); }

bool IsCapturing(HWND tool) { return tool && GetCapture() == tool; }

CapturedWindow FinishCapture() {
  CapturedWindow found;
  found.hwnd = GetTopLevelWindow(GetWindowUnderCursor());
  // The mouse stays captured while the title is read, so the pointer keeps the shape
  // set here instead of the one of the window under it.
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  found.titleRead = ReadWindowTitle(found.hwnd, kTitleWaitMs, found.title);
  ReleaseMouseCapture();
  // The system asks for the pointer's shape again once the pointer moves; a move to
  // where it is makes it ask now.
  POINT at;
  if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
  found.className = GetWindowClassName(found.hwnd);
  CallSystemFunction(kGetWindowRect, kRectQuerySite, found.hwnd, &found.rect);
  return found;
}
