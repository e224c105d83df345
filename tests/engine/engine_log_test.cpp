// EngineLog: where its lines go when the path is set, set again, or cannot be opened.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "engine/engine_log.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::read_file;
using test::TempDir;

class EngineLogTest : public ::testing::Test {
 protected:
  EngineLogTest() : clock_(1783173600000), scoped_(clock_) {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_;
  EngineLog log_;
};

TEST_F(EngineLogTest, FirstLineReplacesAnEarlierRunsFileAndTheSamePathAgainGoesOn) {
  const std::string path = dir_.write("orvane.log", "a line of the last run\n");
  log_.setPath(path);
  EXPECT_EQ(read_file(path), "a line of the last run\n");  // nothing changes before a line
  log_.write("one");
  EXPECT_EQ(read_file(path), "Sat Jul  4 14:00:00 2026: one\n");
  log_.setPath(path);
  clock_.advance(1);
  log_.write("two");
  EXPECT_EQ(read_file(path), "Sat Jul  4 14:00:00 2026: one\nSat Jul  4 14:00:01 2026: two\n");
  EXPECT_EQ(log_.path(), path);
}

TEST_F(EngineLogTest, LinesThatCannotBeWrittenAreDroppedUntilAPathCanBeOpened) {
  log_.setPath(dir_.file("missing/orvane.log"));
  log_.write("lost");
  log_.write("lost too");
  const std::string path = dir_.file("orvane.log");
  log_.setPath(path);
  log_.write("kept");
  EXPECT_EQ(read_file(path), "Sat Jul  4 14:00:00 2026: kept\n");
}


TEST_F(EngineLogTest, PassesThatSayTheSameAreLeftOutAndTheNextChangeCountsThem) {
  const std::string path = dir_.file("orvane.log");
  log_.setPath(path);
  for (int pass = 0; pass < 50; ++pass) {
    log_.beginPass();
    log_.write("cycleOnce called.");
    log_.write("IAS 0");
  }
  log_.beginPass();
  log_.write("cycleOnce called.");
  log_.write("IAS 12");  // something changed
  log_.write("IAS 12");  // the same pass may say it twice
  EXPECT_EQ(read_file(path),
            "Sat Jul  4 14:00:00 2026: cycleOnce called.\n"
            "Sat Jul  4 14:00:00 2026: IAS 0\n"
            "Sat Jul  4 14:00:00 2026: (99 lines as in the pass before left out)\n"
            "Sat Jul  4 14:00:00 2026: IAS 12\n"
            "Sat Jul  4 14:00:00 2026: IAS 12\n");
  // A text the pass before did not write comes again.
  log_.beginPass();
  log_.write("IAS 0");
  EXPECT_NE(read_file(path).find(": IAS 0\n", read_file(path).find("IAS 12")), std::string::npos);
}

TEST_F(EngineLogTest, BeyondItsCapTheFileBecomesTheDotOneAndStartsAfresh) {
  const std::string path = dir_.file("orvane.log");
  log_.setPath(path);
  log_.setSizeCap(100);
  const std::string line(40, 'x');  // 26 bytes of time and ": " make 67 a line
  log_.write(line + "1");
  log_.write(line + "2");
  log_.write(line + "3");
  EXPECT_EQ(read_file(path + ".1"), "Sat Jul  4 14:00:00 2026: " + line + "2\n");
  EXPECT_EQ(read_file(path), "Sat Jul  4 14:00:00 2026: " + line + "3\n");
}

}  // namespace
}  // namespace orvane
