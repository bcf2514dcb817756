#pragma once
// Laying the found windows out in a grid on the primary screen less the taskbar.
#include "engine/grid.h"
#include "engine/request.h"
#include "engine/search.h"

// The taskbar's rectangle as the shell reports it; all zero when the query fails.
TaskbarRect GetTaskbarRect();

// The screen less the taskbar, read afresh on every call.
WorkArea ComputeWorkArea();

// The windows the request names, in the system's order; true when there is one.
bool FindRequestedWindows(const ArrangeRequest& request, WindowList& list);

// Arranges the found windows as PlanArrangement plans them on `area`, which the
// caller read once for both its checks and the arrangement; the request has passed
// CheckArrangeRequest on it. How many windows were placed: those not closed since
// the search nor hung.
int32_t Arrange(const WindowList& list, const ArrangeRequest& request, const WorkArea& area);
