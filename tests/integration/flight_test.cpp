// End-to-end flights through the engine, the real simulator link and the airline server.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <limits>
#include <set>

#include "integration/integration_fixture.h"
#include "integration/scenarios.h"
#include "util/form_encode.h"
#include "util/util.h"

namespace orvane {
namespace {

using test::eventually;
using test::IntegrationTest;

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

TEST_F(IntegrationTest, NormalFlightGateToGateWithTheServersReportIntervals) {
  loadSettings(/*liveACARS=*/true, /*posReportMinutes=*/2);
  startFlight();
  int out = 0, off = 0, on = 0, in = 0;
  std::vector<int> states;
  for (int i = 0; i < 400; ++i) {
    const bool tracked = cycle();
    const int s = ORVANE::getState();
    if (states.empty() || states.back() != s) states.push_back(s);
    if (!out) out = ORVANE::getOutTime();
    if (!off) off = ORVANE::getOffTime();
    if (!on) on = ORVANE::getOnTime();
    if (!in) in = ORVANE::getInTime();
    if (!tracked) break;
  }
  EXPECT_EQ(states, (std::vector<int>{FlightState::READY, FlightState::STARTED_OUT,
                                      FlightState::TAXIING_OUT, FlightState::CLIMBING,
                                      FlightState::CRUISING, FlightState::DESCENDING,
                                      FlightState::TAXIING_IN, FlightState::STARTED_IN,
                                      FlightState::FINAL, FlightState::NONE}));
  expectServerGotTheQueue();
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_EQ(queuedWith("&DATA3=4711&DATA4=[07/04/2026 14:0"),
            lastQueue_.size() - (lastQueue_.back().rfind("ENDFLIGHT", 0) == 0 ? 2 : 1));
  for (const char* kind : {"\nOUT 14:00Z /ZFW 128500 /FOB ", "\nOFF 14:01Z ", "\nON 14:06Z ",
                           "\nIN 14:07Z ", "\nALT 8021 LEVEL\n", "\nBLOCK TIME 00:0"}) {
    EXPECT_EQ(queuedWith(kind), 1u) << kind;
  }

  // Reports every 30 s below 1000 ft, every 60 s below 5000 ft, every 2 minutes above.
  std::vector<std::time_t> t;
  for (std::size_t i = 0; i < lastQueue_.size(); ++i)
    if (has(lastQueue_[i], "\nMessage:\nPOS ")) t.push_back(queuedAt_[i]);
  ASSERT_GE(t.size(), 6u);
  std::set<long> gaps;
  for (std::size_t i = 1; i < t.size(); ++i) gaps.insert(static_cast<long>(t[i] - t[i - 1]));
  EXPECT_TRUE(gaps.count(30)) << *gaps.begin();
  EXPECT_TRUE(gaps.count(60) || gaps.count(120));
  for (long g : gaps) EXPECT_TRUE(g >= 30 && g <= 125) << g;

  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.Callsign, "ABC123");
  EXPECT_EQ(p.Aircraft, "A320");
  EXPECT_EQ(p.From, "EDDF");
  EXPECT_EQ(p.To, "EDFZ");
  EXPECT_EQ(p.OOut, "04.07.2026 14:00");
  EXPECT_EQ(p.Out, std::to_string(out));
  EXPECT_EQ(p.Off, std::to_string(off));
  EXPECT_EQ(p.On, std::to_string(on));
  EXPECT_EQ(p.In, std::to_string(in));
  EXPECT_EQ(p.BlockTime, s2hm(in - out));
  EXPECT_EQ(p.FliteTime, s2hm(on - off));
  EXPECT_EQ(p.BlockTime, "00:07");
  EXPECT_EQ(p.FliteTime, "00:05");
  EXPECT_EQ(p.FL, "8021");
  EXPECT_EQ(p.ZFW, "128500");
  EXPECT_EQ(p.OriginLat, "50.048");
  EXPECT_EQ(p.Online, "OFFLINE");
  const int vsLand = std::stoi(p.VSLand);
  EXPECT_TRUE(vsLand >= 140 && vsLand <= 700) << vsLand;
  const int maxRoc = std::stoi(p.MaxROC), maxRod = std::stoi(p.MaxROD);
  EXPECT_TRUE(maxRoc > 4900 && maxRoc <= 5000) << maxRoc;  // as sampled every 5 s
  EXPECT_TRUE(maxRod > 3900 && maxRod <= 4000) << maxRod;

