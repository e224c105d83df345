// FlightFigures: gathering the flight's extremes and track cycle by cycle, and sealing them.
// SPDX-License-Identifier: MIT
#include "engine/flight_figures.h"

#include <iterator>
#include <limits>
#include <utility>

#include "sim/flightdata.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane {

void FlightFigures::restartTrack() {
  track_.clear();
  for (std::int32_t& t : eventTimes_) t = 0;
}

std::uint64_t FlightFigures::startFlight() {
  ++serial_;
  sealed_ = false;
  restartTrack();
  return serial_;
}

void FlightFigures::beginFlight() {
  extremes_.maxRate = extremes_.minRate = extremes_.maxIas = extremes_.maxGs = 0;
  restartTrack();
}

void FlightFigures::addCycle(std::int32_t vs, std::int32_t ias, std::int32_t gs,
                             std::int32_t landingVSpeed) {
  if (vs > extremes_.maxRate) extremes_.maxRate = vs;
  if (vs < extremes_.minRate) extremes_.minRate = vs;
  if (ias > extremes_.maxIas) extremes_.maxIas = ias;
  if (gs > extremes_.maxGs) extremes_.maxGs = gs;
  extremes_.landingVSpeed = landingVSpeed;
}

void FlightFigures::recordTrack(FlightState& flight, FlightData& source,
                                std::int32_t groundSpeed) {
  const std::int32_t times[4] = {flight.getOutTime(), flight.getOffTime(), flight.getOnTime(),
                                 flight.getInTime()};
  if (times[0] == 0 || sealed_) return;
  bool event = false;
  for (std::size_t i = 0; i < std::size(times); ++i) {
    if (times[i] != 0 && times[i] != eventTimes_[i]) event = true;
    eventTimes_[i] = times[i];
  }
  const std::int64_t mono = clock().mono_ms();
  if (track_.points().empty()) {
    trackWallBase_ = static_cast<std::int64_t>(clock().now());
    trackMonoBaseMs_ = mono;
  }
  TrackPoint point;
  point.time = trackWallBase_ + (mono - trackMonoBaseMs_) / 1000;
  point.altitude = source.getAltitude();
  point.groundSpeed = groundSpeed;
  const Position position = source.getPosition();
  point.latitude = static_cast<float>(position.lat);
  point.longitude = static_cast<float>(position.lng);
  track_.add(point, event);
}

void FlightFigures::resume(const Extremes& extremes, const std::vector<TrackPoint>& points,
                           const std::int32_t eventTimes[4]) {
  extremes_ = extremes;
  restartTrack();
  for (const TrackPoint& p : points) track_.add(p, false);
  for (std::size_t i = 0; i < std::size(eventTimes_); ++i) eventTimes_[i] = eventTimes[i];
  trackWallBase_ = static_cast<std::int64_t>(clock().now());
  trackMonoBaseMs_ = clock().mono_ms();
}

SealedFigures FlightFigures::seal() {
  sealed_ = true;
  SealedFigures figures;
  figures.flight = serial_;
  figures.extremes = extremes_;
  figures.track = track_.take();
  return figures;
}

}  // namespace orvane
