// HandOffPoll on the window's event loop: it ends at the outcome, at its bound on the clock
// it was given, or when stopped, and the window's events run between its looks.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QObject>

#include "frontend/handoffpoll.h"
#include "gui_support.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::waitFor;

class HandOffPollTest : public ::testing::Test {
 protected:
  // Starts a poll looking at handedOver_ with a bound of boundMs on the manual clock.
  void start(std::int64_t boundMs) {
    poll_.start(clock_, boundMs,
                [this] {
                  ++looks_;
                  return handedOver_;
                },
                [this](bool arrived) {
                  ++ends_;
                  arrived_ = arrived;
                  activeInDone_ = poll_.active();
                });
  }

  QObject owner_;
  HandOffPoll poll_{5, &owner_};  // looks every 5 ms
  ManualClock clock_;
  bool handedOver_ = false;
  int looks_ = 0;
  int ends_ = 0;
  bool arrived_ = false;
  bool activeInDone_ = true;
};

TEST_F(HandOffPollTest, EndsAtTheFirstLookThatFindsTheOutcome) {
  start(60000);
  EXPECT_TRUE(poll_.active());
  ASSERT_TRUE(waitFor([&] { return looks_ >= 3; }));
  EXPECT_EQ(ends_, 0);
  handedOver_ = true;
  ASSERT_TRUE(waitFor([&] { return ends_ == 1; }));
  EXPECT_TRUE(arrived_);
  EXPECT_FALSE(activeInDone_);  // the timer has stopped before done runs
  EXPECT_FALSE(poll_.active());
  const int looks = looks_;
  EXPECT_FALSE(waitFor([] { return false; }, 50));  // 50 ms of the window's events
  EXPECT_EQ(looks_, looks);  // no look after the end
  EXPECT_EQ(ends_, 1);
}

TEST_F(HandOffPollTest, EndsAtItsBoundOnItsClockWithoutTheOutcome) {
  start(1000);
  ASSERT_TRUE(waitFor([&] { return looks_ >= 3; }));
  clock_.advance_ms(999);
  const int looks = looks_;
  ASSERT_TRUE(waitFor([&] { return looks_ >= looks + 3; }));
  EXPECT_EQ(ends_, 0);  // one millisecond short of the bound
  clock_.advance_ms(1);
  ASSERT_TRUE(waitFor([&] { return ends_ == 1; }));
  EXPECT_FALSE(arrived_);
  EXPECT_FALSE(poll_.active());
}

TEST_F(HandOffPollTest, AnOutcomeFoundAtTheBoundStillCounts) {
  start(1000);
  handedOver_ = true;
  clock_.advance_ms(5000);
  ASSERT_TRUE(waitFor([&] { return ends_ == 1; }));
  EXPECT_TRUE(arrived_);
}

TEST_F(HandOffPollTest, StopEndsThePollWithoutItsDone) {
  start(1000);
  ASSERT_TRUE(waitFor([&] { return looks_ >= 1; }));
  poll_.stop();
  EXPECT_FALSE(poll_.active());
  handedOver_ = true;
  clock_.advance_ms(5000);
  const int looks = looks_;
  EXPECT_FALSE(waitFor([] { return false; }, 50));  // 50 ms of the window's events
  EXPECT_EQ(looks_, looks);
  EXPECT_EQ(ends_, 0);
}

TEST_F(HandOffPollTest, DoneMayStartTheNextPoll) {
  int secondEnds = 0;
  poll_.start(clock_, 1000, [] { return true; }, [&](bool) {
    ++ends_;
    poll_.start(clock_, 1000, [] { return true; }, [&](bool arrived) {
      secondEnds += arrived ? 1 : 0;
    });
  });
  ASSERT_TRUE(waitFor([&] { return secondEnds == 1; }));
  EXPECT_EQ(ends_, 1);
  EXPECT_FALSE(poll_.active());
}

}  // namespace
}  // namespace orvane
