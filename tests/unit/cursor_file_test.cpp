// The mouse-pointer property: cursor files and stock pointer numbers.
#include "ui/cursor_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A cursor file of one image of `imageSize` bytes right after the directory.
Bytes CursorFile(uint8_t width, uint8_t height, uint16_t hotX, uint16_t hotY,
                 uint32_t imageSize = 48) {
  Bytes b(22 + imageSize, 0xCC);
  Put16(b, 0, 0);
  Put16(b, 2, 2);
  Put16(b, 4, 1);
  b[6] = width;
  b[7] = height;
  b[8] = 0;
  b[9] = 0;
  Put16(b, 10, hotX);
  Put16(b, 12, hotY);
  Put32(b, 14, imageSize);
  Put32(b, 18, 22);
  return b;
}

TEST(CursorFile, CommittedCaptureCursor) {
  std::ifstream in(std::string(QM_ASSETS_DIR) + "/capture.cur", std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(file.size(), 22u);
  auto image = ParseCursorFile(file.data(), file.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->image, file.data() + 22);
  EXPECT_EQ(image->size, file.size() - 22);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, 32);
  EXPECT_EQ(image->hotspotX, 16);
  EXPECT_EQ(image->hotspotY, 16);

  // The same file as a pointer value, bare and after a first word of -1.
  PointerChoice bare = ChoosePointer(file.data(), file.size());
  EXPECT_EQ(bare.kind, PointerChoice::Kind::CursorFile);
  EXPECT_EQ(bare.cursor.image, file.data() + 22);
  Bytes prefixed = {0xFF, 0xFF, 0xFF, 0xFF};
  prefixed.insert(prefixed.end(), file.begin(), file.end());
  PointerChoice after = ChoosePointer(prefixed.data(), prefixed.size());
  EXPECT_EQ(after.kind, PointerChoice::Kind::CursorFile);
  EXPECT_EQ(after.cursor.image, prefixed.data() + 4 + 22);
  EXPECT_EQ(after.cursor.size, image->size);
}

// The capture cursor's pixels, and the same drawn at 144 DPI: resampled, not
// repeated, so its edges stay soft; at its own size it comes back as it was.
TEST(CursorFile, PixelsResampleSmoothlyForAnotherDpi) {
  std::ifstream in(std::string(QM_ASSETS_DIR) + "/capture.cur", std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto image = ParseCursorFile(file.data(), file.size());
  ASSERT_TRUE(image);
  const std::vector<uint32_t> pixels = CursorPixels(*image);
  ASSERT_EQ(pixels.size(), 32u * 32u);
  EXPECT_EQ(ResamplePixels(pixels, 32, 32), pixels);
  const std::vector<uint32_t> big = ResamplePixels(pixels, 32, 48);
  ASSERT_EQ(big.size(), 48u * 48u);
  EXPECT_EQ(big[0] >> 24, 0u) << "a transparent corner";
  int soft = 0, blue = 0;
  for (uint32_t px : big) {
    const uint32_t alpha = px >> 24;
    soft += alpha > 0 && alpha < 255;
    blue += alpha == 255 && (px & 0xFF) > 200 && ((px >> 16) & 0xFF) < 80;  // BGRA: blue, red
  }
  EXPECT_GT(soft, 20) << "edges are blended, not blocky";
  EXPECT_GT(blue, 20) << "the reticle keeps its colour";
}

TEST(CursorFile, EntryFields) {
  Bytes b = CursorFile(0, 0, 300, 7, 40);
  auto image = ParseCursorFile(b.data(), b.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 256);  // 0 stands for 256
  EXPECT_EQ(image->height, 256);
  EXPECT_EQ(image->hotspotX, 300);
  EXPECT_EQ(image->hotspotY, 7);
  EXPECT_EQ(image->size, 40u);
  // More images than the first: only the first counts, the image may start later
  // and stop short of the end.
  b = CursorFile(16, 24, 0, 0, 100);
  Put16(b, 4, 3);
  Put32(b, 14, 60);
  Put32(b, 18, 30);
  image = ParseCursorFile(b.data(), b.size());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->image, b.data() + 30);
  EXPECT_EQ(image->size, 60u);
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->height, 24);
}

TEST(CursorFile, MalformedFilesAreRefused) {
  const Bytes good = CursorFile(32, 32, 1, 1);
  ASSERT_TRUE(ParseCursorFile(good.data(), good.size()));
  const struct {
    const char* what;
    size_t at;  // where the field is written; SIZE_MAX: the file is cut instead
    int width;  // 2 or 4 bytes
    uint32_t value;
  } cases[] = {
      {"reserved not 0", 0, 2, 1},
      {"type 1 (an icon)", 2, 2, 1},
      {"no images", 4, 2, 0},
      {"offset past the end", 18, 4, 71},
      {"offset inside the header", 18, 4, 21},
      {"size past the end", 14, 4, 49},
      {"offset + size wrap around 32 bits", 14, 4, 0xFFFFFFF0},
      {"offset near 4 GiB", 18, 4, 0xFFFFFFFF},
      {"image too small to hold a header", 14, 4, 39},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    if (c.width == 2)
      Put16(b, c.at, c.value);
    else
      Put32(b, c.at, c.value);
    EXPECT_FALSE(ParseCursorFile(b.data(), b.size())) << c.what;
  }
  for (size_t cut : {size_t{0}, size_t{5}, size_t{21}, size_t{22}, good.size() - 1})
    EXPECT_FALSE(ParseCursorFile(good.data(), cut)) << "cut to " << cut;
  EXPECT_FALSE(ParseCursorFile(nullptr, 100));
}

