// FlightData_MSFS: the conversions of the raw offsets, the engine lists and rules, and the
// values at touchdown.
// SPDX-License-Identifier: MIT
#include "sim/flightdata_msfs.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "util/util.h"

namespace orvane {

namespace {

// A converted value as a 32-bit integer, truncated toward zero. Raw values from the server
// are not trusted: out-of-range results are saturated and not-a-number gives 0.
std::int32_t to_i32(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  if (x <= lo) return std::numeric_limits<std::int32_t>::min();
  if (x >= hi) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(x);
}

constexpr double kFeetPerMetre = 3.28084;

// A vertical speed of 0x02C8 or 0x030C in feet per minute: raw * 60 in 32 bits, wrapping as
// the simulator's own arithmetic does.
double feet_per_minute(std::int32_t raw) {
  const auto per_minute = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::int64_t>(raw) * 60));
  return per_minute * kFeetPerMetre / 256.0;
}

// Pitch or bank in degrees, with the sign turned round (the offsets count nose up and right
// wing down negative).
double attitude(std::int32_t raw) { return -(raw * 360.0 / 4294967296.0); }

}  // namespace

std::string FlightData_MSFS::getAircraftRegistration() {
  const Frame f = frame(DATAREF_TAIL);
  std::size_t n = 0;
  while (n < sizeof f.tail && f.tail[n] != '\0') ++n;
  return std::string(f.tail, n);
}

bool FlightData_MSFS::isOnGround() { return frame(DATAREF_ONGROUND).onGround != 0; }

bool FlightData_MSFS::isPaused() { return frame(DATAREF_PAUSED).paused != 0; }

bool FlightData_MSFS::isSlewing() {
  const Frame f = frame(DATAREF_SIMRATE);
  if (f.simRate > 256) return true;  // any rate above 1x counts as slewing
  return f.slew != 0;
}

double FlightData_MSFS::getSimulationRate() {
  return frame(DATAREF_SIMRATE).simRate / 256.0;
}

bool FlightData_MSFS::isSlewMode() { return frame(DATAREF_SLEW).slew != 0; }

bool FlightData_MSFS::isFlightCrashed() { return frame(DATAREF_CRASHED).crashed != 0; }

Position FlightData_MSFS::getPosition() {
  const Frame f = frame(DATAREF_LAT);
  Position p;
  p.lat = static_cast<double>(f.lat) * 90.0 / 42957189152768000.0;
  p.lng = static_cast<double>(f.lon) * 360.0 / 18446744073709551616.0;
  return p;
}

double FlightData_MSFS::getGroundSpeed() {
  const std::int32_t raw = frame(DATAREF_GNDSPEED).groundSpeed;
  return raw * 1.94384 / 65536.0;
}

double FlightData_MSFS::getVerticalSpeed() { return feet_per_minute(frame(DATAREF_VSPEED).vspeed); }

double FlightData_MSFS::getHeight() {
  const std::int32_t raw = frame(DATAREF_AGL).agl;
  return std::trunc(raw / 65536.0 * kFeetPerMetre);
}

// Whole and fractional metres, to the nearest foot: FL350 (10668.0 m, whole metres 10667
// when held a hair below) reads 35000.
std::int32_t FlightData_MSFS::getAltitude() {
  const Frame f = frame(DATAREF_ALTITUDE);
  const double metres = f.altitude + f.altFraction / 4294967296.0;
  return to_i32(orvane::round(metres * kFeetPerMetre));
}

