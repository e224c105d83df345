// Scenario text: the plain-text description of a flight that builds a FlightModel.
//
// One statement per line; "#" starts a comment that runs to the end of the line; blank
// lines are skipped; words are separated by blanks or tabs.
//
//   set registration D-ABCD          the registration for the whole flight (1..12 characters)
//   key <t> field=value ...          a keyframe at t seconds; fields not given keep the
//                                    value of the keyframe before (the first keyframe starts
//                                    from zeros)
//   event <t> <what>                 pause | resume | slew on | slew off | rate <x> |
//                                    crash | freeze | unfreeze | disconnect | reconnect |
//                                    hang <seconds> | load <seconds> | hold-until <file>
//
// Keyframe fields (units of AircraftState): lat, lon (degrees), gs (knots), vs (feet per
// minute), height (feet above ground), alt (feet above sea level), hdg (true heading,
// degrees), var (magnetic variation, degrees, east positive), ias, tas (knots), oat, tat
// (degrees Celsius), wind_dir (degrees), wind_speed (knots), engines (0..4), n1, n2
// (percent, all engines), n1_1 .. n1_4, n2_1 .. n2_4 (percent, one engine), fire,
// fire_1 .. fire_4 (combustion, 0 or 1; until one is given an engine fires while its N2 is
// above 20 percent), pitch (degrees, nose up positive), bank (degrees, right wing down
// positive), zfw, weight (total weight, pounds), fuel (pounds: sets weight to zfw + fuel),
// on_ground (0 or 1), menu, mode (0..255).
//
// Times are seconds from 0 to 1000000; keyframe times and event times each never go back.
// Every value has a bounded range; anything else is refused with std::runtime_error
// "scenario line N: ..." naming the first bad line.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "flightmodel/flight_model.h"

namespace orvane::model {

FlightModel parse_scenario(const std::string& text);

// A complete short flight, gate to gate, in the text format above.
const std::string& default_scenario_text();
FlightModel default_scenario();

}  // namespace orvane::model