TEST(CursorFile, StockPointers) {
  const Bytes file = CursorFile(32, 32, 1, 1);
  const struct {
    const char* what;
    Bytes value;
    PointerChoice::Kind kind;
    uint32_t pointer;
  } cases[] = {
      {"empty", {}, PointerChoice::Kind::None, 0},
      {"index 0 by its byte", {0}, PointerChoice::Kind::Stock, 32512},
      {"index 11, the hand", {11, 0xAA}, PointerChoice::Kind::Stock, kPointerHand},
      {"index 13 of three bytes", {13, 0xAA, 0xBB}, PointerChoice::Kind::Stock, 32651},
      {"byte past the table", {14}, PointerChoice::Kind::None, 0},
      {"three bytes read only the first", {0x00, 0x7F, 0x00}, PointerChoice::Kind::Stock, 32512},
      {"index by its word", {2, 0, 0xAA, 0xBB}, PointerChoice::Kind::Stock, 32514},
      {"system number by its word", {0x02, 0x7F, 0, 0}, PointerChoice::Kind::Stock, 32514},
      {"hand by its word", {0x89, 0x7F, 0, 0, 0}, PointerChoice::Kind::Stock, 32649},
      {"word not in the table", {0x47, 0x7F, 0, 0}, PointerChoice::Kind::None, 0},
      {"32647 is not a stock pointer", {0x87, 0x7F, 0, 0}, PointerChoice::Kind::None, 0},
      // Longer than 10 bytes but not a cursor file: the first word still names one.
      {"long, not a file", {1, 0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, PointerChoice::Kind::Stock, 32513},
      // After -1 only a cursor file counts.
      {"-1 alone", {0xFF, 0xFF, 0xFF, 0xFF}, PointerChoice::Kind::None, 0},
      {"-1 then a stock word", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0}, PointerChoice::Kind::None, 0},
      {"-1 as 16 bits only", {0xFF, 0xFF, 0, 0}, PointerChoice::Kind::None, 0},
  };
  for (const auto& c : cases) {
    PointerChoice choice = ChoosePointer(c.value.data(), c.value.size());
    EXPECT_EQ(choice.kind, c.kind) << c.what;
    EXPECT_EQ(choice.systemPointer, c.pointer) << c.what;
  }
  // Every stock pointer, by its index and by its own number.
  const uint32_t kByIndex[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                               32644, 32645, 32646, 32648, 32649, 32650, 32651};
  for (uint8_t i = 0; i < 14; ++i) {
    const uint8_t word[] = {static_cast<uint8_t>(kByIndex[i]),
                            static_cast<uint8_t>(kByIndex[i] >> 8), 0, 0};
    EXPECT_EQ(ChoosePointer(&i, 1).systemPointer, kByIndex[i]) << int{i};
    EXPECT_EQ(ChoosePointer(word, 4).systemPointer, kByIndex[i]) << int{i};
  }
  // Ten bytes are never tried as a file, even when they start like one.
  PointerChoice shortFile = ChoosePointer(file.data(), 10);
  EXPECT_EQ(shortFile.kind, PointerChoice::Kind::Stock);
  EXPECT_EQ(shortFile.systemPointer, 32512u);  // the file's first word, 0
}

// A bitmap image: its header and `width` × `height` zero pixels of 32 bits; the mask,
// which is never read, left out.
Bytes Bitmap(uint32_t width, uint32_t height, uint16_t bits = 32) {
  Bytes b(40 + width * height * 4, 0);
  Put32(b, 0, 40);
  Put32(b, 4, width);
  Put32(b, 8, height * 2);  // colour and mask
  Put16(b, 12, 1);
  Put16(b, 14, bits);
  return b;
}

// A 32-bit image's rows come bottom-up and go out top-down, up to the widest one;
// any other depth gives none. Resampling rounds each channel and the coverage.
TEST(CursorFile, PixelsOfASmallImage) {
  Bytes image = Bitmap(2, 2);
  const uint32_t bottomUp[] = {0xFF000003, 0xFF000004, 0xFF000001, 0xFF000002};
  for (size_t i = 0; i < 4; ++i) Put32(image, 40 + 4 * i, bottomUp[i]);
  const std::vector<uint32_t> topDown = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};
  EXPECT_EQ(CursorPixels({image.data(), 56, 2, 2, 0, 0}), topDown);
  EXPECT_EQ(CursorPixels({image.data(), 55, 2, 2, 0, 0}), std::vector<uint32_t>{});
  const Bytes widest = Bitmap(256, 1);
  EXPECT_EQ(CursorPixels({widest.data(), 1064, 256, 1, 0, 0}).size(), 256u);
  const Bytes depth24 = Bitmap(2, 2, 24);
  EXPECT_EQ(CursorPixels({depth24.data(), 56, 2, 2, 0, 0}), std::vector<uint32_t>{});

  EXPECT_EQ(ResamplePixels(topDown, 2, 1), std::vector<uint32_t>{0xFF000003});  // 2.5 up
  EXPECT_EQ(ResamplePixels({0xFF0000FF, 0, 0, 0xFF000000}, 2, 1),
            std::vector<uint32_t>{0x80000080});  // half covered, 127.5 blue
}

}  // namespace
