// FgLine: a c172p at rest as FlightGear's generic protocol sends it, field by field.
// SPDX-License-Identifier: MIT
#include "fgbridge/fg_line.h"

#include <stdexcept>

namespace orvane::test {

FgLine::FgLine() {
  for (std::string_view p : fgbridge::kFieldProperties) values_[std::string(p)] = "";
  set("/position/latitude-deg", "37.61354020").set("/position/longitude-deg", "-122.35721916");
  set("/position/altitude-ft", "13.0000").set("/position/altitude-agl-ft", "3.4800");
  set("/orientation/heading-deg", "297.8100").set("/orientation/pitch-deg", "0.4200");
  set("/orientation/roll-deg", "0.0000").set("/environment/magnetic-variation-deg", "13.9758");
  for (const char* p : {"/velocities/airspeed-kt", "/fdm/jsbsim/velocities/vtrue-kts",
                        "/velocities/groundspeed-kt", "/velocities/vertical-speed-fps",
                        "/environment/wind-from-heading-deg", "/environment/wind-speed-kt",
                        "/yasim/gross-weight-lbs"})
    set(p, "0.0000");
  set("/environment/temperature-degc", "15.0000");
  set("/gear/gear[0]/wow", "1").set("/gear/gear[1]/wow", "1").set("/gear/gear[2]/wow", "1");
  set("/sim/freeze/master", "0").set("/sim/speed-up", "1.0000").set("/sim/crashed", "0");
  set("/engines/engine[0]/running", "false").set("/engines/engine[0]/rpm", "0");
  set("/consumables/fuel/total-fuel-lbs", "150.0000");
  set("/fdm/jsbsim/inertia/weight-lbs", "2300.0000").set("/accelerations/pilot-g", "1.0000");
  set("/sim/sceneryloaded", "1").set("/sim/multiplay/callsign", "N172OR");
  set("/sim/aircraft", "c172p");
}

FgLine& FgLine::set(const std::string& property, const std::string& text) {
  auto it = values_.find(property);
  if (it == values_.end()) throw std::invalid_argument("not in the protocol: " + property);
  it->second = text;
  return *this;
}

std::string FgLine::str() const {
  std::string line;
  for (std::string_view p : fgbridge::kFieldProperties) {
    if (!line.empty()) line += '\t';
    line += values_.at(std::string(p));
  }
  return line + "\n";
}

}  // namespace orvane::test
