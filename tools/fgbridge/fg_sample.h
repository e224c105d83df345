// FgSample: one line of FlightGear's generic-protocol feed (orvane.xml), and its parser.
// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace orvane::fgbridge {

inline constexpr std::size_t kMaxEngines = 4;

// One FlightGear engine as its /engines/engine[n] node tells it. An engine whose node does
// not exist is sent as empty fields: present is then false.
struct FgEngine {
  bool present = false;
  bool running = false;
  double rpm = 0;  // propeller or piston RPM
  double n1 = 0;   // turbine N1 and N2, percent; 0 on a piston engine
  double n2 = 0;
};

// The properties the bridge reads, in FlightGear's own units.
struct FgSample {
  double lat = 0, lon = 0;          // degrees, north and east positive
  double alt_ft = 0;                // /position/altitude-ft, above mean sea level
  double agl_ft = 0;                // /position/altitude-agl-ft
  double heading = 0;               // true heading, degrees
  double pitch = 0, roll = 0;       // degrees, nose up and right wing down positive
  double mag_var = 0;               // degrees, east positive
  double ias_kt = 0, tas_kt = 0, gs_kt = 0;
  double vs_fps = 0;                // feet per second, up positive
  double oat_c = 0;                 // outside air temperature, Celsius
  double wind_from = 0, wind_kt = 0;
  bool on_ground = false;           // weight on any of the first three gear units
  bool paused = false;              // /sim/freeze/master
  double speed_up = 1;              // /sim/speed-up, the simulation rate
  bool crashed = false;             // /sim/crashed
  std::array<FgEngine, kMaxEngines> engines{};
  double fuel_lbs = 0;              // /consumables/fuel/total-fuel-lbs
  double weight_lbs = 0;            // gross weight (JSBSim's, else YASim's)
  double g_load = 0;                // /accelerations/pilot-g
  bool scenery_loaded = false;      // /sim/sceneryloaded
  std::string callsign;             // /sim/multiplay/callsign
  std::string aircraft;             // /sim/aircraft
};

// The fields of a line, in order: the property each one carries. The protocol file
// orvane.xml lists the same properties in the same order (a test holds them together).
inline constexpr std::size_t kFieldCount = 44;
extern const std::array<std::string_view, kFieldCount> kFieldProperties;

// Fields are separated by tabs; the line may end in a newline. False (and *out untouched)
// when the line has the wrong number of fields or a number field that is not a number.
bool parse_sample(std::string_view line, FgSample* out);

}  // namespace orvane::fgbridge
