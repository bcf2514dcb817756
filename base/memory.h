#pragma once
// Memory blocks over the process heap, and array blocks: {dimension count,
// dimension sizes..., elements...}. A block may point into the read-only constant
// area; such a block is never freed or written, only copied out of.
#include <cstddef>
#include <cstdint>

// The constant area, fixed at start-up: the program's read-only data.
void SetConstantArea(const void* start, size_t size);
bool IsConstantBlock(const void* block);

// The empty array {1, 0}: one dimension of size 0. It lives in the constant area.
extern const int32_t kEmptyArray[2];

// Each of these raises the allocation fault when the heap cannot supply the block.
void* AllocBlock(size_t size);
void* ReallocBlock(void* block, size_t size);  // block may be null or constant
void FreeBlock(const void* block);             // null and constant blocks: nothing

// 0 for a missing array or one of 0 dimensions, else the product of the sizes
// (32-bit, unchecked).
int32_t ArrayElementCount(const int32_t* array);

// Copies an array out of the constant area before it is written.
void MakeArrayPrivate(size_t elementSize, int32_t*& array);

// Reads element `index` (1-based) of a one-dimensional array of 32-bit values,
// raising fault 4 below 1 and fault 1 above the count, at `routine`/`position`.
int32_t ReadArrayElement(const int32_t* array, int32_t index, int32_t routine, int32_t position);

// The heap under the blocks: the process heap in the program, the C heap on the
// host. They return null on failure.
void* HeapPortAlloc(size_t size);
void* HeapPortRealloc(void* block, size_t size);
void HeapPortFree(void* block);
