// Checksummed records: the frame, a round trip through a real file, torn and damaged ends.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "util/atomic_file.h"
#include "util/record_file.h"

namespace orvane {
namespace {

using test::read_file;
using test::TempDir;

TEST(RecordFile, Crc32IsTheIeeeChecksum) {
  EXPECT_EQ(crc32_of(""), 0x00000000U);
  EXPECT_EQ(crc32_of("123456789"), 0xCBF43926U);
  EXPECT_EQ(crc32_of("The quick brown fox jumps over the lazy dog"), 0x414FA339U);
}

TEST(RecordFile, FrameCarriesLengthAndChecksum) {
  EXPECT_EQ(frame_record("abc"), "R 3 352441c2\nabc\n");
  EXPECT_EQ(frame_record(""), "R 0 00000000\n\n");
}

TEST(RecordFile, RoundTripThroughAppendsKeepsEveryByte) {
  TempDir dir;
  const std::string path = dir.file("j");
  const std::vector<std::string> records = {"first", std::string("with\nline\r\nbreaks\0and NUL", 25),
                                            "", "R 5 00000000\nfake frame inside", "last"};
  for (const std::string& r : records) ASSERT_TRUE(append_file_synced(path, frame_record(r)));
  const RecordsRead read = read_records(path);
  EXPECT_TRUE(read.exists);
  EXPECT_FALSE(read.torn);
  EXPECT_TRUE(read.error.empty());
  EXPECT_EQ(read.records, records);
}

TEST(RecordFile, AppendMakesAPrivateFileAndKeepsAnExistingMode) {
  TempDir dir;
  const std::string path = dir.file("j");
  ASSERT_TRUE(append_file_synced(path, "x"));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600U);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(append_file_synced(path, "y"));
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640U);
  EXPECT_EQ(read_file(path), "xy");
}

TEST(RecordFile, AppendToAMissingFolderFailsWithTheReason) {
  TempDir dir;
  FileWriteError error;
  EXPECT_FALSE(append_file_synced(dir.file("none/j"), "x", &error));
  EXPECT_NE(error.reason.find("none/j"), std::string::npos);
}

TEST(RecordFile, EveryCutOfTheLastRecordIsIgnoredAndTheRestIsRead) {
  const std::string whole = frame_record("one") + frame_record("two");
  const std::string last = frame_record("three, the one cut short");
  for (std::size_t cut = 1; cut < last.size(); ++cut) {
    const RecordsRead read = parse_records(whole + last.substr(0, cut));
    EXPECT_TRUE(read.torn) << cut;
    EXPECT_EQ(read.records, (std::vector<std::string>{"one", "two"})) << cut;
  }
  const RecordsRead complete = parse_records(whole + last);
  EXPECT_FALSE(complete.torn);
  EXPECT_EQ(complete.records.size(), 3u);
}

TEST(RecordFile, AChangedByteFailsTheChecksumAndEndsTheReading) {
  std::string bytes = frame_record("one") + frame_record("two") + frame_record("three");
  const std::size_t at = bytes.find("two");
  bytes[at] = 'T';
  const RecordsRead read = parse_records(bytes);
  EXPECT_TRUE(read.torn);
  EXPECT_EQ(read.records, std::vector<std::string>{"one"});
}

TEST(RecordFile, GarbageAndAnEmptyFileAreReadableAndHoldNoRecords) {
  EXPECT_FALSE(parse_records("").torn);
  EXPECT_TRUE(parse_records("").records.empty());
  const char bytes[] = "\0\0\0R 99999999999 zz\n";
  const RecordsRead garbage = parse_records(std::string(bytes, sizeof bytes - 1));
  EXPECT_TRUE(garbage.torn);
  EXPECT_TRUE(garbage.records.empty());
  // A length beyond the file.
  EXPECT_TRUE(parse_records("R 4000000000 00000000\nabc\n").torn);
}

TEST(RecordFile, AMissingFileIsNoErrorAndAFolderIsOne) {
  TempDir dir;
  const RecordsRead none = read_records(dir.file("none"));
  EXPECT_FALSE(none.exists);
  EXPECT_TRUE(none.error.empty());
  const RecordsRead folder = read_records(dir.path().string());
  EXPECT_FALSE(folder.exists);
  EXPECT_FALSE(folder.error.empty());
}

}  // namespace
}  // namespace orvane