  p.Online = "VATSIM";
  p.Comment = "Nice\nflight ~ 1=1";
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "PIREP accepted");
  const auto pirep = airline_.requests_for(kPirep);
  ASSERT_EQ(pirep.size(), 1u);
  EXPECT_EQ(pirep[0].body, "DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret~" + [&] {
              // The record as sent, joined by "~", the comment in Base64.
              return p.Callsign + "~" + p.Aircraft + "~" + p.FL + "~" + p.Rules + "~" + p.From +
                     "~" + p.To + "~" + p.Alt + "~" + p.OOut + "~" + p.BlockTime + "~" +
                     p.FliteTime + "~" + p.BlockFuel + "~" + p.FliteFuel + "~" + p.Passengers +
                     "~" + p.Cargo + "~VATSIM~" + p.Out + "~" + p.Off + "~" + p.On + "~" + p.In +
                     "~" + p.ZFW + "~" + p.TOW + "~" + p.LAW + "~" + p.OriginLat + "~" +
                     p.OriginLong + "~" + p.OriginAlt + "~" + p.DestinLat + "~" + p.DestinLong +
                     "~" + p.DestinAlt + "~" + p.MaxROC + "~" + p.MaxROD + "~" + p.MaxIAS + "~" +
                     p.MaxGS + "~" + form_encode(base64encode(p.Comment));
            }());
  EXPECT_TRUE(logHas("ACARS: [BEGINFLIGHT successfull, ID: [4711]]"));
  EXPECT_TRUE(logHas("ACARS: [ENDFLIGHT successfull.]"));
  EXPECT_TRUE(logHas("ACARS: [PIREP successfull.]"));
  EXPECT_FALSE(logHas("secret"));
}

TEST_F(IntegrationTest, PausesOnTheGroundAndInTheAirAndAClockJump) {
  loadSettings(true, 5);
  startFlight(test::pausingFlight() + "event 40 pause\nevent 100 resume\n"
                                      "event 250 pause\nevent 310 resume\n");
  flyUntil(350);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  const int block = ORVANE::getCurrentBlockTime();
  const int flight = ORVANE::getCurrentFlightTime();
  // The wall clock jumps an hour ahead; the worker reports it; the simulator flies on.
  clock_.advance(3600);
  flightStartMs_ += 3600 * 1000;
  ORVANE::setRealTimeChanged(3600);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block);
  EXPECT_EQ(ORVANE::getCurrentFlightTime(), flight);
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1"), 2u);
  EXPECT_EQ(queuedWith("&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0"), 2u);
  // The pauses as the test saw them: from the cycle that queued each pause report to the
  // cycle that queued its resume report.
  long ground = 0, air = 0;
  {
    std::vector<std::time_t> pauses, resumes;
    for (std::size_t i = 0; i < lastQueue_.size(); ++i) {
      if (has(lastQueue_[i], "&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1")) pauses.push_back(queuedAt_[i]);
      if (has(lastQueue_[i], "&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0")) resumes.push_back(queuedAt_[i]);
    }
    ASSERT_EQ(pauses.size(), 2u);
    ASSERT_EQ(resumes.size(), 2u);
    ground = static_cast<long>(resumes[0] - pauses[0]);
    air = static_cast<long>(resumes[1] - pauses[1]);
  }
  EXPECT_NEAR(ground, 60, 6);
  EXPECT_NEAR(air, 60, 6);
  const PIREPData p = ORVANE::getPIREPData();
  const long out = std::stol(p.Out), off = std::stol(p.Off), on = std::stol(p.On),
             in = std::stol(p.In);
  // Both pauses are not block time, the air pause is not flight time, the hour's jump is
  // neither. The report has whole minutes; allow the second the pause reads may differ by.
  const auto minutes = [](const std::string& hm) {
    return std::stol(hm.substr(0, hm.find(':'))) * 60 + std::stol(hm.substr(hm.find(':') + 1));
  };
  const long blockSeconds = in - out - ground - air - 3600;
  const long flightSeconds = on - off - air - 3600;
  EXPECT_GE(minutes(p.BlockTime), (blockSeconds - 2) / 60) << p.BlockTime << " " << blockSeconds;
  EXPECT_LE(minutes(p.BlockTime), (blockSeconds + 2) / 60) << p.BlockTime << " " << blockSeconds;
  EXPECT_GE(minutes(p.FliteTime), (flightSeconds - 2) / 60) << p.FliteTime;
  EXPECT_LE(minutes(p.FliteTime), (flightSeconds + 2) / 60) << p.FliteTime;
  EXPECT_TRUE(logHas("Message: [Noticed Real Time change of [3600] s.]"));
}

