#pragma once
// The process's set-up, below any window: where libraries come from, the heap, OLE,
// the program's folder, the hidden owner window and the constant area.
#include "base/application.h"

// Without an owner (a run from the command line) the process makes no window at all
// and keeps one thread.
void InitializeProcess(bool withOwner);
