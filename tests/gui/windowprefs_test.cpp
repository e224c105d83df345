// The main window and its preferences: weights in kilograms in the window and the review
// while the files keep pounds, and waiting PIREPs sent without asking from the next start on.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cmath>
#include <memory>

#include "frontend/optiondialog.h"
#include "frontend/pirepdialog.h"
#include "frontend/windowprefs.h"
#include "mainwindow_fixture.h"
#include "pirep/outbox.h"
#include "pirep/pirep_samples.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::runModal;
using test::waitFor;

constexpr UINT IDC_CARGO_LABEL = 107;
constexpr UINT IDC_FUEL_UNIT = 125;

// Pounds as text in whole kilograms, 1 lb = 0.45359237 kg.
std::string kg(const std::string& pounds) {
  return std::to_string(std::llround(std::stod(pounds) * 0.45359237));
}
std::string sixDigits(const std::string& s) {
  return std::string(s.size() < 6 ? 6 - s.size() : 0, '0') + s;
}

class WindowPrefsTest : public MainWindowTest {
 protected:
  void TearDown() override {
    CMyDialog::setPIREPReviewRunner({});
    MainWindowTest::TearDown();
  }
  Outbox box() const { return Outbox(dir_.file("outbox")); }

  // Presses "ORVANE Preferences" and runs edit on the dialog once it is up; edit ends it.
  void editPreferences(const std::function<void(QWidget*)>& edit) {
    QWidget* main = w().GetHwnd();
    bool done = false;
    auto* timer = new QTimer(main);
    QObject::connect(timer, &QTimer::timeout, main, [timer, main, edit, &done] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal == main) return;
      timer->stop();
      timer->deleteLater();
      edit(modal);
      done = true;
    });
    timer->start(5);
    click(IDC_OPTIONS);
    EXPECT_TRUE(done) << "the preferences never opened";
  }
  static void press(QWidget* dialog, UINT id) {
    auto* b = qobject_cast<QAbstractButton*>(FindDlgItem(dialog, id));
    ASSERT_NE(b, nullptr) << id;
    // At its left: a wide check box takes no clicks right of its text.
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
  }
};

TEST_F(WindowPrefsTest, KilogramsShowInTheWindowAndTheReviewWhileTheSavedFileKeepsPounds) {
  WindowPrefs::setWeightUnit(WeightUnit::Kilograms);
  const std::string file = dir_.file("abc123.ovp");
  std::string review;
  CMyDialog::setPIREPReviewRunner([&](CMyDialog& owner, const PIREPData& pd, bool saved,
                                      const FlightTrack& track, const Touchdown& touchdown) {
    CPIREPDialog dialog(pd, saved, track, touchdown, owner.GetHwnd());
    files_.pick(file);
    runModal(dialog, [&] {
      review = getItemString(dialog.GetHwnd(), 226);
      QTest::mouseClick(dialog.GetDlgItem(405), Qt::LeftButton);  // Save
      QTest::mouseClick(dialog.GetDlgItem(2), Qt::LeftButton);    // Back
    });
  });
  runWindow([&] {
    EXPECT_EQ(field(IDC_CARGO_LABEL), "Cargo (kg)");
    EXPECT_EQ(field(IDC_FUEL_UNIT), "kg");
    startTracking();  // the pilot types a cargo of 2000: kilograms now
    if (HasFatalFailure()) return;
    // On the way the fuel used shows in kilograms.
    ASSERT_TRUE(stepUntil([&] { return std::stol("0" + field(IDC_BLOCKFUEL)) > 0; }));
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }));
    const PIREPData pd = w().pirep();
    // 2000 kg = 4409.2 lb: the airline gets pounds.
    EXPECT_EQ(pd.Cargo, "4409");
    EXPECT_EQ(field(IDC_CARGO), "2000");
    ASSERT_GT(std::stol(pd.BlockFuel), 100);
    EXPECT_EQ(field(IDC_BLOCKFUEL), kg(pd.BlockFuel));
    EXPECT_EQ(field(IDC_FLIGHTFUEL), kg(pd.FliteFuel));
    click(IDC_VIEWPIREP);
    EXPECT_NE(review.find("FF " + sixDigits(kg(pd.FliteFuel)) + "   BF " +
                          sixDigits(kg(pd.BlockFuel)) + "   ZFW " + sixDigits(kg(pd.ZFW))),
              std::string::npos)
        << review;
    EXPECT_NE(review.find(" " + sixDigits(kg(pd.TOW)) + "\r\n"), std::string::npos) << review;
    EXPECT_NE(review.find("WEIGHTS AND FUEL IN KG"), std::string::npos) << review;
    // The file holds the report in pounds, as sent.
    PIREPData saved;
    saved.unpack_crypt(test::read_file(file));
    EXPECT_EQ(saved.Cargo, "4409");
    EXPECT_EQ(saved.BlockFuel, pd.BlockFuel);
    EXPECT_EQ(saved.FliteFuel, pd.FliteFuel);
    EXPECT_EQ(saved.ZFW, pd.ZFW);
    EXPECT_EQ(saved.TOW, pd.TOW);
    EXPECT_EQ(saved.LAW, pd.LAW);
    escape();
  });
}

