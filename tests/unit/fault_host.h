#pragma once
// On the host a fault throws, so that tests can see what would have been reported.
#include <string>

#include "base/fault.h"

struct FaultRaised {
  std::string message;
  int code;
  FaultLocation where;
};

// Makes the next `count` heap requests fail.
void FailNextHeapRequests(int count);
