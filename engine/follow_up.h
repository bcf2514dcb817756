#pragma once
// A busy program's window that was minimised or maximised when its move was queued:
// its frame could not be measured then, so the queued move gives it the bare cell.
// A helper process of our own waits for the program to answer and puts the visible
// frame on the cell (engine/follow_up_win.cpp). Here, what that helper is told on its
// command line. No <windows.h>.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/grid.h"

// The switch that makes a run of the program such a helper.
inline constexpr char kFollowUpSwitch[] = "--follow-up-frames";

struct FollowUp {
  int32_t handle;
  uint32_t thread;  // the window's thread when the move was queued
  Placement cell;   // where its visible frame belongs
  int32_t x, y;     // where the queued move puts the window's rectangle
  WorkArea area;    // the grid's, for a window that cannot shrink to its cell
  friend bool operator==(const FollowUp&, const FollowUp&) = default;
};

// One argument for each window.
std::string EncodeFollowUp(const FollowUp& f);
// Every argument read back; false (and nothing kept) when any of them is not one.
bool DecodeFollowUps(const std::vector<std::string>& args, std::vector<FollowUp>* out);

// Starts the helper for these windows, on its own: this process may end at once.
// The helper's process (a HANDLE, which the caller closes, and may end it with), or
// null when it could not be started.
void* StartFollowUp(const std::vector<FollowUp>& windows);
// The helper's run, with the arguments after the switch; its exit code.
int RunFollowUp(const std::vector<std::string>& args);
