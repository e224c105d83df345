// A whole flight through the engine facade with live ACARS off, and the flights that differ.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "support/engine_fixture.h"

namespace orvane {
namespace {

using test::Channel;
using test::EngineFixture;

class EngineFlightTest : public EngineFixture {
 protected:
  void SetUp() override { useOfflineOptions(); }
};

TEST_F(EngineFlightTest, NormalFlightFromGateToGate) {
  flyNormalFlight();
  const std::vector<std::string> expected = {
      // 0
      "BEGINFLIGHT|pilot||ABC123|B738|ABC|EDDF~ANEKI~Y163~NATOR~EDDM|N50 1.998 E8 34.236|364||||12000|248|27008|15|IFR|0|secret|",
      // 1
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:00Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: QA Block ID: 01 Msg No: M01A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "OUT 14:00Z /ZFW 50000 /FOB 12000 /TAW 62000\n"
      "/AP EDDF\n"
      "/POS N50 1.998 E8 34.236\n"
      "/ALT 364\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 0\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "\n",
      // 2
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:00Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: PR Block ID: 01 Msg No: M02A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "POS N50 1.998 E8 34.236\n"
      "/ALT 364\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 0 /TAS 0\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 12000\n"
      "/DST 0 - 0\n"
      "\n",
      // 3
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:02Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: QB Block ID: 01 Msg No: M03A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "OFF 14:02Z /FOB 11700 /TOW 61700\n"
      "/POS N50 1.998 E8 34.236\n"
      "/ALT 500\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 150\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/E1N1 92 /E1N2 97 /E2N1 92 /E2N2 97\n"
      "\n",
      // 4
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:02Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: AR Block ID: 01 Msg No: M04A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "ALT 500 CHG CLIMB\n"
      "/POS N50 1.44 E8 34.566\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 250 /TAS 275\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 11690\n"
      "/DST 0 - 0\n"
      "\n",
      // 5
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:04Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: AR Block ID: 01 Msg No: M05A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "ALT 8000 LEVEL\n"
      "/POS N49 44.142 E8 44.796\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 260 /TAS 286\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 11390\n"
      "/DST 0 - 0\n"
      "\n",
      // 6
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:05Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: PR Block ID: 01 Msg No: M06A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "POS N49 42.468 E8 45.786\n"
      "/ALT 8000\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 260 /TAS 286\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 11375\n"
      "/DST 21 - 0\n"
      "\n",
      // 7
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:10Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: PR Block ID: 01 Msg No: M07A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "POS N49 8.988 E9 5.586\n"
      "/ALT 8000\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 260 /TAS 286\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 11075\n"
      "/DST 57 - 0\n"
      "\n",
      // 8
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:14Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: AR Block ID: 01 Msg No: M08A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "ALT 7750 CHG DESC\n"
      "/POS N48 37.182 E9 24.396\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 220 /TAS 242\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 10800\n"
      "/DST 57 - 0\n"
      "\n",
      // 9
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:15Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: PR Block ID: 01 Msg No: M09A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "POS N48 35.508 E9 25.386\n"
      "/ALT 7000\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 220 /TAS 242\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 10800\n"
      "/DST 93 - 0\n"
      "\n",
      // 10
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:17Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: QC Block ID: 01 Msg No: M10A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "ON 14:17Z /FOB 10500 /LAW 60500\n"
      "/AP EDDM\n"
      "/POS N48 21.558 E9 33.636\n"
      "/ALT 364\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 70\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/E1N1 40 /E1N2 70 /E2N1 40 /E2N2 70\n"
      "\n",
      // 11
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:20Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: PR Block ID: 01 Msg No: M11A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "POS N48 21.558 E9 33.636\n"
      "/ALT 364\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 12 /TAS 13\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "/FOB 10500\n"
      "/DST 108 - 0\n"
      "\n",
      // 12
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:20Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: QD Block ID: 01 Msg No: M12A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "IN 14:20Z /FOB 10450 /RAW 60450\n"
      "/POS N48 21.558 E9 33.636\n"
      "/ALT 364\n"
      "/HDG 248\n"
      "/HDT 250\n"
      "/IAS 0\n"
      "/WND 27008 /OAT 15 /TAT 15\n"
      "\n",
      // 13
      "DATA1=ORVANE_TEST|2.0&DATA2=MESSAGE&DATA3=NO LIVEACARS&DATA4=[07/04/2026 14:20Z]\n"
      "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
      "Msg Label: QM Block ID: 01 Msg No: M13A\n"
      "Flight ID: ABC123\n"
      "Message:\n"
      "BLOCK TIME 00:20 /FUEL 1550\n"
      "FLIGHT TIME 00:15 /FUEL 1200\n"
      "FLIGHT DISTANCE 108\n"
      "\n",
      // 14
      "ENDFLIGHT|NO LIVEACARS"
  };
  const std::vector<std::string> queued = queue();
  ASSERT_EQ(queued.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(queued[i], expected[i]) << i;

  ASSERT_TRUE(cycleUntilDiscarded());
  EXPECT_EQ(stateSequence(),
            (std::vector<int>{FlightState::READY, FlightState::STARTED_OUT,
                              FlightState::TAXIING_OUT, FlightState::CLIMBING,
                              FlightState::CRUISING, FlightState::DESCENDING,
                              FlightState::TAXIING_IN, FlightState::STARTED_IN,
                              FlightState::FINAL, FlightState::NONE}));
  // Final approach below 100 ft ran the cycle every 2 seconds.
  const std::string log = logText();
  EXPECT_NE(log.find("Message: [Currently: IAS:[140] GS: [140] VSpeed: [-700] VSpeed_land:[-700].]"),
            std::string::npos);

  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  const PIREPData pirep = ORVANE::getPIREPData();
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(pirep.pack(),
      "ORVANE-PIREP-Version=3.1\n"
      "FlightNumber=ABC123\n"
      "Aircraft=B738\n"
      "From=EDDF\n"
      "To=EDDM\n"
      "Alternate=EDDN\n"
      "Route=ANEKI Y163 NATOR\n"
      "OOut=04.07.2026 14:00\n"
      "Out=1783173605\n"
      "Off=1783173730\n"
      "On=1783174641\n"
      "In=1783174831\n"
      "BlockTime=00:20\n"
      "FliteTime=00:15\n"
      "BlockFuel=1550\n"
      "FliteFuel=1200\n"
      "FL=8000\n"
      "Passengers=120\n"
      "Cargo=3400\n"
      "Online=OFFLINE\n"
      "Rules=IFR\n"
      "ZFW=50000\n"
      "TOW=61700\n"
      "LAW=60500\n"
      "OriginLat=50.0333\n"
      "OriginLong=8.5706\n"
      "OriginAlt=364\n"
      "DestinLat=48.3593\n"
      "DestinLong=9.5606\n"
      "DestinAlt=364\n"
      "MaxROC=1800\n"
      "MaxROD=1500\n"
      "MaxIAS=260\n"
      "MaxGS=300\n"
      "Comment=\n"
      "VSLand=180\n");
}

TEST_F(EngineFlightTest, FinalApproachCyclesEveryTwoSeconds) {
  startAtGate();
  engines(60, 70);
  cycle();
  set(15, 0, 0, 364, true, 15);
  cycle();
  set(150, 1500, 300, 700, false, 150);
  cycle();
  cycle();
  set(150, -1500, 3000, 3000, false, 150);
  cycle();
  EXPECT_EQ(ORVANE::getLoopInterval(), 5);
  set(140, -600, 99, 460, false, 140);
  cycle();
  EXPECT_EQ(ORVANE::getLoopInterval(), 2);
  set(60, 0, 0, 364, true, 60);
  cycle();
  EXPECT_EQ(ORVANE::getLoopInterval(), 5);
}

TEST_F(EngineFlightTest, LogLinesCarryTheCtimeLayoutAndTheirChannel) {
  ORVANE::Log("ORVANE 2.5.0 initialized.");
  ORVANE::showFlightData("fd");
  startAtGate();
  std::istringstream in(logText());
  std::string line;
  const std::regex layout(
      R"(^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [ 1-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] [0-9]{4}: .*$)");
  std::size_t n = 0;
  while (std::getline(in, line)) {
    EXPECT_TRUE(std::regex_match(line, layout)) << line;
    ++n;
  }
  EXPECT_GT(n, 20u);
  const std::string log = logText();
  // The first line of a run starts a fresh file.
  const std::string first = "Sat Jul  4 14:00:00 2026: Message: [FlightOptions set.]\n";
  EXPECT_EQ(log.compare(0, first.size(), first), 0) << log.substr(0, first.size());
  for (const char* expected :
       {": ORVANE 2.5.0 initialized.\n", ": FlightData: [fd]\n", ": FlightState: [OPTIONS]\n",
        ": ACARS: [Sendthread started.]\n", ": Message: [Switching to init state.]\n",
        ": Message: [Setting StaticData: [FNo.: [ABC123] Acft: [B738] Arln: [ABC] Route: [ANEKI "
        "Y163 NATOR] Dep: [EDDF] Dest: [EDDM] Altn: [EDDN] Alt: [FL240] Pax: [120] Cargo: "
        "[3400] Rules: [IFR]]]\n"}) {
    EXPECT_NE(log.find(expected), std::string::npos) << expected;
  }
}

class EngineVariantsTest : public EngineFlightTest {};

TEST_F(EngineVariantsTest, PausesOnTheGroundAndInTheAir) {
  startAtGate();
  engines(60, 70);
  cycle();  // OUT at 14:00:05
  set(0, 0, 0, 364, true, 0);
  sim().state.paused = true;  // ten minutes on the ground
  cycle();
  clock_.advance(600);
  cycles(3);
  sim().state.paused = false;
  set(15, 0, 0, 364, true, 15);
  cycles(6);
  set(150, 1500, 300, 700, false, 150);
  cycle();  // OFF
  set(300, 0, 7600, 8000, false, 260);
  cycles(2);
  sim().state.paused = true;  // twenty minutes in the air
  cycle();
  clock_.advance(1200);
  cycle();
  sim().state.paused = false;
  cycles(2);
  landAndPark();
  const PIREPData p = finish();
  const long out = std::stol(p.Out), off = std::stol(p.Off), on = std::stol(p.On),
             in = std::stol(p.In);
  // Both pauses shorten the block time, only the one in the air the flight time.
  const long airPause = 1200 + 5, groundPause = 600 + 5 * 4;
  EXPECT_EQ(p.BlockTime, s2hm(in - out - airPause - groundPause));
  EXPECT_EQ(p.FliteTime, s2hm(on - off - airPause));
  EXPECT_EQ(p.BlockTime, "00:01");
  EXPECT_EQ(p.FliteTime, "00:00");
  const auto q = lastQueue_;
  EXPECT_EQ(std::count_if(q.begin(), q.end(),
                          [](const std::string& m) {
                            return m.find("&DATA2=PAUSEFLIGHT&") != std::string::npos;
                          }),
            4);
}

TEST_F(EngineVariantsTest, ClockJumpsForwardAndBackLeaveTheTimesAlone) {
  toCruise();
  const int block = ORVANE::getCurrentBlockTime();
  const int flight = ORVANE::getCurrentFlightTime();
  clock_.advance(3600);
  ORVANE::setRealTimeChanged(3600);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block);
  EXPECT_EQ(ORVANE::getCurrentFlightTime(), flight);
  clock_.advance(-7200);
  ORVANE::setRealTimeChanged(-7200);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block);
  EXPECT_EQ(ORVANE::getCurrentFlightTime(), flight);
  EXPECT_NE(logText().find("Message: [Noticed Real Time change of [-7200] s.]"),
            std::string::npos);
}

TEST_F(EngineVariantsTest, TouchAndGoKeepsTheFirstTakeOff) {
  toCruise();
  const int firstOff = ORVANE::getOffTime();
  set(150, -1500, 3000, 3000, false, 150);
  cycles(2);
  set(60, 0, 0, 364, true, 60);
  cycle();  // ON
  EXPECT_EQ(ORVANE::getState(), FlightState::TAXIING_IN);
  set(140, 1200, 60, 420, false, 140);
  cycle();  // airborne again, no event
  EXPECT_EQ(ORVANE::getState(), FlightState::CLIMBING);
  set(300, 0, 7600, 8000, false, 260);
  cycles(2);
  landAndPark();
  EXPECT_EQ(ORVANE::getOffTime(), firstOff);
  const PIREPData p = finish();
  EXPECT_EQ(std::stol(p.Off), firstOff);
  std::size_t ons = 0;
  for (const auto& m : lastQueue_) ons += m.find("\nON ") != std::string::npos;
  EXPECT_EQ(ons, 2u);
}

TEST_F(EngineVariantsTest, GoAroundClimbsAgainFromTheApproach) {
  toCruise();
  set(150, -1500, 3000, 3000, false, 150);
  cycles(2);
  set(140, -500, 80, 444, false, 140);
  cycle();
  EXPECT_EQ(ORVANE::getLoopInterval(), 2);
  set(150, 1500, 150, 514, false, 150);
  cycle();
  EXPECT_EQ(ORVANE::getState(), FlightState::CLIMBING);
  EXPECT_EQ(ORVANE::getLoopInterval(), 5);
  landAndPark();
  const PIREPData p = finish();
  EXPECT_EQ(p.VSLand, "400");  // the second approach's rate
}

TEST_F(EngineVariantsTest, CrashInTheAirEndsTheFlightWithoutAPIREP) {
  toCruise();
  sim().state.crashed = true;
  cycle();
  EXPECT_TRUE(ORVANE::isFlightCrashed());
  EXPECT_TRUE(cycleUntilDiscarded());
  // The end-of-flight text reached the send thread, which had no ON and IN for a PIREP.
  EXPECT_NE(logText().find("ACARS: [Starting PIREP Transaction.]"), std::string::npos);
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
  sim().state.crashed = false;
  EXPECT_TRUE(ORVANE::isFlightCrashed());  // latched until the next prepare
  ORVANE::prepare();
  EXPECT_FALSE(ORVANE::isFlightCrashed());
}

TEST_F(EngineVariantsTest, LosingTheSimulatorInTheAirSuspendsTheFlightUntilThePilotEndsIt) {
  toCruise();
  sim().state.connected = false;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(ORVANE::cycleOnce());
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  const FlightHold hold = ORVANE::getFlightHold();
  EXPECT_TRUE(hold.suspended);
  EXPECT_EQ(hold.suspendedText.rfind("Simulator lost at ", 0), 0u) << hold.suspendedText;
  EXPECT_EQ(logText().find("ACARS: [Starting PIREP Transaction.]"), std::string::npos);
  ORVANE::endFlight();
  EXPECT_FALSE(ORVANE::getFlightHold().suspended);
  EXPECT_TRUE(cycleUntilDiscarded());
  EXPECT_NE(logText().find("ACARS: [Starting PIREP Transaction.]"), std::string::npos);
  EXPECT_NE(logText().find("Message: [No connection to flight simulator.]"), std::string::npos);
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
}

TEST_F(EngineVariantsTest, AcarsObjectStoppingMidFlightEndsIt) {
  toCruise();
  {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    ORVANE::currentFlight()->acars()->stopSending();
  }
  EXPECT_TRUE(cycleUntilDiscarded());
  EXPECT_NE(lastQueue_.back().rfind("ENDFLIGHT", 0), 0u);  // no end-of-flight text
  EXPECT_FALSE(ORVANE::cycleOnce());
}

TEST_F(EngineVariantsTest, LiveAcarsCannotBeSwitchedOnMidFlight) {
  toCruise();
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = true;
  ORVANE::setFlightOptions(o);
  EXPECT_EQ(ORVANE::getConnectFailed(), "Cannot change LiveACARS status during ACARS tracking!");
  EXPECT_EQ(ORVANE::getConnectFailed(), "");
  std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
  EXPECT_FALSE(ORVANE::currentFlight()->acars()->isLiveACARSEnabled());
}

TEST_F(EngineVariantsTest, StatisticsRestartWithEveryBeginFlight) {
  startAtGate();
  set(0, 1500, 0, 364, true, 0);
  cycle();
  set(0, -800, 0, 364, true, 0);
  cycle();
  set(0, 200, 0, 364, true, 0);
  cycle();
  PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.MaxROC, "1500");
  EXPECT_EQ(p.MaxROD, "800");
  ORVANE::BeginFlight();
  set(0, 0, 0, 364, true, 0);
  cycle();
  p = ORVANE::getPIREPData();
  EXPECT_EQ(p.MaxROC, "0");
  EXPECT_EQ(p.MaxROD, "0");
}

TEST_F(EngineVariantsTest, FinalizeMidFlightEndsItWithoutAPIREP) {
  toCruise();
  ORVANE::finalize();
  EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
  EXPECT_NE(logText().find("ACARS: [ACARS stopped.]"), std::string::npos);
}

}  // namespace
}  // namespace orvane
