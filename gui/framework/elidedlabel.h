// ElidedLabel: a one-line label that never widens its window; a text too long for it ends in "…".
// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace orvane {

// text() keeps the whole text, and hovering shows it whole when it is cut; the label asks
// for no width of its own beyond a word, so a long status never grows the window.
class ElidedLabel : public QLabel {
 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool cut() const;
};

}  // namespace orvane
