// Where the real programs keep the pilot's files: orvane and orvane-cli started with HOME and
// the XDG folders in a temporary folder put each file in its standard folder, move the old
// layout's files without overwriting any, and keep the old way with --workdir or an
// orvane.ini in the folder they start in.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "airline/airline_server.h"
#include "gui_support.h"
#include "pirep/outbox.h"
#include "samples/sample_pirep.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::read_file;

void write_at(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

unsigned mode_of(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777u) : 01000u;
}

// Every entry under folder, relative, sorted: what a program left there.
std::string listing(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(fs::relative(it->path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  std::string text;
  for (const std::string& n : names) text += n + "\n";
  return text;
}

class FoldersProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(airline_.start());
    airline_.set_default("/acars.php", airline::Reply{200, "1|OK"});
    airline_.set_default("/pirep.php", airline::Reply{200, "1|PIREP accepted"});
    fs::create_directories(runtime_);
    ::chmod(runtime_.c_str(), 0700);  // Qt accepts a runtime folder only if it is private
    fs::create_directories(elsewhere_);
  }

  std::string settings() const {
    return "[Server]\nAddress = " + airline_.url("/acars.php") + "\nPIREP = " +
           airline_.url("/pirep.php") + "\nFlightInfo = " + airline_.url("/info.php") +
           "\nUser = pilot\nPassword = secret\n\n[ACARS]\nPOSReportTime = 5\n"
           "EnableLiveACARS = 1\nEnablePIREP = 1\n";
  }

  // HOME in the test's folder; XDG_CONFIG_HOME, XDG_STATE_HOME and XDG_DATA_HOME unset
  // unless xdg names them.
  QProcessEnvironment environment(const std::map<QString, std::string>& xdg = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime_));
    env.insert("HOME", QString::fromStdString(home_));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"}) {
      env.remove(name);
    }
    for (const auto& [name, value] : xdg) env.insert(name, QString::fromStdString(value));
    return env;
  }

  void startWindow(QProcess& p, const QProcessEnvironment& env, const std::string& folder,
                   const QStringList& args = {}) {
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QString::fromStdString(folder));
    p.start(QString::fromUtf8(ORVANE_PROGRAM), args);
    ASSERT_TRUE(p.waitForStarted(10000));
  }

  // Waits until the window's log says its start is over.
  bool windowUp(const std::string& log) {
    return test::waitFor(
        [&] { return read_file(log).find("Finished Init stage.") != std::string::npos; }, 20000);
  }

  // A logout's SIGTERM: the window ends through its close path.
  void endWindow(QProcess& p) {
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
  }

  test::TempDir dir_;
  std::string home_ = dir_.file("home");
  std::string runtime_ = dir_.file("runtime");
  std::string elsewhere_ = dir_.file("elsewhere");
  airline::AirlineServer airline_;
};

