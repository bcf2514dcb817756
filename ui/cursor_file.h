#pragma once
// The mouse-pointer property of every control: its value is either a cursor file or
// the number of a stock pointer. Deciding which, and finding the first image of a
// cursor file, needs no <windows.h>; the shell builds the pointer from the answer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/resample.h"  // the pointer at another DPI

// The first image of a cursor file: a span inside the parsed data, with the size
// and hotspot that its directory entry gives.
struct CursorImage {
  const uint8_t* image;
  uint32_t size;
  int width, height;  // 1 to 256
  int hotspotX, hotspotY;
};

// The header {reserved 0, type 2, image count >= 1} and the first directory entry
// {width, height, colours, reserved, hotspot x, hotspot y, byte count, offset}, all
// little-endian. Empty unless the data is longer than the header and entry (22
// bytes) and the first image lies wholly inside it, after the entry.
std::optional<CursorImage> ParseCursorFile(const uint8_t* data, size_t size);

// The top-down BGRA pixels (alpha not premultiplied) of a cursor image that is a
// 32-bit bottom-up bitmap with its mask; empty for any other kind of image.
std::vector<uint32_t> CursorPixels(const CursorImage& image);

// System pointer numbers, as the system's own pointer names give them.
constexpr uint32_t kPointerArrow = 32512;
constexpr uint32_t kPointerHand = 32649;  // the shell loads this one from our resources

// The runtime's stock pointers. A stock number below the table's size is an index
// into it; a larger number must be one of its entries.
extern const uint16_t kStockPointers[];
extern const size_t kStockPointerCount;

// The system pointer number that a stock number names, or 0 when it names none.
uint32_t StockPointerNumber(uint32_t number);

struct PointerChoice {
  enum class Kind { None, CursorFile, Stock };
  Kind kind = Kind::None;
  CursorImage cursor{};        // Kind::CursorFile
  uint32_t systemPointer = 0;  // Kind::Stock: a number of kStockPointers
};

// What a mouse-pointer value asks for. Empty: none (the class cursor shows). A
// first 32-bit word of -1: a cursor file follows it. Otherwise a value longer than
// 10 bytes is first tried as a cursor file; failing that, it is a stock number: its
// first byte when it has 1 to 3 bytes, its first 16-bit word when longer.
PointerChoice ChoosePointer(const uint8_t* data, size_t size);
