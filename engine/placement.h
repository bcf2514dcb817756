#pragma once
// Where the windows of an arrangement were before it, to put them back (撤销排列).
#include <cstdint>
#include <vector>

#include "engine/order.h"
#include "engine/search.h"

// One window as it was: its state (the system's show command: restored, minimised or
// maximised), whether it goes back to maximised when restored from minimised,
// whether it was shown, the rectangle it goes back to when restored (for a window in
// the restored state, the one it actually had, so that a window snapped to half the
// screen goes back to its half) and, for a minimised or maximised one, the rectangle
// of that state. `placement` is the restored rectangle as the system keeps it
// (relative to the work area), handed back to it unchanged.
struct SavedPlacement {
  int32_t handle;
  uint32_t showCmd;
  bool restoreToMaximized;
  bool visible;
  ScreenRect normal;
  ScreenRect window;
  ScreenRect placement;
};

// The placements of the listed windows before anything moves, in list order (the
// stacking order from the top, as the search found them).
std::vector<SavedPlacement> SavePlacements(const WindowList& list);
