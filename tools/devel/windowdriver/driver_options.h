// orvane-windowdriver's command line: the options of one run and their parsing.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane::windowdriver {

struct Options {
  std::string flight = "ORV123";
  std::string out = ".";
  std::string comment = "Flown by the ORVANE window driver";
  std::string network = "VATSIM";
  std::string goFile;
  int midFlightDelayS = 25;
  int timeoutS = 600;
  bool figures = false;
  int idleS = 0;
};

// Reads the command line into `o`. Returns -1 to go on, or the exit code when the run ends
// here (0 after --help, 2 with the usage on standard error for a bad command line).
int parseOptions(int argc, char** argv, Options& o);

}  // namespace orvane::windowdriver
