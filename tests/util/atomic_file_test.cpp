// Whole-or-nothing writes on real files: a new file is private to its owner, an existing one
// keeps its mode, and a failure says why.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"
#include "util/atomic_file.h"

namespace orvane {
namespace {

using test::read_file;

unsigned mode_of(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0xFFFFu;
  return st.st_mode & 07777u;
}

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { oldMask_ = ::umask(022); }  // the usual desktop umask
  void TearDown() override { ::umask(oldMask_); }
  test::TempDir dir_;
  mode_t oldMask_ = 0;
};

TEST_F(AtomicFileTest, ANewFileIsReadableAndWritableByItsOwnerOnly) {
  const std::string path = dir_.file("secret.ovp");
  ASSERT_TRUE(write_file_atomically(path, "the pilot's password is inside"));
  EXPECT_EQ(read_file(path), "the pilot's password is inside");
  EXPECT_EQ(mode_of(path), 0600u);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(AtomicFileTest, AnExistingFileKeepsItsMode) {
  for (const unsigned mode : {0600u, 0640u, 0644u, 0400u}) {
    const std::string path = dir_.write("orvane.ini", "earlier");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(write_file_atomically(path, "later")) << std::oct << mode;
    EXPECT_EQ(read_file(path), "later");
    EXPECT_EQ(mode_of(path), mode) << std::oct << mode;
  }
}

TEST_F(AtomicFileTest, AStaleTemporaryFileDoesNotLendItsMode) {
  const std::string path = dir_.file("lastpirep.ovp");
  dir_.write("lastpirep.ovp.tmp", "left by a crash");
  ASSERT_EQ(::chmod((path + ".tmp").c_str(), 0666), 0);
  ASSERT_TRUE(write_file_atomically(path, "new"));
  EXPECT_EQ(mode_of(path), 0600u);
}

TEST_F(AtomicFileTest, AFailureLeavesNoFileAndSaysWhichFileAndWhy) {
  // A file where the folder should be: nobody may create anything in it, root included.
  dir_.write("plain", "a file where the folder should be");
  const std::string path = dir_.file("plain") + "/orvane.ini";
  FileWriteError error;
  EXPECT_FALSE(write_file_atomically(path, "bytes", &error));
  EXPECT_FALSE(error.created);
  EXPECT_NE(error.reason.find(path), std::string::npos) << error.reason;
  EXPECT_NE(error.reason.find("Not a directory"), std::string::npos) << error.reason;
  EXPECT_EQ(read_file(dir_.file("plain")), "a file where the folder should be");
}

TEST_F(AtomicFileTest, AReplaceThatFailsRemovesTheTemporaryFile) {
  // A folder of that name cannot be replaced by a file.
  std::filesystem::create_directories(dir_.file("taken/inner"));
  FileWriteError error;
  EXPECT_FALSE(write_file_atomically(dir_.file("taken"), "bytes", &error));
  EXPECT_TRUE(error.created);
  EXPECT_FALSE(error.reason.empty());
  EXPECT_FALSE(std::filesystem::exists(dir_.file("taken.tmp")));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("taken/inner")));
}

}  // namespace
}  // namespace orvane
