// EngineLog: where its lines go when the path is set, set again, or cannot be opened.
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

}  // namespace
}  // namespace orvane
