// End-to-end flights against a stand-in as unkind as the real FSUIPC: propeller and piston
// aircraft, a simulator loading for two minutes, an emulator that never moves its counter,
// the touchdown rate the simulator latches, and FL350 in whole and fractional metres.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "integration/integration_fixture.h"
#include "integration/scenarios.h"

namespace orvane {
namespace {

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

class RealModuleTest : public test::IntegrationTest {
 protected:
  // What the stand-in printed, as orvane-simstandin does on its output.
  void listen() {
    player_->set_report([this](const std::string& line) {
      std::lock_guard<std::mutex> g(printedLock_);
      printed_.push_back(line);
    });
  }
  std::vector<std::string> printed() {
    std::lock_guard<std::mutex> g(printedLock_);
    return printed_;
  }
  // The printed touchdowns: flight time, vertical speed (fpm) and G.
  struct Printed {
    double t, fpm, g;
  };
  std::vector<Printed> printedTouchdowns() {
    std::vector<Printed> out;
    for (const std::string& line : printed()) {
      Printed p{};
      if (std::sscanf(line.c_str(), "%lf s: touchdown at %lf fpm, %lf G", &p.t, &p.fpm, &p.g) == 3)
        out.push_back(p);
    }
    return out;
  }

  // The flight time of an event the engine reports in clock seconds (0: none).
  double eventTime(int clockSeconds) const {
    if (clockSeconds == 0) return -1;
    return (clockSeconds * 1000.0 - static_cast<double>(flightStartMs_)) / 1000.0 * speed_;
  }

  // A whole flight of the propeller scenario: OUT when the engines fire, OFF at lift-off,
  // ON below 80 knots after touchdown, IN when the engines are cut at the gate, not at the
  // stop on the way in; then the PIREP.
  void flyPropellerFlight(standin::AircraftKind kind) {
    traits_.aircraft = kind;
    loadSettings(true, 5);
    startFlight(test::propellerFlight());
    int out = 0, off = 0, on = 0, in = 0;
    bool ended = false;
    for (int i = 0; i < 400 && !ended; ++i) {
      ended = !cycle();
      if (!out) out = ORVANE::getOutTime();
      if (!off) off = ORVANE::getOffTime();
      if (!on) on = ORVANE::getOnTime();
      if (!in) in = ORVANE::getInTime();
    }
    ASSERT_TRUE(ended);
    EXPECT_GE(eventTime(out), 20);
    EXPECT_LE(eventTime(out), 25);
    EXPECT_GE(eventTime(off), 111);
    EXPECT_LE(eventTime(off), 116);
    EXPECT_GE(eventTime(on), 576);
    EXPECT_LE(eventTime(on), 590);
    EXPECT_GE(eventTime(in), 690);  // not at the stop from 610 s with the engines running
    EXPECT_LE(eventTime(in), 702);
    expectServerGotTheQueue();
    EXPECT_EQ(queuedWith("\nOUT "), 1u);
    EXPECT_EQ(queuedWith("\nOFF "), 1u);
    EXPECT_EQ(queuedWith("\nON "), 1u);
    EXPECT_EQ(queuedWith("\nIN "), 1u);
    ASSERT_TRUE(ORVANE::PIREPDataAvailable());
    const PIREPData p = ORVANE::getPIREPData();
    EXPECT_EQ(p.Out, std::to_string(out));
    EXPECT_EQ(p.In, std::to_string(in));
    EXPECT_EQ(p.FL, "2800");
  }

  // Flies the propeller flight at the stand-in's speed and returns the PIREP's VSLand.
  int landingRateAt(double speed) {
    speed_ = speed;
    loadSettings(true, 5);
    startFlight(test::propellerFlight());
    listen();
    EXPECT_TRUE(flyToTheEnd());
    EXPECT_TRUE(ORVANE::PIREPDataAvailable());
    return std::stoi(ORVANE::getPIREPData().VSLand);
  }

