// The flight state machine: thresholds, pauses, touchdown, position reports and events.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>

#include "airline/airline_server.h"
#include "support/fake_flightdata.h"
#include "support/recorder.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::Channel;
using test::eventually;
using test::recorder;

class FlightStateTest : public ::testing::Test {
 protected:
  FlightStateTest() : clock_(1783000000000), scoped_(clock_) {
    recorder().clear();
    options_.enableLiveACARS = false;
    options_.enablePIREP = true;
    options_.POS_Report_Interval = 600;
    data_.state.engines = 2;
    data_.state.on_ground = true;
    data_.state.zfw = 50000;
    data_.state.total_weight = 60000;
    SFlightData s;
    s.sCallsign = "ABC123";
    s.sDeparture = "EDDF";
    s.sArrival = "EDDS";
    data_.setStaticData(s);
  }

  std::unique_ptr<FlightState> makeFlight() {
    auto f = std::make_unique<FlightState>(&data_, test::onConnectFailed, nullptr,
                                           test::onFlightInfo, test::onPIREPData,
                                           test::onPIREPError, test::onPIREPSuccess,
                                           test::onStatus, test::onACARSText);
    f->setFlightOptions(options_);
    return f;
  }

  // Runs the machine from OPTIONS to READY (live ACARS off: the data id is "NO LIVEACARS").
  std::unique_ptr<FlightState> readyFlight() {
    auto f = makeFlight();
    EXPECT_EQ(f->getState(), FlightState::OPTIONS);
    f->Check();
    EXPECT_TRUE(eventually([&] { return f->acars()->connectTested(); }));
    f->Check();
    EXPECT_EQ(f->getState(), FlightState::INIT);
    f->BeginFlight();
    EXPECT_TRUE(eventually([&] { return f->acars()->ACARS_Ready(); }));
    f->Check();
    EXPECT_EQ(f->getState(), FlightState::READY);
    return f;
  }

  // One cycle after setting the values that the machine reads.
  void cycle(FlightState& f, double vs, double height, bool onGround, double gs) {
    data_.state.vs = vs;
    data_.state.height = height;
    data_.state.on_ground = onGround;
    data_.state.gs = gs;
    f.Check();
  }

  // Drives a ready flight into the air and to the given state.
  void airborne(FlightState& f, FlightState::State target) {
    data_.state.n1 = {60, 60, 0, 0};
    data_.state.n2 = {70, 70, 0, 0};
    f.Check();  // OUT
    cycle(f, 0, 0, true, 10);  // taxi
    cycle(f, 1500, 200, false, 160);  // OFF
    ASSERT_EQ(f.getState(), FlightState::CLIMBING);
    if (target == FlightState::CRUISING) cycle(f, 0, 20000, false, 400);
    if (target == FlightState::DESCENDING) cycle(f, -1500, 20000, false, 400);
    ASSERT_EQ(f.getState(), target);
  }

  // The kinds of the queued texts, by their first line or prefix.
  std::vector<std::string> kinds(FlightState& f) {
    std::vector<std::string> out;
    for (const std::string& m : f.acars()->messages()) {
      if (m.rfind("BEGINFLIGHT|", 0) == 0) out.push_back("BEGINFLIGHT");
      else if (m.rfind("ENDFLIGHT|", 0) == 0) out.push_back("ENDFLIGHT");
      else if (m.find("&DATA2=PAUSEFLIGHT&") != std::string::npos)
        out.push_back("PAUSE" + m.substr(m.size() - 1));
      else {
        const std::size_t body = m.find("Message:\n");
        out.push_back(m.substr(body + 9, m.find_first_of(" \n", body + 9) - body - 9));
      }
    }
    return out;
  }

  ManualClock clock_;
  ScopedClock scoped_;
  FlightOptions options_;
  test::FakeFlightData data_;
};

