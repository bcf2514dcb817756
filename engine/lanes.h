#pragma once
// The moves of an arrangement made side by side: one lane for each thread whose
// windows move, each lane's steps handed at once to a helper thread of its own, which
// makes them one after another, the lanes at once. A window's own thread takes one resize at a time
// anyway, so this is as fast as the slowest thread, and a program that stops answering holds up
// only its own lane.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/helper.h"

class MoveLanes {
 public:
  enum class End {
    kLanded,      // the move is over and the window ended where it was sent
    kMissed,      // the move is over and it did not
    kGivenUp,     // its thread did not finish it in time: its helper is left waiting
    kNotStarted,  // handed over behind one given up: never begun
  };
  struct Ended {
    size_t step;
    End end;
    HANDLE helper;  // kGivenUp: the thread left waiting, signalled once it has ended
  };

  MoveLanes();
  // Moves still under way are given up and their helpers left to end by themselves
  // (call Abandon first to learn which); idle helpers are ended.
  ~MoveLanes();
  MoveLanes(const MoveLanes&) = delete;
  MoveLanes& operator=(const MoveLanes&) = delete;

  // Whether a lane's steps go to its helper all at once (the default), or one at a
  // time, each once the one before is over.
  void BatchMoves(bool batch) { batch_ = batch; }
  // Adds a step to the lane of `thread`, after the steps already there.
  void Add(uint32_t thread, size_t step);
  // The next step of a lane that has nothing under way, taken off its lane: the caller
  // either settles it at once or gives its move to Run. False when every lane with
  // steps left is busy, or as many helpers as allowed are at work.
  bool Next(size_t& step, uint32_t& thread);
  // Gives the step's move to its lane, to be handed to the lane's helper with the
  // lane's other steps by Launch; false when no helper can be had (then the caller
  // settles the step another way).
  bool Run(uint32_t thread, size_t step, const MoveOrder& order);
  // Hands every lane's moves given to Run to its helper, which makes them in turn
  // without coming back in between. The steps that could not be handed over are the
  // caller's to settle another way.
  std::vector<size_t> Launch();
  // The moves that are over, or were given up after `giveUpMs` (at `now`), since the
  // last call, each lane's in order.
  std::vector<Ended> Collect(uint32_t now, uint32_t giveUpMs);
  // Nothing under way and no step left.
  bool Idle() const;
  // How long until the oldest move under way is given up (at least 1 ms; 0 when none).
  uint32_t WaitMs(uint32_t now, uint32_t giveUpMs) const;
  // Set whenever a lane's moves are all over; null when it could not be made.
  HANDLE WakeEvent() const { return wake_; }
  // Gives up every move under way: the steps given up, each with the helper left
  // behind, and those that were never begun.
  std::vector<Ended> Abandon();

 private:
  struct Lane {
    uint32_t thread = 0;
    std::vector<size_t> steps;  // waiting, in order
    size_t next = 0;
    HelperThread* helper = nullptr;
    std::vector<MoveOrder> orders;  // given to Run, not yet handed over
    std::vector<size_t> running;    // the steps of `move`, in order
    HelperMove* move = nullptr;
    size_t reported = 0;  // of `running`
  };
  Lane* LaneOf(uint32_t thread);
  size_t Working() const;
  // The steps of the lane's moves that are over and not yet reported.
  void Report(Lane& lane, size_t over, std::vector<Ended>& ended) const;
  // Gives the lane's moves up; false when they had just finished.
  bool GiveUpLane(Lane& lane, std::vector<Ended>& ended);

  std::vector<Lane> lanes_;
  HANDLE wake_ = nullptr;
  bool batch_ = true;
};
