// Picture decoding: the capture tool's committed pictures, and data that must not
// decode.
#include "ui/picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAsset(const char* name) {
  std::ifstream in(std::string(QM_ASSETS_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutBe32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBe32(png, static_cast<uint32_t>(data.size()));
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBe32(png, static_cast<uint32_t>(crc32(0, png.data() + start, png.size() - start)));
}

// An 8-bit PNG of the given colour type whose rows are `rows` (filter bytes
// included), compressed whole.
Bytes MakePng(uint32_t width, uint32_t height, uint8_t colourType, const Bytes& rows) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBe32(header, width);
  PutBe32(header, height);
  header.insert(header.end(), {8, colourType, 0, 0, 0});
  PutChunk(png, "IHDR", header);
  uLongf packedSize = compressBound(rows.size());
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, rows.data(), rows.size());
  packed.resize(packedSize);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

// The BGRA bytes of pixel (x, y).
Bytes Pixel(const DecodedImage& image, int x, int y) {
  auto at = image.pixels.begin() + (static_cast<size_t>(y) * image.width + x) * 4;
  return Bytes(at, at + 4);
}

TEST(Picture, CommittedPicturesDecode) {
  // Both are 320 x 320 with white corners and a grey frame band; at the centre the
  // idle picture has its blue reticle over the frame's grey cross.
  const struct {
    const char* name;
    Bytes centre;
  } pictures[] = {{"idle.png", {255, 102, 0, 255}}, {"drag.png", {100, 100, 100, 255}}};
  for (const auto& p : pictures) {
    const Bytes png = ReadAsset(p.name);
    DecodedImage image = DecodePicture(png.data(), png.size());
    ASSERT_FALSE(image.empty()) << p.name;
    EXPECT_EQ(image.width, 320) << p.name;
    EXPECT_EQ(image.height, 320) << p.name;
    ASSERT_EQ(image.pixels.size(), 320u * 320u * 4u) << p.name;
    EXPECT_EQ(Pixel(image, 0, 0), (Bytes{255, 255, 255, 255})) << p.name;
    EXPECT_EQ(Pixel(image, 319, 319), (Bytes{255, 255, 255, 255})) << p.name;
    EXPECT_EQ(Pixel(image, 15, 100), (Bytes{100, 100, 100, 255})) << p.name;
    EXPECT_EQ(Pixel(image, 160, 160), p.centre) << p.name;
  }
}

TEST(Picture, ChannelsComeOutAsBgraTopDown) {
  // Two rows of RGBA: red, half-transparent green; transparent blue, opaque grey.
  const Bytes rows = {0, 255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 0, 255, 0, 9, 9, 9, 255};
  const Bytes png = MakePng(2, 2, 6, rows);
  DecodedImage image = DecodePicture(png.data(), png.size());
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(Pixel(image, 0, 0), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(Pixel(image, 1, 0), (Bytes{0, 255, 0, 128}));  // straight alpha
  EXPECT_EQ(Pixel(image, 0, 1), (Bytes{255, 0, 0, 0}));
  EXPECT_EQ(Pixel(image, 1, 1), (Bytes{9, 9, 9, 255}));
  // A grey picture without alpha comes out opaque.
  const Bytes grey = MakePng(1, 1, 0, {0, 0x80});
  image = DecodePicture(grey.data(), grey.size());
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(Pixel(image, 0, 0), (Bytes{0x80, 0x80, 0x80, 255}));
}

TEST(Picture, BadDataGivesNoImage) {
  const Bytes idle = ReadAsset("idle.png");
  ASSERT_GT(idle.size(), 100u);
  Bytes corrupt = idle;
  corrupt[idle.size() / 2] ^= 0xFF;  // inside the picture data: its checksum fails
  // Claims 5000 x 5000 but holds one row: refused before the pixels are allocated.
  const Bytes huge = MakePng(5000, 5000, 0, Bytes(5001, 0));
  const Bytes wide = MakePng(20000, 1, 0, Bytes(20001, 0));
  const struct {
    const char* what;
    Bytes data;
  } cases[] = {
      {"nothing", {}},
      {"garbage", Bytes(300, 0x5A)},
      {"signature alone", Bytes(idle.begin(), idle.begin() + 8)},
      {"cut after the header", Bytes(idle.begin(), idle.begin() + 33)},
      {"cut in the middle", Bytes(idle.begin(), idle.begin() + idle.size() / 2)},
      {"corrupt picture data", corrupt},
      {"more pixels than allowed", huge},
      {"wider than allowed", wide},
      {"rows missing", MakePng(4, 4, 0, Bytes(5, 0))},
  };
  for (const auto& c : cases) {
    DecodedImage image = DecodePicture(c.data.data(), c.data.size());
    EXPECT_TRUE(image.empty()) << c.what;
    EXPECT_EQ(image.width, 0) << c.what;
    EXPECT_EQ(image.height, 0) << c.what;
  }
  EXPECT_TRUE(DecodePicture(nullptr, 10).empty());
}

}  // namespace
