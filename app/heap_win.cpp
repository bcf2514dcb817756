// Memory blocks come from the process heap, with no flags: not zero-filled.
#include <windows.h>

#include <new>

#include "app/application.h"
#include "app/fault.h"
#include "app/memory.h"

static HANDLE ProcessHeap() {
  return g_app.heap ? static_cast<HANDLE>(g_app.heap) : GetProcessHeap();
}

void* HeapPortAlloc(size_t size) { return HeapAlloc(ProcessHeap(), 0, size); }
void* HeapPortRealloc(void* block, size_t size) {
  return HeapReAlloc(ProcessHeap(), 0, block, size);
}
void HeapPortFree(void* block) { HeapFree(ProcessHeap(), 0, block); }

// Everything the C++ library allocates (titles, texts, pictures, the fault text)
// comes from the same heap, and a failure ends in the same report as the blocks'
// instead of an exception that would end the process without one. The nothrow
// forms keep their promise of null.
void* operator new(size_t size) {
  if (void* p = HeapAlloc(ProcessHeap(), 0, size ? size : 1)) return p;
  ReportAllocationFault(size);
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return HeapAlloc(ProcessHeap(), 0, size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept {
  if (block) HeapFree(ProcessHeap(), 0, block);
}
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete(void* block, size_t) noexcept { operator delete(block); }
void operator delete[](void* block, size_t) noexcept { operator delete(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { operator delete(block); }
