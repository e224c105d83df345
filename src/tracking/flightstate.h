// FlightState: the state machine that follows one flight and raises its ACARS events.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "records/flightoptions.h"
#include "sim/flightdata.h"
#include "tracking/rate_episode.h"
#include "tracking/suspension.h"
#include "tracking/touchdown_watch.h"

namespace orvane {

class FlightState;

// Hands a position-report interval table (altitude in feet -> seconds) to the flight that
// owns an ACARS object; the ACARS::PosRepCallback the flight gives its ACARS object. Called
// from the send thread.
void deliverPosRepTable(FlightState* owner, const std::map<int, int>& table);

// What the state machine itself holds of a flight under way, as plain values: what a journal
// keeps to go on with it after a restart (the flight record is the ACARS object's).
struct FlightStateValues {
  int state = 0;  // a FlightState::State
  bool climbAltSent = false, cruiseAltSent = false, descendAltSent = false;
  bool reportPOS = false;
  std::int64_t lastPOSReport = 0;  // wall seconds
  bool paused = false;
  double landingVSpeed = 0.0;
  int loopInterval = 5;
  // The aircraft's last place read from the simulator, and when (wall seconds; 0: none).
  double lat = 0.0, lon = 0.0, altitude = 0.0;
  std::int64_t placeAt = 0;
  // The airline's position-report intervals: "feet:seconds" pairs, blank-separated.
  std::string posRepTable;
};

class FlightState {
 public:
  enum State {
    NONE = 0,
    OPTIONS = 1,
    TESTING = 2,
    INIT = 3,
    READY = 4,
    STARTED_OUT = 5,
    TAXIING_OUT = 6,
    CLIMBING = 7,
    CRUISING = 8,
    DESCENDING = 9,
    TAXIING_IN = 10,
    STARTED_IN = 11,
    PIREP = 12,
    FINAL = 13
  };

  using TextCallback = void (*)(const std::string&);
  using PIREPCallback = void (*)(const PIREPData&);
  using InitCallback = void (*)();

  // Vertical speeds in feet per minute.
  static const std::int32_t VSPEED_CRUISE;  // level flight turns into climb or descent beyond it
  static const std::int32_t VSPEED_CLIMB;   // climb or descent levels off below it

  FlightState(FlightData* data, TextCallback connectFailed, InitCallback initFlight,
              TextCallback flightInfo, PIREPCallback pirepData, TextCallback pirepError,
              TextCallback pirepSuccess, TextCallback status, TextCallback acarsText);
  ~FlightState();
  FlightState(const FlightState&) = delete;
  FlightState& operator=(const FlightState&) = delete;

  // One step of the machine; false once the flight is over.
  bool Check();
  void setFlightOptions(const FlightOptions& options);
  const FlightOptions& flightOptions() const { return options; }
  void setRealTimeChange(int seconds);

  State getState() const { return state; }
  int getLoopInterval() const { return loopinterval; }
  // The simulator's touchdown rate once it has one, else the rate sampled last on final.
  double getLandingVSpeed() const;
  Touchdown getTouchdown() const { return touchdown_.touchdown(); }
  std::string getStateDisplay() const;
  static std::string stateName(State s);

  int getOutTime() const;
  int getOffTime() const;
  int getOnTime() const;
  int getInTime() const;
  int getOutFuel() const;
  int getOffFuel() const;
  int getOnFuel() const;
  int getInFuel() const;
  int getCurrentBlockTime() const;
  int getCurrentFlightTime() const;
  int getCurrentBlockFuel() const;
  int getCurrentFlightFuel() const;

  // ---- Events and position reports ---------------------------------------------------
  std::string CreateData(ACARS::MessageType type);
  void BeginFlight();
  void EndFlight();
  void ReportPosition();
  int getOpPosReportInterval();
  // Called from the ACARS send thread.
  void setOpPosRepMap(const std::map<int, int>& table);
  void WaypointPassed(const std::string& name);
  void PIREPReady(const PIREPData& report);
  void PIREPReady();
  void PIREPCancel();
  void getFlightInfo(const std::string& flightNumber, const std::string& type);

