// The process clock: the system clock, the manual test clock and the installed-clock switch.
// SPDX-License-Identifier: MIT
#include "util/clock.h"

#include <thread>

namespace orvane {

namespace {

SystemClock system_clock_instance;
std::atomic<Clock*> installed{nullptr};

// A manual clock cannot be sure that a move of time reaches a waiter that is just about to
// block, so waiters also look at the clock again after this much real time.
constexpr auto kManualRecheck = std::chrono::milliseconds(20);

}  // namespace

std::int64_t SystemClock::now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::mono_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::sleep_ms(std::int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SystemClock::wait_for(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           std::int64_t ms, const std::function<bool()>& pred) {
  if (ms < 0) ms = 0;
  return cv.wait_for(lock, std::chrono::milliseconds(ms), pred);
}

ManualClock::ManualClock(std::int64_t start_ms) : now_(start_ms) {}

std::int64_t ManualClock::now_ms() { return now_.load(); }

std::int64_t ManualClock::mono_ms() { return mono_.load(); }

void ManualClock::sleep_ms(std::int64_t ms) {
  if (ms > 0) advance_ms(ms);
}

bool ManualClock::wait_for(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           std::int64_t ms, const std::function<bool()>& pred) {
  const std::int64_t deadline = mono_.load() + (ms < 0 ? 0 : ms);
  {
    std::lock_guard<std::mutex> g(waiters_mutex_);
    waiters_.insert(&cv);
  }
  bool result = pred();
  while (!result && mono_.load() < deadline) {
    cv.wait_for(lock, kManualRecheck);
    result = pred();
  }
  {
    std::lock_guard<std::mutex> g(waiters_mutex_);
    waiters_.erase(waiters_.find(&cv));
  }
  return result;
}

void ManualClock::advance_ms(std::int64_t ms) {
  now_.fetch_add(ms);
  if (ms > 0) mono_.fetch_add(ms);
  wake_all();
}

void ManualClock::jump_ms(std::int64_t ms) {
  now_.fetch_add(ms);
  wake_all();
}

void ManualClock::set_ms(std::int64_t ms) {
  now_.store(ms);
  wake_all();
}

void ManualClock::wake_all() {
  std::lock_guard<std::mutex> g(waiters_mutex_);
  for (std::condition_variable* cv : waiters_) cv->notify_all();
}

Clock& clock() {
  Clock* c = installed.load();
  return c ? *c : system_clock_instance;
}

void set_clock(Clock* c) { installed.store(c); }

}  // namespace orvane
