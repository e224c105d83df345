// orvane-windowdriver's command line: the usage text and the parsing of the options.
// SPDX-License-Identifier: MIT
#include "driver_options.h"

#include <cstdio>
#include <cstdlib>

namespace orvane::windowdriver {

namespace {

const char* const kUsage =
    "usage: orvane-windowdriver [--flight NO] [--out DIR] [--comment TEXT] [--network NAME]\n"
    "                           [--go-file FILE] [--mid-flight-delay S] [--timeout S]\n"
    "                           [--figures] [--idle S]\n"
    "Runs ORVANE's main window in the current folder (orvane.ini there) and flies one flight\n"
    "in it: flight number, Get ACARS Flightdata, Start ACARS, then the PIREP reviewed, sent\n"
    "and saved to DIR/<flight>.ovp. Saves a screenshot of each stage in DIR.\n"
    "  --go-file FILE      touch FILE once tracking has started (releases a simulator hold)\n"
    "  --mid-flight-delay  seconds after take-off for the mid-flight screenshot (default 25)\n"
    "  --figures           print the window's figures (memory, first paint, event gaps)\n"
    "  --idle S            no flight: keep the window open S seconds, print its CPU time\n";

}  // namespace

int parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "orvane-windowdriver: %s needs a value\n%s", arg.c_str(), kUsage);
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--flight") {
      o.flight = value();
    } else if (arg == "--out") {
      o.out = value();
    } else if (arg == "--comment") {
      o.comment = value();
    } else if (arg == "--network") {
      o.network = value();
    } else if (arg == "--go-file") {
      o.goFile = value();
    } else if (arg == "--mid-flight-delay") {
      o.midFlightDelayS = std::atoi(value().c_str());
    } else if (arg == "--timeout") {
      o.timeoutS = std::atoi(value().c_str());
    } else if (arg == "--figures") {
      o.figures = true;
    } else if (arg == "--idle") {
      o.idleS = std::atoi(value().c_str());
    } else if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "orvane-windowdriver: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }
  if (o.flight.empty() || o.timeoutS <= 0 || o.idleS < 0) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }
  return -1;
}

}  // namespace orvane::windowdriver