  std::mutex printedLock_;
  std::vector<std::string> printed_;  // guarded by printedLock_
};

TEST_F(RealModuleTest, PistonFlightGivesItsEventsAtTheirMoments) {
  flyPropellerFlight(standin::AircraftKind::Piston);
}

TEST_F(RealModuleTest, CounterRotatingPropellerFlightGivesItsEventsAtTheirMoments) {
  flyPropellerFlight(standin::AircraftKind::CounterProp);
}

TEST_F(RealModuleTest, TurbopropFlightGivesItsEventsAtTheirMoments) {
  flyPropellerFlight(standin::AircraftKind::Turboprop);
}

TEST_F(RealModuleTest, LoadingForTwoMinutesInCruiseTheFlightGoesOn) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 250 load 120\n");
  flyUntil(375);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_TRUE(ORVANE::isConnectedToSim());
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("\nON "), 1u);
  EXPECT_EQ(queuedWith("\nIN "), 1u);
  EXPECT_FALSE(logHas("No connection to flight simulator."));
  EXPECT_FALSE(logHas("not connected at time ["));
  EXPECT_TRUE(logHas("Message: [The flight simulator seems to be loading or frozen: no sign of "
                     "life for 60 s.]"));
  EXPECT_TRUE(logHas("Message: [The flight simulator shows signs of life again.]"));
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(ORVANE::getPIREPData().FL, "2800");
}

TEST_F(RealModuleTest, WineUipcFlightGoesGateToGate) {
  traits_.emulator = standin::Emulator::WineUipc;
  loadSettings(true, 2);
  startFlight();
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  for (const char* kind : {"\nOUT ", "\nOFF ", "\nON ", "\nIN "}) {
    EXPECT_EQ(queuedWith(kind), 1u) << kind;
  }
  EXPECT_FALSE(logHas("No connection to flight simulator."));
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(ORVANE::getPIREPData().BlockTime, "00:07");
}

TEST_F(RealModuleTest, LandingRateIsTheSimulatorsOwnAtSpeedOne) {
  const int vsLand = landingRateAt(1);
  const std::vector<Printed> td = printedTouchdowns();
  ASSERT_EQ(td.size(), 1u);
  EXPECT_EQ(td[0].t, 576);
  EXPECT_EQ(td[0].fpm, -230.0);
  EXPECT_LE(std::fabs(vsLand - std::fabs(td[0].fpm)), 1.0) << vsLand;
  const Touchdown t = ORVANE::getTouchdown();
  ASSERT_TRUE(t.recorded);
  EXPECT_TRUE(t.simulatorRate);
  EXPECT_NEAR(t.verticalSpeed, td[0].fpm, 1.0);
  EXPECT_NEAR(t.gForce, td[0].g, 0.01);
  EXPECT_EQ(t.bounces, 0);
  EXPECT_NEAR(t.pitch, 4.5, 1e-6);
  EXPECT_NEAR(t.bank, -0.5, 1e-6);
  EXPECT_NEAR(t.groundSpeed, 95, 0.01);
  EXPECT_EQ(eventTime(static_cast<int>(t.time)), 576);
  EXPECT_TRUE(logHas("Message: [Touchdown: [-229] fpm (simulator), G: [1.28], pitch: [4.5], "
                     "bank: [-0.5], ground speed: [94] kts.]"));
}

TEST_F(RealModuleTest, LandingRateIsTheSimulatorsOwnAtSpeedFour) {
  const int vsLand = landingRateAt(4);
  const std::vector<Printed> td = printedTouchdowns();
  ASSERT_EQ(td.size(), 1u);
  EXPECT_LE(std::fabs(vsLand - std::fabs(td[0].fpm)), 1.0) << vsLand;
  const Touchdown t = ORVANE::getTouchdown();
  ASSERT_TRUE(t.recorded);
  EXPECT_NEAR(t.gForce, td[0].g, 0.01);
  EXPECT_EQ(t.bounces, 0);
}

