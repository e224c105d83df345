// End-to-end flights whose simulator goes away mid-flight (stopped, killed and restarted, back
// elsewhere) or runs faster than 1x for a while.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "integration/integration_fixture.h"
#include "integration/scenarios.h"
#include "sim/fsuipc_client.h"

namespace orvane {
namespace {

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

const std::string kResumes = " \u2014 the flight resumes when it is back near where it was";

class SuspendTest : public test::IntegrationTest {
 protected:
  // Milliseconds per send attempt while the stand-in hangs (a stopped simulator).
  static constexpr std::uint32_t kAttemptMs = 20;

  void TearDown() override {
    fsuipc_set_send_timeout_ms(2000);
    IntegrationTest::TearDown();
  }

  // Cycles until flight time t; every cycle must leave the flight tracked (never FINAL) and
  // queue nothing while it is suspended. Returns the text of the last suspended cycle.
  std::string flyWhileLost(double t) {
    std::string text;
    while (flightTime() < t) {
      const std::size_t queued = lastQueue_.size();
      const bool wasSuspended = ORVANE::getFlightHold().suspended;
      EXPECT_TRUE(cycle()) << flightTime();
      EXPECT_NE(ORVANE::getState(), FlightState::FINAL) << flightTime();
      const FlightHold h = ORVANE::getFlightHold();
      if (h.suspended) {
        text = h.suspendedText;
        ++suspendedCycles_;
        if (wasSuspended) {
          EXPECT_EQ(lastQueue_.size(), queued) << flightTime();
        }
      }
    }
    return text;
  }
  // Cycles until the flight is no longer suspended; false if it stays so for 20 cycles.
  bool cycleUntilResumed() {
    for (int i = 0; i < 20; ++i) {
      cycle();
      if (!ORVANE::getFlightHold().suspended) return true;
    }
    return false;
  }
  // Lands, checks the server's messages and sends the PIREP: the server holds one.
  void landAndSendThePIREP() {
    ASSERT_TRUE(flyToTheEnd());
    expectServerGotTheQueue();
    EXPECT_EQ(queuedWith("ENDFLIGHT|"), 1u);
    EXPECT_EQ(queuedWith("\nON "), 1u);
    EXPECT_EQ(queuedWith("\nIN "), 1u);
    ASSERT_TRUE(ORVANE::PIREPDataAvailable());
    const PIREPData p = ORVANE::getPIREPData();
    sendPIREP(p);
    EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
    EXPECT_EQ(airline_.count(kPirep), 1u);
  }

  int suspendedCycles_ = 0;
};

// The stand-in stops answering for five minutes in cruise (the aircraft holds still): the
// flight is suspended a minute in, resumes when the simulator answers again, lands and its
// PIREP is sent.
TEST_F(SuspendTest, StandinStoppedFiveMinutesInCruiseTheFlightIsSuspendedAndResumes) {
  fsuipc_set_send_timeout_ms(kAttemptMs);
  loadSettings(true, 5);
  startFlight(test::held(test::pausingFlight(), 250, 300) + "event 250 hang 300\n");
  flyUntil(245);
  ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  const std::string text = flyWhileLost(550);
  EXPECT_EQ(text, "Simulator lost at 14:04Z" + kResumes);
  EXPECT_GT(suspendedCycles_, 30);
  ASSERT_TRUE(cycleUntilResumed());
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_TRUE(logHas("Message: [No connection to flight simulator.]"));
  EXPECT_TRUE(logHas("Message: [Simulator lost at 14:04Z" + kResumes + "]"));
  EXPECT_TRUE(logHas("Message: [The simulator is back near where it was: the flight goes on.]"));
  // The gap is in an ACARS message of its own.
  ASSERT_EQ(queuedWith("\nSIM LOST 14:04Z /BACK 14:09Z /GAP "), 1u);
  for (const std::string& m : lastQueue_) {
    if (!has(m, "SIM LOST")) continue;
    EXPECT_EQ(m.rfind("DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=[", 0), 0u) << m;
    EXPECT_TRUE(has(m, "Msg Label: FT Block ID: 01 Msg No: M")) << m;
    EXPECT_TRUE(has(m, "\n/POS N49 ")) << m;
    EXPECT_TRUE(has(m, "\n/ALT 2800\n")) << m;
  }
  landAndSendThePIREP();
}

// The stand-in is killed in cruise and started again two minutes later with the aircraft
// where it was: the flight is suspended, resumes, and its PIREP is sent.
TEST_F(SuspendTest, StandinKilledAndRestartedTwoMinutesLaterTheFlightResumes) {
  loadSettings(true, 5);
  startFlight(test::held(test::pausingFlight(), 250, 120));
  flyUntil(250);
  ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  sim_->stop();
  const std::string text = flyWhileLost(370);
  EXPECT_EQ(text, "Simulator lost at 14:04Z" + kResumes);
  ASSERT_TRUE(sim_->restart()) << sim_->error();
  ASSERT_TRUE(cycleUntilResumed());
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_EQ(queuedWith("\nSIM LOST 14:04Z /BACK 14:06Z /GAP "), 1u);
  landAndSendThePIREP();
}

// A simulator that comes back with the aircraft far away is not taken as the same flight:
// the pilot is told, nothing is sent, and the flight ends when the pilot ends it.
TEST_F(SuspendTest, SimulatorBackElsewhereStaysSuspendedUntilThePilotEndsTheFlight) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight());
  flyUntil(250);
  ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  sim_->stop();
  flyWhileLost(330);
  ASSERT_TRUE(ORVANE::getFlightHold().suspended);
  // Another aircraft, 300 nm away at 12,000 ft.
  play("key 0 engines=2 zfw=120000 fuel=7000 lat=45.0 lon=8.5 alt=12000 height=11000 "
       "hdg=90 ias=250 tas=300 gs=300 n1=80 n2=90 on_ground=0 mode=1\n");
  ASSERT_TRUE(sim_->restart()) << sim_->error();
  const std::size_t queued = lastQueue_.size();
  for (int i = 0; i < 6; ++i) cycle();
  const FlightHold h = ORVANE::getFlightHold();
  EXPECT_TRUE(h.suspended);
  EXPECT_TRUE(ORVANE::isConnectedToSim());
  EXPECT_EQ(h.suspendedText.rfind("The simulator is back, but the aircraft is ", 0), 0u)
      << h.suspendedText;
  EXPECT_TRUE(has(h.suspendedText, " ft from where it was at 14:04Z (N49 ")) << h.suspendedText;
  EXPECT_TRUE(has(h.suspendedText, "not taken as this flight")) << h.suspendedText;
  EXPECT_EQ(lastQueue_.size(), queued);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);

  ORVANE::endFlight();
  ASSERT_TRUE(flyToTheEnd());
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_TRUE(logHas("Message: [The pilot ends the flight.]"));
  EXPECT_EQ(queuedWith("SIM LOST"), 0u);
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());  // no ON and IN: no PIREP
  EXPECT_FALSE(ORVANE::getFlightHold().suspended);
}