  // ---- A simulator lost, or running fast (cycle thread, or under the engine's cycle lock) --
  // The simulator went away mid-flight: the flight waits for it (see Suspension).
  bool isSuspended() const { return suspension_.active() && inFlight(state); }
  // While suspended: the text for the pilot (lost, or back elsewhere); empty otherwise.
  std::string suspensionText() const;
  // A simulation rate above 1x or slew is under way: the figures are not tracked.
  bool isRateHeld() const { return rate_.active(); }
  // ... and it has lasted beyond RateEpisode::kAllowedSeconds: tracking is to end.
  bool isRateExpired() const;
  // The cycle's values are not the flight's: suspended, fast, or no values read.
  bool isHolding() const { return holding_; }
  // The pilot ends a suspended (or any tracked) flight: what a lost simulator did before.
  void EndSuspendedFlight();

  // ---- A flight journaled before a restart (cycle thread, or under the engine's cycle lock) --
  FlightStateValues journalValues() const;
  // Goes on with a journaled flight, on a flight whose ACARS object has passed its connection
  // test (INIT or READY) and queued nothing: the machine's values, the record, the data id and the
  // undelivered messages (a BEGINFLIGHT among them is not sent again). A flight in the air or
  // taxiing waits, suspended, until the simulator's aircraft is near the journaled place;
  // then a message records the gap. False when the flight cannot take it up.
  bool resume(const FlightStateValues& values, const FlightRecordValues& record,
              const std::string& dataId, const std::vector<std::string>& undelivered);

  // The flight's ACARS object, or null; for the engine and tests.
  ACARS* acars() const { return ACARS_Msg; }

 private:
  std::string Create_ACARS_BEGINFLIGHT();
  std::string Create_ACARS_OUT();
  std::string Create_ACARS_OFF();
  std::string Create_ACARS_ON();
  std::string Create_ACARS_IN();
  std::string Create_ACARS_POS(const std::string& text);
  std::string Create_ACARS_ALT();
  std::string Create_ACARS_STAT();
  std::string Create_ACARS_ENDFLIGHT();
  std::string Create_ACARS_PAUSEFLIGHT();
  void send(const std::string& text) const;
  void stepState();
  void deleteACARS();
  static bool inFlight(State s) { return s >= STARTED_OUT && s <= STARTED_IN; }
  // The simulator is not connected: the flight is suspended (told once).
  void suspend();
  // The simulator answered this cycle: notes the aircraft's place, or, while suspended,
  // decides whether it is back near it. True while the flight stays suspended.
  bool holdForSuspension();
  // True while the simulation rate is above 1x or slew is on; records an episode that ends.
  bool holdForRate();
  // Queues a free-text ACARS note with the aircraft's position.
  void createNote(const std::string& line);

  FlightData* FData;
  ACARS* ACARS_Msg = nullptr;
  FlightOptions options;
  State state = NONE;
  bool climb_ALT_sent = false;
  bool cruise_ALT_sent = false;
  bool descend_ALT_sent = false;
  bool reportPOS = false;
  std::time_t lastPOSReport = 0;
  bool isPaused = false;
  std::map<int, int> OpPosRepInt;  // guarded by posrep_lock_
  mutable std::mutex posrep_lock_;
  double landing_vspeed = 0.0;  // feet per minute, sampled below 100 ft
  TouchdownWatch touchdown_;
  Suspension suspension_;
  bool elsewhere_ = false;  // the suspended flight's simulator is back elsewhere
  RateEpisode rate_;
  bool holding_ = false;    // this cycle's values are not tracked
  int loopinterval = 5;         // seconds
  TextCallback showMessage;
  TextCallback ACARSConnectFailed;
  InitCallback initFlight;
  TextCallback FlInfoCB;
  TextCallback ACARSInfo;
  TextCallback PIRSuccCB;
  TextCallback PIRErrCB;
  PIREPCallback PIRDataCB;
};

}  // namespace orvane
