// The FlightGear encoder: each property in its FSUIPC offset, unit and rounding.
// SPDX-License-Identifier: MIT
#include "fgbridge/fg_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane::fgbridge {

namespace {

// The offsets, as FSUIPC lays them out.
constexpr std::uint32_t kPaused = 0x0264;         // 2 bytes, non-zero while paused
constexpr std::uint32_t kMagVar = 0x02A0;         // 2 bytes, 360 degrees = 65536
constexpr std::uint32_t kGroundSpeed = 0x02B4;    // 4 bytes, metres per second * 65536
constexpr std::uint32_t kTas = 0x02B8;            // 4 bytes, knots * 128
constexpr std::uint32_t kIas = 0x02BC;            // 4 bytes, knots * 128
constexpr std::uint32_t kVerticalSpeed = 0x02C8;  // 4 bytes, metres per second * 256
constexpr std::uint32_t kTouchdownVs = 0x030C;    // 4 bytes, as 0x02C8, still on the ground
constexpr std::uint32_t kOnGround = 0x0366;       // 2 bytes
constexpr std::uint32_t kLat = 0x0560;            // 8 bytes, 90 degrees = 10001750 * 2^32
constexpr std::uint32_t kLon = 0x0568;            // 8 bytes, 360 degrees = 2^64
constexpr std::uint32_t kAltitudeFraction = 0x0570;  // 4 bytes, unsigned, metres * 2^32
constexpr std::uint32_t kAltitude = 0x0574;       // 4 bytes, whole metres, rounded down
constexpr std::uint32_t kPitch = 0x0578;          // 4 bytes, 360 degrees = 2^32, nose up negative
constexpr std::uint32_t kBank = 0x057C;           // 4 bytes, 360 degrees = 2^32, right negative
constexpr std::uint32_t kHeading = 0x0580;        // 4 bytes, true, 360 degrees = 2^32
constexpr std::uint32_t kSlew = 0x05DC;           // 2 bytes
constexpr std::uint32_t kCrashed = 0x0840;        // 2 bytes
constexpr std::uint32_t kCombustion[4] = {0x0894, 0x092C, 0x09C4, 0x0A5C};  // 2 bytes
constexpr std::uint32_t kN1[4] = {0x0898, 0x0930, 0x09C8, 0x0A60};          // 2 bytes
constexpr std::uint32_t kN2[4] = {0x0896, 0x092E, 0x09C6, 0x0A5E};          // 2 bytes
constexpr std::uint32_t kRpmScaler[4] = {0x08C8, 0x0960, 0x09F8, 0x0A90};   // 2 bytes
constexpr std::uint32_t kEngines = 0x0AEC;        // 2 bytes
constexpr std::uint32_t kSimRate = 0x0C1A;        // 2 bytes, unsigned, rate * 256
constexpr std::uint32_t kOat = 0x0E8C;            // 2 bytes, degrees Celsius * 256
constexpr std::uint32_t kWindSpeed = 0x0E90;      // 2 bytes, knots
constexpr std::uint32_t kWindDir = 0x0E92;        // 2 bytes, 360 degrees = 65536
constexpr std::uint32_t kGForce = 0x11BA;         // 2 bytes, 624 = 1 G
constexpr std::uint32_t kTat = 0x11D0;            // 2 bytes, degrees Celsius * 256
constexpr std::uint32_t kTotalWeight = 0x30C0;    // 8 bytes, double, pounds
constexpr std::uint32_t kRegistration = 0x313C;   // 12 bytes, NUL padded
constexpr std::uint32_t kAgl = 0x31E4;            // 4 bytes, metres * 65536
constexpr std::uint32_t kFlightMode = 0x3364;     // 1 byte, 0 when ready to fly
constexpr std::uint32_t kInMenu = 0x3365;         // 1 byte
constexpr std::uint32_t kActivity = 0x337E;       // 2 bytes, counts frames
constexpr std::uint32_t kZfw = 0x3BFC;            // 4 bytes, pounds * 256

constexpr long double kMetresPerFoot = 0.3048L;
constexpr long double kKnotsPerMps = 1.94384L;
constexpr long double kLatUnits = 42957189152768000.0L;  // raw latitude of 90 degrees
constexpr long double kTwo32 = 4294967296.0L;
constexpr long double kTwo64 = 18446744073709551616.0L;
constexpr long double kGUnits = 624.0L;
constexpr long double kTwiceCp = 2009.4L;  // twice air's heat capacity, J/(kg K)

// x as an integer of type T: the range is saturated.
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

// FSUIPC's integer values are read by truncating; rounding away from zero keeps the
// property's whole part when a reader truncates.
template <class T>
T away_from_zero(long double x) {
  return saturate<T>(x < 0 ? std::floor(x) : std::ceil(x));
}

long double signed_angle(double degrees) {
  long double a = std::fmod(static_cast<long double>(degrees), 360.0L);
  if (a >= 180.0L) a -= 360.0L;
  if (a < -180.0L) a += 360.0L;
  return a;
}

// A fraction of the full circle in units of 2^bits, wrapped into the signed range.
std::int64_t circle_raw(long double units, int bits) {
  if (std::isnan(units)) return 0;
  const std::int64_t r = std::llround(units);
  const std::int64_t span = std::int64_t{1} << bits;
  std::int64_t w = ((r % span) + span) % span;
  if (w >= span / 2) w -= span;
  return w;
}

std::int16_t flag(bool on) { return on ? 1 : 0; }

std::int32_t vs_raw(double fps) {
  return nearest<std::int32_t>(static_cast<long double>(fps) * kMetresPerFoot * 256.0L);
}

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
  mem.put<std::int64_t>(kLat, nearest<std::int64_t>(s.lat * kLatUnits / 90.0L));
  mem.put<std::int64_t>(kLon, nearest<std::int64_t>(signed_angle(s.lon) / 360.0L * kTwo64));
  // Metres as a 64-bit value in units of 2^-32 m: whole metres rounded down in 0x0574,
  // the fraction in 0x0570.
  const std::int64_t altitude = nearest<std::int64_t>(s.alt_ft * kMetresPerFoot * kTwo32);
  mem.put<std::uint32_t>(kAltitudeFraction, static_cast<std::uint32_t>(altitude & 0xFFFFFFFF));
  mem.put<std::int32_t>(kAltitude, static_cast<std::int32_t>(altitude >> 32));
  mem.put<std::int32_t>(kAgl, away_from_zero<std::int32_t>(s.agl_ft * kMetresPerFoot * 65536.0L));

