// to_fixed_str: numbers with six significant digits like to_str, but never in exponent form.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane {

// The value with six significant digits, as to_str writes it, whenever to_str writes no
// exponent (then the two are byte for byte the same). Where to_str would write an exponent
// (below 0.0001 or from 1000000 on), the same six significant digits are written out in
// fixed notation with trailing zeros dropped: 1.2e-05 gives "0.000012", 1.23457e+06 gives
// "1234570". Not a number and the infinities are written as to_str writes them.
std::string to_fixed_str(double value);

}  // namespace orvane
