// The engine facade's small contracts: neutral values, hand-offs, display text, flight plans.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#endif

#include <atomic>
#include <thread>

#include "support/engine_fixture.h"

namespace orvane {
namespace {

using test::EngineFixture;

class EngineFacadeTest : public EngineFixture {};

TEST_F(EngineFacadeTest, NothingPreparedGivesNeutralValues) {
  EXPECT_FALSE(ORVANE::cycleOnce());
  EXPECT_EQ(logText().substr(26), "Message: [cycleOnce called.]\n");
  EXPECT_EQ(ORVANE::getLoopInterval(), 5);
  EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
  EXPECT_TRUE(ORVANE::isOnGround());
  EXPECT_FALSE(ORVANE::isConnectedToSim());
  EXPECT_FALSE(ORVANE::EnginesRunning());
  EXPECT_FALSE(ORVANE::isFlightCrashed());
  EXPECT_EQ(ORVANE::getXSBRoute(), "");
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), 0);
  EXPECT_EQ(ORVANE::getOutFuel(), 0);
  EXPECT_FALSE(ORVANE::initialized());
  EXPECT_EQ(ORVANE::getVersion(), "ORVANE 2.5.0");
}

TEST_F(EngineFacadeTest, ConnectionFailureTextIsHandedOutOnce) {
  ORVANE::ConnectionFailedCallback("Connection to ACARS server failed: [x]");
  EXPECT_EQ(ORVANE::getConnectFailed(), "Connection to ACARS server failed: [x]");
  EXPECT_EQ(ORVANE::getConnectFailed(), "");
  ORVANE::FlightInfoCallback("plan");
  EXPECT_EQ(ORVANE::getACARSFlightPlan(), "plan");
  EXPECT_EQ(ORVANE::getACARSFlightPlan(), "");
  EXPECT_NE(logText().find("Message: [ConnectionFailedCallback called with [Connection to ACARS "
                           "server failed: [x]]]\n"),
            std::string::npos);
}

TEST_F(EngineFacadeTest, PIREPOutcomesAreKeptUntilTheNextSend) {
  ORVANE::PIREPErrorCallback("refused");
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "refused");
  EXPECT_EQ(ORVANE::getPIREPMessage(), "refused");
  ORVANE::PIREPSuccessCallback("thanks");
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "thanks");
  // No flight: the report goes on a PIREP thread of its own; without a PIREP address it
  // ends in an error.
  ORVANE::SendPIREP(PIREPData{});
  ASSERT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage().rfind("Connection to PIREP server failed: [", 0), 0u)
      << ORVANE::getPIREPMessage();
  const std::string log = logText();
  std::size_t at = 0;
  for (const char* line : {"Message: [SendPIREP: Before lock.]", "Message: [SendPIREP: Behind lock.]",
                           "Message: [SendPIREP: Before unlock.]", "Message: [Done SendPIREP.]"}) {
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
}

TEST_F(EngineFacadeTest, LandingRateIsTruncatedAndReportedPositive) {
  ORVANE::prepare();
  sim().state.engines = 1;
  FlightOptions o;
  o.enableLiveACARS = false;
  ORVANE::setFlightOptions(o);
  // Drive the flight's touchdown capture through the facade's cycle.
  ORVANE::BeginFlight();
  ASSERT_TRUE(cycleUntil(FlightState::READY));
  auto& s = sim().state;
  s.n1 = {60, 0, 0, 0};
  s.n2 = {70, 0, 0, 0};
  s.on_ground = true;
  cycle();
  s.gs = 20;
  cycle();
  s.on_ground = false;
  s.vs = -1850;
  s.height = 3000;
  cycle();
  cycle();
  s.height = 50;
  s.vs = -143.7;
  cycle();
  const PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.VSLand, "143");
  EXPECT_EQ(p.MaxROD, "1850");
  EXPECT_NE(logText().find("VSpeed: [-143] VSpeed_land:[-143].]"), std::string::npos);
}

