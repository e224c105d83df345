// The dialog helpers: control texts by id, the string table and the message box by ids.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <map>

#include "framework/dialoghelpers.h"
#include "framework/stringtable.h"
#include "gui_support.h"
#include "ui_testdialog.h"

namespace orvane {
namespace {

class HelpersTest : public ::testing::Test {
 protected:
  HelpersTest() { ui_.setupUi(&window_); }
  void setEdit(const QString& text) { ui_.edit->setText(text); }

  QDialog window_;
  Ui::TestDialog ui_;
};

TEST_F(HelpersTest, GetItemStringCutsAt1023Bytes) {
  setEdit(QString(2000, QChar('x')));
  EXPECT_EQ(getItemString(&window_, 301), std::string(1023, 'x'));
  setEdit(QString(1023, QChar('y')));
  EXPECT_EQ(getItemString(&window_, 301), std::string(1023, 'y'));
  // Two bytes per character: the cut keeps whole characters (511 of them, 1022 bytes).
  setEdit(QString(600, QChar(0xE4)));
  const std::string cut = getItemString(&window_, 301);
  EXPECT_EQ(cut.size(), 1022u);
  EXPECT_EQ(QString::fromStdString(cut), QString(511, QChar(0xE4)));
}

TEST_F(HelpersTest, GetItemStringOfAMissingOrEmptyControlIsEmpty) {
  EXPECT_EQ(getItemString(&window_, 4711), "");
  EXPECT_EQ(getItemString(&window_, 301), "");
  EXPECT_EQ(getItemString(&window_, 300), "Static text");
  EXPECT_EQ(getItemString(&window_, 303), "Other");
}

TEST_F(HelpersTest, GetItemIntegerReadsLeadingDigits) {
  setEdit("12ab");
  EXPECT_EQ(getItemInteger(&window_, 301), 12);
  setEdit("");
  EXPECT_EQ(getItemInteger(&window_, 301), 0);
  setEdit("  -42");
  EXPECT_EQ(getItemInteger(&window_, 301), -42);
  setEdit("abc");
  EXPECT_EQ(getItemInteger(&window_, 301), 0);
  // Only the first 127 characters count: digits beyond them are not read.
  setEdit(QString(127, QChar(' ')) + "5");
  EXPECT_EQ(getItemInteger(&window_, 301), 0);
  EXPECT_EQ(getItemInteger(&window_, 4711), 0);
}

TEST_F(HelpersTest, MultiLineTextReadsWithCrLfAndTakesBothLineBreaks) {
  SetDlgItemText(&window_, 304, "one\r\ntwo\nthree");
  EXPECT_EQ(ui_.lines->toPlainText(), "one\ntwo\nthree");
  EXPECT_EQ(GetWindowText(ui_.lines), "one\r\ntwo\r\nthree");
}

TEST_F(HelpersTest, TheTextAControlShowsIsNotSetAgain) {
  setEdit("EDDF");
  ui_.edit->setCursorPosition(2);
  SetDlgItemText(&window_, 301, "EDDF");
  EXPECT_EQ(ui_.edit->cursorPosition(), 2);  // the pilot's caret stays where it was
  SetDlgItemText(&window_, 301, "EDDM");
  EXPECT_EQ(ui_.edit->text(), "EDDM");
  int changes = 0;
  QObject::connect(ui_.lines, &QPlainTextEdit::textChanged, [&] { ++changes; });
  SetDlgItemText(&window_, 304, "one\r\ntwo");
  SetDlgItemText(&window_, 304, "one\r\ntwo");
  SetDlgItemText(&window_, 304, "one\ntwo");  // the same text once shown
  EXPECT_EQ(changes, 1);
  SetDlgItemText(&window_, 304, "three");
  EXPECT_EQ(changes, 2);
}

TEST_F(HelpersTest, ControlsFoundBeforeAreFoundAgainOnlyWhileTheyHoldTheirId) {
  EXPECT_EQ(FindDlgItem(&window_, 303), ui_.other);
  // Another id: the old control is no longer found under 303, the new one is.
  ui_.other->setProperty("id", 313u);
  EXPECT_EQ(FindDlgItem(&window_, 303), nullptr);
  EXPECT_EQ(FindDlgItem(&window_, 313), ui_.other);
  // Moved to another window: not this window's any more.
  QDialog other;
  ui_.other->setParent(&other);
  EXPECT_EQ(FindDlgItem(&window_, 313), nullptr);
  EXPECT_EQ(FindDlgItem(&other, 313), ui_.other);
  // Deleted: a newcomer with the id takes its place.
  delete ui_.other;
  EXPECT_EQ(FindDlgItem(&other, 313), nullptr);
  auto* newcomer = new QLineEdit(&other);
  newcomer->setProperty("id", 313u);
  EXPECT_EQ(FindDlgItem(&other, 313), newcomer);
  // A window that goes leaves nothing behind for one made in its place.
  auto* first = new QDialog;
  auto* edit = new QLineEdit(first);
  edit->setProperty("id", 350u);
  EXPECT_EQ(FindDlgItem(first, 350), edit);
  delete first;
  QDialog second;
  EXPECT_EQ(FindDlgItem(&second, 350), nullptr);
}

TEST_F(HelpersTest, ButtonsCheckAndEnableById) {
  CheckDlgButton(&window_, 303, true);  // a push button is not checkable: stays unchecked
  EXPECT_FALSE(IsDlgButtonChecked(&window_, 303));
  EnableDlgItem(&window_, 303, false);
  EXPECT_FALSE(ui_.other->isEnabled());
  EXPECT_EQ(FindDlgItem(&window_, 303), ui_.other);
  EXPECT_EQ(FindDlgItem(&window_, 399), nullptr);
}

// A button keeps its letter through new texts and reads back as the pilot reads it; an
// ampersand of the text itself stays one.
TEST(Mnemonics, AButtonKeepsItsLetterAndReadsBackPlain) {
  QPushButton button;
  button.setProperty("mnemonic", QStringLiteral("t"));
  SetWindowText(&button, "Stop ACARS");
  EXPECT_EQ(button.text(), QStringLiteral("S&top ACARS"));
  EXPECT_EQ(GetWindowText(&button), "Stop ACARS");
  SetWindowText(&button, "End flight");
  EXPECT_EQ(button.text(), QStringLiteral("End fligh&t"));
  SetWindowText(&button, "Go & see");
  EXPECT_EQ(button.text(), QStringLiteral("Go && see"));
  EXPECT_EQ(GetWindowText(&button), "Go & see");
  QPushButton plain;
  SetWindowText(&plain, "Fish & chips");
  EXPECT_EQ(GetWindowText(&plain), "Fish & chips");
  QLabel alone(QStringLiteral("R&D"));
  EXPECT_EQ(GetWindowText(&alone), "R&D");  // no buddy: the ampersand is text
}

TEST(MessBox, ReturnsTheAnswerAndShowsTheTableTexts) {
  test::MessageBoxScript boxes;
  boxes.answer(IDYES);
  boxes.answer(IDNO);
  EXPECT_EQ(MessBox(612, 806, MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(MessBox(609, 806, MB_YESNO), IDNO);
  EXPECT_EQ(MessBox(652, 800, MB_ICONERROR), IDOK);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].text,
            "Do you want to save your PIREP to a local file? If you choose \"No\", current\n"
            "PIREP data will be lost.");
  EXPECT_EQ(boxes.shown[0].caption, "ORVANE Question");
  EXPECT_EQ(boxes.shown[0].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(boxes.shown[1].text, "Do you really want to stop ORVANE?");
  EXPECT_EQ(boxes.shown[2].text, "You need to specify a flight number.");
  EXPECT_EQ(boxes.shown[2].caption, "ORVANE Error");
  EXPECT_EQ(boxes.shown[2].style, MB_OK | MB_ICONERROR);
}

// The texts as the pilot reads them, line breaks written out.
const std::map<UINT, std::string> kTexts = {
    {600, R"(Welcome to ORVANE!
You may check your Options using the "ORVANE Preferences" button above.
If you are done with that, enter a flight number in the upper left box and press 
"Get ACARS Flightdata" if your VA supports flight plan download for ORVANE.
Otherwise enter your flight number and flight data and press "Start ACARS".
Have a nice and safe flight!)"},
    {601, R"(I hope you had a nice flight. Now you find the PIREP data displayed below.
Please check the data, select your online flight status and hit "View PIREP" to 
finally review all the data which is being sent to your VA.)"},
    {602, R"(ORVANE is trying to connect to MS Flight Simulator via FSUIPC.
While you are starting FS, you may already enter your Flight Number above.
This enables you to get your flight data via ACARS if your VA supports that.
Otherwise you may enter the flight data manually.
Once we are connected to FS and flight data is complete, you may hit "Start ACARS"
to start ACARS tracking.)"},
    {603, R"(ACARS Tracking starts now ...)"},
    {604, R"(PIREP SUCCESSFULLY sent.
The server returned the following message:)"},
    {605, R"(ORVANE will now be prepared for a new flight!)"},
    {606, R"(Stopping ORVANE ...)"},
    {607, R"(ORVANE stopped.)"},
    {608, R"(Thank you for using ORVANE!)"},
    {609, R"(Do you really want to stop ORVANE?)"},
    {610, R"(Loading a PIREP from file, you will overwrite the data currently
displayed. Do you want to do that?)"},
    {611, R"(PIREP loaded from file.)"},
    {612, R"(Do you want to save your PIREP to a local file? If you choose "No", current
PIREP data will be lost.)"},
    {650, R"(You need to specify at least the following Flight Data items:
Flight Number, Departure, Destination, Alternate and Aircraft.
Please correct your input.)"},
    {651, R"(ORVANE does not allow slew mode while tracking a flight.
Also, you must not use a simulation rate greater than 1.
ORVANE tracking is stopped.
You may continue your flight without ACARS. 
Alternatively you can restart your flight and start ACARS once again.)"},
    {652, R"(You need to specify a flight number.)"},
    {653, R"(Retrieving flight data via ACARS returned error:)"},
    {654, R"(ORVANE does currently not have a connection to
MS Flight Simulator. ACARS tracking cannot start.)"},
    {655, R"(You are either in the air already or have at least one engine running.
ORVANE tracking can only be started on the ground while all engines are shut down.)"},
    {656, R"(PIREP data is not yet available (ACARS still tracking).)"},
    {657, R"(PIREP data incomplete.)"},
    {658, R"(Sending the PIREP returned an ERROR condition:)"},
    {659, R"(You may retry sending the PIREP.)"},
    {700, R"(ORVANE is tracking your flight.
Do you want to stop flight tracking?)"},
    {701, R"(There was an error connecting to the LiveACARS server:
)"},
    {702, R"(ACARS tracking continues without sending LiveACARS messages.)"},
    {703, R"(Do you want to delete the available PIREP data and start a new flight?)"},
    {800, R"(ORVANE Error)"},
    {801, R"(ORVANE Communication Error)"},
    {802, R"(ORVANE FSUIPC Error)"},
    {803, R"(ORVANE PIREP Error)"},
    {804, R"(ORVANE PIREP Information)"},
    {805, R"(ORVANE Message)"},
    {806, R"(ORVANE Question)"},
    {807, R"(ORVANE PIREP File)"},
    {900, R"(Start ACARS)"},
    {901, R"(Stop ACARS)"},
    {902, R"(End flight)"},
};

TEST(StringTable, EveryIdFrom600To902HasItsTextByteForByte) {
  for (UINT id = 600; id <= 902; ++id) {
    const auto it = kTexts.find(id);
    EXPECT_EQ(loadString(id), it == kTexts.end() ? std::string() : it->second) << id;
  }
  EXPECT_EQ(StringTable::ids().size(), kTexts.size());
  EXPECT_EQ(loadString(599), "");
  EXPECT_EQ(loadString(903), "");
}

}  // namespace
}  // namespace orvane
