// The helper thread: a thread's moves handed over at once and carried out in turn,
// with a count of those over and an event that says all are. Moves given up on stay
// the helper's too until it is through with the one under way; then it ends.
#include <atomic>

#include "base/messages.h"
#include "engine/helper.h"
#include "engine/window_moves.h"

namespace {

enum MoveState : LONG { kMoving = 0, kMoved = 1, kGivenUp = 2 };

}  // namespace

struct HelperMove {
  std::vector<MoveOrder> orders;
  std::vector<char> landed;
  HANDLE done;
  MoveProgress progress;  // its state is also every order's "given up" flag
  std::atomic<size_t> over{0};
  // The arrangement's hold and the helper's: whoever lets go last frees it, as a
  // helper left in a move given up on may come back long after the arrangement.
  std::atomic<int> holds{2};
};

struct HelperThread {
  HANDLE wake;
  HANDLE thread;
  HelperMove* volatile move;  // null with `wake` set: end
};

namespace {

void LetGo(HelperMove* move) {
  if (--move->holds > 0) return;
  CloseHandle(move->done);
  delete move;
}

bool RunOrder(HelperMove* move, const MoveOrder& o) {
  // The state is read between the steps: once the move is given up, its program's
  // queue holds the same requests, and anything asked for since must come after them.
  if (o.thread && GetWindowThreadProcessId(o.hwnd, nullptr) != o.thread) return false;
  switch (o.kind) {
    case MoveOrder::Kind::kPlace:
      return PlaceWindow(o.hwnd, o.cell, o.area, o.shownAtPlan, o.showAt, o.moveAt,
                         &move->progress);
    case MoveOrder::Kind::kPutBack: return PutWindowBack(o.hwnd, o.saved, &move->progress);
    case MoveOrder::Kind::kRaise: return RaiseWindow(o.hwnd, o.activate);
  }
  return false;
}

// False when the arrangement gave the orders up meanwhile: it has gone on without
// this helper, which ends.
bool RunMoves(HelperMove* move) {
  const MoveOrder& first = move->orders.front();
  const HWND notify = first.notify;
  const UINT message = first.message;
  const HANDLE ended = first.ended;
  for (size_t i = 0; i < move->orders.size() && move->progress.state == kMoving; ++i) {
    move->progress.callAt = GetTickCount();
    move->landed[i] = RunOrder(move, move->orders[i]);
    // The clock starts again here: the next order's wait begins with it.
    move->progress.callAt = GetTickCount();
    move->over = i + 1;
  }
  if (InterlockedCompareExchange(&move->progress.state, kMoved, kMoving) == kGivenUp) {
    LetGo(move);
    // Whoever gave it up may be waiting for this helper to be free of the window.
    if (notify) PostMessageW(notify, message, 0, PrivateMessageToken());
    return false;
  }
  // The arrangement's own event first: once `done` is set, whatever owns that event
  // may be gone.
  if (ended) SetEvent(ended);
  SetEvent(move->done);
  LetGo(move);
  if (notify) PostMessageW(notify, message, 0, PrivateMessageToken());
  return true;
}

DWORD WINAPI RunHelper(void* parameter) noexcept {
  auto* helper = static_cast<HelperThread*>(parameter);
  for (;;) {
    WaitForSingleObject(helper->wake, INFINITE);
    HelperMove* move = helper->move;
    if (!move || !RunMoves(move)) break;
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

HelperMove* HandOver(HelperThread* helper, std::vector<MoveOrder> orders) {
  if (orders.empty()) return nullptr;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!done) return nullptr;
  auto* move = new HelperMove{};
  move->landed.assign(orders.size(), 0);
  move->orders = std::move(orders);
  move->done = done;
  move->progress.callAt = GetTickCount();
  helper->move = move;
  SetEvent(helper->wake);
  return move;
}

HANDLE ThreadOf(const HelperThread* helper) { return helper->thread; }

HANDLE DoneEvent(const HelperMove* move) { return move->done; }

bool IsOver(const HelperMove* move) { return move->progress.state != kMoving; }

size_t OrdersDone(const HelperMove* move) { return move->over; }

bool Landed(const HelperMove* move, size_t i) { return move->landed[i] != 0; }

uint32_t StartedAt(const HelperMove* move) { return move->progress.callAt; }

bool GiveUp(HelperMove* move) {
  return InterlockedCompareExchange(&move->progress.state, kGivenUp, kMoving) == kMoving;
}

void Release(HelperMove* move) {
  // Orders that have just finished are waited out: the helper is about to signal them.
  if (move->progress.state == kMoved) WaitForSingleObject(move->done, INFINITE);
  LetGo(move);
}
