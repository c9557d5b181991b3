#include "rtl/Maths.h"

#include <gtest/gtest.h>

#include <cmath>

#include "rtl/Exceptions.h"

namespace {

TEST(Maths, RoundHalfToEven) {
  const std::pair<double, Int64> cases[] = {
      {0.5, 0},  {1.5, 2},   {2.5, 2},   {3.5, 4},   {-0.5, 0}, {-1.5, -2},
      {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {1e15 + 0.5, 1000000000000000},
      {4503599627370497.0, 4503599627370497},
  };
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(Round(value), expected);
  }
}

TEST(Maths, TruncFracInt) {
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(2.7), 2);
  EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
  EXPECT_DOUBLE_EQ(Int(-1.75), -1.0);
}

TEST(Maths, OutOfRangeRaises) {
  EXPECT_THROW(Round(NAN), EInvalidOp);
  EXPECT_THROW(Round(INFINITY), EInvalidOp);
  EXPECT_THROW(Trunc(9.3e18), EInvalidOp);
  EXPECT_EQ(Trunc(-9223372036854775808.0), INT64_MIN);
}

}  // namespace
