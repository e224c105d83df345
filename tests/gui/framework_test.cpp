// The dialog framework: routing of Enter, Escape, close box and commands, modal runs,
// centring, reflected colour requests and the event loop's result.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include "framework/caretblink.h"
#include "framework/dialog.h"
#include "framework/dialoghelpers.h"
#include "gui_support.h"
#include "ui_testdialog.h"

namespace orvane {
namespace {

using test::MessageBoxScript;
using test::runModal;

constexpr UINT IDD_TEST = 9000;

void layoutTestDialog(QDialog* window) {
  Ui::TestDialog ui;
  ui.setupUi(window);
}

// A dialog that overrides nothing but OnCommand, which it records.
class PlainDialog : public CDialog {
 public:
  explicit PlainDialog(QWidget* owner = nullptr) : CDialog(IDD_TEST, &layoutTestDialog, owner) {}
  bool OnCommand(UINT id) override {
    commands.push_back(id);
    return true;
  }
  std::vector<UINT> commands;
};

// Counts the calls of OnOK and OnCancel, then does what the framework does.
class CountingDialog : public PlainDialog {
 public:
  int oks = 0;
  int cancels = 0;

 protected:
  void OnOK() override {
    ++oks;
    CDialog::OnOK();
  }
  void OnCancel() override {
    ++cancels;
    CDialog::OnCancel();
  }
};

QWidget* item(const CDialog& d, UINT id) { return d.GetDlgItem(id); }

TEST(DialogRouting, EnterWithoutAnOnOKOverrideEndsWithOne) {
  PlainDialog d;
  const INT_PTR r = runModal(d, [&] { QTest::keyClick(item(d, 301), Qt::Key_Return); });
  EXPECT_EQ(r, IDOK);
  EXPECT_TRUE(d.commands.empty());
}

TEST(DialogRouting, EnterFromAReadOnlyMultiLineFieldIsOK) {
  PlainDialog d;
  const INT_PTR r = runModal(d, [&] {
    static_cast<QPlainTextEdit*>(item(d, 304))->setReadOnly(true);
    QTest::keyClick(item(d, 304), Qt::Key_Enter);
  });
  EXPECT_EQ(r, IDOK);
}

TEST(DialogRouting, EscapeEndsWithTwo) {
  PlainDialog d;
  EXPECT_EQ(runModal(d, [&] { QTest::keyClick(item(d, 302), Qt::Key_Escape); }), IDCANCEL);
}

TEST(DialogRouting, CloseBoxEndsWithTwoThroughOnCancel) {
  CountingDialog d;
  EXPECT_EQ(runModal(d, [&] { d.GetHwnd()->close(); }), IDCANCEL);
  EXPECT_EQ(d.cancels, 1);
  EXPECT_EQ(d.oks, 0);
}

TEST(DialogRouting, ButtonsOneAndTwoGoToOnOKAndOnCancel) {
  CountingDialog ok;
  EXPECT_EQ(runModal(ok, [&] { QTest::mouseClick(item(ok, 1), Qt::LeftButton); }), IDOK);
  EXPECT_EQ(ok.oks, 1);
  CountingDialog cancel;
  EXPECT_EQ(runModal(cancel, [&] { QTest::mouseClick(item(cancel, 2), Qt::LeftButton); }), IDCANCEL);
  EXPECT_EQ(cancel.cancels, 1);
  EXPECT_TRUE(ok.commands.empty());
  EXPECT_TRUE(cancel.commands.empty());
}

TEST(DialogRouting, OtherCommandReachesOnCommandAndNothingElse) {
  CountingDialog d;
  bool stillOpen = false;
  const INT_PTR r = runModal(d, [&] {
    QTest::mouseClick(item(d, 303), Qt::LeftButton);
    stillOpen = d.GetHwnd() != nullptr && d.GetHwnd()->isVisible();
    QTest::keyClick(d.GetHwnd(), Qt::Key_Escape);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(d.commands, std::vector<UINT>{303});
  EXPECT_EQ(d.oks, 0);
  EXPECT_EQ(d.cancels, 1);
  EXPECT_EQ(r, IDCANCEL);
}

TEST(DialogRouting, EnterOnAFocusedButtonIsThatButtonsCommand) {
  PlainDialog d;
  const INT_PTR r = runModal(d, [&] {
    QTest::keyClick(item(d, 303), Qt::Key_Return);
    QTest::keyClick(item(d, 2), Qt::Key_Return);
  });
  EXPECT_EQ(d.commands, std::vector<UINT>{303});
  EXPECT_EQ(r, IDCANCEL);
}

TEST(DialogModal, DoModalWhileTheWindowExistsRefuses) {
  MessageBoxScript boxes;
  PlainDialog d;
  INT_PTR second = -1;
  const INT_PTR first = runModal(d, [&] {
    second = d.DoModal();
    QTest::keyClick(d.GetHwnd(), Qt::Key_Escape);
  });
  EXPECT_EQ(second, 0);
  EXPECT_EQ(first, IDCANCEL);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "CDialog::DoModal ... Window already exists");
  // Once ended, the object runs again.
  EXPECT_EQ(runModal(d, [&] { QTest::keyClick(d.GetHwnd(), Qt::Key_Return); }), IDOK);
}

TEST(DialogModal, EndDialogFromOnInitDialogEndsWithoutShowing) {
  class EndsAtOnce : public PlainDialog {
   protected:
    bool OnInitDialog() override {
      EndDialog(42);
      return true;
    }
  } d;
  EXPECT_EQ(d.DoModal(), 42);
  EXPECT_EQ(d.GetHwnd(), nullptr);
}

TEST(DialogModal, EditStylesDigitsOnlyAndUpperCase) {
  PlainDialog d;
  std::string digits, upper;
  runModal(d, [&] {
    QTest::keyClicks(item(d, 302), "12ab3");
    QTest::keyClicks(item(d, 305), "eddf x");
    digits = getItemString(d.GetHwnd(), 302);
    upper = getItemString(d.GetHwnd(), 305);
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(digits, "123");
  EXPECT_EQ(upper, "EDDF X");
}

// Alt with a letter is a button's mnemonic; where no enabled button has it (Start ACARS
// not yet enabled), the letter must not land in the field that has the focus. AltGr
// (Ctrl+Alt on Windows) still types its character.
TEST(DialogModal, AltLetterTypesNothingIntoAFieldButAltGrDoes) {
  PlainDialog d;
  std::string typed;
  runModal(d, [&] {
    QWidget* other = item(d, 303);
    static_cast<QPushButton*>(other)->setText(QStringLiteral("O&ther"));
    other->setEnabled(false);
    QWidget* field = item(d, 305);
    QTest::keyClicks(field, "eddf");
    QTest::keyClick(field, Qt::Key_T, Qt::AltModifier);
    QTest::keyClick(field, Qt::Key_X, Qt::AltModifier | Qt::ShiftModifier);
    QTest::keyClick(field, Qt::Key_At, Qt::ControlModifier | Qt::AltModifier);
    typed = getItemString(d.GetHwnd(), 305);
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(typed, "EDDF@");
  EXPECT_TRUE(d.commands.empty());
}

QRect availableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

TEST(DialogCenter, WithoutOwnerCentresOnTheAvailableArea) {
  PlainDialog d;
  QRect frame;
  runModal(d, [&] {
    frame = d.GetHwnd()->frameGeometry();
    d.EndDialog(IDOK);
  });
  const QRect area = availableArea();
  EXPECT_NEAR(frame.center().x(), area.center().x(), 1);
  EXPECT_NEAR(frame.center().y(), area.center().y(), 1);
}

TEST(DialogCenter, OverAnOwnerNearTheCornerStaysInsideTheArea) {
  const QRect area = availableArea();
  QWidget owner;
  owner.resize(120, 90);
  owner.move(area.right() - 60, area.bottom() - 45);  // half of it beyond the corner
  owner.show();
  PlainDialog d(&owner);
  QRect frame;
  runModal(d, [&] {
    frame = d.GetHwnd()->frameGeometry();
    d.EndDialog(IDOK);
  });
  EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width()
                                    << "x" << frame.height();
  EXPECT_EQ(frame.right(), area.right());
  EXPECT_EQ(frame.bottom(), area.bottom());
}

TEST(DialogCenter, AWindowLargerThanTheAreaKeepsItsTopLeftCornerInside) {
  const QRect area = availableArea();
  PlainDialog d;
  QPoint topLeft;
  runModal(d, [&] {
    d.GetHwnd()->resize(area.width() + 200, area.height() + 100);
    d.Center();
    topLeft = d.GetHwnd()->frameGeometry().topLeft();
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(topLeft, area.topLeft());
}

// A static control that answers its own colour request: dark red, bold, transparent.
class RedLabel : public CWnd {
 public:
  int requests = 0;
  LRESULT OnMessageReflect(UINT message, WPARAM wParam, LPARAM) override {
    if (message != WM_CTLCOLORSTATIC) return 0;
    ++requests;
    auto* dc = reinterpret_cast<ControlDC*>(wParam);
    dc->SetTextColor(RGB(0xA0, 0x10, 0x20));
    dc->SetBkTransparent();
    QFont f = dc->font;
    f.setBold(true);
    dc->SelectFont(f);
    return 1;
  }
};

TEST(DialogReflection, TakenOverStaticDecidesItsOwnColourAndFont) {
  PlainDialog d;
  RedLabel label;
  CWnd plainEdit;  // takes over a control but answers nothing
  QColor colour, editColour, editDefault;
  bool bold = false, fills = true, attached = false, second = true;
  runModal(d, [&] {
    QWidget* edit = item(d, 301);
    editDefault = edit->palette().color(edit->foregroundRole());
    attached = label.AttachDlgItem(300, d) && plainEdit.AttachDlgItem(301, d);
    second = CWnd().AttachDlgItem(300, d);  // a control has one object at most
    item(d, 300)->repaint();
    edit->repaint();
    QWidget* l = item(d, 300);
    colour = l->palette().color(l->foregroundRole());
    bold = l->font().bold();
    fills = l->autoFillBackground();
    editColour = edit->palette().color(edit->foregroundRole());
    d.EndDialog(IDOK);
  });
  EXPECT_TRUE(attached);
  EXPECT_FALSE(second);
  EXPECT_GE(label.requests, 1);
  EXPECT_EQ(colour, QColor(0xA0, 0x10, 0x20));
  EXPECT_TRUE(bold);
  EXPECT_FALSE(fills);
  EXPECT_EQ(editColour, editDefault);
}

// A dialog that answers colour requests itself, before the child's object is asked.
class ParentAnswersDialog : public PlainDialog {
 public:
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CTLCOLORSTATIC) {
      reinterpret_cast<ControlDC*>(wParam)->SetTextColor(RGB(0, 0x80, 0));
      return 1;
    }
    return CDialog::DialogProc(message, wParam, lParam);
  }
};

TEST(DialogReflection, ParentThatAnswersDecidesInsteadOfTheChild) {
  ParentAnswersDialog d;
  RedLabel label;
  QColor colour;
  runModal(d, [&] {
    label.AttachDlgItem(300, d);
    item(d, 300)->repaint();
    colour = item(d, 300)->palette().color(item(d, 300)->foregroundRole());
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(colour, QColor(0, 0x80, 0));
  EXPECT_EQ(label.requests, 0);
}

TEST(WinApp, MessageLoopReturnsTheQuitCodesLow16Bits) {
  CWinApp* app = CWinApp::GetApp();
  ASSERT_NE(app, nullptr);
  CWinApp::PostQuitMessage(0x12345);  // before the loop runs: it ends at once
  EXPECT_EQ(app->MessageLoop(), 0x2345);
  QTimer::singleShot(0, [] { CWinApp::PostQuitMessage(3); });
  EXPECT_EQ(app->MessageLoop(), 3);
}

TEST(CaretBlinkTest, CaretsBlinkAfterKeysAndClicksAndRestWhenTheUserIsQuiet) {
  QStyleHints* hints = QGuiApplication::styleHints();
  const int platform = hints->cursorFlashTime();
  ASSERT_GT(platform, 0);
  QDialog window;
  layoutTestDialog(&window);
  window.show();
  auto* edit = window.findChild<QLineEdit*>("edit");
  ASSERT_NE(edit, nullptr);
  {
    const CaretBlink blink(50);  // milliseconds of quiet before the carets rest
    EXPECT_EQ(hints->cursorFlashTime(), platform);
    QTRY_COMPARE_WITH_TIMEOUT(hints->cursorFlashTime(), 0, 5000);
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(hints->cursorFlashTime(), platform);
    EXPECT_EQ(edit->text(), "a");  // the key still reaches the control
    QTRY_COMPARE_WITH_TIMEOUT(hints->cursorFlashTime(), 0, 5000);
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(hints->cursorFlashTime(), platform);
    QTRY_COMPARE_WITH_TIMEOUT(hints->cursorFlashTime(), 0, 5000);
  }
  EXPECT_EQ(hints->cursorFlashTime(), platform);
}

}  // namespace
}  // namespace orvane
