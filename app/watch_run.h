#pragma once
// The command line's --watch and --stop: a run that keeps its grid until it is told to
// end, and the run that tells every such run of the session to end.
#include <functional>

#include "app/command_line.h"

// Held by a run from the moment it knows it is a watch until the watch's window exists
// (or the run ends without one), so that --stop waits for a watch that is starting.
// Taken for 2 s at most: a start that is stuck must not hold every other back.
class WatchStart {
 public:
  WatchStart();
  ~WatchStart();
  WatchStart(const WatchStart&) = delete;
  WatchStart& operator=(const WatchStart&) = delete;
  void Release();

 private:
  void* mutex_;
  bool holding_;
};

// Keeps the request's grid until --stop or the end of the session; it leaves its
// console once started, through `leaveConsole`, and lets `start` go once its window
// is there. The request has passed the checks. kExitArranged when it ended as asked.
int RunWatch(const CommandLine& cmd, WatchStart& start, const std::function<void()>& leaveConsole);

// Ends every watch of this session, one that is starting too, waiting up to 2 s for
// each to be gone; how many ended.
int StopWatches();
