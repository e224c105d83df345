// SingleInstance: a named mutex on Windows, a lock file in the runtime folder elsewhere.
// SPDX-License-Identifier: MIT
#include "frontend/singleinstance.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#endif

namespace orvane {

#ifdef _WIN32

namespace {
// The message a second instance broadcasts to ask the first to show its window.
UINT showMessage() {
  static const UINT id = RegisterWindowMessageA("ORVANE_SHOW_WINDOW");
  return id;
}

class ShowFilter : public QAbstractNativeEventFilter {
 public:
  explicit ShowFilter(std::function<void()> handler) : handler_(std::move(handler)) {}
  bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
    const MSG* m = static_cast<const MSG*>(message);
    if (m->message == showMessage() && handler_) handler_();
    return false;
  }

 private:
  std::function<void()> handler_;
};
}  // namespace

struct SingleInstance::Impl {
  HANDLE mutex = nullptr;
  std::unique_ptr<ShowFilter> filter;
};

SingleInstance::SingleInstance(const std::string& name, const std::string&)
    : impl_(std::make_unique<Impl>()) {
  impl_->mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  const bool existed = impl_->mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  first_ = !existed;
  if (existed) {
    CloseHandle(impl_->mutex);
    impl_->mutex = nullptr;
  }
}

SingleInstance::~SingleInstance() {
  if (impl_->filter) QCoreApplication::instance()->removeNativeEventFilter(impl_->filter.get());
  // The handle stays open for the life of the process, so later instances see it.
  if (impl_->mutex != nullptr) CloseHandle(impl_->mutex);
}

void SingleInstance::askFirstToShow() {
  // The first may take the foreground from this process, which the pilot just started.
  AllowSetForegroundWindow(ASFW_ANY);
  PostMessageA(HWND_BROADCAST, showMessage(), 0, 0);
}

void SingleInstance::onShowAsked(std::function<void()> handler) {
  if (!first_ || QCoreApplication::instance() == nullptr) return;
  impl_->filter = std::make_unique<ShowFilter>(std::move(handler));
  QCoreApplication::instance()->installNativeEventFilter(impl_->filter.get());
}

#else

struct SingleInstance::Impl {
  std::unique_ptr<QLockFile> lock;
  std::string fifo;  // where a second instance asks the first to show its window
  int readEnd = -1;
  int keepOpen = -1;  // a writer of our own, so that the read end never sees the end
  std::unique_ptr<QSocketNotifier> notifier;
};

SingleInstance::SingleInstance(const std::string& name, const std::string& folder)
    : impl_(std::make_unique<Impl>()) {
  QString dir = QString::fromStdString(folder);
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  QDir().mkpath(dir);
  impl_->lock = std::make_unique<QLockFile>(dir + "/orvane-" + QString::fromStdString(name) + ".lock");
  impl_->fifo = (dir + "/orvane-" + QString::fromStdString(name) + ".show").toStdString();
  // A lock left by a process that died is taken over; a live holder keeps it.
  impl_->lock->setStaleLockTime(0);
  first_ = impl_->lock->tryLock(0);
}

SingleInstance::~SingleInstance() {
  impl_->notifier.reset();
  if (impl_->readEnd >= 0) ::close(impl_->readEnd);
  if (impl_->keepOpen >= 0) ::close(impl_->keepOpen);
}

void SingleInstance::askFirstToShow() {
  // Without a reader the open fails (ENXIO) at once: nobody listens.
  const int fd = ::open(impl_->fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  const char request = 's';
  [[maybe_unused]] const ssize_t n = ::write(fd, &request, 1);
  ::close(fd);
}

void SingleInstance::onShowAsked(std::function<void()> handler) {
  if (!first_ || impl_->readEnd >= 0) return;
  // A file of that name left by an earlier run is replaced by a fresh pipe of our own.
  ::unlink(impl_->fifo.c_str());
  if (::mkfifo(impl_->fifo.c_str(), 0600) != 0) return;
  impl_->readEnd = ::open(impl_->fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (impl_->readEnd < 0) return;
  impl_->keepOpen = ::open(impl_->fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  impl_->notifier = std::make_unique<QSocketNotifier>(impl_->readEnd, QSocketNotifier::Read);
  const int fd = impl_->readEnd;
  QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated,
                   [fd, handler = std::move(handler)] {
                     char buffer[64];
                     bool asked = false;
                     while (::read(fd, buffer, sizeof buffer) > 0) asked = true;
                     if (asked && handler) handler();
                   });
}

#endif

}  // namespace orvane
