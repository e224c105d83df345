// Test flight data sources: the settable fake and the FlightModel player.
// SPDX-License-Identifier: MIT
#include "support/fake_flightdata.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "util/clock.h"

namespace orvane::test {

namespace {

// Whole part of x as a 32-bit value; not-a-number gives 0 and the range is saturated.
std::int32_t to_i32(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(std::trunc(x), lo, hi));
}

// An angle as the simulator link carries it: -180 up to (not including) 180 degrees.
double signed_angle(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a >= 180.0) a -= 360.0;
  if (a < -180.0) a += 360.0;
  return a;
}

int engine_count(int engines) { return std::clamp(engines, 0, 4); }

}  // namespace

bool FakeFlightData::live() {
  ++calls_;
  refresh();
  // Published as soon as read, as the simulator source does.
  SimStatus s;
  if (state.connected) {
    s.connected = true;
    s.onGround = state.on_ground;
    s.slewing = state.slew || state.sim_rate > 1.0;
    s.crashed = state.crashed;
    for (int i = 0; i < engine_count(state.engines); ++i) {
      if (to_i32(state.n1[i]) > 20) s.enginesRunning = true;
    }
  }
  publishStatus(s);
  return state.connected;
}

std::string FakeFlightData::getAircraftRegistration() {
  if (!live()) return {};
  const std::string& r = state.registration;
  return r.substr(0, std::min<std::size_t>({r.find('\0'), r.size(), 12}));
}

bool FakeFlightData::isSimConnected() { return live(); }
bool FakeFlightData::isOnGround() { return live() && state.on_ground; }
bool FakeFlightData::isPaused() { return live() && state.paused; }
bool FakeFlightData::isSlewing() { return live() && (state.slew || state.sim_rate > 1.0); }
bool FakeFlightData::isFlightCrashed() { return live() && state.crashed; }

Position FakeFlightData::getPosition() {
  if (!live()) return {};
  return Position{state.lat, state.lon};
}

double FakeFlightData::getGroundSpeed() { return live() ? state.gs : 0.0; }
double FakeFlightData::getVerticalSpeed() { return live() ? state.vs : 0.0; }
double FakeFlightData::getHeight() { return live() ? to_i32(state.height) : 0.0; }
std::int32_t FakeFlightData::getAltitude() {
  return live() ? to_i32(std::floor(state.alt + 0.5)) : 0;  // to the nearest foot
}

std::int32_t FakeFlightData::getHeading() {
  if (!live()) return 0;
  const double t = signed_angle(state.true_heading);
  if (t == 0.0) return 0;
  double h = std::floor(t - state.mag_var + 0.5);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FakeFlightData::getTrueHeading() {
  if (!live()) return 0;
  const double t = signed_angle(state.true_heading);
  if (t == 0.0) return 0;
  double h = std::floor(t + 0.5);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FakeFlightData::getIAS() { return live() ? to_i32(state.ias) : 0; }
std::int32_t FakeFlightData::getTAS() { return live() ? to_i32(state.tas) : 0; }
std::int32_t FakeFlightData::getOAT() { return live() ? to_i32(state.oat) : 0; }
std::int32_t FakeFlightData::getTAT() { return live() ? to_i32(state.tat) : 0; }

std::int32_t FakeFlightData::getWindDirection() {
  if (!live()) return 0;
  std::int32_t d = to_i32(signed_angle(state.wind_dir));
  if (d < 0) d += 360;
  return d;
}

std::int32_t FakeFlightData::getWindSpeed() { return live() ? to_i32(state.wind_speed) : 0; }
std::int32_t FakeFlightData::getNumberEngines() { return live() ? state.engines : 0; }

std::vector<std::int32_t> FakeFlightData::getEngine_N1() {
  if (!live()) return {};
  std::vector<std::int32_t> out;
  for (int i = 0; i < engine_count(state.engines); ++i) out.push_back(to_i32(state.n1[i]));
  return out;
}

std::vector<std::int32_t> FakeFlightData::getEngine_N2() {
  if (!live()) return {};
  std::vector<std::int32_t> out;
  for (int i = 0; i < engine_count(state.engines); ++i) out.push_back(to_i32(state.n2[i]));
  return out;
}

bool FakeFlightData::EngineRunning() {
  const std::vector<std::int32_t> n1 = getEngine_N1();
  return std::any_of(n1.begin(), n1.end(), [](std::int32_t v) { return v > 20; });
}

bool FakeFlightData::EngineStopped() {
  const std::vector<std::int32_t> n2 = getEngine_N2();
  return std::none_of(n2.begin(), n2.end(), [](std::int32_t v) { return v > 20; });
}

std::int32_t FakeFlightData::getZFW() { return live() ? to_i32(state.zfw) : 0; }

std::int32_t FakeFlightData::getTotalWeight() {
  return live() ? to_i32(std::floor(state.total_weight + 0.5)) : 0;
}

std::optional<double> FakeFlightData::getGForce() {
  if (!live()) return std::nullopt;
  return state.g;
}
double FakeFlightData::getPitch() { return live() ? state.pitch : 0.0; }
double FakeFlightData::getBank() { return live() ? state.bank : 0.0; }

double FakeFlightData::getCurrentFuel() {
  return static_cast<double>(getTotalWeight()) - static_cast<double>(getZFW());
}

ScriptedFlightData::ScriptedFlightData(model::FlightModel flight, std::int64_t start_ms)
    : flight_(std::move(flight)), start_ms_(start_ms) {
  refresh();
}

double ScriptedFlightData::flight_time() const {
  return static_cast<double>(orvane::clock().now_ms() - start_ms_) / 1000.0;
}

void ScriptedFlightData::refresh() { state = flight_.at(flight_time()); }

}  // namespace orvane::test
