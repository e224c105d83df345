// Tests of the main window's layout: every control with its id, kind, caption and group, a
// tidy layout, and the application icon.
// SPDX-License-Identifier: MIT
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QtTest>
#include <map>

#include "ui_maindialog.h"

namespace {

enum class Kind { Label, Edit, Button, Radio, Group, RichEdit };

struct Control {
  int id;
  Kind kind;
  const char* caption;  // nullptr: the window fills it in
  int group;            // id of the group box it sits in, 0 for none
  bool upperCase = false;
  bool digitsOnly = false;
  bool readOnly = false;
};

// The main window's controls as the pilot knows them.
const std::vector<Control>& controls() {
  static const std::vector<Control> all = {
      {101, Kind::Label, "Flight No.", 0},
      {201, Kind::Edit, "", 0, true},
      {401, Kind::Button, "Get ACARS Flightdata", 0},
      {402, Kind::Button, "ORVANE Preferences", 0},
      {450, Kind::Group, "Flight Data", 0},
      {102, Kind::Label, "Departure", 450},
      {202, Kind::Edit, "", 450, true},
      {103, Kind::Label, "Destination", 450},
      {203, Kind::Edit, "", 450, true},
      {104, Kind::Label, "Alternate", 450},
      {204, Kind::Edit, "", 450, true},
      {105, Kind::Label, "Route", 450},
      {205, Kind::Edit, "", 450, true},
      {106, Kind::Label, "Passengers", 450},
      {206, Kind::Edit, "", 450, false, true},
      {107, Kind::Label, "Cargo (lbs)", 450},
      {207, Kind::Edit, "", 450, false, true},
      {199, Kind::Label, "Flight", 450},
      {196, Kind::Label, "Rules", 450},
      {301, Kind::Radio, "IFR", 450},
      {302, Kind::Radio, "VFR", 450},
      {108, Kind::Label, "Aircraft", 450},
      {208, Kind::Edit, "", 450, true},
      {109, Kind::Label, "Altitude", 450},
      {209, Kind::Edit, "", 450, true},
      {403, Kind::Button, "Start ACARS", 450},
      {452, Kind::Group, "Current ACARS Message", 0},
      {299, Kind::RichEdit, nullptr, 452, false, false, true},
      {451, Kind::Group, "PIREP Data", 0},
      {110, Kind::Label, "OUT", 451},
      {210, Kind::Edit, "", 451, false, false, true},
      {122, Kind::Label, "OFF", 451},
      {222, Kind::Edit, "", 451, false, false, true},
      {123, Kind::Label, "ON", 451},
      {223, Kind::Edit, "", 451, false, false, true},
      {124, Kind::Label, "IN", 451},
      {224, Kind::Edit, "", 451, false, false, true},
      {111, Kind::Label, "Block Time", 451},
      {211, Kind::Edit, "", 451, false, false, true},
      {112, Kind::Label, "Flight Time", 451},
      {212, Kind::Edit, "", 451, false, false, true},
      {114, Kind::Label, "Block Fuel", 451},
      {214, Kind::Edit, "", 451, false, false, true},
      {125, Kind::Label, "lbs", 451},
      {115, Kind::Label, "Flight Fuel", 451},
      {215, Kind::Edit, "", 451, false, false, true},
      {126, Kind::Label, "lbs", 451},
      {113, Kind::Label, "Altitude", 451},
      {213, Kind::Edit, "", 451, true, false, true},
      {303, Kind::Radio, "OFFLINE", 451},
      {304, Kind::Radio, "VATSIM", 451},
      {305, Kind::Radio, "OTHER:", 451},
      {298, Kind::Edit, "", 451},
      {127, Kind::Label, "Comment", 451},
      {225, Kind::RichEdit, nullptr, 451},
      {408, Kind::Button, "New Flight", 451},
      {406, Kind::Button, "Load PIREP", 451},
      {404, Kind::Button, "View PIREP", 451},
      {198, Kind::Label, nullptr, 0},
      {197, Kind::Label, nullptr, 0},
      {1, Kind::Button, "Quit", 0},
      // The status row.
      {9001, Kind::Label, nullptr, 0},
      {9002, Kind::Label, nullptr, 0},
      {9003, Kind::Label, nullptr, 0},
  };
  return all;
}

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::Label: return "QLabel";
    case Kind::Edit: return "QLineEdit";
    case Kind::Button: return "QPushButton";
    case Kind::Radio: return "QRadioButton";
    case Kind::Group: return "QGroupBox";
    case Kind::RichEdit: return "QTextEdit";
  }
  return "";
}

