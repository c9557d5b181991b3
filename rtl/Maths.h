#pragma once

// Rounding helpers of the runtime. Round rounds half to even ("banker's rounding"):
// Round(2.5) = 2, Round(3.5) = 4, Round(-2.5) = -2. Round and Trunc raise EInvalidOp for
// NaN, infinities and values outside the Int64 range. Any thread.

#include "rtl/SysTypes.h"

Int64 Round(double value);
Int64 Trunc(double value);
// The fractional part, with the sign of the value (Frac(-1.25) = -0.25).
double Frac(double value);
// The integral part as a double, rounded toward zero.
double Int(double value);
