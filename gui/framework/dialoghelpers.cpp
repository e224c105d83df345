// The dialog helpers over Qt widgets, found by their numeric ids.
// SPDX-License-Identifier: MIT
#include "framework/dialoghelpers.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWidget>

#include "framework/messagebox.h"
#include "framework/stringtable.h"
#include "util/util.h"

namespace orvane {

namespace {

// At most max bytes of a UTF-8 text, never cutting a character in two.
std::string cutUtf8(std::string text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t end = max;
  // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

QString withLineFeeds(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string withCrLf(QString text) {
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace

// Each window's controls by id, as found. The periodic updates ask for dozens a pass, and a
// search walks every widget of the window (scroll bars and viewports too). Window thread.
QWidget* FindDlgItem(const QWidget* window, UINT id) {
  if (window == nullptr) return nullptr;
  using Index = QHash<UINT, QPointer<QWidget>>;
  static QHash<const QWidget*, Index> indexes;
  const auto known = indexes.constFind(window);
  if (known != indexes.constEnd()) {
    const QPointer<QWidget> found = known->value(id);
    // A control found before counts while it lives in this window under the same id.
    if (!found.isNull() && window->isAncestorOf(found) && found->property("id").toUInt() == id) {
      return found;
    }
  }
  const auto children = window->findChildren<QWidget*>();
  for (QWidget* w : children) {
    const QVariant v = w->property("id");
    if (v.isValid() && v.toUInt() == id) {
      if (known == indexes.constEnd()) {
        QObject::connect(window, &QObject::destroyed, [window] { indexes.remove(window); });
      }
      indexes[window].insert(id, w);
      return w;
    }
  }
  return nullptr;
}

namespace {

// A button's or group's text without its mnemonic marker ("S&tart" -> "Start", "&&" -> "&").
QString withoutMnemonic(const QString& text) {
  QString plain;
  plain.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    plain.append(text[i]);
  }
  return plain;
}

// The text with the control's mnemonic (its "mnemonic" property, one letter) marked at the
// first place that letter appears in either case; a text without the letter stays plain.
QString withMnemonic(const QWidget* control, const QString& text) {
  const QString key = control->property("mnemonic").toString();
  QString marked = text;
  marked.replace(u'&', QStringLiteral("&&"));
  if (key.size() != 1) return marked;
  const qsizetype at = marked.indexOf(key, 0, Qt::CaseInsensitive);
  if (at >= 0) marked.insert(at, u'&');
  return marked;
}

}  // namespace

std::string GetWindowText(const QWidget* control) {
  if (const auto* e = qobject_cast<const QLineEdit*>(control)) return e->text().toStdString();
  if (const auto* e = qobject_cast<const QPlainTextEdit*>(control)) return withCrLf(e->toPlainText());
  if (const auto* e = qobject_cast<const QTextEdit*>(control)) return withCrLf(e->toPlainText());
  if (const auto* l = qobject_cast<const QLabel*>(control)) {
    // A label with a buddy shows its marker as the buddy's mnemonic, without it as text.
    return (l->buddy() != nullptr ? withoutMnemonic(l->text()) : l->text()).toStdString();
  }
  if (const auto* b = qobject_cast<const QAbstractButton*>(control))
    return withoutMnemonic(b->text()).toStdString();
  if (const auto* g = qobject_cast<const QGroupBox*>(control))
    return withoutMnemonic(g->title()).toStdString();
  return {};
}

// The text a control already shows is not set again: the periodic updates repeat most of
// theirs, and each setting would repaint the control (and reset a line edit's caret).
void SetWindowText(QWidget* control, const std::string& text) {
  const QString s = withLineFeeds(text);
  if (auto* e = qobject_cast<QLineEdit*>(control)) {
    if (e->text() != s) e->setText(s);
  } else if (auto* e = qobject_cast<QPlainTextEdit*>(control)) {
    if (e->toPlainText() != s) e->setPlainText(s);
  } else if (auto* e = qobject_cast<QTextEdit*>(control)) {
    if (e->toPlainText() != s) e->setPlainText(s);
  } else if (auto* l = qobject_cast<QLabel*>(control)) {
    if (l->text() != s) l->setText(s);
  } else if (auto* b = qobject_cast<QAbstractButton*>(control)) {
    const QString marked = withMnemonic(b, s);
    if (b->text() != marked) b->setText(marked);
  } else if (auto* g = qobject_cast<QGroupBox*>(control)) {
    if (g->title() != s) g->setTitle(s);
  }
}

void SetDlgItemText(const QWidget* window, UINT id, const std::string& text) {
  if (QWidget* c = FindDlgItem(window, id)) SetWindowText(c, text);
}

void CheckDlgButton(const QWidget* window, UINT id, bool checked) {
  if (auto* b = qobject_cast<QAbstractButton*>(FindDlgItem(window, id))) b->setChecked(checked);
}

bool IsDlgButtonChecked(const QWidget* window, UINT id) {
  const auto* b = qobject_cast<const QAbstractButton*>(FindDlgItem(window, id));
  return b != nullptr && b->isChecked();
}

void EnableDlgItem(const QWidget* window, UINT id, bool enabled) {
  if (QWidget* c = FindDlgItem(window, id)) c->setEnabled(enabled);
}

std::string getItemString(const QWidget* window, UINT id) {
  const QWidget* c = FindDlgItem(window, id);
  return c ? cutUtf8(GetWindowText(c), 1023) : std::string();
}

int getItemInteger(const QWidget* window, UINT id) {
  const QWidget* c = FindDlgItem(window, id);
  const std::string text = c ? cutUtf8(GetWindowText(c), 127) : std::string();
  return text.empty() ? 0 : To_t<int>(text);
}

std::string loadString(UINT id) {
  const std::string english = StringTable::get(id);
  if (english.empty()) return english;
  return QCoreApplication::translate("StringTable", english.c_str()).toStdString();
}

int MessBox(UINT textId, UINT captionId, UINT style) {
  return ShowMessageBox(loadString(textId), loadString(captionId), style);
}

}  // namespace orvane
