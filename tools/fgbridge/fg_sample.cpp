// The generic-protocol line: its fields' properties and the parser that reads them.
// SPDX-License-Identifier: MIT
#include "fgbridge/fg_sample.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace orvane::fgbridge {

const std::array<std::string_view, kFieldCount> kFieldProperties = {
    "/position/latitude-deg",
    "/position/longitude-deg",
    "/position/altitude-ft",
    "/position/altitude-agl-ft",
    "/orientation/heading-deg",
    "/orientation/pitch-deg",
    "/orientation/roll-deg",
    "/environment/magnetic-variation-deg",
    "/velocities/airspeed-kt",
    "/fdm/jsbsim/velocities/vtrue-kts",
    "/velocities/groundspeed-kt",
    "/velocities/vertical-speed-fps",
    "/environment/temperature-degc",
    "/environment/wind-from-heading-deg",
    "/environment/wind-speed-kt",
    "/gear/gear[0]/wow",
    "/gear/gear[1]/wow",
    "/gear/gear[2]/wow",
    "/sim/freeze/master",
    "/sim/speed-up",
    "/sim/crashed",
    "/engines/engine[0]/running",
    "/engines/engine[0]/rpm",
    "/engines/engine[0]/n1",
    "/engines/engine[0]/n2",
    "/engines/engine[1]/running",
    "/engines/engine[1]/rpm",
    "/engines/engine[1]/n1",
    "/engines/engine[1]/n2",
    "/engines/engine[2]/running",
    "/engines/engine[2]/rpm",
    "/engines/engine[2]/n1",
    "/engines/engine[2]/n2",
    "/engines/engine[3]/running",
    "/engines/engine[3]/rpm",
    "/engines/engine[3]/n1",
    "/engines/engine[3]/n2",
    "/consumables/fuel/total-fuel-lbs",
    "/fdm/jsbsim/inertia/weight-lbs",
    "/yasim/gross-weight-lbs",
    "/accelerations/pilot-g",
    "/sim/sceneryloaded",
    "/sim/multiplay/callsign",
    "/sim/aircraft",
};

namespace {

// A number field; an empty one (a property FlightGear does not have) reads as 0.
bool number(std::string_view f, double* out) {
  if (f.empty()) {
    *out = 0;
    return true;
  }
  if (f.front() == '+') f.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), v);
  if (ec != std::errc() || end != f.data() + f.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// A flag field: FlightGear writes a bool as "1"/"0", or "true"/"false" when sent as text.
bool flag(std::string_view f, bool* out) {
  if (f == "true" || f == "1") {
    *out = true;
  } else if (f == "false" || f == "0" || f.empty()) {
    *out = false;
  } else {
    double v = 0;
    if (!number(f, &v)) return false;
    *out = v != 0;
  }
  return true;
}

}  // namespace

bool parse_sample(std::string_view line, FgSample* out) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::vector<std::string_view> f;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    f.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos
                                                                  : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (f.size() != kFieldCount) return false;

  FgSample s;
  double* const numbers[] = {&s.lat,    &s.lon,      &s.alt_ft, &s.agl_ft, &s.heading,
                             &s.pitch,  &s.roll,     &s.mag_var, &s.ias_kt, &s.tas_kt,
                             &s.gs_kt,  &s.vs_fps,   &s.oat_c,  &s.wind_from, &s.wind_kt};
  std::size_t i = 0;
  for (double* n : numbers)
    if (!number(f[i++], n)) return false;
  bool wow[3] = {};
  for (bool& w : wow)
    if (!flag(f[i++], &w)) return false;
  s.on_ground = wow[0] || wow[1] || wow[2];
  if (!flag(f[i++], &s.paused)) return false;
  if (!number(f[i++], &s.speed_up)) return false;
  if (!flag(f[i++], &s.crashed)) return false;
  for (FgEngine& e : s.engines) {
    // A node that exists sends its running flag ("true"/"false"); a missing one sends "".
    e.present = !f[i].empty();
    if (!flag(f[i++], &e.running)) return false;
    if (!number(f[i++], &e.rpm) || !number(f[i++], &e.n1) || !number(f[i++], &e.n2))
      return false;
  }
  double jsb_weight = 0, yasim_weight = 0;
  if (!number(f[i++], &s.fuel_lbs) || !number(f[i++], &jsb_weight) ||
      !number(f[i++], &yasim_weight) || !number(f[i++], &s.g_load))
    return false;
  s.weight_lbs = jsb_weight > 0 ? jsb_weight : yasim_weight;
  if (!flag(f[i++], &s.scenery_loaded)) return false;
  s.callsign = std::string(f[i++]);
  s.aircraft = std::string(f[i++]);
  *out = std::move(s);
  return true;
}

}  // namespace orvane::fgbridge
