// CaretBlink: the user's key presses and clicks start the carets' blinking; quiet stops it.
// SPDX-License-Identifier: MIT
#include "framework/caretblink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace orvane {

CaretBlink::CaretBlink(int quietMs) : flashMs_(QGuiApplication::styleHints()->cursorFlashTime()) {
  quiet_.setSingleShot(true);
  quiet_.setInterval(quietMs);
  // A flash time of 0 leaves every caret lit and stops its timer.
  connect(&quiet_, &QTimer::timeout, this,
          [] { QGuiApplication::styleHints()->setCursorFlashTime(0); });
  QCoreApplication::instance()->installEventFilter(this);
  quiet_.start();
}

CaretBlink::~CaretBlink() {
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(this);
    QGuiApplication::styleHints()->setCursorFlashTime(flashMs_);
  }
}

bool CaretBlink::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
    case QEvent::Wheel:
      wake();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void CaretBlink::wake() {
  QStyleHints* hints = QGuiApplication::styleHints();
  if (hints->cursorFlashTime() != flashMs_) hints->setCursorFlashTime(flashMs_);
  quiet_.start();
}

}  // namespace orvane
