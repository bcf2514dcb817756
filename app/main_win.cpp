// Process entry: no critical-error or missing-file dialogs, then the program: its
// window, or with arguments one arrangement from the command line. The arguments
// are read from the system's Unicode command line, split as the C runtime splits
// them.
#include <windows.h>

#include "app/command_line.h"
#include "app/runtime.h"
#include "base/phases.h"
#include "base/wide.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  BeginStartupPhases();
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const std::vector<std::string> args = SplitCommandLine(Narrow(GetCommandLineW()));
  if (!args.empty()) return RunFromCommandLine(args);
  ProgramStart();
  ShutdownRuntime(0);
  return static_cast<int>(g_app.lastMessageWParam);
}
