// The command line of orvane-fgbridge, and the fgfs options that match it.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "fgbridge/fg_encoder.h"

namespace orvane::fgbridge {

struct BridgeOptions {
  std::uint16_t port = 5505;       // UDP port on 127.0.0.1 FlightGear sends to
  int rate_hz = 10;                // lines per second asked of FlightGear
  std::string socket_dir;          // where the link's socket goes (ORVANE's default)
  EngineKind kind = EngineKind::Auto;
  int engines = 0;                 // engines served; 0: every engine FlightGear has
  std::int64_t lost_after_s = 5;   // silence after which FlightGear is taken as gone
  std::string data_dir;            // the folder holding Protocol/orvane.xml
  bool print_fgfs_options = false;
};

// Fills o from the command line; -1 to go on, else the exit code (after --help, or an
// error said on stderr).
int parse_bridge_options(int argc, char** argv, BridgeOptions& o);

// "--data=DIR --generic=socket,out,HZ,127.0.0.1,PORT,udp,orvane"
std::string fgfs_options(const BridgeOptions& o);

// Where orvane.xml is: beside an installed program (<prefix>/share/orvane/flightgear),
// else the source tree's copy the build was made from.
std::string default_data_dir();

}  // namespace orvane::fgbridge
