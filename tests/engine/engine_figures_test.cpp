// A flight's figures: clock jumps told from stalls, statistics and track kept with the finished flight.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/engine_fixture.h"

namespace orvane {
namespace {

using test::EngineFixture;

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

class FiguresTest : public EngineFixture {
 protected:
  void SetUp() override { useOfflineOptions(); }

  std::size_t jumpsNoticed() { return count(logText(), "Noticed Real Time change"); }

  // The next flight is prepared and started at the gate and runs a few cycles.
  void nextFlightAtTheGate() {
    ORVANE::prepare();
    ASSERT_EQ(ORVANE::getState(), FlightState::INIT);
    set(0, 0, 0, 364, true, 0);
    engines(0, 0);
    ORVANE::BeginFlight();
    waitUntilAcarsReady();
    cycles(3);
  }
};

// ---- Clock jumps ------------------------------------------------------------------------------

TEST_F(FiguresTest, StalledWorkerIsNoClockJump) {
  toCruise();
  ORVANE::checkClockJump();
  const int block = ORVANE::getCurrentBlockTime();
  // A window that took a minute to answer: both clocks moved.
  clock_.advance(60);
  ORVANE::checkClockJump();
  clock_.advance(5);
  ORVANE::checkClockJump();
  EXPECT_EQ(jumpsNoticed(), 0u);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block + 65);
}

TEST_F(FiguresTest, WallClockJumpsAreReportedOnceAndTakenOutOfTheRunningTimes) {
  toCruise();
  ORVANE::checkClockJump();
  const int block = ORVANE::getCurrentBlockTime();
  const int flight = ORVANE::getCurrentFlightTime();

  clock_.advance(1);
  clock_.jump(3600);
  ORVANE::checkClockJump();
  ORVANE::checkClockJump();
  EXPECT_EQ(count(logText(), "Message: [Noticed Real Time change of [3600] s.]"), 1u);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block + 1);
  EXPECT_EQ(ORVANE::getCurrentFlightTime(), flight + 1);

  clock_.advance(2);
  clock_.jump(-3600);
  ORVANE::checkClockJump();
  ORVANE::checkClockJump();
  EXPECT_EQ(count(logText(), "Message: [Noticed Real Time change of [-3600] s.]"), 1u);
  EXPECT_EQ(jumpsNoticed(), 2u);
  EXPECT_EQ(ORVANE::getCurrentBlockTime(), block + 3);
  EXPECT_EQ(ORVANE::getCurrentFlightTime(), flight + 3);
}

TEST_F(FiguresTest, StepsWithinTheWorkersToleranceAreNotReported) {
  toCruise();
  ASSERT_EQ(ORVANE::getLoopInterval(), 5);
  ORVANE::checkClockJump();
  clock_.jump(10);  // two loop intervals ahead: tolerated
  ORVANE::checkClockJump();
  clock_.jump(-2);  // half an interval back: tolerated
  ORVANE::checkClockJump();
  EXPECT_EQ(jumpsNoticed(), 0u);
  clock_.jump(11);
  ORVANE::checkClockJump();
  clock_.jump(-3);
  ORVANE::checkClockJump();
  EXPECT_EQ(count(logText(), "Noticed Real Time change of [11] s."), 1u);
  EXPECT_EQ(count(logText(), "Noticed Real Time change of [-3] s."), 1u);
}

TEST_F(FiguresTest, ClockJumpInFlightIsTakenOutOfThePIREP) {
  toCruise();
  ORVANE::checkClockJump();
  clock_.jump(3600);
  ORVANE::checkClockJump();
  cycles(2);
  landAndPark();
  const PIREPData p = finish();
  const long out = std::stol(p.Out), off = std::stol(p.Off), on = std::stol(p.On),
             in = std::stol(p.In);
  EXPECT_EQ(p.BlockTime, s2hm(in - out - 3600));
  EXPECT_EQ(p.FliteTime, s2hm(on - off - 3600));
}

// ---- Statistics and track of the finished flight ------------------------------------------

TEST_F(FiguresTest, StatisticsAndTrackSurvivePreparingTheNextFlightBeforeTheFetch) {
  flyNormalFlight();
  ASSERT_TRUE(cycleUntilDiscarded());
  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  const FlightTrack track = ORVANE::getFlightTrack();
  ASSERT_FALSE(track.empty());

  nextFlightAtTheGate();
  const PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.MaxROC, "1800");
  EXPECT_EQ(p.MaxROD, "1500");
  EXPECT_EQ(p.MaxIAS, "260");
  EXPECT_EQ(p.MaxGS, "300");
  EXPECT_EQ(p.VSLand, "180");
  EXPECT_EQ(ORVANE::getFlightTrack(), track);
}

