// Importing an airline's settings: the review of what changes, the merge into the preferences,
// Cancel and bad files changing nothing, the import asked for at start, the password's note.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "frontend/importreview.h"
#include "frontend/optiondialog.h"
#include "gui_support.h"
#include "support/fake_keyring.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::read_file;
using test::runModal;

constexpr char kAirlineFile[] =
    "# Virtual Example Air, for our pilots\n"
    "[Server]\nAddress = https://va.example/acars.php\nPIREP = https://va.example/pirep.php\n"
    "FlightInfo = https://va.example/info.php\nUser = \nPassword = \n\n"
    "[ACARS]\nPOSReportTime = 3\nEnableLiveACARS = 1\nEnablePIREP = 1\n";

// Answers the next review while it lives: keeps its rows, then presses the button named.
class ReviewScript {
 public:
  explicit ReviewScript(const char* button) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this, button] {
      QWidget* top = QApplication::activeModalWidget();
      if (top == nullptr) return;
      titles.push_back(top->windowTitle().toStdString());
      if (top->objectName() != QStringLiteral("importReview")) return;
      timer_.stop();
      ++shown;
      auto* table = top->findChild<QTableWidget*>(QStringLiteral("changes"));
      for (int r = 0; table != nullptr && r < table->rowCount(); ++r) {
        rows.push_back(table->item(r, 0)->text().toStdString() + ": " +
                       table->item(r, 1)->text().toStdString() + " -> " +
                       table->item(r, 2)->text().toStdString());
      }
      QTest::mouseClick(top->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    });
    timer_.start();
  }
  int shown = 0;
  std::vector<std::string> rows;
  std::vector<std::string> titles;  // of every modal window met

 private:
  QTimer timer_;
};

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : oldDir_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
    ORVANE::InitMembers();
    ORVANE::setLogFilePath(dir_.file("orvane.log"));
    FlightOptions o;
    o.ACARS_URL = "http://localhost/liveacars.php";
    o.PIREP_URL = "http://localhost/pirep.php";
    o.ACARS_User = o.PIREP_User = "pilot";
    o.ACARS_Password = o.PIREP_Password = "secret";
    o.POS_Report_Interval = 600;
    o.enableLiveACARS = o.enablePIREP = true;
    ORVANE::setFlightOptions(o);
    airlineFile_ = dir_.write("va.orvane", kAirlineFile);
  }
  ~ImportTest() override {
    setImportAtStart("");
    ORVANE::setPasswordStore(nullptr);
    ORVANE::InitMembers();
    ORVANE::setLogFilePath("orvane.log");
    std::filesystem::current_path(oldDir_);
  }
  static void click(COptionDialog& d, UINT id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }

  const std::vector<std::string> kRows{
      "[Server] Address: http://localhost/liveacars.php -> https://va.example/acars.php",
      "[Server] PIREP: http://localhost/pirep.php -> https://va.example/pirep.php",
      "[Server] FlightInfo:  -> https://va.example/info.php",
      "[ACARS] POSReportTime: 10 -> 3"};

  test::TempDir dir_;
  std::filesystem::path oldDir_;
  std::string airlineFile_;
};

TEST_F(ImportTest, ThePreferencesReviewTheFileFillTheFieldsAndSaveKeepsThem) {
  test::FileDialogScript files;
  files.pick(airlineFile_);
  ReviewScript review("importButton");
  COptionDialog d;
  runModal(d, [&] {
    QWidget* w = d.GetHwnd();
    EXPECT_EQ(getItemString(w, 355), "Import airline settings…");
    click(d, 355);
    EXPECT_EQ(getItemString(w, 216), "https://va.example/acars.php");
    EXPECT_EQ(getItemString(w, 217), "https://va.example/pirep.php");
    EXPECT_EQ(getItemString(w, 218), "https://va.example/info.php");
    EXPECT_EQ(getItemString(w, 219), "pilot");
    EXPECT_EQ(getItemString(w, 220), "secret");  // the file has none: the pilot's stays
    EXPECT_EQ(getItemString(w, 221), "3");
    click(d, 1);
  });
  ASSERT_EQ(files.shown.size(), 1u);
  EXPECT_FALSE(files.shown[0].save);
  EXPECT_EQ(files.shown[0].filters[0].pattern, "*.orvane *.ini");
  EXPECT_EQ(review.shown, 1);
  EXPECT_EQ(review.rows, kRows);
  EXPECT_EQ(read_file("orvane.ini"),
            "[Server]\nAddress = https://va.example/acars.php\n"
            "PIREP = https://va.example/pirep.php\nFlightInfo = https://va.example/info.php\n"
            "User = pilot\nPassword = secret\n\n"
            "[ACARS]\nPOSReportTime = 3\nEnableLiveACARS = 1\nEnablePIREP = 1\nAutoPIREP = 1\n");
}

