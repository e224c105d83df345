// The review of an airline's settings file: a table of the changes, Import or Cancel.
// SPDX-License-Identifier: MIT
#include "frontend/importreview.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/orvane_base.h"
#include "engine/settings_import.h"
#include "framework/dialoghelpers.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "frontend/optiondialog.h"

namespace orvane {

namespace {

// The file of orvane --import; window thread only.
std::string pendingImport;

QString text(const std::string& s) { return QString::fromStdString(s); }

bool runReview(QWidget* owner, const std::string& fileName, const SettingsImport& found) {
  QDialog dialog(owner);
  dialog.setObjectName(QStringLiteral("importReview"));
  dialog.setWindowTitle(QStringLiteral("Import airline settings"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* intro = new QLabel(text("The settings in [" + fileName + "] change these of yours:"));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  auto* table = new QTableWidget(static_cast<int>(found.changes.size()), 3, &dialog);
  table->setObjectName(QStringLiteral("changes"));
  table->setHorizontalHeaderLabels({QStringLiteral("Setting"), QStringLiteral("Now"),
                                    QStringLiteral("From the file")});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  int row = 0;
  for (const SettingChange& c : found.changes) {
    table->setItem(row, 0, new QTableWidgetItem(text("[" + c.section + "] " + c.key)));
    table->setItem(row, 1, new QTableWidgetItem(text(c.before)));
    table->setItem(row, 2, new QTableWidgetItem(text(c.after)));
    ++row;
  }
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
  // Wide and high enough for every change without scrolling, within reason.
  int width = 2 * table->frameWidth();
  for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
  int height = 2 * table->frameWidth() + table->horizontalHeader()->sizeHint().height();
  for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
  table->setMinimumSize(std::min(width, 1000), std::min(height, 400));
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* importButton =
      buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
  importButton->setObjectName(QStringLiteral("importButton"));
  QPushButton* cancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  cancelButton->setDefault(true);  // Enter does not import by surprise
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

std::optional<FlightOptions> reviewAirlineSettings(QWidget* owner, const std::string& fileName,
                                                   const FlightOptions& current) {
  SettingsImport found;
  std::string error;
  if (!readAirlineSettings(fileName, current, found, error)) {
    ORVANE::showMessage("Airline settings not imported: " + error);
    ShowMessageBox("These airline settings cannot be imported: " + error +
                       "\nNothing has been changed.",
                   loadString(800), MB_ICONERROR);
    return std::nullopt;
  }
  if (found.changes.empty()) {
    ShowMessageBox("The settings in [" + fileName + "] are those you have already; nothing changes.",
                   "ORVANE", MB_ICONINFORMATION);
    return std::nullopt;
  }
  if (!runReview(owner, fileName, found)) return std::nullopt;
  ORVANE::showMessage("Airline settings imported from [" + fileName + "]: " +
                      std::to_string(found.changes.size()) + " changed.");
  return found.options;
}

std::optional<FlightOptions> importAirlineSettings(QWidget* owner, const FlightOptions& current) {
  FileDialogRequest request;
  request.owner = owner;
  request.filters = {{"ORVANE settings", "*.orvane *.ini"}, {"All files", "*.*"}};
  request.mustExist = true;
  const std::optional<std::string> file = GetFileName(request);
  if (!file) return std::nullopt;
  return reviewAirlineSettings(owner, *file, current);
}

void setImportAtStart(const std::string& fileName) { pendingImport = fileName; }

bool importAtStartPending() { return !pendingImport.empty(); }

bool importAtStart() {
  if (pendingImport.empty()) return false;
  const std::string fileName = pendingImport;
  pendingImport.clear();
  const std::optional<FlightOptions> merged =
      reviewAirlineSettings(nullptr, fileName, ORVANE::getFlightOptions());
  if (!merged) return false;
  ORVANE::setFlightOptions(*merged);
  std::string reason;
  if (!ORVANE::saveOptions(COptionDialog::settingsFile(), &reason)) {
    ShowMessageBox(std::string("The imported settings could not be saved in [") +
                       COptionDialog::settingsFile() + "]: " + reason +
                       "\nThey are used until ORVANE ends, but will be lost then.",
                   loadString(800), MB_ICONERROR);
  }
  return true;
}

}  // namespace orvane
