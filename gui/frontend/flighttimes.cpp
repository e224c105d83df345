// The main window's time texts.
// SPDX-License-Identifier: MIT
#include "frontend/flighttimes.h"

#include <cstdio>

namespace orvane {

namespace {
std::string two_digits(std::int64_t v) {
  return (v <= 9 ? "0" : "") + std::to_string(v);
}
}  // namespace

std::string s2hmin(std::int64_t seconds) {
  return two_digits(seconds / 3600) + ":" + two_digits((seconds % 3600) / 60);
}

std::string tm2hminU(std::int64_t time) {
  // Floor division keeps times before 1970 on the right day.
  std::int64_t of_day = time % 86400;
  if (of_day < 0) of_day += 86400;
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02dZ", static_cast<int>(of_day / 3600),
                static_cast<int>((of_day % 3600) / 60));
  return text;
}

}  // namespace orvane