TEST_F(WindowPrefsTest, ChangingTheUnitConvertsWhatTheWindowShows) {
  runWindow([&] {
    EXPECT_EQ(field(IDC_CARGO_LABEL), "Cargo (lbs)");
    EXPECT_EQ(field(IDC_FUEL_UNIT), "lbs");
    type(IDC_FLIGHTNO, "orv123");
    click(IDC_GETFD);
    settle();  // the new flight prepared, the flight plan in
    ASSERT_EQ(field(IDC_AIRCRAFT), "A320");
    EXPECT_EQ(field(IDC_CARGO), "2000");  // the flight plan's pounds
    editPreferences([](QWidget* d) {
      press(d, COptionDialog::IDC_WEIGHTS_KG);
      press(d, 1);
    });
    EXPECT_EQ(field(IDC_CARGO_LABEL), "Cargo (kg)");
    EXPECT_EQ(field(IDC_FUEL_UNIT), "kg");
    EXPECT_EQ(field(IDC_CARGO), "907");
    editPreferences([](QWidget* d) {
      press(d, COptionDialog::IDC_WEIGHTS_LB);
      press(d, 1);
    });
    // The flight plan's own figure comes back, not 907 kg turned into pounds (1999.6).
    EXPECT_EQ(field(IDC_CARGO), "2000");
    EXPECT_EQ(field(IDC_CARGO_LABEL), "Cargo (lbs)");
    escape();
  });
}

TEST_F(WindowPrefsTest, SendWaitingPIREPsAutomaticallySetsPIREPAutoAndHoldsAfterARestart) {
  runWindow([&] {
    EXPECT_FALSE(ORVANE::getFlightOptions().PIREPAuto);
    editPreferences([](QWidget* d) {
      press(d, COptionDialog::IDC_SEND_WAITING);
      press(d, 1);
    });
    EXPECT_TRUE(ORVANE::getFlightOptions().PIREPAuto);
    escape();
  });
  // The next start: the engine's options afresh from orvane.ini, a PIREP waiting.
  ORVANE::setFlightOptions(FlightOptions{});
  ASSERT_TRUE(box().keep(test::sample_pirep()));
  boxes_.shown.clear();
  runWindow([&] {
    EXPECT_TRUE(ORVANE::getFlightOptions().PIREPAuto);
    ASSERT_TRUE(waitFor([&] { return !w().isSendingOutbox() && box().waiting().empty(); }));
    EXPECT_EQ(message(), "The waiting PIREP was sent.");
    EXPECT_EQ(airline_.requests_for(kPirep).size(), 1u);
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;  // nothing was asked
    escape();
  });
}

}  // namespace
}  // namespace orvane
