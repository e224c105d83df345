// orvane-cli, the simulator stand-in and the airline server as programs: the PIREP outlives an
// airline server killed at the landing roll and a pilot who quits.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <csignal>
#include <cstdio>
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
using test::kShortFlight;
using test::Program;
using test::read_file;
using test::TempDir;
using test::waitForText;

class CliOutbox : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = test::freePort();
    dir_.write("orvane.ini", test::settingsFor(port_));
    dir_.write("flight.txt", std::string("event 0 hold-until ") + dir_.file("go") + "\n" +
                                 kShortFlight);
    std::filesystem::create_directories(dir_.file("fsuipc"));
  }

  // The airline server on this test's port; extra: more of its options.
  std::unique_ptr<Program> airline(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"--port", std::to_string(port_), "--log",
                                  dir_.file("airline.log")};
    args.insert(args.end(), extra.begin(), extra.end());
    auto p = std::make_unique<Program>(ORVANE_AIRLINE_PATH, args, dir_.path().string(),
                                       dir_.file("airline.out"));
    ++airlineStarts_;
    EXPECT_TRUE(waitForText(dir_.file("airline.out"), "PIREP server:", 10, airlineStarts_));
    return p;
  }

  // orvane-cli in the folder cwd (default: the test's), its output in the file out.
  std::unique_ptr<Program> cli(const std::vector<std::string>& args, const std::string& out,
                               std::string cwd = {}) {
    std::vector<std::string> all{"--fsuipc-dir", dir_.file("fsuipc")};
    all.insert(all.end(), args.begin(), args.end());
    if (cwd.empty()) cwd = dir_.path().string();
    return std::make_unique<Program>(ORVANE_CLI_PATH, all, cwd, dir_.file(out));
  }

  std::unique_ptr<Program> standin() {
    return std::make_unique<Program>(
        ORVANE_STANDIN_PATH,
        std::vector<std::string>{"--scenario", dir_.file("flight.txt"), "--speed", "3",
                                 "--socket-dir", dir_.file("fsuipc")},
        dir_.path().string(), dir_.file("standin.out"));
  }

  // orvane-cli tracking ORV123 from the gate, released when the airline has its BEGINFLIGHT.
  std::unique_ptr<Program> flyORV123(const std::string& cwd = {}) {
    auto flight = cli({"--flight", "ORV123", "--from", "EDDF", "--to", "EDDK", "--alternate",
                       "EDDL", "--aircraft", "A320"},
                      "cli.out", cwd);
    EXPECT_TRUE(waitForText(dir_.file("airline.log"), "DATA2=BEGINFLIGHT", 30))
        << read_file(dir_.file("cli.out"));
    dir_.write("go", "");  // the stand-in's hold ends
    return flight;
  }

  int airlineStarts_ = 0;

  TempDir dir_;
  int port_ = 0;
};

TEST_F(CliOutbox, ServerKilledAtLandingRollPilotQuitsPIREPIsSentOnceAtTheNextStart) {
  auto server = airline();
  auto sim = standin();
  auto flight = flyORV123();
  if (HasFatalFailure()) return;

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
  auto again = cli({"--send-outbox"}, "send.out");
  EXPECT_EQ(again->wait(60), 0) << read_file(dir_.file("send.out"));
  EXPECT_TRUE(box.waiting().empty());
  auto third = cli({"--send-outbox"}, "send2.out");
  EXPECT_EQ(third->wait(60), 0) << read_file(dir_.file("send2.out"));
  EXPECT_EQ(countText(dir_.file("airline.log"), "POST /pirep.php"), 1)
      << read_file(dir_.file("airline.log"));
}

// A working folder that takes no more bytes: a tmpfs of its own, filled up. Needs the right
// to mount (root); unmounted at the end.
class FullFolder {
 public:
  explicit FullFolder(const std::string& path) : path_(path) {
    std::filesystem::create_directories(path);
    mounted_ = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=256k,mode=0700") == 0;
  }
  ~FullFolder() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  // Fills what is left with one file; true when a write found the folder full.
  bool fill() const {
    std::FILE* f = std::fopen((path_ + "/filler").c_str(), "wb");
    if (f == nullptr) return false;
    const std::string block(4096, 'x');
    bool full = false;
    for (int i = 0; i < 1000 && !full; ++i) {
      full = std::fwrite(block.data(), 1, block.size(), f) != block.size() || std::fflush(f) != 0;
    }
    std::fclose(f);
    return full;
  }

 private:
  std::string path_;
  bool mounted_ = false;
};

TEST_F(CliOutbox, FullWorkingFolderNeverSaysKeptAndThePIREPReachesTheServerWhenItAnswers) {
  const std::string work = dir_.file("work");
  const FullFolder folder(work);
  if (!folder.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
  std::filesystem::copy_file(dir_.file("orvane.ini"), work + "/orvane.ini");
  ASSERT_TRUE(folder.fill());

  auto server = airline();
  auto sim = standin();
  auto flight = flyORV123(work);
  if (HasFatalFailure()) return;
  // From the landing roll on, the PIREP server answers 503 for 40 s: the flight's end and the
  // first tries to send its PIREP fall into it.
  ASSERT_TRUE(waitForText(dir_.file("cli.out"), "[TAXIING_IN]", 150)) << read_file(dir_.file("cli.out"));
  server->signal(SIGKILL);
  server->wait(10);
  server = airline({"--down-first", "40", "--down-kinds", "pirep"});
  EXPECT_EQ(flight->wait(150), 0) << read_file(dir_.file("cli.out"));
  const std::string out = read_file(dir_.file("cli.out"));
  EXPECT_NE(out.find("Sending the PIREP returned an ERROR condition:"), std::string::npos) << out;
  EXPECT_NE(out.find("The PIREP could not be kept in any file: it is sent again in 5 s"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("PIREP SUCCESSFULLY sent."), std::string::npos) << out;
  EXPECT_EQ(out.find("is kept"), std::string::npos) << out;
  EXPECT_EQ(out.find("waits in the outbox"), std::string::npos) << out;
  // The tries answered 503 never reached the airline's script: it holds exactly one PIREP.
  EXPECT_EQ(countText(dir_.file("airline.log"), "POST /pirep.php"), 1);
}

}  // namespace
}  // namespace orvane
