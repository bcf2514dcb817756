#pragma once
// The end of the process: the clean-up list, the release of what the runtime holds,
// and the hand-over of a shutdown asked for on another thread. The fault report ends
// the program through here, so this room calls nothing but the system and the
// routines registered with it.
#include <windows.h>

#include "base/application.h"

// Adds a routine to the clean-up list, once; the shutdown calls them in order, each
// with its position in the list.
void RegisterCleanup(ExitCallback routine);

// Runs the clean-up list and releases the runtime's libraries, owner window and OLE.
// From another thread it hands the shutdown to the main thread and ends the process.
void ShutdownRuntime(int exitCode);

// Frees the modules held by the system-function table and empties its slots.
void FreeSystemFunctions();

// Whether a shutdown request (PrivateMessage::kShutdown, its sender's thread id in
// lParam) comes from the thread of this process that is handing a shutdown over right
// now; it is taken once.
bool TakesShutdownRequest(LPARAM senderThread);
