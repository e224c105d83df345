// COptionDialog: the engine's options shown, an airline's imported, saved to the engine and "orvane.ini".
// SPDX-License-Identifier: MIT
#include "frontend/optiondialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLayout>

#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/importreview.h"
#include "frontend/windowprefs.h"
#include "ui_optiondialog.h"
#include "util/pilot_folders.h"

namespace orvane {

std::string COptionDialog::settingsFile() { return pilot_folders().settingsFile(); }

namespace {
constexpr UINT kImportButton = 355;
constexpr UINT kPasswordPlace = 122;

void layoutOptionDialog(QDialog* window) {
  Ui::OptionDialog ui;
  ui.setupUi(window);
}

void fillFields(QWidget* w, const FlightOptions& o) {
  SetDlgItemText(w, 216, o.ACARS_URL);
  SetDlgItemText(w, 217, o.PIREP_URL);
  SetDlgItemText(w, 218, o.INFO_URL);
  SetDlgItemText(w, 219, o.ACARS_User);
  SetDlgItemText(w, 220, o.ACARS_Password);
  SetDlgItemText(w, 221, std::to_string(o.POS_Report_Interval / 60));  // seconds to minutes
  CheckDlgButton(w, 350, o.enableLiveACARS);
  CheckDlgButton(w, 351, o.enablePIREP);
}

FlightOptions fieldOptions(QWidget* w) {
  FlightOptions o;  // the defaults, not the current options
  o.ACARS_URL = getItemString(w, 216);
  o.PIREP_URL = getItemString(w, 217);
  o.INFO_URL = getItemString(w, 218);
  o.ACARS_User = o.PIREP_User = getItemString(w, 219);
  o.ACARS_Password = o.PIREP_Password = getItemString(w, 220);
  o.POS_Report_Interval = getItemInteger(w, 221) * 60;  // minutes to seconds
  o.enableLiveACARS = IsDlgButtonChecked(w, 350);
  o.enablePIREP = IsDlgButtonChecked(w, 351);
  return o;
}

// The keyrings' names as the password stores give them, listed for the translations.
[[maybe_unused]] constexpr const char* kKeyringNames[] = {
    QT_TRANSLATE_NOOP("OptionDialog", "the desktop keyring"),
    QT_TRANSLATE_NOOP("OptionDialog", "the Windows Credential Manager"),
    QT_TRANSLATE_NOOP("OptionDialog", "the macOS Keychain")};

// A sentence of the note under the password field in the pilot's language, with %1 and %2.
std::string noteText(const char* text, const std::string& one, const std::string& two = {}) {
  QString t = QCoreApplication::translate("OptionDialog", text).arg(QString::fromStdString(one));
  if (!two.empty()) t = t.arg(QString::fromStdString(two));
  return t.toStdString();
}

// Where the password is kept, under its field.
std::string passwordPlaceNote() {
  const std::string file = COptionDialog::settingsFile();
  const std::string store = ORVANE::getPasswordStoreName();
  const std::string keyring =
      QCoreApplication::translate("OptionDialog", store.c_str()).toStdString();
#ifdef _WIN32
  const char* const inFile = QT_TRANSLATE_NOOP("OptionDialog", "The password is kept in %1.");
  const char* const noKeyring =
      QT_TRANSLATE_NOOP("OptionDialog", "No keyring answered: the password is kept in %1.");
  const char* const either = QT_TRANSLATE_NOOP(
      "OptionDialog", "The password is kept in %1 when it answers, otherwise in %2.");
#else
  const char* const inFile = QT_TRANSLATE_NOOP(
      "OptionDialog", "The password is kept in %1, readable by you only.");
  const char* const noKeyring = QT_TRANSLATE_NOOP(
      "OptionDialog", "No keyring answered: the password is kept in %1, readable by you only.");
  const char* const either = QT_TRANSLATE_NOOP(
      "OptionDialog",
      "The password is kept in %1 when it answers, otherwise in %2, readable by you only.");
#endif
  if (store.empty()) return noteText(inFile, file);
  switch (ORVANE::getPasswordPlace()) {
    case PasswordPlace::KEYRING:
      return noteText(QT_TRANSLATE_NOOP("OptionDialog", "The password is kept in %1, not in %2."),
                      keyring, file);
    case PasswordPlace::SETTINGS_FILE:
      return noteText(noKeyring, file);
    case PasswordPlace::UNKNOWN:
      break;
  }
  return noteText(either, keyring, file);
}
}  // namespace

COptionDialog::COptionDialog(QWidget* owner) : CDialog(IDD, &layoutOptionDialog, owner) {}

bool COptionDialog::OnCommand(UINT id) {
  if (id == kImportButton) {
    // The file's settings go into the fields; Save and Exit keeps them.
    QWidget* w = GetHwnd();
    if (const std::optional<FlightOptions> merged = importAirlineSettings(w, fieldOptions(w))) {
      fillFields(w, *merged);
    }
  }
  return true;
}

void COptionDialog::OnCancel() { EndDialog(IDCANCEL); }

bool COptionDialog::OnInitDialog() {
  QWidget* w = GetHwnd();
  fillFields(w, ORVANE::getFlightOptions());
  SetDlgItemText(w, kPasswordPlace, passwordPlaceNote());
  // The note wraps to the dialog's width: the dialog grows to show all of its lines.
  if (QLayout* layout = w->layout()) {
    layout->activate();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(w->width())
                                                   : layout->totalSizeHint().height();
    if (height > w->height()) w->resize(w->width(), height);
    FitToScreen();
  }
  // The window's own preferences, not in orvane.ini.
  CheckDlgButton(w, IDC_SEND_WAITING, WindowPrefs::sendWaitingAutomatically());
  const bool kg = WindowPrefs::weightUnit() == WeightUnit::Kilograms;
  CheckDlgButton(w, IDC_WEIGHTS_KG, kg);
  CheckDlgButton(w, IDC_WEIGHTS_LB, !kg);
  return true;
}

void COptionDialog::OnOK() {
  QWidget* w = GetHwnd();
  FlightOptions o = fieldOptions(w);
  o.PIREPAuto = IsDlgButtonChecked(w, IDC_SEND_WAITING);
  WindowPrefs::setSendWaitingAutomatically(o.PIREPAuto);
  WindowPrefs::setWeightUnit(IsDlgButtonChecked(w, IDC_WEIGHTS_KG) ? WeightUnit::Kilograms
                                                                    : WeightUnit::Pounds);
  ORVANE::setFlightOptions(o);
  std::string reason;
  const std::string file = settingsFile();
  if (!ORVANE::saveOptions(file, &reason)) {
    // The options are in use all the same; the pilot learns that they will not be there at
    // the next start, and why.
    ShowMessageBox("The preferences could not be saved in [" + file +
                       "]: " + reason +
                       "\nThey are used until ORVANE ends, but will be lost then.",
                   loadString(800), MB_ICONERROR);
  }
  EndDialog(IDOK);
}

void OptionInputDialog() {
  // No settings yet, and an airline's file to import (orvane --import): the review first.
  if (importAtStart()) return;
  COptionDialog dialog;
  dialog.DoModal();
}

}  // namespace orvane
