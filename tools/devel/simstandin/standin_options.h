// orvane-simstandin's command line: the options of one run and their parsing.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "simstandin/offset_encoder.h"

namespace orvane::standin {

struct StandinOptions {
  std::string scenario_file;  // empty: the built-in flight
  std::string hold_file;      // empty: no hold at 0 s
  double speed = 1.0;         // flight seconds per real second
  std::string dir;            // folder of the server socket
  std::string window_class;   // UIPCMAIN or FS98MAIN
  bool bad_version = false;
  long answer = 1;
  long unknown_id_at = -1;
  SimulatorTraits traits;
  std::string aircraft_name = "jet";
};

// Reads the command line into `o`. Returns -1 to go on, or the exit code when the run ends
// here (0 after --help). A bad command line ends the program with the usage and code 2.
int parse_standin_options(int argc, char** argv, StandinOptions& o);

}  // namespace orvane::standin
