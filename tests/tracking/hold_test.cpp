// A suspended flight's nearness rule and texts, and a fast simulator's episode.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "tracking/rate_episode.h"
#include "tracking/suspension.h"

namespace orvane {
namespace {

constexpr std::time_t k1432 = 1783175520;  // 2026-07-04 14:32:00 UTC

TEST(SuspensionTest, BackWithin20NmAnd5000FtIsTheSameFlight) {
  Suspension s;
  s.notePlace(50.0, 8.0, 35000, k1432);
  EXPECT_EQ(s.look(50.0, 8.0, 35000), Suspension::Verdict::NONE);  // not suspended
  s.begin(k1432);
  ASSERT_TRUE(s.active());
  // 19 nm north (a minute of latitude is a nautical mile), 4,900 ft lower.
  EXPECT_EQ(s.look(50.0 + 19.0 / 60.0, 8.0, 30100), Suspension::Verdict::SAME_PLACE);
  EXPECT_FALSE(s.active());
}

TEST(SuspensionTest, BeyondEitherLimitIsElsewhere) {
  Suspension s;
  s.notePlace(50.0, 8.0, 35000, k1432);
  s.begin(k1432);
  EXPECT_EQ(s.look(50.0 + 21.0 / 60.0, 8.0, 35000), Suspension::Verdict::ELSEWHERE);
  EXPECT_NEAR(s.distanceNm(), 21.0, 0.2);
  EXPECT_EQ(s.look(50.0, 8.0, 40100), Suspension::Verdict::ELSEWHERE);
  EXPECT_NEAR(s.heightFeet(), 5100, 0.5);
  EXPECT_TRUE(s.active());
  EXPECT_EQ(s.elsewhereText(),
            "The simulator is back, but the aircraft is 0 nm and 5100 ft from where it was at "
            "14:32Z (N50 0 E8 0, 35000 ft): not taken as this flight. Bring it back within "
            "20 nm and 5000 ft of that place, or end the flight.");
  EXPECT_EQ(s.look(50.1, 8.1, 34000), Suspension::Verdict::SAME_PLACE);
}

TEST(SuspensionTest, WithoutAPlaceTheSimulatorIsLostWhenGivenUpAndTakenBackAsItIs) {
  Suspension s;
  s.begin(k1432);
  EXPECT_EQ(s.lostAt(), k1432);
  EXPECT_EQ(s.look(10.0, 10.0, 1000), Suspension::Verdict::SAME_PLACE);
}

TEST(SuspensionTest, TextsNameTheTimeInUtc) {
  Suspension s;
  s.notePlace(50.0, 8.0, 35000, k1432);
  s.begin(k1432 + 70);  // given up 70 s after the last answer: lost since that answer
  s.begin(k1432 + 600);  // already suspended: the first time stays
  EXPECT_EQ(s.lostText(),
            "Simulator lost at 14:32Z \u2014 the flight resumes when it is back near where it was");
  EXPECT_EQ(s.gapLine(k1432 + 425), "SIM LOST 14:32Z /BACK 14:39Z /GAP 425 SEC");
}

TEST(RateEpisodeTest, LastsUntilItEndsAndExpiresAfter30Seconds) {
  RateEpisode e;
  EXPECT_FALSE(e.active());
  e.fast(2.0, false, 1000, k1432);
  e.fast(4.0, false, 6000, k1432 + 5);
  EXPECT_TRUE(e.active());
  EXPECT_FALSE(e.expired(31000));
  EXPECT_TRUE(e.expired(31001));
  EXPECT_EQ(e.startText(), "Simulation rate 4: tracking pauses; back to 1x within 30 s and the "
                           "flight goes on.");
  EXPECT_EQ(e.end(8400), 7);
  EXPECT_FALSE(e.active());
  EXPECT_FALSE(e.expired(100000));
  EXPECT_EQ(e.line(7), "SIM RATE 4X 14:32Z /FOR 7 SEC");
}

TEST(RateEpisodeTest, SlewAndRateBothNamed) {
  RateEpisode e;
  e.fast(1.0, true, 0, k1432);
  EXPECT_EQ(e.startText(), "Slew mode: tracking pauses; back to 1x within 30 s and the flight "
                           "goes on.");
  EXPECT_EQ(e.line(e.end(3000)), "SLEW 14:32Z /FOR 3 SEC");
  e.fast(1.5, true, 0, k1432);
  EXPECT_EQ(e.line(e.end(12000)), "SIM RATE 1.5X SLEW 14:32Z /FOR 12 SEC");
  e.fast(1.0, false, 0, k1432);
  EXPECT_EQ(e.line(e.end(2000)), "SIM RATE ABOVE 1X 14:32Z /FOR 2 SEC");
}

}  // namespace
}  // namespace orvane
