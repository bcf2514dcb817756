#include "app/arith.h"

#include <cmath>

#include "app/fault.h"

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
