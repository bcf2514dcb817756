// Host stand-ins for the process heap and the fault box.
#include <cstdlib>

#include "base/memory.h"
#include "tests/unit/fault_host.h"

static int g_failingRequests = 0;

void FailNextHeapRequests(int count) { g_failingRequests = count; }

static bool RequestFails() {
  if (g_failingRequests <= 0) return false;
  --g_failingRequests;
  return true;
}

void* HeapPortAlloc(size_t size) { return RequestFails() ? nullptr : std::malloc(size ? size : 1); }
void* HeapPortRealloc(void* block, size_t size) {
  return RequestFails() ? nullptr : std::realloc(block, size ? size : 1);
}
void HeapPortFree(void* block) { std::free(block); }

void ReportFault(const char* message, int code, FaultLocation where) {
  throw FaultRaised{message ? message : "", code, where};
}

void ReportAllocationFault(uint64_t size) {
  ReportFault(AllocationFaultMessage(size).c_str(), kFaultDirect, {});
}
