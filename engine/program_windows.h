#pragma once
// Which of a program's top-level windows are its own windows, as a taskbar counts
// them: not its dialogs, menus, tooltips, drop-downs or hidden helpers. No
// <windows.h> here.
#include <cstdint>

// What the decision reads of one window.
struct WindowTraits {
  bool visible;
  bool cloaked;
  uint32_t exStyle;  // the window's extended style bits
  bool owned;        // it has an owner window
};

// Visible, not cloaked, not a tool window, and either unowned or owned but marked as
// an application window.
bool IsProgramWindow(const WindowTraits& window);
