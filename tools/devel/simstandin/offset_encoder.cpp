// Offset encoder: the inverse of the flight data source's conversions, one offset at a time.
// SPDX-License-Identifier: MIT
#include "simstandin/offset_encoder.h"

#include <algorithm>
#include <cstdint>

#include "fsuipcserver/offset_encoding.h"

namespace orvane::standin {

using namespace offsets;

namespace {

constexpr long double kFeetPerMetre = 3.28084L;

void encode_engines(const model::AircraftState& s, OffsetMemory& mem, AircraftKind kind) {
  for (std::size_t i = 0; i < 4; ++i) {
    std::int16_t n1 = jet_raw(s.n1[i]), n2 = jet_raw(s.n2[i]), scaler = 0;
    switch (kind) {
      case AircraftKind::Jet:
        break;
      case AircraftKind::Turboprop:
        scaler = kTurbopropRpmScaler;
        n1 = propeller_raw(s.n1[i] / 100.0L * kTurbopropTopRpm, scaler);
        break;
      case AircraftKind::Piston:
      case AircraftKind::CounterProp:
        scaler = kPistonRpmScaler;
        n1 = propeller_raw(s.n1[i] / 100.0L * kPistonTopRpm, scaler,
                           kind == AircraftKind::CounterProp);
        n2 = 0;  // documented as jet N2 only
        break;
    }
    put_engine(mem, i, n1, n2, scaler, s.fire[i]);
  }
}

}  // namespace

bool parse_aircraft_kind(const std::string& name, AircraftKind* kind) {
  if (name == "jet") {
    *kind = AircraftKind::Jet;
  } else if (name == "turboprop") {
    *kind = AircraftKind::Turboprop;
  } else if (name == "piston") {
    *kind = AircraftKind::Piston;
  } else if (name == "counter-prop") {
    *kind = AircraftKind::CounterProp;
  } else {
    return false;
  }
  return true;
}

bool parse_emulator(const std::string& name, Emulator* emulator) {
  if (name == "none") {
    *emulator = Emulator::None;
  } else if (name == "wineuipc") {
    *emulator = Emulator::WineUipc;
  } else {
    return false;
  }
  return true;
}

void encode_state(const model::AircraftState& s, OffsetMemory& mem, const SimulatorTraits& traits) {
  put_position(mem, s.lat, s.lon, s.alt * kMetresPerFoot);
  put_speeds(mem, s.ias, s.tas, s.gs / kKnotsPerMps);
  mem.put<std::int32_t>(kVerticalSpeed, vertical_speed_raw(s.vs / 60.0L / kFeetPerMetre));
  mem.put<std::int32_t>(kTouchdownVs, vertical_speed_raw(s.touchdown_vs / 60.0L / kFeetPerMetre));
  put_agl(mem, s.height / kFeetPerMetre);
  put_attitude(mem, s.true_heading, s.pitch, s.bank, s.mag_var);
  put_g_force(mem, s.g);
  put_weather(mem, s.wind_dir, s.wind_speed, s.oat, s.tat);
  put_weights(mem, s.total_weight, s.zfw);

  mem.put<std::int16_t>(kEngines, static_cast<std::int16_t>(std::clamp(s.engines, -32768, 32767)));
  encode_engines(s, mem, traits.aircraft);

  mem.put<std::int16_t>(kOnGround, flag(s.on_ground));
  mem.put<std::int16_t>(kPaused, flag(s.paused));
  mem.put<std::int16_t>(kCrashed, flag(s.crashed && traits.crash_detection));
  mem.put<std::int16_t>(kSlew, flag(s.slew));
  put_sim_rate(mem, s.sim_rate);
  put_registration(mem, s.registration);

  if (traits.emulator == Emulator::WineUipc) {
    mem.put<std::uint8_t>(kFlightMode, 0);
    return;  // the counter and the in-menu flag are never written
  }
  mem.put<std::uint16_t>(kActivity, s.activity);
  mem.put<std::uint8_t>(kInMenu, s.in_menu);
  mem.put<std::uint8_t>(kFlightMode, s.flight_mode);
}

}  // namespace orvane::standin
