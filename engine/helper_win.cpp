// The helper thread: moves handed over one at a time, each with an event that says it
// is over. A move given up on stays the helper's, which frees it and ends.
#include "base/messages.h"
#include "engine/helper.h"
#include "engine/window_moves.h"

namespace {

enum MoveState : LONG { kMoving = 0, kMoved = 1, kGivenUp = 2 };

}  // namespace

struct HelperMove {
  MoveOrder order;
  HANDLE done;
  volatile LONG state;
  bool landed;
};

struct HelperThread {
  HANDLE wake;
  HANDLE thread;
  HelperMove* volatile move;  // null with `wake` set: end
};

namespace {

void FreeMove(HelperMove* move) {
  CloseHandle(move->done);
  delete move;
}

// False when the arrangement gave the move up meanwhile: it has gone on with another
// helper, and this one ends.
bool RunMove(HelperMove* move) {
  const MoveOrder& o = move->order;
  // The state is read between the steps: once the move is given up, its program's
  // queue holds the same requests, and anything asked for since must come after them.
  switch (o.kind) {
    case MoveOrder::Kind::kPlace:
      move->landed =
          PlaceWindow(o.hwnd, o.cell, o.area, o.shownAtPlan, o.showAt, o.moveAt, &move->state);
      break;
    case MoveOrder::Kind::kPutBack:
      move->landed = PutWindowBack(o.hwnd, o.saved, &move->state);
      break;
    case MoveOrder::Kind::kRaise: move->landed = RaiseWindow(o.hwnd, o.activate); break;
  }
  const HWND notify = o.notify;
  const UINT message = o.message;
  const HANDLE ended = o.ended;
  if (InterlockedCompareExchange(&move->state, kMoved, kMoving) == kGivenUp) {
    FreeMove(move);
    // Whoever gave it up may be waiting for this helper to be free of the window.
    if (notify) PostMessageW(notify, message, 0, PrivateMessageToken());
    return false;
  }
  // The arrangement's own event first: once `done` is set the record, and whatever
  // owns that event, may be gone.
  if (ended) SetEvent(ended);
  // From here on the record is the arrangement's.
  SetEvent(move->done);
  if (notify) PostMessageW(notify, message, 0, PrivateMessageToken());
  return true;
}

DWORD WINAPI RunHelper(void* parameter) noexcept {
  auto* helper = static_cast<HelperThread*>(parameter);
  for (;;) {
    WaitForSingleObject(helper->wake, INFINITE);
    HelperMove* move = helper->move;
    if (!move || !RunMove(move)) break;
  }
  CloseHandle(helper->wake);
  delete helper;
  return 0;
}

}  // namespace

HelperThread* StartHelper() {
  auto* helper = new HelperThread{CreateEventW(nullptr, FALSE, FALSE, nullptr), nullptr, nullptr};
  HANDLE thread = helper->wake ? CreateThread(nullptr, 64 * 1024, RunHelper, helper,
                                              STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
                               : nullptr;
  if (thread) {
    // Only this side reads it: the helper never does.
    helper->thread = thread;
    return helper;
  }
  if (helper->wake) CloseHandle(helper->wake);
  delete helper;
  return nullptr;
}

void EndHelper(HelperThread* helper) {
  CloseHandle(helper->thread);
  helper->move = nullptr;
  SetEvent(helper->wake);
}

HelperMove* HandOver(HelperThread* helper, const MoveOrder& order) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!done) return nullptr;
  auto* move = new HelperMove{order, done, kMoving, false};
  helper->move = move;
  SetEvent(helper->wake);
  return move;
}

HANDLE ThreadOf(const HelperThread* helper) { return helper->thread; }

HANDLE DoneEvent(const HelperMove* move) { return move->done; }

bool IsOver(const HelperMove* move) { return move->state != kMoving; }

bool TakeResult(HelperMove* move) {
  // A move that has just finished is waited out: the helper is about to signal it.
  WaitForSingleObject(move->done, INFINITE);
  const bool landed = move->landed;
  FreeMove(move);
  return landed;
}

bool GiveUp(HelperMove* move) {
  return InterlockedCompareExchange(&move->state, kGivenUp, kMoving) == kMoving;
}
