// FlightSample: the simulator values read for one ACARS event, as its message carries them.
// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

namespace orvane {

// One event's readings, taken once on the cycle thread and handed to a message builder by
// value. Each message uses the fields it lists; the others are ignored.
struct FlightSample {
  long t = 0;               // wall clock, seconds since 1970-01-01 UTC
  int fuel = 0;             // fuel on board, pounds
  int zfw = 0;              // zero-fuel weight, pounds
  int totalWeight = 0;      // pounds
  double lat = 0.0;         // degrees, north positive
  double lon = 0.0;         // degrees, east positive
  int alt = 0;              // feet above mean sea level
  int hdg = 0;              // magnetic heading, degrees
  int hdt = 0;              // true heading, degrees
  int ias = 0;              // knots
  int tas = 0;              // knots
  int oat = 0;              // degrees Celsius
  int tat = 0;              // degrees Celsius
  int wdir = 0;             // wind from, degrees
  int wspd = 0;             // knots
  std::vector<int> n1, n2;  // whole percent per engine, engine 1 first; negative: no engine
};

}  // namespace orvane