TEST_F(IntegrationTest, TouchAndGoKeepsTheFirstTakeOff) {
  loadSettings(true);
  startFlight(test::touchAndGoFlight());
  flyUntil(200);
  const int firstOff = ORVANE::getOffTime();
  ASSERT_NE(firstOff, 0);
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("\nON "), 2u);
  EXPECT_EQ(queuedWith("\nOFF "), 1u);  // the second lift-off raises no event
  const PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.Off, std::to_string(firstOff));
  EXPECT_GT(std::stol(p.On), firstOff + 600);  // the last touchdown counts
}

TEST_F(IntegrationTest, GoAroundClimbsAwayFromTheApproach) {
  loadSettings(true);
  startFlight(test::goAroundFlight());
  flyUntil(569);
  EXPECT_EQ(ORVANE::getLoopInterval(), 2);
  flyUntil(600);
  EXPECT_EQ(ORVANE::getState(), FlightState::CLIMBING);
  EXPECT_EQ(ORVANE::getLoopInterval(), 5);
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("\nON "), 1u);
  EXPECT_EQ(queuedWith(" CHG CLIMB\n"), 2u);
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(IntegrationTest, CrashInTheAirEndsTheFlight) {
  loadSettings(true);
  startFlight(model::default_scenario_text() + "event 200 crash\n");
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_TRUE(logHas("Message: [Flight is crashed.]"));
  EXPECT_TRUE(ORVANE::isFlightCrashed());
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());  // no ON and IN: no PIREP
}

TEST_F(IntegrationTest, SimulatorVanishingInTheAirSuspendsTheFlightUntilThePilotEndsIt) {
  loadSettings(true);
  startFlight(model::default_scenario_text() + "event 200 disconnect\n");
  flyUntil(320);
  EXPECT_TRUE(ORVANE::getFlightHold().suspended);
  EXPECT_NE(ORVANE::getState(), FlightState::FINAL);
  EXPECT_EQ(queuedWith("ENDFLIGHT|"), 0u);
  ORVANE::endFlight();
  ASSERT_TRUE(flyToTheEnd());
  EXPECT_FALSE(sim_->running());
  expectServerGotTheQueue();
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_TRUE(logHas("Message: [No connection to flight simulator.]"));
  EXPECT_TRUE(logHas("Message: [FSUIPC_Open fehlgeschlagen: [Cannot link to FSUIPC or WideClient]]"));
}

