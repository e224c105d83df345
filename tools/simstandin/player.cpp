// Player: the clock-driven thread that encodes the flight model's state into offsets.
#include "simstandin/player.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

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

Player::Player(model::FlightModel model, OffsetMemory& memory, StandinServer* server, double speed)
    : model_(std::move(model)), memory_(memory), server_(server), speed_(speed) {
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
  }
  return "event";
}

model::AircraftState Player::apply(double t) {
  std::lock_guard<std::mutex> g(apply_mutex_);
  const model::AircraftState state = model_.at(t);
  encode_state(state, memory_);

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
  std::unique_lock<std::mutex> lock(run_mutex_);
  while (!stop_) {
    const double t = static_cast<double>(clock().now_ms() - start_ms) / 1000.0 * speed_;
    lock.unlock();
    apply(t);
    lock.lock();
    clock().wait_for(run_cv_, lock, kTickMs, [this] { return stop_; });
  }
}

}  // namespace orvane::standin