  mem.put<std::int32_t>(kHeading, static_cast<std::int32_t>(
                                      circle_raw(signed_angle(s.heading) / 360.0L * kTwo32, 32)));
  // FSUIPC: nose up and right wing down are negative.
  mem.put<std::int32_t>(kPitch, static_cast<std::int32_t>(
                                    circle_raw(-signed_angle(s.pitch) / 360.0L * kTwo32, 32)));
  mem.put<std::int32_t>(kBank, static_cast<std::int32_t>(
                                   circle_raw(-signed_angle(s.roll) / 360.0L * kTwo32, 32)));
  mem.put<std::int16_t>(kMagVar, static_cast<std::int16_t>(
                                     circle_raw(signed_angle(s.mag_var) / 360.0L * 65536.0L, 16)));

  mem.put<std::int32_t>(kIas, away_from_zero<std::int32_t>(s.ias_kt * 128.0L));
  mem.put<std::int32_t>(kTas, away_from_zero<std::int32_t>(s.tas_kt * 128.0L));
  mem.put<std::int32_t>(kGroundSpeed, nearest<std::int32_t>(s.gs_kt / kKnotsPerMps * 65536.0L));

  const std::int32_t vs = vs_raw(s.vs_fps);
  mem.put<std::int32_t>(kVerticalSpeed, vs);
  if (!have_previous_) touchdown_raw_ = s.on_ground ? 0 : vs;
  if (!s.on_ground) touchdown_raw_ = vs;  // stands still from the frame the wheels touch
  have_previous_ = true;
  mem.put<std::int32_t>(kTouchdownVs, touchdown_raw_);
  mem.put<std::int16_t>(kOnGround, flag(s.on_ground));
  mem.put<std::int16_t>(kGForce, nearest<std::int16_t>(s.g_load * kGUnits));

  mem.put<std::int16_t>(kOat, away_from_zero<std::int16_t>(s.oat_c * 256.0L));
  const long double tas_mps = s.tas_kt / kKnotsPerMps;
  const long double tat = s.oat_c + tas_mps * tas_mps / kTwiceCp;
  mem.put<std::int16_t>(kTat, away_from_zero<std::int16_t>(tat * 256.0L));
  const long double wind = signed_angle(s.wind_from) / 360.0L * 65536.0L;
  mem.put<std::int16_t>(kWindDir, static_cast<std::int16_t>(
                                      circle_raw(wind < 0 ? std::floor(wind) : std::ceil(wind), 16)));
  mem.put<std::int16_t>(kWindSpeed, saturate<std::int16_t>(std::trunc(s.wind_kt)));

  mem.put<double>(kTotalWeight, s.weight_lbs);
  mem.put<std::int32_t>(kZfw, away_from_zero<std::int32_t>((s.weight_lbs - s.fuel_lbs) * 256.0L));

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
        n1 = away_from_zero<std::int16_t>(e.n1 * 16384.0L / 100.0L);
        n2 = away_from_zero<std::int16_t>(e.n2 * 16384.0L / 100.0L);
        break;
      case EngineKind::Turboprop:
        scaler = kTurbopropRpmScaler;
        n1 = away_from_zero<std::int16_t>(e.rpm * 65536.0L / scaler);
        n2 = away_from_zero<std::int16_t>(e.n2 * 16384.0L / 100.0L);
        break;
      case EngineKind::Piston:
        scaler = kPistonRpmScaler;
        n1 = away_from_zero<std::int16_t>(e.rpm * 65536.0L / scaler);
        break;
    }
    mem.put<std::int16_t>(kN1[i], n1);
    mem.put<std::int16_t>(kN2[i], n2);
    mem.put<std::int16_t>(kRpmScaler[i], scaler);
    mem.put<std::int16_t>(kCombustion[i], flag(e.present && e.running));
  }

  mem.put<std::int16_t>(kPaused, flag(s.paused));
  mem.put<std::int16_t>(kCrashed, flag(s.crashed));
  mem.put<std::int16_t>(kSlew, 0);  // FlightGear has no slew mode
  mem.put<std::uint16_t>(kSimRate, saturate<std::uint16_t>(std::trunc(s.speed_up * 256.0L)));

  char tail[12] = {};
  std::memcpy(tail, s.callsign.data(), std::min<std::size_t>(s.callsign.size(), 11));
  mem.write(kRegistration, tail, sizeof tail);

  mem.put<std::uint8_t>(kFlightMode, s.scenery_loaded ? 0 : 1);
  mem.put<std::uint8_t>(kInMenu, 0);
  mem.put<std::uint16_t>(kActivity, ++activity_);
}

}  // namespace orvane::fgbridge
