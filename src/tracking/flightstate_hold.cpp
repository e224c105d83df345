// FlightState's holds: a simulator lost mid-flight (suspension) and a simulator running fast (rate episode).
// SPDX-License-Identifier: MIT
#include "tracking/flightstate.h"

#include "util/clock.h"

namespace orvane {

void FlightState::suspend() {
  holding_ = true;
  if (suspension_.active()) return;
  suspension_.begin(clock().now());
  elsewhere_ = false;
  send(suspension_.lostText());
}

bool FlightState::holdForSuspension() {
  const Position p = FData->getPosition();
  const double altitude = FData->getAltitude();
  if (!suspension_.active()) {
    suspension_.notePlace(p.lat, p.lng, altitude, clock().now());
    return false;
  }
  holding_ = true;
  switch (suspension_.look(p.lat, p.lng, altitude)) {
    case Suspension::Verdict::ELSEWHERE:
      if (!elsewhere_) send(suspension_.elsewhereText());
      elsewhere_ = true;
      return true;
    case Suspension::Verdict::SAME_PLACE:
    case Suspension::Verdict::NONE:
      break;
  }
  elsewhere_ = false;
  createNote(suspension_.gapLine(clock().now()));
  send("The simulator is back near where it was: the flight goes on.");
  suspension_.notePlace(p.lat, p.lng, altitude, clock().now());
  // The figures of this cycle are the aircraft's again.
  holding_ = false;
  return false;
}

bool FlightState::holdForRate() {
  if (FData->isSlewing()) {
    const bool starting = !rate_.active();
    rate_.fast(FData->getSimulationRate(), FData->isSlewMode(), clock().mono_ms(), clock().now());
    if (starting) send(rate_.startText());
    holding_ = true;
    return true;
  }
  if (!rate_.active()) return false;
  const int seconds = rate_.end(clock().mono_ms());
  createNote(rate_.line(seconds));
  send("Simulation rate back to 1x after " + std::to_string(seconds) +
       " s: the flight goes on.");
  return false;
}

void FlightState::createNote(const std::string& line) {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return;
  const int fuel = static_cast<int>(FData->getCurrentFuel());
  const int altitude = FData->getAltitude();
  ACARS_Msg->messageNote(static_cast<long>(clock().now()), fuel, p.lat, p.lng, altitude, line);
}

std::string FlightState::suspensionText() const {
  if (!isSuspended()) return std::string();
  return elsewhere_ ? suspension_.elsewhereText() : suspension_.lostText();
}

bool FlightState::isRateExpired() const { return rate_.expired(clock().mono_ms()); }

void FlightState::EndSuspendedFlight() {
  if (!inFlight(state) && state != READY) return;
  send("The pilot ends the flight.");
  suspension_.clear();
  EndFlight();
}

}  // namespace orvane
