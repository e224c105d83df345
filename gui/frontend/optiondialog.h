// COptionDialog: the preferences dialog (servers, credentials, report interval, switches, window).
// SPDX-License-Identifier: MIT
#pragma once

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
  // Where OK saves the options, in the working folder ("orvane.ini"). A failed save is shown
  // to the pilot in a box with the reason.
  static const char* const SETTINGS_FILE;

  // owner: the main window, or null when the engine asks for options on its own.
  explicit COptionDialog(QWidget* owner = nullptr);

 protected:
  // Checks and other controls need nothing; reported as handled.
  bool OnCommand(UINT id) override;
  void OnCancel() override;
  bool OnInitDialog() override;
  void OnOK() override;
};

// Shows the preferences modally without an owner window; the engine's option-input hook
// (ORVANE::setOptionInputDialog).
void OptionInputDialog();

}  // namespace orvane
