#include "engine/request.h"

ArrangeRefusal CheckArrangeRequest(const ArrangeRequest& request, const WorkArea& area) {
  if (request.className.empty() && request.title.empty()) return ArrangeRefusal::kNoCondition;
  if (request.method == ArrangeMethod::kBySize) {
    if (request.width <= 0) return ArrangeRefusal::kWidth;
    if (request.height <= 0) return ArrangeRefusal::kHeight;
    return ArrangeRefusal::kNone;
  }
  if (request.perRow <= 0 || request.perRow > area.width) return ArrangeRefusal::kPerRow;
  return ArrangeRefusal::kNone;
}

std::vector<Placement> PlanArrangement(const ArrangeRequest& request, const WorkArea& area,
                                       int32_t windowCount) {
  if (request.method == ArrangeMethod::kBySize)
    return PlanBySize(area, windowCount, request.width, request.height);
  return PlanByRowCount(area, windowCount, request.perRow, request.keepSize);
}
