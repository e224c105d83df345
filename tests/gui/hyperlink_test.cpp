// CHyperlink: opens its own text on a press and release inside it, blue until visited and
// purple after, underlined, with the hand cursor; the URL handler is the test's.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include "frontend/hyperlink.h"
#include "gui_support.h"
#include "ui_testdialog.h"

namespace orvane {
namespace {

const QColor kBlue(0, 0, 0xFF);
const QColor kPurple(0x80, 0, 0x80);

class HyperlinkTest : public ::testing::Test {
 protected:
  HyperlinkTest() {
    previous_ = CHyperlink::SetUrlOpener([this](const QUrl& url) {
      opened_.push_back(url.toString());
      return openSucceeds_;
    });
    ui_.setupUi(&window_);
    ui_.staticText->setText("https://orvane.example/fleet");
    window_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window_));
    EXPECT_TRUE(link_.AttachDlgItem(300, &window_));
  }
  ~HyperlinkTest() override { CHyperlink::SetUrlOpener(previous_); }

  QLabel* label() { return ui_.staticText; }
  QColor colour() {
    label()->repaint();  // the paint asks the link for its colours
    return label()->palette().color(label()->foregroundRole());
  }
  void press(QPoint p = {3, 3}) { QTest::mousePress(label(), Qt::LeftButton, {}, p); }
  void release(QPoint p = {3, 3}) { QTest::mouseRelease(label(), Qt::LeftButton, {}, p); }

  QDialog window_;
  Ui::TestDialog ui_;
  CHyperlink link_;
  std::vector<QString> opened_;
  bool openSucceeds_ = true;
  CHyperlink::UrlOpener previous_;
};

TEST_F(HyperlinkTest, UnvisitedLinkIsBlueAndUnderlined) {
  EXPECT_EQ(colour(), kBlue);
  EXPECT_TRUE(label()->font().underline());
  EXPECT_FALSE(label()->autoFillBackground());
}

// On a dark palette the link stays readable: the palette's link colour where it is light,
// a light blue where the palette keeps pure blue; back on a light one it is blue again.
TEST_F(HyperlinkTest, OnADarkWindowTheLinkIsLight) {
  QPalette dark = window_.palette();
  dark.setColor(QPalette::Window, QColor(0x2A, 0x2A, 0x2E));
  dark.setColor(QPalette::Link, QColor(0, 0, 0xFF));
  window_.setPalette(dark);
  EXPECT_GE(colour().lightness(), 140);
  EXPECT_NE(colour(), kBlue);
  dark.setColor(QPalette::Link, QColor(0x3D, 0xAE, 0xE9));
  window_.setPalette(dark);
  EXPECT_EQ(colour(), QColor(0x3D, 0xAE, 0xE9));
  QPalette light = window_.palette();
  light.setColor(QPalette::Window, QColor(0xEF, 0xEF, 0xEF));
  window_.setPalette(light);
  EXPECT_EQ(colour(), kBlue);
}

TEST_F(HyperlinkTest, PressAndReleaseInsideOpensItsOwnTextAndTurnsPurpleForGood) {
  press();
  release({label()->width() - 2, label()->height() - 2});
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], "https://orvane.example/fleet");
  EXPECT_TRUE(link_.visited());
  EXPECT_EQ(colour(), kPurple);
  // Stays purple, also after a failed open later.
  openSucceeds_ = false;
  press();
  release();
  EXPECT_EQ(opened_.size(), 2u);
  EXPECT_EQ(colour(), kPurple);
  EXPECT_TRUE(label()->font().underline());
}

TEST_F(HyperlinkTest, PressInsideAndReleaseOutsideDoesNotOpen) {
  press();
  release({label()->width() + 5, label()->height() / 2});
  press();
  release({-3, -3});
  EXPECT_TRUE(opened_.empty());
  EXPECT_EQ(colour(), kBlue);
  // The press that was let go outside is over: a lone release inside opens nothing.
  release();
  EXPECT_TRUE(opened_.empty());
}

TEST_F(HyperlinkTest, ReleaseWithoutAPressOnItDoesNotOpen) {
  release();
  QTest::mousePress(ui_.edit, Qt::LeftButton);
  release();
  EXPECT_TRUE(opened_.empty());
  EXPECT_FALSE(link_.visited());
}

TEST_F(HyperlinkTest, FailedOpenLeavesItUnvisitedAndBlue) {
  openSucceeds_ = false;
  press();
  release();
  EXPECT_EQ(opened_.size(), 1u);
  EXPECT_FALSE(link_.visited());
  EXPECT_EQ(colour(), kBlue);
}

TEST_F(HyperlinkTest, PointerOverTheLinkShowsTheHand) {
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(label(), &enter);
  EXPECT_EQ(label()->cursor().shape(), Qt::PointingHandCursor);
}

}  // namespace
}  // namespace orvane
