// The settings file: defaults, partial files, empty values, round trips, hand-over to a flight.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/engine_fixture.h"

namespace orvane {
namespace {

using test::EngineFixture;
using test::read_file;

int hookCalls = 0;
void countHook() { ++hookCalls; }

class SettingsTest : public EngineFixture {
 protected:
  SettingsTest() {
    hookCalls = 0;
    ORVANE::setOptionInputDialog(countHook);
  }
};

TEST_F(SettingsTest, MissingFileGivesTheLocalDefaultsAndAsksThePilot) {
  FlightOptions before;
  before.ACARS_User = "kept";
  ORVANE::setFlightOptions(before);
  ORVANE::loadOptions(dir_.file("missing.ini"));
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_URL, "http://localhost/liveacars.php");
  EXPECT_EQ(o.PIREP_URL, "http://localhost/pirep.php");
  EXPECT_EQ(o.INFO_URL, "");
  EXPECT_EQ(o.ACARS_User, "kept");  // the rest of the options stays as it was
  EXPECT_EQ(o.POS_Report_Interval, 600);
  EXPECT_TRUE(o.enableLiveACARS);
  EXPECT_TRUE(o.enablePIREP);
  EXPECT_EQ(hookCalls, 1);
  EXPECT_NE(logText().find("Message: [Cannot open/read [" + dir_.file("missing.ini") + "]!]"),
            std::string::npos);
}

TEST_F(SettingsTest, PartialFileFillsTheRestFromTheTable) {
  const std::string f = dir_.write("orvane.ini", "[Server]\nAddress = http://127.0.0.1:8/a.php\n");
  ORVANE::loadOptions(f);
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_URL, "http://127.0.0.1:8/a.php");
  EXPECT_EQ(o.PIREP_URL, "");
  EXPECT_EQ(o.POS_Report_Interval, 300);
  EXPECT_TRUE(o.enableLiveACARS);
  EXPECT_TRUE(o.enablePIREP);
  EXPECT_EQ(hookCalls, 0);
}

TEST_F(SettingsTest, EmptyValuesAndStrangeSwitches) {
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\r\nUser = pilot\r\nPassword=\r\n[ACARS]\r\nPOSReportTime =\r\n"
      "EnableLiveACARS = yes\r\nEnablePIREP = 1\r\nAutoPIREP = 0\r\n");
  ORVANE::loadOptions(f);
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_User, "pilot");
  EXPECT_EQ(o.PIREP_User, "pilot");
  EXPECT_EQ(o.ACARS_Password, "");
  EXPECT_EQ(o.POS_Report_Interval, 0);
  EXPECT_FALSE(o.enableLiveACARS);
  EXPECT_TRUE(o.enablePIREP);
  EXPECT_FALSE(o.PIREPAuto);
}

TEST_F(SettingsTest, MalformedLineFallsBackToTheDefaults) {
  const std::string f = dir_.write("orvane.ini", "[Server\nAddress = x\n");
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_URL, "http://localhost/liveacars.php");
  EXPECT_EQ(hookCalls, 1);
}

TEST_F(SettingsTest, SavedFileIsExactAndReadsBack) {
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1/liveacars.php";
  o.PIREP_URL = "http://127.0.0.1/pirep.php";
  o.INFO_URL = "http://127.0.0.1/info.php";
  o.ACARS_User = "pilot";
  o.ACARS_Password = "pass word";
  o.PIREP_User = "other";
  o.PIREP_Password = "other";
  o.POS_Report_Interval = 630;
  o.enableLiveACARS = false;
  o.enablePIREP = true;
  ORVANE::setFlightOptions(o);
  const std::string f = dir_.file("orvane.ini");
  ORVANE::saveOptions(f);
  EXPECT_EQ(read_file(f),
            "[Server]\nAddress = http://127.0.0.1/liveacars.php\nPIREP = "
            "http://127.0.0.1/pirep.php\nFlightInfo = http://127.0.0.1/info.php\nUser = "
            "pilot\nPassword = pass word\n\n[ACARS]\nPOSReportTime = 10\nEnableLiveACARS = "
            "0\nEnablePIREP = 1\nAutoPIREP = 1\n");
  ORVANE::setFlightOptions(FlightOptions{});
  ORVANE::loadOptions(f);
  const FlightOptions r = ORVANE::getFlightOptions();
  EXPECT_EQ(r.ACARS_URL, o.ACARS_URL);
  EXPECT_EQ(r.PIREP_URL, o.PIREP_URL);
  EXPECT_EQ(r.INFO_URL, o.INFO_URL);
  EXPECT_EQ(r.PIREP_User, "pilot");  // one user and password for both servers
  EXPECT_EQ(r.PIREP_Password, "pass word");
  EXPECT_EQ(r.POS_Report_Interval, 600);  // whole minutes
  EXPECT_FALSE(r.enableLiveACARS);
  EXPECT_TRUE(r.enablePIREP);
}

