// CDialogApp: the application object, which runs the main window and ends with it.
// SPDX-License-Identifier: MIT
#pragma once

#include "framework/wincore.h"
#include "frontend/maindialog.h"

namespace orvane {

class SingleInstance;

class CDialogApp : public CWinApp {
 public:
  // Runs the main window modally; when it ends, the event loop is told to quit with 0.
  // instance, when given, is listened to: a second start shows and raises the window.
  CDialogApp(int& argc, char** argv, SingleInstance* instance = nullptr);

 private:
  CMyDialog m_MyDialog;
};

}  // namespace orvane
