// EngineSession: the main window's worker, its jobs and completions, prepare, finalize, busy state.
// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "frontend/engineworker.h"

namespace orvane {

// Engine operations that may wait on the simulator or the server run on the worker, and
// their completions run afterwards on the window thread; the window stays usable and shows
// that it is busy meanwhile. Window thread, all of it.
class EngineSession {
 public:
  // How the window shows the session's work.
  class View {
   public:
    virtual ~View() = default;
    // A job or request has begun; what says which.
    virtual void showBusy(const char* what) = 0;
    // The last job or request under way has ended.
    virtual void showIdle() = 0;
  };

  // prepared is the window's flag that the engine holds a flight for it: the session sets
  // it when a prepare completes and clears it when it ends the flight.
  EngineSession(View& view, bool& prepared);
  ~EngineSession();  // stops the worker
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  // Starts a worker whose reports reach the window through reports, on window's thread.
  void start(QWidget* window, EngineWorkerWindow& reports);
  // Wakes the worker and joins it; jobs it has not run yet are dropped.
  void stop();
  // The worker, once started; null before.
  const EngineWorker* worker() const { return worker_.get(); }

  // Runs job on the worker, then then on the window thread unless the window has ended
  // meanwhile; busy with what until then. Without a running worker nothing runs.
  void run(std::function<void()> job, std::function<void()> then, const char* what);
  // Runs then at once when the engine is prepared, else after preparing it on the worker.
  // A then overtaken by finalize is dropped.
  void ensurePrepared(std::function<void()> then);
  // Ends the engine's flight on the worker, then runs then.
  void finalize(std::function<void()> then = {});

  // Also for a request the window waits for itself (the flight plan).
  void setBusy(bool on, const char* what = nullptr);
  // Ends every busy state at once (the window is closing).
  void clearBusy();
  bool busy() const { return busy_ > 0; }
  // The engine holds a flight for the window, or a prepare of one is under way.
  bool holdsFlight() const { return prepared_ || preparing_; }

 private:
  View& view_;
  bool& prepared_;
  QPointer<QWidget> window_;
  std::unique_ptr<EngineWorker> worker_;
  int busy_ = 0;  // engine jobs and requests under way
  bool preparing_ = false;  // a prepare job is queued or running
  int generation_ = 0;  // counts finalize requests; a prepare overtaken by one is void
  int preparingGeneration_ = 0;  // the generation the queued prepare belongs to
};

}  // namespace orvane
