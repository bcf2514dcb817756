#pragma once
// The helper thread that shows and moves other programs' windows for an arrangement,
// one at a time, so that a program that stops answering holds up only the helper.
#include <windows.h>

#include "base/fault.h"
#include "engine/grid.h"
#include "engine/placement.h"

// One window to place in its cell, to put back as saved, or only to raise.
struct MoveOrder {
  enum class Kind { kPlace, kPutBack, kRaise };
  HWND hwnd;
  Kind kind;
  Placement cell;
  bool shownAtPlan;      // visible when the plan was made: not shown again if hidden since
  SavedPlacement saved;  // a copy: the helper may outlive the arrangement
  FaultLocation showAt, moveAt;
  HWND notify;  // posted `message` when the move is over, if not null
  UINT message;
  bool activate = false;   // kRaise: the window takes the activation as it is raised
  HANDLE ended = nullptr;  // set too when the move is over, before its own event
  WorkArea area = {};      // kPlace: the area the grid is laid on
};

struct HelperThread;
struct HelperMove;

// A new helper thread, waiting for its first move; null when none can be had.
HelperThread* StartHelper();
// Tells an idle helper to end; it frees itself.
void EndHelper(HelperThread* helper);
// The helper's thread, signalled once it has ended. EndHelper closes it; whoever gives
// a move up takes it over first (the helper ends after that move) and closes it.
HANDLE ThreadOf(const HelperThread* helper);

// Hands the order to an idle helper; null when the move cannot be made (no event to
// be had), and then nothing was handed over.
HelperMove* HandOver(HelperThread* helper, const MoveOrder& order);
// Signalled when the move is over.
HANDLE DoneEvent(const HelperMove* move);
// The helper is through with the move, though it may not have signalled it yet.
bool IsOver(const HelperMove* move);
// The move is over: whether the window ended where it was sent. Frees the move.
bool TakeResult(HelperMove* move);
// Gives the move up: its remaining steps are dropped, and the helper ends after it
// and frees it. False when it had just finished after all: then TakeResult, which
// waits for the helper to let go of it.
bool GiveUp(HelperMove* move);
