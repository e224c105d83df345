// QuitSignals: SIGTERM, SIGINT and SIGHUP end the main window through its close path.
// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <memory>

namespace orvane {

class CDialog;

// While it lives, each of SIGTERM, SIGINT and SIGHUP (a logout, Ctrl-C, a closed terminal)
// ends window on the window thread as its close box does (OnCancel: the unsaved PIREP goes
// to lastpirep.ovp, the engine stops); dialogs and boxes open above the window end first,
// without their questions. The handler itself only writes a byte to a pipe that a socket
// notifier reads. One at a time per process; the earlier handlers come back with its end.
// Nothing on Windows, which has no such signals for a window program.
class QuitSignals : public QObject {
  Q_OBJECT

 public:
  explicit QuitSignals(CDialog& window);
  ~QuitSignals() override;
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

 private:
  void onSignal();

  struct Impl;
  std::unique_ptr<Impl> impl_;
  CDialog& window_;
  bool closing_ = false;  // window thread only
};

}  // namespace orvane
