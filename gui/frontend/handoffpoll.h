// HandOffPoll: a timer-driven look at an engine hand-off that ends at the outcome or at a bound.
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "util/clock.h"

namespace orvane {

// The window never waits in a loop for an answer the engine hands over later (a flight
// plan, a PIREP's outcome): it looks once per timer tick and keeps working in between.
// Window thread.
class HandOffPoll : public QObject {
  Q_OBJECT

 public:
  HandOffPoll(int intervalMs, QObject* parent);

  // Looks every interval: ends with done(true) at the first look that returns true, or with
  // done(false) at the first tick once boundMs have passed on clock since the start. The
  // first look is one interval after the start. A poll under way is replaced, without its
  // done. done runs after the timer has stopped, so it may show a box or start a new poll.
  void start(Clock& clock, std::int64_t boundMs, std::function<bool()> look,
             std::function<void(bool arrived)> done);
  // Ends the poll under way, without its done.
  void stop();
  bool active() const { return timer_.isActive(); }

 private:
  void tick();

  QTimer timer_;
  Clock* clock_ = nullptr;
  std::int64_t deadlineMs_ = 0;  // monotonic, on clock_
  std::function<bool()> look_;
  std::function<void(bool)> done_;
};

}  // namespace orvane
