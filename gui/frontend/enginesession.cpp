// EngineSession: worker jobs with their completions, the prepare, the finalize, the busy cursor.
// SPDX-License-Identifier: MIT
#include "frontend/enginesession.h"

#include <QApplication>
#include <utility>

#include "engine/orvane_base.h"

namespace orvane {

EngineSession::EngineSession(View& view, bool& prepared) : view_(view), prepared_(prepared) {}

EngineSession::~EngineSession() { stop(); }

void EngineSession::start(QWidget* window, EngineWorkerWindow& reports) {
  window_ = window;
  worker_ = std::make_unique<EngineWorker>(window, reports);
  worker_->start();
}

void EngineSession::stop() {
  if (worker_) worker_->stop();
}

void EngineSession::setBusy(bool on, const char* what) {
  if (on) {
    if (busy_++ == 0) QApplication::setOverrideCursor(Qt::BusyCursor);
    if (what != nullptr) view_.showBusy(what);
  } else if (busy_ > 0) {
    if (--busy_ == 0) {
      QApplication::restoreOverrideCursor();
      view_.showIdle();
    }
  }
}

void EngineSession::clearBusy() {
  while (busy_ > 0) setBusy(false);
}

void EngineSession::run(std::function<void()> job, std::function<void()> then, const char* what) {
  if (!worker_ || !worker_->running()) return;
  setBusy(true, what);
  const QPointer<QWidget> window = window_;
  worker_->post(std::move(job), [this, window, then = std::move(then)] {
    // The window may have ended while the job ran; then nothing is left to update.
    if (window.isNull()) return;
    setBusy(false);
    if (then) then();
  });
}

void EngineSession::ensurePrepared(std::function<void()> then) {
  if (prepared_ && !preparing_) {
    if (then) then();
    return;
  }
  if (!worker_ || !worker_->running()) return;
  const int generation = generation_;
  // A second request while a prepare of the same flight is queued only waits for that one.
  const bool first = !(preparing_ && preparingGeneration_ == generation);
  preparing_ = true;
  preparingGeneration_ = generation;
  EngineWorker* worker = worker_.get();
  run(
      [worker, first] {
        if (first) worker->prepareEngine();
      },
      [this, generation, then = std::move(then)] {
        preparing_ = false;
        // A finalize queued behind the prepare has ended that flight already.
        if (generation != generation_) return;
        prepared_ = true;
        if (then) then();
      },
      QT_TRANSLATE_NOOP("orvane::CMyDialog", "Connecting to the ACARS server ..."));
}

void EngineSession::finalize(std::function<void()> then) {
  prepared_ = false;
  ++generation_;
  // A worker held by a simulator that does not answer lets go after its current attempt.
  ORVANE::finalizeComing();
  run([] { ORVANE::finalize(); }, std::move(then), QT_TRANSLATE_NOOP("orvane::CMyDialog", "Ending the flight ..."));
}

}  // namespace orvane
