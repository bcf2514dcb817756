// The checks an arrangement request must pass, and the one place where its method is
// chosen: the plan, with the fault sites of the routine that applies it.
#include "engine/request.h"

#include <algorithm>
#include <cmath>

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
    case ArrangeRefusal::kOffScreen: return "窗口尺寸过大，排列会超出屏幕坐标范围";
    case ArrangeRefusal::kRowsTooLow: return "窗口太多，工作区的高度不够每行一个像素";
    case ArrangeRefusal::kNone: break;
  }
  return nullptr;
}

ArrangeRefusal CheckArrangeRequest(const ArrangeRequest& request, const WorkArea& area) {
  if (request.className.empty() && request.title.empty() && request.program.empty() &&
      request.titlePattern.empty())
    return ArrangeRefusal::kNoCondition;
  if (request.method == ArrangeMethod::kBySize) {
    if (request.width <= 0) return ArrangeRefusal::kWidth;
    if (request.height <= 0) return ArrangeRefusal::kHeight;
    return ArrangeRefusal::kNone;
  }
  // Cells less than a pixel wide once the gaps are taken; with no gap, more a row than
  // the area has pixels across.
  if (request.perRow <= 0 ||
      area.width - (static_cast<double>(request.perRow) + 1) * request.gap < request.perRow)
    return ArrangeRefusal::kPerRow;
  return ArrangeRefusal::kNone;
}

ArrangeRefusal CheckGrid(const ArrangeRequest& request, const WorkArea& area, int32_t windowCount) {
  if (windowCount <= 0) return ArrangeRefusal::kNone;
  // Worked in doubles: the products can pass 2^31.
  constexpr double kLeast = -32768, kMost = 32767;
  const double gap = request.gap;
  const double perRow = request.method == ArrangeMethod::kBySize
                            ? std::max(1.0, std::floor((area.width - gap) / (request.width + gap)))
                            : request.perRow;
  const double rows = std::ceil(windowCount / perRow);
  double cellWidth = request.width, cellHeight = request.height;
  if (request.method == ArrangeMethod::kByRowCount) {
    cellWidth = std::floor((area.width - (perRow + 1) * gap) / perRow);
    cellHeight = std::floor((area.height - (rows + 1) * gap) / rows);
    if (cellHeight < 1) return ArrangeRefusal::kRowsTooLow;
  }
  const double right = area.x0 + gap + std::min<double>(perRow, windowCount) * (cellWidth + gap);
  const double bottom = area.y0 + gap + rows * (cellHeight + gap);
  if (area.x0 < kLeast || area.y0 < kLeast || right > kMost || bottom > kMost)
    return ArrangeRefusal::kOffScreen;
  return ArrangeRefusal::kNone;
}

ArrangementPlan PlanArrangement(const ArrangeRequest& request, const WorkArea& area,
                                int32_t windowCount) {
  if (request.method == ArrangeMethod::kBySize)
    return {PlanBySize(area, windowCount, request.width, request.height, request.gap),
            kBySizeSites};
  return {PlanByRowCount(area, windowCount, request.perRow, request.keepSize, request.gap),
          request.keepSize ? kMoveOnlySites : kByRowCountSites};
}
