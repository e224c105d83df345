// COptionDialog: shown and saved options, minutes and seconds, PIREP credentials, Cancel,
// and the engine's call for options.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "frontend/optiondialog.h"
#include "frontend/windowprefs.h"
#include "gui_support.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::read_file;
using test::runModal;

void expectSameOptions(const FlightOptions& a, const FlightOptions& b) {
  EXPECT_EQ(a.ACARS_URL, b.ACARS_URL);
  EXPECT_EQ(a.PIREP_URL, b.PIREP_URL);
  EXPECT_EQ(a.INFO_URL, b.INFO_URL);
  EXPECT_EQ(a.ACARS_User, b.ACARS_User);
  EXPECT_EQ(a.PIREP_User, b.PIREP_User);
  EXPECT_EQ(a.ACARS_Password, b.ACARS_Password);
  EXPECT_EQ(a.PIREP_Password, b.PIREP_Password);
  EXPECT_EQ(a.POS_Report_Interval, b.POS_Report_Interval);
  EXPECT_EQ(a.enableLiveACARS, b.enableLiveACARS);
  EXPECT_EQ(a.enablePIREP, b.enablePIREP);
  EXPECT_EQ(a.PIREPAuto, b.PIREPAuto);
}

// Runs in a temporary working folder, where the dialog writes "orvane.ini".
class OptionDialogTest : public ::testing::Test {
 protected:
  OptionDialogTest() : oldDir_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
    ORVANE::InitMembers();
    ORVANE::setLogFilePath(dir_.file("orvane.log"));
    WindowPrefs::setStore(QString::fromStdString(dir_.file("window-prefs.ini")));
    FlightOptions o;
    o.ACARS_URL = "http://127.0.0.1:1/acars.php";
    o.PIREP_URL = "http://127.0.0.1:1/pirep.php";
    o.INFO_URL = "http://127.0.0.1:1/info.php";
    o.ACARS_User = "pilot";
    o.PIREP_User = "someone else";
    o.ACARS_Password = "secret";
    o.PIREP_Password = "other secret";
    o.POS_Report_Interval = 600;
    o.enableLiveACARS = true;
    o.enablePIREP = false;
    o.PIREPAuto = true;
    ORVANE::setFlightOptions(o);
  }
  ~OptionDialogTest() override {
    WindowPrefs::setStore({});
    ORVANE::InitMembers();
    ORVANE::setLogFilePath("orvane.log");
    std::filesystem::current_path(oldDir_);
  }

  // Opens the dialog, reads the interval shown, then runs edit and ends as it says.
  std::string show(const std::function<void(COptionDialog&)>& edit) {
    COptionDialog d;
    std::string shown;
    runModal(d, [&] {
      shown = getItemString(d.GetHwnd(), 221);
      edit(d);
    });
    return shown;
  }
  static void type(COptionDialog& d, UINT id, const char* text) {
    auto* e = qobject_cast<QLineEdit*>(d.GetDlgItem(id));
    ASSERT_NE(e, nullptr) << id;
    e->clear();
    QTest::keyClicks(e, text);
  }
  static void click(COptionDialog& d, UINT id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }
  // A check box or radio button clicked on its box, at its left (a wide check box takes no
  // clicks in the empty room right of its text).
  static void tick(COptionDialog& d, UINT id) {
    QWidget* b = d.GetDlgItem(id);
    ASSERT_NE(b, nullptr) << id;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
  }

  test::TempDir dir_;
  std::filesystem::path oldDir_;
};

TEST_F(OptionDialogTest, ShowsTheEngineOptionsWithThePartsLabels) {
  COptionDialog d;
  runModal(d, [&] {
    QWidget* w = d.GetHwnd();
    EXPECT_EQ(d.GetWindowText(), "ORVANE Preferences");
    EXPECT_EQ(getItemString(w, 216), "http://127.0.0.1:1/acars.php");
    EXPECT_EQ(getItemString(w, 217), "http://127.0.0.1:1/pirep.php");
    EXPECT_EQ(getItemString(w, 218), "http://127.0.0.1:1/info.php");
    EXPECT_EQ(getItemString(w, 219), "pilot");
    EXPECT_EQ(getItemString(w, 220), "secret");
    EXPECT_EQ(getItemString(w, 221), "10");
    EXPECT_TRUE(IsDlgButtonChecked(w, 350));
    EXPECT_FALSE(IsDlgButtonChecked(w, 351));
    EXPECT_EQ(qobject_cast<QLineEdit*>(d.GetDlgItem(220))->echoMode(), QLineEdit::Password);
    EXPECT_EQ(getItemString(w, 116), "ACARS Server URL");
    EXPECT_EQ(getItemString(w, 117), "PIREP Server URL");
    EXPECT_EQ(getItemString(w, 118), "FlightInfo Server URL");
    EXPECT_EQ(getItemString(w, 119), "ACARS Server User");
    EXPECT_EQ(getItemString(w, 120), "ACARS Server Password");
    EXPECT_EQ(getItemString(w, 121), "Time Interval for POS Reports (minutes)");
    EXPECT_EQ(getItemString(w, 350), "Enable LiveACARS");
    EXPECT_EQ(getItemString(w, 351), "Enable PIREP");
    EXPECT_EQ(getItemString(w, 1), "Save and Exit");
    EXPECT_EQ(getItemString(w, 2), "Cancel");
    d.EndDialog(IDCANCEL);
  });
}

