// Player: the clock-driven thread that encodes the flight model's state into offsets.
// SPDX-License-Identifier: MIT
#include "simstandin/player.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "simstandin/offset_encoder.h"
#include "util/clock.h"

namespace orvane::standin {

namespace {

constexpr std::int64_t kTickMs = 50;  // clock time between two updates

std::string seconds_text(double t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f s", t);
  return buf;
}

}  // namespace

Player::Player(model::FlightModel model, OffsetMemory& memory, ConnectionSwitch* server, double speed)
    : model_(std::move(model)),
      memory_(memory),
      server_(server),
      speed_(speed),
      touchdowns_(model_.touchdowns()) {
  if (!(speed > 0.0) || !std::isfinite(speed)) {
    throw std::invalid_argument("speed must be a positive number");
  }
}

Player::~Player() { stop(); }

void Player::start() {
  std::lock_guard<std::mutex> g(run_mutex_);
  if (thread_.joinable()) return;
  stop_ = false;
  const std::int64_t start_ms = clock().now_ms();
  thread_ = std::thread([this, start_ms] { run(start_ms); });
}

void Player::stop() {
  std::thread t;
  {
    std::lock_guard<std::mutex> g(run_mutex_);
    stop_ = true;
    t.swap(thread_);
  }
  run_cv_.notify_all();
  if (t.joinable()) t.join();
}

void Player::set_report(Report report) {
  std::lock_guard<std::mutex> g(apply_mutex_);
  report_ = std::move(report);
}

void Player::set_traits(const SimulatorTraits& traits) {
  std::lock_guard<std::mutex> g(apply_mutex_);
  traits_ = traits;
}

std::string Player::describe(const model::Event& event) {
  using model::EventKind;
  switch (event.kind) {
    case EventKind::Pause:
      return "pause";
    case EventKind::Resume:
      return "resume";
    case EventKind::SlewOn:
      return "slew on";
    case EventKind::SlewOff:
      return "slew off";
    case EventKind::SimRate: {
      char buf[48];
      std::snprintf(buf, sizeof buf, "rate %g", event.value);
      return buf;
    }
    case EventKind::Crash:
      return "crash";
    case EventKind::Freeze:
      return "freeze";
    case EventKind::Unfreeze:
      return "unfreeze";
    case EventKind::Disconnect:
      return "disconnect";
    case EventKind::Reconnect:
      return "reconnect";
    case EventKind::Hang: {
      char buf[48];
      std::snprintf(buf, sizeof buf, "hang %g s", event.value);
      return buf;
    }
    case EventKind::HoldUntil:
      return "hold until " + event.path + " exists";
    case EventKind::Load: {
      char buf[48];
      std::snprintf(buf, sizeof buf, "load %g s", event.value);
      return buf;
    }
  }
  return "event";
}

model::AircraftState Player::apply(double t) {
  std::lock_guard<std::mutex> g(apply_mutex_);
  model::AircraftState state = model_.at(t);
  if (!state.frozen && held_s_ > 0.0) {
    // The counter goes on through a hold: the simulator is alive, only the flight waits.
    const double extra = std::floor(held_s_ * model::FlightModel::kActivityPerSecond);
    state.activity = static_cast<std::uint16_t>(
        (state.activity + static_cast<std::uint32_t>(std::fmod(extra, 65536.0))) & 0xFFFF);
  }
  encode_state(state, memory_, traits_);

  const auto& events = model_.events();
  if (next_event_ > 0 && next_event_ <= events.size() && events[next_event_ - 1].t > t) {
    // Played backwards: report from the first event after t on.
    next_event_ = 0;
    while (next_event_ < events.size() && events[next_event_].t <= t) ++next_event_;
  }
  for (; next_event_ < events.size() && events[next_event_].t <= t; ++next_event_) {
    if (report_)
      report_(seconds_text(events[next_event_].t) + ": " + describe(events[next_event_]));
  }
  if (next_touchdown_ > 0 && next_touchdown_ <= touchdowns_.size() &&
      touchdowns_[next_touchdown_ - 1].t > t) {
    next_touchdown_ = 0;
    while (next_touchdown_ < touchdowns_.size() && touchdowns_[next_touchdown_].t <= t)
      ++next_touchdown_;
  }
  for (; next_touchdown_ < touchdowns_.size() && touchdowns_[next_touchdown_].t <= t;
       ++next_touchdown_) {
    const model::Touchdown& td = touchdowns_[next_touchdown_];
    char buf[96];
    std::snprintf(buf, sizeof buf, "touchdown at %.1f fpm, %.2f G", td.vs, td.g);
    if (report_) report_(seconds_text(td.t) + ": " + buf);
  }

  if (server_ && hung_ != state.hung) {
    server_->set_silent(state.hung);
    hung_ = state.hung;
  }
  if (server_ && connected_ != state.connected) {
    if (state.connected) {
      server_->start();
    } else {
      server_->stop();
    }
    connected_ = state.connected;
  }

  flight_time_.store(t);
  const bool done = t >= model_.duration();
  if (done && !finished_.exchange(true) && report_) {
    report_(seconds_text(t) + ": scenario played out, holding the last state");
  }
  return state;
}

void Player::run(std::int64_t start_ms) {
  // The holds in flight-time order, and the clock time each has cost so far.
  std::vector<const model::Event*> holds;
  for (const model::Event& e : model_.events()) {
    if (e.kind == model::EventKind::HoldUntil) holds.push_back(&e);
  }
  std::size_t next_hold = 0;
  std::int64_t held_ms = 0;

  std::unique_lock<std::mutex> lock(run_mutex_);
  while (!stop_) {
    // The next pass is due kTickMs after this reading. Measured from here, a clock that
    // moves while this pass runs shortens the wait instead of being missed by it.
    const std::int64_t pass_mono = clock().mono_ms();
    const std::int64_t now = clock().now_ms();
    double t = static_cast<double>(now - start_ms - held_ms) / 1000.0 * speed_;
    bool holding = false;
    while (next_hold < holds.size() && holds[next_hold]->t <= t) {
      std::error_code ec;
      if (std::filesystem::exists(holds[next_hold]->path, ec)) {
        if (holding_.load()) {
          std::lock_guard<std::mutex> g(apply_mutex_);
          if (report_) report_(seconds_text(holds[next_hold]->t) + ": hold released");
        }
        holding_.store(false);
        ++next_hold;
        continue;
      }
      // Stand at the hold: everything past it is clock time spent waiting.
      const double hold_t = holds[next_hold]->t;
      held_ms = now - start_ms - static_cast<std::int64_t>(std::llround(hold_t * 1000.0 / speed_));
      t = hold_t;
      holding = true;
      break;
    }
    {
      std::lock_guard<std::mutex> g(apply_mutex_);
      held_s_ = static_cast<double>(held_ms) / 1000.0 * speed_;
    }
    lock.unlock();
    apply(t);
    // Told after the pass: a reader who sees the hold also sees the flight time it holds at.
    holding_.store(holding);
    lock.lock();
    clock().wait_for(run_cv_, lock, pass_mono + kTickMs - clock().mono_ms(),
                     [this] { return stop_; });
  }
}

}  // namespace orvane::standin
