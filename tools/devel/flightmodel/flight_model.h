// FlightModel: an aircraft's physical state over time, played from keyframes and events.
// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::model {

// What the simulator would show at one moment, in the units the engine works in.
struct AircraftState {
  double lat = 0.0;           // degrees, north positive
  double lon = 0.0;           // degrees, east positive
  double gs = 0.0;            // ground speed, knots
  double vs = 0.0;            // vertical speed, feet per minute, positive climbing
  double height = 0.0;        // feet above ground
  double alt = 0.0;           // feet above mean sea level
  double true_heading = 0.0;  // degrees 0..360
  double mag_var = 0.0;       // magnetic variation, degrees, east positive (magnetic = true - var)
  double ias = 0.0;           // knots
  double tas = 0.0;           // knots
  double oat = 0.0;           // degrees Celsius
  double tat = 0.0;           // degrees Celsius
  double wind_dir = 0.0;      // degrees 0..360, where the wind comes from
  double wind_speed = 0.0;    // knots
  int engines = 0;            // number of engines, 0..4
  std::array<double, 4> n1{};  // percent, engine 1 first
  std::array<double, 4> n2{};  // percent
  // Each engine's combustion (firing). Until a keyframe sets it (fire_set), an engine fires
  // while its N2 is above 20 percent.
  std::array<bool, 4> fire{};
  bool fire_set = false;
  double pitch = 0.0;         // degrees, nose up positive
  double bank = 0.0;          // degrees, right wing down positive
  double zfw = 0.0;           // zero-fuel weight, pounds
  double total_weight = 0.0;  // pounds; the fuel on board is total_weight - zfw
  bool on_ground = false;

  // Derived from the keyframes' on-ground steps (see FlightModel::touchdowns): the vertical
  // speed the simulator latches at touchdown (feet per minute; the vertical speed itself
  // while airborne, 0 on the ground before any touchdown) and the G load (1 in the air,
  // the touchdown's G while on the ground after it).
  double touchdown_vs = 0.0;
  double g = 1.0;

  // Driven by events (see FlightModel::add_event), not by keyframes.
  bool paused = false;
  bool slew = false;
  double sim_rate = 1.0;  // simulation rate, 1.0 = normal speed
  bool crashed = false;
  bool frozen = false;     // the activity counter, menu and mode flags stand still (freeze, load)
  bool connected = true;   // false: the simulator has vanished
  bool hung = false;       // alive but not answering the link

  // Signs of life: the counter advances with time while not frozen; the two flags
  // normally keep their values for the whole flight.
  std::uint16_t activity = 0;
  std::uint8_t in_menu = 0;
  std::uint8_t flight_mode = 0;

  std::string registration;  // at most 12 characters
};

// A touchdown of the flight: an on-ground step from airborne to on the ground.
struct Touchdown {
  double t = 0.0;   // seconds from the start of the flight
  double vs = 0.0;  // vertical speed just before it, feet per minute (negative descending)
  double g = 1.0;   // the G load it gives
};

enum class EventKind {
  Pause,
  Resume,
  SlewOn,
  SlewOff,
  SimRate,  // value = the new simulation rate
  Crash,
  Freeze,
  Unfreeze,
  Disconnect,
  Reconnect,
  Hang,  // value = how many seconds the simulator stops answering
  // The scenario clock stops at this time until the file named by path exists (a hold at
  // the gate until the pilot has started tracking). The player carries it out; the state
  // at a time does not depend on it.
  HoldUntil,
  // value = seconds the simulator loads (aircraft or scenery): the activity counter, menu
  // and mode flags stand still that long while the link answers, as during a freeze.
  Load,
};

struct Keyframe {
  double t = 0.0;  // seconds from the start of the flight
  AircraftState state;
};

struct Event {
  double t = 0.0;  // seconds from the start of the flight
  EventKind kind = EventKind::Pause;
  double value = 0.0;
  std::string path;  // HoldUntil: the file that releases the hold
};

// Plays an aircraft's state over time. Between two keyframes numeric values move linearly
// (the headings and the wind direction along the shorter arc); the number of engines, the
// on-ground flag, the menu and mode flags and the registration keep the value of the
// keyframe before. Before the first keyframe the first one holds, after the last one the
// last one. Pause, slew, simulation rate, crash, freeze and connection change only through
// events, which take effect at their time and last until the opposite event; a hang and
// a load last their own number of seconds.
class FlightModel {
 public:
  // How fast the activity counter moves while the simulator is not frozen.
  static constexpr double kActivityPerSecond = 18.0;
  // Above this N2 (percent) an engine fires, until a keyframe sets its combustion.
  static constexpr double kFiringN2 = 20.0;
  // The landing gear's stroke in metres: a touchdown at v metres per second gives
  // 1 + v^2 / (2 * stroke * 9.80665) G.
  static constexpr double kGearStrokeM = 0.25;

  // Adds a keyframe; keyframes may come in any order. The event-driven fields of the
  // state are not taken from keyframes. Throws std::invalid_argument for a time that is
  // negative or not finite.
  void add_keyframe(double t, const AircraftState& state);
  // Adds an event; events at the same time apply in the order they were added. Throws
  // std::invalid_argument for a time that is negative or not finite.
  void add_event(double t, EventKind kind, double value = 0.0, std::string path = {});

  // The state at t seconds from the start; any t is accepted (not finite counts as 0).
  AircraftState at(double t) const;
  // Time of the last keyframe or event, seconds.
  double duration() const;
  // Every touchdown, in time order: each keyframe that is on the ground after one that is
  // not. Its vertical speed is the one just before the step: that of the keyframe before
  // when both share the time (a step), else that of the touchdown keyframe itself (the
  // vertical speed moves linearly up to it).
  std::vector<Touchdown> touchdowns() const;
  // The G load of a touchdown at vs feet per minute.
  static double touchdown_g(double vs);

  const std::vector<Keyframe>& keyframes() const { return keyframes_; }
  const std::vector<Event>& events() const { return events_; }

 private:
  AircraftState interpolate(double t) const;

  std::vector<Keyframe> keyframes_;  // sorted by time, stable
  std::vector<Event> events_;        // sorted by time, stable
};

}  // namespace orvane::model