TEST_F(OptionDialogTest, SevenMinutesAreStoredAs420SecondsAndShownAgainAs7) {
  show([](COptionDialog& d) {
    type(d, 221, "7");
    click(d, 1);
  });
  EXPECT_EQ(ORVANE::getFlightOptions().POS_Report_Interval, 420);
  EXPECT_NE(read_file("orvane.ini").find("POSReportTime = 7\n"), std::string::npos);
  EXPECT_EQ(show([](COptionDialog& d) { click(d, 2); }), "7");
}

TEST_F(OptionDialogTest, NinetyStoredSecondsShowAsOneMinute) {
  FlightOptions o = ORVANE::getFlightOptions();
  o.POS_Report_Interval = 90;
  ORVANE::setFlightOptions(o);
  EXPECT_EQ(show([](COptionDialog& d) { click(d, 2); }), "1");
}

TEST_F(OptionDialogTest, SavingTakesEveryFieldAndGivesThePIREPTheACARSCredentials) {
  show([](COptionDialog& d) {
    type(d, 216, "http://127.0.0.1:2/a.php");
    type(d, 217, "http://127.0.0.1:2/p.php");
    type(d, 218, "http://127.0.0.1:2/i.php");
    type(d, 219, "captain");
    type(d, 220, "pa ss");
    click(d, 350);
    click(d, 351);
    QTest::keyClick(d.GetDlgItem(219), Qt::Key_Return);  // Enter saves as well
  });
  FlightOptions want;
  want.ACARS_URL = "http://127.0.0.1:2/a.php";
  want.PIREP_URL = "http://127.0.0.1:2/p.php";
  want.INFO_URL = "http://127.0.0.1:2/i.php";
  want.ACARS_User = want.PIREP_User = "captain";
  want.ACARS_Password = want.PIREP_Password = "pa ss";
  want.POS_Report_Interval = 600;
  want.enableLiveACARS = false;
  want.enablePIREP = true;
  want.PIREPAuto = false;  // "Send waiting PIREPs automatically" was not ticked
  expectSameOptions(ORVANE::getFlightOptions(), want);
  EXPECT_EQ(read_file("orvane.ini"),
            "[Server]\nAddress = http://127.0.0.1:2/a.php\nPIREP = http://127.0.0.1:2/p.php\n"
            "FlightInfo = http://127.0.0.1:2/i.php\nUser = captain\nPassword = pa ss\n\n"
            "[ACARS]\nPOSReportTime = 10\nEnableLiveACARS = 0\nEnablePIREP = 1\nAutoPIREP = 1\n");
}

TEST_F(OptionDialogTest, TheWindowGroupShowsTheWindowPreferences) {
  WindowPrefs::setSendWaitingAutomatically(true);
  WindowPrefs::setWeightUnit(WeightUnit::Kilograms);
  COptionDialog d;
  runModal(d, [&] {
    QWidget* w = d.GetHwnd();
    EXPECT_EQ(getItemString(w, 453), "Window");
    EXPECT_EQ(getItemString(w, COptionDialog::IDC_SEND_WAITING), "Send waiting PIREPs automatically");
    EXPECT_TRUE(IsDlgButtonChecked(w, COptionDialog::IDC_SEND_WAITING));
    EXPECT_TRUE(IsDlgButtonChecked(w, COptionDialog::IDC_WEIGHTS_KG));
    EXPECT_FALSE(IsDlgButtonChecked(w, COptionDialog::IDC_WEIGHTS_LB));
    d.EndDialog(IDCANCEL);
  });
  WindowPrefs::setSendWaitingAutomatically(false);
  WindowPrefs::setWeightUnit(WeightUnit::Pounds);
  COptionDialog again;
  runModal(again, [&] {
    QWidget* w = again.GetHwnd();
    EXPECT_FALSE(IsDlgButtonChecked(w, COptionDialog::IDC_SEND_WAITING));
    EXPECT_FALSE(IsDlgButtonChecked(w, COptionDialog::IDC_WEIGHTS_KG));
    EXPECT_TRUE(IsDlgButtonChecked(w, COptionDialog::IDC_WEIGHTS_LB));
    again.EndDialog(IDCANCEL);
  });
}