std::int32_t FlightData_MSFS::getTrueHeading() {
  const std::int32_t raw = frame(DATAREF_HDG).heading;
  if (raw == 0) return 0;
  double h = orvane::round(raw / 4294967296.0 * 360.0);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getHeading() {
  const Frame f = frame(DATAREF_HDG);
  if (f.heading == 0) return 0;
  double t = f.heading / 4294967296.0 * 360.0;
  if (f.magVar != 0) t -= f.magVar * 360.0 / 65536.0;
  double h = orvane::round(t);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getIAS() { return frame(DATAREF_IAS).ias / 128; }

std::int32_t FlightData_MSFS::getTAS() { return frame(DATAREF_TAS).tas / 128; }

std::int32_t FlightData_MSFS::getOAT() { return frame(DATAREF_OAT).oat / 256; }

std::int32_t FlightData_MSFS::getTAT() { return frame(DATAREF_TAT).tat / 256; }

std::int32_t FlightData_MSFS::getWindDirection() {
  const std::int16_t raw = frame(DATAREF_WINDDIR).windDir;
  if (raw == 0) return 0;
  // |raw * 360 / 65536| stays below 180, inside the 16-bit range.
  std::int32_t d = static_cast<std::int16_t>(raw * 360 / 65536.0);
  if (d < 0) d += 360;
  return d;
}

std::int32_t FlightData_MSFS::getWindSpeed() { return frame(DATAREF_WINDSPEED).windSpeed; }

std::int32_t FlightData_MSFS::getNumberEngines() { return frame(DATAREF_NUM_ENG).engines; }

std::vector<std::int32_t> FlightData_MSFS::engine_list(const std::int16_t (&raw)[4],
                                                       std::int32_t engines) const {
  if (engines > 4) engines = 4;  // no aircraft has more engines than there are offsets
  std::vector<std::int32_t> out;
  for (std::int32_t i = 0; i < engines; ++i) {
    // A propeller's RPM is negative when it turns the other way; its size is what counts.
    const int size = std::abs(static_cast<int>(raw[i]));
    out.push_back(size != 0 ? static_cast<std::int32_t>(size / 16384.0 * 100.0) : 0);
  }
  return out;
}

std::vector<std::int32_t> FlightData_MSFS::getEngine_N1() {
  const Frame f = frame(DATAREF_ENG_N1[0]);
  return engine_list(f.n1, f.engines);
}

std::vector<std::int32_t> FlightData_MSFS::getEngine_N2() {
  const Frame f = frame(DATAREF_ENG_N2[0]);
  return engine_list(f.n2, f.engines);
}

bool FlightData_MSFS::runs(const Frame& f, bool combustion, std::int32_t engine) {
  if (combustion) return f.combustion[engine] != 0;
  const int size = std::abs(static_cast<int>(f.n1[engine]));
  return static_cast<std::int32_t>(size / 16384.0 * 100.0) > 20;
}

bool FlightData_MSFS::EngineRunning() {
  log("Called EngineRunning.");
  const std::int32_t n = getNumberEngines();
  log("Number of Engines: [" + std::to_string(n) + "]");
  const std::vector<std::int32_t> n1 = getEngine_N1();
  log("Got EngineN1.");
  const Frame f = frame(DATAREF_COMBUSTION[0]);
  const bool combustion = combustionKnown();
  bool running = false;
  for (std::int32_t i = 0; i < n && static_cast<std::size_t>(i) < n1.size(); ++i) {
    log(std::to_string(i) + ": N1: [" + std::to_string(n1[i]) + "]");
    if (combustion) {
      log(std::to_string(i) + ": Combustion: [" + std::to_string(f.combustion[i]) + "]");
      if (f.combustion[i] != 0) running = true;
    } else if (n1[i] > 20) {
      running = true;
    }
  }
  return running;
}

bool FlightData_MSFS::EngineStopped() {
  log("Called EngineStopped.");
  const std::int32_t n = getNumberEngines();
  log("Number of Engines: [" + std::to_string(n) + "]");
  const std::vector<std::int32_t> n2 = getEngine_N2();
  log("Got EngineN2.");
  const Frame f = frame(DATAREF_COMBUSTION[0]);
  const bool combustion = combustionKnown();
  bool stopped = true;
  for (std::int32_t i = 0; i < n && static_cast<std::size_t>(i) < n2.size(); ++i) {
    log(std::to_string(i) + ": N2: [" + std::to_string(n2[i]) + "]");
    if (combustion) {
      log(std::to_string(i) + ": Combustion: [" + std::to_string(f.combustion[i]) + "]");
      if (f.combustion[i] != 0) stopped = false;
    } else if (n2[i] > 20) {
      stopped = false;
    }
  }
  return stopped;
}

std::int32_t FlightData_MSFS::getZFW() { return frame(DATAREF_ZFW).zfw / 256; }

std::int32_t FlightData_MSFS::getTotalWeight() {
  return to_i32(orvane::round(frame(DATAREF_WEIGHT_TOTAL).totalWeight));
}

double FlightData_MSFS::getCurrentFuel() {
  const double total = getTotalWeight();
  const double zfw = getZFW();
  return total - zfw;
}

std::optional<double> FlightData_MSFS::getTouchdownVerticalSpeed() {
  const std::int32_t raw = frame(DATAREF_TOUCHDOWN_VS).touchdownVs;
  if (raw == 0) return std::nullopt;
  return feet_per_minute(raw);
}

std::optional<double> FlightData_MSFS::getGForce() {
  const std::int16_t raw = frame(DATAREF_GFORCE).gForce;
  if (raw == 0) return std::nullopt;
  return raw / G_UNITS;
}

double FlightData_MSFS::getPitch() { return attitude(frame(DATAREF_PITCH).pitch); }

double FlightData_MSFS::getBank() { return attitude(frame(DATAREF_BANK).bank); }

}  // namespace orvane
