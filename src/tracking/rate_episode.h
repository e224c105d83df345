// RateEpisode: a spell of simulation rate above 1x or slew while a flight is tracked.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace orvane {

// Cycle thread only. While the simulator runs faster than 1x or slews, the flight's figures
// are not tracked; a spell that ends within kAllowedSeconds is an episode the flight records,
// a longer one ends tracking.
class RateEpisode {
 public:
  static constexpr int kAllowedSeconds = 30;

  // The simulator runs at rate (1 = normal) and slews or not; now_ms on the monotonic clock,
  // t the wall time in seconds. Starts an episode or adds to the one under way.
  void fast(double rate, bool slew, std::int64_t now_ms, std::time_t t);
  bool active() const { return active_; }
  // The episode has lasted beyond kAllowedSeconds.
  bool expired(std::int64_t now_ms) const;
  // Ends the episode under way; returns its whole seconds.
  int end(std::int64_t now_ms);

  // The ACARS message line of the episode just ended, seconds long.
  std::string line(int seconds) const;
  // The log line when an episode starts.
  std::string startText() const;

 private:
  bool active_ = false;
  std::int64_t since_ms_ = 0;
  std::time_t since_ = 0;
  double max_rate_ = 1.0;
  bool slew_ = false;
};

}  // namespace orvane
