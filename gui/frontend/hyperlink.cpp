// CHyperlink: underlined, blue until visited and purple after (light ones on a dark window);
// opens its text on a click.
// SPDX-License-Identifier: MIT
#include "frontend/hyperlink.h"

#include <QDesktopServices>
#include <QPalette>
#include <QRect>
#include <QUrl>
#include <QWidget>
#include <utility>

namespace orvane {

namespace {
CHyperlink::UrlOpener& opener() {
  static CHyperlink::UrlOpener o;
  return o;
}
}  // namespace

CHyperlink::CHyperlink() = default;

CHyperlink::UrlOpener CHyperlink::SetUrlOpener(UrlOpener o) {
  return std::exchange(opener(), std::move(o));
}

bool CHyperlink::AttachDlgItem(UINT id, QWidget* parent) {
  if (!CWnd::AttachDlgItem(id, parent)) return false;
  m_hUrlFont = GetHwnd()->font();
  m_hUrlFont.setUnderline(true);
  return true;
}

LRESULT CHyperlink::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      GetHwnd()->setCursor(m_hCursor);
      return 1;
    // The buttons are taken here, not passed on to the label (which would hand them to the
    // dialog): the control that saw the press receives the release, wherever it happens.
    case WM_LBUTTONDOWN:
      OnLButtonDown();
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(lParam);
      return 0;
    default:
      break;
  }
  return CWnd::WndProc(message, wParam, lParam);
}

void CHyperlink::OnLButtonDown() { m_bClicked = true; }

void CHyperlink::OnLButtonUp(LPARAM position) {
  if (!m_bClicked) return;
  m_bClicked = false;
  QWidget* w = GetHwnd();
  const QPoint screen = w->mapToGlobal(QPoint(GET_X_LPARAM(position), GET_Y_LPARAM(position)));
  const QRect rect(w->mapToGlobal(QPoint(0, 0)), w->size());
  if (rect.contains(screen)) OpenUrl();
}

void CHyperlink::OpenUrl() {
  const QString text = QString::fromStdString(GetWindowText()).left(260);
  const QUrl url = QUrl::fromUserInput(text);
  const bool opened = opener() ? opener()(url) : QDesktopServices::openUrl(url);
  if (!opened) return;
  m_bUrlVisited = true;
  Invalidate();
}

LRESULT CHyperlink::OnMessageReflect(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_CTLCOLORSTATIC) return 0;
  auto* dc = reinterpret_cast<ControlDC*>(wParam);
  dc->SetTextColor(m_bUrlVisited ? m_crVisited : m_crNotVisited);
  // On a dark window the link takes the palette's own link colours, or light ones where the
  // palette keeps dark ones: blue and purple are not readable there.
  const QWidget* w = GetHwnd();
  const QPalette palette = w->parentWidget() != nullptr ? w->parentWidget()->palette() : w->palette();
  if (palette.color(QPalette::Window).lightness() < 128) {
    const QColor own = palette.color(m_bUrlVisited ? QPalette::LinkVisited : QPalette::Link);
    const QColor light = m_bUrlVisited ? QColor(0xC5, 0x8A, 0xF9) : QColor(0x8A, 0xB4, 0xF8);
    dc->textColor = own.lightness() >= 140 ? own : light;
  }
  dc->SetBkTransparent();
  dc->SelectFont(m_hUrlFont);
  return 1;
}

}  // namespace orvane
