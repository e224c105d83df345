// An airline's settings file imported: what changes, the merge, the password kept, bad files.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "engine/settings_import.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::TempDir;

FlightOptions pilotOptions() {
  FlightOptions o;
  o.ACARS_URL = "http://localhost/liveacars.php";
  o.PIREP_URL = "http://localhost/pirep.php";
  o.ACARS_User = o.PIREP_User = "pilot";
  o.ACARS_Password = o.PIREP_Password = "mine";
  o.POS_Report_Interval = 600;
  o.enableLiveACARS = true;
  o.enablePIREP = true;
  return o;
}

std::vector<std::string> describe(const std::vector<SettingChange>& changes) {
  std::vector<std::string> lines;
  for (const SettingChange& c : changes) {
    lines.push_back("[" + c.section + "] " + c.key + ": " + c.before + " -> " + c.after);
  }
  return lines;
}

class SettingsImportTest : public ::testing::Test {
 protected:
  // Reads text as the airline's file; the error when it is refused.
  std::string read(const std::string& text, SettingsImport& result) {
    std::string error;
    const bool ok =
        readAirlineSettings(dir_.write("va.orvane", text), pilotOptions(), result, error);
    EXPECT_EQ(ok, error.empty()) << error;
    return error;
  }
  TempDir dir_;
};

TEST_F(SettingsImportTest, AnAirlinesFileChangesItsAddressesAndOptionsButNotThePassword) {
  SettingsImport r;
  ASSERT_EQ(read("# Virtual Example Air\n[Server]\nAddress = https://va.example/acars.php\n"
                 "PIREP = https://va.example/pirep.php\nFlightInfo = https://va.example/info.php\n"
                 "User = \nPassword = \n\n[ACARS]\nPOSReportTime = 3\nEnableLiveACARS = 1\n"
                 "EnablePIREP = 0\nAutoPIREP = 1\n",
                 r),
            "");
  EXPECT_EQ(describe(r.changes),
            (std::vector<std::string>{
                "[Server] Address: http://localhost/liveacars.php -> https://va.example/acars.php",
                "[Server] PIREP: http://localhost/pirep.php -> https://va.example/pirep.php",
                "[Server] FlightInfo:  -> https://va.example/info.php",
                "[ACARS] POSReportTime: 10 -> 3", "[ACARS] EnablePIREP: 1 -> 0"}));
  EXPECT_EQ(r.options.ACARS_URL, "https://va.example/acars.php");
  EXPECT_EQ(r.options.PIREP_URL, "https://va.example/pirep.php");
  EXPECT_EQ(r.options.INFO_URL, "https://va.example/info.php");
  EXPECT_EQ(r.options.ACARS_User, "pilot");
  EXPECT_EQ(r.options.ACARS_Password, "mine");
  EXPECT_EQ(r.options.PIREP_Password, "mine");
  EXPECT_EQ(r.options.POS_Report_Interval, 180);
  EXPECT_TRUE(r.options.enableLiveACARS);
  EXPECT_FALSE(r.options.enablePIREP);
}

TEST_F(SettingsImportTest, AFileWithAPasswordAndUserReplacesThemWithoutShowingThePassword) {
  SettingsImport r;
  ASSERT_EQ(read("[Server]\nUser = va123\nPassword = theirs\n", r), "");
  EXPECT_EQ(describe(r.changes),
            (std::vector<std::string>{"[Server] User: pilot -> va123",
                                      "[Server] Password: (hidden) -> (hidden, from the file)"}));
  EXPECT_EQ(r.options.ACARS_User, "va123");
  EXPECT_EQ(r.options.PIREP_User, "va123");
  EXPECT_EQ(r.options.ACARS_Password, "theirs");
  EXPECT_EQ(r.options.PIREP_Password, "theirs");
  EXPECT_EQ(r.options.ACARS_URL, "http://localhost/liveacars.php");  // not in the file: kept
}

TEST_F(SettingsImportTest, TheSameSettingsChangeNothing) {
  SettingsImport r;
  ASSERT_EQ(read("[Server]\nAddress = http://localhost/liveacars.php\n[ACARS]\nPOSReportTime = 10\n",
                 r),
            "");
  EXPECT_TRUE(r.changes.empty());
}

TEST_F(SettingsImportTest, BadFilesAreRefusedWithTheReason) {
  SettingsImport r;
  EXPECT_EQ(read("[Server]\nAddress = ftp://va.example/\n", r),
            "[Server] Address [ftp://va.example/] is not a web address (http:// or https://).");
  EXPECT_EQ(read("[ACARS]\nPOSReportTime = five\n", r),
            "[ACARS] POSReportTime [five] is not a number of minutes.");
  EXPECT_EQ(read("[ACARS]\nEnablePIREP = yes\n", r),
            "[ACARS] EnablePIREP [yes] is neither 1 (on) nor 0 (off).");
  const std::string html = read("<html><body>Download our settings</body></html>\n", r);
  EXPECT_NE(html.find("holds none of ORVANE's settings"), std::string::npos) << html;
  const std::string noDelimiter = read("[Server]\nAddress https://va.example/a.php\n", r);
  EXPECT_NE(noDelimiter.find("is not a settings file: No Key/Value delimiter found"),
            std::string::npos)
      << noDelimiter;
  std::string error;
  EXPECT_FALSE(readAirlineSettings(dir_.file("missing.orvane"), pilotOptions(), r, error));
  EXPECT_EQ(error, "[" + dir_.file("missing.orvane") + "] cannot be read.");
}

}  // namespace
}  // namespace orvane
