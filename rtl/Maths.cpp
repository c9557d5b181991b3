#include "rtl/Maths.h"

#include <cmath>

#include "rtl/Exceptions.h"

namespace {

Int64 ToInt64(double integral) {
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!(integral >= -9223372036854775808.0 && integral < 9223372036854775808.0))
    throw EInvalidOp("Invalid floating point operation");
  return static_cast<Int64>(integral);
}

}  // namespace

Int64 Round(double value) {
  // Explicit half-to-even, independent of the floating point rounding mode in force.
  const double floor = std::floor(value);
  const double rest = value - floor;
  double rounded = floor;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0)) rounded = floor + 1;
  return ToInt64(rounded);
}

Int64 Trunc(double value) { return ToInt64(std::trunc(value)); }
double Frac(double value) { return value - std::trunc(value); }
double Int(double value) { return std::trunc(value); }
