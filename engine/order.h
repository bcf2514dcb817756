#pragma once
// The orders the command line can put the found windows in, and the monitors it can
// arrange on. No <windows.h> here.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/grid.h"

// Compares two UTF-8 texts: negative, 0 or positive.
using TextComparison = int (*)(const std::string& a, const std::string& b);

// What the title order looks at of one found window.
struct NamedWindow {
  std::string title;
  std::string className;
};

// The positions of `windows` (in the order found) sorted by title with `compare`,
// then by the title's bytes, then by class name the same two ways, then by the order
// found; so only windows with the very same title and class keep the order found.
std::vector<size_t> TitleOrder(const std::vector<NamedWindow>& windows, TextComparison compare);

// A screen rectangle: left, top, right, bottom.
struct ScreenRect {
  int32_t left, top, right, bottom;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// One monitor as the system describes it: its whole rectangle, its work area (the
// rectangle less the taskbar and any other docked bar), and whether it is primary.
struct Monitor {
  ScreenRect area;
  ScreenRect work;
  bool primary;
};

// The stable order the monitors are numbered in: the primary first, then from left
// to right and, where two start at the same x, from top to bottom.
void OrderMonitors(std::vector<Monitor>& monitors);

// The grid's work area on a monitor: its work area as the system gives it.
WorkArea WorkAreaOf(const Monitor& monitor);

// The order of a kept grid after its group changed: the windows of `previous` that are
// still `found` keep their order, then come those of `appeared` in the order they
// appeared, then any other found window in the order found. Each window once.
std::vector<int32_t> KeptOrder(const std::vector<int32_t>& previous,
                               const std::vector<int32_t>& appeared,
                               const std::vector<int32_t>& found);
