// orvane-cli's command line: the options it takes and the flight data they give.
// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>

#include "sim/flightdata.h"

namespace orvane::cli {

// The parsed command line: "--name value" pairs, and the switches with the value "1".
class CliArgs {
 public:
  // Fills the pairs; false (after telling the pilot on standard error) when the command line
  // is unusable. `help` is set when the pilot asked for the usage text.
  bool parse(int argc, char** argv, bool& help);
  std::string get(const std::string& key, const std::string& fallback = "") const;
  bool has(const std::string& key) const { return !get(key).empty(); }
  // Copies every flight-data option given on the command line over `data`.
  void applyFlightData(SFlightData& data) const;

 private:
  std::map<std::string, std::string> values_;
};

void printUsage();

}  // namespace orvane::cli
