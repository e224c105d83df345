// Tests of the PIREP outbox on real files: keeping, listing, removing, refusing, a full disk.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "pirep/outbox.h"
#include "pirep/pirep_samples.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::read_file;
using test::sample_pirep;
using test::TempDir;

PIREPData flight(const std::string& callsign, const std::string& out) {
  PIREPData r = sample_pirep();
  r.Callsign = callsign;
  r.Out = out;
  return r;
}

TEST(Outbox, KeptReportIsOneOvpFileInTheFormatOfLastPirep) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  const PIREPData r = flight("ORV123", "1796739600");
  std::string error;
  ASSERT_TRUE(box.keep(r, &error)) << error;
  const std::string path = dir.file("outbox/ORV123-1796739600.ovp");
  EXPECT_EQ(box.pathOf(Outbox::idFor(r)), path);
  EXPECT_EQ(read_file(path), r.pack_crypt());
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(dir.file("outbox").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(Outbox, WaitingListsReportsOldestFirstAndRemoveTakesOneAway) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  ASSERT_TRUE(box.keep(flight("ORV2", "200")));
  ASSERT_TRUE(box.keep(flight("ORV1", "100")));
  std::vector<Outbox::Entry> w = box.waiting();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].id, "ORV1-100");
  EXPECT_EQ(w[0].report, flight("ORV1", "100"));
  EXPECT_EQ(w[1].id, "ORV2-200");
  EXPECT_TRUE(box.remove("ORV1-100"));
  w = box.waiting();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].id, "ORV2-200");
}

TEST(Outbox, KeepingTheSameFlightAgainReplacesItsFile) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  PIREPData r = flight("ORV123", "100");
  ASSERT_TRUE(box.keep(r));
  r.Comment = "smooth";
  ASSERT_TRUE(box.keep(r));
  const std::vector<Outbox::Entry> w = box.waiting();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].report.Comment, "smooth");
}

TEST(Outbox, RefusedFlightStaysInTheFolderButIsNotWaiting) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  ASSERT_TRUE(box.keep(flight("ORV123", "100")));
  EXPECT_TRUE(box.markRefused("ORV123-100"));
  EXPECT_TRUE(box.waiting().empty());
  EXPECT_TRUE(std::filesystem::exists(dir.file("outbox/ORV123-100.refused")));
}

TEST(Outbox, UnreadableFileIsNamedAndLeftAlone) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  ASSERT_TRUE(box.keep(flight("ORV1", "100")));
  const std::string bad = dir.write("outbox/broken.ovp", "not a pirep");
  std::vector<std::string> unreadable;
  const std::vector<Outbox::Entry> w = box.waiting(&unreadable);
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(unreadable, std::vector<std::string>{bad});
  EXPECT_EQ(read_file(bad), "not a pirep");
}

TEST(Outbox, MissingFolderHasNothingWaiting) {
  TempDir dir;
  EXPECT_TRUE(Outbox(dir.file("none")).waiting().empty());
}

TEST(Outbox, SummaryNamesFlightRouteAndDate) {
  PIREPData r = flight("ORV123", "100");
  r.From = "EDDF";
  r.To = "EGLL";
  r.OOut = "08.12.2026 14:20";
  Outbox::Entry e{"ORV123-100", "", r};
  EXPECT_EQ(Outbox::summary({e}), "1 PIREP not sent yet: ORV123 EDDF\u2013EGLL, 2026-12-08");
  PIREPData r2 = r;
  r2.Callsign = "ORV124";
  r2.From = "EGLL";
  r2.To = "EDDF";
  EXPECT_EQ(Outbox::summary({e, {"ORV124-200", "", r2}}),
            "2 PIREPs not sent yet:\nORV123 EDDF\u2013EGLL, 2026-12-08\n"
            "ORV124 EGLL\u2013EDDF, 2026-12-08");
  EXPECT_EQ(Outbox::summary({}), "");
}

// A disk that takes no more bytes: the process may not grow any file (RLIMIT_FSIZE), as on
// a full disk every write fails.
class FullDisk {
 public:
  FullDisk() {
    old_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit none = saved_;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_);
  }

 private:
  rlimit saved_{};
  void (*old_)(int) = nullptr;
};

TEST(Outbox, FullDiskIsNotKeptAndKeepsThePreviousFile) {
  TempDir dir;
  const Outbox box(dir.file("outbox"));
  PIREPData r = flight("ORV123", "100");
  ASSERT_TRUE(box.keep(r));
  const std::string before = read_file(box.pathOf("ORV123-100"));
  r.Comment = "changed";
  std::string error;
  bool kept = true;
  {
    const FullDisk full;
    kept = box.keep(r, &error);
  }
  EXPECT_FALSE(kept);
  // The reason names the file written and what the system said.
  EXPECT_EQ(error, "Cannot write [" + box.pathOf("ORV123-100") + ".tmp]: File too large");
  EXPECT_EQ(read_file(box.pathOf("ORV123-100")), before);
  EXPECT_FALSE(std::filesystem::exists(box.pathOf("ORV123-100") + ".tmp"));
}

}  // namespace
}  // namespace orvane
