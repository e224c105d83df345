// orvane-simstandin: a stand-in for the simulator's FSUIPC server, flying a scenario.
// SPDX-License-Identifier: MIT
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>

#include "flightmodel/scenario.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "simstandin/standin_options.h"
#include "fsuipcserver/standin_server.h"

namespace {

using orvane::standin::StandinServer;

std::mutex print_mutex;

void say(const std::string& line) {
  std::lock_guard<std::mutex> g(print_mutex);
  std::printf("orvane-simstandin: %s\n", line.c_str());
  std::fflush(stdout);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

}  // namespace

int main(int argc, char** argv) {
  orvane::standin::StandinOptions o;
  if (const int rc = orvane::standin::parse_standin_options(argc, argv, o); rc >= 0) return rc;

  orvane::model::FlightModel model;
  try {
    model = o.scenario_file.empty() ? orvane::model::default_scenario()
                                  : orvane::model::parse_scenario(read_file(o.scenario_file));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane-simstandin: %s\n", e.what());
    return 2;
  }
  if (!o.hold_file.empty()) model.add_event(0.0, orvane::model::EventKind::HoldUntil, 0.0, o.hold_file);

  // Signals are taken by sigwait below; every thread started from here on blocks them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  orvane::standin::OffsetMemory memory;
  StandinServer server(memory, o.dir, o.window_class);
  if (o.bad_version) server.set_versions(StandinServer::kBadVersion, StandinServer::kBadFsVersion);
  server.set_answer(static_cast<std::uint32_t>(o.answer));
  server.set_unknown_id_at(static_cast<int>(o.unknown_id_at));

  orvane::standin::Player player(std::move(model), memory, &server, o.speed);
  player.set_report(say);
  player.set_traits(o.traits);
  server.set_on_link([](const std::string& name) { say("client linked through " + name); });
  if (!server.start()) {
    std::fprintf(stderr, "orvane-simstandin: %s\n", server.error().c_str());
    return 1;
  }
  player.apply(0.0);  // the first state, and a disconnect at 0 s, before the player runs
  char line[256];
  std::snprintf(line, sizeof line, "scenario %s: %zu keyframes, %zu events, %.0f s at speed %g",
                o.scenario_file.empty() ? "built-in" : o.scenario_file.c_str(),
                player.model().keyframes().size(), player.model().events().size(),
                player.model().duration(), o.speed);
  say(line);
  say("aircraft " + o.aircraft_name + ", crash detection " +
      (o.traits.crash_detection ? "on" : "off"));
  if (o.traits.emulator == orvane::standin::Emulator::WineUipc)
    say("emulating wineUIPC: no activity counter, no in-menu flag, mode 0");
  if (o.bad_version) say("answering the handshake with bad versions");
  if (o.answer != 1) say("answering every batch with " + std::to_string(o.answer));
  if (o.unknown_id_at >= 0) say("giving record " + std::to_string(o.unknown_id_at) + " an unknown id");
  say("serving " + o.window_class + " at " + server.socket_path());
  player.start();

  int sig = 0;
  sigwait(&signals, &sig);
  player.stop();
  server.stop();
  say(sig == SIGINT ? "interrupted, stopped" : "terminated, stopped");
  return 0;
}
