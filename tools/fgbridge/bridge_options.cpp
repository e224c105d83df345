// orvane-fgbridge's options: parsing, the help text and the matching fgfs options.
// SPDX-License-Identifier: MIT
#include "fgbridge/bridge_options.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "sim/fsuipc_link.h"

namespace orvane::fgbridge {

namespace {

constexpr const char* kHelp =
    "usage: orvane-fgbridge [--port N] [--rate HZ] [--socket-dir DIR]\n"
    "                       [--engine-kind auto|jet|turboprop|piston] [--engines N]\n"
    "                       [--lost-after S]"
    "\n"
    "                       [--data-dir DIR] [--fgfs-options]\n"
    "Serves the aircraft FlightGear flies as FSUIPC offsets over ORVANE's link.\n"
    "FlightGear sends its properties with ORVANE's generic protocol (orvane.xml) to\n"
    "udp 127.0.0.1:N (default 5505); --fgfs-options prints the fgfs options for that.\n"
    "The link is served while FlightGear sends, and closed after S seconds without a\n"
    "line (default 5) until it sends again. --engines N serves the first N engines\n"
    "only (the c172p has a second, inactive engine model: --engines 1).\n";

bool number(const char* text, long lo, long hi, long* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool exists(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace

std::string default_data_dir() {
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string dir(exe, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/'));
    const std::string installed = dir + "/../share/orvane/flightgear";
    if (exists(installed + "/Protocol/orvane.xml")) return installed;
  }
  return ORVANE_FG_SOURCE_DATA;
}

int parse_bridge_options(int argc, char** argv, BridgeOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    long n = 0;
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (a == "--fgfs-options") {
      o.print_fgfs_options = true;
      continue;
    }
    if (!v) {
      std::fprintf(stderr, "orvane-fgbridge: %s needs a value\n%s", argv[i], kHelp);
      return 2;
    }
    ++i;
    if (a == "--port" && number(v, 1, 65535, &n)) {
      o.port = static_cast<std::uint16_t>(n);
    } else if (a == "--rate" && number(v, 1, 100, &n)) {
      o.rate_hz = static_cast<int>(n);
    } else if (a == "--lost-after" && number(v, 1, 3600, &n)) {
      o.lost_after_s = n;
    } else if (a == "--engines" && number(v, 1, 4, &n)) {
      o.engines = static_cast<int>(n);
    } else if (a == "--socket-dir") {
      o.socket_dir = v;
    } else if (a == "--data-dir") {
      o.data_dir = v;
    } else if (a == "--engine-kind" && parse_engine_kind(v, &o.kind)) {
    } else {
      std::fprintf(stderr, "orvane-fgbridge: bad option %s %s\n%s", argv[i - 1], v, kHelp);
      return 2;
    }
  }
  if (o.socket_dir.empty()) o.socket_dir = fsuipc_default_socket_dir();
  if (o.data_dir.empty()) o.data_dir = default_data_dir();
  return -1;
}

std::string fgfs_options(const BridgeOptions& o) {
  return "--data=" + o.data_dir + " --generic=socket,out," + std::to_string(o.rate_hz) +
         ",127.0.0.1," + std::to_string(o.port) + ",udp,orvane";
}

}  // namespace orvane::fgbridge
