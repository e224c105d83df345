// ClockJump: the clocks' readings at the worker's last pass; tells a wall-clock step from a stall.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

namespace orvane {

// A slow pass or a stalled worker moves the wall clock and the monotonic clock alike; a step
// of the wall clock (the pilot or the system setting the time) moves only the wall clock.
// Any thread; the lock is a leaf.
class ClockJump {
 public:
  // Takes the clocks' readings (milliseconds) and returns how much further the wall clock
  // moved than the monotonic clock since the previous readings (negative: less far); none at
  // the first readings.
  std::optional<std::int64_t> step(std::int64_t wallMs, std::int64_t monoMs);
  // The step to report, in whole seconds rounded to the nearest, when it is beyond the
  // worker's tolerance: more than two loop intervals ahead, or behind by more than half of
  // one (half an interval in whole seconds, rounded down).
  static std::optional<long> beyondTolerance(std::int64_t stepMs, std::int64_t intervalSeconds);
  // The next readings are the first again.
  void reset();

 private:
  std::mutex lock_;
  bool read_ = false;         // lock_
  std::int64_t wallMs_ = 0;  // lock_
  std::int64_t monoMs_ = 0;  // lock_
};

}  // namespace orvane