TEST_F(EngineFacadeTest, WindowAsksAboutTheSimulatorWhileTheWorkerCreatesTheSource) {
  // The window's status line asks from its own thread while the worker starts up: the data
  // source it asks must be handed over whole (a data race under ThreadSanitizer otherwise).
  std::atomic<bool> stop{false};
  std::atomic<bool> connectedSeen{false};
  std::thread window([&] {
    while (!stop) {
      if (ORVANE::isConnectedToSim()) connectedSeen = true;
      std::this_thread::yield();
    }
  });
  ASSERT_TRUE(ORVANE::prepareFlight());
  ORVANE::cycleOnce();  // publishes what the window asks
  EXPECT_TRUE(test::eventually([&] { return connectedSeen.load(); }));
  stop = true;
  window.join();
}

TEST_F(EngineFacadeTest, AcarsMessageIsReformattedForDisplay) {
  ORVANE::showACARSMessage("head +++ first +++ second +++  +++ tail");
  EXPECT_EQ(ORVANE::getACARSMessage(), "first\nsecond");
  ORVANE::showACARSMessage("no separator here");
  EXPECT_EQ(ORVANE::getACARSMessage(), "");
  ORVANE::showACARSMessage("head +++ ");
  EXPECT_EQ(ORVANE::getACARSMessage(), "");
  ORVANE::showACARSMessage("head +++  +++ a +++ b");  // empty leading segment vanishes
  EXPECT_EQ(ORVANE::getACARSMessage(), "");
  ORVANE::showACARSMessage("head +++ a +++  +++ b +++ c");
  EXPECT_EQ(ORVANE::getACARSMessage(), "a");
  ORVANE::showACARSMessage("head +++ a +++ b +++ ");  // no empty last line
  EXPECT_EQ(ORVANE::getACARSMessage(), "a\nb");
  // A sent message as the ACARS object reports it.
  ORVANE::showACARSMessage("MESSAGE [" + prepare_info("DATA4=[07/04/2026 14:05Z]\nL1\nL2\n\n") +
                           "] transmitted successfully.");
  EXPECT_EQ(ORVANE::getACARSMessage(), "L1\nL2");
  EXPECT_NE(logText().find(": Returning ACARS Message.\n"), std::string::npos);
}

TEST_F(EngineFacadeTest, FlightInformationFillsNineFields) {
  const SFlightData d = ORVANE::fillinFlightData(
      "1|OK\nEDDF\nEDDM\nEDDN\nANEKI Y163 NATOR\n120\n 3400x\nIFR\nB738\n24000\nextra");
  EXPECT_EQ(d.output(),
            "FNo.: [] Acft: [B738] Arln: [] Route: [ANEKI Y163 NATOR] Dep: [EDDF] Dest: [EDDM] "
            "Altn: [EDDN] Alt: [24000] Pax: [120] Cargo: [3400] Rules: [IFR]");
  const SFlightData two = ORVANE::fillinFlightData("status\nLOWW");
  EXPECT_EQ(two.sDeparture, "LOWW");
  EXPECT_EQ(two.sArrival, "");
  const SFlightData err = ORVANE::fillinFlightData("ERROR: no such flight");
  EXPECT_EQ(err.output(), SFlightData{}.output());
  EXPECT_NE(logText().find("Message: [Received ERROR: [ERROR: no such flight]]"),
            std::string::npos);
  // A carriage return stays part of its line; a cargo that is no number gives 0.
  const SFlightData cr = ORVANE::fillinFlightData("s\r\nEDDF\r\nB\nC\nD\nE\nlots\n");
  EXPECT_EQ(cr.sDeparture, "EDDF\r");
  EXPECT_EQ(cr.sCargo, "0");
  EXPECT_EQ(ORVANE::fillinFlightData("").output(), SFlightData{}.output());
}

#ifndef _WIN32
TEST_F(EngineFacadeTest, LogKeepsItsEarlierLinesAfterAFailedWrite) {
  ORVANE::Log("first line");
  ORVANE::Log("second line");
  const std::string path = ORVANE::getLogFilePath();
  // A file-size limit just above the log's size makes the next write fail, as a full disk
  // would (root included).
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(std::filesystem::file_size(path) + 10);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  ORVANE::Log(std::string(200, 'x'));
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(logText().find(std::string(200, 'x')), std::string::npos);  // the write did fail

  ORVANE::Log("after the failure");
  const std::string log = logText();
  EXPECT_EQ(log.compare(26, 11, "first line\n"), 0) << log;
  EXPECT_NE(log.find(": second line\n"), std::string::npos);
  EXPECT_NE(log.find(": after the failure\n"), std::string::npos);
}
#endif

}  // namespace
}  // namespace orvane
