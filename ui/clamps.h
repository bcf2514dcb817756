#pragma once
// Value clamps of the control properties, without <windows.h>.
#include <algorithm>
#include <cstdint>

// Left and top stay within what a 16-bit window position can take.
inline int32_t ClampPosition(int32_t v) { return std::clamp(v, -32627, 32627); }

// Widths and heights: never negative, never beyond a window's reach.
inline int32_t ClampSize(int32_t v) { return std::clamp(v, 0, 32627); }

// A page index within the pages there are; 0 when there are none.
inline int32_t ClampPage(int32_t page, int32_t pageCount) {
  if (page > pageCount - 1) page = pageCount - 1;
  return std::max(page, 0);
}

// A choice property: negative values become 0, then the range applies.
inline int32_t ClampChoice(int32_t v, int32_t last) { return std::min(std::max(v, 0), last); }
