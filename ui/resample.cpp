// The box filter shared by the pointers and the picture box.
#include "ui/resample.h"

#include <algorithm>
#include <cstddef>

void ResampleBgra(const uint8_t* from, int fromWidth, int fromHeight, uint8_t* to, int toWidth,
                  int toHeight) {
  if (!from || !to || fromWidth <= 0 || fromHeight <= 0 || toWidth <= 0 || toHeight <= 0) return;
  if (fromWidth == toWidth && fromHeight == toHeight) {
    // Each pixel covers itself alone: copied, which a large picture at its own size
    // needs at every paint.
    for (size_t i = 0; i < static_cast<size_t>(toWidth) * toHeight * 4; i += 4) {
      const bool clear = from[i + 3] == 0;
      for (int k = 0; k < 4; ++k) to[i + k] = clear ? 0 : from[i + k];
    }
    return;
  }
  for (int ty = 0; ty < toHeight; ++ty) {
    // The target pixel covers [t, t + 1) * from / to of the source, each way.
    const double y0 = static_cast<double>(ty) * fromHeight / toHeight;
    const double y1 = static_cast<double>(ty + 1) * fromHeight / toHeight;
    for (int tx = 0; tx < toWidth; ++tx) {
      const double x0 = static_cast<double>(tx) * fromWidth / toWidth;
      const double x1 = static_cast<double>(tx + 1) * fromWidth / toWidth;
      double sum[4] = {0, 0, 0, 0}, area = 0;
      for (int sy = static_cast<int>(y0); sy < y1 && sy < fromHeight; ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        for (int sx = static_cast<int>(x0); sx < x1 && sx < fromWidth; ++sx) {
          const double w = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          const uint8_t* px = from + (static_cast<size_t>(sy) * fromWidth + sx) * 4;
          const double a = px[3] / 255.0;
          for (int k = 0; k < 3; ++k) sum[k] += w * a * px[k];
          sum[3] += w * a;
          area += w;
        }
      }
      uint8_t* out = to + (static_cast<size_t>(ty) * toWidth + tx) * 4;
      if (area <= 0 || sum[3] <= 0) {  // fully transparent
        std::fill(out, out + 4, uint8_t{0});
        continue;
      }
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<uint8_t>(std::min(255.0, sum[k] / sum[3] + 0.5));
      out[3] = static_cast<uint8_t>(std::min(255.0, sum[3] / area * 255.0 + 0.5));
    }
  }
}

std::vector<uint32_t> ResamplePixels(const std::vector<uint32_t>& pixels, int from, int to) {
  std::vector<uint32_t> out(to > 0 ? static_cast<size_t>(to) * to : 0);
  if (from <= 0 || to <= 0 || pixels.size() != static_cast<size_t>(from) * from) return out;
  std::vector<uint8_t> bytes(pixels.size() * 4), resampled(out.size() * 4);
  for (size_t i = 0; i < pixels.size(); ++i)
    for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = static_cast<uint8_t>(pixels[i] >> (8 * k));
  ResampleBgra(bytes.data(), from, from, resampled.data(), to, to);
  for (size_t i = 0; i < out.size(); ++i)
    for (int k = 0; k < 4; ++k) out[i] |= static_cast<uint32_t>(resampled[i * 4 + k]) << (8 * k);
  return out;
}
