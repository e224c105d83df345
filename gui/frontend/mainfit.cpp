// The main window's scrolling part.
// SPDX-License-Identifier: MIT
#include "frontend/mainfit.h"

#include <QBoxLayout>
#include <QDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace orvane {

namespace {

// A scroll area that asks for the whole of its contents (Qt's asks for at most 24 lines)
// and, at the least, for room to scroll.
class ContentScrollArea : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override {
    const QWidget* content = widget();
    if (content == nullptr) return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return content->sizeHint().expandedTo(content->minimumSizeHint()) + QSize(frame, frame);
  }
  QSize minimumSizeHint() const override {
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const QWidget* content = widget();
    const int width = content == nullptr ? 0 : content->minimumSizeHint().width() / 2;
    return {std::max(width, 6 * bar), 6 * bar};
  }
};

// The groups above the footer: the flight-number row and the three groups.
constexpr int kScrolledItems = 4;

}  // namespace

void fitToSmallScreens(QDialog* window) {
  auto* outer = qobject_cast<QBoxLayout*>(window->layout());
  if (outer == nullptr || outer->count() <= kScrolledItems) return;
  // The keyboard's order through the controls, kept as it is.
  std::vector<QWidget*> chain;
  for (QWidget* w = window->nextInFocusChain(); w != nullptr && w != window;
       w = w->nextInFocusChain())
    chain.push_back(w);
  auto* content = new QWidget(window);
  content->setObjectName(QStringLiteral("mainContent"));
  auto* inner = new QVBoxLayout(content);
  inner->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < kScrolledItems; ++i) {
    const int stretch = outer->stretch(0);
    QLayoutItem* item = outer->takeAt(0);
    if (QWidget* w = item->widget()) {
      inner->addWidget(w, stretch);
      delete item;
    } else if (QLayout* l = item->layout()) {
      l->setParent(nullptr);
      inner->addLayout(l, stretch);
    } else {
      inner->addItem(item);
    }
  }
  auto* scroll = new ContentScrollArea(window);
  scroll->setObjectName(QStringLiteral("mainScroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setWidget(content);
  outer->insertWidget(0, scroll, 1);
  for (int i = 1; i < outer->count(); ++i) outer->setStretch(i, 0);
  scroll->setFocusPolicy(Qt::NoFocus);
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace orvane