TEST_F(FiguresTest, ReportDeliveredBeforeTheEndOfTheCycleGetsTheFiguresOfItsFlight) {
  // The send thread may deliver the report while the cycle that ended the flight is still
  // running: the figures sealed afterwards go with it. (No report of the send thread here:
  // the early one is the only one.)
  FlightOptions o = ORVANE::getFlightOptions();
  o.enablePIREP = false;
  ORVANE::setFlightOptions(o);
  toCruise();
  PIREPData early;
  early.Callsign = "EARLY";
  ORVANE::PIREPDataCallback(early);
  EXPECT_TRUE(ORVANE::getFlightTrack().empty());
  landAndPark();
  ASSERT_TRUE(cycleUntilDiscarded());
  nextFlightAtTheGate();
  const PIREPData p = ORVANE::getPIREPData();
  EXPECT_EQ(p.Callsign, "EARLY");
  EXPECT_EQ(p.MaxGS, "300");
  EXPECT_EQ(p.MaxROD, "1500");
  EXPECT_EQ(p.VSLand, "400");
  EXPECT_FALSE(ORVANE::getFlightTrack().empty());
}

TEST_F(FiguresTest, WithoutADeliveredReportTheRunningStatisticsAreReported) {
  FlightOptions o = ORVANE::getFlightOptions();
  o.enablePIREP = false;
  ORVANE::setFlightOptions(o);
  toCruise();
  landAndPark();
  ASSERT_TRUE(cycleUntilDiscarded());
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
  EXPECT_TRUE(ORVANE::getFlightTrack().empty());
  nextFlightAtTheGate();
  EXPECT_EQ(ORVANE::getPIREPData().MaxGS, "0");
}

TEST_F(FiguresTest, WholeFlightTrackIsTimeOrderedFromOutToIn) {
  flyNormalFlight();
  const PIREPData p = finish();
  const FlightTrack track = ORVANE::getFlightTrack();
  ASSERT_FALSE(track.empty());
  const auto& points = track.points;
  for (std::size_t i = 1; i < points.size(); ++i)
    EXPECT_LT(points[i - 1].time, points[i].time) << i;
  EXPECT_EQ(points.front().time, std::stol(p.Out));
  EXPECT_EQ(points.back().time, std::stol(p.In));
  // A short flight is kept whole: one sample per cycle from OUT to IN.
  EXPECT_EQ(points.size(), 1u + 24 + 1 + 30 + 120 + 30 + 4 + 36 + 2);
  const auto highest = std::max_element(
      points.begin(), points.end(),
      [](const TrackPoint& a, const TrackPoint& b) { return a.altitude < b.altitude; });
  EXPECT_EQ(highest->altitude, 8000);
  EXPECT_EQ(highest->groundSpeed, 300);
  EXPECT_NEAR(points.front().latitude, 50.0333, 1e-4);
  EXPECT_NEAR(points.front().longitude, 8.5706, 1e-4);
  EXPECT_NEAR(points.back().latitude, std::stod(p.DestinLat), 1e-3);
  EXPECT_NEAR(points.back().longitude, std::stod(p.DestinLong), 1e-3);
}

TEST_F(FiguresTest, TwelveHourFlightTrackStaysUnder100kB) {
  startAtGate();
  engines(60, 70);
  cycle();  // OUT
  set(15, 0, 0, 364, true, 15);
  cycles(12);
  set(150, 1500, 300, 700, false, 150);
  cycle();  // OFF
  for (int i = 0; i < 60; ++i) {
    set(280, 1800, 500 + 600 * i, 500 + 600 * i, false, 250);
    cycle();
  }
  set(480, 0, 36000, 36000, false, 280);
  const int cruiseCycles = 12 * 3600 / 5;
  for (int i = 0; i < cruiseCycles; ++i) {
    sim().state.lat -= 0.0011;
    sim().state.lon += 0.0035;
    cycle();
  }
  for (int i = 0; i < 60; ++i) {
    set(300, -1500, 36000 - 600 * i, 36000 - 600 * i, false, 250);
    cycle();
  }
  landAndPark();
  const PIREPData p = finish();
  const FlightTrack track = ORVANE::getFlightTrack();
  RecordProperty("points", static_cast<int>(track.points.size()));
  RecordProperty("bytes", static_cast<int>(track.bytes()));
  EXPECT_LT(track.bytes(), 100000u);
  EXPECT_GT(track.points.size(), 1000u);
  EXPECT_EQ(track.points.front().time, std::stol(p.Out));
  EXPECT_EQ(track.points.back().time, std::stol(p.In));
  const auto at = [&](long t) {
    return std::any_of(track.points.begin(), track.points.end(),
                       [t](const TrackPoint& q) { return q.time == t; });
  };
  EXPECT_TRUE(at(std::stol(p.Off)));
  EXPECT_TRUE(at(std::stol(p.On)));
  EXPECT_TRUE(std::is_sorted(track.points.begin(), track.points.end(),
                             [](const TrackPoint& a, const TrackPoint& b) {
                               return a.time < b.time;
                             }));
  EXPECT_EQ(std::max_element(track.points.begin(), track.points.end(),
                             [](const TrackPoint& a, const TrackPoint& b) {
                               return a.altitude < b.altitude;
                             })->altitude,
            36000);
}

}  // namespace
}  // namespace orvane
