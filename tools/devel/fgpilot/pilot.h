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

  // True when the plan was flown to its end; false (said through report) otherwise.
  bool fly(Plan plan);

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

  FgTelnet& fg_;
  Report report_;
  double runway_hdg_ = 0;
  State last_{};
  double last_time_ = -1;
  double runway_lat_ = 0, runway_lon_ = 0;
};

}  // namespace orvane::fgpilot
