// CDialogApp: the application object.
// SPDX-License-Identifier: MIT
#include "frontend/dialogapp.h"

#include <QCoreApplication>

#include "engine/orvane_base.h"
#include "frontend/quitsignals.h"
#include "frontend/startup.h"

namespace orvane {

CDialogApp::CDialogApp(int& argc, char** argv) : CWinApp(argc, argv) {
  QCoreApplication::setOrganizationName("ORVANE");
  QCoreApplication::setApplicationName("ORVANE");
  reportUnwritableFolder(".");
  {
    // A logout, Ctrl-C or a closed terminal ends the window as its close box does.
    QuitSignals quit(m_MyDialog);
    m_MyDialog.DoModal();
  }
  // A window closed with Escape leaves its flight to the engine; end it before the
  // process does, so that no ACARS thread outlives it.
  ORVANE::finalize();
  PostQuitMessage(0);
}

}  // namespace orvane
