// The main window's keys: Enter in the flight-number field asks for the flight data, Enter
// anywhere else leaves the window as it is (it used to press Quit).
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "mainwindow_fixture.h"

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

}  // namespace
}  // namespace orvane
