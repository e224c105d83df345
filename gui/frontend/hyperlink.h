// CHyperlink: a static control that opens its own text as a web address when clicked.
// SPDX-License-Identifier: MIT
#pragma once

#include <QCursor>
#include <QFont>
#include <functional>
#include <string>

#include "framework/wincore.h"

class QUrl;

namespace orvane {

class CHyperlink : public CWnd {
  Q_OBJECT

 public:
  // Opens an address; false when it could not be opened.
  using UrlOpener = std::function<bool(const QUrl&)>;

  CHyperlink();

  // Takes over the static control and makes an underlined copy of its font.
  bool AttachDlgItem(UINT id, QWidget* parent);
  bool AttachDlgItem(UINT id, const CWnd& parent) { return AttachDlgItem(id, parent.GetHwnd()); }

  bool visited() const { return m_bUrlVisited; }

  // Replaces the desktop's URL handler (QDesktopServices) for every link; an empty one
  // restores it. Returns the previous one.
  static UrlOpener SetUrlOpener(UrlOpener opener);

  LRESULT OnMessageReflect(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Opens the control's text (at most 260 characters); marks the link visited on success.
  virtual void OpenUrl();

 private:
  void OnLButtonDown();
  void OnLButtonUp(LPARAM position);

  bool m_bUrlVisited = false;
  bool m_bClicked = false;  // the left button went down on the control
  COLORREF m_crVisited = RGB(0x80, 0x00, 0x80);     // purple
  COLORREF m_crNotVisited = RGB(0x00, 0x00, 0xFF);  // blue
  QCursor m_hCursor{Qt::PointingHandCursor};
  QFont m_hUrlFont;
};

}  // namespace orvane
