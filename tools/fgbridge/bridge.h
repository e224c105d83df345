// Bridge: FlightGear's feed turned into a served FSUIPC link, and told when it comes and goes.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "fgbridge/fg_encoder.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"

namespace orvane::fgbridge {

using standin::StandinServer;

// Serves the link while FlightGear sends: the first good line starts the server, a silence
// of lost_after_ms stops it (the socket goes, so ORVANE sees the simulator gone, as when
// the simulator's own process ends) until lines come again. Every change is said through
// the report function. Used from one thread.
class Bridge {
 public:
  using Report = std::function<void(const std::string&)>;

  // engines: how many engines are served, 0 for all.
  Bridge(OffsetMemory& memory, StandinServer& server, EngineKind kind, int engines,
         std::int64_t lost_after_ms, Report report);

  // One datagram of the feed, received at now_ms (any monotonic milliseconds).
  void on_datagram(std::string_view datagram, std::int64_t now_ms);
  // Called when no datagram came for a while: stops serving after the silence.
  void on_idle(std::int64_t now_ms);
  // Stops serving (at the end of the program).
  void stop();

  bool serving() const { return serving_; }
  std::uint64_t samples() const { return samples_; }
  std::uint64_t rejected() const { return rejected_; }
  const FgEncoder& encoder() const { return encoder_; }

 private:
  OffsetMemory& memory_;
  StandinServer& server_;
  FgEncoder encoder_;
  const int engines_;
  const std::int64_t lost_after_ms_;
  Report report_;
  bool serving_ = false;
  bool start_failed_ = false;
  std::int64_t last_ms_ = 0;
  std::uint64_t samples_ = 0;
  std::uint64_t rejected_ = 0;
  bool rejected_told_ = false;
  bool crashed_ = false;
  bool paused_ = false;
};

}  // namespace orvane::fgbridge
