// orvane-simstandin: a stand-in for the simulator's FSUIPC server, flying a scenario.
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
#include "simstandin/offset_memory.h"
#include "simstandin/player.h"
#include "simstandin/standin_server.h"

namespace {

using orvane::standin::StandinServer;

const char* const kUsage =
    "usage: orvane-simstandin [--scenario FILE] [--speed X] [--hold-until FILE]\n"
    "                         [--aircraft jet|turboprop|piston|counter-prop]\n"
    "                         [--emulator none|wineuipc] [--crash-detection on|off]\n"
    "                         [--socket-dir DIR]\n"
    "                         [--class UIPCMAIN|FS98MAIN] [--bad-version]\n"
    "                         [--answer N] [--unknown-id INDEX]\n"
    "  --scenario FILE   scenario text to fly (default: the built-in short flight)\n"
    "  --speed X         flight seconds per real second, greater than 0 (default 1)\n"
    "  --hold-until FILE stand still at 0 s until FILE exists (adds the scenario event\n"
    "                    'event 0 hold-until FILE')\n"
    "  --aircraft KIND   what the engine offsets hold (default jet): a propeller's RPM\n"
    "                    in the N1 offsets, negative for counter-prop, N2 0 on a piston\n"
    "  --emulator NAME   behave as an FSUIPC emulator: wineuipc never writes the activity\n"
    "                    counter (0x337E) or the in-menu flag (0x3365), mode 0x3364 is 0\n"
    "  --crash-detection on|off  off: a crash never sets the crash flag (default on)\n"
    "  --socket-dir DIR  folder of the server socket (default %s)\n"
    "  --class NAME      window class to serve as (default UIPCMAIN)\n"
    "  --bad-version     answer the handshake with versions the client refuses\n"
    "  --answer N        answer every batch with N instead of 1\n"
    "  --unknown-id I    give record I (0-based) of every batch an unknown id\n";

std::mutex print_mutex;

void say(const std::string& line) {
  std::lock_guard<std::mutex> g(print_mutex);
  std::printf("orvane-simstandin: %s\n", line.c_str());
  std::fflush(stdout);
}

[[noreturn]] void usage_error(const std::string& why) {
  std::fprintf(stderr, "orvane-simstandin: %s\n", why.c_str());
  std::fprintf(stderr, kUsage, orvane::fsuipc_default_socket_dir().c_str());
  std::exit(2);
}

double parse_number(const std::string& option, const std::string& text) {
  std::size_t used = 0;
  double value = 0.0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size()) usage_error(option + " needs a number, not '" + text + "'");
  return value;
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
  std::string scenario_file;
  std::string hold_file;
  double speed = 1.0;
  std::string dir = orvane::fsuipc_default_socket_dir();
  std::string window_class = orvane::FSUIPC_CLASS_MAIN;
  bool bad_version = false;
  long answer = 1;
  long unknown_id_at = -1;
  orvane::standin::SimulatorTraits traits;
  std::string aircraft_name = "jet";

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage_error(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--scenario") {
      scenario_file = value();
    } else if (arg == "--speed") {
      speed = parse_number(arg, value());
      if (!(speed > 0.0) || speed > 1e6) usage_error("--speed must be greater than 0");
    } else if (arg == "--hold-until") {
      hold_file = value();
      if (hold_file.empty() || hold_file.find_first_of(" \t\r\n#") != std::string::npos) {
        usage_error("--hold-until needs a file name without blanks or '#'");
      }
    } else if (arg == "--aircraft") {
      aircraft_name = value();
      if (!orvane::standin::parse_aircraft_kind(aircraft_name, &traits.aircraft)) {
        usage_error("--aircraft must be jet, turboprop, piston or counter-prop");
      }
    } else if (arg == "--emulator") {
      if (!orvane::standin::parse_emulator(value(), &traits.emulator)) {
        usage_error("--emulator must be none or wineuipc");
      }
    } else if (arg == "--crash-detection") {
      const std::string on = value();
      if (on != "on" && on != "off") usage_error("--crash-detection must be on or off");
      traits.crash_detection = on == "on";
    } else if (arg == "--socket-dir") {
      dir = value();
    } else if (arg == "--class") {
      window_class = value();
      if (window_class != orvane::FSUIPC_CLASS_MAIN &&
          window_class != orvane::FSUIPC_CLASS_FALLBACK) {
        usage_error("--class must be UIPCMAIN or FS98MAIN");
      }
    } else if (arg == "--bad-version") {
      bad_version = true;
    } else if (arg == "--answer") {
      const double n = parse_number(arg, value());
      if (n < 0 || n > 4294967295.0 || n != static_cast<double>(static_cast<long>(n))) {
        usage_error("--answer must be a whole number from 0 to 4294967295");
      }
      answer = static_cast<long>(n);
    } else if (arg == "--unknown-id") {
      const double n = parse_number(arg, value());
      if (n < 0 || n > 10000 || n != static_cast<double>(static_cast<long>(n))) {
        usage_error("--unknown-id must be a record index from 0 to 10000");
      }
      unknown_id_at = static_cast<long>(n);
    } else if (arg == "--help" || arg == "-h") {
      std::printf(kUsage, orvane::fsuipc_default_socket_dir().c_str());
      return 0;
    } else {
      usage_error("unknown option " + arg);
    }
  }

  orvane::model::FlightModel model;
  try {
    model = scenario_file.empty() ? orvane::model::default_scenario()
                                  : orvane::model::parse_scenario(read_file(scenario_file));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvane-simstandin: %s\n", e.what());
    return 2;
  }
  if (!hold_file.empty()) model.add_event(0.0, orvane::model::EventKind::HoldUntil, 0.0, hold_file);

  // Signals are taken by sigwait below; every thread started from here on blocks them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  orvane::standin::OffsetMemory memory;
  StandinServer server(memory, dir, window_class);
  if (bad_version) server.set_versions(StandinServer::kBadVersion, StandinServer::kBadFsVersion);
  server.set_answer(static_cast<std::uint32_t>(answer));
  server.set_unknown_id_at(static_cast<int>(unknown_id_at));

  orvane::standin::Player player(std::move(model), memory, &server, speed);
  player.set_report(say);
  player.set_traits(traits);
  server.set_on_link([](const std::string& name) { say("client linked through " + name); });
  if (!server.start()) {
    std::fprintf(stderr, "orvane-simstandin: %s\n", server.error().c_str());
    return 1;
  }
  player.apply(0.0);  // the first state, and a disconnect at 0 s, before the player runs
  char line[256];
  std::snprintf(line, sizeof line, "scenario %s: %zu keyframes, %zu events, %.0f s at speed %g",
                scenario_file.empty() ? "built-in" : scenario_file.c_str(),
                player.model().keyframes().size(), player.model().events().size(),
                player.model().duration(), speed);
  say(line);
  say("aircraft " + aircraft_name + ", crash detection " +
      (traits.crash_detection ? "on" : "off"));
  if (traits.emulator == orvane::standin::Emulator::WineUipc)
    say("emulating wineUIPC: no activity counter, no in-menu flag, mode 0");
  if (bad_version) say("answering the handshake with bad versions");
  if (answer != 1) say("answering every batch with " + std::to_string(answer));
  if (unknown_id_at >= 0) say("giving record " + std::to_string(unknown_id_at) + " an unknown id");
  say("serving " + window_class + " at " + server.socket_path());
  player.start();

  int sig = 0;
  sigwait(&signals, &sig);
  player.stop();
  server.stop();
  say(sig == SIGINT ? "interrupted, stopped" : "terminated, stopped");
  return 0;
}
