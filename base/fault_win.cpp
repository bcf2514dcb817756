// The fault report on screen: the box, then the shutdown, then the end of the process.
#include <windows.h>

#include <cstring>

#include "base/application.h"
#include "base/console.h"
#include "base/fault.h"
#include "base/messages.h"
#include "base/shutdown.h"

static FaultTags TagsFor(FaultLocation where) {
  FaultTags tags;
  const WindowEntry* window = FindWindowEntry(static_cast<uint32_t>(where.first));
  if (!window) return tags;
  tags.windowKnown = true;
  tags.windowTag = window->tag;
  // Control 0 is the window's own layout element.
  if (where.second == 0) {
    tags.controlKnown = true;
    tags.controlTag = window->tag;
    return tags;
  }
  for (const ControlEntry& control : window->controls) {
    if (control.id == static_cast<uint32_t>(where.second)) {
      tags.controlKnown = true;
      tags.controlTag = control.tag;
    }
  }
  return tags;
}

// A fault raised while a fault is being reported (during the shutdown, say) ends
// the process without a second box.
static void EnterFaultReport() {
  if (g_app.reportingFault.exchange(true)) ExitProcess(static_cast<UINT>(-1));
}

[[noreturn]] static void ShowFaultAndExit(const char* report) {
  // Task-modal as every other box: the program's windows take no input while it is up.
  if (!g_app.commandLineRun) {
    // The heap may be what failed: the texts are widened on the stack.
    wchar_t text[2048], title[8];
    WideInto(report, text, std::size(text));
    WideInto("错误", title, std::size(title));
    SystemLoopScope box;
    MessageBoxW(nullptr, text, title, MB_ICONERROR | MB_TASKMODAL);
  }
  if (g_app.commandLineRun && !WriteToHandle(g_app.errorStream, report, std::strlen(report)))
    ShowSelfClosingBox(report, "错误", MB_ICONERROR, kUnwatchedBoxMs);
  ShutdownRuntime(-1);
  ExitProcess(static_cast<UINT>(-1));
}

void ReportFault(const char* message, int code, FaultLocation where) {
  EnterFaultReport();
  std::string report = BuildFaultReport(message, code, where, TagsFor(where));
  ShowFaultAndExit(report.data());
}

void ReportAllocationFault(uint64_t size) {
  EnterFaultReport();
  // The heap has just failed: the text goes into memory that is already there.
  static char report[128];
  FormatAllocationFaultReport(report, sizeof report, size);
  ShowFaultAndExit(report);
}
