// The three conversions to 32-bit integers differ exactly where a value does not fit.
// SPDX-License-Identifier: MIT
#include "util/int_conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvane {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(IntConversions, FittingValuesLoseOnlyTheirFraction) {
  for (auto f : {truncate_or_min, truncate_saturating}) {
    EXPECT_EQ(f(12.99), 12);
    EXPECT_EQ(f(-12.99), -12);
    EXPECT_EQ(f(2147483647.5), kMax);
    EXPECT_EQ(f(-2147483648.5), kMin);
  }
}

TEST(IntConversions, OutOfRangeGivesMinimumOrTheNearestLimit) {
  EXPECT_EQ(truncate_or_min(3e9), kMin);
  EXPECT_EQ(truncate_or_min(-3e9), kMin);
  EXPECT_EQ(truncate_or_min(std::nan("")), kMin);
  EXPECT_EQ(truncate_or_min(HUGE_VAL), kMin);
  EXPECT_EQ(truncate_saturating(3e9), kMax);
  EXPECT_EQ(truncate_saturating(-3e9), kMin);
  EXPECT_EQ(truncate_saturating(std::nan("")), 0);
  EXPECT_EQ(truncate_saturating(-HUGE_VAL), kMin);
}

TEST(IntConversions, WrapKeepsTheLowThirtyTwoBits) {
  EXPECT_EQ(wrap_to_int32(5), 5);
  EXPECT_EQ(wrap_to_int32(std::int64_t{kMax} + 1), kMin);
  EXPECT_EQ(wrap_to_int32(std::int64_t{1} << 32), 0);
  EXPECT_EQ(wrap_to_int32(-(std::int64_t{1} << 32) - 3), -3);
}

}  // namespace
}  // namespace orvane