// Every widget of the dialog that carries an id, by id; a repeated id fails the test.
std::map<int, QWidget*> widgetsById(QDialog& dialog) {
  std::map<int, QWidget*> found;
  for (QWidget* widget : dialog.findChildren<QWidget*>()) {
    const QVariant id = widget->property("id");
    if (!id.isValid()) continue;
    const bool fresh = found.emplace(id.toInt(), widget).second;
    if (!fresh) qWarning("id %d appears twice", id.toInt());
    if (!fresh) return {};
  }
  return found;
}

}  // namespace

class MainDialogUiTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void everyControlOnceWithItsKindAndCaption();
  void controlsSitInTheirGroups();
  void radioGroupsAreIndependent();
  void everyButtonAndGroupHasItsOwnMnemonic();
  void layoutFitsWithoutOverlapOrClipping_data();
  void layoutFitsWithoutOverlapOrClipping();
  void iconIsThereInEverySize();
};

void MainDialogUiTest::initTestCase() { Q_INIT_RESOURCE(orvane); }

void MainDialogUiTest::everyControlOnceWithItsKindAndCaption() {
  QDialog dialog;
  Ui::MainDialog ui;
  ui.setupUi(&dialog);

  QCOMPARE(dialog.windowTitle(), QStringLiteral("ORVANE"));
  QCOMPARE(dialog.property("id").toInt(), 500);

  const std::map<int, QWidget*> byId = widgetsById(dialog);
  QCOMPARE(byId.size(), controls().size());
  for (const Control& c : controls()) {
    const auto it = byId.find(c.id);
    QVERIFY2(it != byId.end(), qPrintable(QStringLiteral("no control %1").arg(c.id)));
    QWidget* w = it->second;
    const QString where = QStringLiteral("control %1").arg(c.id);
    QCOMPARE(w->objectName(), QStringLiteral("idc_%1").arg(c.id));
    QVERIFY2(w->inherits(kindName(c.kind)), qPrintable(where + " is a " + w->metaObject()->className()));
    QCOMPARE(w->property("upperCase").toBool(), c.upperCase);
    QCOMPARE(w->property("digitsOnly").toBool(), c.digitsOnly);

    if (c.caption != nullptr) {
      QString caption;
      if (auto* label = qobject_cast<QLabel*>(w)) caption = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(w)) caption = button->text();
      if (auto* group = qobject_cast<QGroupBox*>(w)) caption = group->title();
      if (auto* edit = qobject_cast<QLineEdit*>(w)) caption = edit->text();
      QCOMPARE(caption.remove(u'&'), QString::fromUtf8(c.caption));
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) QCOMPARE(edit->isReadOnly(), c.readOnly);
    if (auto* rich = qobject_cast<QTextEdit*>(w)) QCOMPARE(rich->isReadOnly(), c.readOnly);
  }
  // The web address is the link's own text.
  QVERIFY(qobject_cast<QLabel*>(byId.at(198))->text().startsWith("https://"));
}

void MainDialogUiTest::controlsSitInTheirGroups() {
  QDialog dialog;
  Ui::MainDialog ui;
  ui.setupUi(&dialog);
  const std::map<int, QWidget*> byId = widgetsById(dialog);
  const std::vector<int> groups = {450, 451, 452};
  for (const Control& c : controls()) {
    QWidget* w = byId.at(c.id);
    for (int g : groups) {
      if (g == c.id) continue;
      const bool inside = byId.at(g)->isAncestorOf(w);
      QVERIFY2(inside == (c.group == g),
               qPrintable(QStringLiteral("control %1 and group %2").arg(c.id).arg(g)));
    }
  }
}

// Alt and a letter reaches every button and group, and no two share a letter; the flight
// number's label leads to its field.
void MainDialogUiTest::everyButtonAndGroupHasItsOwnMnemonic() {
  QDialog dialog;
  Ui::MainDialog ui;
  ui.setupUi(&dialog);
  std::map<QChar, QString> taken;
  auto mnemonicOf = [](const QString& text) {
    const qsizetype at = text.indexOf(u'&');
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toUpper() : QChar();
  };
  QList<QPair<QString, QWidget*>> marked;
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) marked.append({b->text(), b});
  for (QGroupBox* g : dialog.findChildren<QGroupBox*>()) marked.append({g->title(), g});
  for (QLabel* l : dialog.findChildren<QLabel*>()) {
    if (l->buddy() != nullptr && l->text().contains(u'&')) marked.append({l->text(), l});
  }
  for (const auto& [text, w] : marked) {
    const QChar key = mnemonicOf(text);
    QVERIFY2(!key.isNull(), qPrintable(w->objectName() + " has no mnemonic: " + text));
    QVERIFY2(taken.count(key) == 0,
             qPrintable(QStringLiteral("%1 and %2 share %3").arg(taken[key], text, key)));
    taken[key] = text;
  }
  QVERIFY(mnemonicOf(qobject_cast<QLabel*>(widgetsById(dialog).at(101))->text()) == u'N');
}

