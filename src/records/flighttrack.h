// FlightTrack: the thinned profile of one flight, kept beside its pilot report.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

// One sample of the flight's profile.
struct TrackPoint {
  std::int64_t time = 0;          // seconds since 1970-01-01 UTC (the engine's wall clock)
  std::int32_t altitude = 0;      // feet
  std::int32_t groundSpeed = 0;   // knots
  float latitude = 0.0F;          // degrees, north positive
  float longitude = 0.0F;         // degrees, east positive

  bool operator==(const TrackPoint&) const = default;
};

// The samples of a flight in time order. Empty for a report that was loaded from a file.
struct FlightTrack {
  std::vector<TrackPoint> points;

  bool empty() const { return points.empty(); }
  // Memory the samples take, in bytes.
  std::size_t bytes() const { return points.size() * sizeof(TrackPoint); }

  bool operator==(const FlightTrack&) const = default;
};

}  // namespace orvane
