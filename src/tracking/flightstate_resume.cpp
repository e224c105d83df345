// FlightState's journal: the machine's values for a journal, and a journaled flight taken up again.
// SPDX-License-Identifier: MIT
#include "tracking/flightstate.h"
#include "util/clock.h"
#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {

FlightStateValues FlightState::journalValues() const {
  FlightStateValues v;
  v.state = state;
  v.climbAltSent = climb_ALT_sent;
  v.cruiseAltSent = cruise_ALT_sent;
  v.descendAltSent = descend_ALT_sent;
  v.reportPOS = reportPOS;
  v.lastPOSReport = static_cast<std::int64_t>(lastPOSReport);
  v.paused = isPaused;
  v.landingVSpeed = landing_vspeed;
  v.loopInterval = loopinterval;
  {
    std::lock_guard<std::mutex> g(posrep_lock_);
    for (const auto& [feet, seconds] : OpPosRepInt) {
      if (!v.posRepTable.empty()) v.posRepTable += " ";
      v.posRepTable += to_str(feet) + ":" + to_str(seconds);
    }
  }
  if (suspension_.placeKnown()) {
    v.lat = suspension_.lastLat();
    v.lon = suspension_.lastLon();
    v.altitude = suspension_.lastAltitude();
    v.placeAt = static_cast<std::int64_t>(suspension_.placeNotedAt());
  }
  return v;
}

bool FlightState::resume(const FlightStateValues& values, const FlightRecordValues& record,
                         const std::string& dataId, const std::vector<std::string>& undelivered) {
  const State to = static_cast<State>(values.state);
  // Before anything of a flight is queued: tested (INIT), or ready for BEGINFLIGHT (READY).
  if (ACARS_Msg == nullptr || (state != INIT && state != READY) || ACARS_Msg->size() != 0 ||
      (to != READY && !inFlight(to))) {
    return false;
  }
  std::vector<std::string> queued;
  for (const std::string& text : undelivered) {
    if (!starts_with(text, "BEGINFLIGHT")) queued.push_back(text);
  }
  ACARS_Msg->resumeFlight(record, dataId, queued);
  state = to;
  climb_ALT_sent = values.climbAltSent;
  cruise_ALT_sent = values.cruiseAltSent;
  descend_ALT_sent = values.descendAltSent;
  reportPOS = values.reportPOS;
  lastPOSReport = static_cast<std::time_t>(values.lastPOSReport);
  isPaused = values.paused;
  landing_vspeed = values.landingVSpeed;
  loopinterval = values.loopInterval > 0 ? values.loopInterval : loopinterval;
  std::map<int, int> table;
  Tokenizer pairs(" ");
  pairs.push_back(values.posRepTable);
  for (const std::string& pair : pairs) {
    const std::size_t colon = pair.find(':');
    if (colon != std::string::npos) {
      table[To_t<int>(pair.substr(0, colon))] = To_t<int>(pair.substr(colon + 1));
    }
  }
  setOpPosRepMap(table);
  send("Flight [" + record.plan.callsign + "] resumed from its journal in state [" +
       stateName(state) + "], data id [" + dataId + "], " + to_str(queued.size()) +
       " message(s) to deliver.");
  if (inFlight(state) && values.placeAt != 0) {
    suspension_.notePlace(values.lat, values.lon, values.altitude,
                          static_cast<std::time_t>(values.placeAt));
    suspension_.beginAfterRestart(clock().now());
    elsewhere_ = false;
    send(suspension_.lostText());
  }
  return true;
}

}  // namespace orvane
