// SingleInstance: a named mutex on Windows, a lock file in the runtime folder elsewhere.
// SPDX-License-Identifier: MIT
#include "frontend/singleinstance.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#endif

namespace orvane {

#ifdef _WIN32

struct SingleInstance::Impl {
  HANDLE mutex = nullptr;
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
  // The handle stays open for the life of the process, so later instances see it.
  if (impl_->mutex != nullptr) CloseHandle(impl_->mutex);
}

#else

struct SingleInstance::Impl {
  std::unique_ptr<QLockFile> lock;
};

SingleInstance::SingleInstance(const std::string& name, const std::string& folder)
    : impl_(std::make_unique<Impl>()) {
  QString dir = QString::fromStdString(folder);
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  QDir().mkpath(dir);
  impl_->lock = std::make_unique<QLockFile>(dir + "/orvane-" + QString::fromStdString(name) + ".lock");
  // A lock left by a process that died is taken over; a live holder keeps it.
  impl_->lock->setStaleLockTime(0);
  first_ = impl_->lock->tryLock(0);
}

SingleInstance::~SingleInstance() = default;

#endif

}  // namespace orvane
