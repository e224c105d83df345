// The window program flown by the window driver, killed (SIGKILL) with an unsaved PIREP shown:
// the PIREP is in the outbox.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "pirep/outbox.h"
#include "programs/program_runner.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::Program;
using test::read_file;
using test::TempDir;
using test::waitForText;

// Gate (held until tracking has begun), engine start, taxi, take-off, a short climb and level
// flight, descent, touchdown, roll-out, taxi in, engines off; two 5-second worker passes per
// phase at speed 3.
const char* const kShortFlight =
    "key 0   engines=2 zfw=120000 fuel=9000 lat=50.048 lon=8.570 alt=364 hdg=250 on_ground=1\n"
    "key 5   n1=0 n2=0\n"
    "key 6   n1=22 n2=62\n"
    "key 35  gs=0\n"
    "key 36  gs=15\n"
    "key 65  gs=15\n"
    "key 75  gs=150 ias=160 tas=160\n"
    "key 76  on_ground=0 vs=1500 height=40 alt=404\n"
    "key 110 vs=1500 height=890 alt=1254 lon=8.47\n"
    "key 111 vs=0\n"
    "key 140 vs=0 lon=8.40\n"
    "key 141 vs=-1000\n"
    "key 175 vs=-1000 height=320 alt=684\n"
    "key 185 vs=-200 height=40 alt=404\n"
    "key 186 on_ground=1 vs=-150 height=0 alt=364 gs=130 ias=130 tas=130\n"
    "key 196 gs=60 ias=60 tas=60\n"
    "key 225 gs=15 ias=15 tas=15\n"
    "key 226 gs=0 ias=0 tas=0\n"
    "key 255 n1=22 n2=62\n"
    "key 256 n1=0 n2=0\n";

TEST(WindowKill, SigkillWithAnUnsavedPIREPShownLeavesItInTheOutbox) {
  TempDir dir;
  const int port = test::freePort();
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  dir.write("orvane.ini", "[Server]\nAddress = " + base + "/liveacars.php\nPIREP = " + base +
                              "/pirep.php\nFlightInfo = " + base +
                              "/flightinfo.php\nUser = pilot\nPassword = secret\n\n[ACARS]\n"
                              "POSReportTime = 1\nEnableLiveACARS = 1\nEnablePIREP = 1\n");
  dir.write("flight.txt", "event 0 hold-until " + dir.file("go") + "\n" + kShortFlight);
  // A runtime folder of the test's own: the simulator link and the window's lock live there.
  const std::string run = dir.file("run");
  std::filesystem::create_directories(run);
  ::chmod(run.c_str(), 0700);
  const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + run, "QT_QPA_PLATFORM=offscreen",
                                     "HOME=" + dir.path().string()};
  const std::string cwd = dir.path().string();
  auto airline = std::make_unique<Program>(
      ORVANE_AIRLINE_PATH,
      std::vector<std::string>{"--port", std::to_string(port), "--log", dir.file("airline.log")},
      cwd, dir.file("airline.out"), env);
  ASSERT_TRUE(waitForText(dir.file("airline.out"), "PIREP server:", 10));
  Program standin(ORVANE_STANDIN_PATH, {"--scenario", dir.file("flight.txt"), "--speed", "3"},
                  cwd, dir.file("standin.out"), env);
  Program window(ORVANE_WINDOWDRIVER_PATH,
                 {"--flight", "ORV123", "--out", dir.file("shots"), "--go-file", dir.file("go"),
                  "--mid-flight-delay", "3", "--timeout", "240"},
                 cwd, dir.file("driver.out"), env);
  // Soon after take-off the airline's server goes: the flight's end and its PIREP wait for
  // it.
  ASSERT_TRUE(waitForText(dir.file("driver.out"), "tracking: waiting for the PIREP", 150))
      << read_file(dir.file("driver.out"));
  airline->signal(SIGKILL);
  airline->wait(10);
  ASSERT_TRUE(waitForText(dir.file("driver.out"), "windowdriver: PIREP shown", 150))
      << read_file(dir.file("driver.out"));
  window.signal(SIGKILL);
  EXPECT_EQ(window.wait(10), -1);  // killed: nothing of its close path ran

  const std::vector<Outbox::Entry> waiting = Outbox(dir.file("outbox")).waiting();
  ASSERT_EQ(waiting.size(), 1u) << read_file(dir.file("driver.out"));
  EXPECT_EQ(waiting[0].report.Callsign, "ORV123");
  EXPECT_NE(waiting[0].report.In, "0");
}

}  // namespace
}  // namespace orvane
