// What an arrangement reads of the screen: the taskbar, the work area, the monitors,
// and the windows the request names.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "base/services.h"
#include "base/sysfn.h"
#include "engine/arrange.h"

namespace {

// The taskbar query's fault site.
constexpr FaultLocation kTaskbarQuerySite = {67174794, 0};

}  // namespace

TaskbarRect GetTaskbarRect() {
  APPBARDATA query = {};
  query.cbSize = sizeof query;
  static_assert(sizeof(void*) != 4 || sizeof(APPBARDATA) == 36, "the shell expects 36 bytes");
  CallSystemFunction(kSHAppBarMessage, kTaskbarQuerySite, ABM_GETTASKBARPOS, &query);
  return {query.rc.left, query.rc.top, query.rc.right, query.rc.bottom};
}

WorkArea ComputeWorkArea() {
  TaskbarRect bar = GetTaskbarRect();
  return ComputeWorkAreaFrom(GetScreenWidth(), GetScreenHeight(), bar);
}

namespace {

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, RECT*, LPARAM found) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info))
    reinterpret_cast<std::vector<Monitor>*>(found)->push_back(
        {FromRect(info.rcMonitor), FromRect(info.rcWork),
         (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

}  // namespace

std::vector<Monitor> ListMonitors() {
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (monitors.empty()) {
    // The system could not say: the primary screen, less nothing.
    ScreenRect screen{0, 0, GetScreenWidth(), GetScreenHeight()};
    monitors.push_back({screen, screen, true});
  }
  OrderMonitors(monitors);
  return monitors;
}

bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list) {
  const char* className = request.className.empty() ? nullptr : request.className.c_str();
  const char* title = request.title.empty() ? nullptr : request.title.c_str();
  const char* program = request.program.empty() ? nullptr : request.program.c_str();
  const char* pattern = request.titlePattern.empty() ? nullptr : request.titlePattern.c_str();
  return FindMatchingWindows(className, title, list, program, pattern);
}
