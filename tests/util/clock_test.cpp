// Tests of the clock seam: the manual clock and installing it.
// SPDX-License-Identifier: MIT
#include "util/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace orvane {
namespace {

// Bound for waiting on a real background thread; never reached when things work.
constexpr auto kRealBound = std::chrono::seconds(5);

TEST(ManualClock, MovesOnlyWhenTold) {
  ManualClock c(5000);
  EXPECT_EQ(c.now_ms(), 5000);
  EXPECT_EQ(c.now(), 5);
  c.advance(2);
  EXPECT_EQ(c.now_ms(), 7000);
  c.advance_ms(-1500);  // a jump back
  EXPECT_EQ(c.now_ms(), 5500);
  c.set_ms(1783000000000);
  EXPECT_EQ(c.now(), 1783000000);
}

TEST(ManualClock, AJumpMovesTheWallTimeButNotTheMonotonicTime) {
  ManualClock c(5000);
  const std::int64_t m0 = c.mono_ms();
  c.advance(2);
  EXPECT_EQ(c.mono_ms() - m0, 2000);
  c.jump(3600);
  c.jump(-7200);
  c.advance_ms(-1500);
  c.set_ms(1783000000000);
  EXPECT_EQ(c.mono_ms() - m0, 2000);
  EXPECT_EQ(c.now_ms(), 1783000000000);
}

TEST(ManualClock, WaitForMeasuresItsLimitInMonotonicTime) {
  ManualClock c(0);
  std::mutex m;
  std::condition_variable cv;
  std::unique_lock<std::mutex> lock(m);
  // A jump forward by an hour must not end a one-minute wait.
  std::future<bool> waiter = std::async(std::launch::async, [&] {
    std::mutex m2;
    std::unique_lock<std::mutex> l2(m2);
    return c.wait_for(cv, l2, 60000, [] { return false; });
  });
  c.jump(3600);
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  c.advance(60);
  ASSERT_EQ(waiter.wait_for(kRealBound), std::future_status::ready);
  EXPECT_FALSE(waiter.get());
}

TEST(SystemClock, MonotonicTimeNeverGoesBack) {
  SystemClock c;
  std::int64_t last = c.mono_ms();
  for (int i = 0; i < 1000; ++i) {
    const std::int64_t now = c.mono_ms();
    ASSERT_GE(now, last);
    last = now;
  }
}

TEST(ManualClock, SleepMovesTheClockByTheTimeSlept) {
  ManualClock c(0);
  c.sleep_ms(2500);
  EXPECT_EQ(c.now_ms(), 2500);
  c.sleep_ms(0);
  c.sleep_ms(-10);
  EXPECT_EQ(c.now_ms(), 2500);
}

TEST(ManualClock, WaitForReturnsAtOnceWhenTheConditionHolds) {
  ManualClock c(0);
  std::mutex m;
  std::condition_variable cv;
  std::unique_lock<std::mutex> lock(m);
  EXPECT_TRUE(c.wait_for(cv, lock, 60000, [] { return true; }));
  EXPECT_FALSE(c.wait_for(cv, lock, 0, [] { return false; }));
  EXPECT_EQ(c.now_ms(), 0);
}

TEST(ManualClock, WaitForEndsWhenTheClockPassesTheTimeLimit) {
  ManualClock c(0);
  std::mutex m;
  std::condition_variable cv;
  std::condition_variable started_cv;
  bool started = false;  // guarded by m
  auto waiter = std::async(std::launch::async, [&] {
    std::unique_lock<std::mutex> lock(m);
    started = true;
    started_cv.notify_all();
    // m is released only inside wait_for, after the time limit has been taken.
    return c.wait_for(cv, lock, 10000, [] { return false; });
  });
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(started_cv.wait_for(lock, kRealBound, [&] { return started; }));
  }
  // Moving less than the limit leaves the waiter waiting.
  c.advance_ms(9999);
  EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  c.advance_ms(1);
  const bool ended = waiter.wait_for(kRealBound) == std::future_status::ready;
  EXPECT_TRUE(ended);
  if (!ended) c.advance_ms(1000000000);  // release the waiter so the test can end
  EXPECT_FALSE(waiter.get());
}

TEST(ManualClock, WaitForWakesOnNotification) {
  ManualClock c(0);
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;  // guarded by m
  auto waiter = std::async(std::launch::async, [&] {
    std::unique_lock<std::mutex> lock(m);
    return c.wait_for(cv, lock, 60000, [&] { return ready; });
  });
  {
    std::lock_guard<std::mutex> g(m);
    ready = true;
  }
  cv.notify_all();
  ASSERT_EQ(waiter.wait_for(kRealBound), std::future_status::ready);
  EXPECT_TRUE(waiter.get());
  EXPECT_EQ(c.now_ms(), 0);
}

TEST(ScopedClock, InstallsForItsLifetime) {
  ManualClock manual(42000);
  {
    ScopedClock installed(manual);
    EXPECT_EQ(&clock(), &manual);
    EXPECT_EQ(clock().now(), 42);
    clock().sleep_ms(1000);
    EXPECT_EQ(manual.now_ms(), 43000);
  }
  EXPECT_NE(&clock(), &manual);
  // The system clock again: a present-day time, far from the manual one.
  EXPECT_GT(clock().now(), 1600000000);
}

}  // namespace
}  // namespace orvane
