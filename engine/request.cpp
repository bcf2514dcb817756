// The checks an arrangement request must pass, and the one place where its method is
// chosen: the plan, with the fault sites of the routine that applies it.
#include "engine/request.h"

namespace {

// Each method is its own routine, with its own list reads and calls.
constexpr ApplySites kBySizeSites = {67174679, 2048, 2086, 2134};
constexpr ApplySites kByRowCountSites = {67174688, 2420, 2485, 2533};
constexpr ApplySites kMoveOnlySites = {67174688, 2420, 2592, 2640};

}  // namespace

const char* RefusalMessage(ArrangeRefusal refusal) {
  switch (refusal) {
    case ArrangeRefusal::kNoCondition: return "请至少提供一个窗口查找条件！";
    case ArrangeRefusal::kWidth: return "窗口宽度无效";
    case ArrangeRefusal::kHeight: return "窗口高度无效";
    case ArrangeRefusal::kPerRow: return "排列数量无效";
    case ArrangeRefusal::kNone: break;
  }
  return nullptr;
}

ArrangeRefusal CheckArrangeRequest(const ArrangeRequest& request, const WorkArea& area) {
  if (request.className.empty() && request.title.empty() && request.program.empty())
    return ArrangeRefusal::kNoCondition;
  if (request.method == ArrangeMethod::kBySize) {
    if (request.width <= 0) return ArrangeRefusal::kWidth;
    if (request.height <= 0) return ArrangeRefusal::kHeight;
    return ArrangeRefusal::kNone;
  }
  if (request.perRow <= 0 || request.perRow > area.width) return ArrangeRefusal::kPerRow;
  return ArrangeRefusal::kNone;
}

ArrangementPlan PlanArrangement(const ArrangeRequest& request, const WorkArea& area,
                                int32_t windowCount) {
  if (request.method == ArrangeMethod::kBySize)
    return {PlanBySize(area, windowCount, request.width, request.height), kBySizeSites};
  return {PlanByRowCount(area, windowCount, request.perRow, request.keepSize),
          request.keepSize ? kMoveOnlySites : kByRowCountSites};
}
