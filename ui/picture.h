#pragma once
// Pictures for the picture box, decoded without <windows.h>.
#include <cstddef>
#include <cstdint>
#include <vector>

// A picture decoded into 32-bit BGRA rows, top-down, with straight (not
// premultiplied) alpha.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  bool empty() const { return pixels.empty(); }
};

// Pictures larger than this many pixels are refused rather than allocated.
constexpr uint32_t kMaxPicturePixels = 4096u * 4096u;

// Decodes PNG data into BGRA; an empty image when it does not decode or is larger
// than kMaxPicturePixels.
DecodedImage DecodePicture(const uint8_t* data, size_t size);
