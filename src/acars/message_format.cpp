// Text formats of the ACARS messages and the pilot report.
// SPDX-License-Identifier: MIT
#include "acars/message_format.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "util/fixed_format.h"
#include "util/util.h"

namespace orvane {

namespace {

constexpr double kPi = 3.141592653589793;

// Degrees and minutes of one coordinate's absolute value: "47 30", "33 56.76"; never an
// exponent, which servers' position parsers do not take.
std::string degrees_minutes(double a) {
  const double whole = std::trunc(a);
  if (std::isfinite(a) && whole < 2147483648.0) {
    const int d = static_cast<int>(whole);
    return to_str(d) + " " + to_fixed_str((a - d) * 60);
  }
  // A coordinate no int can hold is written as the simulator delivered it; its minutes are
  // 0 or not a number (without the sign that infinity minus infinity carries).
  return to_fixed_str(whole) + " " + to_fixed_str(std::fabs((a - whole) * 60));
}

}  // namespace

std::string pad_single_digit(long long v) {
  std::string text = to_str(v);
  if (v <= 9) text.insert(0, 1, '0');
  return text;
}

std::string format_position(double lat, double lon) {
  const std::string ns = lat < 0 ? "S" : "N";
  const std::string ew = lon < 0 ? "W" : "E";
  return ns + degrees_minutes(std::fabs(lat)) + " " + ew + degrees_minutes(std::fabs(lon));
}

std::string format_date_time(long t) {
  return format_utc(static_cast<std::time_t>(t), "%m/%d/%Y %H:%MZ", 19);
}

std::string format_time(long t) { return format_utc(static_cast<std::time_t>(t), "%H:%MZ", 9); }

std::string format_wind(int dir, int spd) {
  std::string text;
  if (dir <= 9) {
    text = "00";
  } else if (dir <= 99) {
    text = "0";
  }
  text += to_str(dir);
  if (spd <= 9) text += "0";
  text += to_str(spd);
  return text;
}

std::string format_engine_performance(const std::vector<int>& n1, const std::vector<int>& n2) {
  const std::size_t engines = std::min(n1.size(), n2.size());
  std::string text;
  for (std::size_t i = 0; i < engines; ++i) {
    if (n1[i] < 0 || n2[i] < 0) continue;  // engine not present or not reporting
    if (!text.empty()) text += " ";
    const std::string number = to_str(i + 1);
    text += "/E" + number + "N1 " + to_str(n1[i]) + " /E" + number + "N2 " + to_str(n2[i]);
  }
  return text;
}

std::string sec2hm(unsigned int seconds) {
  const unsigned int hours = seconds / 3600;
  const unsigned int minutes = (seconds / 60) % 60;
  return pad_single_digit(hours) + ":" + pad_single_digit(minutes);
}

std::string s2hm(long seconds) {
  const long hours = seconds / 3600;
  const long minutes = (seconds % 3600) / 60;
  return pad_single_digit(hours) + ":" + pad_single_digit(minutes);
}

double calc_distance(double lat1, double lon1, double lat2, double lon2) {
  // Colatitudes in radians; one minute of arc along a great circle is one nautical mile.
  const double c1 = (90 - lat1) * kPi / 180;
  const double c2 = (90 - lat2) * kPi / 180;
  const double x =
      std::cos((lon2 - lon1) * kPi / 180) * std::sin(c1) * std::sin(c2) +
      std::cos(c1) * std::cos(c2);
  return std::acos(x) * 60 * 180 / kPi;
}

std::string prepare_info(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      out += " +++ ";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace orvane
