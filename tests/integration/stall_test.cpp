// End-to-end flights with a simulator that stalls: hangs on the link, a long pause with its
// counter frozen, a frozen counter without a pause, and the window asking meanwhile.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "integration/integration_fixture.h"
#include "integration/scenarios.h"
#include "sim/fsuipc_client.h"

namespace orvane {
namespace {

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

class StallTest : public test::IntegrationTest {
 protected:
  // Milliseconds per send attempt while the stand-in hangs: a time-out of nine attempts
  // then takes 0.2 s of real time instead of 18 s.
  static constexpr std::uint32_t kAttemptMs = 20;

  void TearDown() override {
    fsuipc_set_send_timeout_ms(2000);
    IntegrationTest::TearDown();
  }

  bool hungAt(double t) const { return player_->model().at(t).hung; }

  // Cycles until flight time `until`; every cycle with the stand-in hung must leave the
  // flight as it was and queue nothing, unless it ends the flight. Returns the number of
  // such cycles.
  int flyThroughHang(double until) {
    int hung = 0;
    while (flightTime() < until) {
      const bool stalled = hungAt(flightTime());
      const std::size_t queued = lastQueue_.size();
      const int state = ORVANE::getState();
      if (!cycle()) break;
      if (!stalled || state == FlightState::FINAL) continue;
      ++hung;
      if (ORVANE::getState() == FlightState::FINAL) {
        // Given up: the end of the flight is all that is queued.
        EXPECT_EQ(lastQueue_.size(), queued + 1) << flightTime();
        continue;
      }
      EXPECT_EQ(ORVANE::getState(), state) << flightTime();
      EXPECT_EQ(lastQueue_.size(), queued) << flightTime();
    }
    return hung;
  }

  // Cycles until the flight object is discarded; returns the flight time of the cycle that
  // ended the flight (-1 if it did not end in time). The queue seen after that cycle may
  // lack its ENDFLIGHT: the send thread can post it and stop within the same cycle.
  double flyUntilEnded() {
    double endedAt = -1;
    for (int i = 0; i < 400; ++i) {
      const double t = flightTime();
      const bool tracked = cycle();
      if (endedAt < 0 && (!tracked || ORVANE::getState() == FlightState::FINAL)) endedAt = t;
      if (!tracked) return endedAt;
    }
    return -1;
  }

  // No message carries a fuel figure of zero (what a failed read would give).
  void expectNoZeroFuel() const {
    for (const std::string& m : lastQueue_) {
      EXPECT_FALSE(has(m, "/FOB 0\n") || has(m, "/FOB 0 ")) << m;
    }
  }