TEST_F(SettingsTest, PositionReportTimesThatCannotBeSecondsTakeTheDefault) {
  struct Case {
    const char* minutes;
    std::int32_t seconds;
    bool logged;
  };
  const Case cases[] = {
      {"35791394", 35791394 * 60, false},  // the most that 32-bit seconds hold
      {"35791395", 300, true},             // one minute more would overflow
      {"-5", 300, true},
      {"99999999999999999999999", 300, true},  // too long even to read
      {"0", 0, false},
      {"x", 0, false},  // no number at all reads as 0, as before
  };
  for (const Case& c : cases) {
    const std::string f =
        dir_.write("orvane.ini", std::string("[ACARS]\nPOSReportTime = ") + c.minutes + "\n");
    const std::size_t before = logText().size();
    ORVANE::loadOptions(f);
    EXPECT_EQ(ORVANE::getFlightOptions().POS_Report_Interval, c.seconds) << c.minutes;
    const std::string line = std::string("Message: [POSReportTime [") + c.minutes +
                             "] is out of range; using 5 minutes.]\n";
    EXPECT_EQ(logText().find(line, before) != std::string::npos, c.logged) << c.minutes;
  }
  EXPECT_EQ(hookCalls, 0);
}

TEST_F(SettingsTest, FailedSaveLeavesTheOldFileWhole) {
  const std::string old = "[Server]\nAddress = http://127.0.0.1/old.php\nPassword = old\n";
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1/new.php";
  o.ACARS_Password = "new";
  ORVANE::setFlightOptions(o);

  // The temporary file cannot be created: its name is taken by a folder.
  const std::string f = dir_.write("orvane.ini", old);
  std::filesystem::create_directory(dir_.file("orvane.ini.tmp"));
  ORVANE::saveOptions(f);
  EXPECT_EQ(read_file(f), old);
  EXPECT_NE(logText().find("Message: [Saving Options failed.]"), std::string::npos);

  // The temporary file's name is longer than a folder entry may be.
  const std::string longName(255, 'o');
  const std::string g = dir_.write(longName, old);
  ORVANE::saveOptions(g);
  EXPECT_EQ(read_file(g), old);
  EXPECT_EQ(logText().find("Message: [Saving Options succeeded.]"), std::string::npos);
}

TEST_F(SettingsTest, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
  const std::string f = dir_.write("orvane.ini", std::string(5000, '#'));
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1/new.php";
  ORVANE::setFlightOptions(o);
  ORVANE::saveOptions(f);
  EXPECT_EQ(read_file(f).rfind("[Server]\nAddress = http://127.0.0.1/new.php\n", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("orvane.ini.tmp")));
  EXPECT_NE(logText().find("Message: [Saving Options succeeded.]"), std::string::npos);
}

TEST_F(SettingsTest, APrivateSettingsFileStaysPrivateAndANewOneIsMadePrivate) {
  const mode_t oldMask = ::umask(022);
  FlightOptions o;
  o.ACARS_Password = o.PIREP_Password = "secret";
  ORVANE::setFlightOptions(o);
  const std::string f = dir_.write("orvane.ini", "[Server]\nPassword = secret\n");
  ASSERT_EQ(::chmod(f.c_str(), 0600), 0);
  ORVANE::saveOptions(f);
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777u, 0600u);
  const std::string g = dir_.file("new.ini");
  ORVANE::saveOptions(g);
  ASSERT_EQ(::stat(g.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777u, 0600u);
  ::umask(oldMask);
  EXPECT_NE(read_file(g).find("Password = secret\n"), std::string::npos);
}

TEST_F(SettingsTest, AByteOrderMarkDoesNotHideTheFirstSection) {
  const std::string f = dir_.write(
      "orvane.ini", "\xEF\xBB\xBF[Server]\nAddress = http://127.0.0.1/a.php\nUser = pilot\n"
                    "[ACARS]\nPOSReportTime = 7\n");
  ORVANE::loadOptions(f);
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_URL, "http://127.0.0.1/a.php");
  EXPECT_EQ(o.ACARS_User, "pilot");
  EXPECT_EQ(o.POS_Report_Interval, 420);
}

TEST_F(SettingsTest, AFailedSaveAnswersFalseWithTheFileAndTheReason) {
  // A file where the folder should be: nobody can write there, root included.
  dir_.write("plain", "not a folder");
  const std::string f = dir_.file("plain") + "/orvane.ini";
  std::string reason;
  EXPECT_FALSE(ORVANE::saveOptions(f, &reason));
  EXPECT_EQ(reason, "[" + f + ".tmp]: Not a directory");
  reason.clear();
  EXPECT_TRUE(ORVANE::saveOptions(dir_.file("orvane.ini"), &reason));
  EXPECT_EQ(reason, "");
}

TEST_F(SettingsTest, UnwritableFileIsReported) {
  ORVANE::saveOptions(dir_.file("no/such/dir/orvane.ini"));
  EXPECT_NE(logText().find("Message: [Saving Options failed.]"), std::string::npos);
}

TEST_F(SettingsTest, LoadingWhileAFlightExistsUpdatesIt) {
  const std::string f = dir_.write(
      "orvane.ini", "[Server]\nAddress = http://127.0.0.1:1/x\n[ACARS]\nEnableLiveACARS = 0\n");
  ORVANE::loadOptions(f);
  ORVANE::prepare();
  ASSERT_EQ(ORVANE::getState(), FlightState::INIT);
  const std::string g = dir_.write(
      "other.ini", "[Server]\nAddress = http://127.0.0.1:2/y\n[ACARS]\nEnableLiveACARS = 0\n");
  ORVANE::loadOptions(g);
  EXPECT_NE(logText().find("Message: [Options set in FlightState object.]"), std::string::npos);
  std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
  EXPECT_EQ(ORVANE::currentFlight()->acars()->getACARSAddress(), "http://127.0.0.1:2/y");
  EXPECT_EQ(ORVANE::currentFlight()->getState(), FlightState::INIT);
}

}  // namespace
}  // namespace orvane
