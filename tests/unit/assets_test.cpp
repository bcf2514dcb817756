// The committed pictures, cursor and icon: they are what tools/make_assets draws
// today, the program carries them whole, and they have the form the capture tool and
// the resource script rely on.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "assets/embedded.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

const std::string kAssets = QM_ASSETS_DIR;

TEST(Assets, CommittedFilesAreTheGeneratorsOutputAndAreEmbeddedWhole) {
  std::string dir = (std::filesystem::temp_directory_path() / "qm_assets_XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  const std::string command = std::string("\"") + QM_MAKE_ASSETS + "\" \"" + dir + "\"";
  EXPECT_EQ(std::system(command.c_str()), 0);
  for (const char* name : {"idle.png", "drag.png", "capture.cur", "quiltmark.ico"}) {
    const Bytes committed = ReadFile(kAssets + "/" + name);
    EXPECT_FALSE(committed.empty()) << name;
    EXPECT_TRUE(ReadFile(dir + "/" + name) == committed)
        << "assets/" << name << " is not what make_assets draws now; regenerate it";
  }
  std::filesystem::remove_all(dir);

  const struct {
    const unsigned char* data;
    size_t size;
    const char* name;
  } embedded[] = {{kIdlePicture, kIdlePictureSize, "idle.png"},
                  {kDragPicture, kDragPictureSize, "drag.png"},
                  {kCaptureCursor, kCaptureCursorSize, "capture.cur"}};
  for (const auto& e : embedded) {
    EXPECT_TRUE(Bytes(e.data, e.data + e.size) == ReadFile(kAssets + "/" + e.name)) << e.name;
  }
}

TEST(Assets, CaptureCursorIsOne32x32ImageWithItsHotspotAtTheReticlesCentre) {
  const uint8_t* f = kCaptureCursor;
  ASSERT_EQ(kCaptureCursorSize, 4286u);
  EXPECT_EQ(Le16(f), 0u);
  EXPECT_EQ(Le16(f + 2), 2u);  // cursor
  EXPECT_EQ(Le16(f + 4), 1u);  // one image
  const uint8_t* entry = f + 6;
  EXPECT_EQ(entry[0], 32);
  EXPECT_EQ(entry[1], 32);
  EXPECT_EQ(Le16(entry + 4), 16u);  // hotspot x
  EXPECT_EQ(Le16(entry + 6), 16u);  // hotspot y
  const uint32_t size = Le32(entry + 8), offset = Le32(entry + 12);
  ASSERT_EQ(offset, 22u);
  ASSERT_EQ(offset + size, kCaptureCursorSize);

  const uint8_t* dib = f + offset;
  EXPECT_EQ(Le32(dib), 40u);
  EXPECT_EQ(Le32(dib + 4), 32u);
  EXPECT_EQ(Le32(dib + 8), 64u);  // colour image and mask
  EXPECT_EQ(Le16(dib + 14), 32u);
  // Rows run bottom-up: the hotspot pixel is opaque blue, the top-left corner clear
  // and masked out.
  const uint8_t* colours = dib + 40;
  const uint8_t* hotspot = colours + ((31 - 16) * 32 + 16) * 4;
  EXPECT_EQ(Bytes(hotspot, hotspot + 4), (Bytes{255, 102, 0, 255}));
  EXPECT_EQ(colours[31 * 32 * 4 + 3], 0);
  const uint8_t* mask = colours + 32 * 32 * 4;
  EXPECT_EQ(mask[31 * 4] & 0x80, 0x80);
}

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << +c.r << "," << +c.g << "," << +c.b; }

