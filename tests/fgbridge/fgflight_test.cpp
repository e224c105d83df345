// A short real flight in FlightGear tracked by orvane-cli through orvane-fgbridge: engine
// start, taxi along the runway, take-off and climb in the c172p; ORVANE sees STARTED_OUT,
// TAXIING_OUT and CLIMBING. Skipped, saying so, where FlightGear is not installed.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fgpilot/flightgear_process.h"
#include "programs/program_runner.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::Program;
using test::read_file;
using test::waitForText;

// FlightGear starts in about 2.5 minutes on a busy 2-core machine; the flight to 500 ft
// takes about 2 more at its pace. Both bounds are far above that.
constexpr int kStartSeconds = 480;
constexpr int kFlightSeconds = 480;

TEST(FgFlight, EngineStartTaxiTakeOffAndClimbTrackedByOrvane) {
  if (fgpilot::find_fgfs().empty())
    GTEST_SKIP() << "FlightGear is not installed (no fgfs): the short FlightGear flight was "
                    "not flown";
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("fsuipc"));
  std::filesystem::create_directories(dir.file("fghome"));
  const int port = test::freePort();
  dir.write("orvane.ini", test::settingsFor(port));
  Program airline(ORVANE_AIRLINE_PATH,
                  {"--port", std::to_string(port), "--log", dir.file("airline.log")},
                  dir.path().string(), dir.file("airline.out"));
  ASSERT_TRUE(waitForText(dir.file("airline.out"), "PIREP server:", 30));

  const int udp = test::freePort();
  Program bridge(ORVANE_FGBRIDGE_PATH,
                 {"--port", std::to_string(udp), "--socket-dir", dir.file("fsuipc"), "--engines", "1"},
                 dir.path().string(), dir.file("bridge.out"));
  fgpilot::FlightGearOptions o;
  o.aircraft = "c172p";
  o.airport = "BIKF";  // Keflavik: the scenery Debian's FlightGear has
  o.runway = "28";     // on the threshold, engine off
  o.draw_nothing = true;
  o.telnet_port = test::freePort();
  o.generic_port = udp;
  o.data_dir = ORVANE_FG_DATA;
  o.home = dir.file("fghome");
  o.log_file = dir.file("fgfs.log");
  fgpilot::FlightGearProcess fg(o);
  ASSERT_TRUE(fg.started());
  ASSERT_TRUE(waitForText(dir.file("bridge.out"), "FlightGear is there", kStartSeconds))
      << "FlightGear did not send within " << kStartSeconds << " s: " << dir.file("fgfs.log");

  // orvane-cli starts the flight at once: the c172p stands with its engine off.
  Program cli(ORVANE_CLI_PATH,
              {"--fsuipc-dir", dir.file("fsuipc"), "--flight", "ORV172", "--from", "BIKF", "--to",
               "BIKF", "--alternate", "BIRK", "--aircraft", "C172"},
              dir.path().string(), dir.file("cli.out"));
  ASSERT_TRUE(waitForText(dir.file("airline.log"), "DATA2=BEGINFLIGHT", kStartSeconds))
      << read_file(dir.file("cli.out"));

  Program pilot(ORVANE_FGPILOT_PATH,
                {"--telnet", std::to_string(o.telnet_port), "--plan", "climb", "--wait",
                 std::to_string(kStartSeconds)},
                dir.path().string(), dir.file("pilot.out"));
  const bool flown = pilot.wait(kStartSeconds + kFlightSeconds) == 0;
  EXPECT_TRUE(flown) << read_file(dir.file("pilot.out"));
  ASSERT_TRUE(waitForText(dir.file("cli.out"), "[CLIMBING]", flown ? 60 : 1))
      << read_file(dir.file("cli.out")) << read_file(dir.file("pilot.out"));

  const std::string out = read_file(dir.file("cli.out"));
  const std::size_t started = out.find("[STARTED_OUT]");
  const std::size_t taxiing = out.find("[TAXIING_OUT]");
  const std::size_t climbing = out.find("[CLIMBING]");
  ASSERT_NE(started, std::string::npos) << out;
  ASSERT_NE(taxiing, std::string::npos) << out;
  EXPECT_LT(started, taxiing) << out;
  EXPECT_LT(taxiing, climbing) << out;
  // OUT and OFF reached the airline as live messages.
  const std::string log = read_file(dir.file("airline.log"));
  EXPECT_NE(log.find("DATA2=MESSAGE"), std::string::npos) << log;
  cli.signal(SIGINT);
  cli.wait(60);
}

}  // namespace
}  // namespace orvane
