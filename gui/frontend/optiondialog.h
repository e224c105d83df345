// COptionDialog: the preferences dialog (servers, credentials, report interval, switches).
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "framework/dialog.h"

namespace orvane {

class COptionDialog : public CDialog {
  Q_OBJECT

 public:
  static constexpr UINT IDD = 501;
  // Where OK saves the options: "orvane.ini" in the configuration folder (the working folder
  // in the old way). A failed save is shown to the pilot in a box with the reason.
  static std::string settingsFile();

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
