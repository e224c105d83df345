// EngineWorker: the worker loop, its jobs and its synchronous reports to the window.
// SPDX-License-Identifier: MIT
#include "frontend/engineworker.h"

#include <QMetaObject>
#include <QObject>

#include "engine/orvane_base.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane {

EngineWorker::EngineWorker(QObject* context, EngineWorkerWindow& window)
    : context_(context), window_(window) {}

EngineWorker::~EngineWorker() { stop(); }

void EngineWorker::start() {
  if (thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> g(shared_->mutex);
    shared_->stop = false;
  }
  thread_ = std::thread(&EngineWorker::run, this);
}

void EngineWorker::stop() {
  {
    std::lock_guard<std::mutex> g(shared_->mutex);
    shared_->stop = true;
  }
  shared_->cv.notify_all();
  if (thread_.joinable()) thread_.join();
}

void EngineWorker::wake() {
  {
    std::lock_guard<std::mutex> g(shared_->mutex);
    shared_->woken = true;
  }
  shared_->cv.notify_all();
}

void EngineWorker::post(std::function<void()> job, std::function<void()> done) {
  {
    std::lock_guard<std::mutex> g(shared_->mutex);
    shared_->jobs.push_back([this, job = std::move(job), done = std::move(done)] {
      job();
      if (done) QMetaObject::invokeMethod(context_, done, Qt::QueuedConnection);
    });
    shared_->woken = true;
  }
  shared_->cv.notify_all();
}

void EngineWorker::prepareEngine() {
  ORVANE::prepareFlight();
  for (;;) {
    if (!ORVANE::cycleOnce()) return;
    if (ORVANE::getState() > FlightState::TESTING) return;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->wait = WaitState{Waiting::Preparing, 1000, shared_->wait.passes};
    const bool stopped = clock().wait_for(shared_->cv, lock, 1000, [this] { return shared_->stop; });
    shared_->wait.where = Waiting::No;
    if (stopped) return;
  }
}

EngineWorker::WaitState EngineWorker::waitState() const {
  std::lock_guard<std::mutex> g(shared_->mutex);
  return shared_->wait;
}

void EngineWorker::runJobs() {
  for (;;) {
    std::function<void()> job;
    {
      std::lock_guard<std::mutex> g(shared_->mutex);
      if (shared_->jobs.empty() || shared_->stop) return;
      job = std::move(shared_->jobs.front());
      shared_->jobs.pop_front();
    }
    job();
  }
}

void EngineWorker::send(std::function<void()> call) {
  struct Reply {
    bool finished = false;   // guarded by Shared::mutex
    bool abandoned = false;  // guarded by Shared::mutex
  };
  const std::shared_ptr<Shared> shared = shared_;
  const auto reply = std::make_shared<Reply>();
  QMetaObject::invokeMethod(
      context_,
      [shared, reply, call = std::move(call)] {
        {
          std::lock_guard<std::mutex> g(shared->mutex);
          if (reply->abandoned) return;
        }
        call();
        {
          std::lock_guard<std::mutex> g(shared->mutex);
          reply->finished = true;
        }
        shared->cv.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(shared->mutex);
  shared->cv.wait(lock, [&] { return reply->finished || shared->stop; });
  if (!reply->finished) reply->abandoned = true;
}

void EngineWorker::run() {
  bool cycleRunning = false;
  for (;;) {
    runJobs();
    {
      std::lock_guard<std::mutex> g(shared_->mutex);
      if (shared_->stop) return;
      shared_->woken = false;
      ++shared_->wait.passes;
    }
    // Told apart from a slow pass or a box left open by the monotonic clock.
    ORVANE::checkClockJump();
    if (ORVANE::cycleOnce()) {
      cycleRunning = true;
    } else if (cycleRunning) {
      send([this] { window_.onCycleStopped(); });
      cycleRunning = false;
    }
    if (ORVANE::getState() <= FlightState::INIT) {
      const std::string failed = ORVANE::getConnectFailed();
      if (!failed.empty()) send([this, failed] { window_.onLiveACARSFailed(failed); });
    }
    if (ORVANE::PIREPDataAvailable()) {
      send([this] { window_.onPIREPAvailable(); });
    } else {
      send([this] { window_.onPeriodicUpdate(); });
    }
    const std::int64_t interval_ms = static_cast<std::int64_t>(ORVANE::getLoopInterval()) * 1000;
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->wait = WaitState{Waiting::BetweenPasses, interval_ms, shared_->wait.passes};
    // A job posted after runJobs looked is waiting too, even if its wake-up was cleared.
    clock().wait_for(shared_->cv, lock, interval_ms, [this] {
      return shared_->stop || shared_->woken || !shared_->jobs.empty();
    });
    shared_->wait.where = Waiting::No;
  }
}

}  // namespace orvane