TEST_F(FlightStateTest, ClimbAndCruiseThresholds) {
  auto f = readyFlight();
  airborne(*f, FlightState::CLIMBING);
  cycle(*f, 200, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::CLIMBING);  // exactly 200 keeps climbing
  cycle(*f, 199.9, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::CRUISING);
  cycle(*f, 450, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::CRUISING);  // 450 is still level
  cycle(*f, 450.5, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::CLIMBING);
  cycle(*f, -200.1, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::DESCENDING);
  cycle(*f, 0, 3000, false, 200);
  EXPECT_EQ(f->getState(), FlightState::CRUISING);
  cycle(*f, 0, 0, true, 200);  // on the ground whatever the vertical speed
  EXPECT_EQ(f->getState(), FlightState::DESCENDING);
}

TEST_F(FlightStateTest, EveryPhaseEnteredReportsItsAltitudeAgain) {
  auto f = readyFlight();
  airborne(*f, FlightState::CLIMBING);
  cycle(*f, 0, 9000, false, 250);    // level
  cycle(*f, 0, 9000, false, 250);    // still level: no second report
  cycle(*f, 1000, 9000, false, 250); // climbing again
  cycle(*f, 1000, 9500, false, 250);
  std::vector<std::string> alts;
  for (const std::string& m : f->acars()->messages()) {
    const std::size_t at = m.find("Message:\nALT ");
    if (at != std::string::npos) alts.push_back(m.substr(m.find(' ', at + 13) + 1,
                                                         m.find('\n', at + 13) -
                                                             m.find(' ', at + 13) - 1));
  }
  EXPECT_EQ(alts, (std::vector<std::string>{"CHG CLIMB", "LEVEL", "CHG CLIMB"}));
}

TEST_F(FlightStateTest, TouchdownRateLoopIntervalAndRollOut) {
  auto f = readyFlight();
  airborne(*f, FlightState::DESCENDING);
  EXPECT_EQ(f->getLoopInterval(), 5);
  cycle(*f, -700, 90, false, 140);
  EXPECT_EQ(f->getLoopInterval(), 2);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -700);
  cycle(*f, -0.7, 20, false, 135);  // truncates to 0: not a descent rate
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -700);
  cycle(*f, -350, 5, false, 130);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -350);
  cycle(*f, -100, 0, true, 85);  // on the ground but still fast
  EXPECT_EQ(f->getState(), FlightState::DESCENDING);
  EXPECT_EQ(f->getLoopInterval(), 2);
  EXPECT_DOUBLE_EQ(f->getLandingVSpeed(), -350);  // on the ground nothing is captured
  cycle(*f, 0, 0, true, 79);
  EXPECT_EQ(f->getState(), FlightState::TAXIING_IN);
  EXPECT_EQ(f->getLoopInterval(), 5);

  // Lifting off again from the roll-out: back to CLIMBING without an event.
  const std::size_t queued = f->acars()->size();
  clock_.advance(1);
  cycle(*f, 800, 40, false, 140);
  EXPECT_EQ(f->getState(), FlightState::CLIMBING);
  EXPECT_EQ(f->acars()->size(), queued);
}

TEST_F(FlightStateTest, PauseInFlightStopsTheMachineUntilItEnds) {
  auto f = readyFlight();
  airborne(*f, FlightState::CRUISING);
  const std::size_t before = f->acars()->size();
  data_.state.paused = true;
  clock_.advance(3600);  // a position report would be long due
  cycle(*f, -2000, 20000, false, 400);
  cycle(*f, -2000, 20000, false, 400);
  EXPECT_EQ(f->getState(), FlightState::CRUISING);
  ASSERT_EQ(f->acars()->size(), before + 1);
  EXPECT_EQ(kinds(*f).back(), "PAUSE1");

  data_.state.paused = false;
  cycle(*f, -2000, 20000, false, 400);
  EXPECT_EQ(f->getState(), FlightState::DESCENDING);  // the same cycle goes on
  const auto k = kinds(*f);
  EXPECT_EQ(k[before + 1], "PAUSE0");
}

