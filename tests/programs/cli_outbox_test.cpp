// orvane-cli, the simulator stand-in and the airline server as programs: the PIREP outlives an
// airline server killed at the landing roll and a pilot who quits.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "pirep/PIREPData.h"
#include "pirep/outbox.h"
#include "programs/program_runner.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::countText;
using test::Program;
using test::read_file;
using test::TempDir;
using test::waitForText;

// A short flight whose phases each last two of the cli's 5-second cycles at speed 3: gate
// (held until tracking has begun), engine start, taxi, take-off, climb, level, descent,
// touchdown, roll-out, taxi in, engines off.
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

class CliOutbox : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = test::freePort();
    const std::string base = "http://127.0.0.1:" + std::to_string(port_);
    dir_.write("orvane.ini", "[Server]\nAddress = " + base + "/liveacars.php\nPIREP = " + base +
                                 "/pirep.php\nFlightInfo = " + base +
                                 "/flightinfo.php\nUser = pilot\nPassword = secret\n\n"
                                 "[ACARS]\nPOSReportTime = 1\nEnableLiveACARS = 1\n"
                                 "EnablePIREP = 1\n");
    dir_.write("flight.txt", std::string("event 0 hold-until ") + dir_.file("go") + "\n" +
                                 kShortFlight);
    std::filesystem::create_directories(dir_.file("fsuipc"));
  }

  std::unique_ptr<Program> airline() {
    return std::make_unique<Program>(
        ORVANE_AIRLINE_PATH,
        std::vector<std::string>{"--port", std::to_string(port_), "--log", dir_.file("airline.log")},
        dir_.path().string(), dir_.file("airline.out"));
  }

  std::unique_ptr<Program> cli(const std::vector<std::string>& args, const std::string& out) {
    std::vector<std::string> all{"--fsuipc-dir", dir_.file("fsuipc")};
    all.insert(all.end(), args.begin(), args.end());
    return std::make_unique<Program>(ORVANE_CLI_PATH, all, dir_.path().string(), dir_.file(out));
  }

  TempDir dir_;
  int port_ = 0;
};

TEST_F(CliOutbox, ServerKilledAtLandingRollPilotQuitsPIREPIsSentOnceAtTheNextStart) {
  auto server = airline();
  ASSERT_TRUE(waitForText(dir_.file("airline.out"), "PIREP server:", 10));
  Program standin(ORVANE_STANDIN_PATH,
                  {"--scenario", dir_.file("flight.txt"), "--speed", "3", "--socket-dir",
                   dir_.file("fsuipc")},
                  dir_.path().string(), dir_.file("standin.out"));
  auto flight = cli({"--flight", "ORV123", "--from", "EDDF", "--to", "EDDK", "--alternate",
                     "EDDL", "--aircraft", "A320"},
                    "cli.out");
  ASSERT_TRUE(waitForText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT", 30))
      << read_file(dir_.file("cli.out"));
  dir_.write("go", "");

  // The landing roll: the server goes, for good, before the flight's end.
  ASSERT_TRUE(waitForText(dir_.file("cli.out"), "[TAXIING_IN]", 150)) << read_file(dir_.file("cli.out"));
  server->signal(SIGKILL);
  server->wait(10);
  server.reset();
  // Engines off at the gate: the flight has ended and ENDFLIGHT waits for the server.
  ASSERT_TRUE(waitForText(dir_.file("cli.out"), "[FINAL]", 90)) << read_file(dir_.file("cli.out"));
  ASSERT_TRUE(waitForText(dir_.file("orvane.log"), "trying again", 30));
  flight->signal(SIGINT);
  EXPECT_EQ(flight->wait(30), 1) << read_file(dir_.file("cli.out"));

  const Outbox box(dir_.file("outbox"));
  std::vector<Outbox::Entry> waiting = box.waiting();
  ASSERT_EQ(waiting.size(), 1u) << read_file(dir_.file("cli.out"));
  EXPECT_EQ(waiting[0].report.Callsign, "ORV123");
  EXPECT_EQ(waiting[0].report.From, "EDDF");
  EXPECT_EQ(waiting[0].report.To, "EDDK");
  EXPECT_NE(waiting[0].report.In, "0");
  EXPECT_NE(read_file(dir_.file("cli.out")).find("The PIREP waits in the outbox [outbox/" +
                                                  waiting[0].id + ".ovp]"),
            std::string::npos)
      << read_file(dir_.file("cli.out"));

  // The next start, with the server back: the waiting PIREP goes, once.
  server = airline();
  ASSERT_TRUE(waitForText(dir_.file("airline.out"), "PIREP server:", 10));
  auto again = cli({"--send-outbox"}, "send.out");
  EXPECT_EQ(again->wait(60), 0) << read_file(dir_.file("send.out"));
  EXPECT_TRUE(box.waiting().empty());
  auto third = cli({"--send-outbox"}, "send2.out");
  EXPECT_EQ(third->wait(60), 0) << read_file(dir_.file("send2.out"));
  EXPECT_EQ(countText(dir_.file("airline.log"), "POST /pirep.php"), 1)
      << read_file(dir_.file("airline.log"));
}

}  // namespace
}  // namespace orvane
