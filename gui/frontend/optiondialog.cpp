// COptionDialog: shows the engine's options and saves them to the engine and "orvane.ini".
// SPDX-License-Identifier: MIT
#include "frontend/optiondialog.h"

#include <QDialog>

#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/windowprefs.h"
#include "ui_optiondialog.h"

namespace orvane {

const char* const COptionDialog::SETTINGS_FILE = "orvane.ini";

namespace {
void layoutOptionDialog(QDialog* window) {
  Ui::OptionDialog ui;
  ui.setupUi(window);
}
}  // namespace

COptionDialog::COptionDialog(QWidget* owner) : CDialog(IDD, &layoutOptionDialog, owner) {}

bool COptionDialog::OnCommand(UINT) { return true; }

void COptionDialog::OnCancel() { EndDialog(IDCANCEL); }

bool COptionDialog::OnInitDialog() {
  const FlightOptions o = ORVANE::getFlightOptions();
  QWidget* w = GetHwnd();
  SetDlgItemText(w, 216, o.ACARS_URL);
  SetDlgItemText(w, 217, o.PIREP_URL);
  SetDlgItemText(w, 218, o.INFO_URL);
  SetDlgItemText(w, 219, o.ACARS_User);
  SetDlgItemText(w, 220, o.ACARS_Password);
  SetDlgItemText(w, 221, std::to_string(o.POS_Report_Interval / 60));  // seconds to minutes
  CheckDlgButton(w, 350, o.enableLiveACARS);
  CheckDlgButton(w, 351, o.enablePIREP);
  // The window's own preferences, not in orvane.ini.
  CheckDlgButton(w, IDC_SEND_WAITING, WindowPrefs::sendWaitingAutomatically());
  const bool kg = WindowPrefs::weightUnit() == WeightUnit::Kilograms;
  CheckDlgButton(w, IDC_WEIGHTS_KG, kg);
  CheckDlgButton(w, IDC_WEIGHTS_LB, !kg);
  return true;
}

void COptionDialog::OnOK() {
  QWidget* w = GetHwnd();
  FlightOptions o;  // the defaults, not the current options
  o.ACARS_URL = getItemString(w, 216);
  o.PIREP_URL = getItemString(w, 217);
  o.INFO_URL = getItemString(w, 218);
  o.ACARS_User = o.PIREP_User = getItemString(w, 219);
  o.ACARS_Password = o.PIREP_Password = getItemString(w, 220);
  o.POS_Report_Interval = getItemInteger(w, 221) * 60;  // minutes to seconds
  o.enableLiveACARS = IsDlgButtonChecked(w, 350);
  o.enablePIREP = IsDlgButtonChecked(w, 351);
  o.PIREPAuto = IsDlgButtonChecked(w, IDC_SEND_WAITING);
  WindowPrefs::setSendWaitingAutomatically(o.PIREPAuto);
  WindowPrefs::setWeightUnit(IsDlgButtonChecked(w, IDC_WEIGHTS_KG) ? WeightUnit::Kilograms
                                                                    : WeightUnit::Pounds);
  ORVANE::setFlightOptions(o);
  std::string reason;
  if (!ORVANE::saveOptions(SETTINGS_FILE, &reason)) {
    // The options are in use all the same; the pilot learns that they will not be there at
    // the next start, and why.
    ShowMessageBox(std::string("The preferences could not be saved in [") + SETTINGS_FILE +
                       "]: " + reason +
                       "\nThey are used until ORVANE ends, but will be lost then.",
                   loadString(800), MB_ICONERROR);
  }
  EndDialog(IDOK);
}

void OptionInputDialog() {
  COptionDialog dialog;
  dialog.DoModal();
}

}  // namespace orvane
