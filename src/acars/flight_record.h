// FlightRecord: what one flight has recorded for its report, and the message texts its events make.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "acars/flight_sample.h"
#include "pirep/PIREPData.h"

namespace orvane {

// The flight-plan fields of BEGINFLIGHT, as the simulator's flight data names them.
struct FlightPlan {
  std::string callsign, route, departure, destination, alternate, registration, aircraft,
      airline, passengers, cargo, rules;
};

// Everything a FlightRecord holds, as plain values: what a journal keeps to go on with the
// flight after a restart.
struct FlightRecordValues {
  std::int32_t timeOut = 0, timeOff = 0, timeOn = 0, timeIn = 0;
  std::int32_t flightTimePaused = 0, blockTimePaused = 0, timeThisPause = 0;
  std::int32_t flightTimeChanged = 0, blockTimeChanged = 0;
  double fuelOut = 0.0, fuelOff = 0.0, fuelOn = 0.0, fuelIn = 0.0, currentFuel = 0.0;
  double flownDistance = 0.0, plat = 1000.0, plong = 1000.0;
  std::int32_t zfw = 0, tow = 0, law = 0;
  double outLat = 0.0, outLong = 0.0, outAlt = 0.0, inLat = 0.0, inLong = 0.0, inAlt = 0.0;
  std::int32_t messNo = 0, maxAlt = 0;
  FlightPlan plan;
};

// An atomic value that a copy of its holder reads once, so that the holder can be copied.
template <typename T>
class CopyableAtomic : public std::atomic<T> {
 public:
  CopyableAtomic(T v = T{}) : std::atomic<T>(v) {}  // NOLINT: converts like the plain value
  CopyableAtomic(const CopyableAtomic& other) : std::atomic<T>(other.load()) {}
  CopyableAtomic& operator=(const CopyableAtomic& other) {
    this->store(other.load());
    return *this;
  }
  CopyableAtomic& operator=(T v) {
    this->store(v);
    return *this;
  }
};

// Written by one thread only, the cycle thread, through the event builders. The event times,
// fuels and pause figures are atomic, so that the running values may be read from any thread;
// everything else is read on the cycle thread, or in a copy: the copy a send thread gets with
// ENDFLIGHT is its own, and later events do not reach it.
class FlightRecord {
 public:
  // ---- Events (cycle thread); each records its values and returns its message text:
  // the BEGINFLIGHT record, or the message text of a MESSAGE request ------------------------
  std::string beginFlightRecord(const FlightPlan& plan, const FlightSample& s,
                                const std::string& user, const std::string& password);
  std::string outMessage(const FlightSample& s);
  // Engine figures from s.n1 and s.n2.
  std::string offMessage(const FlightSample& s);
  std::string onMessage(const FlightSample& s);
  std::string inMessage(const FlightSample& s);
  // remark: appended in brackets to the position line when not empty.
  std::string posMessage(const FlightSample& s, const std::string& remark);
  // phase: "CHG CLIMB", "CHG DESC" or "LEVEL".
  std::string altMessage(const FlightSample& s, const std::string& phase);
  std::string statMessage(long t);
  // A numbered free-text message at s.t: the line (an episode of the simulator: a fast rate,
  // slew, a lost simulator back), then the aircraft's position and altitude.
  std::string noteMessage(const FlightSample& s, const std::string& line);
  // A pause begins or ends now (clock time); the length of a pause during block or flight
  // time is kept out of it.
  void pauseBegins();
  void pauseEnds();
  // The wall clock jumped by seconds (signed); keeps running times and pauses true.
  void realTimeChange(int seconds);

  // ---- Journal (cycle thread) ---------------------------------------------------------------
  FlightRecordValues values() const;
  // Takes up a flight recorded before a restart: every value as it was journaled.
  void restore(const FlightRecordValues& v);

  // ---- The report --------------------------------------------------------------------------
  // All four event times (OUT, OFF, ON, IN) are recorded.
  bool complete() const;
  PIREPData pirep() const;

  // ---- Running values (any thread) -----------------------------------------------------------
  int outTime() const { return time_out_.load(); }
  int offTime() const { return time_off_.load(); }
  int onTime() const { return time_on_.load(); }
  int inTime() const { return time_in_.load(); }
  int outFuel() const { return static_cast<int>(fuel_out_.load()); }
  int offFuel() const { return static_cast<int>(fuel_off_.load()); }
  int onFuel() const { return static_cast<int>(fuel_on_.load()); }
  int inFuel() const { return static_cast<int>(fuel_in_.load()); }
  // Seconds and pounds so far: up to now (clock time) until IN or ON is recorded.
  int currentBlockTime() const;
  int currentFlightTime() const;
  int currentBlockFuel() const;
  int currentFlightFuel() const;

 private:
  void updateMaxAlt(int alt);
  // Counts one more numbered message.
  void countMessage();
  // Lines 1 to 5 of the numbered message just counted.
  std::string header(const char* label, long t) const;

  // Event times: seconds since 1970 (UTC) cut to 32 bits; 0 until the event.
  CopyableAtomic<std::int32_t> time_out_{0}, time_off_{0}, time_on_{0}, time_in_{0};
  // Seconds taken out of flight and block time (pauses, clock jumps); the start of the pause
  // under way (0: none).
  CopyableAtomic<std::int32_t> flight_time_paused_{0}, block_time_paused_{0};
  CopyableAtomic<std::int32_t> time_this_pause_{0};
  CopyableAtomic<std::int32_t> flight_time_changed_{0}, block_time_changed_{0};
  // Fuel on board at the events and at the latest event, pounds; 0 until the event.
  CopyableAtomic<double> fuel_out_{0.0}, fuel_off_{0.0}, fuel_on_{0.0}, fuel_in_{0.0};
  CopyableAtomic<double> current_fuel_{0.0};

  // Cycle thread (and copies) only.
  double flown_distance_ = 0.0;                // nautical miles
  double plat_ = 1000.0, plong_ = 1000.0;      // previous POS position; 1000: none yet
  std::int32_t zfw_ = 0, tow_ = 0, law_ = 0;   // pounds
  double outlat_ = 0.0, outlong_ = 0.0, outalt_ = 0.0;
  double inlat_ = 0.0, inlong_ = 0.0, inalt_ = 0.0;
  std::int32_t messNo_ = 0;                    // number of the latest numbered message
  std::int32_t maxAlt_ = 0;                    // feet
  FlightPlan plan_;
};

}  // namespace orvane
