#pragma once
// Integer division and remainder over doubles, as the arrangement arithmetic uses them.
#include <initializer_list>

// x divided by each divisor in turn, every quotient truncated toward zero. A zero
// divisor is fatal ("不能整除于零").
double IntegerDivide(double x, std::initializer_list<double> divisors);
inline double IntegerDivide(double x, double d) { return IntegerDivide(x, {d}); }

// fmod by each divisor in turn (sign of the dividend). A zero divisor is fatal
// ("不能求余数于零").
double Remainder(double x, std::initializer_list<double> divisors);
inline double Remainder(double x, double d) { return Remainder(x, {d}); }
