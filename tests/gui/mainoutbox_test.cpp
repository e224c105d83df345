// The main window and the PIREP outbox: the report kept the moment the flight ends, offered and
// sent at the next start, and the review opened at once after the cycle has stopped.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "mainwindow_fixture.h"
#include "pirep/outbox.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

class MainOutboxTest : public MainWindowTest {
 protected:
  Outbox box() const { return Outbox(dir_.file("outbox")); }
  // From the gate to the flight's PIREP shown in the window.
  void flyToPIREP() {
    startTracking();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }));
  }
};

// What a window killed now (SIGKILL, nothing of its close path runs) leaves on the disk.
TEST_F(MainOutboxTest, UnsavedPIREPShownIsAlreadyInTheOutbox) {
  runWindow([&] {
    flyToPIREP();
    if (HasFatalFailure()) return;
    EXPECT_FALSE(w().isPIREPSaved());
    const std::vector<Outbox::Entry> waiting = box().waiting();
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].report.Callsign, "ABC123");
    EXPECT_EQ(waiting[0].report.Out, w().pirep().Out);
    EXPECT_EQ(waiting[0].report.In, w().pirep().In);
    EXPECT_EQ(waiting[0].report.MaxIAS, w().pirep().MaxIAS);
    boxes_.answer(IDNO);  // quit without saving
    escape();
  });
}

TEST_F(MainOutboxTest, ViewPIREPOpensTheReviewAtOnceWithTheServerGone) {
  int reviews = 0;
  CMyDialog::setPIREPReviewRunner(
      [&](CMyDialog&, const PIREPData&, bool, const FlightTrack&, const Touchdown&) {
        ++reviews;
      });
  runWindow([&] {
    flyToPIREP();
    if (HasFatalFailure()) return;
    settle();
    // The server takes requests and never answers: a connection test would wait for it.
    airline_.set_handler([](const airline::Request&) -> std::optional<airline::Reply> {
      airline::Reply silent;
      silent.silent = true;
      return silent;
    });
    click(IDC_VIEWPIREP);
    EXPECT_TRUE(waitFor([&] { return reviews == 1; }, 1000));
    airline_.stop();  // lets the held requests go
    escape();
  });
  CMyDialog::setPIREPReviewRunner({});
}

TEST_F(MainOutboxTest, WaitingPIREPIsOfferedAtStartAndSentOnce) {
  PIREPData waiting = test::sample_pirep();
  ASSERT_TRUE(box().keep(waiting));
  boxes_.answer(IDYES);  // Send now
  runWindow([&] {
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown[0].text, "1 PIREP not sent yet: ORV123 EDDF\u2013LOWW, 2026-07-02");
    EXPECT_EQ(boxes_.shown[0].style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(boxes_.shown[0].labels, (std::vector<std::string>{"Send now", "Review", "Later"}));
    ASSERT_TRUE(waitFor([&] { return !w().isSendingOutbox(); }));
    EXPECT_EQ(message(), "The waiting PIREP was sent.");
    EXPECT_EQ(airline_.requests_for(kPirep).size(), 1u);
    EXPECT_TRUE(box().waiting().empty());
    escape();
  });
  EXPECT_EQ(airline_.requests_for(kPirep).size(), 1u);
}

TEST_F(MainOutboxTest, WaitingPIREPLaterStaysAndIsNamed) {
  ASSERT_TRUE(box().keep(test::sample_pirep()));
  boxes_.answer(IDCANCEL);  // Later
  runWindow([&] {
    EXPECT_EQ(message(), "1 PIREP not sent yet: ORV123 EDDF\u2013LOWW, 2026-07-02");
    EXPECT_EQ(box().waiting().size(), 1u);
    EXPECT_TRUE(airline_.requests_for(kPirep).empty());
    escape();
  });
}

}  // namespace
}  // namespace orvane
