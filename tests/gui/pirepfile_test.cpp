// The PIREP file helper on real files in a temporary folder: the round trip, a corrupt file,
// an unwritable folder and a write cut short, each leaving no partial file behind.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>

#include "frontend/pirepfile.h"
#include "pirep/pirep_samples.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::read_file;
using test::sample_pirep;

// The names in the folder, sorted.
std::set<std::string> names(const std::filesystem::path& folder) {
  std::set<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    out.insert(e.path().filename().string());
  return out;
}

class PIREPFileTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
};

TEST_F(PIREPFileTest, SavedReportLoadsBackWholeAndNoTemporaryFileIsLeft) {
  const PIREPData report = sample_pirep();
  const std::string path = dir_.file("ABC123.ovp");
  ASSERT_EQ(savePIREPFile(report, path), PIREPFileResult::Done);
  EXPECT_EQ(read_file(path), report.pack_crypt());
  const LoadedPIREPFile loaded = loadPIREPFile(path);
  EXPECT_EQ(loaded.result, PIREPFileResult::Done);
  EXPECT_EQ(loaded.report, report);
  EXPECT_EQ(loaded.message, "");
  EXPECT_EQ(names(dir_.path()), std::set<std::string>{"ABC123.ovp"});
}

TEST_F(PIREPFileTest, ANewFileIsPrivateAndAnEarlierOneKeepsItsMode) {
  const mode_t oldMask = ::umask(022);
  const std::string path = dir_.file("ABC123.ovp");
  ASSERT_EQ(savePIREPFile(sample_pirep(), path), PIREPFileResult::Done);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777u, 0600u);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(savePIREPFile(sample_pirep(), path), PIREPFileResult::Done);
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777u, 0640u);
  ::umask(oldMask);
}

TEST_F(PIREPFileTest, SaveReplacesAnEarlierFileOfTheSameName) {
  const std::string path = dir_.write("ABC123.ovp", "an earlier file of the same name");
  PIREPData report = sample_pirep();
  report.Comment = "The second flight of the day.";
  ASSERT_EQ(savePIREPFile(report, path), PIREPFileResult::Done);
  EXPECT_EQ(loadPIREPFile(path).report, report);
  EXPECT_EQ(names(dir_.path()), std::set<std::string>{"ABC123.ovp"});
}

TEST_F(PIREPFileTest, CorruptFileGivesTheDecodersMessageAndNoReport) {
  const std::string bytes = "not a PIREP file at all, only some text";
  const std::string path = dir_.write("broken.ovp", bytes);
  std::string decoderSays;
  try {
    PIREPData probe;
    probe.unpack_crypt(bytes);
  } catch (const std::runtime_error& e) {
    decoderSays = e.what();
  }
  ASSERT_EQ(decoderSays, "Wrong PIREP file version: [].");
  const LoadedPIREPFile loaded = loadPIREPFile(path);
  EXPECT_EQ(loaded.result, PIREPFileResult::CannotDecode);
  EXPECT_EQ(loaded.message, decoderSays);
  EXPECT_EQ(loaded.report, PIREPData{});
}

TEST_F(PIREPFileTest, MissingFileCannotBeOpened) {
  const LoadedPIREPFile loaded = loadPIREPFile(dir_.file("none.ovp"));
  EXPECT_EQ(loaded.result, PIREPFileResult::CannotOpen);
  EXPECT_EQ(loaded.message, "");
  EXPECT_EQ(loaded.report, PIREPData{});
}

TEST_F(PIREPFileTest, SaveIntoAnUnwritableFolderFailsAndLeavesNoFile) {
  // A file where the folder should be: no one may create anything in it, root included.
  dir_.write("plain", "a file where the folder should be");
  const std::string path = dir_.file("plain") + "/ABC123.ovp";
  EXPECT_EQ(savePIREPFile(sample_pirep(), path), PIREPFileResult::CannotOpen);
  EXPECT_EQ(read_file(dir_.file("plain")), "a file where the folder should be");
  EXPECT_EQ(names(dir_.path()), std::set<std::string>{"plain"});
}

TEST_F(PIREPFileTest, WriteCutShortLeavesTheEarlierFileByteForByteAndNoTemporaryFile) {
  const std::string earlier = "the pilot's earlier PIREP file, kept whole";
  const std::string path = dir_.write("ABC123.ovp", earlier);
  const PIREPData report = sample_pirep();
  ASSERT_GT(report.pack_crypt().size(), 200u);
  // The process may not write past 100 bytes in any file: the write fails half way, as on
  // a full disk.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  void (*oldSignal)(int) = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  const PIREPFileResult result = savePIREPFile(report, path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldSignal);
  EXPECT_EQ(result, PIREPFileResult::CannotWrite);
  EXPECT_EQ(read_file(path), earlier);
  EXPECT_EQ(names(dir_.path()), std::set<std::string>{"ABC123.ovp"});
}

TEST(PIREPFileFolder, TheFolderOfAChosenFileOnLinuxAndWindows) {
  EXPECT_EQ(folderOfFile("/home/pilot/flights/ORV123.ovp"), "/home/pilot/flights");
  EXPECT_EQ(folderOfFile("C:/Users/pilot/Documents/ORV123.ovp"), "C:/Users/pilot/Documents");
  EXPECT_EQ(folderOfFile("C:\\Users\\pilot\\ORV123.ovp"), "C:\\Users\\pilot");
  EXPECT_EQ(folderOfFile("/ORV123.ovp"), "/");
  EXPECT_EQ(folderOfFile("ORV123.ovp"), "");
}

}  // namespace
}  // namespace orvane
