#pragma once
// Pictures and pointers drawn at another size than their own with a box filter: each
// pixel drawn is the average of the area of the source it covers, weighted by that
// area and by the source's alpha, so that a reticle of thin lines keeps every line at
// any scale instead of losing the rows that fall between samples. No <windows.h>.
#include <cstdint>
#include <vector>

// Resamples `from` (fromWidth x fromHeight pixels) into `to` (toWidth x toHeight),
// both top-down rows of BGRA bytes with straight (not premultiplied) alpha. A pixel
// over fully transparent source is all 0. Takes nothing from the heap, so painting
// can use it under the report of a failed allocation. A size of 0 or less writes
// nothing.
void ResampleBgra(const uint8_t* from, int fromWidth, int fromHeight, uint8_t* to, int toWidth,
                  int toHeight);

// Square pixels, each 0xAARRGGBB, resampled from `from` x `from` to `to` x `to`; all 0
// when `pixels` is not `from` x `from`.
std::vector<uint32_t> ResamplePixels(const std::vector<uint32_t>& pixels, int from, int to);
