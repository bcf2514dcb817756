// Process entry: no critical-error or missing-file dialogs, then the program.
#include <windows.h>

#include "app/runtime.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ProgramStart();
  ShutdownRuntime(0);
  return static_cast<int>(g_app.lastMessageWParam);
}
