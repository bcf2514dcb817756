// libpng and zlib are linked into the program: a PNG decodes into BGRA pixels.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <vector>

namespace {

// A 4 x 3 RGB image: red = 60 x, green = 100 y, blue 10 or 200 in a checkerboard.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x03, 0x08, 0x02, 0x00, 0x00,
    0x00, 0x3b, 0x96, 0x39, 0x91, 0x00, 0x00, 0x00, 0x28, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9c, 0x05, 0xc1, 0x31, 0x01, 0x00, 0x00, 0x08, 0xc3, 0xb0, 0xde, 0xd3, 0x84, 0x9c,
    0x89, 0x40, 0x18, 0x22, 0x2a, 0x8b, 0x04, 0xc8, 0xe0, 0x92, 0x43, 0xa8, 0xd3, 0x6c,
    0xbd, 0x06, 0xcc, 0xe8, 0x9a, 0xd3, 0x07, 0xd7, 0xb3, 0x0d, 0xd5, 0xb5, 0xa9, 0x61,
    0x99, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

TEST(Png, SimplifiedReadGivesBgra) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, kPng, sizeof kPng));
  image.format = PNG_FORMAT_BGRA;
  ASSERT_EQ(image.width, 4u);
  ASSERT_EQ(image.height, 3u);
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  auto at = [&](int x, int y) { return &pixels[(y * 4 + x) * 4]; };
  const struct {
    int x, y;
    uint8_t b, g, r;
  } expected[] = {{0, 0, 10, 0, 0}, {1, 0, 200, 0, 60}, {3, 1, 10, 100, 180}, {2, 2, 10, 200, 120}};
  for (const auto& e : expected) {
    const uint8_t* p = at(e.x, e.y);
    EXPECT_EQ(p[0], e.b);
    EXPECT_EQ(p[1], e.g);
    EXPECT_EQ(p[2], e.r);
    EXPECT_EQ(p[3], 255);  // an RGB file is opaque
  }
}

TEST(Png, DataThatIsNoPngIsRefused) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  const unsigned char notPng[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(png_image_begin_read_from_memory(&image, notPng, sizeof notPng));
  png_image_free(&image);
}

}  // namespace