  void hangMidCruiseAndLand(int seconds) {
    fsuipc_set_send_timeout_ms(kAttemptMs);
    loadSettings(true, 5);
    startFlight(test::pausingFlight() + "event 250 hang " + std::to_string(seconds) + "\n");
    flyUntil(245);
    ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
    const int hung = flyThroughHang(250 + seconds + 10);
    EXPECT_GE(hung, seconds / 6);  // a cycle every 5 s plus the 0.9 s each time-out sleeps
    EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
    ASSERT_TRUE(flyToTheEnd());
    expectServerGotTheQueue();
    EXPECT_EQ(queuedWith("\nON "), 1u);
    EXPECT_EQ(queuedWith("\nIN "), 1u);
    EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
    expectNoZeroFuel();
    EXPECT_TRUE(logHas("Message: [Processing Query for Offset [0x840] returned error: [IPC "
                       "timed out all retries]]"));
    EXPECT_TRUE(logHas("Message: [No values from the flight simulator.]"));
    EXPECT_FALSE(logHas("not connected at time ["));
    EXPECT_FALSE(logHas("No connection to flight simulator."));
    ASSERT_TRUE(ORVANE::PIREPDataAvailable());
    const PIREPData p = ORVANE::getPIREPData();
    EXPECT_NE(p.FL, "0");
    EXPECT_NE(p.DestinLat, "0");
  }
};

TEST_F(StallTest, HangOf25SecondsInCruiseTheFlightGoesOn) { hangMidCruiseAndLand(25); }

TEST_F(StallTest, HangOf55SecondsInCruiseTheFlightGoesOn) { hangMidCruiseAndLand(55); }

TEST_F(StallTest, HangOf70SecondsInCruiseSuspendsTheFlightWhichResumesAndLands) {
  fsuipc_set_send_timeout_ms(kAttemptMs);
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 250 hang 70\n");
  flyUntil(245);
  while (!hungAt(flightTime())) cycle();
  const std::size_t before = lastQueue_.size();
  double suspendedAt = -1;
  while (hungAt(flightTime())) {
    const double t = flightTime();
    ASSERT_TRUE(cycle());
    if (suspendedAt < 0 && ORVANE::getFlightHold().suspended) suspendedAt = t;
    EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  }
  // Nothing was queued while the simulator hung; it was given up about a minute in.
  EXPECT_EQ(lastQueue_.size(), before);
  EXPECT_GE(suspendedAt - 250, 60);
  EXPECT_LE(suspendedAt - 250, 73);
  EXPECT_TRUE(logHas("Message: [not connected at time ["));
  EXPECT_TRUE(logHas("Message: [No connection to flight simulator.]"));
  // The aircraft flew on meanwhile, a few miles: near enough, the flight resumes.
  for (int i = 0; i < 10 && ORVANE::getFlightHold().suspended; ++i) cycle();
  EXPECT_FALSE(ORVANE::getFlightHold().suspended);
  EXPECT_EQ(queuedWith("\nSIM LOST "), 1u);
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("\nON "), 1u);
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
  expectNoZeroFuel();
}

TEST_F(StallTest, TenMinutePauseWithTheCounterFrozenIsTakenOutOfTheTimes) {
  loadSettings(true, 5);
  startFlight(test::held(test::pausingFlight(), 250, 600) +
              "event 250 pause\nevent 250 freeze\nevent 850 unfreeze\nevent 850 resume\n");
  flyUntil(845);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_TRUE(ORVANE::isConnectedToSim());
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_FALSE(logHas("not connected at time ["));
  EXPECT_EQ(queuedWith("&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1"), 1u);
  EXPECT_EQ(queuedWith("&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0"), 1u);
  EXPECT_EQ(queuedWith("\nIN "), 1u);
  long paused = 0;
  for (std::size_t i = 0; i < lastQueue_.size(); ++i) {
    if (has(lastQueue_[i], "&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1")) paused -= queuedAt_[i];
    if (has(lastQueue_[i], "&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0")) paused += queuedAt_[i];
  }
  EXPECT_NEAR(paused, 600, 6);
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  const PIREPData p = ORVANE::getPIREPData();
  const long out = std::stol(p.Out), off = std::stol(p.Off), on = std::stol(p.On),
             in = std::stol(p.In);
  const auto minutes = [](const std::string& hm) {
    return std::stol(hm.substr(0, hm.find(':'))) * 60 + std::stol(hm.substr(hm.find(':') + 1));
  };
  // Whole minutes in the report; allow the second the pause reads may differ by.
  EXPECT_GE(minutes(p.BlockTime), (in - out - paused - 2) / 60) << p.BlockTime;
  EXPECT_LE(minutes(p.BlockTime), (in - out - paused + 2) / 60) << p.BlockTime;
  EXPECT_GE(minutes(p.FliteTime), (on - off - paused - 2) / 60) << p.FliteTime;
  EXPECT_LE(minutes(p.FliteTime), (on - off - paused + 2) / 60) << p.FliteTime;
  EXPECT_GT(in - out, 1200);  // the pause is in the clock times, not in the block time
  EXPECT_LT(minutes(p.BlockTime), 12);
}

TEST_F(StallTest, FrozenCounterWithoutPauseIsToldOnceAndTheFlightGoesOn) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 250 freeze\n");
  flyUntil(305);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);  // 55 s frozen: nothing said yet
  EXPECT_FALSE(logHas("seems to be loading or frozen"));
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  const std::string log = logText();
  const std::string notice = "Message: [The flight simulator seems to be loading or frozen";
  const std::size_t first = log.find(notice);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(log.find(notice, first + 1), std::string::npos);  // told once
  EXPECT_FALSE(logHas("Message: [not connected at time ["));
  EXPECT_FALSE(logHas("Message: [No connection to flight simulator.]"));
  EXPECT_EQ(queuedWith("\nIN "), 1u);
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

// What the window asks between cycles must not wait for a cycle that waits on a hung
// simulator: each question is answered while the cycle is still inside the link.
TEST_F(StallTest, WindowQuestionsAreAnsweredWhileTheCycleWaitsOnAHungSimulator) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight());
  flyUntil(245);
  ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  sim_->set_silent(true);  // 2 s per attempt, nine attempts: the cycle waits about 18 s
  const std::uint64_t before = sim_->messages();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ORVANE::cycleOnce();
    done = true;
  });
  const bool inLink = test::eventually([&] { return sim_->messages() > before; }, 10000);
  EXPECT_TRUE(inLink);
  EXPECT_TRUE(ORVANE::isConnectedToSim());
  EXPECT_FALSE(ORVANE::isOnGround());
  EXPECT_TRUE(ORVANE::EnginesRunning());
  EXPECT_FALSE(ORVANE::isSlewing());
  EXPECT_FALSE(ORVANE::isFlightCrashed());
  SFlightData d;
  d.sCallsign = "ABC124";
  ORVANE::setStaticData(d);
  EXPECT_FALSE(done.load());  // every answer came while the cycle was still in the link
  sim_->set_silent(false);
  worker.join();
  EXPECT_TRUE(done.load());
  std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
  FlightState* f = ORVANE::currentFlight();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->getState(), FlightState::CRUISING);
}

}  // namespace
}  // namespace orvane
