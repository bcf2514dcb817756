// Picture data from anywhere: decoding never reads outside it, and what decodes has
// exactly four bytes for every pixel.
#include <cstdint>
#include <cstdlib>

#include "ui/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image = DecodePicture(data, size);
  if (image.empty()) {
    if (image.width != 0 || image.height != 0) std::abort();
    return 0;
  }
  if (image.width <= 0 || image.height <= 0) std::abort();
  auto pixels = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height);
  if (pixels > kMaxPicturePixels || image.pixels.size() != pixels * 4) std::abort();
  return 0;
}
