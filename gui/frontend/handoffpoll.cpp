// HandOffPoll: the tick that looks at the hand-off, and the end at the outcome or the bound.
// SPDX-License-Identifier: MIT
#include "frontend/handoffpoll.h"

#include <utility>

namespace orvane {

HandOffPoll::HandOffPoll(int intervalMs, QObject* parent) : QObject(parent), timer_(this) {
  timer_.setInterval(intervalMs);
  connect(&timer_, &QTimer::timeout, this, &HandOffPoll::tick);
}

void HandOffPoll::start(Clock& clock, std::int64_t boundMs, std::function<bool()> look,
                        std::function<void(bool arrived)> done) {
  clock_ = &clock;
  deadlineMs_ = clock.mono_ms() + boundMs;
  look_ = std::move(look);
  done_ = std::move(done);
  timer_.start();
}

void HandOffPoll::stop() {
  timer_.stop();
  look_ = nullptr;
  done_ = nullptr;
}

void HandOffPoll::tick() {
  if (!look_) return;
  const bool arrived = look_();
  if (!arrived && clock_->mono_ms() < deadlineMs_) return;
  // Taken out first: done may start the next poll.
  std::function<void(bool)> done = std::move(done_);
  stop();
  if (done) done(arrived);
}

}  // namespace orvane
