// The pilot's folders: the standard ones by the XDG and the Windows rules from a given
// environment, the old way, their creation with a private mode, and the move from the old
// layout on real files.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "util/pilot_folders.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using test::read_file;

Environment environment(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const char* name) {
    const auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  };
}

// Writes bytes to path, making its folder first.
void write_at(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Runs in a folder of its own for the length of the test.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : old_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~InFolder() { fs::current_path(old_); }

 private:
  fs::path old_;
};

TEST(StandardFoldersTest, XdgDefaultsAreUnderHome) {
  const auto f = standard_folders(FolderRules::Xdg, environment({{"HOME", "/home/pilot"}}));
  ASSERT_TRUE(f.has_value());
  EXPECT_TRUE(f->standard);
  EXPECT_EQ(f->config, "/home/pilot/.config/orvane");
  EXPECT_EQ(f->state, "/home/pilot/.local/state/orvane");
  EXPECT_EQ(f->data, "/home/pilot/.local/share/orvane");
  EXPECT_EQ(f->settingsFile(), "/home/pilot/.config/orvane/orvane.ini");
  EXPECT_EQ(f->logFile(), "/home/pilot/.local/state/orvane/orvane.log");
  EXPECT_EQ(f->lastPIREPFile(), "/home/pilot/.local/share/orvane/lastpirep.ovp");
}

TEST(StandardFoldersTest, XdgVariablesWinWhenAbsoluteAndAreIgnoredOtherwise) {
  const auto f = standard_folders(FolderRules::Xdg, environment({{"HOME", "/home/pilot/"},
                                                                 {"XDG_CONFIG_HOME", "/cfg/"},
                                                                 {"XDG_STATE_HOME", "relative"},
                                                                 {"XDG_DATA_HOME", "/d"}}));
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->config, "/cfg/orvane");
  EXPECT_EQ(f->state, "/home/pilot/.local/state/orvane");
  EXPECT_EQ(f->data, "/d/orvane");
}

TEST(StandardFoldersTest, XdgWithoutAHomeHasNoneUnlessEveryVariableIsGiven) {
  EXPECT_FALSE(standard_folders(FolderRules::Xdg, environment({})).has_value());
  EXPECT_FALSE(standard_folders(FolderRules::Xdg, environment({{"HOME", "home"}})).has_value());
  EXPECT_FALSE(standard_folders(FolderRules::Xdg, environment({{"XDG_CONFIG_HOME", "/c"},
                                                               {"XDG_DATA_HOME", "/d"}}))
                   .has_value());
  const auto f = standard_folders(
      FolderRules::Xdg,
      environment({{"XDG_CONFIG_HOME", "/c"}, {"XDG_STATE_HOME", "/s"}, {"XDG_DATA_HOME", "/d"}}));
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->logFile(), "/s/orvane/orvane.log");
  // A home of "/" gives no double separator.
  EXPECT_EQ(standard_folders(FolderRules::Xdg, environment({{"HOME", "/"}}))->config,
            "/.config/orvane");
}

TEST(StandardFoldersTest, WindowsKeepsTheSettingsRoamingAndTheRestLocal) {
  const auto f = standard_folders(
      FolderRules::Windows,
      environment({{"APPDATA", "C:\\Users\\Pilot\\AppData\\Roaming"},
                   {"LOCALAPPDATA", "C:\\Users\\Pilot\\AppData\\Local\\"},
                   {"HOME", "/home/ignored"},
                   {"XDG_CONFIG_HOME", "/ignored"}}));
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->config, "C:\\Users\\Pilot\\AppData\\Roaming\\ORVANE");
  EXPECT_EQ(f->state, "C:\\Users\\Pilot\\AppData\\Local\\ORVANE");
  EXPECT_EQ(f->data, "C:\\Users\\Pilot\\AppData\\Local\\ORVANE");
  EXPECT_EQ(f->settingsFile(), "C:\\Users\\Pilot\\AppData\\Roaming\\ORVANE\\orvane.ini");
  EXPECT_EQ(f->logFile(), "C:\\Users\\Pilot\\AppData\\Local\\ORVANE\\orvane.log");
  EXPECT_EQ(f->lastPIREPFile(), "C:\\Users\\Pilot\\AppData\\Local\\ORVANE\\lastpirep.ovp");
  EXPECT_FALSE(standard_folders(FolderRules::Windows, environment({{"APPDATA", "C:\\R"}}))
                   .has_value());
  EXPECT_FALSE(standard_folders(FolderRules::Windows, environment({{"HOME", "/home/p"}}))
                   .has_value());
  EXPECT_EQ(old_layout_folder(FolderRules::Windows, environment({{"HOME", "/home/p"}})), "");
  // The old Start-menu entry started ORVANE in the roaming folder: its log and PIREP files
  // go to the local one, the settings stay.
  EXPECT_EQ(old_layout_folder(FolderRules::Windows, environment({{"APPDATA", "C:\\R\\"}})),
            "C:\\R\\ORVANE");
}

