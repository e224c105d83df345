// Weights as the pilot reads them: pounds (as the airline and the files have them) shown in
// pounds or kilograms, and a figure typed in either unit back in pounds.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "frontend/windowprefs.h"

namespace orvane {

// 1 lb = 0.45359237 kg exactly.
constexpr double kKilogramsPerPound = 0.45359237;

// A whole number of pounds as text, in the unit, rounded to the nearest whole number. Text
// that is not a whole number (an empty field among them) stays as it is.
std::string shownWeight(const std::string& pounds, WeightUnit unit);
// A whole number typed in the unit, in pounds (rounded); other text stays as it is.
std::string poundsFromShown(const std::string& shown, WeightUnit unit);

}  // namespace orvane
