// The natural order of titles and the numbering of monitors.
#include "engine/order.h"

#include <algorithm>
#include <numeric>

namespace {

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
unsigned char Folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// The end of the run of digits that starts at `i`.
size_t DigitsEnd(const std::string& s, size_t i) {
  while (i < s.size() && IsDigit(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

}  // namespace

int CompareNaturally(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[j]);
    if (IsDigit(x) && IsDigit(y)) {
      size_t ie = DigitsEnd(a, i), je = DigitsEnd(b, j);
      // Leading zeros aside, the longer run is the larger number.
      size_t is = i, js = j;
      while (is + 1 < ie && a[is] == '0') ++is;
      while (js + 1 < je && b[js] == '0') ++js;
      if (ie - is != je - js) return ie - is < je - js ? -1 : 1;
      if (int c = a.compare(is, ie - is, b, js, je - js); c != 0) return c < 0 ? -1 : 1;
      i = ie;
      j = je;
      continue;
    }
    // Every byte of a UTF-8 sequence is 0x80 or above, so none passes for an ASCII
    // letter, and comparing the bytes of two characters orders them by code point.
    if (Folded(x) != Folded(y)) return Folded(x) < Folded(y) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::vector<size_t> TitleOrder(const std::vector<NamedWindow>& windows) {
  std::vector<size_t> order(windows.size());
  std::iota(order.begin(), order.end(), size_t{0});
  // Titles that read the same ("Client 1", "client 01") are told apart by their bytes,
  // so that the stacking order decides only between windows that are alike in full.
  std::stable_sort(order.begin(), order.end(), [&](size_t p, size_t q) {
    const NamedWindow &a = windows[p], &b = windows[q];
    int c = CompareNaturally(a.title, b.title);
    if (c == 0) c = a.title.compare(b.title);
    if (c == 0) c = CompareNaturally(a.className, b.className);
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
