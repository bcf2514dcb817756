#pragma once
// The life of the process: set-up, message loop and shutdown.
#include "app/application.h"

void InitializeRuntime();
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
