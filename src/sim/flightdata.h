// FlightData: the abstract simulator data source, with the flight's static data.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The flight's static data as entered by the pilot or downloaded from the airline.
struct SFlightData {
  std::int32_t id = 0;
  std::string sCallsign;
  std::string sAircraft;
  std::string sAirline;
  std::string sRoute;
  std::string sDeparture;
  std::string sArrival;
  std::string sAlternate;
  std::string sAltitude;
  std::string sPassengers;
  std::string sCargo;
  std::string sRules;

  // One log line with every field but id.
  std::string output() const;
};

struct Position {
  double lat = 0.0;  // degrees, north positive
  double lng = 0.0;  // degrees, east positive
};

// What the window thread may ask about the simulator between engine cycles, as the last
// cycle saw it.
struct SimStatus {
  bool connected = false;
  bool onGround = false;
  bool enginesRunning = false;  // as EngineRunning answers
  bool slewing = false;
  bool crashed = false;
};

// Everything the engine knows about the aircraft comes through here, already converted to
// knots, feet, feet per minute, degrees and pounds. The simulator getters belong to the
// engine cycle: one thread at a time calls them (the engine holds its cycle lock). Any
// thread may set and read the static data and read the published status.
class FlightData {
 public:
  enum OnlineStatus { UNKNOWN = 0, OFFLINE = 1, ONLINE = 2 };

  virtual ~FlightData() = default;

  // Any thread; never waits on the simulator.
  void setStaticData(const SFlightData& data);

  // The cycle is over: publishes what publishedStatus() answers until the next cycle, and
  // lets the next cycle read the simulator afresh. The engine calls it at the end of every
  // cycle. This default asks the getters; a source that reads the simulator once per cycle
  // answers from what it read.
  virtual void endCycle();
  // A flight is about to be ended outside a cycle (its last message reads the simulator).
  // When the last exchange with the simulator failed, the reads until the next endCycle
  // answer the last values that went through, and nothing is sent to the simulator: ending
  // a flight must not wait out another time-out. A source whose reads cannot fail keeps the
  // default.
  virtual void keepLastValues() {}
  // What the last cycle published. Any thread; never waits on the simulator.
  SimStatus publishedStatus() const;
  // False when this cycle's values could not be read from the simulator: the getters then
  // answer zeros that must not be taken for the aircraft's state. A source whose reads
  // cannot fail keeps the default.
  virtual bool lastReadOk() { return true; }

  virtual std::string getAircraftRegistration() = 0;
  virtual bool isSimConnected() = 0;
  virtual bool isConnectedToXSB() { return false; }
  virtual std::string getXSBAircraft() { return {}; }
  virtual std::string getXSBRoute() { return {}; }
  virtual std::string getXSBDeparture() { return {}; }
  virtual std::string getXSBArrival() { return {}; }
  virtual std::string getXSBAlternate() { return {}; }
  virtual bool isOnGround() = 0;
  virtual bool isPaused() = 0;
  // Slew mode on, or a simulation rate above 1.
  virtual bool isSlewing() = 0;
  // The simulation rate (1 normal) and slew mode alone, for the record of an episode. A
  // source without them keeps the defaults.
  virtual double getSimulationRate() { return 1.0; }
  virtual bool isSlewMode() { return false; }
  virtual bool isFlightCrashed() = 0;
  virtual Position getPosition() = 0;
  virtual double getGroundSpeed() = 0;    // knots
  virtual double getVerticalSpeed() = 0;  // feet per minute, positive climbing
  virtual double getHeight() = 0;         // whole feet above ground
  virtual std::int32_t getAltitude() = 0;  // feet above mean sea level
  virtual std::int32_t getHeading() = 0;   // magnetic, degrees 0..360
  virtual std::int32_t getTrueHeading() = 0;  // degrees 0..359
  virtual std::int32_t getIAS() = 0;       // knots
  virtual std::int32_t getTAS() = 0;       // knots
  virtual std::int32_t getOAT() = 0;       // degrees Celsius
  virtual std::int32_t getTAT() = 0;       // degrees Celsius
  virtual std::int32_t getWindDirection() = 0;  // degrees 0..359
  virtual std::int32_t getWindSpeed() = 0;      // knots
  virtual std::int32_t getNumberEngines() = 0;
  // Some engine fires (its combustion flag), or, from a source without combustion flags,
  // some engine has N1 above 20 percent.
  virtual bool EngineRunning() = 0;
  // No engine fires, or, without combustion flags, no engine has N2 above 20 percent.
  virtual bool EngineStopped() = 0;
  virtual std::vector<std::int32_t> getEngine_N1() = 0;  // whole percent, engine 1 first
  virtual std::vector<std::int32_t> getEngine_N2() = 0;
  virtual std::int32_t getZFW() = 0;          // pounds
  virtual std::int32_t getTotalWeight() = 0;  // pounds
  virtual double getCurrentFuel() = 0;        // pounds
  virtual std::string getCallsign() { return staticField(&SFlightData::sCallsign); }
  virtual std::string getACCode() { return staticField(&SFlightData::sAircraft); }
  virtual OnlineStatus getOnlineStatus() = 0;
  virtual std::string getDepartureICAO() { return staticField(&SFlightData::sDeparture); }
  virtual std::string getArrivalICAO() { return staticField(&SFlightData::sArrival); }
  virtual std::string getAlternateICAO() { return staticField(&SFlightData::sAlternate); }
  virtual std::string getAirlineICAO() { return staticField(&SFlightData::sAirline); }
  virtual std::string getRoute() { return staticField(&SFlightData::sRoute); }
  virtual std::string getPassengers() { return staticField(&SFlightData::sPassengers); }
  virtual std::string getCargo() { return staticField(&SFlightData::sCargo); }
  virtual std::string getRules() { return staticField(&SFlightData::sRules); }
  virtual std::string getClientName() = 0;

  // The aircraft at touchdown. A source without these values keeps the defaults.
  // The vertical speed the simulator latched at the last touchdown, feet per minute,
  // negative descending (while airborne it follows the vertical speed); nullopt where the
  // source keeps no such value.
  virtual std::optional<double> getTouchdownVerticalSpeed() { return std::nullopt; }
  virtual std::optional<double> getGForce() { return std::nullopt; }  // G now
  virtual double getPitch() { return 0.0; }  // degrees, nose up positive
  virtual double getBank() { return 0.0; }   // degrees, right wing down positive

 protected:
  // Replaces the published status. Any thread.
  void publishStatus(const SimStatus& status);

 private:
  std::string staticField(std::string SFlightData::*field) const;

  mutable std::mutex static_mutex_;  // guards StaticData; never held while reading the simulator
  SFlightData StaticData;
  mutable std::mutex status_mutex_;  // guards status_
  SimStatus status_;
};

}  // namespace orvane
