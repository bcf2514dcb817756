// The C++ library's allocations on the program's heap. In a file of its own, so that a
// test program that replaces every one of these forms itself links without it.
#include <new>

#include "base/fault.h"
#include "base/memory.h"

// Everything the C++ library allocates (titles, texts, pictures, the fault text)
// comes from the same heap, and a failure ends in the same report as the blocks'
// instead of an exception that would end the process without one. The nothrow
// forms keep their promise of null.
void* operator new(size_t size) {
  if (void* p = HeapPortAlloc(size ? size : 1)) return p;
  ReportAllocationFault(size);
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return HeapPortAlloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept {
  if (block) HeapPortFree(block);
}
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete(void* block, size_t) noexcept { operator delete(block); }
void operator delete[](void* block, size_t) noexcept { operator delete(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete(block); }
