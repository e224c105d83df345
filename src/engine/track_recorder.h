// TrackRecorder: collects the flight's profile one sample per cycle and thins it to a budget.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/flighttrack.h"

namespace orvane {

// Keeps every sample until the budget is full, then halves the resolution of the whole
// track (every other sample goes) and from then on keeps only every second sample, and so
// on: the track stays evenly spaced and within the budget however long the flight is. The
// samples of events (OUT, OFF, ON, IN), the highest sample and the turning points of the
// altitude profile (top of climb, start and end of a descent) are kept through every
// halving as long as they fit. Not thread-safe; the engine uses it under its cycle lock.
class TrackRecorder {
 public:
  // 4096 samples of 24 bytes: 98,304 bytes, under 100 kB for a flight of any length.
  static constexpr std::size_t kMaxPoints = 4096;
  // Vertical rate between neighbouring samples, feet per minute, up to which the profile
  // counts as level; altitude noise below it makes no turning points.
  static constexpr std::int64_t kLevelFpm = 300;

  // Forgets every sample and starts again at full resolution. Reserves the budget, so
  // that adding never reallocates.
  void clear();
  // Adds the sample of one cycle; samples come in time order. event: an OUT, OFF, ON or IN
  // happened in this cycle.
  void add(const TrackPoint& point, bool event);

  const std::vector<TrackPoint>& points() const { return points_; }
  // Every how many ordinary samples one is kept (1, 2, 4, ...).
  std::size_t stride() const { return stride_; }
  // Hands the samples over and leaves the recorder empty (without a reserved budget).
  FlightTrack take();

 private:
  enum class Keep { Shape, EventsAndHighest, Ends };
  void reset();
  void thin();
  // Drops every other sample that the level of protection does not keep.
  void dropEveryOther(Keep keep);
  bool turningPoint(std::size_t i) const;

  std::vector<TrackPoint> points_;
  std::vector<bool> event_;  // per sample: it is the sample of an event
  std::size_t stride_ = 1;
  std::size_t offered_ = 0;  // ordinary samples offered since the last kept one
  std::int32_t highest_ = 0;
};

}  // namespace orvane
