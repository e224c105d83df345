// TrackRecorder: every sample below the budget, halvings above it, and what each halving keeps.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/track_recorder.h"

namespace orvane {
namespace {

TrackPoint sample(std::int64_t t, std::int32_t altitude) {
  TrackPoint p;
  p.time = t;
  p.altitude = altitude;
  p.groundSpeed = 450;
  p.latitude = 50.0F;
  p.longitude = 8.5F;
  return p;
}

bool has(const std::vector<TrackPoint>& points, std::int64_t t) {
  return std::any_of(points.begin(), points.end(),
                     [t](const TrackPoint& p) { return p.time == t; });
}

// Twelve hours at one sample per 5 seconds: climb, cruise with a step climb, descent. The
// corners fall on odd samples, which a plain halving would drop. Altitude at second t.
std::int32_t profile(std::int64_t t) {
  if (t < 1205) return static_cast<std::int32_t>(t * 36000 / 1205);  // climb to 36000
  if (t < 20005) return 36000;
  if (t < 20205) return static_cast<std::int32_t>(36000 + (t - 20005) * 10);  // to 38000
  if (t < 41205) return 38000;
  return std::max<std::int32_t>(0, static_cast<std::int32_t>(38000 - (t - 41205) * 20));
}

TEST(TrackRecorder, BelowTheBudgetEverySampleIsKept) {
  TrackRecorder r;
  r.clear();
  for (std::int64_t i = 0; i < 1000; ++i) r.add(sample(i * 5, 1000), i == 0);
  EXPECT_EQ(r.points().size(), 1000u);
  EXPECT_EQ(r.stride(), 1u);
  const FlightTrack t = r.take();
  EXPECT_EQ(t.points.size(), 1000u);
  EXPECT_TRUE(r.points().empty());
}

TEST(TrackRecorder, TwelveHoursStayUnderTheBudgetAndKeepEventsAndTurningPoints) {
  TrackRecorder r;
  r.clear();
  const std::int64_t end = 12 * 3600;
  const std::int64_t events[] = {0, 305, 43105, end - 5};  // OUT, OFF, ON, IN
  for (std::int64_t t = 0; t < end; t += 5) {
    const bool event = std::find(std::begin(events), std::end(events), t) != std::end(events);
    r.add(sample(t, profile(t)), event);
  }
  const FlightTrack track = r.take();
  const auto& pts = track.points;
  EXPECT_LT(track.bytes(), 100000u);
  EXPECT_LE(pts.size(), TrackRecorder::kMaxPoints);
  EXPECT_GT(pts.size(), TrackRecorder::kMaxPoints / 4);
  for (std::int64_t e : events) EXPECT_TRUE(has(pts, e)) << e;
  // Top of climb, both ends of the step climb and the start of the descent.
  EXPECT_TRUE(has(pts, 1205));
  EXPECT_TRUE(has(pts, 20005));
  EXPECT_TRUE(has(pts, 20205));
  EXPECT_TRUE(has(pts, 41205));
  EXPECT_TRUE(std::is_sorted(pts.begin(), pts.end(), [](const TrackPoint& a, const TrackPoint& b) {
    return a.time < b.time;
  }));
  // Evenly thinned: no gap in the cruise longer than the resolution reached.
  std::int64_t widest = 0;
  for (std::size_t i = 1; i < pts.size(); ++i)
    widest = std::max(widest, pts[i].time - pts[i - 1].time);
  EXPECT_LE(widest, 4 * 5);
}

TEST(TrackRecorder, BumpyProfileGivesUpItsTurningPointsToKeepTheBudget) {
  TrackRecorder r;
  r.clear();
  // Every sample a turning point: 300 ft up and down in turns, for 24 hours at 2 seconds.
  for (std::int64_t i = 0; i < 24 * 1800; ++i)
    r.add(sample(i * 2, 30000 + (i % 2 == 0 ? 0 : 300)), i == 0);
  EXPECT_LE(r.points().size(), TrackRecorder::kMaxPoints);
  EXPECT_EQ(r.points().front().time, 0);
}

}  // namespace
}  // namespace orvane
