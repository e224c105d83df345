// Touchdown: what a flight recorded about its landing, for the PIREP review and the log.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace orvane {

struct Touchdown {
  bool recorded = false;  // false: the flight has not touched down (yet)
  // Vertical speed at touchdown, feet per minute, negative descending.
  double verticalSpeed = 0.0;
  // true: the simulator's own touchdown rate, latched at the moment of touchdown; false:
  // the last vertical speed sampled before it (a source that keeps no touchdown rate).
  bool simulatorRate = false;
  double gForce = 0.0;  // G at touchdown; 0 when the source has no G
  // Times the aircraft left the ground and touched it again within kBounceSeconds of the
  // contact before.
  int bounces = 0;
  double pitch = 0.0;        // degrees, nose up positive
  double bank = 0.0;         // degrees, right wing down positive
  double groundSpeed = 0.0;  // knots
  std::int64_t time = 0;     // seconds since the epoch, of the cycle that saw it

  static constexpr int kBounceSeconds = 10;
};

}  // namespace orvane
