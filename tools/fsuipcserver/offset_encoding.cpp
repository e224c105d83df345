// Offset encoding: FSUIPC's raw encodings of positions, angles, speeds, weather, weights and engines.
// SPDX-License-Identifier: MIT
#include "fsuipcserver/offset_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace orvane::standin {

using namespace offsets;

namespace {

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

std::int32_t angle32(long double degrees) {
  return static_cast<std::int32_t>(circle_raw(degrees / 360.0L * kTwo32, 32));
}

}  // namespace

void put_position(OffsetMemory& mem, double lat, double lon, long double altitude_m) {
  mem.put<std::int64_t>(kLat, nearest<std::int64_t>(lat * kLatUnits / 90.0L));
  // The longitude's raw value spans the whole 64 bits; -180 is the lowest, +180 wraps to it.
  mem.put<std::int64_t>(kLon, nearest<std::int64_t>(signed_angle(lon) / 360.0L * kTwo64));
  const std::int64_t altitude = nearest<std::int64_t>(altitude_m * kTwo32);
  mem.put<std::uint32_t>(kAltitudeFraction, static_cast<std::uint32_t>(altitude & 0xFFFFFFFF));
  mem.put<std::int32_t>(kAltitude, static_cast<std::int32_t>(altitude >> 32));
}

void put_attitude(OffsetMemory& mem, double heading, double pitch, double bank, double mag_var) {
  mem.put<std::int32_t>(kHeading, angle32(signed_angle(heading)));
  mem.put<std::int32_t>(kPitch, angle32(-signed_angle(pitch)));
  mem.put<std::int32_t>(kBank, angle32(-signed_angle(bank)));
  mem.put<std::int16_t>(kMagVar, static_cast<std::int16_t>(
                                     circle_raw(signed_angle(mag_var) / 360.0L * 65536.0L, 16)));
}

void put_speeds(OffsetMemory& mem, double ias_kt, double tas_kt, long double gs_mps) {
  mem.put<std::int32_t>(kIas, away_from_zero<std::int32_t>(ias_kt * 128.0L));
  mem.put<std::int32_t>(kTas, away_from_zero<std::int32_t>(tas_kt * 128.0L));
  mem.put<std::int32_t>(kGroundSpeed, nearest<std::int32_t>(gs_mps * 65536.0L));
}

std::int32_t vertical_speed_raw(long double mps) { return nearest<std::int32_t>(mps * 256.0L); }

void put_agl(OffsetMemory& mem, long double metres) {
  mem.put<std::int32_t>(kAgl, away_from_zero<std::int32_t>(metres * 65536.0L));
}

void put_weather(OffsetMemory& mem, double wind_from, double wind_kt, long double oat_c,
                 long double tat_c) {
  // The reader truncates the direction, so round away from zero before wrapping.
  const long double wind = round_away(signed_angle(wind_from) / 360.0L * 65536.0L);
  mem.put<std::int16_t>(kWindDir, static_cast<std::int16_t>(circle_raw(wind, 16)));
  mem.put<std::int16_t>(kWindSpeed, saturate<std::int16_t>(std::trunc(wind_kt)));
  mem.put<std::int16_t>(kOat, away_from_zero<std::int16_t>(oat_c * 256.0L));
  mem.put<std::int16_t>(kTat, away_from_zero<std::int16_t>(tat_c * 256.0L));
}

void put_weights(OffsetMemory& mem, double total_lbs, double zfw_lbs) {
  mem.put<double>(kTotalWeight, total_lbs);
  mem.put<std::int32_t>(kZfw, away_from_zero<std::int32_t>(zfw_lbs * 256.0L));
}

void put_g_force(OffsetMemory& mem, double g) {
  mem.put<std::int16_t>(kGForce, nearest<std::int16_t>(static_cast<long double>(g) * kGUnits));
}

std::int16_t jet_raw(double percent) {
  return away_from_zero<std::int16_t>(percent * 16384.0L / 100.0L);
}

std::int16_t propeller_raw(long double rpm, std::int16_t scaler, bool counter) {
  const long double raw = rpm * 65536.0L / scaler;
  return away_from_zero<std::int16_t>(counter ? -raw : raw);
}

void put_engine(OffsetMemory& mem, std::size_t i, std::int16_t n1, std::int16_t n2,
                std::int16_t scaler, bool firing) {
  mem.put<std::int16_t>(kN1[i], n1);
  mem.put<std::int16_t>(kN2[i], n2);
  mem.put<std::int16_t>(kRpmScaler[i], scaler);
  mem.put<std::int16_t>(kCombustion[i], flag(firing));
}

void put_sim_rate(OffsetMemory& mem, double rate) {
  mem.put<std::uint16_t>(kSimRate, saturate<std::uint16_t>(std::trunc(rate * 256.0L)));
}

void put_registration(OffsetMemory& mem, const std::string& registration) {
  char tail[12] = {};
  std::memcpy(tail, registration.data(), std::min<std::size_t>(registration.size(), 11));
  mem.write(kRegistration, tail, sizeof tail);
}

}  // namespace orvane::standin
