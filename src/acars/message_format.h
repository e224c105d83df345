// Text formats of the ACARS messages and the pilot report: positions, times, wind, engines.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace orvane {

// "N47 30 W11 15": hemisphere, whole degrees and minutes of each coordinate.
std::string format_position(double lat, double lon);
std::string format_date_time(long t);  // "%m/%d/%Y %H:%MZ", UTC
std::string format_time(long t);       // "%H:%MZ", UTC
// Direction padded to three digits, then speed padded to two: "27015".
std::string format_wind(int dir, int spd);
// "/E1N1 85 /E1N2 90 /E2N1 ..." for each engine reporting both values.
std::string format_engine_performance(const std::vector<int>& n1, const std::vector<int>& n2);
// One "0" in front of values of 9 or less (negative values included): "07", "0-3", "12".
std::string pad_single_digit(long long v);

std::string sec2hm(unsigned int seconds);
std::string s2hm(long seconds);
// Great-circle distance in nautical miles; NaN for nearly equal points.
double calc_distance(double lat1, double lon1, double lat2, double lon2);
// Every line feed replaced by " +++ ".
std::string prepare_info(const std::string& text);

}  // namespace orvane
