// orvane-cli through orvane-fsuipc-relay: a whole flight with FSUIPC reached over TCP, the relay
// killed and started again mid-flight.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

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

class RelayFlight : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = test::freePort();
    relayPort_ = test::freePort();
    dir_.write("orvane.ini", test::settingsFor(port_, "\n[FSUIPC]\nRelay = 127.0.0.1:" +
                                                              std::to_string(relayPort_) + "\n"));
    dir_.write("flight.txt", std::string("event 0 hold-until ") + dir_.file("go") + "\n" +
                                 kShortFlight);
    std::filesystem::create_directories(dir_.file("fsuipc"));
    // The program's own socket folder holds no server: only the relay can reach it.
    std::filesystem::create_directories(dir_.file("nowhere"));
  }

  std::unique_ptr<Program> relay(int starts) {
    auto p = std::make_unique<Program>(
        ORVANE_RELAY_PATH,
        std::vector<std::string>{"--port", std::to_string(relayPort_), "--fsuipc-dir",
                                 dir_.file("fsuipc")},
        dir_.path().string(), dir_.file("relay.out"));
    EXPECT_TRUE(waitForText(dir_.file("relay.out"), "serving FSUIPC on 127.0.0.1:", 10, starts))
        << read_file(dir_.file("relay.out"));
    return p;
  }

  TempDir dir_;
  int port_ = 0;
  int relayPort_ = 0;
};

TEST_F(RelayFlight, WholeFlightThroughTheRelayGoesOnAfterTheRelayIsRestarted) {
  Program airline(ORVANE_AIRLINE_PATH,
                  {"--port", std::to_string(port_), "--log", dir_.file("airline.log")},
                  dir_.path().string(), dir_.file("airline.out"));
  ASSERT_TRUE(waitForText(dir_.file("airline.out"), "PIREP server:", 10));
  Program standin(ORVANE_STANDIN_PATH,
                  {"--scenario", dir_.file("flight.txt"), "--speed", "3", "--socket-dir",
                   dir_.file("fsuipc")},
                  dir_.path().string(), dir_.file("standin.out"));
  auto through = relay(1);
  Program cli(ORVANE_CLI_PATH,
              {"--fsuipc-dir", dir_.file("nowhere"), "--flight", "ORV123", "--from", "EDDF",
               "--to", "EDDK", "--alternate", "EDDL", "--aircraft", "A320"},
              dir_.path().string(), dir_.file("cli.out"));
  ASSERT_TRUE(waitForText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT", 30))
      << read_file(dir_.file("cli.out")) << read_file(dir_.file("relay.out"));
  EXPECT_TRUE(waitForText(dir_.file("orvane.log"), "FSUIPC through the relay at [127.0.0.1:", 5));
  dir_.write("go", "");

  // In the climb the relay goes: the program finds no simulator values while it is away,
  // and the flight goes on once it is back.
  ASSERT_TRUE(waitForText(dir_.file("cli.out"), "[CLIMBING]", 120)) << read_file(dir_.file("cli.out"));
  const std::string noValues = "No values from the flight simulator.";
  const int before = countText(dir_.file("orvane.log"), noValues);
  through->signal(SIGKILL);
  through->wait(10);
  through.reset();
  ASSERT_TRUE(waitForText(dir_.file("orvane.log"), noValues, 60, before + 1))
      << read_file(dir_.file("cli.out"));
  through = relay(2);
  ASSERT_TRUE(waitForText(dir_.file("relay.out"), "client block FsasmLib:IPC:", 60, 2))
      << read_file(dir_.file("relay.out"));

  EXPECT_EQ(cli.wait(200), 0) << read_file(dir_.file("cli.out"));
  const std::string out = read_file(dir_.file("cli.out"));
  for (const char* phase : {"[STARTED_OUT]", "[TAXIING_OUT]", "[CLIMBING]", "[CRUISING]",
                            "[DESCENDING]", "[TAXIING_IN]", "[STARTED_IN]", "[FINAL]"}) {
    EXPECT_NE(out.find(phase), std::string::npos) << phase << "\n" << out;
  }
  EXPECT_NE(out.find("PIREP SUCCESSFULLY sent."), std::string::npos) << out;
  EXPECT_EQ(countText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT"), 1);
  EXPECT_EQ(countText(dir_.file("airline.log"), "DATA2=ENDFLIGHT"), 1);
  EXPECT_EQ(countText(dir_.file("airline.log"), "POST /pirep.php"), 1);
  // Both relays served the flight's block.
  EXPECT_EQ(countText(dir_.file("relay.out"), "client block FsasmLib:IPC:"), 2)
      << read_file(dir_.file("relay.out"));
}

}  // namespace
}  // namespace orvane
