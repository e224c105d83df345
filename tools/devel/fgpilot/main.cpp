// orvane-fgpilot: flies FlightGear's c172p through its telnet property protocol.
// SPDX-License-Identifier: MIT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "fgpilot/fg_telnet.h"
#include "fgpilot/pilot.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: orvane-fgpilot --telnet PORT [--plan climb|circuit] [--wait S]\n"
               "                      [--resume LAT,LON,HEADING,PATTERN_ALT_FT]\n"
               "--resume: go on with a circuit on downwind, in a FlightGear started again in\n"
               "the air (the numbers fly() reported on its \"circuit\" line)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  int wait_s = 600;
  orvane::fgpilot::Plan plan = orvane::fgpilot::Plan::Climb;
  orvane::fgpilot::Pilot::Circuit circuit;
  bool resume = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--telnet") port = std::atoi(v.c_str());
    else if (a == "--wait") wait_s = std::atoi(v.c_str());
    else if (a == "--resume" && std::sscanf(v.c_str(), "%lf,%lf,%lf,%lf", &circuit.lat,
                                             &circuit.lon, &circuit.hdg,
                                             &circuit.pattern_alt) == 4)
      resume = true;
    else if (a == "--plan" && (v == "climb" || v == "circuit"))
      plan = v == "climb" ? orvane::fgpilot::Plan::Climb : orvane::fgpilot::Plan::Circuit;
    else {
      return usage();
    }
  }
  if (port <= 0) return usage();
  auto say = [](const std::string& line) {
    std::printf("orvane-fgpilot: %s\n", line.c_str());
    std::fflush(stdout);
  };
  orvane::fgpilot::FgTelnet fg(port);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(wait_s);
  while (!fg.connect()) {
    if (std::chrono::steady_clock::now() > end) {
      say("FlightGear's telnet on 127.0.0.1:" + std::to_string(port) + " did not answer");
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
  }
  // The scenery under the aircraft is there when FlightGear says so.
  while (!fg.flag("/sim/sceneryloaded") && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::seconds(1));
  say("FlightGear ready");
  orvane::fgpilot::Pilot pilot(fg, say);
  const bool ok = resume ? pilot.resume(circuit) : pilot.fly(plan);
  say(ok ? "done" : "FAILED");
  return ok ? 0 : 1;
}
