// The mouse-pointer property's value read as a cursor file or a stock pointer.
#include "ui/cursor_file.h"

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kEntrySize = 16;
// The system reads at least a bitmap header (40 bytes) from an image; a PNG image
// is longer still.
constexpr uint32_t kMinImageSize = 40;

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }

}  // namespace

std::optional<CursorImage> ParseCursorFile(const uint8_t* data, size_t size) {
  if (!data || size <= kHeaderSize + kEntrySize) return std::nullopt;
  if (Le16(data) != 0 || Le16(data + 2) != 2 || Le16(data + 4) < 1) return std::nullopt;
  const uint8_t* entry = data + kHeaderSize;
  uint32_t imageSize = Le32(entry + 8);
  uint32_t offset = Le32(entry + 12);
  // Compared by subtraction, so that neither a 32-bit size_t nor offset + size can
  // overflow.
  if (offset < kHeaderSize + kEntrySize || offset > size) return std::nullopt;
  if (imageSize < kMinImageSize || imageSize > size - offset) return std::nullopt;
  CursorImage image;
  image.image = data + offset;
  image.size = imageSize;
  image.width = entry[0] ? entry[0] : 256;
  image.height = entry[1] ? entry[1] : 256;
  image.hotspotX = static_cast<int>(Le16(entry + 4));
  image.hotspotY = static_cast<int>(Le16(entry + 6));
  return image;
}

const uint16_t kStockPointers[] = {
    32512,  // 0 arrow
    32513,  // 1 text beam
    32514,  // 2 wait
    32515,  // 3 cross
    32516,  // 4 up arrow
    32642,  // 5 size north-west to south-east
    32643,  // 6 size north-east to south-west
    32644,  // 7 size west to east
    32645,  // 8 size north to south
    32646,  // 9 size all
    32648,  // 10 no
    32649,  // 11 hand
    32650,  // 12 arrow with hourglass
    32651,  // 13 help
};
const size_t kStockPointerCount = sizeof kStockPointers / sizeof kStockPointers[0];

uint32_t StockPointerNumber(uint32_t number) {
  if (number < kStockPointerCount) return kStockPointers[number];
  for (uint16_t stock : kStockPointers)
    if (stock == number) return number;
  return 0;
}

PointerChoice ChoosePointer(const uint8_t* data, size_t size) {
  PointerChoice choice;
  if (!data || size == 0) return choice;
  if (size >= 4 && Le32(data) == 0xFFFFFFFFu) {
    if (auto image = ParseCursorFile(data + 4, size - 4)) {
      choice.kind = PointerChoice::Kind::CursorFile;
      choice.cursor = *image;
    }
    return choice;
  }
  if (size > 10) {
    if (auto image = ParseCursorFile(data, size)) {
      choice.kind = PointerChoice::Kind::CursorFile;
      choice.cursor = *image;
      return choice;
    }
  }
  uint32_t number = size <= 3 ? data[0] : Le16(data);
  if (uint32_t pointer = StockPointerNumber(number)) {
    choice.kind = PointerChoice::Kind::Stock;
    choice.systemPointer = pointer;
  }
  return choice;
}

std::vector<uint32_t> CursorPixels(const CursorImage& image) {
  // BITMAPINFOHEADER: size, width, height (both halves: colour and mask), planes,
  // bits per pixel, compression; then the colour rows, bottom-up.
  if (image.size < 40) return {};
  const uint8_t* p = image.image;
  auto le32 = [](const uint8_t* q) {
    return static_cast<uint32_t>(q[0] | q[1] << 8 | q[2] << 16) | static_cast<uint32_t>(q[3]) << 24;
  };
  const uint32_t header = le32(p), width = le32(p + 4), height = le32(p + 8) / 2;
  const uint16_t bits = static_cast<uint16_t>(p[14] | p[15] << 8);
  if (header < 40 || bits != 32 || le32(p + 16) != 0 ||
      width != static_cast<uint32_t>(image.width) ||
      height != static_cast<uint32_t>(image.height) || width == 0 || width > 256)
    return {};
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  if (image.size < header + bytes) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          le32(p + header + (static_cast<size_t>(height - 1 - y) * width + x) * 4);
  return pixels;
}
