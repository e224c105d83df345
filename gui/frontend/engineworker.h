// EngineWorker: the main window's worker thread, which drives the engine cycle and reports
// each pass to the window.
// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class QObject;

namespace orvane {

// What the worker reports to the window. Each call runs on the window thread while the
// worker waits for it to return, so a message box shown inside one holds the worker.
class EngineWorkerWindow {
 public:
  virtual ~EngineWorkerWindow() = default;
  virtual void onPIREPAvailable() = 0;                        // WM_USER+1
  virtual void onPeriodicUpdate() = 0;                        // WM_USER+2
  virtual void onCycleStopped() = 0;                          // WM_USER+3
  virtual void onLiveACARSFailed(const std::string& text) = 0;  // WM_USER+4
};

class EngineWorker {
 public:
  // context lives on the window thread; calls to window are delivered through its event
  // queue and dropped once context is gone.
  EngineWorker(QObject* context, EngineWorkerWindow& window);
  ~EngineWorker();
  EngineWorker(const EngineWorker&) = delete;
  EngineWorker& operator=(const EngineWorker&) = delete;

  void start();
  // Wakes the worker and joins it. A report the window has not handled yet is abandoned.
  // Window thread.
  void stop();
  bool running() const { return thread_.joinable(); }

  // Runs job on the worker thread before its next cycle, then done on the window thread.
  // Engine operations that may wait on the simulator or the server (prepare, finalize,
  // BeginFlight) go through here, so that the window never waits for them. Window thread.
  void post(std::function<void()> job, std::function<void()> done = {});

  // Cuts the wait before the next pass short. Any thread.
  void wake();

  // Prepares a flight and cycles it once a second until its connection test is done, the
  // flight is discarded, or the worker is stopped. Worker thread (inside a job).
  void prepareEngine();

  // Where the worker waits on the clock, so that a test driving a manual clock moves it only
  // once the wait has begun (its end is then fixed). Any thread.
  enum class Waiting { No, BetweenPasses, Preparing };
  struct WaitState {
    Waiting where = Waiting::No;
    std::int64_t ms = 0;  // length of that wait, monotonic milliseconds
    long passes = 0;      // passes begun so far
  };
  WaitState waitState() const;

 private:
  // State shared with calls still queued on the window thread, which may outlive this.
  struct Shared {
    std::mutex mutex;
    std::condition_variable cv;
    bool stop = false;                            // guarded by mutex
    bool woken = false;                           // guarded by mutex
    EngineWorker::WaitState wait;                 // guarded by mutex
    std::deque<std::function<void()>> jobs;       // guarded by mutex
  };

  void run();
  void runJobs();
  // Delivers call to the window thread and waits until it has run, or until stop.
  void send(std::function<void()> call);

  QObject* context_;
  EngineWorkerWindow& window_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread thread_;
};

}  // namespace orvane
