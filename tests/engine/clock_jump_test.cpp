// ClockJump: the step between the clocks' advances, and the worker's tolerance either way.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <optional>

#include "engine/clock_jump.h"

namespace orvane {
namespace {

TEST(ClockJumpTest, StepIsTheWallClocksAdvanceBeyondTheMonotonicOnes) {
  ClockJump jump;
  EXPECT_EQ(jump.step(1'783'000'000'000, 40'000), std::nullopt);  // the first readings
  EXPECT_EQ(jump.step(1'783'000'065'000, 105'000), 0);            // a minute's stall
  EXPECT_EQ(jump.step(1'783'003'670'000, 110'000), 3'600'000);    // set an hour ahead
  EXPECT_EQ(jump.step(1'783'000'072'500, 112'500), -3'600'000);   // and back
  jump.reset();
  EXPECT_EQ(jump.step(1'790'000'000'000, 120'000), std::nullopt);
  EXPECT_EQ(jump.step(1'790'000'005'000, 124'999), 1);
}

TEST(ClockJumpTest, ToleranceIsTwoIntervalsAheadAndHalfAnIntervalBehind) {
  // The normal loop interval, 5 s: 10 s ahead and 2 s behind (half of 5, rounded down) pass.
  EXPECT_EQ(ClockJump::beyondTolerance(10'000, 5), std::nullopt);
  EXPECT_EQ(ClockJump::beyondTolerance(10'001, 5), 10);
  EXPECT_EQ(ClockJump::beyondTolerance(10'500, 5), 11);
  EXPECT_EQ(ClockJump::beyondTolerance(-2'000, 5), std::nullopt);
  EXPECT_EQ(ClockJump::beyondTolerance(-2'001, 5), -2);
  EXPECT_EQ(ClockJump::beyondTolerance(-2'500, 5), -3);
  EXPECT_EQ(ClockJump::beyondTolerance(0, 5), std::nullopt);
  // The final phase's interval, 2 s: 4 s ahead and 1 s behind pass.
  EXPECT_EQ(ClockJump::beyondTolerance(4'000, 2), std::nullopt);
  EXPECT_EQ(ClockJump::beyondTolerance(4'400, 2), 4);
  EXPECT_EQ(ClockJump::beyondTolerance(-1'000, 2), std::nullopt);
  EXPECT_EQ(ClockJump::beyondTolerance(-1'200, 2), -1);
}

}  // namespace
}  // namespace orvane
