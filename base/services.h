#pragma once
// Runtime services that ask the system: screen metrics, focus, mouse capture and
// window queries.
#include <windows.h>

#include <string>

#include "base/application.h"
#include "base/text.h"

int GetScreenWidth();
int GetScreenHeight();

// Both resolve the reference against the loaded windows; a reference that names no
// live control is a fault.
void SetControlFocus(ControlRef ref);
HWND GetControlHandle(ControlRef ref);

HWND CaptureMouse(HWND hwnd);  // the previous capture window, or null
int ReleaseMouseCapture();

// The text of a window of this process (a control), read directly; the empty text
// when it has none.
Text GetControlText(HWND hwnd);

// The title of a window of any process; empty when it is no window, has no title or
// does not answer within a second.
Text GetWindowTextOf(HWND hwnd);

// The title of a window of any process, waiting up to `ms` for it to answer (a
// window the system already calls hung is not waited for). False when the title
// could not be read; true with the empty text for no window or an empty title.
bool ReadWindowTitle(HWND hwnd, DWORD ms, Text& title);

// The title as the system keeps it, read without asking the window (which may be
// busy or hung): whole, with any surrogate that stands alone in it; "" for none.
std::string GetStoredTitle(HWND hwnd);
// The same in the system's UTF-16.
std::wstring GetStoredTitleWide(HWND hwnd);

// The class name, at most kMaxClassNameLength characters; never null, "" when the
// query fails.
Text GetWindowClassName(HWND hwnd);

// The window under the mouse pointer, preferring the smallest visible sibling below
// it in the Z order that also holds the point; null for none.
HWND GetWindowUnderCursor();

// The longest title GetWindowTextOf reads.
constexpr int kMaxWindowTextLength = 65535;
// The longest class name GetWindowClassName reads (the system allows 256).
constexpr int kMaxClassNameLength = 258;