// Back elsewhere first, then near the place it was lost: the flight resumes.
TEST_F(SuspendTest, SimulatorBackElsewhereThenNearResumes) {
  loadSettings(true, 5);
  startFlight(test::held(test::pausingFlight(), 250, 400));
  flyUntil(250);
  const std::string same = test::held(test::pausingFlight(), 250, 400);
  sim_->stop();
  flyWhileLost(330);
  play("key 0 engines=2 zfw=120000 fuel=7000 lat=49.8 lon=8.3 alt=9000 height=8000 "
       "hdg=90 ias=250 tas=300 gs=300 n1=80 n2=90 on_ground=0 mode=1\n");  // 6,200 ft above
  ASSERT_TRUE(sim_->restart()) << sim_->error();
  for (int i = 0; i < 4; ++i) cycle();
  EXPECT_TRUE(ORVANE::getFlightHold().suspended);
  // The saved situation loaded again: the scenario's aircraft where it was.
  play(same);
  ASSERT_TRUE(cycleUntilResumed());
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_EQ(queuedWith("\nSIM LOST 14:04Z"), 1u);
}

// Simulation rate 2 for 5 s in cruise: tracking pauses, the flight goes on, and an ACARS
// message records the episode.
TEST_F(SuspendTest, SimulationRateTwoForFiveSecondsIsAnEpisode) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 252 rate 2\nevent 257 rate 1\n");
  flyUntil(245);
  ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  bool held = false;
  while (flightTime() < 300) {
    const std::size_t queued = lastQueue_.size();
    const bool wasHeld = ORVANE::getFlightHold().rateHeld;
    ASSERT_TRUE(cycle());
    const FlightHold h = ORVANE::getFlightHold();
    EXPECT_FALSE(h.rateExpired);
    if (h.rateHeld) {
      held = true;
      EXPECT_TRUE(ORVANE::isSlewing());
      if (wasHeld) {
        EXPECT_EQ(lastQueue_.size(), queued);
      }
    }
  }
  EXPECT_TRUE(held);
  EXPECT_FALSE(ORVANE::getFlightHold().rateHeld);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_EQ(queuedWith("\nSIM RATE 2X 14:04Z /FOR 5 SEC\n/POS N49 "), 1u);
  EXPECT_TRUE(logHas("Message: [Simulation rate 2: tracking pauses; back to 1x within 30 s and "
                     "the flight goes on.]"));
  landAndSendThePIREP();
}

// Simulation rate 2 for 40 s: beyond 30 s the flight says tracking is to end, and the front
// end ends it as before.
TEST_F(SuspendTest, SimulationRateTwoForFortySecondsEndsTracking) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 252 rate 2\nevent 292 rate 1\n");
  flyUntil(245);
  double heldFrom = -1, expiredAt = -1;
  while (expiredAt < 0 && flightTime() < 300) {
    const double t = flightTime();
    ASSERT_TRUE(cycle());
    const FlightHold h = ORVANE::getFlightHold();
    if (h.rateHeld && heldFrom < 0) heldFrom = t;
    if (h.rateExpired) expiredAt = t;
  }
  ASSERT_GE(heldFrom, 252);
  ASSERT_GT(expiredAt, 0);
  EXPECT_GT(expiredAt - heldFrom, 30);
  EXPECT_LE(expiredAt - heldFrom, 36);
  EXPECT_TRUE(ORVANE::isSlewing());
  ORVANE::finalize();  // what the front ends do
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_EQ(queuedWith("SIM RATE"), 0u);
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
}

}  // namespace
}  // namespace orvane
