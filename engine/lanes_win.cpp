// Lanes of moves, one for each thread whose windows move, run side by side.
#include <algorithm>

#include "engine/lanes.h"

namespace {

// Enough for every program a person arranges at once; past it, lanes wait their turn.
constexpr size_t kMaxHelpers = 64;

}  // namespace

MoveLanes::MoveLanes() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

MoveLanes::~MoveLanes() {
  for (const Ended& e : Abandon()) CloseHandle(e.helper);
  for (Lane& lane : lanes_)
    if (lane.helper) EndHelper(lane.helper);
  if (wake_) CloseHandle(wake_);
}

MoveLanes::Lane* MoveLanes::LaneOf(uint32_t thread) {
  auto it = std::ranges::find(lanes_, thread, &Lane::thread);
  return it == lanes_.end() ? nullptr : &*it;
}

void MoveLanes::Add(uint32_t thread, size_t step) {
  Lane* lane = LaneOf(thread);
  if (!lane) lane = &lanes_.emplace_back(Lane{thread, {}});
  lane->steps.push_back(step);
}

size_t MoveLanes::Working() const {
  return static_cast<size_t>(std::ranges::count_if(lanes_, [](const Lane& l) { return l.move; }));
}

bool MoveLanes::Next(size_t& step, uint32_t& thread) {
  if (Working() >= kMaxHelpers) return false;
  for (Lane& lane : lanes_) {
    if (lane.move || lane.next == lane.steps.size()) continue;
    step = lane.steps[lane.next++];
    thread = lane.thread;
    return true;
  }
  return false;
}

bool MoveLanes::Run(uint32_t thread, size_t step, const MoveOrder& order) {
  Lane* lane = LaneOf(thread);
  if (!lane || lane->move || !wake_) return false;
  if (!lane->helper) lane->helper = StartHelper();
  if (!lane->helper) return false;
  MoveOrder o = order;
  o.ended = wake_;
  lane->move = HandOver(lane->helper, o);
  if (!lane->move) return false;
  lane->moving = step;
  lane->movedAt = GetTickCount();
  return true;
}

std::vector<MoveLanes::Ended> MoveLanes::Collect(uint32_t now, uint32_t giveUpMs) {
  std::vector<Ended> ended;
  for (Lane& lane : lanes_) {
    if (!lane.move) continue;
    // Over as soon as the helper is through with it: it sets the wake event just
    // before the move's own.
    if (!IsOver(lane.move) && WaitForSingleObject(DoneEvent(lane.move), 0) != WAIT_OBJECT_0) {
      if (now - lane.movedAt < giveUpMs) continue;
      // Its program stopped answering in the middle. The helper is left waiting for
      // it and drops the rest of the move; a new one takes the lane's next steps.
      HANDLE thread = ThreadOf(lane.helper);
      if (GiveUp(lane.move)) {
        ended.push_back({lane.moving, End::kGivenUp, thread});
        lane.move = nullptr;
        lane.helper = nullptr;
        continue;
      }
      // It has just finished after all.
    }
    const bool landed = TakeResult(lane.move);
    lane.move = nullptr;
    ended.push_back({lane.moving, landed ? End::kLanded : End::kMissed, nullptr});
    // A lane that is through lets its thread go at once.
    if (lane.next == lane.steps.size()) {
      EndHelper(lane.helper);
      lane.helper = nullptr;
    }
  }
  return ended;
}

bool MoveLanes::Idle() const {
  return std::ranges::all_of(lanes_,
                             [](const Lane& l) { return !l.move && l.next == l.steps.size(); });
}

uint32_t MoveLanes::WaitMs(uint32_t now, uint32_t giveUpMs) const {
  uint32_t wait = 0;
  for (const Lane& lane : lanes_) {
    if (!lane.move) continue;
    const uint32_t spent = now - lane.movedAt;
    const uint32_t left = spent < giveUpMs ? giveUpMs - spent : 0;
    wait = wait == 0 ? std::max<uint32_t>(left, 1) : std::min(wait, std::max<uint32_t>(left, 1));
  }
  return wait;
}

std::vector<MoveLanes::Ended> MoveLanes::Abandon() {
  std::vector<Ended> left;
  for (Lane& lane : lanes_) {
    if (!lane.move) continue;
    HANDLE thread = ThreadOf(lane.helper);
    if (GiveUp(lane.move)) {
      left.push_back({lane.moving, End::kGivenUp, thread});
      lane.helper = nullptr;
    } else {
      // It has just finished: the helper is about to signal it.
      TakeResult(lane.move);
    }
    lane.move = nullptr;
  }
  return left;
}
