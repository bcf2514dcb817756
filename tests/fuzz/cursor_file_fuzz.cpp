// Mouse-pointer values: whatever the bytes, a cursor image found in them lies
// wholly inside them, and a stock choice is one of the runtime's pointers.
#include <cstdint>
#include <cstdlib>

#include "ui/cursor_file.h"

namespace {

void CheckInside(const CursorImage& c, const uint8_t* data, size_t size) {
  if (c.image < data || c.size > size || c.image > data + (size - c.size)) std::abort();
  if (c.width < 1 || c.width > 256 || c.height < 1 || c.height > 256) std::abort();
  // Touch both ends, so that a span that slipped past the checks is caught.
  volatile uint8_t ends = c.image[0] ^ c.image[c.size - 1];
  (void)ends;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (auto image = ParseCursorFile(data, size)) CheckInside(*image, data, size);
  PointerChoice choice = ChoosePointer(data, size);
  switch (choice.kind) {
    case PointerChoice::Kind::None: break;
    case PointerChoice::Kind::CursorFile: CheckInside(choice.cursor, data, size); break;
    case PointerChoice::Kind::Stock:
      if (StockPointerNumber(choice.systemPointer) != choice.systemPointer) std::abort();
      break;
  }
  return 0;
}
