// Offset encoder: the inverse of the flight data source's conversions, one offset at a time.
// SPDX-License-Identifier: MIT
#include "simstandin/offset_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orvane::standin {

namespace {

// The offsets, as the simulator's interface module lays them out.
constexpr std::uint32_t kPaused = 0x0264;        // 2 bytes, non-zero while paused
constexpr std::uint32_t kMagVar = 0x02A0;        // 2 bytes, 360 degrees = 65536
constexpr std::uint32_t kGroundSpeed = 0x02B4;   // 4 bytes, metres per second * 65536
constexpr std::uint32_t kTas = 0x02B8;           // 4 bytes, knots * 128
constexpr std::uint32_t kIas = 0x02BC;           // 4 bytes, knots * 128
constexpr std::uint32_t kVerticalSpeed = 0x02C8;  // 4 bytes, metres per second * 256
constexpr std::uint32_t kTouchdownVs = 0x030C;   // 4 bytes, as 0x02C8, stands still on the ground
constexpr std::uint32_t kOnGround = 0x0366;      // 2 bytes
constexpr std::uint32_t kLat = 0x0560;           // 8 bytes, 90 degrees = 10001750 * 2^32
constexpr std::uint32_t kLon = 0x0568;           // 8 bytes, 360 degrees = 2^64
constexpr std::uint32_t kAltitudeFraction = 0x0570;  // 4 bytes, unsigned, metres * 2^32
constexpr std::uint32_t kAltitude = 0x0574;      // 4 bytes, whole metres, rounded down
constexpr std::uint32_t kPitch = 0x0578;         // 4 bytes, 360 degrees = 2^32, nose up negative
constexpr std::uint32_t kBank = 0x057C;          // 4 bytes, 360 degrees = 2^32, right negative
constexpr std::uint32_t kHeading = 0x0580;       // 4 bytes, 360 degrees = 2^32
constexpr std::uint32_t kSlew = 0x05DC;          // 2 bytes
constexpr std::uint32_t kCrashed = 0x0840;       // 2 bytes
constexpr std::uint32_t kCombustion[4] = {0x0894, 0x092C, 0x09C4, 0x0A5C};  // 2 bytes
constexpr std::uint32_t kN1[4] = {0x0898, 0x0930, 0x09C8, 0x0A60};  // 2 bytes, 100 % = 16384
constexpr std::uint32_t kRpmScaler[4] = {0x08C8, 0x0960, 0x09F8, 0x0A90};  // 2 bytes
constexpr std::uint32_t kN2[4] = {0x0896, 0x092E, 0x09C6, 0x0A5E};
constexpr std::uint32_t kEngines = 0x0AEC;       // 2 bytes
constexpr std::uint32_t kSimRate = 0x0C1A;       // 2 bytes, rate * 256
constexpr std::uint32_t kOat = 0x0E8C;           // 2 bytes, degrees Celsius * 256
constexpr std::uint32_t kWindSpeed = 0x0E90;     // 2 bytes, knots
constexpr std::uint32_t kWindDir = 0x0E92;       // 2 bytes, 360 degrees = 65536
constexpr std::uint32_t kGForce = 0x11BA;        // 2 bytes, 624 = 1 G
constexpr std::uint32_t kTat = 0x11D0;           // 2 bytes, degrees Celsius * 256
constexpr std::uint32_t kTotalWeight = 0x30C0;   // 8 bytes, double, pounds
constexpr std::uint32_t kRegistration = 0x313C;  // 12 bytes, NUL padded
constexpr std::uint32_t kAgl = 0x31E4;           // 4 bytes, metres * 65536
constexpr std::uint32_t kFlightMode = 0x3364;    // 1 byte
constexpr std::uint32_t kInMenu = 0x3365;        // 1 byte
constexpr std::uint32_t kActivity = 0x337E;      // 2 bytes
constexpr std::uint32_t kZfw = 0x3BFC;           // 4 bytes, pounds * 256

constexpr long double kFeetPerMetre = 3.28084L;
constexpr long double kMetresPerFoot = 0.3048L;
constexpr long double kKnotsPerMps = 1.94384L;
constexpr long double kLatUnits = 42957189152768000.0L;  // raw latitude of 90 degrees
constexpr long double kTwo32 = 4294967296.0L;
constexpr long double kTwo64 = 18446744073709551616.0L;

// x as an integer of type T: not-a-number gives 0, the range is saturated.
template <class T>
T saturate(long double x) {
  if (std::isnan(x)) return 0;
  constexpr long double lo = static_cast<long double>(std::numeric_limits<T>::min());
  constexpr long double hi = static_cast<long double>(std::numeric_limits<T>::max());
  if (x <= lo) return std::numeric_limits<T>::min();
  if (x >= hi) return std::numeric_limits<T>::max();
  return static_cast<T>(x);
}

template <class T>
T nearest(long double x) {
  return saturate<T>(std::round(x));
}

// For values the reader truncates toward zero: rounding away from zero keeps the whole part.
long double round_away(long double x) { return x < 0 ? std::floor(x) : std::ceil(x); }

template <class T>
T away_from_zero(long double x) {
  return saturate<T>(round_away(x));
}

// An angle in -180 up to (not including) 180 degrees.
long double signed_angle(double degrees) {
  long double a = std::fmod(static_cast<long double>(degrees), 360.0L);
  if (a >= 180.0L) a -= 360.0L;
  if (a < -180.0L) a += 360.0L;
  return a;
}

// A fraction of the full circle in units of 2^bits, wrapped into the signed range (so that
// rounding up to +180 degrees becomes -180, the same direction).
std::int64_t circle_raw(long double fraction_units, int bits) {
  if (std::isnan(fraction_units)) return 0;
  const std::int64_t r = std::llround(fraction_units);
  const std::int64_t span = std::int64_t{1} << bits;
  std::int64_t w = ((r % span) + span) % span;
  if (w >= span / 2) w -= span;
  return w;
}

std::int16_t flag(bool on) { return on ? 1 : 0; }

// An attitude angle as 0x0578 and 0x057C carry it: the sign turned round.
std::int32_t attitude_raw(double degrees) {
  return static_cast<std::int32_t>(circle_raw(-signed_angle(degrees) / 360.0L * kTwo32, 32));
}

// The propeller's RPM as the N1 offsets carry it.
std::int16_t prop_raw(double percent, double top_rpm, std::int16_t scaler, bool counter) {
  const long double rpm = static_cast<long double>(percent) / 100.0L * top_rpm;
  const long double raw = rpm * 65536.0L / scaler;
  return away_from_zero<std::int16_t>(counter ? -raw : raw);
}

void encode_engines(const model::AircraftState& s, OffsetMemory& mem, AircraftKind kind) {
  for (std::size_t i = 0; i < 4; ++i) {
    const std::int16_t jet_n1 = away_from_zero<std::int16_t>(s.n1[i] * 16384.0L / 100.0L);
    const std::int16_t jet_n2 = away_from_zero<std::int16_t>(s.n2[i] * 16384.0L / 100.0L);
    std::int16_t n1 = jet_n1, n2 = jet_n2, scaler = 0;
    switch (kind) {
      case AircraftKind::Jet:
        break;
      case AircraftKind::Turboprop:
        scaler = kTurbopropRpmScaler;
        n1 = prop_raw(s.n1[i], kTurbopropTopRpm, scaler, false);
        break;
      case AircraftKind::Piston:
      case AircraftKind::CounterProp:
        scaler = kPistonRpmScaler;
        n1 = prop_raw(s.n1[i], kPistonTopRpm, scaler, kind == AircraftKind::CounterProp);
        n2 = 0;  // documented as jet N2 only
        break;
    }
    mem.put<std::int16_t>(kN1[i], n1);
    mem.put<std::int16_t>(kN2[i], n2);
    mem.put<std::int16_t>(kRpmScaler[i], scaler);
    mem.put<std::int16_t>(kCombustion[i], flag(s.fire[i]));
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
  mem.put<std::int64_t>(kLat, nearest<std::int64_t>(s.lat * kLatUnits / 90.0L));
  // The longitude's raw value spans the whole 64 bits; -180 is the lowest, +180 wraps to it.
  mem.put<std::int64_t>(kLon, nearest<std::int64_t>(signed_angle(s.lon) / 360.0L * kTwo64));

  mem.put<std::int32_t>(kGroundSpeed, nearest<std::int32_t>(s.gs / kKnotsPerMps * 65536.0L));
  mem.put<std::int32_t>(kVerticalSpeed,
                        nearest<std::int32_t>(s.vs / 60.0L / kFeetPerMetre * 256.0L));
  mem.put<std::int32_t>(kAgl, away_from_zero<std::int32_t>(s.height / kFeetPerMetre * 65536.0L));
  mem.put<std::int32_t>(kTouchdownVs,
                        nearest<std::int32_t>(s.touchdown_vs / 60.0L / kFeetPerMetre * 256.0L));
  // The altitude in metres as a 64-bit value in units of 2^-32 m: whole metres rounded down
  // in the high half, the fraction in the low half.
  const std::int64_t altitude = nearest<std::int64_t>(s.alt * kMetresPerFoot * kTwo32);
  mem.put<std::uint32_t>(kAltitudeFraction, static_cast<std::uint32_t>(altitude & 0xFFFFFFFF));
  mem.put<std::int32_t>(kAltitude, static_cast<std::int32_t>(altitude >> 32));
  mem.put<std::int32_t>(kPitch, attitude_raw(s.pitch));
  mem.put<std::int32_t>(kBank, attitude_raw(s.bank));
  mem.put<std::int16_t>(kGForce, nearest<std::int16_t>(s.g * kGUnits));

  mem.put<std::int32_t>(kHeading, static_cast<std::int32_t>(circle_raw(
                                      signed_angle(s.true_heading) / 360.0L * kTwo32, 32)));
  mem.put<std::int16_t>(kMagVar, static_cast<std::int16_t>(
                                     circle_raw(signed_angle(s.mag_var) / 360.0L * 65536.0L, 16)));

  // The reader truncates the direction, so round away from zero before wrapping.
  const long double wind = round_away(signed_angle(s.wind_dir) / 360.0L * 65536.0L);
  mem.put<std::int16_t>(kWindDir, static_cast<std::int16_t>(circle_raw(wind, 16)));
  mem.put<std::int16_t>(kWindSpeed, saturate<std::int16_t>(std::trunc(s.wind_speed)));

  mem.put<std::int32_t>(kIas, away_from_zero<std::int32_t>(s.ias * 128.0L));
  mem.put<std::int32_t>(kTas, away_from_zero<std::int32_t>(s.tas * 128.0L));
  mem.put<std::int16_t>(kOat, away_from_zero<std::int16_t>(s.oat * 256.0L));
  mem.put<std::int16_t>(kTat, away_from_zero<std::int16_t>(s.tat * 256.0L));

  mem.put<std::int32_t>(kZfw, away_from_zero<std::int32_t>(s.zfw * 256.0L));
  mem.put<double>(kTotalWeight, s.total_weight);

  mem.put<std::int16_t>(kEngines, saturate<std::int16_t>(s.engines));
  encode_engines(s, mem, traits.aircraft);

  mem.put<std::int16_t>(kOnGround, flag(s.on_ground));
  mem.put<std::int16_t>(kPaused, flag(s.paused));
  mem.put<std::int16_t>(kCrashed, flag(s.crashed && traits.crash_detection));
  mem.put<std::int16_t>(kSlew, flag(s.slew));
  // Unsigned and truncated: 128 times is 32768, a rate just under 2 stays under 512.
  mem.put<std::uint16_t>(kSimRate, saturate<std::uint16_t>(std::trunc(s.sim_rate * 256.0L)));

  // At most 11 characters and the NUL.
  char tail[12] = {};
  std::memcpy(tail, s.registration.data(), std::min<std::size_t>(s.registration.size(), 11));
  mem.write(kRegistration, tail, sizeof tail);

  if (traits.emulator == Emulator::WineUipc) {
    mem.put<std::uint8_t>(kFlightMode, 0);
    return;  // the counter and the in-menu flag are never written
  }
  mem.put<std::uint16_t>(kActivity, s.activity);
  mem.put<std::uint8_t>(kInMenu, s.in_menu);
  mem.put<std::uint8_t>(kFlightMode, s.flight_mode);
}

}  // namespace orvane::standin
