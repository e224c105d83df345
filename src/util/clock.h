// The process clock: wall-clock seconds and sleeping, replaceable by a manual clock in tests.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <set>

namespace orvane {

class Clock {
 public:
  virtual ~Clock() = default;
  // Wall clock in milliseconds since 1970-01-01 UTC. May jump either way when the system
  // time is set.
  virtual std::int64_t now_ms() = 0;
  // Monotonic milliseconds from an arbitrary origin: never jumps, never goes back. Use it
  // for every duration and time-out, so that setting the system time neither lengthens nor
  // cuts them.
  virtual std::int64_t mono_ms() = 0;
  // Blocks the caller for ms milliseconds of monotonic time.
  virtual void sleep_ms(std::int64_t ms) = 0;
  // Waits on cv (lock held by the caller) until pred() holds or ms of monotonic time have
  // passed; returns pred(). Woken by notifications of cv and, for a manual clock, by every
  // move of the clock.
  virtual bool wait_for(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                        std::int64_t ms, const std::function<bool()>& pred) = 0;

  std::time_t now() { return static_cast<std::time_t>(now_ms() / 1000); }
};

// The real clock: system time and real sleeping.
class SystemClock final : public Clock {
 public:
  std::int64_t now_ms() override;
  std::int64_t mono_ms() override;
  void sleep_ms(std::int64_t ms) override;
  bool wait_for(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, std::int64_t ms,
                const std::function<bool()>& pred) override;
};

// A clock that only moves when told to. sleep_ms moves it forward by the time slept, so
// that code sleeping on the calling thread runs at once; threads that must wait for the
// test to move time use wait_for. The wall and the monotonic time move together, except
// in a jump (jump_ms, set_ms, or advance_ms with a negative amount), which moves the wall
// time alone. Safe to use from several threads.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::int64_t start_ms = 1783000000000);  // 2026-07-02 13:46:40 UTC
  std::int64_t now_ms() override;
  std::int64_t mono_ms() override;
  void sleep_ms(std::int64_t ms) override;
  bool wait_for(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, std::int64_t ms,
                const std::function<bool()>& pred) override;

  // Lets ms of time pass and wakes every waiter. A negative ms is a jump back of the wall
  // time alone.
  void advance_ms(std::int64_t ms);
  void advance(std::int64_t seconds) { advance_ms(seconds * 1000); }
  // The system time is set: the wall time moves by ms (either way), no time passes.
  void jump_ms(std::int64_t ms);
  void jump(std::int64_t seconds) { jump_ms(seconds * 1000); }
  // Sets the wall time, as a jump.
  void set_ms(std::int64_t ms);

 private:
  void wake_all();

  std::atomic<std::int64_t> now_{0};
  std::atomic<std::int64_t> mono_{0};
  std::mutex waiters_mutex_;                      // guards waiters_
  std::multiset<std::condition_variable*> waiters_;
};

// The clock in use; the system clock unless a test installed another one.
Clock& clock();
// Installs c (nullptr restores the system clock). The caller keeps c alive while it is
// installed.
void set_clock(Clock* c);

// Installs a clock for the lifetime of the guard.
class ScopedClock {
 public:
  explicit ScopedClock(Clock& c) { set_clock(&c); }
  ~ScopedClock() { set_clock(nullptr); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace orvane
