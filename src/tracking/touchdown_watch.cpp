// TouchdownWatch: contacts, bounces and the touchdown's values; the last touchdown published.
// SPDX-License-Identifier: MIT
#include "tracking/touchdown_watch.h"

#include <cmath>
#include <cstdio>
#include <mutex>

namespace orvane {

namespace {

std::mutex published_lock;  // guards published
Touchdown published;

}  // namespace

TouchdownWatch::Seen TouchdownWatch::sample(FlightData& data, double sampledFpm,
                                            std::int64_t monoMs, std::int64_t nowSeconds) {
  if (!data.isOnGround()) {
    airborne_ = true;
    return Seen::NOTHING;
  }
  if (!airborne_) return Seen::NOTHING;  // still on the ground since the last contact
  airborne_ = false;
  Seen seen = Seen::TOUCHDOWN;
  if (touchdown_.recorded && monoMs - lastContactMs_ <= Touchdown::kBounceSeconds * 1000) {
    ++touchdown_.bounces;
    seen = Seen::BOUNCE;
  } else {
    Touchdown t;
    t.recorded = true;
    const std::optional<double> latched = data.getTouchdownVerticalSpeed();
    t.simulatorRate = latched.has_value();
    t.verticalSpeed = latched.value_or(sampledFpm);
    t.gForce = data.getGForce().value_or(0.0);
    t.pitch = data.getPitch();
    t.bank = data.getBank();
    t.groundSpeed = data.getGroundSpeed();
    t.time = nowSeconds;
    touchdown_ = t;
  }
  lastContactMs_ = monoMs;
  publishTouchdown(touchdown_);
  return seen;
}

std::string TouchdownWatch::describe(const Touchdown& t, Seen seen) {
  char text[200];
  if (seen == Seen::BOUNCE) {
    std::snprintf(text, sizeof text, "Touchdown bounced: [%d] time(s).", t.bounces);
  } else {
    std::snprintf(text, sizeof text,
                  "Touchdown: [%ld] fpm (%s), G: [%.2f], pitch: [%.1f], bank: [%.1f], "
                  "ground speed: [%ld] kts.",
                  static_cast<long>(std::trunc(t.verticalSpeed)),
                  t.simulatorRate ? "simulator" : "sampled", t.gForce, t.pitch, t.bank,
                  static_cast<long>(std::trunc(t.groundSpeed)));
  }
  return text;
}

void publishTouchdown(const Touchdown& t) {
  std::lock_guard<std::mutex> g(published_lock);
  published = t;
}

Touchdown lastTouchdown() {
  std::lock_guard<std::mutex> g(published_lock);
  return published;
}

}  // namespace orvane
