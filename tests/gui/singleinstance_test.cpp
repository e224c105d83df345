// One ORVANE per user and per folder: the real orvane program started twice, an orvane-cli
// started in its folder, the lock it leaves when it dies, and its end on SIGTERM.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>

#include "airline/airline_server.h"
#include "engine/orvane_base.h"
#include "frontend/singleinstance.h"
#include "gui_support.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(airline_.start());
    airline_.set_default("/acars.php", airline::Reply{200, "1|OK"});
    std::filesystem::create_directories(runtime_);
    ::chmod(runtime_.c_str(), 0700);  // Qt accepts a runtime folder only if it is private
    dir_.write("orvane.ini", "[Server]\nAddress = " + airline_.url("/acars.php") +
                                 "\nPIREP = " + airline_.url("/pirep.php") + "\nFlightInfo = " +
                                 airline_.url("/info.php") +
                                 "\nUser = pilot\nPassword = secret\n\n[ACARS]\n"
                                 "POSReportTime = 5\nEnableLiveACARS = 1\nEnablePIREP = 1\n");
  }

  // The program, started in the test's folder with the test's runtime folder.
  void start(QProcess& p, const QStringList& args = {}, const std::string& folder = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime_));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir_.file("config")));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(folder.empty() ? dir_.path().string() : folder));
    p.start(QString::fromUtf8(ORVANE_PROGRAM), args);
    ASSERT_TRUE(p.waitForStarted(10000));
  }

  test::TempDir dir_;
  std::string runtime_ = dir_.file("runtime");
  std::string lock_ = runtime_ + "/orvane-JUSTTOCHECK.lock";
  airline::AirlineServer airline_;
};

TEST_F(SingleInstanceTest, ASecondProgramShowsTheFirstAndEndsAtOnceWithZero) {
  // The first works in the test's folder though started elsewhere (--workdir).
  QProcess first;
  const std::string elsewhere = dir_.file("elsewhere");
  std::filesystem::create_directories(elsewhere);
  start(first, {"--workdir", QString::fromStdString(dir_.path().string())}, elsewhere);
  // The first one holds the lock once its window is up and its log says so.
  ASSERT_TRUE(test::waitFor(
      [&] {
        return std::filesystem::exists(lock_) &&
               test::read_file(dir_.file("orvane.log")).find("Finished Init stage.") !=
                   std::string::npos;
      },
      20000))
      << first.readAllStandardError().toStdString();
  QProcess second;
  start(second);
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(second.readAllStandardOutput(), QByteArray());
  EXPECT_EQ(second.readAllStandardError(), QByteArray());
  EXPECT_EQ(first.state(), QProcess::Running);
  // The first was asked to show its window, and did.
  EXPECT_TRUE(test::waitFor(
      [&] {
        return test::read_file(dir_.file("orvane.log"))
                   .find("ORVANE was started again: its window is shown.") != std::string::npos;
      },
      10000));
  EXPECT_FALSE(std::filesystem::exists(elsewhere + "/orvane.log"));

  // The first one dies without a word: its lock is stale, and the next ORVANE takes it.
  first.kill();
  ASSERT_TRUE(first.waitForFinished(10000));
  SingleInstance next("JUSTTOCHECK", runtime_);
  EXPECT_TRUE(next.isFirst());
  SingleInstance another("JUSTTOCHECK", runtime_);
  EXPECT_FALSE(another.isFirst());
}

TEST_F(SingleInstanceTest, AnOrvaneCliInTheWindowsFolderIsRefusedAndLeavesTheWindowsLogWhole) {
  dir_.write("orvane.log", "the log of the run before\n");
  QProcess window;
  start(window);
  ASSERT_TRUE(test::waitFor(
      [&] {
        return test::read_file(dir_.file("orvane.log")).find("Finished Init stage.") !=
               std::string::npos;
      },
      20000))
      << window.readAllStandardError().toStdString();
  // The run before's log is kept beside the new one.
  EXPECT_EQ(test::read_file(dir_.file("orvane.log.1")), "the log of the run before\n");
  const std::string log = test::read_file(dir_.file("orvane.log"));

  QProcess cli;
  cli.setWorkingDirectory(QString::fromStdString(dir_.path().string()));
  cli.start(QString::fromUtf8(ORVANE_CLI_PROGRAM),
            {"--flight", "ORV123", "--from", "EDDF", "--to", "EGLL", "--alternate", "EGKK",
             "--aircraft", "A320", "--fsuipc-dir", QString::fromStdString(dir_.file("fsuipc"))});
  ASSERT_TRUE(cli.waitForFinished(10000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_EQ(cli.readAllStandardOutput(), QByteArray());
  const std::string err = cli.readAllStandardError().toStdString();
  EXPECT_EQ(err.rfind("orvane-cli: ORVANE is already running in the folder [" +
                          dir_.path().string() + "] (process " +
                          std::to_string(window.processId()) + ").",
                      0),
            0u)
      << err;
  const std::string after = test::read_file(dir_.file("orvane.log"));
  EXPECT_EQ(after.rfind(log, 0), 0u);
  EXPECT_EQ(after.find('\0'), std::string::npos);
  EXPECT_EQ(test::read_file(dir_.file("orvane.log.1")), "the log of the run before\n");
  EXPECT_EQ(window.state(), QProcess::Running);

  // A logout's SIGTERM ends the window through its close path: a normal end.
  ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
  ASSERT_TRUE(window.waitForFinished(20000));
  EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(window.exitCode(), 0);
}

// Help, version and a wrong command line answer on the terminal; no window opens and nothing
// is written in the folder.
TEST_F(SingleInstanceTest, TheCommandLineIsAnsweredWithoutAWindow) {
  auto run = [&](const QStringList& args, int code) {
    QProcess p;
    start(p, args);
    EXPECT_TRUE(p.waitForFinished(10000)) << args.join(' ').toStdString();
    EXPECT_EQ(p.exitCode(), code) << args.join(' ').toStdString();
    return std::make_pair(p.readAllStandardOutput().toStdString(),
                          p.readAllStandardError().toStdString());
  };
  const auto [help, helpErr] = run({"--help"}, 0);
  EXPECT_EQ(help.rfind("Usage: orvane [options]\n", 0), 0u) << help;
  EXPECT_NE(help.find("--workdir <DIR>"), std::string::npos) << help;
  EXPECT_NE(help.find("--import <FILE>"), std::string::npos) << help;
  EXPECT_EQ(run({"-h"}, 0).first, help);
  EXPECT_EQ(run({"-v"}, 0).first, ORVANE::getVersion() + "\n");
  EXPECT_EQ(run({"--version"}, 0).first, ORVANE::getVersion() + "\n");
  EXPECT_EQ(run({"--bogus"}, 2).second, "orvane: Unknown option 'bogus'.\nTry 'orvane --help'.\n");
  EXPECT_EQ(run({"flight.ovp"}, 2).second,
            "orvane: Unexpected argument 'flight.ovp'.\nTry 'orvane --help'.\n");
  EXPECT_EQ(run({"--workdir", "/nonexistent-orvane"}, 2).second,
            "orvane: cannot work in '/nonexistent-orvane': no such folder, or not allowed.\n");
  EXPECT_EQ(run({"--import"}, 2).second,
            "orvane: Missing value after '--import'.\nTry 'orvane --help'.\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("orvane.log")));
}

}  // namespace
}  // namespace orvane
