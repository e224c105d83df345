// orvane-fgbridge: serves FlightGear's aircraft to ORVANE as FSUIPC offsets over its link.
// SPDX-License-Identifier: MIT
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fgbridge/bridge.h"
#include "fgbridge/bridge_options.h"
#include "fgbridge/udp_feed.h"
#include "sim/fsuipc_link.h"

namespace {

std::atomic<bool> stop_requested{false};

extern "C" void on_signal(int) { stop_requested.store(true); }

void say(const std::string& line) {
  std::printf("orvane-fgbridge: %s\n", line.c_str());
  std::fflush(stdout);
}

std::int64_t mono_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  orvane::fgbridge::BridgeOptions o;
  if (const int rc = orvane::fgbridge::parse_bridge_options(argc, argv, o); rc >= 0) return rc;
  if (o.print_fgfs_options) {
    std::printf("%s\n", orvane::fgbridge::fgfs_options(o).c_str());
    return 0;
  }

  struct sigaction sa {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  orvane::fgbridge::UdpFeed feed;
  if (!feed.open(o.port)) {
    std::fprintf(stderr, "orvane-fgbridge: %s\n", feed.error().c_str());
    return 1;
  }
  orvane::standin::OffsetMemory memory;
  orvane::standin::StandinServer server(memory, o.socket_dir);
  orvane::fgbridge::Bridge bridge(memory, server, o.kind, o.engines, o.lost_after_s * 1000,
                                  say);
  server.set_on_link([](const std::string& name) { say("ORVANE linked through " + name); });

  const std::string hint = "start FlightGear with " + orvane::fgbridge::fgfs_options(o);
  say("waiting for FlightGear on udp 127.0.0.1:" + std::to_string(o.port) + "; " + hint);
  std::int64_t last_hint = mono_ms();
  std::string datagram;
  while (!stop_requested.load()) {
    const std::int64_t now = mono_ms();
    if (feed.receive(&datagram, 250)) {
      bridge.on_datagram(datagram, mono_ms());
    } else {
      const bool was_serving = bridge.serving();
      bridge.on_idle(now);
      if (was_serving && !bridge.serving()) last_hint = now;
    }
    if (!bridge.serving() && now - last_hint >= 30000) {
      say("FlightGear is not there: nothing on udp 127.0.0.1:" + std::to_string(o.port) +
          "; " + hint);
      last_hint = now;
    }
  }
  bridge.stop();
  say("stopped (" + std::to_string(bridge.samples()) + " lines from FlightGear)");
  return 0;
}
