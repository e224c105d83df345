// The world a whole flight runs in for the end-to-end and main window tests: a manual clock,
// a temporary working folder, the simulator stand-in over the real link and the airline
// server on 127.0.0.1.
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "airline/airline_server.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "fsuipcserver/standin_server.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane::test {

class FlightWorldTest : public ::testing::Test {
 protected:
  static constexpr std::int64_t kStartMs = 1783173600000;  // 2026-07-04 14:00:00 UTC
  static inline const std::string kAcars = "/liveacars.php";
  static inline const std::string kPirep = "/pirep.php";
  static inline const std::string kInfo = "/flightinfo.php";

  FlightWorldTest() : clock_(kStartMs), scoped_(clock_) {}

  // The engine reset with the product's simulator source, its log in the folder, short
  // transfer time-outs, the stand-in serving and the airline server accepting every text and
  // PIREP and answering the begin-of-flight record with a data id and report intervals.
  void SetUp() override;
  // Puts back what SetUp changed for the whole process; the airline server stays up.
  void TearDown() override;

  // The server answers the begin-of-flight record with reply.
  void answerBeginFlight(airline::Reply reply);

  // Writes the settings file as the preferences dialog writes it; returns its path.
  std::string writeSettings(bool liveACARS, int posReportMinutes = 2, bool autoPIREP = false);

  // The stand-in plays this scenario from its start, as a simulator with traits_.
  void play(const std::string& scenario);

  TempDir dir_;
  std::filesystem::path previousDir_;
  ManualClock clock_;
  ScopedClock scoped_;
  standin::OffsetMemory memory_;
  std::unique_ptr<standin::StandinServer> sim_;
  std::unique_ptr<standin::Player> player_;
  standin::SimulatorTraits traits_;  // what play() gives the stand-in
  airline::AirlineServer airline_;
};

}  // namespace orvane::test
