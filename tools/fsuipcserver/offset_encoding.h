// Offset encoding: the offsets ORVANE reads and how FSUIPC encodes each value in them, for every server that fills them.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fsuipcserver/offset_memory.h"

namespace orvane::standin {

// The offsets, as FSUIPC lays them out (sizes and units as it documents them).
namespace offsets {
inline constexpr std::uint32_t kPaused = 0x0264;         // 2 bytes, non-zero while paused
inline constexpr std::uint32_t kMagVar = 0x02A0;         // 2 bytes, 360 degrees = 65536
inline constexpr std::uint32_t kGroundSpeed = 0x02B4;    // 4 bytes, metres per second * 65536
inline constexpr std::uint32_t kTas = 0x02B8;            // 4 bytes, knots * 128
inline constexpr std::uint32_t kIas = 0x02BC;            // 4 bytes, knots * 128
inline constexpr std::uint32_t kVerticalSpeed = 0x02C8;  // 4 bytes, metres per second * 256
inline constexpr std::uint32_t kTouchdownVs = 0x030C;    // 4 bytes, as 0x02C8, still on the ground
inline constexpr std::uint32_t kOnGround = 0x0366;       // 2 bytes
inline constexpr std::uint32_t kLat = 0x0560;            // 8 bytes, 90 degrees = 10001750 * 2^32
inline constexpr std::uint32_t kLon = 0x0568;            // 8 bytes, 360 degrees = 2^64
inline constexpr std::uint32_t kAltitudeFraction = 0x0570;  // 4 bytes, unsigned, metres * 2^32
inline constexpr std::uint32_t kAltitude = 0x0574;       // 4 bytes, whole metres, rounded down
inline constexpr std::uint32_t kPitch = 0x0578;          // 4 bytes, 360 degrees = 2^32, nose up negative
inline constexpr std::uint32_t kBank = 0x057C;           // 4 bytes, 360 degrees = 2^32, right negative
inline constexpr std::uint32_t kHeading = 0x0580;        // 4 bytes, true, 360 degrees = 2^32
inline constexpr std::uint32_t kSlew = 0x05DC;           // 2 bytes
inline constexpr std::uint32_t kCrashed = 0x0840;        // 2 bytes
inline constexpr std::uint32_t kCombustion[4] = {0x0894, 0x092C, 0x09C4, 0x0A5C};  // 2 bytes
inline constexpr std::uint32_t kN1[4] = {0x0898, 0x0930, 0x09C8, 0x0A60};  // 2 bytes, 100 % = 16384
inline constexpr std::uint32_t kN2[4] = {0x0896, 0x092E, 0x09C6, 0x0A5E};  // 2 bytes, jet N2 only
inline constexpr std::uint32_t kRpmScaler[4] = {0x08C8, 0x0960, 0x09F8, 0x0A90};  // 2 bytes
inline constexpr std::uint32_t kEngines = 0x0AEC;        // 2 bytes
inline constexpr std::uint32_t kSimRate = 0x0C1A;        // 2 bytes, unsigned, rate * 256
inline constexpr std::uint32_t kOat = 0x0E8C;            // 2 bytes, degrees Celsius * 256
inline constexpr std::uint32_t kWindSpeed = 0x0E90;      // 2 bytes, knots
inline constexpr std::uint32_t kWindDir = 0x0E92;        // 2 bytes, 360 degrees = 65536
inline constexpr std::uint32_t kGForce = 0x11BA;         // 2 bytes, 624 = 1 G
inline constexpr std::uint32_t kTat = 0x11D0;            // 2 bytes, degrees Celsius * 256
inline constexpr std::uint32_t kTotalWeight = 0x30C0;    // 8 bytes, double, pounds
inline constexpr std::uint32_t kRegistration = 0x313C;   // 12 bytes, NUL padded
inline constexpr std::uint32_t kAgl = 0x31E4;            // 4 bytes, metres * 65536
inline constexpr std::uint32_t kFlightMode = 0x3364;     // 1 byte, 0 when ready to fly
inline constexpr std::uint32_t kInMenu = 0x3365;         // 1 byte
inline constexpr std::uint32_t kActivity = 0x337E;       // 2 bytes, counts frames
inline constexpr std::uint32_t kZfw = 0x3BFC;            // 4 bytes, pounds * 256
}  // namespace offsets

// The RPM scalers (0x08C8 and 0x98 further per engine) of the propeller kinds: a
// propeller's RPM is its N1 offset's raw value * scaler / 65536.
inline constexpr std::int16_t kPistonRpmScaler = 10800;
inline constexpr std::int16_t kTurbopropRpmScaler = 6800;
// G load units in 0x11BA.
inline constexpr double kGUnits = 624.0;
inline constexpr long double kMetresPerFoot = 0.3048L;
inline constexpr long double kKnotsPerMps = 1.94384L;

// The writers below encode as FSUIPC does. Values a reader truncates are rounded away from
// zero, so that they read back with the same whole part; values outside an offset's range
// are saturated, not-a-number values written as 0.

// Latitude and longitude in degrees; the altitude in metres, as a 64-bit value in units
// of 2^-32 m (whole metres rounded down in 0x0574, the fraction in 0x0570).
void put_position(OffsetMemory& mem, double lat, double lon, long double altitude_m);
// True heading, pitch and bank (nose up and right wing down are negative in the offsets)
// and the magnetic variation, in degrees.
void put_attitude(OffsetMemory& mem, double heading, double pitch, double bank, double mag_var);
// Knots, and the ground speed in metres per second.
void put_speeds(OffsetMemory& mem, double ias_kt, double tas_kt, long double gs_mps);
// Metres per second, in the units of 0x02C8 and 0x030C.
std::int32_t vertical_speed_raw(long double mps);
// The height above ground in metres.
void put_agl(OffsetMemory& mem, long double metres);
// The wind's direction (from, degrees) and speed (knots); temperatures in degrees Celsius.
void put_weather(OffsetMemory& mem, double wind_from, double wind_kt, long double oat_c,
                 long double tat_c);
void put_weights(OffsetMemory& mem, double total_lbs, double zfw_lbs);
void put_g_force(OffsetMemory& mem, double g);
// A jet's N1 or N2 percent in its offset's units; a propeller's RPM (negative for a
// counter-rotating one) for its scaler.
std::int16_t jet_raw(double percent);
std::int16_t propeller_raw(long double rpm, std::int16_t scaler, bool counter = false);
// Engine i (0 to 3): its raw N1, N2, RPM scaler and combustion flag.
void put_engine(OffsetMemory& mem, std::size_t i, std::int16_t n1, std::int16_t n2,
                std::int16_t scaler, bool firing);
// The simulation rate (unsigned and truncated: 128 times is 32768).
void put_sim_rate(OffsetMemory& mem, double rate);
// At most 11 characters and the NUL.
void put_registration(OffsetMemory& mem, const std::string& registration);
inline std::int16_t flag(bool on) { return on ? 1 : 0; }

}  // namespace orvane::standin