TEST_F(OptionDialogTest, TickingSendWaitingSetsPIREPAutoAndKeepsItOutOfTheSettingsFile) {
  ORVANE::saveOptions("orvane.ini");
  const std::string before = read_file("orvane.ini");
  show([](COptionDialog& d) {
    tick(d, COptionDialog::IDC_SEND_WAITING);
    tick(d, COptionDialog::IDC_WEIGHTS_KG);
    click(d, 1);
  });
  EXPECT_TRUE(ORVANE::getFlightOptions().PIREPAuto);
  EXPECT_TRUE(WindowPrefs::sendWaitingAutomatically());
  EXPECT_EQ(WindowPrefs::weightUnit(), WeightUnit::Kilograms);
  // The settings file reads as before: "AutoPIREP = 1" whatever the box says.
  EXPECT_EQ(read_file("orvane.ini"), before);
  show([](COptionDialog& d) {
    tick(d, COptionDialog::IDC_SEND_WAITING);
    tick(d, COptionDialog::IDC_WEIGHTS_LB);
    click(d, 1);
  });
  EXPECT_FALSE(ORVANE::getFlightOptions().PIREPAuto);
  EXPECT_FALSE(WindowPrefs::sendWaitingAutomatically());
  EXPECT_EQ(WindowPrefs::weightUnit(), WeightUnit::Pounds);
  EXPECT_EQ(read_file("orvane.ini"), before);
}

TEST_F(OptionDialogTest, CancelLeavesTheWindowPreferencesAlone) {
  show([](COptionDialog& d) {
    tick(d, COptionDialog::IDC_SEND_WAITING);
    tick(d, COptionDialog::IDC_WEIGHTS_KG);
    click(d, 2);
  });
  EXPECT_FALSE(WindowPrefs::sendWaitingAutomatically());
  EXPECT_EQ(WindowPrefs::weightUnit(), WeightUnit::Pounds);
}

TEST_F(OptionDialogTest, AFailedSaveIsShownOnceWithTheReasonAndTheOptionsStayInUse) {
  ORVANE::saveOptions("orvane.ini");
  const std::string before = read_file("orvane.ini");
  // The temporary file cannot be made: a folder with something in it holds its name, which
  // stops root as well as anyone.
  std::filesystem::create_directories(dir_.file("orvane.ini.tmp/inside"));
  test::MessageBoxScript boxes;
  show([](COptionDialog& d) {
    type(d, 219, "captain");
    click(d, 1);
  });
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "The preferences could not be saved in [orvane.ini]: "
                                 "[orvane.ini.tmp]: Is a directory\n"
                                 "They are used until ORVANE ends, but will be lost then.");
  EXPECT_EQ(boxes.shown[0].caption, "ORVANE Error");
  EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_User, "captain");
  EXPECT_EQ(read_file("orvane.ini"), before);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("orvane.ini.tmp/inside")));
}

TEST_F(OptionDialogTest, CancelAfterEditingLeavesOptionsAndFileUntouched) {
  ORVANE::saveOptions("orvane.ini");
  const std::string before = read_file("orvane.ini");
  ASSERT_FALSE(before.empty());
  const FlightOptions options = ORVANE::getFlightOptions();
  for (int how = 0; how < 3; ++how) {
    show([how](COptionDialog& d) {
      type(d, 216, "http://elsewhere.invalid/");
      type(d, 219, "nobody");
      type(d, 221, "42");
      click(d, 350);
      if (how == 0) click(d, 2);
      if (how == 1) QTest::keyClick(d.GetDlgItem(216), Qt::Key_Escape);
      if (how == 2) d.GetHwnd()->close();
    });
    expectSameOptions(ORVANE::getFlightOptions(), options);
    EXPECT_EQ(read_file("orvane.ini"), before) << how;
  }
}

TEST_F(OptionDialogTest, EmptyIntervalIsStoredAsZeroAndLettersAreRefused) {
  show([](COptionDialog& d) {
    type(d, 221, "x5y");
    EXPECT_EQ(getItemString(d.GetHwnd(), 221), "5");
    type(d, 221, "");
    click(d, 1);
  });
  EXPECT_EQ(ORVANE::getFlightOptions().POS_Report_Interval, 0);
}

TEST_F(OptionDialogTest, EngineAsksThroughTheHookAndTheDialogHasNoOwner) {
  ORVANE::setOptionInputDialog(&OptionInputDialog);
  bool shown = false;
  bool ownerless = false;
  QTimer::singleShot(0, [&] {
    QWidget* w = nullptr;
    ASSERT_TRUE(test::waitFor([&] { return (w = QApplication::activeModalWidget()) != nullptr; }));
    shown = true;
    ownerless = w->parentWidget() == nullptr;
    EXPECT_EQ(w->windowTitle(), "ORVANE Preferences");
    QLineEdit* user = qobject_cast<QLineEdit*>(FindDlgItem(w, 219));
    user->setText("hook pilot");
    QTest::mouseClick(FindDlgItem(w, 1), Qt::LeftButton);
  });
  ORVANE::loadOptions(dir_.file("missing.ini"));  // no settings file: the engine asks
  EXPECT_TRUE(shown);
  EXPECT_TRUE(ownerless);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_User, "hook pilot");
  EXPECT_NE(read_file("orvane.ini").find("User = hook pilot\n"), std::string::npos);
}

}  // namespace
}  // namespace orvane
