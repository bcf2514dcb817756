#pragma once
// The capture tool's pictures and cursor, kept whole as file images in the program's
// constant data. The arrays are generated at build time from the files beside this
// header (idle.png, drag.png, capture.cur).
#include <cstddef>

extern const unsigned char kIdlePicture[];  // PNG, 320 x 320 RGB: reticle over the frame
extern const size_t kIdlePictureSize;
extern const unsigned char kDragPicture[];  // PNG, 320 x 320 RGB: the frame alone
extern const size_t kDragPictureSize;
extern const unsigned char kCaptureCursor[];  // cursor file, 32 x 32, hotspot (16, 16)
extern const size_t kCaptureCursorSize;