TEST_F(FlightStateTest, PauseWhileTestingDoesNotHoldTheConnectionTest) {
  // A server that takes its time over the connection test keeps the flight in TESTING.
  airline::AirlineServer server;
  ASSERT_TRUE(server.start());
  server.set_default("/acars", airline::Reply{200, "1|OK"});
  server.push_reply("/acars", airline::Reply{200, "1|OK", 300});
  options_.enableLiveACARS = true;
  options_.ACARS_URL = server.url("/acars");
  auto f = makeFlight();
  f->Check();
  ASSERT_EQ(f->getState(), FlightState::TESTING);
  data_.state.paused = true;
  f->Check();
  EXPECT_EQ(f->getState(), FlightState::TESTING);
  EXPECT_EQ(kinds(*f), std::vector<std::string>{"PAUSE1"});
  ASSERT_TRUE(eventually([&] { return f->acars()->connectTested(); }));
  f->Check();
  EXPECT_EQ(f->getState(), FlightState::INIT);
  EXPECT_TRUE(f->acars()->isLiveACARSEnabled());
  f.reset();  // ends the send thread before the server goes
}

TEST_F(FlightStateTest, StoppedAcarsEndsTheFlightWithoutAnEndOfFlightMessage) {
  auto f = readyFlight();
  airborne(*f, FlightState::CRUISING);
  f->acars()->stopSending();
  ASSERT_TRUE(eventually([&] { return f->acars()->isStopped(); }));
  EXPECT_FALSE(f->Check());
  EXPECT_EQ(f->getState(), FlightState::NONE);
  EXPECT_EQ(f->acars(), nullptr);
  EXPECT_TRUE(recorder().contains(Channel::Status, "Transitioning to FINAL state."));
  EXPECT_TRUE(recorder().contains(Channel::Status, "Removing ACARS object."));
  EXPECT_FALSE(recorder().contains(Channel::ACARSText, "Starting PIREP Transaction."));
}

TEST_F(FlightStateTest, CrashEndsTheFlightAndALostSimulatorSuspendsIt) {
  // The end-of-flight text reaches the send thread, which offers no PIREP without ON and IN.
  // The send thread may finish at once, so the cycle that saw the end may already be the
  // one that reports the flight over.
  const auto endsWithEndFlight = [&](std::unique_ptr<FlightState>& f, bool stillTracked) {
    EXPECT_TRUE(recorder().waitFor(Channel::ACARSText, "Starting PIREP Transaction."));
    if (stillTracked) {
      EXPECT_EQ(f->getState(), FlightState::FINAL);
      EXPECT_TRUE(eventually([&] { return !f->Check(); }));
    }
    EXPECT_EQ(f->getState(), FlightState::NONE);
    EXPECT_TRUE(recorder().pireps().empty());
  };
  auto f = readyFlight();
  airborne(*f, FlightState::CRUISING);
  data_.state.crashed = true;
  const bool tracked = f->Check();
  EXPECT_TRUE(recorder().contains(Channel::Status, "Flight is crashed."));
  endsWithEndFlight(f, tracked);

  recorder().clear();
  data_.state.crashed = false;
  auto g = readyFlight();
  airborne(*g, FlightState::CLIMBING);
  data_.state.connected = false;
  // A lost simulator suspends the flight: it stays in its phase until the pilot ends it.
  EXPECT_TRUE(g->Check());
  EXPECT_TRUE(recorder().contains(Channel::Status, "No connection to flight simulator."));
  EXPECT_TRUE(g->isSuspended());
  EXPECT_TRUE(g->isHolding());
  EXPECT_EQ(g->suspensionText().rfind("Simulator lost at ", 0), 0u) << g->suspensionText();
  EXPECT_TRUE(g->Check());
  EXPECT_EQ(g->getState(), FlightState::CLIMBING);
  g->EndSuspendedFlight();
  EXPECT_FALSE(g->isSuspended());
  endsWithEndFlight(g, true);
}

