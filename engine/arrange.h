#pragma once
// Laying the found windows out in a grid on the primary screen less the taskbar.
#include "engine/grid.h"
#include "engine/request.h"
#include "engine/search.h"

// The taskbar's rectangle as the shell reports it; all zero when the query fails.
TaskbarRect GetTaskbarRect();

// The screen less the taskbar, read afresh on every call.
WorkArea ComputeWorkArea();

// Every window gets cellWidth x cellHeight; a row holds as many as fit across `area`,
// which the caller read once for both its checks and the arrangement.
int32_t ArrangeBySize(const WindowList& list, const WorkArea& area, int32_t cellWidth,
                      int32_t cellHeight);

// perRow columns and as many rows as needed; keepSize only moves the windows.
int32_t ArrangeByRowCount(const WindowList& list, const WorkArea& area, int32_t perRow,
                          bool keepSize);

// The windows the request names, in the system's order; true when there is one.
bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list);

// Arranges the found windows by the request's method on `area`; the request has
// passed CheckArrangeRequest on the same area. These return how many windows were
// placed: those not closed since the search nor hung.
int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area);

// The same on a fresh reading of the work area.
void ArrangeBySize(const WindowList& list, int32_t cellWidth, int32_t cellHeight);
void ArrangeByRowCount(const WindowList& list, int32_t perRow, bool keepSize);
