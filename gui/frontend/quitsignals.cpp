// QuitSignals: a self-pipe written by the signal handler, read by a socket notifier.
// SPDX-License-Identifier: MIT
#include "frontend/quitsignals.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <atomic>

#include "framework/dialog.h"

#ifndef _WIN32
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace orvane {

#ifndef _WIN32

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe of the QuitSignals that lives; -1 when none. Set and cleared on
// the window thread around the handlers' installation; read by the handlers, which may run
// on any thread: atomic, and lock-free so that a handler may read it.
std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void onQuitSignal(int sig) {
  const int saved = errno;  // the interrupted code may be looking at it
  const int fd = writeEnd.load();
  if (fd >= 0) {
    const char byte = static_cast<char>(sig);
    (void)!::write(fd, &byte, 1);  // a full pipe already holds a wake-up
  }
  errno = saved;
}

}  // namespace

struct QuitSignals::Impl {
  int pipe[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier;
  struct sigaction earlier[3] = {};
  bool installed = false;
};

QuitSignals::QuitSignals(CDialog& window) : impl_(std::make_unique<Impl>()), window_(window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, impl_->pipe) != 0) {
    return;
  }
  impl_->notifier =
      std::make_unique<QSocketNotifier>(impl_->pipe[0], QSocketNotifier::Read);
  connect(impl_->notifier.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(impl_->pipe[0], bytes, sizeof bytes) > 0) {
    }
    onSignal();
  });
  writeEnd = impl_->pipe[1];
  struct sigaction action {};
  action.sa_handler = &onQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &impl_->earlier[i]);
  impl_->installed = true;
}

QuitSignals::~QuitSignals() {
  if (impl_->installed) {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &impl_->earlier[i], nullptr);
  }
  writeEnd = -1;
  impl_->notifier.reset();
  for (const int fd : impl_->pipe) {
    if (fd >= 0) ::close(fd);
  }
}

#else

struct QuitSignals::Impl {};

QuitSignals::QuitSignals(CDialog& window) : impl_(std::make_unique<Impl>()), window_(window) {}

QuitSignals::~QuitSignals() = default;

#endif

void QuitSignals::onSignal() {
  // Once: a second signal while the window closes (a box about a failed save may be up)
  // changes nothing.
  if (closing_) return;
  closing_ = true;
  QWidget* main = window_.GetHwnd();
  if (main == nullptr) return;
  // The dialogs and boxes open above the window (the PIREP review, a question) end first,
  // unanswered, while they are still the modal ones; their loops return once this does.
  for (int i = 0; i < 16; ++i) {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (d == nullptr || d == main) break;
    d->done(QDialog::Rejected);
  }
  // Then the window ends without a question: the unsaved PIREP is written, the engine stops.
  window_.OnEndSession();
}

}  // namespace orvane
