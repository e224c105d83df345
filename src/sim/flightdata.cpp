// SFlightData's one-line rendering for the log; FlightData's static data and published status.
// SPDX-License-Identifier: MIT
#include "sim/flightdata.h"

namespace orvane {

std::string SFlightData::output() const {
  return "FNo.: [" + sCallsign + "] Acft: [" + sAircraft + "] Arln: [" + sAirline +
         "] Route: [" + sRoute + "] Dep: [" + sDeparture + "] Dest: [" + sArrival +
         "] Altn: [" + sAlternate + "] Alt: [" + sAltitude + "] Pax: [" + sPassengers +
         "] Cargo: [" + sCargo + "] Rules: [" + sRules + "]";
}

void FlightData::setStaticData(const SFlightData& data) {
  std::lock_guard<std::mutex> g(static_mutex_);
  StaticData = data;
}

std::string FlightData::staticField(std::string SFlightData::*field) const {
  std::lock_guard<std::mutex> g(static_mutex_);
  return StaticData.*field;
}

void FlightData::endCycle() {
  SimStatus s;
  s.connected = isSimConnected();
  s.onGround = isOnGround();
  s.enginesRunning = EngineRunning();
  s.slewing = isSlewing();
  s.crashed = isFlightCrashed();
  publishStatus(s);
}

SimStatus FlightData::publishedStatus() const {
  std::lock_guard<std::mutex> g(status_mutex_);
  return status_;
}

void FlightData::publishStatus(const SimStatus& status) {
  std::lock_guard<std::mutex> g(status_mutex_);
  status_ = status;
}

}  // namespace orvane
