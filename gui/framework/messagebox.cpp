// ShowMessageBox: the handler seam and the real QMessageBox behind it.
// SPDX-License-Identifier: MIT
#include "framework/messagebox.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <utility>

namespace orvane {

namespace {
MessageBoxHandler& handler() {
  static MessageBoxHandler h;
  return h;
}
}  // namespace

int ShowQtMessageBox(const MessageBoxRequest& request) {
  QString text = QString::fromStdString(request.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box;  // no owner: the box stands on its own, modal for the whole program
  box.setWindowTitle(QString::fromStdString(request.caption));
  box.setText(text);
  box.setTextFormat(Qt::PlainText);  // server answers may contain '<'
  switch (request.style & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  switch (request.style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  // The standard buttons in the window's language (English: Qt's own texts).
  const std::pair<QMessageBox::StandardButton, const char*> standard[] = {
      {QMessageBox::Ok, QT_TRANSLATE_NOOP("MessageBox", "OK")},
      {QMessageBox::Yes, QT_TRANSLATE_NOOP("MessageBox", "&Yes")},
      {QMessageBox::No, QT_TRANSLATE_NOOP("MessageBox", "&No")},
      {QMessageBox::Cancel, QT_TRANSLATE_NOOP("MessageBox", "Cancel")}};
  for (const auto& [b, text] : standard) {
    if (QAbstractButton* button = box.button(b))
      button->setText(QCoreApplication::translate("MessageBox", text));
  }
  const QMessageBox::StandardButton order[] = {QMessageBox::Ok, QMessageBox::Yes,
                                                QMessageBox::No, QMessageBox::Cancel};
  std::size_t label = 0;
  for (const QMessageBox::StandardButton b : order) {
    QAbstractButton* button = box.button(b);
    if (button == nullptr || label >= request.labels.size()) continue;
    button->setText(QString::fromStdString(request.labels[label++]));
  }
  box.exec();
  switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT style) {
  return ShowMessageBox(MessageBoxRequest{text, caption, style, {}});
}

int ShowMessageBox(const MessageBoxRequest& request) {
  return handler() ? handler()(request) : ShowQtMessageBox(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler h) {
  return std::exchange(handler(), std::move(h));
}

}  // namespace orvane