// A simulator whose link answers is there, however long its counter stands still: the pilot
// is told, the flight goes on.
TEST_F(IntegrationTest, FrozenSimulatorThatAnswersIsToldAboutAndTheFlightGoesOn) {
  loadSettings(true);
  startFlight(model::default_scenario_text() + "event 190 freeze\n");
  flyUntil(245);
  EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  EXPECT_FALSE(logHas("seems to be loading or frozen"));  // still within the minute
  flyUntil(266);  // first seen frozen at the cycle of 195 s; told at 260 s
  EXPECT_TRUE(logHas("Message: [The flight simulator seems to be loading or frozen: no sign of "
                     "life for 60 s.]"));
  ASSERT_TRUE(flyToTheEnd());
  EXPECT_FALSE(logHas("not connected at time ["));
  EXPECT_FALSE(logHas("No connection to flight simulator."));
  expectServerGotTheQueue();
  EXPECT_EQ(queuedWith("\nIN "), 1u);
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(IntegrationTest, ServerDownAtTheStartLosesNothing) {
  airline_.stop();
  expectPosts_ = false;
  loadSettings(true);
  startFlight();
  EXPECT_EQ(ORVANE::getConnectFailed(), "");  // an outage, not a refusal: nothing to ask
  flyUntil(30);
  ASSERT_TRUE(airline_.restart());
  expectPosts_ = true;
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_TRUE(logHas("ACARS: [Starting PIREP Transaction.]"));
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(IntegrationTest, ServerDownInMidFlightLosesNothing) {
  loadSettings(true, 1);
  startFlight();
  flyUntil(175);
  airline_.stop();
  expectPosts_ = false;
  flyUntil(205);  // thirty seconds of flight without the server, the level-off among them
  ASSERT_TRUE(airline_.restart());
  expectPosts_ = true;
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();
  EXPECT_TRUE(logHas("-- trying again.]"));
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(IntegrationTest, RefusedBeginFlightThenTrackedWithoutLiveAcars) {
  answerBeginFlight(airline::Reply{200, "0|No booking for ABC123"});
  loadSettings(true);
  startFlight();
  std::string failed;
  ASSERT_TRUE(test::eventually([&] { return !(failed = ORVANE::getConnectFailed()).empty(); }));
  EXPECT_EQ(failed, "No booking for ABC123");
  for (int i = 0; i < 3; ++i) cycle();
  EXPECT_EQ(ORVANE::getState(), FlightState::INIT);
  // The window offers to go on without live messages: options off, start again.
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = false;
  ORVANE::setFlightOptions(o);
  expectPosts_ = false;
  ORVANE::BeginFlight();
  ASSERT_TRUE(flyToTheEnd());
  EXPECT_TRUE(logHas("ACARS: [Starting PIREP Transaction.]"));
  EXPECT_EQ(airline_.count(kAcars), 2u);  // the test and the refused BEGINFLIGHT
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(IntegrationTest, RefusedPIREPIsSentAgain) {
  airline_.push_reply(kPirep, airline::Reply{200, "0|Please add a comment"});
  loadSettings(true);
  startFlight();
  ASSERT_TRUE(flyToTheEnd());
  PIREPData p = ORVANE::getPIREPData();
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "Please add a comment");
  p.Comment = "Smooth";
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  const auto bodies = airline_.requests_for(kPirep);
  ASSERT_EQ(bodies.size(), 2u);
  EXPECT_TRUE(has(bodies[1].body, "~U21vb3Ro"));
  EXPECT_TRUE(logHas("ACARS: [PIREP returned error: [Please add a comment].]"));
}

TEST_F(IntegrationTest, SettingsChangedInFlight) {
  loadSettings(/*liveACARS=*/false);
  expectPosts_ = false;
  startFlight();
  flyUntil(200);
  // Live ACARS cannot be switched on now; the new PIREP address is taken over.
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = true;
  o.PIREP_URL = airline_.url("/pirep2.php");
  ORVANE::setFlightOptions(o);
  EXPECT_EQ(ORVANE::getConnectFailed(), "Cannot change LiveACARS status during ACARS tracking!");
  airline_.set_default("/pirep2.php", airline::Reply{200, "1|Got it"});
  ASSERT_TRUE(flyToTheEnd());
  EXPECT_EQ(airline_.count(kAcars), 0u);
  EXPECT_TRUE(logHas("ACARS: [Starting PIREP Transaction.]"));
  // The window's next flight for sending keeps the new address, with live ACARS off.
  FlightOptions next = ORVANE::getFlightOptions();
  next.enableLiveACARS = false;
  ORVANE::setFlightOptions(next);
  sendPIREP(ORVANE::getPIREPData());
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "Got it");
  EXPECT_EQ(airline_.count("/pirep2.php"), 1u);
}

TEST_F(IntegrationTest, ServerDownFromTakeOffToTheEndThePilotEndsTheFlightAndGetsThePIREP) {
  loadSettings(true, 1);
  startFlight();
  flyUntil(70);  // OFF comes at lift-off, 77 s
  airline_.stop();
  expectPosts_ = false;
  for (int i = 0; i < 400 && ORVANE::getState() != FlightState::FINAL; ++i) cycle();
  ASSERT_EQ(ORVANE::getState(), FlightState::FINAL);
  // The queue waits for the server: the flight stays in FINAL. Its PIREP was made when it
  // ended and does not wait for the server.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(cycle());
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());

  // The pilot stops ACARS: what is left is tried once; the PIREP is still there.
  const auto before = std::chrono::steady_clock::now();
  ORVANE::finalize();
  const auto took = std::chrono::steady_clock::now() - before;
  std::cout << "finalize during the outage took "
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  const PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.BlockTime, "00:07");
  EXPECT_EQ(p.Callsign, "ABC123");
  EXPECT_TRUE(logHas("ACARS: [However, normal ENDFLIGHT handling ...]"));
  EXPECT_TRUE(logHas("ACARS: [Not delivered: [DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711"));
  EXPECT_FALSE(logHas("secret"));
}

