#pragma once
// Why a window was not placed, told apart for the report: its program did not answer,
// it closed meanwhile, or the system refused the move, because its program runs with
// higher rights than Quiltmark's or otherwise. No <windows.h> here.
#include <cstdint>

#include "engine/request.h"

// An integrity level that could not be read.
inline constexpr int32_t kUnknownLevel = -1;

struct RefusalFacts {
  bool exists;     // the window is still there
  bool answered;   // its program answered before the move
  int32_t theirs;  // its process's integrity level (the label's last sub-authority)
  int32_t ours;    // this process's
};

// What became of a window that was not placed: gone, busy, refused for its program's
// higher integrity level, or refused for a reason the system does not tell.
Landing NotPlacedBecause(const RefusalFacts& facts);
