#pragma once
// The fault report: the one way the program ends on a condition it cannot continue
// from. No <windows.h> here; the pure layer raises faults too.
#include <cstdint>
#include <string>

// Where a fault was raised: a routine identifier and a position within it, or a
// window identifier and a control identifier (0 for the window itself).
struct FaultLocation {
  int32_t first = 0;
  int32_t second = 0;
};

enum FaultCode : int {
  kFaultDirect = 0,      // the message is given directly
  kFaultIndexAbove = 1,  // array index above the element count
  kFaultIndexBelow = 4,  // array index below 1
  kFaultStack = 6,       // a system-function call left the stack unbalanced
};

// The messages of the coded faults; null for a code that carries none.
const char* FaultCodeMessage(int code);

// Shows the fault report, runs the shutdown and ends the process with exit code -1.
// On the host test build this throws FaultRaised instead (tests/unit/host_support.cpp).
[[noreturn]] void ReportFault(const char* message, int code, FaultLocation where);

// What the window registry knows of a location whose first number is a window
// identifier.
struct FaultTags {
  bool windowKnown = false;
  std::string windowTag;
  bool controlKnown = false;
  std::string controlTag;
};

// True when bits 24 to 27 of the number hold 2: a window identifier.
bool IsWindowIdentifier(int32_t value);

// The report text, byte for byte. `tags` is consulted only when where.first is a
// window identifier.
std::string BuildFaultReport(const char* message, int code, FaultLocation where,
                             const FaultTags& tags);

// The allocation fault's message for a request of `size` bytes.
std::string AllocationFaultMessage(uint64_t size);

// The whole report of the allocation fault, written into `out` without touching the
// heap (which has just failed); the same text as BuildFaultReport gives for it.
void FormatAllocationFaultReport(char* out, size_t capacity, uint64_t size);

// Reports that the heap could not supply `size` bytes, like ReportFault, without
// needing the heap for the report.
[[noreturn]] void ReportAllocationFault(uint64_t size);
