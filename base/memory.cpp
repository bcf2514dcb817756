// Memory blocks and array blocks over the heap port, and the constant area they may
// point into.
#include "base/memory.h"

#include <cstring>

#include "base/application.h"
#include "base/fault.h"

alignas(4) const int32_t kEmptyArray[2] = {1, 0};

void SetConstantArea(const void* start, size_t size) {
  g_app.constantStart = static_cast<const unsigned char*>(start);
  g_app.constantSize = size;
}

bool IsConstantBlock(const void* block) {
  // The empty array is constant even before the area is known.
  if (block == kEmptyArray) return true;
  auto p = reinterpret_cast<uintptr_t>(block);
  auto start = reinterpret_cast<uintptr_t>(g_app.constantStart);
  return block && g_app.constantStart && p >= start && p - start < g_app.constantSize;
}

[[noreturn]] static void AllocationFault(size_t size) { ReportAllocationFault(size); }

void* AllocBlock(size_t size) {
  void* p = HeapPortAlloc(size);
  if (!p) AllocationFault(size);
  return p;
}

void* ReallocBlock(void* block, size_t size) {
  if (!block) return AllocBlock(size);
  if (IsConstantBlock(block)) {
    void* p = AllocBlock(size);
    auto start = reinterpret_cast<uintptr_t>(g_app.constantStart);
    size_t available = start + g_app.constantSize - reinterpret_cast<uintptr_t>(block);
    std::memcpy(p, block, size < available ? size : available);
    return p;
  }
  void* p = HeapPortRealloc(block, size);
  if (!p) AllocationFault(size);
  return p;
}

void FreeBlock(const void* block) {
  if (!block || IsConstantBlock(block)) return;
  HeapPortFree(const_cast<void*>(block));
}

int32_t ArrayElementCount(const int32_t* array) {
  if (!array || array[0] <= 0) return 0;
  uint32_t count = 1;
  for (int32_t d = 0; d < array[0]; ++d) count *= static_cast<uint32_t>(array[1 + d]);
  return static_cast<int32_t>(count);
}

void MakeArrayPrivate(size_t elementSize, int32_t*& array) {
  if (!IsConstantBlock(array)) return;
  size_t dims = static_cast<uint32_t>(array[0]);
  size_t bytes = 4 + 4 * dims + elementSize * static_cast<uint32_t>(ArrayElementCount(array));
  void* copy = AllocBlock(bytes);
  std::memcpy(copy, array, bytes);
  array = static_cast<int32_t*>(copy);
}

int32_t ReadArrayElement(const int32_t* array, int32_t index, int32_t routine, int32_t position) {
  // Compare in 64 bits: index - 1 must not overflow for INT32_MIN.
  int64_t slot = static_cast<int64_t>(index) - 1;
  if (slot < 0)
    ReportFault(FaultCodeMessage(kFaultIndexBelow), kFaultIndexBelow, {routine, position});
  if (slot >= ArrayElementCount(array))
    ReportFault(FaultCodeMessage(kFaultIndexAbove), kFaultIndexAbove, {routine, position});
  int32_t dims = array[0];
  return array[1 + dims + slot];
}
