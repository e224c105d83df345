// CDialog over QDialog: layout, routing, modal run and centring.
// SPDX-License-Identifier: MIT
#include "framework/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTextEdit>

#include "framework/messagebox.h"

namespace orvane {

namespace {

// Turns letters into capitals as they are typed.
class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

// Alt with a letter is a mnemonic. Where no enabled control has it, Qt hands the key on to
// the focused field, which would type the letter (Alt+T while Start ACARS is still disabled
// put a T into the flight number): the field gets nothing. AltGr (Ctrl+Alt on Windows)
// types as always.
class AltLetterFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers mods = key->modifiers();
      if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !key->text().isEmpty() &&
          key->text().at(0).isPrint())
        return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

// The Qt window of a running CDialog: turns keys and the close box into commands.
class DialogWindow : public QDialog {
 public:
  DialogWindow(CDialog& dialog, QWidget* owner) : QDialog(owner), dialog_(dialog) {}

  void command(int id) { dialog_.DialogProc(WM_COMMAND, static_cast<WPARAM>(id), 0); }

  void keepCentred() {
    if (dialog_.centredAt_ == pos() && dialog_.centredSize_ != frameGeometry().size())
      dialog_.Center();
  }

  void accept() override { command(IDOK); }
  void reject() override { command(IDCANCEL); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    // A focused push button has taken Enter already (it clicks itself, as it should).
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        dialog_.OnReturnKey();
        return;
      case Qt::Key_Escape:
        command(IDCANCEL);
        return;
      case Qt::Key_F1:
        dialog_.OnHelp();
        return;
      default:
        QDialog::keyPressEvent(event);
    }
  }

  // The window's final size is known only as it shows (fonts, style, the contents that
  // OnInitDialog filled in, the frame): until somebody moves it, it stays centred.
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    dialog_.FitToScreen();
    keepCentred();
  }
  void resizeEvent(QResizeEvent* event) override {
    QDialog::resizeEvent(event);
    keepCentred();
  }

  void closeEvent(QCloseEvent* event) override {
    if (dialog_.ended_) {
      event->accept();
      return;
    }
    // The close box is Cancel. Routed after the close handling, so that the dialog can
    // end itself from OnCancel.
    event->ignore();
    QMetaObject::invokeMethod(this, [this] { command(IDCANCEL); }, Qt::QueuedConnection);
  }

 private:
  CDialog& dialog_;
};

CDialog::CDialog(UINT resourceId, DialogTemplate layout, QWidget* owner)
    : resourceId_(resourceId), layout_(layout), owner_(owner) {}

CDialog::~CDialog() = default;

void CDialog::createControls(DialogWindow& window) {
  layout_(&window);
  auto* altLetters = new AltLetterFilter(&window);
  for (QWidget* field : window.findChildren<QWidget*>()) {
    if (qobject_cast<QLineEdit*>(field) || qobject_cast<QTextEdit*>(field) ||
        qobject_cast<QPlainTextEdit*>(field))
      field->installEventFilter(altLetters);
  }
  const auto edits = window.findChildren<QLineEdit*>();
  for (QLineEdit* e : edits) {
    if (e->property("digitsOnly").toBool()) {
      e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    } else if (e->property("upperCase").toBool()) {
      e->setValidator(new UpperCaseValidator(e));
    }
  }
  const auto buttons = window.findChildren<QAbstractButton*>();
  for (QAbstractButton* b : buttons) {
    const QVariant id = b->property("id");
    if (!id.isValid()) continue;
    const auto command = id.toInt();
    connect(b, &QAbstractButton::clicked, &window, [&window, command] { window.command(command); });
  }
}

INT_PTR CDialog::DoModal() {
  if (window_ != nullptr || GetHwnd() != nullptr) {
    ShowMessageBox("CDialog::DoModal ... Window already exists", "Error", MB_ICONERROR);
    return 0;
  }
  if (QApplication::instance() == nullptr || layout_ == nullptr) {
    ShowMessageBox("CDialog::DoModal ... Failed to create dialog", "Error", MB_ICONERROR);
    return 0;
  }
  window_ = std::make_unique<DialogWindow>(*this, owner_);
  DialogWindow& window = *window_;
  createControls(window);
  setHwnd(&window);
  window.setProperty("orvane_cwnd", QVariant::fromValue<QObject*>(this));
  ended_ = false;
  result_ = 0;
  window.adjustSize();
  // Qt gives a window at most two thirds of the screen: a window that scrolls below its
  // full size gets that size where the screen has room for it.
  window.resize(window.sizeHint().expandedTo(window.size()));
  FitToScreen();

  DialogProc(WM_INITDIALOG, 0, 0);
  if (!ended_) window.exec();

  const INT_PTR result = result_;
  setHwnd(nullptr);
  window_.reset();
  return result;
}

void CDialog::EndDialog(INT_PTR result) {
  if (window_ == nullptr || ended_) return;
  result_ = result;
  ended_ = true;
  window_->done(static_cast<int>(result));
  setHwnd(nullptr);
}

void CDialog::FitToScreen() {
  QWidget* w = GetHwnd();
  if (w == nullptr) return;
  QScreen* screen = w->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The window manager's frame, once the window has one.
  const QSize frame = w->frameGeometry().size() - w->size();
  const QSize room = screen->availableGeometry().size() - frame;
  const QSize fitted = w->size().boundedTo(room).expandedTo(w->minimumSize());
  if (fitted != w->size()) w->resize(fitted);
}

void CDialog::Center() {
  QWidget* w = GetHwnd();
  if (w == nullptr) return;
  QScreen* screen = owner_ ? owner_->screen() : w->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect over = owner_ ? owner_->window()->frameGeometry() : area;
  const QSize size = w->frameGeometry().size();
  int x = over.x() + (over.width() - size.width()) / 2;
  int y = over.y() + (over.height() - size.height()) / 2;
  // Right and bottom edges inside first; the left and top edges win for a window larger
  // than the area.
  x = std::max(std::min(x, area.x() + area.width() - size.width()), area.x());
  y = std::max(std::min(y, area.y() + area.height() - size.height()), area.y());
  w->move(x, y);
  centredAt_ = w->pos();
  centredSize_ = size;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return ReflectToChild(message, wParam, lParam);
    case WM_INITDIALOG:
      Center();
      return OnInitDialog() ? 1 : 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnOK();
          return 1;
        case IDCANCEL:
          OnCancel();
          return 1;
        default:
          OnCommand(LOWORD(wParam));
          return 0;
      }
    default:
      return 0;
  }
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnReturnKey() { DialogProc(WM_COMMAND, IDOK, 0); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::OnEndSession() { OnCancel(); }
void CDialog::OnHelp() {}
bool CDialog::OnInitDialog() { return true; }

}  // namespace orvane
