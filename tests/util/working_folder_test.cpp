// The working folder on real files: its lock taken twice, the lock file's content and
// mode, the write check, and the previous log kept.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "util/working_folder.h"

namespace orvane {
namespace {

using test::read_file;

TEST(WorkingFolderLockTest, TheSecondTakerIsToldWhoHoldsTheFolderUntilTheFirstLetsGo) {
  test::TempDir dir;
  const std::string folder = dir.path().string();
  {
    WorkingFolderLock first(folder);
    ASSERT_TRUE(first.held());
    EXPECT_EQ(first.message(), "");
    EXPECT_EQ(read_file(dir.file("orvane.lock")), std::to_string(::getpid()) + "\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("orvane.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077u, 0u);
    WorkingFolderLock second(folder);
    EXPECT_EQ(second.state(), WorkingFolderLock::State::Taken);
    EXPECT_NE(second.message().find("(process " + std::to_string(::getpid()) + ")"),
              std::string::npos)
        << second.message();
  }
  WorkingFolderLock again(folder);
  EXPECT_TRUE(again.held());
}

TEST(WorkingFolderLockTest, TheFolderIsNamedInFullWithoutATrailingSeparator) {
  test::TempDir dir;
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  WorkingFolderLock first(".");
  WorkingFolderLock second(".");
  std::string unwritable;
  check_folder_writable("./plain", &unwritable);
  std::filesystem::current_path(old);
  ASSERT_TRUE(second.taken());
  EXPECT_EQ(second.message().rfind("ORVANE is already running in the folder [" +
                                       dir.path().string() + "] (process ",
                                   0),
            0u)
      << second.message();
  EXPECT_EQ(unwritable.rfind("ORVANE cannot write in its working folder [" +
                                 dir.file("plain") + "]: ",
                             0),
            0u)
      << unwritable;
}

TEST(WorkingFolderLockTest, AFolderThatIsNotThereFailsWithTheReason) {
  test::TempDir dir;
  dir.write("plain", "a file where the folder should be");
  WorkingFolderLock lock(dir.file("plain"));
  EXPECT_EQ(lock.state(), WorkingFolderLock::State::Failed);
  EXPECT_EQ(lock.message(), "[" + dir.file("plain") + "/orvane.lock]: Not a directory");
}

TEST(WorkingFolderTest, TheWriteCheckLeavesNothingAndNamesTheFolderItCannotWrite) {
  test::TempDir dir;
  std::string message = "unchanged";
  EXPECT_TRUE(check_folder_writable(dir.path().string(), &message));
  EXPECT_EQ(message, "unchanged");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  dir.write("plain", "x");
  EXPECT_FALSE(check_folder_writable(dir.file("plain"), &message));
  EXPECT_EQ(message, "ORVANE cannot write in its working folder [" + dir.file("plain") +
                         "]: Not a directory. The settings, the log and PIREP files cannot be "
                         "kept there; start ORVANE in a folder you can write to.");
}

TEST(WorkingFolderTest, ThePreviousLogIsKeptAsDotOneReplacingAnOlderOne) {
  test::TempDir dir;
  const std::string log = dir.write("orvane.log", "the last run\n");
  dir.write("orvane.log.1", "the run before it\n");
  EXPECT_TRUE(keep_previous_log(log));
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_EQ(read_file(log + ".1"), "the last run\n");
  // No log yet: nothing to keep.
  EXPECT_TRUE(keep_previous_log(log));
  EXPECT_EQ(read_file(log + ".1"), "the last run\n");
  // Only a regular file is moved ("/dev/null" as a log stays where it is).
  std::filesystem::create_directory(dir.file("folder.log"));
  EXPECT_TRUE(keep_previous_log(dir.file("folder.log")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.log")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("folder.log.1")));
}

}  // namespace
}  // namespace orvane
