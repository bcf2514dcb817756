#pragma once
// What the desktop window manager says of a window: its visible frame, and whether it
// is cloaked (on another virtual desktop, or a suspended app). It answers for the
// window itself, so a busy program holds nothing up. Where there is no window manager
// to ask, a window's frame is its rectangle and no window is cloaked.
#include <windows.h>

#include "engine/frames.h"

// The margins between the window's rectangle and its visible frame now.
FrameMargins FrameMarginsOf(HWND hwnd);

// The visible frame; the window's rectangle where the window manager does not answer.
// False when the window has no rectangle (it is gone).
bool VisibleFrameOf(HWND hwnd, RECT* frame);

// True when the window manager keeps the window out of sight.
bool IsCloaked(HWND hwnd);
