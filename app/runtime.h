#pragma once
#include <string>
#include <vector>
// The life of the program at the top: start-up with its window, the message loop,
// and the run from the command line. The process's own set-up and shutdown are the
// floor's (base/process.h, base/shutdown.h).
#include "base/application.h"
#include "base/shutdown.h"

// Without windows (a run from the command line) there is no hidden owner window and
// no window layout: the run shows nothing and has one thread.
void InitializeRuntime(bool withWindows = true);
void RunMessageLoop();

// The program's start routine; always returns 0.
int ProgramStart();

// A start with arguments (those after the program's name, in UTF-8): arranges (or
// lists) as they say, with no window, and returns the exit code (app/command_line.h).
int RunFromCommandLine(const std::vector<std::string>& args);
