// to_fixed_str: six significant digits in fixed notation, for texts that servers parse.
// SPDX-License-Identifier: MIT
#include "util/fixed_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "util/util.h"

namespace orvane {

namespace {

// Significant digits of to_str (the stream's default precision).
constexpr int kDigits = 6;

}  // namespace

std::string to_fixed_str(double value) {
  if (!std::isfinite(value) || value == 0.0) return to_str(value);
  // The value rounded to six significant digits, as "d.ddddde±x": the digits and the
  // exponent decide the notation exactly as the stream's own rounding does.
  char scientific[32];
  const int n = std::snprintf(scientific, sizeof scientific, "%.*e", kDigits - 1, value);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof scientific) return to_str(value);
  const std::string text(scientific, static_cast<std::size_t>(n));
  const std::size_t e = text.find('e');
  if (e == std::string::npos) return to_str(value);
  const int exponent = std::atoi(text.c_str() + e + 1);
  if (exponent >= -4 && exponent < kDigits) return to_str(value);

  const bool negative = text[0] == '-';
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  std::string out = negative ? "-" : "";
  if (exponent < 0) {
    // 0.000012: the point, the leading zeros, then the digits.
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
    while (out.back() == '0') out.pop_back();
  } else {
    // 1234570: the digits, then zeros up to the units.
    out += digits;
    out.append(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
  }
  return out;
}

}  // namespace orvane
