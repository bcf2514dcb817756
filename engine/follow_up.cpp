// The helper's arguments: one for each window, its numbers joined by commas.
#include "engine/follow_up.h"

#include <charconv>
#include <string_view>

namespace {

constexpr size_t kNumbers = 13;

bool ReadNumbers(std::string_view text, int64_t (&n)[kNumbers]) {
  size_t count = 0;
  const char* at = text.data();
  const char* end = at + text.size();
  for (;;) {
    if (count == kNumbers) return false;
    const auto [next, error] = std::from_chars(at, end, n[count]);
    if (error != std::errc() || next == at) return false;
    ++count;
    if (next == end) break;
    if (*next != ',') return false;
    at = next + 1;
  }
  return count == kNumbers;
}

bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

std::string EncodeFollowUp(const FollowUp& f) {
  const int64_t n[kNumbers] = {f.handle,      f.thread,     f.cell.x, f.cell.y, f.cell.cx,
                               f.cell.cy,     f.cell.flags, f.x,      f.y,      f.area.width,
                               f.area.height, f.area.x0,    f.area.y0};
  std::string text;
  for (int64_t v : n) text += (text.empty() ? "" : ",") + std::to_string(v);
  return text;
}

bool DecodeFollowUps(const std::vector<std::string>& args, std::vector<FollowUp>* out) {
  std::vector<FollowUp> read;
  for (const std::string& arg : args) {
    int64_t n[kNumbers];
    if (!ReadNumbers(arg, n)) return false;
    // The thread and the flags are unsigned; everything else fits a signed 32 bits.
    for (size_t i = 0; i < kNumbers; ++i) {
      const bool isUnsigned = i == 1 || i == 6;
      if (isUnsigned ? n[i] < 0 || n[i] > UINT32_MAX : !Fits32(n[i])) return false;
    }
    auto i32 = [&n](size_t i) { return static_cast<int32_t>(n[i]); };
    read.push_back({i32(0),
                    static_cast<uint32_t>(n[1]),
                    {i32(2), i32(3), i32(4), i32(5), static_cast<uint32_t>(n[6])},
                    i32(7),
                    i32(8),
                    {i32(9), i32(10), i32(11), i32(12)}});
  }
  *out = std::move(read);
  return true;
}
