// Process entry: no critical-error or missing-file dialogs, then the program: its
// window, or with arguments one arrangement from the command line. The arguments
// come in the process's code page, as the C runtime splits them.
#include <windows.h>

#include "app/runtime.h"
#include "base/phases.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  BeginStartupPhases();
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  if (__argc > 1) return RunFromCommandLine(__argc, __argv);
  ProgramStart();
  ShutdownRuntime(0);
  return static_cast<int>(g_app.lastMessageWParam);
}
