#pragma once
// The capture tool: press on it, drag the reticle over any window, release there.
#include <windows.h>

// The outermost window above `hwnd`, through parents and owners.
HWND GetTopLevelWindow(HWND hwnd);

// A left press on the tool: capture the mouse and show the drag picture.
void StartCapture();

// The release, wherever the pointer is: back to the idle picture, and the title,
// class name, width and height of the outermost window under the pointer into the
// search and size fields.
void FinishCapture();
