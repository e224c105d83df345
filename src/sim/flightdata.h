// FlightData: the abstract simulator data source, with the flight's static data.
#pragma once

#include <cstdint>
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

// Everything the engine knows about the aircraft comes through here, already converted to
// knots, feet, feet per minute, degrees and pounds. A source has no locking of its own:
// its owner calls it from one thread at a time.
class FlightData {
 public:
  enum OnlineStatus { UNKNOWN = 0, OFFLINE = 1, ONLINE = 2 };

  virtual ~FlightData() = default;

  void setStaticData(const SFlightData& data) { StaticData = data; }

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
  virtual bool isSlewing() = 0;
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
  virtual bool EngineRunning() = 0;  // some engine with N1 above 20 percent
  virtual bool EngineStopped() = 0;  // no engine with N2 above 20 percent
  virtual std::vector<std::int32_t> getEngine_N1() = 0;  // whole percent, engine 1 first
  virtual std::vector<std::int32_t> getEngine_N2() = 0;
  virtual std::int32_t getZFW() = 0;          // pounds
  virtual std::int32_t getTotalWeight() = 0;  // pounds
  virtual double getCurrentFuel() = 0;        // pounds
  virtual std::string getCallsign() { return StaticData.sCallsign; }
  virtual std::string getACCode() { return StaticData.sAircraft; }
  virtual OnlineStatus getOnlineStatus() = 0;
  virtual std::string getDepartureICAO() { return StaticData.sDeparture; }
  virtual std::string getArrivalICAO() { return StaticData.sArrival; }
  virtual std::string getAlternateICAO() { return StaticData.sAlternate; }
  virtual std::string getAirlineICAO() { return StaticData.sAirline; }
  virtual std::string getRoute() { return StaticData.sRoute; }
  virtual std::string getPassengers() { return StaticData.sPassengers; }
  virtual std::string getCargo() { return StaticData.sCargo; }
  virtual std::string getRules() { return StaticData.sRules; }
  virtual std::string getClientName() = 0;

 protected:
  SFlightData StaticData;
};

}  // namespace orvane
