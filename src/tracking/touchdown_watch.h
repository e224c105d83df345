// TouchdownWatch: finds the touchdown and its bounces among a flight's cycles and records them.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "records/touchdown.h"
#include "sim/flightdata.h"

namespace orvane {

// Fed once per cycle from take-off to the end of the taxi in, with the values read this
// cycle. A cycle on the ground after one in the air is a contact: the first is the
// touchdown, each later one within Touchdown::kBounceSeconds of the contact before is a
// bounce, and one after longer in the air (the next landing of a touch-and-go) is a new
// touchdown. The rate is the simulator's own (latched at the moment of touchdown) where the
// source keeps it, else the last vertical speed sampled in the air.
class TouchdownWatch {
 public:
  enum class Seen { NOTHING, TOUCHDOWN, BOUNCE };

  // sampledFpm: the last vertical speed sampled in the air before this cycle. monoMs: the
  // monotonic clock; nowSeconds: the wall clock. Publishes what it records (see
  // lastTouchdown).
  Seen sample(FlightData& data, double sampledFpm, std::int64_t monoMs, std::int64_t nowSeconds);
  const Touchdown& touchdown() const { return touchdown_; }

  // The log line of a touchdown or of its latest bounce.
  static std::string describe(const Touchdown& t, Seen seen);

 private:
  Touchdown touchdown_;
  bool airborne_ = false;
  std::int64_t lastContactMs_ = 0;
};

// The touchdown the current or last flight recorded, for the engine facade and the PIREP
// review. Process-wide under its own lock, any thread: published as each contact is
// recorded, cleared (not recorded) when a flight begins.
void publishTouchdown(const Touchdown& t);
Touchdown lastTouchdown();

}  // namespace orvane
