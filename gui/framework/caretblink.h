// CaretBlink: text carets blink only for a while after the user last typed or clicked, then
// stay lit, so that a window left alone beside the simulator does not repaint twice a second.
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

class QEvent;

namespace orvane {

class CaretBlink : public QObject {
 public:
  // quietMs: how long after the last key press or click the carets go on blinking
  // (milliseconds; ten seconds, as common desktops do). Installs itself on the application.
  explicit CaretBlink(int quietMs = 10000);
  // Gives the carets back the platform's flash period.
  ~CaretBlink() override;
  CaretBlink(const CaretBlink&) = delete;
  CaretBlink& operator=(const CaretBlink&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void wake();

  int flashMs_;  // the platform's flash period (a whole on-and-off), milliseconds
  QTimer quiet_;
};

}  // namespace orvane
