#pragma once
// What one arrangement is asked to do, from the window's fields or from the command
// line, and the checks both make before anything is searched or moved. No
// <windows.h> here.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/grid.h"

enum class ArrangeMethod { kBySize = 0, kByRowCount = 1 };

struct ArrangeRequest {
  std::string className;  // empty: any class
  std::string title;      // empty: any title
  std::string program;    // the program's file name; empty: any program
  // The title by a pattern: * for any run of characters, ? for one; empty: any title.
  std::string titlePattern;
  ArrangeMethod method = ArrangeMethod::kBySize;
  int32_t width = 0, height = 0;  // by size
  int32_t perRow = 0;             // by row count
  bool keepSize = false;          // by row count: move only
  int32_t gap = 0;                // pixels between the cells and around them
};

// The first input an arrangement refuses, in the order the window asks for them.
enum class ArrangeRefusal {
  kNone,
  kNoCondition,
  kWidth,
  kHeight,
  kPerRow,
  // Known only once the windows are counted (CheckGrid):
  kOffScreen,   // a cell would reach past the coordinates a window can have
  kRowsTooLow,  // so many rows that a cell would be less than one pixel high
};

// What the window's box and the command line say of a refusal; null for kNone.
const char* RefusalMessage(ArrangeRefusal refusal);

// The fault locations of one arrangement routine's list reads and calls.
struct ApplySites {
  int32_t routine;
  int32_t showRead;  // the list read that feeds ShowWindow, and that call
  int32_t moveRead;  // the list read that feeds SetWindowPos
  int32_t move;      // the SetWindowPos call
};

// What became of one window of an arrangement.
enum class Landing : uint8_t {
  kWaiting,  // not yet settled
  kPlaced,   // the system moved it into its cell
  kBusy,     // its program did not answer in time: the show and the move wait in its
             // queue and land when it answers again
  kRefused,  // the system or the window refused the move
  kGone,     // closed since the search
  // Refused because its program runs with a higher integrity level than this one.
  kHigherRights,
};

// One arrangement, decided in full before any window is touched: where each window
// goes, and the fault sites of the routine that places them.
struct ArrangementPlan {
  std::vector<Placement> cells;
  ApplySites sites;
};

// A search needs a class, a title (or its pattern) or a program; the method's numbers must be
// above 0, and a row cannot hold more windows than leave its cells, less the gaps, at least a
// pixel wide. Only the numbers of the chosen method are looked at.
ArrangeRefusal CheckArrangeRequest(const ArrangeRequest& request, const WorkArea& area);

// The grid for `windowCount` windows, before it is planned: every cell within the
// coordinates a window can have (-32768..32767), so that no row wraps round, and, by
// row count, rows at least one pixel high once the gaps are taken.
ArrangeRefusal CheckGrid(const ArrangeRequest& request, const WorkArea& area, int32_t windowCount);

// Where each of `windowCount` windows goes, for a request that passed the checks: the
// one choice of method for the button, the command line and its --list alike.
ArrangementPlan PlanArrangement(const ArrangeRequest& request, const WorkArea& area,
                                int32_t windowCount);
