// orvane-fsuipc-relay: serves ORVANE's FSUIPC link over TCP on 127.0.0.1 from inside the
// Wine or Proton prefix where FSUIPC runs, for the Linux ORVANE ([FSUIPC] Relay in orvane.ini).
// SPDX-License-Identifier: MIT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "relay/relay_service.h"
#include "relay/relay_socket.h"
#include "sim/fsuipc_link.h"

namespace {

constexpr int kDefaultPort = 9017;
// A client that stops halfway through a request is dropped after this long.
constexpr int kIoTimeoutMs = 10000;

void say(const std::string& line) {
  std::printf("orvane-fsuipc-relay: %s\n", line.c_str());
  std::fflush(stdout);
}

int usage(int rc) {
  std::fprintf(rc == 0 ? stdout : stderr,
               "usage: orvane-fsuipc-relay [--port PORT]"
#ifndef _WIN32
               " [--fsuipc-dir DIR]"
#endif
               "\n"
               "Serves FSUIPC to ORVANE on 127.0.0.1:PORT (default %d). In orvane.ini:\n"
               "  [FSUIPC]\n  Relay = 127.0.0.1:PORT\n",
               kDefaultPort);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  long port = kDefaultPort;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return usage(0);
    if (arg == "--version") {
      std::printf("orvane-fsuipc-relay %s\n", ORVANE_VERSION_TEXT);
      return 0;
    }
    if (arg == "--port" && i + 1 < argc) {
      char* end = nullptr;
      port = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || port < 1 || port > 65535) return usage(2);
#ifndef _WIN32
    } else if (arg == "--fsuipc-dir" && i + 1 < argc) {
      orvane::fsuipc_set_socket_dir(argv[++i]);
#endif
    } else {
      return usage(2);
    }
  }
  orvane::relay::Listener listener;
  if (!listener.listen(static_cast<std::uint16_t>(port))) {
    std::fprintf(stderr, "orvane-fsuipc-relay: %s\n", listener.error().c_str());
    return 1;
  }
  orvane::relay::RelayService service(orvane::make_fsuipc_link());
  service.set_report(say);
  say("serving FSUIPC on 127.0.0.1:" + std::to_string(port));
  for (;;) {
    auto c = listener.accept(1000, kIoTimeoutMs);
    if (c) service.serve(*c);
  }
}
