// ClockJump: comparing the wall clock's advance with the monotonic clock's.
// SPDX-License-Identifier: MIT
#include "engine/clock_jump.h"

#include <cmath>

namespace orvane {

std::optional<std::int64_t> ClockJump::step(std::int64_t wallMs, std::int64_t monoMs) {
  std::lock_guard<std::mutex> g(lock_);
  const bool first = !read_;
  const std::int64_t stepMs = (wallMs - wallMs_) - (monoMs - monoMs_);
  read_ = true;
  wallMs_ = wallMs;
  monoMs_ = monoMs;
  if (first) return std::nullopt;
  return stepMs;
}

std::optional<long> ClockJump::beyondTolerance(std::int64_t stepMs, std::int64_t intervalSeconds) {
  if (stepMs > 2 * intervalSeconds * 1000 || stepMs < -(intervalSeconds / 2) * 1000)
    return static_cast<long>(std::llround(static_cast<double>(stepMs) / 1000.0));
  return std::nullopt;
}

void ClockJump::reset() {
  std::lock_guard<std::mutex> g(lock_);
  read_ = false;
}

}  // namespace orvane
