// Suspension: the lost simulator's last place, the check of a simulator that is back, and their texts.
// SPDX-License-Identifier: MIT
#include "tracking/suspension.h"

#include <cmath>

#include "acars/message_format.h"
#include "util/util.h"

namespace orvane {

namespace {

// Great-circle distance in nautical miles; 0 for equal points (calc_distance gives NaN for
// nearly equal points).
double greatCircleNm(double lat1, double lon1, double lat2, double lon2) {
  const double d = calc_distance(lat1, lon1, lat2, lon2);
  return std::isnan(d) ? 0.0 : d;
}

std::string whole(double v) { return to_str(static_cast<long>(std::lround(v))); }

}  // namespace

void Suspension::notePlace(double lat, double lon, double altitude, std::time_t t) {
  noted_at_ = t;
  lat_ = lat;
  lon_ = lon;
  alt_ = altitude;
  known_ = true;
}

void Suspension::begin(std::time_t t) {
  if (active_) return;
  active_ = true;
  restart_ = false;
  lost_at_ = known_ ? noted_at_ : t;
  distance_nm_ = 0.0;
  height_ft_ = 0.0;
}

void Suspension::beginAfterRestart(std::time_t t) {
  active_ = false;
  begin(t);
  restart_ = true;
}

Suspension::Verdict Suspension::look(double lat, double lon, double altitude) {
  if (!active_) return Verdict::NONE;
  if (!known_) {
    // Nothing was ever read: no place to compare with, the simulator is taken as it is.
    active_ = false;
    return Verdict::SAME_PLACE;
  }
  distance_nm_ = greatCircleNm(lat_, lon_, lat, lon);
  height_ft_ = std::fabs(altitude - alt_);
  if (distance_nm_ <= kNearNm && height_ft_ <= kNearFeet) {
    active_ = false;
    return Verdict::SAME_PLACE;
  }
  return Verdict::ELSEWHERE;
}

std::string Suspension::lostText() const {
  if (restart_) {
    return "Resuming the flight journaled at " + format_time(static_cast<long>(lost_at_)) +
           " \u2014 it goes on when the simulator's aircraft is near where it was";
  }
  return "Simulator lost at " + format_time(static_cast<long>(lost_at_)) +
         " \u2014 the flight resumes when it is back near where it was";
}

std::string Suspension::elsewhereText() const {
  return "The simulator is back, but the aircraft is " + whole(distance_nm_) + " nm and " +
         whole(height_ft_) + " ft from where it was at " +
         format_time(static_cast<long>(lost_at_)) + " (" + format_position(lat_, lon_) + ", " +
         whole(alt_) + " ft): not taken as this flight. Bring it back within " +
         whole(kNearNm) + " nm and " + whole(kNearFeet) + " ft of that place, or end the flight.";
}

std::string Suspension::gapLine(std::time_t t) const {
  const long seconds = static_cast<long>(t - lost_at_);
  if (restart_) {
    return "ACARS RESTART " + format_time(static_cast<long>(lost_at_)) + " /BACK " +
           format_time(static_cast<long>(t)) + " /GAP " + to_str(seconds < 0 ? 0L : seconds) +
           " SEC";
  }
  return "SIM LOST " + format_time(static_cast<long>(lost_at_)) + " /BACK " +
         format_time(static_cast<long>(t)) + " /GAP " + to_str(seconds < 0 ? 0L : seconds) +
         " SEC";
}

}  // namespace orvane
