// COptionDialog: the engine's options shown, an airline's imported, saved to the engine and "orvane.ini".
// SPDX-License-Identifier: MIT
#include "frontend/optiondialog.h"

#include <QDialog>

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

// Where the password is kept, under its field.
std::string passwordPlaceNote() {
#ifdef _WIN32
  const std::string file = std::string("in ") + COptionDialog::settingsFile();
#else
  const std::string file = std::string("in ") + COptionDialog::settingsFile() + ", readable by you only";
#endif
  const std::string keyring = ORVANE::getPasswordStoreName();
  if (keyring.empty()) return "The password is kept " + file + ".";
  switch (ORVANE::getPasswordPlace()) {
    case PasswordPlace::KEYRING:
      return "The password is kept in " + keyring + ", not in " + COptionDialog::settingsFile() + ".";
    case PasswordPlace::SETTINGS_FILE:
      return "No keyring answered: the password is kept " + file + ".";
    case PasswordPlace::UNKNOWN:
      break;
  }
  return "The password is kept in " + keyring + " when it answers, otherwise " + file + ".";
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
