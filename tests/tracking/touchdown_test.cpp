// The touchdown: the simulator's own rate or the sampled one, G, bounces, attitude and ground
// speed, recorded by the watch and by the flight, published for the engine.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "support/fake_flightdata.h"
#include "support/recorder.h"
#include "tracking/flightstate.h"
#include "tracking/touchdown_watch.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::Channel;
using test::eventually;
using test::recorder;
using Seen = TouchdownWatch::Seen;

// A source that keeps the simulator's touchdown rate, as FSUIPC's 0x030C does.
class LatchingFlightData : public test::FakeFlightData {
 public:
  std::optional<double> latched;
  std::optional<double> getTouchdownVerticalSpeed() override { return latched; }
};

class TouchdownWatchTest : public ::testing::Test {
 protected:
  TouchdownWatchTest() { publishTouchdown(Touchdown{}); }
  ~TouchdownWatchTest() override { publishTouchdown(Touchdown{}); }

  // One cycle: on the ground or not, at this many seconds.
  Seen at(double seconds, bool onGround) {
    data_.state.on_ground = onGround;
    const auto ms = static_cast<std::int64_t>(seconds * 1000);
    return watch_.sample(data_, sampled_, ms, 1000 + ms / 1000);
  }

  LatchingFlightData data_;
  TouchdownWatch watch_;
  double sampled_ = -480;
};

TEST_F(TouchdownWatchTest, FirstContactAfterTheAirIsTheTouchdownWithTheSimulatorsRate) {
  data_.latched = -212.4;
  data_.state.g = 1.31;
  data_.state.pitch = 4.2;
  data_.state.bank = -1.5;
  data_.state.gs = 131.6;
  EXPECT_EQ(at(0, true), Seen::NOTHING);  // on the ground before the take-off
  EXPECT_FALSE(watch_.touchdown().recorded);
  EXPECT_EQ(at(2, false), Seen::NOTHING);
  EXPECT_EQ(at(4, true), Seen::TOUCHDOWN);
  const Touchdown t = watch_.touchdown();
  EXPECT_TRUE(t.recorded);
  EXPECT_TRUE(t.simulatorRate);
  EXPECT_EQ(t.verticalSpeed, -212.4);
  EXPECT_EQ(t.gForce, 1.31);
  EXPECT_EQ(t.pitch, 4.2);
  EXPECT_EQ(t.bank, -1.5);
  EXPECT_EQ(t.groundSpeed, 131.6);
  EXPECT_EQ(t.bounces, 0);
  EXPECT_EQ(t.time, 1004);
  EXPECT_EQ(lastTouchdown().verticalSpeed, -212.4);  // published
  EXPECT_EQ(TouchdownWatch::describe(t, Seen::TOUCHDOWN),
            "Touchdown: [-212] fpm (simulator), G: [1.31], pitch: [4.2], bank: [-1.5], ground "
            "speed: [131] kts.");
  data_.state.gs = 60;
  EXPECT_EQ(at(6, true), Seen::NOTHING);  // rolling out: nothing more
  EXPECT_EQ(watch_.touchdown().groundSpeed, 131.6);
}

TEST_F(TouchdownWatchTest, ContactsWithinTenSecondsOfTheOneBeforeAreBounces) {
  data_.latched = -300;
  data_.state.g = 1.47;
  at(0, false);
  EXPECT_EQ(at(10, true), Seen::TOUCHDOWN);
  data_.latched = -90;  // the simulator latches each contact
  data_.state.g = 1.05;
  at(12, false);
  EXPECT_EQ(at(20, true), Seen::BOUNCE);  // ten seconds after the contact before
  at(22, false);
  EXPECT_EQ(at(28, true), Seen::BOUNCE);
  const Touchdown t = watch_.touchdown();
  EXPECT_EQ(t.bounces, 2);
  EXPECT_EQ(t.verticalSpeed, -300);  // the first contact's
  EXPECT_EQ(t.gForce, 1.47);
  EXPECT_EQ(lastTouchdown().bounces, 2);
  EXPECT_EQ(TouchdownWatch::describe(t, Seen::BOUNCE), "Touchdown bounced: [2] time(s).");
  // Longer in the air (a touch-and-go's next landing): a new touchdown.
  at(30, false);
  data_.latched = -150;
  EXPECT_EQ(at(38.001, true), Seen::TOUCHDOWN);
  EXPECT_EQ(watch_.touchdown().bounces, 0);
  EXPECT_EQ(watch_.touchdown().verticalSpeed, -150);
}

