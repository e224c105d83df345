// CDialogApp: the application object.
#include "frontend/dialogapp.h"

#include <QCoreApplication>

#include "engine/orvane_base.h"

namespace orvane {

CDialogApp::CDialogApp(int& argc, char** argv) : CWinApp(argc, argv) {
  QCoreApplication::setOrganizationName("ORVANE");
  QCoreApplication::setApplicationName("ORVANE");
  m_MyDialog.DoModal();
  // A window closed with Escape leaves its flight to the engine; end it before the
  // process does, so that no ACARS thread outlives it.
  ORVANE::finalize();
  PostQuitMessage(0);
}

}  // namespace orvane
