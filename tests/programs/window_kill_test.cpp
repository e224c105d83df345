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

using test::kShortFlight;
using test::Program;
using test::read_file;
using test::TempDir;
using test::waitForText;

TEST(WindowKill, SigkillWithAnUnsavedPIREPShownLeavesItInTheOutbox) {
  TempDir dir;
  const int port = test::freePort();
  dir.write("orvane.ini", test::settingsFor(port));
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
