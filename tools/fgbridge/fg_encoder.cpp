// The FlightGear encoder: each property in its FSUIPC offset, unit and rounding.
// SPDX-License-Identifier: MIT
#include "fgbridge/fg_encoder.h"

#include <cstddef>
#include <cstdint>

namespace orvane::fgbridge {

using namespace standin::offsets;
using standin::flag;

namespace {

constexpr long double kTwiceCp = 2009.4L;  // twice air's heat capacity, J/(kg K)

}  // namespace

bool parse_engine_kind(const char* name, EngineKind* kind) {
  const std::string_view n(name);
  if (n == "auto") *kind = EngineKind::Auto;
  else if (n == "jet") *kind = EngineKind::Jet;
  else if (n == "turboprop") *kind = EngineKind::Turboprop;
  else if (n == "piston") *kind = EngineKind::Piston;
  else return false;
  return true;
}

const char* engine_kind_name(EngineKind kind) {
  switch (kind) {
    case EngineKind::Auto: return "auto";
    case EngineKind::Jet: return "jet";
    case EngineKind::Turboprop: return "turboprop";
    case EngineKind::Piston: return "piston";
  }
  return "?";
}

void FgEncoder::encode(const FgSample& s, OffsetMemory& mem) {
  standin::put_position(mem, s.lat, s.lon, s.alt_ft * standin::kMetresPerFoot);
  standin::put_agl(mem, s.agl_ft * standin::kMetresPerFoot);
  standin::put_attitude(mem, s.heading, s.pitch, s.roll, s.mag_var);
  standin::put_speeds(mem, s.ias_kt, s.tas_kt, s.gs_kt / standin::kKnotsPerMps);

  const std::int32_t vs = standin::vertical_speed_raw(s.vs_fps * standin::kMetresPerFoot);
  mem.put<std::int32_t>(kVerticalSpeed, vs);
  if (!have_previous_) touchdown_raw_ = s.on_ground ? 0 : vs;
  if (!s.on_ground) touchdown_raw_ = vs;  // stands still from the frame the wheels touch
  have_previous_ = true;
  mem.put<std::int32_t>(kTouchdownVs, touchdown_raw_);
  mem.put<std::int16_t>(kOnGround, flag(s.on_ground));
  standin::put_g_force(mem, s.g_load);

  const long double tas_mps = s.tas_kt / standin::kKnotsPerMps;
  const long double tat = s.oat_c + tas_mps * tas_mps / kTwiceCp;
  standin::put_weather(mem, s.wind_from, s.wind_kt, s.oat_c, tat);
  standin::put_weights(mem, s.weight_lbs, s.weight_lbs - s.fuel_lbs);

  // Engines: their count, kind and values.
  std::int16_t count = 0;
  const std::size_t served = engines_ > 0 ? static_cast<std::size_t>(engines_) : kMaxEngines;
  for (std::size_t i = 0; i < served; ++i) {
    const FgEngine& e = s.engines[i];
    if (!e.present) continue;
    ++count;
    if (e.n1 > 0 || e.n2 > 0) turbine_seen_ = true;
    if (e.rpm > 0) prop_seen_ = true;
  }
  kind_ = forced_;
  if (kind_ == EngineKind::Auto) {
    kind_ = !turbine_seen_ ? EngineKind::Piston
                           : (prop_seen_ ? EngineKind::Turboprop : EngineKind::Jet);
  }
  mem.put<std::int16_t>(kEngines, count);
  for (std::size_t i = 0; i < kMaxEngines; ++i) {
    const FgEngine e = i < served ? s.engines[i] : FgEngine{};
    std::int16_t n1 = 0, n2 = 0, scaler = 0;
    switch (kind_) {
      case EngineKind::Auto:
      case EngineKind::Jet:
        n1 = standin::jet_raw(e.n1);
        n2 = standin::jet_raw(e.n2);
        break;
      case EngineKind::Turboprop:
        scaler = standin::kTurbopropRpmScaler;
        n1 = standin::propeller_raw(e.rpm, scaler);
        n2 = standin::jet_raw(e.n2);
        break;
      case EngineKind::Piston:
        scaler = standin::kPistonRpmScaler;
        n1 = standin::propeller_raw(e.rpm, scaler);
        break;
    }
    standin::put_engine(mem, i, n1, n2, scaler, e.present && e.running);
  }

  mem.put<std::int16_t>(kPaused, flag(s.paused));
  mem.put<std::int16_t>(kCrashed, flag(s.crashed));
  mem.put<std::int16_t>(kSlew, 0);  // FlightGear has no slew mode
  standin::put_sim_rate(mem, s.speed_up);
  standin::put_registration(mem, s.callsign);

  mem.put<std::uint8_t>(kFlightMode, s.scenery_loaded ? 0 : 1);
  mem.put<std::uint8_t>(kInMenu, 0);
  mem.put<std::uint16_t>(kActivity, ++activity_);
}

}  // namespace orvane::fgbridge
