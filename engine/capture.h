#pragma once
// The capture tool: press on it, drag the reticle over any window, release there.
// The tool only finds the window; what the window's fields show is up to its caller.
#include <windows.h>

#include "base/text.h"

// The outermost window under the pointer where the button was let go.
struct CapturedWindow {
  HWND hwnd = nullptr;  // null when there was no window under the pointer, or ours
  // Let go over one of Quiltmark's own windows (a click on the tool, say): nothing is
  // captured, and the rest is left empty.
  bool ours = false;
  Text title;  // as the system keeps it, read without asking the window
  Text className;
  RECT rect = {};  // all zero when the rectangle could not be read
};

// The outermost window above `hwnd` that the user sees: up through its parents, then
// through its owners for as long as they are visible.
HWND GetTopLevelWindow(HWND hwnd);

// A left press on the tool: the tool takes the mouse, so that the release reaches it
// wherever the pointer is then.
void StartCapture(HWND tool);

// True while `tool` holds the mouse: only a release then ends a capture it started.
bool IsCapturing(HWND tool);

// The release that ends the capture: reads the outermost window under the pointer,
// unless it is one of Quiltmark's own, then lets the mouse go.
CapturedWindow FinishCapture();
