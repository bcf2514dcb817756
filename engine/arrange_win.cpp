// Arranging on the screen: the taskbar and the work area read from the system, the
// windows the request names, and the plan applied to them, one window at a time.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "base/services.h"
#include "base/sysfn.h"
#include "engine/arrange.h"

namespace {

// The taskbar query's fault site.
constexpr FaultLocation kTaskbarQuerySite = {67174794, 0};

// A window of another thread that the system calls hung: showing or moving it would
// wait for that thread. A window of this thread is handled by direct calls, however
// long this thread has been busy placing windows.
bool WouldWaitForever(HWND hwnd) {
  return GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId() && IsHungAppWindow(hwnd);
}

// Shows, raises and places each window in list order, one call each. A handle that
// is no window any more, or a window that refuses, is simply passed over; so is a
// window whose program has stopped answering (ShowWindow and SetWindowPos would wait
// for it for good), its cell left empty. The count of windows that were still there
// to be placed.
int32_t ApplyPlan(const WindowList& list, const std::vector<Placement>& plan,
                  const ApplySites& at) {
  int32_t i = 0, placed = 0;
  for (const Placement& p : plan) {
    ++i;
    int32_t shown = ReadArrayElement(list.get(), i, at.routine, at.showRead);
    if (WouldWaitForever(reinterpret_cast<HWND>(static_cast<intptr_t>(shown)))) continue;
    CallSystemFunction(kShowWindow, {at.routine, at.showRead}, shown, SW_SHOWNORMAL);
    int32_t moved = ReadArrayElement(list.get(), i, at.routine, at.moveRead);
    CallSystemFunction(kSetWindowPos, {at.routine, at.move}, moved, HWND_TOP, p.x, p.y, p.cx, p.cy,
                       p.flags);
    if (IsWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(moved)))) ++placed;
  }
  return placed;
}

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

bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list) {
  const char* className = request.className.empty() ? nullptr : request.className.c_str();
  const char* title = request.title.empty() ? nullptr : request.title.c_str();
  return FindMatchingWindows(className, title, list);
}

int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area) {
  const ArrangementPlan plan = PlanArrangement(request, area, list.Count());
  return ApplyPlan(list, plan.cells, plan.sites);
}
