// Pilot: flies FlightGear's c172p through its property tree, phase by phase.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "fgpilot/fg_telnet.h"

namespace orvane::fgpilot {

// How far the flight goes: to a climb through 500 ft above the runway, or the whole
// circuit back to the runway, stopped with the engine off.
enum class Plan { Climb, Circuit };

// Flies from a standstill on the runway's threshold, engine off: engine start, a taxi along
// the runway, take-off, climb; for the circuit also the pattern (crosswind, downwind, base,
// final), the landing on the runway, roll-out and shut-down. Controls are written through
// the telnet property protocol a few times a second (FlightGear runs at a few frames a
// second here); the waits are bounded by real time.
class Pilot {
 public:
  using Report = std::function<void(const std::string&)>;
  Pilot(FgTelnet& fg, Report report) : fg_(fg), report_(std::move(report)) {}

  // The circuit's geometry: the runway's threshold and heading, the pattern's altitude (feet
  // above sea level). fly() reports it as "circuit LAT LON HEADING ALTITUDE" once airborne.
  struct Circuit {
    double lat = 0, lon = 0, hdg = 0, pattern_alt = 0;
  };

  // True when the plan was flown to its end; false (said through report) otherwise.
  bool fly(Plan plan);
  // Goes on with a circuit in a FlightGear started again in the air (after the first was
  // killed): downwind, base, final, landing, roll-out and shut-down.
  bool resume(const Circuit& circuit);

 private:
  struct State {
    double hdg = 0, pitch = 0, roll = 0, ias = 0, gs = 0, agl = 0, vs_fps = 0, alt = 0;
    double lat = 0, lon = 0;
    bool wow = true, running = false;
    double t = 0;  // real seconds since the phase began
    double hdg_rate = 0, pitch_rate = 0, roll_rate = 0;  // degrees per real second
  };
  bool read(State* s);
  bool start_engine();
  // Runs step every quarter second until it returns true, for at most seconds.
  bool phase(const std::string& name, int seconds, const std::function<bool(const State&)>& step);
  // Controls: a heading to hold (rudder on the ground, bank in the air), a pitch to hold.
  void steer_ground(const State& s, double heading);
  void fly_attitude(const State& s, double heading, double pitch, double max_bank = 20);
  // The pattern from crosswind (or from downwind) to the engine shut down on the runway.
  bool fly_pattern(bool from_downwind);

  FgTelnet& fg_;
  Report report_;
  Circuit circuit_;
  State last_{};
  double last_time_ = -1;
};

}  // namespace orvane::fgpilot
