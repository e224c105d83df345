// Weights in pounds or kilograms, as text.
// SPDX-License-Identifier: MIT
#include "frontend/weights.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace orvane {

namespace {

std::optional<long long> wholeNumber(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || at != end) return std::nullopt;
  return value;
}

}  // namespace

std::string shownWeight(const std::string& pounds, WeightUnit unit) {
  if (unit == WeightUnit::Pounds) return pounds;
  const std::optional<long long> lb = wholeNumber(pounds);
  if (!lb) return pounds;
  return std::to_string(std::llround(static_cast<double>(*lb) * kKilogramsPerPound));
}

std::string poundsFromShown(const std::string& shown, WeightUnit unit) {
  if (unit == WeightUnit::Pounds) return shown;
  const std::optional<long long> kg = wholeNumber(shown);
  if (!kg) return shown;
  return std::to_string(std::llround(static_cast<double>(*kg) / kKilogramsPerPound));
}

}  // namespace orvane
