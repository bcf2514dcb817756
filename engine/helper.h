#pragma once
// The helper thread that shows and moves other programs' windows for an arrangement,
// one thread's windows in turn, so that a program that stops answering holds up only
// the helper.
#include <windows.h>

#include <vector>

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
  // The window's thread when the moves were handed over: one whose window has closed
  // since, its number perhaps given to another program's window, is not moved.
  uint32_t thread = 0;
};

struct HelperThread;
struct HelperMove;

// A new helper thread, waiting for its first orders; null when none can be had.
HelperThread* StartHelper();
// Tells an idle helper to end; it frees itself.
void EndHelper(HelperThread* helper);
// The helper's thread, signalled once it has ended. EndHelper closes it; whoever gives
// a move up takes it over first (the helper ends after that move) and closes it.
HANDLE ThreadOf(const HelperThread* helper);

// Hands the orders to an idle helper, which carries them out in turn without coming
// back in between; null when they cannot be handed over (no event to be had).
HelperMove* HandOver(HelperThread* helper, std::vector<MoveOrder> orders);
// Signalled when every order is over.
HANDLE DoneEvent(const HelperMove* move);
// The helper is through with every order, though it may not have signalled it yet.
bool IsOver(const HelperMove* move);
// How many orders are over, from the first; and whether order `i` of those ended where
// it was sent.
size_t OrdersDone(const HelperMove* move);
bool Landed(const HelperMove* move, size_t i);
// When the call under way to a window's program began (GetTickCount), or the orders
// were handed over.
uint32_t StartedAt(const HelperMove* move);
// Gives the orders up: the one under way drops its remaining steps, none after it is
// begun, and the helper ends after it. False when they had all just finished after all.
bool GiveUp(HelperMove* move);
// This side is done with the orders: over, or given up. Frees them once the helper is
// too.
void Release(HelperMove* move);
