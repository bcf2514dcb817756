#pragma once
// What the benchmarks share: a clock, medians, and N windows of their own that are
// parked at one spot between measurements.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline int64_t Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

inline double Milliseconds(int64_t from, int64_t to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to - from) * 1000.0 / static_cast<double>(f.QuadPart);
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// The middle half of a sample: its median and first and third quartiles, by linear
// interpolation between neighbouring values; and the range that holds the median
// itself with 95% confidence, from the order statistics, whatever the distribution.
struct Spread {
  double median = 0, q1 = 0, q3 = 0;
  double low = 0, high = 0;
};

inline double Quantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0;
  const double at = q * static_cast<double>(sorted.size() - 1);
  const size_t low = static_cast<size_t>(at);
  const size_t high = std::min(low + 1, sorted.size() - 1);
  return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}

inline Spread SpreadOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  if (v.empty()) return {};
  const double n = static_cast<double>(v.size());
  const double reach = 0.98 * std::sqrt(n);
  const long last = static_cast<long>(v.size()) - 1;
  const long low = std::clamp(static_cast<long>(std::floor(n / 2 - reach)), 0L, last);
  const long high = std::clamp(static_cast<long>(std::ceil(n / 2 + reach)) - 1, 0L, last);
  return {Quantile(v, 0.5), Quantile(v, 0.25), Quantile(v, 0.75), v[static_cast<size_t>(low)],
          v[static_cast<size_t>(high)]};
}

// A ratio's columns, under kRatioHeading: median, interquartile range, and the range
// of the median.
constexpr char kRatioHeading[] = "   ratio       ratio IQR      median 95%";

inline std::string RatioText(const Spread& s) {
  char text[64];
  std::snprintf(text, sizeof text, "%8.3f %7.3f-%-7.3f %7.3f-%-7.3f", s.median, s.q1, s.q3, s.low,
                s.high);
  return text;
}

// Ratios of figures measured in the same rounds, one per round.
inline std::vector<double> Ratios(const std::vector<double>& a, const std::vector<double>& b) {
  std::vector<double> r;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (b[i] > 0) r.push_back(a[i] / b[i]);
  return r;
}

inline void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Where every window waits between measurements: one spot, one size unlike any
// cell's, so that each measurement moves and resizes every window.
constexpr int kParkX = 40;
constexpr int kParkY = 40;
constexpr int kParkWidth = 320;
constexpr int kParkHeight = 240;

// A window class, registered for the life of this object.
class WindowClass {
 public:
  WindowClass(const char* name, WNDPROC proc) : name_(name) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    registered_ = RegisterClassA(&wc) != 0;
  }
  ~WindowClass() {
    if (registered_) UnregisterClassA(name_, GetModuleHandleA(nullptr));
  }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;
  bool registered() const { return registered_; }

 private:
  const char* name_;
  bool registered_ = false;
};

// N visible top-level windows of a class, parked, destroyed with this object.
class Windows {
 public:
  Windows(int count, const char* className, const char* title) {
    handles_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      HWND h = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, kParkX,
                               kParkY, kParkWidth, kParkHeight, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
      if (!h) break;
      handles_.push_back(h);
    }
  }
  ~Windows() {
    for (HWND h : handles_) DestroyWindow(h);
  }
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;
  const std::vector<HWND>& handles() const { return handles_; }

 private:
  std::vector<HWND> handles_;
};

// Puts every window back into one known state: parked at one spot, the last created on
// top (so each search finds them in the same order and each cell gets the same window),
// the first one active, and nothing left in the queue.
// It waits until the windows have had nothing to say for 30 ms, so that no work left
// over from parking falls into the next measurement.
inline void Park(const std::vector<HWND>& handles) {
  for (HWND h : handles)
    SetWindowPos(h, HWND_TOP, kParkX, kParkY, kParkWidth, kParkHeight, SWP_NOACTIVATE);
  SetActiveWindow(handles.front());
  GdiFlush();
  for (int quiet = 0, turns = 0; quiet < 3 && turns < 200; ++turns) {
    MSG msg;
    bool any = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    quiet = any ? 0 : quiet + 1;
    Sleep(10);
  }
}

inline std::vector<RECT> Rects(const std::vector<HWND>& handles) {
  std::vector<RECT> rects(handles.size());
  for (size_t i = 0; i < handles.size(); ++i) GetWindowRect(handles[i], &rects[i]);
  return rects;
}

inline bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RECT& x, const RECT& y) {
    return x.left == y.left && x.top == y.top && x.right == y.right && x.bottom == y.bottom;
  });
}

}  // namespace bench