TEST_F(FoldersProgramTest, TheWindowKeepsEachFileInItsStandardFolder) {
  const std::string config = dir_.file("cfg") + "/orvane";
  const std::string data = dir_.file("data") + "/orvane";
  const std::string state = home_ + "/.local/state/orvane";  // the default: not set
  write_at(config + "/orvane.ini", settings());
  QProcess window;
  startWindow(window,
              environment({{"XDG_CONFIG_HOME", dir_.file("cfg")},
                           {"XDG_DATA_HOME", dir_.file("data")}}),
              elsewhere_);
  ASSERT_TRUE(windowUp(state + "/orvane.log")) << window.readAllStandardError().toStdString();
  const std::string log = read_file(state + "/orvane.log");
  EXPECT_NE(log.find("Iniparser for [" + config + "/orvane.ini] opened."), std::string::npos)
      << log;
  EXPECT_TRUE(fs::exists(data + "/orvane.lock"));
  for (const std::string& made : {state, home_ + "/.local/state", home_ + "/.local", data}) {
    EXPECT_EQ(mode_of(made), 0700u) << made;
  }
  endWindow(window);
  // Nothing in the folder it started in, nor in the defaults of the folders that were set.
  EXPECT_EQ(listing(elsewhere_), "");
  EXPECT_EQ(listing(state), "orvane.log\n");
  EXPECT_FALSE(fs::exists(home_ + "/.config/orvane"));
  EXPECT_FALSE(fs::exists(home_ + "/.local/share/orvane"));
  EXPECT_EQ(read_file(config + "/orvane.ini"), settings());
  // --help names them.
  QProcess help;
  startWindow(help,
              environment({{"XDG_CONFIG_HOME", dir_.file("cfg")},
                           {"XDG_DATA_HOME", dir_.file("data")}}),
              elsewhere_, {"--help"});
  ASSERT_TRUE(help.waitForFinished(10000));
  const std::string text = help.readAllStandardOutput().toStdString();
  EXPECT_NE(text.find("Settings: " + config + "/orvane.ini\nLog: " + state + "/orvane.log\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(": " + data + "\n"), std::string::npos) << text;
}

TEST_F(FoldersProgramTest, TheFirstStartMovesTheOldLayoutAndTheNextNeverOverwrites) {
  const std::string old = home_ + "/.local/share/orvane";  // the old desktop entry's folder
  const std::string config = home_ + "/.config/orvane";
  const std::string state = home_ + "/.local/state/orvane";
  write_at(old + "/orvane.ini", settings());
  write_at(old + "/orvane.log", "the last run in the old layout\n");
  write_at(old + "/orvane.log.1", "the run before it\n");
  write_at(old + "/lastpirep.ovp", "an unsaved PIREP");
  {
    QProcess window;
    startWindow(window, environment(), elsewhere_);
    ASSERT_TRUE(windowUp(state + "/orvane.log")) << window.readAllStandardError().toStdString();
    endWindow(window);
    const std::string err = window.readAllStandardError().toStdString();
    EXPECT_NE(err.find("orvane: Moved [" + old + "/orvane.ini] to [" + config +
                       "/orvane.ini].\n"),
              std::string::npos)
        << err;
  }
  EXPECT_EQ(read_file(config + "/orvane.ini"), settings());
  EXPECT_EQ(read_file(state + "/orvane.log.1"), "the last run in the old layout\n");
  EXPECT_EQ(read_file(state + "/orvane.log.2"), "the run before it\n");
  EXPECT_EQ(read_file(old + "/lastpirep.ovp"), "an unsaved PIREP");  // already in place
  EXPECT_FALSE(fs::exists(old + "/orvane.ini"));
  EXPECT_FALSE(fs::exists(old + "/orvane.log"));
  const std::string firstLog = read_file(state + "/orvane.log");
  EXPECT_NE(firstLog.find(": Moved [" + old + "/orvane.log] to [" + state + "/orvane.log.1]."),
            std::string::npos)
      << firstLog;
  EXPECT_NE(firstLog.find("Iniparser for [" + config + "/orvane.ini] opened."),
            std::string::npos);

  // An old settings file turns up again: the one in the configuration folder wins, the old
  // one is kept beside, renamed, and the log says so.
  write_at(old + "/orvane.ini", "[Server]\nAddress = http://127.0.0.1:1/stale.php\n");
  QProcess again;
  startWindow(again, environment(), elsewhere_);
  // Up once the first run's log was kept and the new one says so.
  ASSERT_TRUE(test::waitFor(
      [&] {
        return read_file(state + "/orvane.log.1") == firstLog &&
               read_file(state + "/orvane.log").find("Finished Init stage.") != std::string::npos;
      },
      20000))
      << again.readAllStandardError().toStdString();
  endWindow(again);
  EXPECT_EQ(read_file(config + "/orvane.ini"), settings());
  EXPECT_EQ(read_file(old + "/orvane.ini.old"),
            "[Server]\nAddress = http://127.0.0.1:1/stale.php\n");
  EXPECT_EQ(read_file(state + "/orvane.log.1"), firstLog);
  EXPECT_NE(read_file(state + "/orvane.log")
                .find(": [" + config + "/orvane.ini] is already there and is used; the old file [" +
                      old + "/orvane.ini] is kept as [" + old + "/orvane.ini.old]."),
            std::string::npos)
      << read_file(state + "/orvane.log");
  EXPECT_EQ(listing(elsewhere_), "");
}

TEST_F(FoldersProgramTest, SettingsInTheStartFolderOrAWorkdirKeepTheOldWay) {
  const std::string work = dir_.file("work");
  write_at(work + "/orvane.ini", settings());
  {
    QProcess window;
    startWindow(window, environment(), work);
    ASSERT_TRUE(windowUp(work + "/orvane.log")) << window.readAllStandardError().toStdString();
    EXPECT_TRUE(fs::exists(work + "/orvane.lock"));
    EXPECT_NE(read_file(work + "/orvane.log").find("Iniparser for [orvane.ini] opened."),
              std::string::npos);
    endWindow(window);
  }
  const std::string other = dir_.file("other");
  write_at(other + "/orvane.ini", settings());
  QProcess window;
  startWindow(window, environment(), elsewhere_, {"--workdir", QString::fromStdString(other)});
  ASSERT_TRUE(windowUp(other + "/orvane.log")) << window.readAllStandardError().toStdString();
  EXPECT_TRUE(fs::exists(other + "/orvane.lock"));
  endWindow(window);
  for (const char* standard : {"/.config/orvane", "/.local/state/orvane", "/.local/share/orvane"}) {
    EXPECT_FALSE(fs::exists(home_ + standard)) << standard;
  }
  EXPECT_EQ(listing(elsewhere_), "");
}

TEST_F(FoldersProgramTest, OrvaneCliUsesTheStandardFoldersAndTheOldWayWhenAsked) {
  const std::string config = home_ + "/.config/orvane";
  const std::string state = home_ + "/.local/state/orvane";
  const std::string data = home_ + "/.local/share/orvane";
  write_at(config + "/orvane.ini", settings());
  std::string error;
  ASSERT_TRUE(Outbox(data + "/outbox").keep(samples::sample_pirep(), &error)) << error;
  const std::string waiting =
      Outbox(data + "/outbox").pathOf(Outbox::idFor(samples::sample_pirep()));
  ASSERT_TRUE(fs::exists(waiting));

  auto cli = [&](const std::string& folder, const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.setWorkingDirectory(QString::fromStdString(folder));
    p.start(QString::fromUtf8(ORVANE_CLI_PROGRAM), args);
    EXPECT_TRUE(p.waitForFinished(30000)) << args.join(' ').toStdString();
    return std::make_pair(p.exitCode(), p.readAllStandardOutput().toStdString() +
                                            p.readAllStandardError().toStdString());
  };
  // The report waiting in the data folder's outbox goes, with the configuration folder's
  // settings; the log is in the state folder.
  const auto [code, out] = cli(elsewhere_, {"--send-outbox"});
  EXPECT_EQ(code, 0) << out;
  EXPECT_NE(out.find("PIREP SUCCESSFULLY sent."), std::string::npos) << out;
  EXPECT_EQ(airline_.requests_for("/pirep.php").size(), 1u);
  EXPECT_FALSE(fs::exists(waiting));
  EXPECT_NE(read_file(state + "/orvane.log").find("Iniparser for [" + config + "/orvane.ini]"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(data + "/orvane.lock"));
  EXPECT_EQ(listing(elsewhere_), "");
  // Its help names the folders.
  EXPECT_NE(cli(elsewhere_, {"--help"}).second.find("Settings: " + config + "/orvane.ini\n"),
            std::string::npos);

  // --workdir: every file in that folder, the outbox too.
  const std::string work = dir_.file("work");
  fs::create_directories(work);
  const auto [workCode, workOut] = cli(elsewhere_, {"--workdir", QString::fromStdString(work),
                                                    "--send-outbox"});
  EXPECT_EQ(workCode, 0) << workOut;
  EXPECT_NE(workOut.find("No PIREP waits in the outbox [outbox]."), std::string::npos) << workOut;
  EXPECT_NE(read_file(work + "/orvane.log").find("Cannot open/read [orvane.ini]!"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(work + "/orvane.lock"));
  // --ini FILE: the log in the folder it starts in, the outbox beside FILE.
  const std::string other = dir_.file("other");
  write_at(other + "/orvane.ini", settings());
  const auto [iniCode, iniOut] =
      cli(work, {"--ini", QString::fromStdString(other + "/orvane.ini"), "--send-outbox"});
  EXPECT_EQ(iniCode, 0) << iniOut;
  EXPECT_NE(iniOut.find("No PIREP waits in the outbox [" + other + "/outbox]."),
            std::string::npos)
      << iniOut;
  EXPECT_NE(read_file(work + "/orvane.log").find("Iniparser for [" + other + "/orvane.ini]"),
            std::string::npos);
  EXPECT_EQ(listing(elsewhere_), "");
}

}  // namespace
}  // namespace orvane
