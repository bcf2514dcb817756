// Integer division and remainder as the arrangement arithmetic works them, with a
// zero divisor reported as a fault.
#include "base/arith.h"

#include <cmath>

#include "base/fault.h"

double IntegerDivide(double x, std::initializer_list<double> divisors) {
  for (double d : divisors) {
    if (d == 0) ReportFault("不能整除于零", kFaultDirect, {});
    x = std::trunc(x / d);
  }
  return x;
}

double Remainder(double x, std::initializer_list<double> divisors) {
  for (double d : divisors) {
    if (d == 0) ReportFault("不能求余数于零", kFaultDirect, {});
    x = std::fmod(x, d);
  }
  return x;
}