TEST_F(IntegrationTest, FifteenMinuteOutageDeliversEverythingInOrderThenTheEndAndThePIREP) {
  loadSettings(true, 1);
  startFlight();
  flyUntil(70);
  airline_.stop();
  expectPosts_ = false;
  const std::int64_t outageStart = clock_.mono_ms();
  const std::size_t queuedBefore = lastQueue_.size();
  for (int i = 0; i < 400 && ORVANE::getState() != FlightState::FINAL; ++i) cycle();
  ASSERT_EQ(ORVANE::getState(), FlightState::FINAL);
  ASSERT_GE(lastQueue_.size() - queuedBefore, 4u);  // OFF, reports, ON, IN, STAT, ENDFLIGHT
  // The rest of the quarter hour, retry by retry.
  while (clock_.mono_ms() - outageStart < 15 * 60 * 1000) ASSERT_NE(stepToNextRetry(), 0);
  ASSERT_TRUE(airline_.restart());
  const std::int64_t back = clock_.mono_ms();
  const std::int64_t due = stepToNextRetry();
  ASSERT_NE(due, 0);
  EXPECT_LE(due - back, 60'000);  // within a minute of clock time
  ASSERT_TRUE(eventually([&] { return sendThreadStopped(); }));
  expectPosts_ = true;
  ASSERT_TRUE(flyToTheEnd());
  expectServerGotTheQueue();  // every text once, in order, ENDFLIGHT last
  EXPECT_EQ(lastPosted(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  const std::string log = logText();
  const std::size_t end = log.find("ACARS: [ENDFLIGHT successfull.]");
  ASSERT_NE(end, std::string::npos);
  // The report was made when the flight ended, before the server's answer to ENDFLIGHT.
  const std::size_t made = log.find("ACARS: [Starting PIREP Transaction.]");
  ASSERT_NE(made, std::string::npos);
  EXPECT_LT(made, end);
  EXPECT_TRUE(logHas("ACARS: [ACARS server answers again after ["));
  EXPECT_FALSE(logHas("Not delivered"));
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(ORVANE::getPIREPData().BlockTime, "00:07");
}

TEST_F(IntegrationTest, BeginFlightFailingForTwoMinutesThenAnsweredGivesTheIdToTheWholeFlight) {
  std::atomic<std::int64_t> failUntil{std::numeric_limits<std::int64_t>::max()};
  airline_.set_handler([this, &failUntil](const airline::Request& r)
                           -> std::optional<airline::Reply> {
    if (r.body.find("&DATA2=BEGINFLIGHT&") == std::string::npos) return std::nullopt;
    if (clock_.mono_ms() < failUntil) return airline::Reply{503, "Service Unavailable"};
    return airline::Reply{200, "1|4711|PosRep 1000:30 5000:60"};
  });
  loadSettings(true, 2);
  failUntil = clock_.mono_ms() + 1'000'000'000;  // until the two minutes are known
  startFlight();
  const std::int64_t start = clock_.mono_ms();
  failUntil = start + 120'000;
  while (clock_.mono_ms() < failUntil) ASSERT_NE(stepToNextRetry(), 0);
  stepToNextRetry();  // the first try after the two minutes is answered
  ASSERT_TRUE(eventually([] {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    return f && f->acars() && f->acars()->ACARS_Ready();
  }));
  EXPECT_EQ(ORVANE::getConnectFailed(), "");  // an outage, not a question for the pilot
  EXPECT_EQ(ORVANE::getState(), FlightState::INIT);
  flightStartMs_ = clock_.now_ms();  // the aircraft waited at the gate meanwhile
  ASSERT_TRUE(flyToTheEnd());
  const auto bodies = posted();
  std::size_t lastBegin = 0;
  for (std::size_t i = 0; i < bodies.size(); ++i)
    if (has(bodies[i], "&DATA2=BEGINFLIGHT&")) lastBegin = i;
  ASSERT_GE(lastBegin, 3u);  // tried several times
  // After the answered BEGINFLIGHT: the rest of the queue, in order, each with the id.
  ASSERT_EQ(bodies.size() - lastBegin, lastQueue_.size());
  for (std::size_t i = 1; i < lastQueue_.size(); ++i) {
    if (lastQueue_[i].rfind("ENDFLIGHT|", 0) == 0) {
      EXPECT_EQ(bodies[lastBegin + i], "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
    } else {
      EXPECT_EQ(bodies[lastBegin + i], test::on_the_wire(lastQueue_[i])) << i;
      EXPECT_TRUE(has(lastQueue_[i], "&DATA3=4711&DATA4=")) << lastQueue_[i];
    }
  }
  const std::string log = logText();
  const std::size_t end = log.find("ACARS: [ENDFLIGHT successfull.]");
  ASSERT_NE(end, std::string::npos);
  // The report was made when the flight ended, before the server's answer to ENDFLIGHT.
  const std::size_t made = log.find("ACARS: [Starting PIREP Transaction.]");
  ASSERT_NE(made, std::string::npos);
  EXPECT_LT(made, end);
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(ORVANE::getPIREPData().Callsign, "ABC123");
}

}  // namespace
}  // namespace orvane
