// Conversions to 32-bit integers, each named for what it does with a value that does not fit.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <limits>

namespace orvane {

// Drops the fraction. NaN, infinities and values out of range give the most negative int,
// which is what the processor's own conversion yields (a plain cast would be undefined).
// The message texts and the PIREP are written with it.
inline std::int32_t truncate_or_min(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

// Drops the fraction, holding out-of-range values at the nearest limit; NaN gives 0. For
// simulator readings that may be strange but must not turn into the opposite sign.
inline std::int32_t truncate_saturating(double x) {
  if (!(x == x)) return 0;
  if (x >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (x <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

// Keeps the low 32 bits, as 32-bit arithmetic wraps: sums and differences of record values.
inline std::int32_t wrap_to_int32(std::int64_t x) { return static_cast<std::int32_t>(x); }

}  // namespace orvane
