// StatusBoard: the PIREP paired with the figures of its own flight, whichever arrives first.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <mutex>

#include "engine/engine_log.h"
#include "engine/status_board.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

SealedFigures figuresOf(std::uint64_t flight, std::int32_t maxGs, std::int64_t trackTime) {
  SealedFigures f;
  f.flight = flight;
  f.extremes.maxRate = 1800;
  f.extremes.minRate = -1500;
  f.extremes.maxIas = 250;
  f.extremes.maxGs = maxGs;
  f.extremes.landingVSpeed = -180;
  TrackPoint p;
  p.time = trackTime;
  f.track.points.push_back(p);
  return f;
}

PIREPData report(const std::string& callsign) {
  PIREPData r;
  r.Callsign = callsign;
  return r;
}

class StatusBoardTest : public ::testing::Test {
 protected:
  StatusBoardTest() { log_.setPath(dir_.file("orvane.log")); }

  test::TempDir dir_;
  std::mutex lock_;
  EngineLog log_;
  StatusBoard board_{lock_, log_};
  Extremes running_{100, -200, 120, 130, -50};  // of whatever flight runs now
};

TEST_F(StatusBoardTest, ReportAndSealedFiguresPairInEitherOrder) {
  // Figures first: the cycle ends the flight before the send thread delivers.
  board_.flightStarted(1);
  board_.flightSealed(figuresOf(1, 300, 1000));
  EXPECT_TRUE(board_.reportTrack().empty());
  board_.reportArrived(report("ONE"));
  EXPECT_TRUE(board_.reportAvailable());
  EXPECT_EQ(board_.reportTrack().points.at(0).time, 1000);
  board_.flightStarted(2);  // the next flight is prepared before the pilot fetches the report
  PIREPData p = board_.takeReport(running_);
  EXPECT_FALSE(board_.reportAvailable());
  EXPECT_EQ(p.Callsign, "ONE");
  EXPECT_EQ(p.MaxGS, "300");
  EXPECT_EQ(p.MaxROD, "1500");
  EXPECT_EQ(p.VSLand, "180");
  EXPECT_EQ(board_.reportTrack().points.at(0).time, 1000);

  // Report first: the send thread delivers while the cycle that ends the flight still runs.
  board_.reportArrived(report("TWO"));
  EXPECT_TRUE(board_.reportTrack().empty());
  EXPECT_EQ(board_.takeReport(running_).MaxGS, "130");
  board_.flightSealed(figuresOf(2, 400, 2000));
  p = board_.takeReport(running_);
  EXPECT_EQ(p.Callsign, "TWO");
  EXPECT_EQ(p.MaxGS, "400");
  EXPECT_EQ(board_.reportTrack().points.at(0).time, 2000);
}

TEST_F(StatusBoardTest, FiguresOfAFlightWithoutReportNeverGoToALaterOne) {
  board_.flightStarted(1);
  board_.flightSealed(figuresOf(1, 300, 1000));  // its PIREP was never computed
  board_.flightStarted(2);
  board_.reportArrived(report("TWO"));
  EXPECT_TRUE(board_.reportTrack().empty());
  const PIREPData p = board_.takeReport(running_);
  EXPECT_EQ(p.MaxGS, "130");
  EXPECT_EQ(p.MaxROC, "100");
  EXPECT_EQ(p.MaxROD, "200");
  EXPECT_EQ(p.VSLand, "50");
}

}  // namespace
}  // namespace orvane
