// Fuzz target: the simulator stand-in's scenario parser, and playing what it accepts.
// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "flightmodel/scenario.h"
#include "fuzz_support.h"

namespace {

using orvane::model::AircraftState;

void check_state(const AircraftState& s) {
  const double values[] = {s.lat,          s.lon,        s.gs,  s.vs,           s.height,  s.alt,
                           s.true_heading, s.mag_var,    s.ias, s.tas,          s.oat,     s.tat,
                           s.wind_dir,     s.wind_speed, s.zfw, s.total_weight, s.sim_rate,
                           s.pitch,        s.bank,       s.g,   s.touchdown_vs};
  for (const double v : values) FUZZ_CHECK(std::isfinite(v));
  FUZZ_CHECK(s.g >= 1.0);
  for (const double v : s.n1) FUZZ_CHECK(std::isfinite(v));
  for (const double v : s.n2) FUZZ_CHECK(std::isfinite(v));
  FUZZ_CHECK(s.engines >= 0 && s.engines <= 4);
  FUZZ_CHECK(s.lat >= -90.0 && s.lat <= 90.0);
  FUZZ_CHECK(s.lon >= -180.0 && s.lon <= 180.0);
  FUZZ_CHECK(s.true_heading >= 0.0 && s.true_heading <= 360.0);
  FUZZ_CHECK(s.wind_dir >= 0.0 && s.wind_dir <= 360.0);
  FUZZ_CHECK(s.registration.size() <= 12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orvane::model::FlightModel model;
  try {
    model = orvane::model::parse_scenario(text);
  } catch (const std::runtime_error& e) {
    FUZZ_CHECK(std::string(e.what()).rfind("scenario line ", 0) == 0);
    return 0;
  }
  for (const auto& td : model.touchdowns()) {
    FUZZ_CHECK(std::isfinite(td.vs) && std::isfinite(td.g) && td.g >= 1.0);
  }
  const double end = model.duration();
  FUZZ_CHECK(std::isfinite(end) && end >= 0.0);
  const double times[] = {0.0,
                          end / 3.0,
                          end / 2.0,
                          end,
                          end + 1.0,
                          -5.0,
                          std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()};
  for (const double t : times) check_state(model.at(t));
  // At and just after each keyframe and event, a bounded number of them.
  std::size_t looked = 0;
  for (const auto& k : model.keyframes()) {
    if (++looked > 64) break;
    check_state(model.at(k.t));
    check_state(model.at(k.t + 0.5));
  }
  looked = 0;
  for (const auto& e : model.events()) {
    if (++looked > 64) break;
    check_state(model.at(e.t));
  }
  return 0;
}
