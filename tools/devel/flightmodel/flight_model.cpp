// FlightModel: interpolation between keyframes and the effect of events over time.
// SPDX-License-Identifier: MIT
#include "flightmodel/flight_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
  s.touchdown_vs = defaults.touchdown_vs;
  s.g = defaults.g;
}

// A stretch of time [start, end) in which the signs of life stand still.
struct Stretch {
  double start;
  double end;
};

// The stretches frozen by freeze/unfreeze pairs and loads up to t, merged, in time order.
// A freeze without its unfreeze lasts beyond t.
std::vector<Stretch> frozen_stretches(const std::vector<Event>& events, double t) {
  std::vector<Stretch> raw;
  bool frozen = false;
  double since = 0.0;
  for (const Event& e : events) {
    if (e.t > t) break;
    if (e.kind == EventKind::Freeze && !frozen) {
      frozen = true;
      since = e.t;
    } else if (e.kind == EventKind::Unfreeze && frozen) {
      frozen = false;
      raw.push_back({since, e.t});
    } else if (e.kind == EventKind::Load) {
      raw.push_back({e.t, e.t + e.value});
    }
  }
  if (frozen) raw.push_back({since, std::numeric_limits<double>::infinity()});
  std::sort(raw.begin(), raw.end(),
            [](const Stretch& a, const Stretch& b) { return a.start < b.start; });
  std::vector<Stretch> merged;
  for (const Stretch& r : raw) {
    if (r.end <= r.start) continue;
    if (!merged.empty() && r.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, r.end);
    } else {
      merged.push_back(r);
    }
  }
  return merged;
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
  s.pitch = lerp(a.state.pitch, b.state.pitch, f);
  s.bank = lerp(a.state.bank, b.state.bank, f);
  for (std::size_t i = 0; i < s.n1.size(); ++i) {
    s.n1[i] = lerp(a.state.n1[i], b.state.n1[i], f);
    s.n2[i] = lerp(a.state.n2[i], b.state.n2[i], f);
  }
  s.zfw = lerp(a.state.zfw, b.state.zfw, f);
  s.total_weight = lerp(a.state.total_weight, b.state.total_weight, f);
  return s;
}

double FlightModel::touchdown_g(double vs) {
  const double mps = vs / 60.0 * 0.3048;
  return 1.0 + mps * mps / (2.0 * kGearStrokeM * 9.80665);
}

std::vector<Touchdown> FlightModel::touchdowns() const {
  std::vector<Touchdown> out;
  for (std::size_t k = 1; k < keyframes_.size(); ++k) {
    const Keyframe& before = keyframes_[k - 1];
    const Keyframe& step = keyframes_[k];
    if (!step.state.on_ground || before.state.on_ground) continue;
    const double vs = before.t == step.t ? before.state.vs : step.state.vs;
    out.push_back(Touchdown{step.t, vs, touchdown_g(vs)});
  }
  return out;
}

AircraftState FlightModel::at(double t) const {
  if (std::isnan(t)) t = 0.0;
  t = std::clamp(t, 0.0, kMaxTime);

  AircraftState s = interpolate(t);
  if (!s.fire_set) {
    for (std::size_t i = 0; i < s.fire.size(); ++i) s.fire[i] = s.n2[i] > kFiringN2;
  }

  // The touchdown rate is the vertical speed while airborne and stands still on the
  // ground from the touchdown on; so does the touchdown's G.
  if (!s.on_ground) {
    s.touchdown_vs = s.vs;
  } else {
    for (const Touchdown& td : touchdowns()) {
      if (td.t > t) break;
      s.touchdown_vs = td.vs;
      s.g = td.g;
    }
  }

  for (const Event& e : events_) {
    if (e.t > t) break;
    switch (e.kind) {
      case EventKind::Pause: s.paused = true; break;
      case EventKind::Resume: s.paused = false; break;
      case EventKind::SlewOn: s.slew = true; break;
      case EventKind::SlewOff: s.slew = false; break;
      case EventKind::SimRate: s.sim_rate = e.value; break;
      case EventKind::Crash: s.crashed = true; break;
      case EventKind::Disconnect: s.connected = false; break;
      case EventKind::Reconnect: s.connected = true; break;
      case EventKind::Hang:
        if (t < e.t + e.value) s.hung = true;
        break;
      case EventKind::Freeze:    // the frozen stretches below
      case EventKind::Unfreeze:
      case EventKind::Load:
      case EventKind::HoldUntil:  // played by the player, which stops the clock
        break;
    }
  }

  // The counter runs for the time not spent frozen; while frozen, the signs of life keep
  // the values they had when the frozen stretch began.
  double frozen_seconds = 0.0;
  for (const Stretch& f : frozen_stretches(events_, t)) {
    if (t < f.end) {
      s.frozen = true;
      frozen_seconds += t - f.start;
      const AircraftState at_freeze = interpolate(f.start);
      s.in_menu = at_freeze.in_menu;
      s.flight_mode = at_freeze.flight_mode;
      break;
    }
    frozen_seconds += f.end - f.start;
  }
  const double running = t - frozen_seconds;
  const double ticks = std::floor(std::max(running, 0.0) * kActivityPerSecond);
  s.activity = static_cast<std::uint16_t>(std::fmod(ticks, 65536.0));
  return s;
}

}  // namespace orvane::model
