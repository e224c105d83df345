// The main window's time texts: durations as hh:mm and times of day as hh:mmZ.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// A duration in seconds as hours, colon, minutes; each at least two digits ("100:00").
std::string s2hmin(std::int64_t seconds);

// A time in seconds since 1970 as the UTC time of day "HH:MMZ".
std::string tm2hminU(std::int64_t time);

}  // namespace orvane
