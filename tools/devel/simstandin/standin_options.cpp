// orvane-simstandin's command line: the usage text and the parsing of the options.
// SPDX-License-Identifier: MIT
#include "simstandin/standin_options.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "sim/fsuipc_link.h"

namespace orvane::standin {

namespace {

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

}  // namespace

int parse_standin_options(int argc, char** argv, StandinOptions& o) {
  o.dir = orvane::fsuipc_default_socket_dir();
  o.window_class = orvane::FSUIPC_CLASS_MAIN;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage_error(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--scenario") {
      o.scenario_file = value();
    } else if (arg == "--speed") {
      o.speed = parse_number(arg, value());
      if (!(o.speed > 0.0) || o.speed > 1e6) usage_error("--speed must be greater than 0");
    } else if (arg == "--hold-until") {
      o.hold_file = value();
      if (o.hold_file.empty() || o.hold_file.find_first_of(" \t\r\n#") != std::string::npos) {
        usage_error("--hold-until needs a file name without blanks or '#'");
      }
    } else if (arg == "--aircraft") {
      o.aircraft_name = value();
      if (!orvane::standin::parse_aircraft_kind(o.aircraft_name, &o.traits.aircraft)) {
        usage_error("--aircraft must be jet, turboprop, piston or counter-prop");
      }
    } else if (arg == "--emulator") {
      if (!orvane::standin::parse_emulator(value(), &o.traits.emulator)) {
        usage_error("--emulator must be none or wineuipc");
      }
    } else if (arg == "--crash-detection") {
      const std::string on = value();
      if (on != "on" && on != "off") usage_error("--crash-detection must be on or off");
      o.traits.crash_detection = on == "on";
    } else if (arg == "--socket-dir") {
      o.dir = value();
    } else if (arg == "--class") {
      o.window_class = value();
      if (o.window_class != orvane::FSUIPC_CLASS_MAIN &&
          o.window_class != orvane::FSUIPC_CLASS_FALLBACK) {
        usage_error("--class must be UIPCMAIN or FS98MAIN");
      }
    } else if (arg == "--bad-version") {
      o.bad_version = true;
    } else if (arg == "--answer") {
      const double n = parse_number(arg, value());
      if (n < 0 || n > 4294967295.0 || n != static_cast<double>(static_cast<long>(n))) {
        usage_error("--answer must be a whole number from 0 to 4294967295");
      }
      o.answer = static_cast<long>(n);
    } else if (arg == "--unknown-id") {
      const double n = parse_number(arg, value());
      if (n < 0 || n > 10000 || n != static_cast<double>(static_cast<long>(n))) {
        usage_error("--unknown-id must be a record index from 0 to 10000");
      }
      o.unknown_id_at = static_cast<long>(n);
    } else if (arg == "--help" || arg == "-h") {
      std::printf(kUsage, orvane::fsuipc_default_socket_dir().c_str());
      return 0;
    } else {
      usage_error("unknown option " + arg);
    }
  }
  return -1;
}

}  // namespace orvane::standin
