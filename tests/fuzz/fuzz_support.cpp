// The fuzzers' heap and fault: a fault here is a finding.
#include <cstdio>
#include <cstdlib>

#include "base/fault.h"
#include "base/memory.h"

void* HeapPortAlloc(size_t size) { return std::malloc(size ? size : 1); }
void* HeapPortRealloc(void* block, size_t size) { return std::realloc(block, size ? size : 1); }
void HeapPortFree(void* block) { std::free(block); }

void ReportFault(const char* message, int code, FaultLocation where) {
  std::fprintf(stderr, "fault %d at %d, %d: %s\n", code, where.first, where.second,
               message ? message : "");
  std::abort();
}

void ReportAllocationFault(uint64_t size) {
  ReportFault(AllocationFaultMessage(size).c_str(), kFaultDirect, {});
}
