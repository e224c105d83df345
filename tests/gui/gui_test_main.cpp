// The window tests' main: one application object for all tests, Qt's offscreen platform
// unless another one is asked for; with ORVANE_DARK_PALETTE set (screenshots), the Fusion
// style in dark colours, as a desktop with a dark theme gives them.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "framework/wincore.h"

namespace {

void darken() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QPalette p;
  const QColor window(0x2A, 0x2A, 0x2E);
  const QColor base(0x1E, 0x1E, 0x22);
  const QColor text(0xE8, 0xE8, 0xEA);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x40));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::Highlight, QColor(0x3D, 0xAE, 0xE9));
  p.setColor(QPalette::HighlightedText, Qt::black);
  p.setColor(QPalette::Link, QColor(0x3D, 0xAE, 0xE9));
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x98));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x86));
  QApplication::setPalette(p);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  orvane::CWinApp app(argc, argv);
  if (!qEnvironmentVariableIsEmpty("ORVANE_DARK_PALETTE")) darken();
  return RUN_ALL_TESTS();
}
