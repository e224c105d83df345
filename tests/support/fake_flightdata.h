// Flight data sources for tests: one answering from a settable state, one playing a FlightModel.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flightmodel/flight_model.h"
#include "sim/flightdata.h"

namespace orvane::test {

// Answers every getter from `state`, rounding as FlightData_MSFS does, so that a test sees
// the same figures from this source as from the simulator link (headings are taken as the
// link would carry them: -180..180 before rounding, a true heading of exactly 0 reads 0).
// While `state.connected` is false every simulator getter returns 0, false or an empty
// text, as a source that has lost its simulator does. Every simulator getter also publishes
// the status the window asks for, as the simulator source does when it reads.
class FakeFlightData : public FlightData {
 public:
  model::AircraftState state;

  std::string getAircraftRegistration() override;
  bool isSimConnected() override;
  bool isOnGround() override;
  bool isPaused() override;
  bool isSlewing() override;
  bool isFlightCrashed() override;
  Position getPosition() override;
  double getGroundSpeed() override;
  double getVerticalSpeed() override;
  double getHeight() override;
  std::int32_t getAltitude() override;
  std::int32_t getHeading() override;
  std::int32_t getTrueHeading() override;
  std::int32_t getIAS() override;
  std::int32_t getTAS() override;
  std::int32_t getOAT() override;
  std::int32_t getTAT() override;
  std::int32_t getWindDirection() override;
  std::int32_t getWindSpeed() override;
  std::int32_t getNumberEngines() override;
  bool EngineRunning() override;
  bool EngineStopped() override;
  std::vector<std::int32_t> getEngine_N1() override;
  std::vector<std::int32_t> getEngine_N2() override;
  std::int32_t getZFW() override;
  std::int32_t getTotalWeight() override;
  double getCurrentFuel() override;
  OnlineStatus getOnlineStatus() override { return UNKNOWN; }
  std::string getClientName() override { return "ORVANE_TEST"; }
  // G, pitch and bank from `state`; no latched touchdown rate (the sampled one stands in).
  std::optional<double> getGForce() override;
  double getPitch() override;
  double getBank() override;

  // How many simulator getters have been called since the last reset_calls().
  int calls() const { return calls_; }
  void reset_calls() { calls_ = 0; }

 protected:
  // Called before every simulator getter answers; brings `state` up to date.
  virtual void refresh() {}

 private:
  // Counts the call, refreshes, and tells whether the simulator is there to answer.
  bool live();

  int calls_ = 0;
};

// Plays a FlightModel against the process clock: every getter first sets `state` to the
// model at (clock().now_ms() - start_ms) / 1000 seconds.
class ScriptedFlightData : public FakeFlightData {
 public:
  ScriptedFlightData(model::FlightModel flight, std::int64_t start_ms);

  // Starts the flight again from its beginning at start_ms.
  void restart(std::int64_t start_ms) { start_ms_ = start_ms; }
  // Seconds of the flight at the current clock time.
  double flight_time() const;
  const model::FlightModel& flight() const { return flight_; }

 protected:
  void refresh() override;

 private:
  model::FlightModel flight_;
  std::int64_t start_ms_;
};

}  // namespace orvane::test