TEST_F(FlightStateTest, PositionReportIntervalsByAltitude) {
  auto f = readyFlight();
  EXPECT_EQ(f->getOpPosReportInterval(), 600);
  f->setOpPosRepMap({{10000, 120}, {25000, 300}});
  data_.state.alt = 9999;
  EXPECT_EQ(f->getOpPosReportInterval(), 120);
  data_.state.alt = 10000;
  EXPECT_EQ(f->getOpPosReportInterval(), 300);
  data_.state.alt = 25000;
  EXPECT_EQ(f->getOpPosReportInterval(), 600);
  data_.state.alt = 40000;
  EXPECT_EQ(f->getOpPosReportInterval(), 600);
}

TEST_F(FlightStateTest, PeriodicAndWaypointPositionReports) {
  options_.POS_Report_Interval = 300;
  auto f = readyFlight();
  EXPECT_EQ(kinds(*f), std::vector<std::string>{"BEGINFLIGHT"});
  // The first cycle in READY reports at once (lastPOSReport starts at 0).
  f->Check();
  EXPECT_EQ(kinds(*f), (std::vector<std::string>{"BEGINFLIGHT", "POS"}));
  clock_.advance(299);
  f->Check();
  EXPECT_EQ(f->acars()->size(), 2u);
  clock_.advance(1);
  f->Check();
  EXPECT_EQ(f->acars()->size(), 3u);

  clock_.advance(200);
  f->WaypointPassed("DKB");
  EXPECT_NE(f->acars()->messages().back().find("POS N0 0 E0 0 [DKB]\n"), std::string::npos);
  clock_.advance(299);  // a full interval from the waypoint, not from the last report
  f->Check();
  EXPECT_EQ(f->acars()->size(), 4u);
  clock_.advance(1);
  f->Check();
  EXPECT_EQ(f->acars()->size(), 5u);
}

TEST_F(FlightStateTest, ZeroIntervalReportsEveryCycle) {
  options_.POS_Report_Interval = 0;
  auto f = readyFlight();
  f->Check();
  f->Check();
  EXPECT_EQ(kinds(*f), (std::vector<std::string>{"BEGINFLIGHT", "POS", "POS"}));
}

TEST_F(FlightStateTest, EventsWithoutAnAcarsObjectCreateNothing) {
  FlightState f(&data_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(f.CreateData(ACARS::MESSAGE_OUT), "");
  EXPECT_EQ(f.CreateData(ACARS::MESSAGE_POS), "");
  f.EndFlight();
  EXPECT_EQ(f.getState(), FlightState::FINAL);
  auto g = readyFlight();
  EXPECT_EQ(g->CreateData(ACARS::MESSAGE_CRASH), "");
  EXPECT_EQ(g->CreateData(ACARS::MESSAGE_TEST), "");
}

TEST_F(FlightStateTest, GateToGateEventSequenceAndShutDown) {
  auto f = readyFlight();
  airborne(*f, FlightState::CRUISING);
  cycle(*f, -1000, 5000, false, 250);
  cycle(*f, -600, 50, false, 140);
  cycle(*f, 0, 0, true, 60);
  cycle(*f, 0, 0, true, 0);
  EXPECT_EQ(f->getState(), FlightState::STARTED_IN);
  data_.state.n2 = {20, 20, 0, 0};  // 20 percent counts as shut down
  data_.state.n1 = {10, 10, 0, 0};
  f->Check();
  EXPECT_EQ(f->getState(), FlightState::FINAL);
  EXPECT_EQ(kinds(*f), (std::vector<std::string>{"BEGINFLIGHT", "OUT", "POS", "OFF", "ALT",
                                                 "ALT", "ALT", "ON", "IN", "BLOCK",
                                                 "ENDFLIGHT"}));
  ASSERT_TRUE(eventually([&] { return f->acars()->isStopped(); }));
  EXPECT_EQ(recorder().pireps().size(), 1u);
  EXPECT_FALSE(f->Check());
}

}  // namespace
}  // namespace orvane
