// CDialogApp: the application object.
// SPDX-License-Identifier: MIT
#include "frontend/dialogapp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>

#include "engine/orvane_base.h"
#include "frontend/quitsignals.h"
#include "frontend/singleinstance.h"
#include "frontend/startup.h"
#include "util/pilot_folders.h"
#include "frontend/translations.h"

namespace orvane {

CDialogApp::CDialogApp(int& argc, char** argv, SingleInstance* instance) : CWinApp(argc, argv) {
  QCoreApplication::setOrganizationName("ORVANE");
  QCoreApplication::setApplicationName("ORVANE");
  installTranslations();
  reportUnwritableFolder(pilot_folders().data);
  if (instance != nullptr) {
    instance->onShowAsked([this] {
      QWidget* w = m_MyDialog.GetHwnd();
      if (w == nullptr) return;
      ORVANE::Log("ORVANE was started again: its window is shown.");
      w->showNormal();
      w->raise();
      w->activateWindow();
      QApplication::alert(w);
    });
  }
  {
    // A logout, Ctrl-C or a closed terminal ends the window as its close box does.
    QuitSignals quit(m_MyDialog);
    m_MyDialog.DoModal();
  }
  // A window ended by a quit signal leaves its flight to the engine; end it before the
  // process does, so that no ACARS thread outlives it.
  ORVANE::finalize();
  PostQuitMessage(0);
}

}  // namespace orvane
