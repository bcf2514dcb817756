// Memory blocks come from the process heap, with no flags: not zero-filled.
#include <windows.h>

#include "base/application.h"
#include "base/memory.h"

static HANDLE ProcessHeap() {
  return g_app.heap ? static_cast<HANDLE>(g_app.heap) : GetProcessHeap();
}

void* HeapPortAlloc(size_t size) { return HeapAlloc(ProcessHeap(), 0, size); }
void* HeapPortRealloc(void* block, size_t size) {
  return HeapReAlloc(ProcessHeap(), 0, block, size);
}
void HeapPortFree(void* block) { HeapFree(ProcessHeap(), 0, block); }
