// The real orvane-cli program in a working folder: one ORVANE per folder (the first one's
// log left whole), the previous log kept, the quit signals, and no shared block left in
// /dev/shm after a client is killed.
// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::read_file;

// Polls pred every 20 ms for up to timeout (real time: the programs run on their own).
bool eventually(const std::function<bool()>& pred, int timeout_ms = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return pred();
}

// One orvane-cli run in the test's folder, its output in files beside it.
class Cli {
 public:
  // Runs in cwd, or in the test's folder when cwd is empty.
  Cli(const test::TempDir& dir, const std::string& name, const std::vector<std::string>& extra,
      const std::string& workIn = "")
      : out_(dir.file(name + ".out")), err_(dir.file(name + ".err")) {
    std::vector<std::string> args = {ORVANE_CLI_PATH, "--flight",    "ORV123",   "--from",
                                     "EDDF",          "--to",        "EGLL",     "--alternate",
                                     "EGKK",          "--aircraft",  "A320",     "--fsuipc-dir",
                                     dir.file("fsuipc")};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string cwd = workIn.empty() ? dir.path().string() : workIn;
    pid_ = ::fork();
    if (pid_ == 0) {
      // Only calls that are safe between fork and exec.
      const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (o < 0 || e < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(127);
      ::dup2(o, 1);
      ::dup2(e, 2);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~Cli() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      wait();
    }
  }
  pid_t pid() const { return pid_; }
  std::string out() const { return read_file(out_); }
  std::string err() const { return read_file(err_); }
  // Waits for the end; the raw wait status.
  int wait() {
    if (!ended_) {
      ::waitpid(pid_, &status_, 0);
      ended_ = true;
    }
    return status_;
  }
  bool endsWithin(int timeout_ms) {
    return eventually([&] {
      if (!ended_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
      return ended_;
    }, timeout_ms);
  }

 private:
  std::string out_, err_;
  pid_t pid_ = -1;
  int status_ = 0;
  bool ended_ = false;
};

class CliProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Servers that refuse at once on 127.0.0.1; no live ACARS and no PIREP are sent.
    dir_.write("orvane.ini",
               "[Server]\nAddress = http://127.0.0.1:1/acars.php\nPIREP = "
               "http://127.0.0.1:1/pirep.php\nFlightInfo = http://127.0.0.1:1/info.php\n"
               "User = pilot\nPassword = secret\n\n[ACARS]\nPOSReportTime = 5\n"
               "EnableLiveACARS = 0\nEnablePIREP = 0\n");
  }
  bool waiting(const Cli& cli) {
    return cli.out().find("Waiting for the simulator") != std::string::npos;
  }
  test::TempDir dir_;
};

TEST_F(CliProcessTest, ASecondOneInTheSameFolderIsRefusedAndTheFirstsLogStaysWhole) {
  Cli first(dir_, "first", {});
  ASSERT_TRUE(eventually([&] { return waiting(first); })) << first.err();
  const std::string log = read_file(dir_.file("orvane.log"));
  ASSERT_NE(log.find("initialized."), std::string::npos);

  Cli second(dir_, "second", {});
  ASSERT_TRUE(second.endsWithin(20000));
  const int status = second.wait();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(second.err(), "orvane-cli: ORVANE is already running in the folder [" +
                              dir_.path().string() + "] (process " +
                              std::to_string(first.pid()) +
                              "). Only one ORVANE may work in a folder at a time: end the other "
                              "one, or start this one in another folder.\n");
  EXPECT_EQ(second.out(), "");
  // The first one's log: what it had, and nothing of the second one; no NUL bytes.
  const std::string after = read_file(dir_.file("orvane.log"));
  EXPECT_EQ(after.rfind(log, 0), 0u);
  EXPECT_EQ(after.find('\0'), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("orvane.log.1")));
  EXPECT_EQ(first.endsWithin(0), false);  // still running
}

TEST_F(CliProcessTest, TheNextRunKeepsThePreviousLogAndEachQuitSignalEndsTheRunInOrder) {
  std::string previous;
  int run = 0;
  for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
    Cli cli(dir_, "run" + std::to_string(run++), {});
    ASSERT_TRUE(eventually([&] { return waiting(cli); })) << cli.err();
    if (!previous.empty()) {
      EXPECT_EQ(read_file(dir_.file("orvane.log.1")), previous) << sig;
    }
    ::kill(cli.pid(), sig);
    ASSERT_TRUE(cli.endsWithin(20000)) << sig;
    const int status = cli.wait();
    // The pilot's stop: the wait ends, the engine is finalised, the code is 1.
    ASSERT_TRUE(WIFEXITED(status)) << sig << " ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1) << sig;
    previous = read_file(dir_.file("orvane.log"));
    EXPECT_NE(previous.find("initialized."), std::string::npos);
  }
}

TEST_F(CliProcessTest, AnUnwritableWorkingFolderIsReportedAtStart) {
  // /proc takes no new files, from root either. The settings come from the test's folder.
  Cli cli(dir_, "cli", {"--ini", dir_.file("orvane.ini")}, "/proc");
  ASSERT_TRUE(eventually([&] { return waiting(cli); })) << cli.err();
  EXPECT_EQ(cli.err().rfind("orvane-cli: ORVANE cannot write in its working folder [/proc]: ", 0),
            0u)
      << cli.err();
  EXPECT_NE(cli.err().find("start ORVANE in a folder you can write to.\n"), std::string::npos);
  ::kill(cli.pid(), SIGTERM);
  ASSERT_TRUE(cli.endsWithin(20000));
}

TEST_F(CliProcessTest, AKilledClientLeavesNoSharedBlockInDevShm) {
  standin::OffsetMemory memory;
  standin::StandinServer server(memory, dir_.file("fsuipc"));
  ASSERT_TRUE(server.start()) << server.error();
  Cli cli(dir_, "cli", {});
  ASSERT_TRUE(eventually([&] { return !server.mapping_names().empty() && server.messages() >= 3; }))
      << cli.err();
  const std::string name = server.mapping_names().front();
  ::kill(cli.pid(), SIGKILL);
  const int status = cli.wait();
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(std::filesystem::exists("/dev/shm" + fsuipc_shm_name(name))) << name;
  // Nothing of that process at all.
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "FsasmLib_IPC_%X_", static_cast<unsigned>(cli.pid()));
  for (const auto& e : std::filesystem::directory_iterator("/dev/shm")) {
    EXPECT_NE(e.path().filename().string().rfind(prefix, 0), 0u) << e.path();
  }
}

}  // namespace
}  // namespace orvane
