// The order of titles and the numbering of monitors.
#include "engine/order.h"

#include <algorithm>
#include <numeric>

std::vector<size_t> TitleOrder(const std::vector<NamedWindow>& windows, TextComparison compare) {
  std::vector<size_t> order(windows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  // Titles that read the same ("Client 1", "client 01") are told apart by their bytes,
  // so that the stacking order decides only between windows that are alike in full.
  std::stable_sort(order.begin(), order.end(), [&](size_t p, size_t q) {
    const NamedWindow &a = windows[p], &b = windows[q];
    int c = compare(a.title, b.title);
    if (c == 0) c = a.title.compare(b.title);
    if (c == 0) c = compare(a.className, b.className);
    if (c == 0) c = a.className.compare(b.className);
    return c < 0;
  });
  return order;
}

void OrderMonitors(std::vector<Monitor>& monitors) {
  std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& p, const Monitor& q) {
    if (p.primary != q.primary) return p.primary;
    if (p.area.left != q.area.left) return p.area.left < q.area.left;
    return p.area.top < q.area.top;
  });
}

WorkArea WorkAreaOf(const Monitor& monitor) {
  const ScreenRect& w = monitor.work;
  return {w.right - w.left, w.bottom - w.top, w.left, w.top};
}

std::vector<int32_t> KeptOrder(const std::vector<int32_t>& previous,
                               const std::vector<int32_t>& appeared,
                               const std::vector<int32_t>& found) {
  std::vector<int32_t> order;
  order.reserve(found.size());
  auto isFound = [&](int32_t h) { return std::find(found.begin(), found.end(), h) != found.end(); };
  auto take = [&](int32_t h) {
    if (isFound(h) && std::find(order.begin(), order.end(), h) == order.end()) order.push_back(h);
  };
  for (int32_t h : previous) take(h);
  for (int32_t h : appeared) take(h);
  for (int32_t h : found) take(h);
  return order;
}
