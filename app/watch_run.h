#pragma once
// The command line's --watch and --stop: a run that keeps its grid until it is told to
// end, and the run that tells every such run of the session to end.
#include <functional>

#include "app/command_line.h"

// Keeps the request's grid until --stop or the end of the session; it leaves its
// console once started, through `leaveConsole`. The request has passed the checks.
// kExitArranged when it ended as asked.
int RunWatch(const CommandLine& cmd, const std::function<void()>& leaveConsole);

// Ends every watch of this session, one that is starting too, waiting up to 2 s for
// each to be gone; how many ended.
int StopWatches();
