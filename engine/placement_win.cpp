// Saving where the windows of an arrangement were, and putting them back: by direct
// calls, or as requests queued to a busy program.
#include <windows.h>

#include "engine/window_moves.h"

namespace {

HWND WindowOf(int32_t handle) { return reinterpret_cast<HWND>(static_cast<intptr_t>(handle)); }

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool Minimised(const SavedPlacement& s) { return s.showCmd == SW_SHOWMINIMIZED; }
bool Maximised(const SavedPlacement& s) { return s.showCmd == SW_SHOWMAXIMIZED; }

// Put back across monitors of different scales, a program aware of them takes the
// size it was given times the change of scale: moved once more, it is on its monitor
// again and takes its own rectangle.
bool MoveTo(HWND hwnd, HWND after, const ScreenRect& r, UINT flags, GivenUp givenUp) {
  for (int round = 0; round < 2; ++round) {
    // Given up on meanwhile, the requests queued since come first.
    if (round > 0 && Stopped(givenUp)) break;
    if (!SetWindowPos(hwnd, after, r.left, r.top, r.right - r.left, r.bottom - r.top,
                      flags | SWP_NOACTIVATE))
      return false;
    RECT now;
    if (!GetWindowRect(hwnd, &now) || IsIconic(hwnd) || IsZoomed(hwnd) ||
        (now.left == r.left && now.top == r.top && now.right == r.right && now.bottom == r.bottom))
      break;
  }
  return true;
}

// The placement record that gives the system the restored rectangle back, with the
// state to take.
WINDOWPLACEMENT PlacementOf(const SavedPlacement& saved, UINT showCmd) {
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  wp.flags = saved.restoreToMaximized ? WPF_RESTORETOMAXIMIZED : 0;
  wp.showCmd = showCmd;
  wp.ptMinPosition = {-1, -1};
  wp.ptMaxPosition = {-1, -1};
  const ScreenRect& r = saved.placement;
  wp.rcNormalPosition = {r.left, r.top, r.right, r.bottom};
  return wp;
}

}  // namespace

std::vector<SavedPlacement> SavePlacements(const WindowList& list) {
  std::vector<SavedPlacement> saved;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    int32_t handle = ReadArrayElement(list.get(), i, 0, 0);
    HWND hwnd = WindowOf(handle);
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    RECT window;
    if (!GetWindowPlacement(hwnd, &wp) || !GetWindowRect(hwnd, &window)) continue;
    // The state from the window's style, which every process can read; the flag only
    // from the placement, which Wine gives only to the window's own process.
    const UINT showCmd = IsIconic(hwnd)   ? SW_SHOWMINIMIZED
                         : IsZoomed(hwnd) ? SW_SHOWMAXIMIZED
                                          : SW_SHOWNORMAL;
    RECT normal = wp.rcNormalPosition;
    if (showCmd == SW_SHOWNORMAL) {
      // The rectangle it has: a window snapped to half the screen reports the one it
      // had before the snap as its restored one.
      normal = window;
    } else if (!(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
      // The restored rectangle is kept in the coordinates of the monitor's work area,
      // except for a tool window: a taskbar on the left or at the top shifts it.
      MONITORINFO info = {};
      info.cbSize = sizeof info;
      if (GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info))
        OffsetRect(&normal, info.rcWork.left - info.rcMonitor.left,
                   info.rcWork.top - info.rcMonitor.top);
    }
    saved.push_back({handle, showCmd,
                     showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED) != 0,
                     IsWindowVisible(hwnd) != 0, FromRect(normal), FromRect(window),
                     FromRect(wp.rcNormalPosition)});
  }
  return saved;
}

bool PutWindowBack(HWND hwnd, const SavedPlacement& saved, GivenUp givenUp) {
  if (Stopped(givenUp)) return false;
  if (!saved.visible) {
    // Hidden first, then given its restored rectangle and raised, and only then its
    // state: no command puts a window in a state without showing it, so the state is
    // its style, which is what the window shows in when its program shows it again.
    ShowWindow(hwnd, SW_HIDE);
    if (Stopped(givenUp)) return false;
    const bool put = MoveTo(hwnd, HWND_TOP, saved.normal, 0, givenUp);
    if (Stopped(givenUp) || !(Minimised(saved) || Maximised(saved))) return put;
    WINDOWPLACEMENT wp = PlacementOf(saved, SW_HIDE);
    SetWindowPlacement(hwnd, &wp);  // the restored rectangle, where the system allows it
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE) & ~(WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style | (Maximised(saved) ? WS_MAXIMIZE : WS_MINIMIZE));
    MoveTo(hwnd, nullptr, saved.window, SWP_NOZORDER | SWP_FRAMECHANGED, givenUp);
    return put;
  }
  // Restored first, so that the rectangle is its restored one, then raised and put in
  // the state it had.
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  if (Stopped(givenUp)) return false;
  const bool put = MoveTo(hwnd, HWND_TOP, saved.normal, 0, givenUp);
  if (Stopped(givenUp)) return put;
  if (Maximised(saved)) {
    ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  } else if (Minimised(saved)) {
    // Minimised from maximised, it is maximised again when restored.
    WINDOWPLACEMENT wp = PlacementOf(saved, SW_SHOWMINNOACTIVE);
    if (!saved.restoreToMaximized || !SetWindowPlacement(hwnd, &wp))
      ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
  }
  return put;
}

void QueuePutBack(HWND hwnd, const SavedPlacement& saved) {
  const ScreenRect& r = saved.normal;
  ShowWindowAsync(hwnd, saved.visible ? SW_SHOWNOACTIVATE : SW_HIDE);
  SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  // A hidden window's state cannot be set without waiting for its program: it stays
  // hidden, in its restored rectangle.
  if (!saved.visible) return;
  if (Maximised(saved) || saved.restoreToMaximized) ShowWindowAsync(hwnd, SW_SHOWMAXIMIZED);
  if (Minimised(saved)) ShowWindowAsync(hwnd, SW_SHOWMINNOACTIVE);
}
