// RateEpisode: how long a fast or slewing simulator lasts, and the texts that record it.
// SPDX-License-Identifier: MIT
#include "tracking/rate_episode.h"

#include <cmath>
#include <cstdio>

#include "acars/message_format.h"
#include "util/util.h"

namespace orvane {

namespace {

// A rate as the simulator shows it: "2", "0.5", "1.25".
std::string rateText(double rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", rate);
  return text;
}

}  // namespace

void RateEpisode::fast(double rate, bool slew, std::int64_t now_ms, std::time_t t) {
  if (!active_) {
    active_ = true;
    since_ms_ = now_ms;
    since_ = t;
    max_rate_ = 1.0;
    slew_ = false;
  }
  if (rate > max_rate_) max_rate_ = rate;
  if (slew) slew_ = true;
}

bool RateEpisode::expired(std::int64_t now_ms) const {
  return active_ && now_ms - since_ms_ > std::int64_t{kAllowedSeconds} * 1000;
}

int RateEpisode::end(std::int64_t now_ms) {
  active_ = false;
  const std::int64_t ms = now_ms - since_ms_;
  return ms < 0 ? 0 : static_cast<int>((ms + 500) / 1000);
}

std::string RateEpisode::line(int seconds) const {
  std::string what;
  if (max_rate_ > 1.0) what = "SIM RATE " + rateText(max_rate_) + "X";
  if (slew_) what += std::string(what.empty() ? "" : " ") + "SLEW";
  if (what.empty()) what = "SIM RATE ABOVE 1X";  // a source that tells no rate
  return what + " " + format_time(static_cast<long>(since_)) + " /FOR " + to_str(seconds) +
         " SEC";
}

std::string RateEpisode::startText() const {
  std::string what = slew_ ? "Slew mode" : "Simulation rate " + rateText(max_rate_);
  if (slew_ && max_rate_ > 1.0) what += " at simulation rate " + rateText(max_rate_);
  return what + ": tracking pauses; back to 1x within " + to_str(kAllowedSeconds) +
         " s and the flight goes on.";
}

}  // namespace orvane
