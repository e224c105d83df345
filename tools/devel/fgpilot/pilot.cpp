// Pilot: the c172p's engine start, taxi, take-off and climb (and the circuit) as control laws.
// SPDX-License-Identifier: MIT
#include "fgpilot/pilot.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

namespace orvane::fgpilot {

namespace {

constexpr double kPi = 3.14159265358979323846;

double wrap180(double a) {
  a = std::fmod(a + 540.0, 360.0) - 180.0;
  return a;
}

double clamp(double v, double lo, double hi) { return std::min(hi, std::max(lo, v)); }

// Metres east and north of (lat0, lon0).
void local_xy(double lat0, double lon0, double lat, double lon, double* east, double* north) {
  *north = (lat - lat0) * 111120.0;
  *east = (lon - lon0) * 111120.0 * std::cos(lat0 * kPi / 180.0);
}

}  // namespace

bool Pilot::read(State* s) {
  static const std::vector<std::string> props = {
      "/orientation/heading-deg", "/orientation/pitch-deg", "/orientation/roll-deg",
      "/velocities/airspeed-kt", "/velocities/groundspeed-kt", "/position/altitude-agl-ft",
      "/velocities/vertical-speed-fps", "/position/altitude-ft", "/position/latitude-deg",
      "/position/longitude-deg", "/gear/gear[1]/wow", "/engines/active-engine/running"};
  std::vector<double> v;
  if (!fg_.numbers(props, &v)) return false;
  s->hdg = v[0];
  s->pitch = v[1];
  s->roll = v[2];
  s->ias = v[3];
  s->gs = v[4];
  s->agl = v[5];
  s->vs_fps = v[6];
  s->alt = v[7];
  s->lat = v[8];
  s->lon = v[9];
  s->wow = v[10] != 0;
  s->running = v[11] != 0;
  // Rates from the previous read: the damping of the control laws.
  const double now = std::chrono::duration<double>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
  const double dt = now - last_time_;
  if (last_time_ > 0 && dt > 0.05 && dt < 5) {
    s->hdg_rate = wrap180(s->hdg - last_.hdg) / dt;
    s->pitch_rate = (s->pitch - last_.pitch) / dt;
    s->roll_rate = (s->roll - last_.roll) / dt;
  }
  last_ = *s;
  last_time_ = now;
  return true;
}

bool Pilot::phase(const std::string& name, int seconds,
                  const std::function<bool(const State&)>& step) {
  report_("phase " + name);
  const auto begin = std::chrono::steady_clock::now();
  const auto end = begin + std::chrono::seconds(seconds);
  int reads = 0;
  double told = -10;
  while (std::chrono::steady_clock::now() < end) {
    State s;
    ++reads;
    s.t = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (!read(&s)) {
      // A busy machine can stall FlightGear for a while: ask again, within the bound.
      report_("FlightGear does not answer (phase " + name + "); asking again");
      std::this_thread::sleep_for(std::chrono::seconds(1));
      fg_.connect();
      continue;
    }
    if (s.t - told >= 5) {
      told = s.t;
      char line[200];
      std::snprintf(line, sizeof line,
                    "  %s %.0f s: ias %.0f gs %.0f agl %.0f vs %.0f fpm hdg %.0f pitch %.1f "
                    "roll %.1f %s",
                    name.c_str(), s.t, s.ias, s.gs, s.agl, s.vs_fps * 60, s.hdg, s.pitch, s.roll,
                    s.wow ? "on the ground" : "airborne");
      report_(line);
    }
    if (step(s)) {
      char line[160];
      std::snprintf(line, sizeof line, "phase %s done in %.0f s (%d control passes)",
                    name.c_str(), s.t, reads);
      report_(line);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  report_("phase " + name + " did not end within " + std::to_string(seconds) + " s");
  return false;
}

void Pilot::steer_ground(const State& s, double heading) {
  const double err = wrap180(heading - s.hdg);
  fg_.set("/controls/flight/rudder", clamp(err * 0.05 - s.hdg_rate * 0.12, -1.0, 1.0));
  fg_.set("/controls/flight/aileron", clamp(-s.roll * 0.05, -0.3, 0.3));
}

void Pilot::fly_attitude(const State& s, double heading, double pitch, double max_bank) {
  const double bank = clamp(wrap180(heading - s.hdg) * 1.0, -max_bank, max_bank);
  fg_.set("/controls/flight/aileron",
          clamp((bank - s.roll) * 0.02 - s.roll_rate * 0.02, -0.4, 0.4));
  fg_.set("/controls/flight/elevator",
          clamp(-(pitch - s.pitch) * 0.05 + s.pitch_rate * 0.03 - 0.05, -0.6, 0.4));
  fg_.set("/controls/flight/rudder", 0.0);
}

bool Pilot::start_engine() {
  // What the c172p's own autostart sets, written from outside.
  fg_.set("/sim/model/c172p/cockpit/control-lock-placed", "0");
  fg_.set("/sim/model/c172p/brake-parking", "0");
  for (const char* p : {"chock", "cowl-plugs-visible", "pitot-cover-visible", "tiedownL-visible",
                        "tiedownR-visible", "tiedownT-visible"})
    fg_.set(std::string("/sim/model/c172p/securing/") + p, "0");
  fg_.set("/consumables/fuel/tank[0]/selected", "1");
  fg_.set("/consumables/fuel/tank[1]/selected", "1");
  fg_.set("/controls/switches/master-bat", "1");
  fg_.set("/controls/switches/master-alt", "1");
  fg_.set("/controls/switches/magnetos", "3");
  fg_.set("/controls/engines/current-engine/throttle", 0.2);
  bool ok = false;
  const double mixture = fg_.number("/fdm/jsbsim/engine/auto-mixture", &ok);
  fg_.set("/controls/engines/current-engine/mixture", ok && mixture > 0 ? mixture : 0.9);
  fg_.set("/controls/engines/engine/primer", "3");
  fg_.set("/controls/gear/brake-parking", "1");
  fg_.set("/controls/switches/starter", "1");
  fg_.set("/engines/active-engine/auto-start", "1");
  const bool running = phase("engine start", 180, [](const State& s) { return s.running; });
  fg_.set("/controls/switches/starter", "0");
  fg_.set("/engines/active-engine/auto-start", "0");
  return running;
}

bool Pilot::fly(Plan plan) {
  State s;
  if (!read(&s)) return false;
  circuit_.hdg = s.hdg;
  circuit_.lat = s.lat;
  circuit_.lon = s.lon;
  circuit_.pattern_alt = s.alt + 1000;
  fg_.set("/controls/flight/flaps", 0.0);
  fg_.set("/controls/flight/elevator-trim", 0.0);
  if (!start_engine()) return false;
  report_("engine running");
  // Let the engine settle (and a tracker see it running with the aircraft still).
  if (!phase("warm-up", 600, [this](const State& st) {
        steer_ground(st, circuit_.hdg);
        return st.t >= 20;
      }))
    return false;

  // Taxi along the runway at a walking pace, then take off.
  fg_.set("/controls/gear/brake-parking", "0");
  fg_.set("/controls/engines/current-engine/throttle", 0.35);
  if (!phase("taxi", 300, [this, rolling = -1.0](const State& st) mutable {
        steer_ground(st, circuit_.hdg);
        fg_.set("/controls/engines/current-engine/throttle", st.gs < 3 ? 0.6 : (st.gs > 10 ? 0.2 : 0.4));
        if (st.gs > 5 && rolling < 0) rolling = st.t;
        return rolling >= 0 && st.t - rolling >= 25;
      }))
    return false;
  report_("taxied");
  fg_.set("/controls/engines/current-engine/mixture", 1.0);
  fg_.set("/controls/engines/current-engine/throttle", 1.0);
  if (!phase("take-off roll", 300, [this](const State& st) {
        steer_ground(st, circuit_.hdg);
        fg_.set("/controls/flight/elevator", st.ias > 55 ? -0.25 : 0.0);
        return !st.wow && st.agl > 15;
      }))
    return false;
  report_("airborne");
  const double climb_to = plan == Plan::Climb ? 500 : 1000;
  if (!phase("climb", 600, [this, climb_to](const State& st) {
        fly_attitude(st, circuit_.hdg, st.ias < 65 ? 4 : 8);
        return st.agl > climb_to;
      }))
    return false;
  report_("climbed through " + std::to_string(static_cast<int>(climb_to)) + " ft");
  if (plan == Plan::Climb) return true;
  char line[160];
  std::snprintf(line, sizeof line, "circuit %.7f %.7f %.2f %.0f", circuit_.lat, circuit_.lon,
                circuit_.hdg, circuit_.pattern_alt);
  report_(line);
  return fly_pattern(false);
}

bool Pilot::resume(const Circuit& circuit) {
  circuit_ = circuit;
  State s;
  if (!read(&s)) return false;
  fg_.set("/controls/flight/flaps", 0.0);
  fg_.set("/controls/gear/brake-parking", "0");
  if (!s.running) {
    // Started in the air with the engine stopped: the starter, as a pilot would.
    if (!start_engine()) return false;
    fg_.set("/controls/gear/brake-parking", "0");
  }
  fg_.set("/controls/engines/current-engine/mixture", 1.0);
  report_("resuming the circuit on downwind");
  return fly_pattern(true);
}

bool Pilot::fly_pattern(bool from_downwind) {
  // The circuit: left turns onto crosswind and downwind, level 1000 ft above the runway.
  const double down = std::fmod(circuit_.hdg + 180.0, 360.0);
  const double cross = std::fmod(circuit_.hdg + 270.0, 360.0);
  const double rwy = circuit_.hdg * kPi / 180.0;
  // Along-track distance from the threshold (metres, positive ahead) and cross-track
  // (positive right of the centre line).
  auto track = [this, rwy](const State& st, double* along, double* side) {
    double e = 0, n = 0;
    local_xy(circuit_.lat, circuit_.lon, st.lat, st.lon, &e, &n);
    *along = e * std::sin(rwy) + n * std::cos(rwy);
    *side = e * std::cos(rwy) - n * std::sin(rwy);
  };
  const double pattern_alt = circuit_.pattern_alt;
  auto level = [&](const State& st, double heading) {
    // Flaps up until final: an aircraft started again in the air may come with them down.
    fg_.set("/controls/flight/flaps", 0.0);
    const double pitch = clamp((pattern_alt - st.alt) * 0.03, -4, 6) + 2;
    fly_attitude(st, heading, pitch);
    fg_.set("/controls/engines/current-engine/throttle", 0.75);
  };
  if (!from_downwind && !phase("crosswind", 600, [&](const State& st) {
        level(st, cross);
        double along = 0, side = 0;
        track(st, &along, &side);
        return side < -1500;
      }))
    return false;
  if (!phase("downwind", 900, [&](const State& st) {
        level(st, down);
        double along = 0, side = 0;
        track(st, &along, &side);
        return along < -2500;
      }))
    return false;
  if (!phase("base", 600, [&](const State& st) {
        level(st, std::fmod(circuit_.hdg + 90.0, 360.0));
        fg_.set("/controls/engines/current-engine/throttle", 0.5);
        double along = 0, side = 0;
        track(st, &along, &side);
        return side > -300;
      }))
    return false;
  // Final: the centre line and a 4-degree path to a point 200 m past the threshold.
  fg_.set("/controls/flight/flaps", 0.33);
  if (!phase("final", 900, [&](const State& st) {
        double along = 0, side = 0;
        track(st, &along, &side);
        const double to_go = 200 - along;
        const double path_ft = std::max(0.0, to_go * std::tan(4 * kPi / 180.0) / 0.3048);
        const double heading = circuit_.hdg - clamp(side * 0.1, -30, 30);
        const double pitch = clamp((path_ft - st.agl) * 0.02, -6, 4);
        if (st.agl < 40) {
          // Short final and flare: wings level, the nose on the runway's heading by rudder.
          fly_attitude(st, st.hdg, st.agl < 20 ? 4 : pitch, 0);
          steer_ground(st, circuit_.hdg - clamp(side * 0.05, -5, 5));
        } else {
          fly_attitude(st, heading, pitch, 15);
        }
        fg_.set("/controls/engines/current-engine/throttle",
                st.agl < 20 ? 0.0 : clamp(0.35 + (path_ft - st.agl) * 0.004 + (65 - st.ias) * 0.02, 0.05, 0.9));
        return st.wow;
      }))
    return false;
  report_("touchdown");
  fg_.set("/controls/engines/current-engine/throttle", 0.0);
  if (!phase("roll-out", 600, [this](const State& st) {
        steer_ground(st, circuit_.hdg);
        fg_.set("/controls/flight/elevator", 0.0);
        fg_.set("/controls/gear/brake-left", 0.8);
        fg_.set("/controls/gear/brake-right", 0.8);
        return st.gs < 1;
      }))
    return false;
  fg_.set("/controls/gear/brake-parking", "1");
  // Stopped, engine idling a while (a tracker sees the aircraft at rest), then cut off.
  if (!phase("stopped", 120, [](const State& st) { return st.t >= 20; })) return false;
  fg_.set("/controls/engines/current-engine/mixture", 0.0);
  fg_.set("/controls/switches/magnetos", "0");
  if (!phase("shut-down", 300, [](const State& st) { return !st.running; })) return false;
  report_("engine off");
  return true;
}

}  // namespace orvane::fgpilot