TEST_F(TouchdownWatchTest, WithoutALatchedRateTheSampledOneStandsIn) {
  test::FakeFlightData plain;  // the scripted source: G from its state, no latched rate
  plain.state.g = 1.2;
  TouchdownWatch watch;
  plain.state.on_ground = false;
  watch.sample(plain, -480, 0, 0);
  plain.state.on_ground = true;
  EXPECT_EQ(watch.sample(plain, -480, 2000, 2), Seen::TOUCHDOWN);
  EXPECT_FALSE(watch.touchdown().simulatorRate);
  EXPECT_EQ(watch.touchdown().verticalSpeed, -480);
  EXPECT_EQ(watch.touchdown().gForce, 1.2);
  EXPECT_EQ(TouchdownWatch::describe(watch.touchdown(), Seen::TOUCHDOWN),
            "Touchdown: [-480] fpm (sampled), G: [1.20], pitch: [0.0], bank: [0.0], ground "
            "speed: [0] kts.");
}

class FlightTouchdownTest : public ::testing::Test {
 protected:
  FlightTouchdownTest() : clock_(1783000000000), scoped_(clock_) {
    recorder().clear();
    options_.enableLiveACARS = false;
    options_.enablePIREP = true;
    options_.POS_Report_Interval = 600;
    data_.state.engines = 2;
    data_.state.on_ground = true;
    data_.state.zfw = 50000;
    data_.state.total_weight = 60000;
  }

  std::unique_ptr<FlightState> descendingFlight() {
    auto f = std::make_unique<FlightState>(&data_, test::onConnectFailed, nullptr,
                                           test::onFlightInfo, test::onPIREPData,
                                           test::onPIREPError, test::onPIREPSuccess,
                                           test::onStatus, test::onACARSText);
    f->setFlightOptions(options_);
    f->Check();
    EXPECT_TRUE(eventually([&] { return f->acars()->connectTested(); }));
    f->Check();
    Touchdown earlier;
    earlier.recorded = true;
    publishTouchdown(earlier);  // a landing left from an earlier flight
    f->BeginFlight();
    EXPECT_FALSE(lastTouchdown().recorded);
    EXPECT_TRUE(eventually([&] { return f->acars()->ACARS_Ready(); }));
    f->Check();
    data_.state.n1 = {60, 60, 0, 0};
    data_.state.n2 = {70, 70, 0, 0};
    f->Check();                       // OUT
    cycle(*f, 0, 0, true, 10);        // taxi
    cycle(*f, 1500, 200, false, 160);  // OFF
    cycle(*f, -1500, 20000, false, 400);
    EXPECT_EQ(f->getState(), FlightState::DESCENDING);
    return f;
  }

  void cycle(FlightState& f, double vs, double height, bool onGround, double gs) {
    data_.state.vs = vs;
    data_.state.height = height;
    data_.state.on_ground = onGround;
    data_.state.gs = gs;
    clock_.advance(2);
    f.Check();
  }

  ManualClock clock_;
  ScopedClock scoped_;
  FlightOptions options_;
  LatchingFlightData data_;
};

TEST_F(FlightTouchdownTest, TheLandingRateIsTheSimulatorsOnceItHasOne) {
  auto f = descendingFlight();
  data_.latched = -650;  // airborne, 0x030C follows the vertical speed
  cycle(*f, -650, 90, false, 140);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -650);  // sampled: no touchdown yet
  cycle(*f, -420, 10, false, 135);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -420);
  data_.latched = -187;  // latched at the touchdown between two cycles
  data_.state.g = 1.19;
  data_.state.pitch = 3.5;
  cycle(*f, 0, 0, true, 125);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -187);
  const Touchdown t = f->getTouchdown();
  EXPECT_TRUE(t.recorded);
  EXPECT_EQ(t.gForce, 1.19);
  EXPECT_EQ(t.pitch, 3.5);
  EXPECT_EQ(t.groundSpeed, 125);
  EXPECT_EQ(t.time, clock_.now());
  EXPECT_TRUE(recorder().contains(Channel::Status,
                                  "Touchdown: [-187] fpm (simulator), G: [1.19], pitch: [3.5], "
                                  "bank: [0.0], ground speed: [125] kts."));
  EXPECT_EQ(lastTouchdown().verticalSpeed, -187);
  cycle(*f, 100, 3, false, 110);  // a bounce
  cycle(*f, 0, 0, true, 100);
  EXPECT_EQ(f->getTouchdown().bounces, 1);
  EXPECT_TRUE(recorder().contains(Channel::Status, "Touchdown bounced: [1] time(s)."));
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -187);
  cycle(*f, 0, 0, true, 70);
  EXPECT_EQ(f->getState(), FlightState::TAXIING_IN);
  EXPECT_EQ(lastTouchdown().bounces, 1);
}

TEST_F(FlightTouchdownTest, ASourceWithoutALatchedRateKeepsTheSampledOne) {
  auto f = descendingFlight();
  cycle(*f, -420, 10, false, 135);
  cycle(*f, 0, 0, true, 70);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -420);
  EXPECT_FALSE(f->getTouchdown().simulatorRate);
  EXPECT_EQ(f->getTouchdown().verticalSpeed, -420);
}

}  // namespace
}  // namespace orvane
