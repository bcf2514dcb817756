#pragma once
// The life of the process: set-up, message loop and shutdown.
#include "app/application.h"

// Without windows (a run from the command line) there is no hidden owner window and
// no window layout: the run shows nothing and has one thread.
void InitializeRuntime(bool withWindows = true);
void RegisterCleanup(ExitCallback routine);
void RunMessageLoop();
void ShutdownRuntime(int exitCode);

// The program's start routine; always returns 0.
int ProgramStart();

// A start with arguments: arranges (or lists) as they say, with no window, and
// returns the exit code (app/command_line.h).
int RunFromCommandLine(int argc, char** argv);

// The private message that hands a shutdown requested on another thread to the
// main thread.
constexpr unsigned kShutdownMessage = 0x83E7;