TEST_F(RealModuleTest, BouncedLandingCountsItsBouncesAndKeepsTheFirstContact) {
  loadSettings(true, 5);
  startFlight(test::bouncingPropellerFlight());
  listen();
  ASSERT_TRUE(flyToTheEnd());
  const std::vector<Printed> td = printedTouchdowns();
  ASSERT_EQ(td.size(), 2u);
  int bounces = 0;  // as printed: contacts within ten seconds of the one before
  for (std::size_t i = 1; i < td.size(); ++i) bounces += td[i].t - td[i - 1].t <= 10;
  const Touchdown t = ORVANE::getTouchdown();
  ASSERT_TRUE(t.recorded);
  EXPECT_EQ(t.bounces, bounces);
  EXPECT_EQ(t.bounces, 1);
  EXPECT_NEAR(t.verticalSpeed, td[0].fpm, 1.0);
  EXPECT_NEAR(t.gForce, td[0].g, 0.01);
  EXPECT_TRUE(logHas("Message: [Touchdown bounced: [1] time(s).]"));
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  EXPECT_LE(std::fabs(std::stoi(ORVANE::getPIREPData().VSLand) - std::fabs(td[0].fpm)), 1.0);
  EXPECT_EQ(queuedWith("\nON "), 1u);
}

// 0x0C1A is unsigned: 128 times is 32768, which a signed read takes for -128 times.
TEST_F(RealModuleTest, EveryRateAboveOneIsFlaggedUpTo128) {
  loadSettings(true, 2);
  startFlight(model::default_scenario_text() + "event 100 rate 1.5\nevent 120 rate 1\n"
                                               "event 140 rate 128\n");
  flyUntil(96);
  EXPECT_FALSE(ORVANE::isSlewing());
  flyUntil(106);
  EXPECT_TRUE(ORVANE::isSlewing());
  flyUntil(126);
  EXPECT_FALSE(ORVANE::isSlewing());
  flyUntil(146);
  EXPECT_TRUE(ORVANE::isSlewing());
}

TEST_F(RealModuleTest, FlightLevel350IsReportedAs35000) {
  loadSettings(true, 2);
  // Climbs at 5000 fpm to FL350, which the autopilot holds within a few hundredths of a foot.
  startFlight(
      "key 0 engines=2 zfw=120000 fuel=20000 lat=50.0333 lon=8.5706 alt=364 hdg=250 "
      "on_ground=1 mode=1\n"
      "key 20 n1=25 n2=60\n"
      "key 30 gs=15 ias=15 tas=15\n"
      "key 105 gs=15\n"
      "key 110 gs=150 ias=150 tas=150 n1=90 n2=96\n"
      "key 111 on_ground=0 vs=5000 height=30 alt=394\n"
      "key 520 vs=5000 height=34500 alt=34500 ias=280 tas=450 gs=450 lat=49.5 lon=7.5\n"
      "key 530 vs=0 height=34999.95 alt=34999.95\n"
      "key 700 alt=35000.04 height=35000.04 lat=49.0 lon=6.5\n"
      "key 900 alt=34999.96 height=34999.96 lat=48.5 lon=5.5\n");
  flyUntil(900);
  std::size_t level = 0;
  for (std::size_t i = 0; i < lastQueue_.size(); ++i) {
    const std::string& m = lastQueue_[i];
    if (!has(m, "\nMessage:\nPOS ")) continue;
    const double t = (queuedAt_[i] * 1000.0 - static_cast<double>(flightStartMs_)) / 1000.0;
    if (t < 535) continue;
    ++level;
    EXPECT_TRUE(has(m, "\n/ALT 35000\n")) << t << ": " << m;
  }
  EXPECT_GE(level, 2u);
  EXPECT_EQ(queuedWith("\nALT 35000 LEVEL\n"), 1u);
}

}  // namespace
}  // namespace orvane
