// Lanes of moves, one for each thread whose windows move, run side by side.
#include <algorithm>

#include "engine/lanes.h"

namespace {

// Enough for every program a person arranges at once; past it, lanes wait their turn.
constexpr size_t kMaxHelpers = 64;

}  // namespace

MoveLanes::MoveLanes() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

MoveLanes::~MoveLanes() {
  for (const Ended& e : Abandon())
    if (e.helper) CloseHandle(e.helper);
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
  if (!lane) {
    lane = &lanes_.emplace_back();
    lane->thread = thread;
  }
  lane->steps.push_back(step);
}

size_t MoveLanes::Working() const {
  return static_cast<size_t>(
      std::ranges::count_if(lanes_, [](const Lane& l) { return l.move || !l.orders.empty(); }));
}

bool MoveLanes::Next(size_t& step, uint32_t& thread) {
  // A lane already taking steps takes the rest of them first, so that they go over
  // together.
  for (Lane& lane : lanes_) {
    if (!batch_) break;
    if (lane.move || lane.orders.empty() || lane.next == lane.steps.size()) continue;
    step = lane.steps[lane.next++];
    thread = lane.thread;
    return true;
  }
  if (Working() >= kMaxHelpers) return false;
  for (Lane& lane : lanes_) {
    if (lane.move || !lane.orders.empty() || lane.next == lane.steps.size()) continue;
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
  lane->orders.push_back(order);
  lane->orders.back().ended = wake_;
  lane->running.push_back(step);
  return true;
}

std::vector<size_t> MoveLanes::Launch() {
  std::vector<size_t> left;
  for (Lane& lane : lanes_) {
    if (lane.move || lane.orders.empty()) continue;
    lane.move = HandOver(lane.helper, std::move(lane.orders));
    lane.orders.clear();
    lane.reported = 0;
    if (lane.move) continue;
    left.insert(left.end(), lane.running.begin(), lane.running.end());
    lane.running.clear();
  }
  return left;
}

void MoveLanes::Report(Lane& lane, size_t over, std::vector<Ended>& ended) const {
  for (; lane.reported < over; ++lane.reported)
    ended.push_back({lane.running[lane.reported],
                     Landed(lane.move, lane.reported) ? End::kLanded : End::kMissed, nullptr});
}

bool MoveLanes::GiveUpLane(Lane& lane, std::vector<Ended>& ended) {
  HANDLE thread = ThreadOf(lane.helper);
  if (!GiveUp(lane.move)) return false;
  // Those over by now are what they are; the one under way is left to its helper,
  // and the rest were never begun.
  Report(lane, OrdersDone(lane.move), ended);
  for (size_t i = lane.reported; i < lane.running.size(); ++i)
    ended.push_back({lane.running[i], i == lane.reported ? End::kGivenUp : End::kNotStarted,
                     i == lane.reported ? thread : nullptr});
  // Every order was over, though the helper had not said so yet: it ends all the same.
  if (lane.reported == lane.running.size()) CloseHandle(thread);
  Release(lane.move);
  lane.move = nullptr;
  lane.helper = nullptr;
  lane.running.clear();
  return true;
}

std::vector<MoveLanes::Ended> MoveLanes::Collect(uint32_t now, uint32_t giveUpMs) {
  std::vector<Ended> ended;
  for (Lane& lane : lanes_) {
    if (!lane.move) continue;
    if (!IsOver(lane.move)) {
      // Its program stopped answering in the middle. The helper is left waiting for
      // it and drops the rest; a new one takes the lane's next steps.
      if (now - StartedAt(lane.move) >= giveUpMs && GiveUpLane(lane, ended)) continue;
      if (!IsOver(lane.move)) {
        Report(lane, OrdersDone(lane.move), ended);
        continue;
      }
      // It has just finished after all.
    }
    Report(lane, lane.running.size(), ended);
    Release(lane.move);
    lane.move = nullptr;
    lane.running.clear();
    // A lane that is through lets its thread go at once.
    if (lane.next == lane.steps.size()) {
      EndHelper(lane.helper);
      lane.helper = nullptr;
    }
  }
  return ended;
}

bool MoveLanes::Idle() const {
  return std::ranges::all_of(lanes_, [](const Lane& l) {
    return !l.move && l.orders.empty() && l.next == l.steps.size();
  });
}

uint32_t MoveLanes::WaitMs(uint32_t now, uint32_t giveUpMs) const {
  uint32_t wait = 0;
  for (const Lane& lane : lanes_) {
    if (!lane.move) continue;
    const uint32_t spent = now - StartedAt(lane.move);
    const uint32_t left = spent < giveUpMs ? giveUpMs - spent : 0;
    wait = wait == 0 ? std::max<uint32_t>(left, 1) : std::min(wait, std::max<uint32_t>(left, 1));
  }
  return wait;
}

std::vector<MoveLanes::Ended> MoveLanes::Abandon() {
  std::vector<Ended> left;
  for (Lane& lane : lanes_) {
    lane.orders.clear();
    if (!lane.move) {
      for (size_t step : lane.running) left.push_back({step, End::kNotStarted, nullptr});
      lane.running.clear();
      continue;
    }
    if (GiveUpLane(lane, left)) continue;
    // They have just finished: the helper is about to signal it.
    Release(lane.move);
    lane.move = nullptr;
  }
  return left;
}
