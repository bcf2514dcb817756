// Pictures decoded from PNG data into BGRA rows for the picture box.
#include "ui/picture.h"

#include <png.h>

namespace {

// Neither side may pass what a bitmap of the system comfortably holds.
constexpr uint32_t kMaxPictureSide = 16384;

// Frees the reader's state on every way out; freeing twice is harmless.
struct ImageReader {
  png_image image{};
  ImageReader() { image.version = PNG_IMAGE_VERSION; }
  ~ImageReader() { png_image_free(&image); }
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;
};

}  // namespace

DecodedImage DecodePicture(const uint8_t* data, size_t size) {
  if (!data || size == 0) return {};
  ImageReader reader;
  png_image& image = reader.image;
  if (!png_image_begin_read_from_memory(&image, data, size)) return {};
  // Checked before anything is sized from them, so that no product overflows.
  if (image.width == 0 || image.height == 0 || image.width > kMaxPictureSide ||
      image.height > kMaxPictureSide || uint64_t{image.width} * image.height > kMaxPicturePixels)
    return {};
  image.format = PNG_FORMAT_BGRA;
  DecodedImage out;
  out.pixels.resize(size_t{image.width} * image.height * 4);
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return {};
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  return out;
}