TEST_F(ImportTest, CancelInTheReviewLeavesTheFieldsAsTheyWere) {
  test::FileDialogScript files;
  files.pick(airlineFile_);
  ReviewScript review("cancelButton");
  COptionDialog d;
  runModal(d, [&] {
    click(d, 355);
    EXPECT_EQ(getItemString(d.GetHwnd(), 216), "http://localhost/liveacars.php");
    EXPECT_EQ(getItemString(d.GetHwnd(), 221), "10");
    click(d, 2);
  });
  EXPECT_EQ(review.shown, 1);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_URL, "http://localhost/liveacars.php");
  EXPECT_FALSE(std::filesystem::exists("orvane.ini"));
}

TEST_F(ImportTest, ABadFileIsToldAndChangesNothing) {
  const std::string bad = dir_.write("bad.orvane", "[ACARS]\nPOSReportTime = soon\n");
  test::FileDialogScript files;
  files.pick(bad);
  test::MessageBoxScript boxes;
  ReviewScript review("importButton");
  COptionDialog d;
  runModal(d, [&] {
    click(d, 355);
    EXPECT_EQ(getItemString(d.GetHwnd(), 216), "http://localhost/liveacars.php");
    click(d, 2);
  });
  EXPECT_EQ(review.shown, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text,
            "These airline settings cannot be imported: [ACARS] POSReportTime [soon] is not a "
            "number of minutes.\nNothing has been changed.");
  EXPECT_EQ(boxes.shown[0].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(std::filesystem::exists("orvane.ini"));
}

TEST_F(ImportTest, TheFileOfTheCommandLineIsReviewedOnceAndSaved) {
  setImportAtStart(airlineFile_);
  EXPECT_TRUE(importAtStartPending());
  ReviewScript review("importButton");
  EXPECT_TRUE(importAtStart());
  EXPECT_FALSE(importAtStartPending());
  EXPECT_EQ(review.rows, kRows);
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_URL, "https://va.example/acars.php");
  EXPECT_EQ(o.INFO_URL, "https://va.example/info.php");
  EXPECT_EQ(o.ACARS_Password, "secret");
  EXPECT_EQ(o.POS_Report_Interval, 180);
  EXPECT_NE(read_file("orvane.ini").find("Address = https://va.example/acars.php\n"),
            std::string::npos);
  EXPECT_FALSE(importAtStart());  // once
}

TEST_F(ImportTest, AtTheFirstStartTheReviewComesInsteadOfTheEmptyPreferences) {
  ORVANE::setOptionInputDialog(&OptionInputDialog);
  setImportAtStart(airlineFile_);
  ReviewScript review("importButton");
  ORVANE::loadOptions(dir_.file("missing.ini"));  // no settings yet: the engine asks
  EXPECT_EQ(review.shown, 1);
  for (const std::string& title : review.titles) EXPECT_NE(title, "ORVANE Preferences");
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_URL, "https://va.example/acars.php");
  EXPECT_NE(read_file("orvane.ini").find("PIREP = https://va.example/pirep.php\n"),
            std::string::npos);
}

TEST_F(ImportTest, ThePasswordsNoteSaysWhereItIsKept) {
  auto note = [&] {
    COptionDialog d;
    std::string text;
    runModal(d, [&] {
      text = getItemString(d.GetHwnd(), 122);
      click(d, 2);
    });
    return text;
  };
  EXPECT_EQ(note(), "The password is kept in orvane.ini, readable by you only.");
  test::FakeKeyring keyring;
  test::KeyringInstalled installed(keyring);
  const std::string f = dir_.write("orvane.ini", "[Server]\nUser = pilot\nPassword = \n");
  ORVANE::loadOptions(f);
  EXPECT_EQ(note(), "The password is kept in the test keyring, not in orvane.ini.");
  keyring.answering = false;
  ORVANE::loadOptions(f);
  EXPECT_EQ(note(), "No keyring answered: the password is kept in orvane.ini, readable by you only.");
}

}  // namespace
}  // namespace orvane