TEST(StandardFoldersTest, TheOldWayKeepsTheBareNames) {
  const PilotFolders old;
  EXPECT_FALSE(old.standard);
  EXPECT_EQ(old.settingsFile(), "orvane.ini");
  EXPECT_EQ(old.logFile(), "orvane.log");
  EXPECT_EQ(old.lastPIREPFile(), "lastpirep.ovp");
}

class ChooseFoldersTest : public ::testing::Test {
 protected:
  std::string home() const { return dir_.file("home"); }
  Environment env() const { return environment({{"HOME", home()}}); }
  PilotFolders chooseIn(const fs::path& folder, bool workdir = false) {
    fs::create_directories(folder);
    InFolder in(folder);
    return choose_pilot_folders(workdir, FolderRules::Xdg, env());
  }
  test::TempDir dir_;
};

TEST_F(ChooseFoldersTest, AFolderWithoutSettingsGivesTheStandardFolders) {
  const PilotFolders f = chooseIn(dir_.file("somewhere"));
  EXPECT_TRUE(f.standard);
  EXPECT_EQ(f.config, home() + "/.config/orvane");
}

TEST_F(ChooseFoldersTest, SettingsInTheCurrentFolderOrAWorkdirKeepTheOldWay) {
  write_at(dir_.file("old/orvane.ini"), "[Server]\n");
  const PilotFolders f = chooseIn(dir_.file("old"));
  EXPECT_FALSE(f.standard);
  EXPECT_EQ(f.settingsFile(), "orvane.ini");
  EXPECT_EQ(f.data, ".");
  EXPECT_FALSE(chooseIn(dir_.file("empty"), true).standard);
  // Without a home there are no standard folders: the current folder, as always.
  fs::create_directories(dir_.file("x"));
  InFolder in(dir_.file("x"));
  EXPECT_FALSE(choose_pilot_folders(false, FolderRules::Xdg, environment({})).standard);
}

TEST_F(ChooseFoldersTest, SettingsInTheOldLayoutsFolderOrAStandardOneAreNotTheOldWay) {
  write_at(dir_.file("home/.local/share/orvane/orvane.ini"), "[Server]\n");
  EXPECT_TRUE(chooseIn(home() + "/.local/share/orvane").standard);
  write_at(dir_.file("home/.config/orvane/orvane.ini"), "[Server]\n");
  EXPECT_TRUE(chooseIn(home() + "/.config/orvane").standard);
}

TEST(MakeFoldersTest, MissingFoldersAreMadePrivateAndExistingOnesAreLeftAsTheyAre) {
  test::TempDir dir;
  fs::create_directories(dir.file("home/.config"));
  ::chmod(dir.file("home/.config").c_str(), 0755);
  const auto f = standard_folders(FolderRules::Xdg, environment({{"HOME", dir.file("home")}}));
  ASSERT_TRUE(f.has_value());
  std::string problem;
  ASSERT_TRUE(make_pilot_folders(*f, &problem)) << problem;
  for (const std::string& folder :
       {f->config, f->state, f->data, dir.file("home/.local"), dir.file("home/.local/state")}) {
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0) << folder;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
    EXPECT_EQ(st.st_mode & 0777u, 0700u) << folder;
  }
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("home/.config").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777u, 0755u);
  EXPECT_TRUE(make_pilot_folders(*f, &problem));  // again: nothing to do
  // A file where a folder should be is reported.
  dir.write("blocked", "a file");
  PilotFolders blocked = *f;
  blocked.state = dir.file("blocked") + "/orvane";
  EXPECT_FALSE(make_pilot_folders(blocked, &problem));
  EXPECT_NE(problem.find(dir.file("blocked")), std::string::npos) << problem;
}

class MoveOldLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders_ = *standard_folders(FolderRules::Xdg, environment({{"HOME", dir_.file("home")}}));
    old_ = old_layout_folder(FolderRules::Xdg, environment({{"HOME", dir_.file("home")}}));
    ASSERT_EQ(old_, folders_.data);
    std::string problem;
    ASSERT_TRUE(make_pilot_folders(folders_, &problem)) << problem;
  }
  std::string oldFile(const std::string& name) const { return old_ + "/" + name; }
  void writeOld(const std::string& name, const std::string& bytes) const {
    write_at(oldFile(name), bytes);
  }
  test::TempDir dir_;
  PilotFolders folders_;
  std::string old_;
};