// The pixels of a 320 x 320 8-bit RGB PNG, checking its header and chunk CRCs on
// the way. The writer leaves every row unfiltered.
std::vector<Rgb> DecodePicture(const unsigned char* file, size_t size) {
  constexpr int kSide = 320;
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(Bytes(file, file + 8) == signature);
  Bytes packed;
  size_t at = 8;
  bool ended = false;
  while (!ended && at + 12 <= size) {
    const uint32_t length = Be32(file + at);
    if (at + 12 + length > size) break;
    const uint8_t* type = file + at + 4;
    const uint8_t* data = type + 4;
    EXPECT_EQ(Be32(data + length), crc32(0, type, 4 + length)) << std::string(type, type + 4);
    const std::string name(type, type + 4);
    if (at == 8) {
      EXPECT_EQ(name, "IHDR");
      EXPECT_EQ(length, 13u);
      EXPECT_EQ(Be32(data), uint32_t(kSide));
      EXPECT_EQ(Be32(data + 4), uint32_t(kSide));
      EXPECT_EQ(Bytes(data + 8, data + 13), (Bytes{8, 2, 0, 0, 0}));  // 8-bit RGB, plain
    } else if (name == "IDAT") {
      packed.insert(packed.end(), data, data + length);
    }
    ended = name == "IEND";
    at += 12 + length;
  }
  EXPECT_TRUE(ended && at == size) << "chunks end at " << at << " of " << size;

  const size_t stride = 1 + 3 * kSide;
  Bytes raw(stride * kSide);
  uLongf rawSize = raw.size();
  EXPECT_EQ(uncompress(raw.data(), &rawSize, packed.data(), packed.size()), Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  std::vector<Rgb> pixels;
  for (int y = 0; y < kSide; ++y) {
    const uint8_t* row = &raw[y * stride];
    EXPECT_EQ(row[0], 0) << "row " << y << " is filtered";
    for (int x = 0; x < kSide; ++x)
      pixels.push_back({row[1 + 3 * x], row[2 + 3 * x], row[3 + 3 * x]});
  }
  return pixels;
}

TEST(Assets, PicturesShowTheFrameAlwaysAndTheReticleOnlyWhenIdle) {
  const std::vector<Rgb> idle = DecodePicture(kIdlePicture, kIdlePictureSize);
  const std::vector<Rgb> drag = DecodePicture(kDragPicture, kDragPictureSize);
  ASSERT_EQ(idle.size(), 320u * 320u);
  ASSERT_EQ(drag.size(), 320u * 320u);
  constexpr Rgb kWhite{255, 255, 255}, kGrey{100, 100, 100}, kBlue{0, 102, 255};
  const struct {
    const char* where;
    int x, y;
    Rgb idle, drag;
  } cases[] = {
      {"corner", 0, 0, kWhite, kWhite},
      {"centre", 160, 160, kBlue, kGrey},
      {"ring, on the diagonal", 227, 227, kBlue, kWhite},
      {"inside the ring, off the bars", 120, 120, kWhite, kWhite},
      {"frame's left side", 15, 100, kGrey, kGrey},
      {"cross beyond the bar's end", 160, 296, kGrey, kGrey},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(idle[c.y * 320 + c.x], c.idle) << "idle, " << c.where;
    EXPECT_EQ(drag[c.y * 320 + c.x], c.drag) << "drag, " << c.where;
  }
}

// The small icon at 125 % and 150 % (20 and 24) among them.
TEST(Assets, IconHoldsTenImagesOfTheSizesAndDepthsItPromises) {
  const Bytes f = ReadFile(kAssets + "/quiltmark.ico");
  ASSERT_GE(f.size(), 6u + 10 * 16);
  EXPECT_EQ(Le16(&f[2]), 1u);  // icon
  ASSERT_EQ(Le16(&f[4]), 10u);
  const struct {
    int size, bits;
  } images[] = {{16, 4},  {32, 4},  {16, 8},  {32, 8},  {48, 8},
                {16, 32}, {20, 32}, {24, 32}, {32, 32}, {48, 32}};
  for (int i = 0; i < 10; ++i) {
    const uint8_t* entry = &f[6 + 16 * i];
    const int size = images[i].size, bits = images[i].bits;
    EXPECT_EQ(entry[0], size) << i;
    EXPECT_EQ(entry[2], bits == 4 ? 16 : 0) << i;  // colour count
    EXPECT_EQ(Le16(entry + 6), uint32_t(bits)) << i;
    const uint32_t length = Le32(entry + 8), offset = Le32(entry + 12);
    ASSERT_LE(uint64_t(offset) + length, f.size()) << i;
    // Header, palette, colour rows and mask rows, each row padded to four bytes.
    const uint32_t palette = bits == 32 ? 0 : 4u << bits;
    const uint32_t rows = (size * bits + 31) / 32 * 4 + (size + 31) / 32 * 4;
    EXPECT_EQ(length, 40 + palette + rows * size) << i;
    const uint8_t* dib = &f[offset];
    EXPECT_EQ(Le32(dib + 4), uint32_t(size)) << i;
    EXPECT_EQ(Le32(dib + 8), uint32_t(2 * size)) << i;
    EXPECT_EQ(Le16(dib + 14), uint32_t(bits)) << i;
  }
}

}  // namespace
