#pragma once
// The command line's --watch and --stop: a run that keeps its grid until it is told to
// end, and the run that tells every such run of the session to end.
#include "app/command_line.h"

// Keeps the request's grid until --stop, Ctrl+C, Ctrl+Break, the console's closing or
// the end of the session; the request has passed the checks. kExitArranged when it
// ended as asked.
int RunWatch(const CommandLine& cmd);

// Ends every watch of this session and waits for them to be gone; kExitArranged when
// there was one, kExitNoWindow when there was none.
int StopWatches();
