// Tests of to_fixed_str: six significant digits like to_str, never an exponent.
// SPDX-License-Identifier: MIT
#include "util/fixed_format.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "util/util.h"

namespace orvane {
namespace {

TEST(ToFixedStr, SmallValuesAreWrittenOutInFixedNotation) {
  EXPECT_EQ(to_fixed_str(0.000012), "0.000012");
  EXPECT_EQ(to_fixed_str(1.2e-05), "0.000012");
  EXPECT_EQ(to_fixed_str(0.0000123456789), "0.0000123457");
  EXPECT_EQ(to_fixed_str(-1.5e-7), "-0.00000015");
  EXPECT_EQ(to_fixed_str(9.999996e-5), "0.0001");  // rounds up into the plain range
  EXPECT_EQ(to_fixed_str(4.9e-300).substr(0, 6), "0.0000");
  EXPECT_EQ(to_fixed_str(4.9e-300).find('e'), std::string::npos);
}

TEST(ToFixedStr, LargeValuesAreWrittenOutInFixedNotation) {
  EXPECT_EQ(to_fixed_str(1234567.0), "1234570");
  EXPECT_EQ(to_fixed_str(1e12), "1000000000000");
  EXPECT_EQ(to_fixed_str(-3e9), "-3000000000");
  EXPECT_EQ(to_fixed_str(999999.6), "1000000");
}

TEST(ToFixedStr, ValuesWithoutExponentAreWrittenAsToStrWritesThem) {
  for (const double v : {0.0, -0.0, 1.0, -1.0, 0.5, 12.5, 7.0, 56.76, 34.2336, 59.9999994,
                         0.0001, 0.00012345678, 999999.0, 123456.7, -0.25, 1.998}) {
    EXPECT_EQ(to_fixed_str(v), to_str(v)) << v;
  }
  EXPECT_EQ(to_fixed_str(59.9999994), "60");
  EXPECT_EQ(to_fixed_str(0.0001), "0.0001");
}

TEST(ToFixedStr, NotANumberAndInfinitiesAreWrittenAsToStrWritesThem) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(to_fixed_str(nan), to_str(nan));
  EXPECT_EQ(to_fixed_str(inf), "inf");
  EXPECT_EQ(to_fixed_str(-inf), "-inf");
}

}  // namespace
}  // namespace orvane
