// CWinApp and CWnd: the event loop, taken-over controls and the reflected colour requests.
// SPDX-License-Identifier: MIT
#include "framework/wincore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "framework/caretblink.h"
#include "framework/dialoghelpers.h"

namespace orvane {

namespace {
// The dynamic property that links a widget to the CWnd that took it over.
constexpr const char* kObjectProperty = "orvane_cwnd";
}  // namespace

// ---- CWinApp ---------------------------------------------------------------------------------

CWinApp* CWinApp::app_ = nullptr;
bool CWinApp::quitPosted_ = false;
int CWinApp::quitCode_ = 0;

CWinApp::CWinApp(int& argc, char** argv) {
  if (QApplication::instance() == nullptr) ownApp_ = std::make_unique<QApplication>(argc, argv);
  caretBlink_ = std::make_unique<CaretBlink>();
  app_ = this;
  quitPosted_ = false;
}

CWinApp::~CWinApp() {
  caretBlink_.reset();
  if (app_ == this) app_ = nullptr;
}

CWinApp* CWinApp::GetApp() { return app_; }

int CWinApp::MessageLoop() {
  if (quitPosted_) {
    quitPosted_ = false;
    return quitCode_ & 0xFFFF;
  }
  if (QCoreApplication::instance() == nullptr) return -1;
  const int code = QCoreApplication::exec();
  quitPosted_ = false;
  return code & 0xFFFF;
}

void CWinApp::PostQuitMessage(int exitCode) {
  quitPosted_ = true;
  quitCode_ = exitCode;
  QCoreApplication::exit(exitCode);  // ends a running loop; the flag covers one not yet running
}

// ---- ControlDC -------------------------------------------------------------------------------

void ControlDC::SetTextColor(COLORREF colour) {
  textColor = QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// ---- CWnd ------------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() { Detach(); }

bool CWnd::AttachDlgItem(UINT id, QWidget* parent) {
  QWidget* control = FindDlgItem(parent, id);
  if (control == nullptr || FromHandle(control) != nullptr) return false;
  Detach();
  hwnd_ = control;
  attached_ = true;
  control->setProperty(kObjectProperty, QVariant::fromValue<QObject*>(this));
  control->installEventFilter(this);
  control->update();  // the next paint asks for the colours
  return true;
}

void CWnd::Detach() {
  if (attached_ && hwnd_) {
    hwnd_->removeEventFilter(this);
    hwnd_->setProperty(kObjectProperty, QVariant());
  }
  attached_ = false;
  hwnd_ = nullptr;
}

QWidget* CWnd::GetDlgItem(UINT id) const { return FindDlgItem(hwnd_, id); }

CWnd* CWnd::FromHandle(const QWidget* widget) {
  if (widget == nullptr) return nullptr;
  return qobject_cast<CWnd*>(widget->property(kObjectProperty).value<QObject*>());
}

void CWnd::Invalidate() {
  if (hwnd_) hwnd_->update();
}

std::string CWnd::GetWindowText() const {
  if (!hwnd_) return {};
  if (hwnd_->isWindow()) return hwnd_->windowTitle().toStdString();
  return orvane::GetWindowText(hwnd_);
}

void CWnd::SetWindowText(const std::string& text) {
  if (!hwnd_) return;
  if (hwnd_->isWindow()) {
    hwnd_->setWindowTitle(QString::fromStdString(text));
  } else {
    orvane::SetWindowText(hwnd_, text);
  }
}

void CWnd::setIcon(UINT id, int size) {
  const QString path = QStringLiteral(":/icons/%1.png").arg(id);
  if (!hwnd_ || !QFile::exists(path)) return;
  QIcon icon = hwnd_->windowIcon();
  icon.addFile(path, QSize(size, size));
  hwnd_->setWindowIcon(icon);
}

void CWnd::SetIconLarge(UINT id) { setIcon(id, 32); }  // pixels, before scaling
void CWnd::SetIconSmall(UINT id) { setIcon(id, 16); }

LRESULT CWnd::OnMessageReflect(UINT, WPARAM, LPARAM) { return 0; }

bool CWnd::OnCommand(UINT) { return false; }

LRESULT CWnd::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (const LRESULT r = ReflectToChild(message, wParam, lParam)) return r;
      break;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam))) return 0;
      break;
    default:
      break;
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT, WPARAM, LPARAM) {
  passToQt_ = true;
  return 0;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return WndProc(message, wParam, lParam);
}

LRESULT CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* control = reinterpret_cast<const QWidget*>(lParam);
  CWnd* object = FromHandle(control);
  return object ? object->OnMessageReflect(message, wParam, lParam) : 0;
}

UINT ColorMessageFor(const QWidget* control) {
  if (qobject_cast<const QLineEdit*>(control) || qobject_cast<const QPlainTextEdit*>(control) ||
      qobject_cast<const QTextEdit*>(control))
    return WM_CTLCOLOREDIT;
  if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QGroupBox*>(control))
    return WM_CTLCOLORBTN;
  return WM_CTLCOLORSTATIC;
}

void CWnd::requestColors() {
  QWidget* control = hwnd_;
  ControlDC dc;
  dc.textColor = control->palette().color(control->foregroundRole());
  dc.background = control->palette().brush(control->backgroundRole());
  dc.font = control->font();
  const UINT message = ColorMessageFor(control);
  const auto wParam = reinterpret_cast<WPARAM>(&dc);
  const auto lParam = reinterpret_cast<LPARAM>(control);
  // The parent decides; a parent without an object of its own reflects at once.
  CWnd* parent = FromHandle(control->parentWidget());
  const LRESULT handled = parent ? parent->SendMessage(message, wParam, lParam)
                                 : ReflectToChild(message, wParam, lParam);
  if (!handled) return;

  // Applied only on change: setting them schedules one more paint, which then finds
  // nothing new.
  QPalette palette = control->palette();
  palette.setColor(control->foregroundRole(), dc.textColor);
  if (!dc.transparent) palette.setBrush(control->backgroundRole(), dc.background);
  if (control->autoFillBackground() == dc.transparent) control->setAutoFillBackground(!dc.transparent);
  if (palette != control->palette()) control->setPalette(palette);
  if (dc.font != control->font()) control->setFont(dc.font);
}

bool CWnd::eventFilter(QObject* watched, QEvent* event) {
  if (!attached_ || watched != hwnd_) return false;
  UINT message = 0;
  LPARAM lParam = 0;
  switch (event->type()) {
    case QEvent::Paint:
      requestColors();
      return false;
    case QEvent::Enter:
      message = WM_SETCURSOR;
      lParam = reinterpret_cast<LPARAM>(hwnd_.data());
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (event->type() == QEvent::MouseMove) {
        message = WM_MOUSEMOVE;
      } else if (mouse->button() == Qt::LeftButton) {
        message = event->type() == QEvent::MouseButtonPress ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      } else {
        return false;
      }
      const QPoint p = mouse->position().toPoint();  // client coordinates
      lParam = MAKELPARAM(p.x(), p.y());
      break;
    }
    default:
      return false;
  }
  passToQt_ = false;
  WndProc(message, 0, lParam);
  const bool handled = !passToQt_;
  if (handled) event->accept();
  return handled;
}

}  // namespace orvane
