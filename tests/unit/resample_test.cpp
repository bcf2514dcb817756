// The box filter that draws the capture tool's pictures and pointers at another size.
#include "ui/resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Grey levels, opaque, as BGRA.
Bytes Greys(std::initializer_list<uint8_t> levels) {
  Bytes out;
  for (uint8_t v : levels) out.insert(out.end(), {v, v, v, 255});
  return out;
}

TEST(Resample, EachPixelIsTheAverageOfTheAreaItCovers) {
  constexpr uint8_t W = 255;
  const struct {
    const char* what;
    Bytes from;
    int fromWidth, fromHeight, toWidth, toHeight;
    Bytes to;
  } cases[] = {
      {"halved across, not down", Greys({0, 100, 200, 50}), 4, 1, 2, 1, Greys({50, 125})},
      // Sampling one source pixel in ten would miss the line altogether.
      {"a thin line a tenth as wide",
       Greys({W, W, W, W, W, W, W, W, W, W, W, W, W, 0, W, W, W, W, W, W}), 20, 1, 2, 1,
       Greys({W, 230})},
      {"a third of a pixel each way", Greys({0, 30, 60, 90, 120, 150, 180, 210, 240}), 3, 3, 1, 1,
       Greys({120})},
      {"enlarged unevenly", Greys({7}), 1, 1, 2, 3, Greys({7, 7, 7, 7, 7, 7})},
      // Colour under no alpha does not bleed in; the coverage rounds 127.5 up.
      {"half transparent", {0, 0, 255, 255, 0, 255, 0, 0}, 2, 1, 1, 1, {0, 0, 255, 128}},
      {"all transparent", {9, 9, 9, 0, 9, 9, 9, 0}, 2, 1, 1, 1, {0, 0, 0, 0}},
      {"at its own size", {1, 2, 3, 4, 9, 9, 9, 0}, 2, 1, 2, 1, {1, 2, 3, 4, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Bytes to(static_cast<size_t>(c.toWidth) * c.toHeight * 4, 0xEE);
    ResampleBgra(c.from.data(), c.fromWidth, c.fromHeight, to.data(), c.toWidth, c.toHeight);
    EXPECT_EQ(to, c.to) << c.what;
  }
  Bytes untouched(4, 0xEE);
  ResampleBgra(Greys({1}).data(), 1, 1, untouched.data(), 0, 1);
  EXPECT_EQ(untouched, Bytes(4, 0xEE)) << "no size, nothing written";
}

}  // namespace
