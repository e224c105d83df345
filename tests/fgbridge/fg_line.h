// FgLine: builds a generic-protocol line the way FlightGear writes it, for the bridge's tests.
// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>

#include "fgbridge/fg_sample.h"

namespace orvane::test {

// Every field starts as FlightGear sends a c172p standing still with its engine off (one
// engine node; the others missing, so empty); set() changes one property's text.
class FgLine {
 public:
  FgLine();
  FgLine& set(const std::string& property, const std::string& text);
  std::string str() const;  // tab-separated, ending in a newline

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace orvane::test