void MainDialogUiTest::radioGroupsAreIndependent() {
  QDialog dialog;
  Ui::MainDialog ui;
  ui.setupUi(&dialog);
  ui.idc_301->setChecked(true);
  ui.idc_303->setChecked(true);
  ui.idc_302->setChecked(true);
  QVERIFY(!ui.idc_301->isChecked());
  QVERIFY(ui.idc_303->isChecked());  // the network choice keeps its own state
  ui.idc_305->setChecked(true);
  QVERIFY(!ui.idc_303->isChecked() && !ui.idc_304->isChecked());
  QVERIFY(ui.idc_302->isChecked());
}

void MainDialogUiTest::layoutFitsWithoutOverlapOrClipping_data() {
  QTest::addColumn<int>("pointSize");
  QTest::newRow("system font") << 0;
  QTest::newRow("large font") << 14;
}

void MainDialogUiTest::layoutFitsWithoutOverlapOrClipping() {
  QFETCH(int, pointSize);
  QDialog dialog;
  if (pointSize > 0) {
    QFont font = dialog.font();
    font.setPointSize(pointSize);
    dialog.setFont(font);
  }
  Ui::MainDialog ui;
  ui.setupUi(&dialog);
  // The window opens at the layout's own size, or larger where the font needs it.
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  QCoreApplication::processEvents();
  QVERIFY(dialog.width() >= dialog.minimumSizeHint().width());
  QVERIFY(dialog.height() >= dialog.minimumSizeHint().height());

  const std::map<int, QWidget*> byId = widgetsById(dialog);
  const QRect inside = dialog.rect();
  std::vector<std::pair<int, QRect>> placed;
  for (const auto& [id, w] : byId) {
    const QRect r(w->mapTo(&dialog, QPoint(0, 0)), w->size());
    QVERIFY2(inside.contains(r), qPrintable(QStringLiteral("control %1 leaves the window").arg(id)));
    // A caption narrower or lower than it asks for is cut off.
    if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
      QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
               qPrintable(QStringLiteral("control %1 is cut off").arg(id)));
    }
    if (qobject_cast<QGroupBox*>(w) == nullptr) placed.emplace_back(id, r);
  }
  for (std::size_t i = 0; i < placed.size(); ++i) {
    for (std::size_t j = i + 1; j < placed.size(); ++j) {
      QVERIFY2(!placed[i].second.intersects(placed[j].second),
               qPrintable(QStringLiteral("controls %1 and %2 overlap").arg(placed[i].first).arg(placed[j].first)));
    }
  }
  // Edits are wide enough for what the pilot types: a route and an ICAO code with room.
  const QFontMetrics metrics(dialog.font());
  QVERIFY(ui.idc_205->width() >= metrics.horizontalAdvance(QString(40, QLatin1Char('M'))) / 2);
  QVERIFY(ui.idc_202->width() >= metrics.horizontalAdvance(QStringLiteral("EDDFW")));
  // At the system font the message area shows the six lines of the welcome text at once.
  if (pointSize == 0) {
    QVERIFY(ui.idc_299->viewport()->height() >= 6 * QFontMetrics(ui.idc_299->font()).lineSpacing());
  }
}

void MainDialogUiTest::iconIsThereInEverySize() {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QImage image(QStringLiteral(":/icons/orvane-%1.png").arg(size));
    QVERIFY2(!image.isNull(), qPrintable(QStringLiteral("size %1").arg(size)));
    QCOMPARE(image.size(), QSize(size, size));
    // Drawn, not blank: the middle is opaque and not one flat colour across the image.
    QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    QVERIFY(image.pixel(size / 4, size / 2) != image.pixel(size * 3 / 4, size / 4));
  }
  QDialog dialog;
  Ui::MainDialog ui;
  ui.setupUi(&dialog);
  QVERIFY(!dialog.windowIcon().isNull());
}

QTEST_MAIN(MainDialogUiTest)
#include "maindialog_ui_test.moc"
