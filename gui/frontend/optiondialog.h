// COptionDialog: the preferences dialog (servers, credentials, report interval, switches, window).
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "framework/dialog.h"

namespace orvane {

class COptionDialog : public CDialog {
  Q_OBJECT

 public:
  static constexpr UINT IDD = 501;
  // The group "Window": waiting PIREPs sent at the start without asking, and the unit the
  // window shows weights in (kept with the window's preferences, not in orvane.ini).
  static constexpr UINT IDC_SEND_WAITING = 352;
  static constexpr UINT IDC_WEIGHTS_KG = 353;
  static constexpr UINT IDC_WEIGHTS_LB = 354;
  // Where OK saves the options: "orvane.ini" in the configuration folder (the working folder
  // in the old way). A failed save is shown to the pilot in a box with the reason.
  static std::string settingsFile();

  // owner: the main window, or null when the engine asks for options on its own.
  explicit COptionDialog(QWidget* owner = nullptr);

 protected:
  // "Import airline settings…" (352) reviews a file and puts its settings into the fields;
  // checks and other controls need nothing. Reported as handled.
  bool OnCommand(UINT id) override;
  void OnCancel() override;
  bool OnInitDialog() override;
  void OnOK() override;
};

// Shows the preferences modally without an owner window; the engine's option-input hook
// (ORVANE::setOptionInputDialog). With an import asked for at start (importAtStart), its
// review comes instead, and the preferences only when the pilot does not import.
void OptionInputDialog();

}  // namespace orvane
