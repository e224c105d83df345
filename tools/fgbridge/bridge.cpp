// Bridge: the served link's life, following FlightGear's feed.
// SPDX-License-Identifier: MIT
#include "fgbridge/bridge.h"

#include <cstdio>
#include <utility>

namespace orvane::fgbridge {

Bridge::Bridge(OffsetMemory& memory, StandinServer& server, EngineKind kind, int engines,
               std::int64_t lost_after_ms, Report report)
    : memory_(memory),
      server_(server),
      encoder_(kind, engines),
      engines_(engines),
      lost_after_ms_(lost_after_ms),
      report_(std::move(report)) {}

void Bridge::on_datagram(std::string_view datagram, std::int64_t now_ms) {
  FgSample s;
  if (!parse_sample(datagram, &s)) {
    ++rejected_;
    if (!rejected_told_) {
      rejected_told_ = true;
      report_("a line from FlightGear does not read as ORVANE's protocol (" +
              std::to_string(kFieldCount) +
              " tab-separated fields): is fgfs sending with --generic=...,orvane and "
              "ORVANE's orvane.xml?");
    }
    return;
  }
  last_ms_ = now_ms;
  ++samples_;
  if (!serving_) encoder_.reset();
  encoder_.encode(s, memory_);
  if (s.crashed != crashed_) {
    crashed_ = s.crashed;
    report_(crashed_ ? "FlightGear says the aircraft crashed" : "the crash is over");
  }
  if (s.paused != paused_) {
    paused_ = s.paused;
    report_(paused_ ? "FlightGear is paused" : "FlightGear runs again");
  }
  if (serving_) return;
  if (!server_.start()) {
    if (!start_failed_) report_("cannot serve the link: " + server_.error());
    start_failed_ = true;
    return;
  }
  start_failed_ = false;
  serving_ = true;
  int engines = 0;
  for (std::size_t i = 0; i < kMaxEngines; ++i)
    engines += s.engines[i].present && (engines_ == 0 || static_cast<int>(i) < engines_) ? 1 : 0;
  report_("FlightGear is there (aircraft " + (s.aircraft.empty() ? "?" : s.aircraft) +
          ", callsign " + (s.callsign.empty() ? "?" : s.callsign) + ", " +
          std::to_string(engines) + " engine(s), " + engine_kind_name(encoder_.kind()) +
          "): serving FSUIPC at " + server_.socket_path());
}

void Bridge::on_idle(std::int64_t now_ms) {
  if (!serving_ || now_ms - last_ms_ < lost_after_ms_) return;
  server_.stop();
  serving_ = false;
  report_("FlightGear stopped sending (nothing for " + std::to_string(lost_after_ms_ / 1000) +
          " s): the link is closed until it sends again");
}

void Bridge::stop() {
  server_.stop();
  serving_ = false;
}

}  // namespace orvane::fgbridge
