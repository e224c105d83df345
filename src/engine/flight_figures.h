// FlightFigures: the flight's extremes, track and event times, sealed with the finished flight.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "engine/track_recorder.h"
#include "records/flighttrack.h"
#include "util/int_conversions.h"

namespace orvane {

class FlightData;
class FlightState;

// The extremes of a flight: feet per minute (climbing positive) and knots.
struct Extremes {
  std::int32_t maxRate = 0;
  std::int32_t minRate = 0;
  std::int32_t maxIas = 0;
  std::int32_t maxGs = 0;
  std::int32_t landingVSpeed = 0;
};

// What a finished flight leaves for its pilot report: its extremes and its track. They stay
// with that flight, so preparing the next one before the pilot fetches the report changes
// nothing in it.
struct SealedFigures {
  std::uint64_t flight = 0;  // the serial of the flight; 0: no flight
  Extremes extremes;
  FlightTrack track;
};

// What the cycle gathers about the flight in progress. Not thread-safe: the engine keeps it
// under ORVANE::CYCLE_MUTEX.
class FlightFigures {
 public:
  // A new flight object, which starts with no track of its own; returns its serial (the
  // flights of the run count 1, 2, ...). The extremes carry on until BeginFlight.
  std::uint64_t startFlight();
  // The pilot starts the flight: the extremes (but the landing rate) and the track restart.
  void beginFlight();
  // One cycle's values: vertical speed, IAS, ground speed and the landing rate so far.
  void addCycle(std::int32_t vs, std::int32_t ias, std::int32_t gs, std::int32_t landingVSpeed);
  // One sample of the profile per cycle from OUT until the flight has been sealed, read from
  // the flight's event times and the source. The time line starts at the wall clock of the
  // first sample and goes on with the monotonic clock, so a clock jump neither reorders nor
  // stretches the track.
  void recordTrack(FlightState& flight, FlightData& source, std::int32_t groundSpeed);
  // The flight has ended: its figures go, with its track, to the finished flight.
  SealedFigures seal();
  bool sealed() const { return sealed_; }
  // The profile recorded so far (thinned as TrackRecorder does).
  const std::vector<TrackPoint>& trackPoints() const { return track_.points(); }
  // A flight taken up from its journal: its extremes and profile as journaled; the samples
  // from now on follow them, at the time they are taken.
  void resume(const Extremes& extremes, const std::vector<TrackPoint>& points,
              const std::int32_t eventTimes[4]);
  const Extremes& extremes() const { return extremes_; }

 private:
  void restartTrack();

  Extremes extremes_;
  std::uint64_t serial_ = 0;         // counts the flights of the run; 0: none yet
  bool sealed_ = false;              // the figures have gone to the finished flight
  TrackRecorder track_;              // the profile from OUT on
  std::int32_t eventTimes_[4] = {};  // OUT, OFF, ON, IN as the last sample saw them
  std::int64_t trackWallBase_ = 0;   // seconds since 1970 at the first sample
  std::int64_t trackMonoBaseMs_ = 0;  // monotonic milliseconds at the first sample
};

}  // namespace orvane
