// FlightModel: interpolation between keyframes and the effect of events over time.
#include "flightmodel/flight_model.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace orvane::model {

namespace {

// Times beyond this (about 31 years) are treated as this, so that the counter arithmetic
// stays well inside the range of a double's exact integers.
constexpr double kMaxTime = 1e9;

double lerp(double a, double b, double f) { return a + (b - a) * f; }

// Moves from a to b along the shorter way round the circle; result in [0, 360).
double lerp_angle(double a, double b, double f) {
  double d = std::fmod(b - a, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d < -180.0) d += 360.0;
  double h = std::fmod(a + d * f, 360.0);
  if (h < 0.0) h += 360.0;
  return h;
}

void check_time(double t) {
  if (!std::isfinite(t) || t < 0.0) {
    throw std::invalid_argument("flight model time must be finite and not negative");
  }
}

// Keyframes carry only the values they interpolate; the rest comes from events.
void clear_event_fields(AircraftState& s) {
  const AircraftState defaults;
  s.paused = defaults.paused;
  s.slew = defaults.slew;
  s.sim_rate = defaults.sim_rate;
  s.crashed = defaults.crashed;
  s.frozen = defaults.frozen;
  s.connected = defaults.connected;
  s.hung = defaults.hung;
  s.activity = defaults.activity;
}

}  // namespace

void FlightModel::add_keyframe(double t, const AircraftState& state) {
  check_time(t);
  Keyframe k{t, state};
  clear_event_fields(k.state);
  auto pos = std::upper_bound(keyframes_.begin(), keyframes_.end(), t,
                              [](double time, const Keyframe& kf) { return time < kf.t; });
  keyframes_.insert(pos, std::move(k));
}

void FlightModel::add_event(double t, EventKind kind, double value, std::string path) {
  check_time(t);
  auto pos = std::upper_bound(events_.begin(), events_.end(), t,
                              [](double time, const Event& e) { return time < e.t; });
  events_.insert(pos, Event{t, kind, value, std::move(path)});
}

double FlightModel::duration() const {
  double d = 0.0;
  if (!keyframes_.empty()) d = keyframes_.back().t;
  if (!events_.empty()) d = std::max(d, events_.back().t);
  return d;
}

AircraftState FlightModel::interpolate(double t) const {
  if (keyframes_.empty()) return AircraftState{};
  auto next = std::upper_bound(keyframes_.begin(), keyframes_.end(), t,
                               [](double time, const Keyframe& kf) { return time < kf.t; });
  if (next == keyframes_.begin()) return keyframes_.front().state;
  if (next == keyframes_.end()) return keyframes_.back().state;
  const Keyframe& a = *(next - 1);
  const Keyframe& b = *next;
  const double f = (t - a.t) / (b.t - a.t);  // b.t > t >= a.t, so the span is not empty

  AircraftState s = a.state;  // the stepped values come from the keyframe before
  s.lat = lerp(a.state.lat, b.state.lat, f);
  s.lon = lerp(a.state.lon, b.state.lon, f);
  s.gs = lerp(a.state.gs, b.state.gs, f);
  s.vs = lerp(a.state.vs, b.state.vs, f);
  s.height = lerp(a.state.height, b.state.height, f);
  s.alt = lerp(a.state.alt, b.state.alt, f);
  s.true_heading = lerp_angle(a.state.true_heading, b.state.true_heading, f);
  s.mag_var = lerp(a.state.mag_var, b.state.mag_var, f);
  s.ias = lerp(a.state.ias, b.state.ias, f);
  s.tas = lerp(a.state.tas, b.state.tas, f);
  s.oat = lerp(a.state.oat, b.state.oat, f);
  s.tat = lerp(a.state.tat, b.state.tat, f);
  s.wind_dir = lerp_angle(a.state.wind_dir, b.state.wind_dir, f);
  s.wind_speed = lerp(a.state.wind_speed, b.state.wind_speed, f);
  for (std::size_t i = 0; i < s.n1.size(); ++i) {
    s.n1[i] = lerp(a.state.n1[i], b.state.n1[i], f);
    s.n2[i] = lerp(a.state.n2[i], b.state.n2[i], f);
  }
  s.zfw = lerp(a.state.zfw, b.state.zfw, f);
  s.total_weight = lerp(a.state.total_weight, b.state.total_weight, f);
  return s;
}

AircraftState FlightModel::at(double t) const {
  if (std::isnan(t)) t = 0.0;
  t = std::clamp(t, 0.0, kMaxTime);

  AircraftState s = interpolate(t);

  double frozen_seconds = 0.0;  // time spent frozen before the current freeze
  double freeze_start = 0.0;
  for (const Event& e : events_) {
    if (e.t > t) break;
    switch (e.kind) {
      case EventKind::Pause: s.paused = true; break;
      case EventKind::Resume: s.paused = false; break;
      case EventKind::SlewOn: s.slew = true; break;
      case EventKind::SlewOff: s.slew = false; break;
      case EventKind::SimRate: s.sim_rate = e.value; break;
      case EventKind::Crash: s.crashed = true; break;
      case EventKind::Freeze:
        if (!s.frozen) {
          s.frozen = true;
          freeze_start = e.t;
        }
        break;
      case EventKind::Unfreeze:
        if (s.frozen) {
          s.frozen = false;
          frozen_seconds += e.t - freeze_start;
        }
        break;
      case EventKind::Disconnect: s.connected = false; break;
      case EventKind::Reconnect: s.connected = true; break;
      case EventKind::Hang:
        if (t < e.t + e.value) s.hung = true;
        break;
      case EventKind::HoldUntil: break;  // played by the player, which stops the clock
    }
  }

  // While frozen, the signs of life keep the values they had when the freeze began.
  double running = t - frozen_seconds;
  if (s.frozen) {
    running = freeze_start - frozen_seconds;
    const AircraftState at_freeze = interpolate(freeze_start);
    s.in_menu = at_freeze.in_menu;
    s.flight_mode = at_freeze.flight_mode;
  }
  const double ticks = std::floor(std::max(running, 0.0) * kActivityPerSecond);
  s.activity = static_cast<std::uint16_t>(std::fmod(ticks, 65536.0));
  return s;
}

}  // namespace orvane::model
