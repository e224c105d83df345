// The main window's keys: Enter in the flight-number field asks for the flight data, Enter
// anywhere else leaves the window as it is (it used to press Quit); Escape and the close box
// ask Quit's question with a flight tracked or a PIREP unsent (they used to end at once).
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "mainwindow_fixture.h"
#include "integration/scenarios.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

class KeysTest : public MainWindowTest {
 protected:
  void pressEnterIn(UINT id) {
    QWidget* field = w().GetDlgItem(id);
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
  }
};

TEST_F(KeysTest, EnterInTheFlightNumberAsksForTheFlightDataAndTheWindowStays) {
  runWindow([&] {
    type(IDC_FLIGHTNO, "abc123");
    pressEnterIn(IDC_FLIGHTNO);
    ASSERT_TRUE(waitFor([&] {
      const EngineWorker::WaitState s = w().worker()->waitState();
      if (s.where == EngineWorker::Waiting::Preparing) clock_.advance_ms(s.ms);
      return field(IDC_DEPARTURE) == "EDDF";
    }));
    EXPECT_EQ(field(IDC_DESTINATION), "EDFZ");
    EXPECT_NE(w().GetHwnd(), nullptr);
    settle();
    escape();
  });
  EXPECT_EQ(airline_.count(kInfo), 1u);
  EXPECT_TRUE(boxes_.shown.empty());  // no "Thank you for using ORVANE!"
}

TEST_F(KeysTest, EnterInAnyOtherFieldChangesNothing) {
  runWindow([&] {
    for (UINT id : {IDC_DEPARTURE, IDC_ROUTE, IDC_PASSENGERS, IDC_COMMENT}) {
      pressEnterIn(id);
      QTest::qWait(20);  // milliseconds: a queued quit would have run
      ASSERT_NE(w().GetHwnd(), nullptr) << id;
      EXPECT_TRUE(w().GetHwnd()->isVisible()) << id;
    }
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(airline_.count(kInfo), 0u);
    escape();
  });
}

// Escape, then the close box, answered No: the question each time, the window and the flight
// stay; nothing is sent to end the flight.
TEST_F(KeysTest, EscapeAndTheCloseBoxWithAFlightTrackedAskFirst) {
  play(test::pausingFlight());
  runWindow([&] {
    startTracking();
    const std::size_t acars = airline_.count(kAcars);
    boxes_.answer(IDNO);
    QTest::keyClick(w().GetHwnd(), Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return boxes(609) == 1; }));
    boxes_.answer(IDNO);
    w().GetHwnd()->close();
    ASSERT_TRUE(waitFor([&] { return boxes(609) == 2; }));
    settle();
    ASSERT_NE(w().GetHwnd(), nullptr);
    EXPECT_TRUE(w().GetHwnd()->isVisible());
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_EQ(airline_.count(kAcars), acars);
    EXPECT_EQ(boxes(608), 0u);
    escape();
  });
  EXPECT_EQ(boxes(609), 2u);
}

TEST_F(KeysTest, EscapeWithAPIREPUnsentAsksFirst) {
  files_.pick(dir_.write("flight.ovp", test::sample_pirep().pack_crypt()));
  runWindow([&] {
    click(IDC_LOADPIREP);
    ASSERT_TRUE(w().isPIREPAvailable());
    boxes_.answer(IDNO);
    QTest::keyClick(w().GetHwnd(), Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return boxes(609) == 1; }));
    settle();
    EXPECT_TRUE(w().GetHwnd()->isVisible());
    EXPECT_TRUE(w().isPIREPAvailable());
    escape();
  });
}

// With nothing to lose, Escape ends the window as Quit does, without a question.
TEST_F(KeysTest, EscapeAtTheGateEndsTheWindowWithoutAQuestion) {
  const INT_PTR result = runWindow([&] { escape(); });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(boxes(609), 0u);
}

}  // namespace
}  // namespace orvane
