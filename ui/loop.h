#pragma once
// What the start-up and the message loop ask of the window, and nothing more: the
// layouts, the start window, the keyboard's pre-translation and the idle event.
#include <windows.h>

#include <cstdint>

#include "ui/layout.h"  // kMainWindowId, the start window

// Puts the layouts into the runtime's window list (nothing is created yet).
void PrepareWindowLayouts();

// Creates and shows the start window; a failure is fatal.
void LoadStartWindow(uint32_t windowId);

// The window's own handling of a message before it is dispatched; true when the
// message was consumed.
bool PreTranslateMessage(MSG& msg);

// Raises the idle event of a loaded window, `elapsedMs` after the idle phase began;
// true when its handler asks for more idle time.
bool RaiseIdleEvent(uint32_t windowId, int32_t elapsedMs);
