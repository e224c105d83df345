// TrackRecorder: the flight's profile, thinned by halving its resolution when the budget is full.
// SPDX-License-Identifier: MIT
#include "engine/track_recorder.h"

#include <algorithm>

namespace orvane {

namespace {

// +1 climbing, -1 descending, 0 level between two samples. Judged by the vertical rate, so
// that a profile keeps its turning points whatever the spacing of its samples.
int direction(const TrackPoint& from, const TrackPoint& to) {
  const std::int64_t feet = std::int64_t{to.altitude} - from.altitude;
  const std::int64_t seconds = std::max<std::int64_t>(1, to.time - from.time);
  const std::int64_t fpm = feet * 60 / seconds;
  if (fpm > TrackRecorder::kLevelFpm) return 1;
  if (fpm < -TrackRecorder::kLevelFpm) return -1;
  return 0;
}

}  // namespace

void TrackRecorder::reset() {
  points_.clear();
  event_.clear();
  stride_ = 1;
  offered_ = 0;
  highest_ = 0;
}

void TrackRecorder::clear() {
  reset();
  points_.reserve(kMaxPoints);
  event_.reserve(kMaxPoints);
}

void TrackRecorder::add(const TrackPoint& point, bool event) {
  const bool highest = points_.empty() || point.altitude > highest_;
  if (highest) highest_ = point.altitude;
  ++offered_;
  if (!event && !highest && offered_ < stride_) return;
  offered_ = 0;
  points_.push_back(point);
  event_.push_back(event);
  if (points_.size() >= kMaxPoints) thin();
}

FlightTrack TrackRecorder::take() {
  FlightTrack track;
  points_.shrink_to_fit();
  track.points = std::move(points_);
  reset();
  return track;
}

bool TrackRecorder::turningPoint(std::size_t i) const {
  if (i == 0 || i + 1 >= points_.size()) return false;
  return direction(points_[i - 1], points_[i]) != direction(points_[i], points_[i + 1]);
}

void TrackRecorder::dropEveryOther(Keep keep) {
  const std::size_t n = points_.size();
  const std::size_t highest = static_cast<std::size_t>(
      std::max_element(points_.begin(), points_.end(),
                       [](const TrackPoint& a, const TrackPoint& b) {
                         return a.altitude < b.altitude;
                       }) -
      points_.begin());
  std::vector<bool> stays(n);
  for (std::size_t i = 0; i < n; ++i) {
    bool protectedPoint = i == 0 || i + 1 == n;
    if (keep != Keep::Ends) protectedPoint = protectedPoint || event_[i] || i == highest;
    if (keep == Keep::Shape) protectedPoint = protectedPoint || turningPoint(i);
    stays[i] = protectedPoint || i % 2 == 0;
  }
  std::size_t to = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!stays[i]) continue;
    points_[to] = points_[i];
    event_[to] = event_[i];
    ++to;
  }
  points_.resize(to);
  event_.resize(to);
}

void TrackRecorder::thin() {
  // One halving is enough for an ordinary flight. A profile full of turning points (a
  // bumpy ride) or of events gives up that protection step by step, so the budget holds.
  const std::size_t target = kMaxPoints * 3 / 4;
  dropEveryOther(Keep::Shape);
  if (points_.size() > target) dropEveryOther(Keep::EventsAndHighest);
  while (points_.size() > target) dropEveryOther(Keep::Ends);
  stride_ *= 2;
}

}  // namespace orvane