TEST_F(MoveOldLayoutTest, SettingsAndLogsMoveToTheirFoldersAndTheDataFilesStay) {
  writeOld("orvane.ini", "[Server]\nUser = pilot\n");
  writeOld("orvane.log", "the last run\n");
  writeOld("orvane.log.1", "the run before\n");
  writeOld("lastpirep.ovp", "a PIREP");
  writeOld("outbox/7.ovp", "waiting");
  const std::vector<std::string> said = move_old_layout(old_, folders_);
  EXPECT_EQ(read_file(folders_.settingsFile()), "[Server]\nUser = pilot\n");
  // The last run's log is the previous one of this start, and the one before it follows.
  EXPECT_FALSE(fs::exists(folders_.logFile()));
  EXPECT_EQ(read_file(folders_.logFile() + ".1"), "the last run\n");
  EXPECT_EQ(read_file(folders_.logFile() + ".2"), "the run before\n");
  EXPECT_FALSE(fs::exists(oldFile("orvane.ini")));
  EXPECT_FALSE(fs::exists(oldFile("orvane.log")));
  EXPECT_FALSE(fs::exists(oldFile("orvane.log.1")));
  EXPECT_EQ(read_file(oldFile("lastpirep.ovp")), "a PIREP");
  EXPECT_EQ(read_file(oldFile("outbox/7.ovp")), "waiting");
  ASSERT_EQ(said.size(), 3u);
  EXPECT_EQ(said[0], "Moved [" + oldFile("orvane.ini") + "] to [" + folders_.settingsFile() + "].");
  // A second start finds nothing to move.
  EXPECT_TRUE(move_old_layout(old_, folders_).empty());
}

TEST_F(MoveOldLayoutTest, AnExistingFileWinsAndTheOldOneIsKeptRenamedNeverOverwritten) {
  write_at(folders_.settingsFile(), "the new settings\n");
  writeOld("orvane.ini", "the old settings\n");
  writeOld("orvane.ini.old", "an earlier leftover\n");
  const std::vector<std::string> said = move_old_layout(old_, folders_);
  EXPECT_EQ(read_file(folders_.settingsFile()), "the new settings\n");
  EXPECT_EQ(read_file(oldFile("orvane.ini.old")), "an earlier leftover\n");
  EXPECT_EQ(read_file(oldFile("orvane.ini.old.2")), "the old settings\n");
  EXPECT_FALSE(fs::exists(oldFile("orvane.ini")));
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "[" + folders_.settingsFile() +
                         "] is already there and is used; the old file [" +
                         oldFile("orvane.ini") + "] is kept as [" +
                         oldFile("orvane.ini.old.2") + "].");
}

TEST_F(MoveOldLayoutTest, AMoveThatFailsLeavesTheFileWhereItWasAndSaysWhy) {
  writeOld("orvane.ini", "the settings\n");
  writeOld("orvane.log", "the log\n");
  PilotFolders gone = folders_;
  gone.config = dir_.file("no/such/folder");
  const std::vector<std::string> said = move_old_layout(old_, gone);
  EXPECT_EQ(read_file(oldFile("orvane.ini")), "the settings\n");
  EXPECT_EQ(read_file(folders_.logFile() + ".1"), "the log\n");
  ASSERT_EQ(said.size(), 2u);
  EXPECT_EQ(said[0].rfind("Could not move [" + oldFile("orvane.ini") + "] to [" +
                              gone.settingsFile() + "]: ",
                          0),
            0u)
      << said[0];
  EXPECT_NE(said[0].find("; it stays where it was."), std::string::npos) << said[0];
}

TEST_F(MoveOldLayoutTest, AnotherDataFolderTakesTheJournalThePIREPAndTheOutboxsReports) {
  PilotFolders elsewhere = folders_;
  elsewhere.data = dir_.file("data/orvane");
  std::string problem;
  ASSERT_TRUE(make_pilot_folders(elsewhere, &problem)) << problem;
  writeOld("orvane.journal", "journal");
  writeOld("lastpirep.ovp", "old PIREP");
  write_at(elsewhere.lastPIREPFile(), "new PIREP");
  writeOld("outbox/7.ovp", "seven");
  writeOld("outbox/8.refused", "eight");
  const std::vector<std::string> said = move_old_layout(old_, elsewhere);
  EXPECT_EQ(said.size(), 4u);
  EXPECT_EQ(read_file(elsewhere.data + "/orvane.journal"), "journal");
  EXPECT_EQ(read_file(elsewhere.lastPIREPFile()), "new PIREP");
  EXPECT_EQ(read_file(oldFile("lastpirep.ovp.old")), "old PIREP");
  EXPECT_EQ(read_file(elsewhere.data + "/outbox/7.ovp"), "seven");
  EXPECT_EQ(read_file(elsewhere.data + "/outbox/8.refused"), "eight");
  EXPECT_FALSE(fs::exists(oldFile("outbox")));
}

TEST(PilotFoldersInUseTest, AreTheOldWayUntilSetAndThenTheOnesSet) {
  const PilotFolders before = pilot_folders();
  EXPECT_EQ(before.settingsFile(), "orvane.ini");
  PilotFolders set;
  set.config = "/c";
  set.standard = true;
  use_pilot_folders(set);
  EXPECT_EQ(pilot_folders().settingsFile(), "/c/orvane.ini");
  use_pilot_folders(before);
  EXPECT_EQ(pilot_folders().settingsFile(), "orvane.ini");
}

}  // namespace
}  // namespace orvane
