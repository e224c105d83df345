// orvane-cli killed in cruise and started again: the journaled flight resumes and ends as one flight.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "engine/flight_journal.h"
#include "programs/program_runner.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::countText;
using test::kShortFlight;
using test::Program;
using test::read_file;
using test::TempDir;
using test::waitForText;

// An event time as the PIREP carries it: its UTC clock time read as local standard time.
std::string reportSeconds(std::int32_t t) {
  const std::time_t tt = t;
  std::tm parts{};
  gmtime_r(&tt, &parts);
  parts.tm_isdst = 0;
  return std::to_string(static_cast<long long>(std::mktime(&parts)));
}

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == by) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

class CliResume : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = test::freePort();
    dir_.write("orvane.ini", test::settingsFor(port_));
    // Held at the gate until "go", and in cruise until "cruise".
    dir_.write("flight.txt", "event 0 hold-until " + dir_.file("go") + "\nevent 125 hold-until " +
                                 dir_.file("cruise") + "\n" + kShortFlight);
    std::filesystem::create_directories(dir_.file("fsuipc"));
    airline_ = std::make_unique<Program>(
        ORVANE_AIRLINE_PATH,
        std::vector<std::string>{"--port", std::to_string(port_), "--log", dir_.file("airline.log")},
        dir_.path().string(), dir_.file("airline.out"));
    ASSERT_TRUE(waitForText(dir_.file("airline.out"), "PIREP server:", 10));
    standin_ = std::make_unique<Program>(
        ORVANE_STANDIN_PATH,
        std::vector<std::string>{"--scenario", dir_.file("flight.txt"), "--speed", "3",
                                 "--socket-dir", dir_.file("fsuipc")},
        dir_.path().string(), dir_.file("standin.out"));
  }

  std::unique_ptr<Program> cli(const std::string& out) {
    return std::make_unique<Program>(
        ORVANE_CLI_PATH,
        std::vector<std::string>{"--fsuipc-dir", dir_.file("fsuipc"), "--flight", "ORV123",
                                 "--from", "EDDF", "--to", "EDDK", "--alternate", "EDDL",
                                 "--aircraft", "A320"},
        dir_.path().string(), dir_.file(out));
  }

  // Waits until the journal says the flight cruises with every message done with.
  bool journalSettledInCruise(int seconds, FlightJournal& j) {
    for (int i = 0; i < seconds * 10; ++i) {
      j = readFlightJournal(dir_.file("orvane.journal"));
      if (j.resumable() && j.last.flight.state == FlightState::CRUISING &&
          j.undelivered().empty() && j.last.record.messNo >= 3) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  TempDir dir_;
  int port_ = 0;
  std::unique_ptr<Program> airline_;
  std::unique_ptr<Program> standin_;
};

TEST_F(CliResume, KilledInCruiseAndStartedAgainTheFlightResumesAsOne) {
  auto first = cli("cli.out");
  ASSERT_TRUE(waitForText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT", 30))
      << read_file(dir_.file("cli.out"));
  dir_.write("go", "");
  ASSERT_TRUE(waitForText(dir_.file("cli.out"), "[CRUISING]", 120)) << read_file(dir_.file("cli.out"));
  FlightJournal before;
  ASSERT_TRUE(journalSettledInCruise(30, before)) << read_file(dir_.file("cli.out"));
  const std::int32_t out = before.last.record.timeOut;
  const std::int32_t off = before.last.record.timeOff;
  ASSERT_NE(out, 0);
  ASSERT_NE(off, 0);
  first->signal(SIGKILL);
  first->wait(10);
  const std::time_t killedAt = std::time(nullptr);
  const std::string serverBefore = read_file(dir_.file("airline.log"));

  // Started again with the same flight number: it resumes by itself, without a BEGINFLIGHT.
  auto second = cli("cli2.out");
  ASSERT_TRUE(waitForText(dir_.file("cli2.out"), "Resuming ORV123 (cruise since ", 30))
      << read_file(dir_.file("cli2.out"));
  ASSERT_TRUE(waitForText(dir_.file("airline.log"), "ACARS RESTART ", 60))
      << read_file(dir_.file("cli2.out"));
  dir_.write("cruise", "");  // the flight goes on to the gate
  EXPECT_EQ(second->wait(180), 0) << read_file(dir_.file("cli2.out"));

  const std::string server = read_file(dir_.file("airline.log"));
  EXPECT_EQ(countText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT"), 1) << server;
  EXPECT_EQ(countText(dir_.file("airline.log"), "DATA2=ENDFLIGHT"), 1) << server;
  EXPECT_EQ(countText(dir_.file("airline.log"), "POST /pirep.php"), 1) << server;
  // Every numbered message once and in order: M01, M02, ... without a gap or a repeat, and
  // all with the data id of the one BEGINFLIGHT.
  const std::regex number("Msg No: M([0-9]+)A");
  std::vector<int> numbers;
  for (auto it = std::sregex_iterator(server.begin(), server.end(), number);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back(std::stoi((*it)[1].str()));
  }
  ASSERT_GE(numbers.size(), 8u) << server;
  for (std::size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], static_cast<int>(i) + 1);
  EXPECT_EQ(countText(dir_.file("airline.log"), "DATA2=MESSAGE&DATA3=" + before.last.dataId + "&"),
            static_cast<int>(numbers.size()))
      << server;
  EXPECT_GT(server.size(), serverBefore.size());
  // The PIREP's OUT and OFF (fields 18 and 19) are those recorded before the kill.
  const std::size_t at = server.find("POST /pirep.php");
  ASSERT_NE(at, std::string::npos);
  const std::string body = server.substr(at, server.find('\n', server.find('\n', at) + 1) - at);
  const std::vector<std::string> fields = split(body, '~');
  ASSERT_GE(fields.size(), 35u) << body;
  EXPECT_EQ(fields[17], reportSeconds(out)) << body;
  EXPECT_EQ(fields[18], reportSeconds(off)) << body;
  EXPECT_LT(off, killedAt);
  // The flight ended normally: its journal is gone, its PIREP left the outbox for the airline.
  EXPECT_FALSE(std::filesystem::exists(dir_.file("orvane.journal")));
  const std::string log = read_file(dir_.file("orvane.log"));
  EXPECT_NE(log.find("resumed from its journal"), std::string::npos);
}

}  // namespace
}  // namespace orvane
