// The working folder: its lock file (flock on POSIX, LockFileEx on Windows), the write check
// and the rename that keeps the previous run's log.
// SPDX-License-Identifier: MIT
#include "util/working_folder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX  // mingw's C++ library defines it already
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace orvane {

namespace {

const char kLockName[] = "orvane.lock";

// The folder as the pilot knows it: absolute when that can be found out.
std::string shown_folder(const std::string& folder) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(folder, ec);
  if (ec) return folder;
  std::filesystem::path normal = full.lexically_normal();  // "/a/b/." comes back as "/a/b/"
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal.string();
}

std::string lock_path(const std::string& folder) { return folder + "/" + kLockName; }

std::string taken_message(const std::string& folder, long pid) {
  std::string text = "ORVANE is already running in the folder [" + shown_folder(folder) + "]";
  if (pid > 0) text += " (process " + std::to_string(pid) + ")";
  return text +
         ". Only one ORVANE may work in a folder at a time: end the other one, or start this "
         "one in another folder.";
}

// The process number the holder wrote into the lock file; 0 when there is none.
long pid_in(const char* text, std::size_t size) {
  long pid = 0;
  for (std::size_t i = 0; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (pid > 99999999) return 0;
    pid = pid * 10 + (text[i] - '0');
  }
  return pid;
}

long own_pid() {
#ifdef _WIN32
  return static_cast<long>(_getpid());
#else
  return static_cast<long>(::getpid());
#endif
}

}  // namespace

#ifdef _WIN32

// One byte far past the end of the file is locked, so the process number at its start stays
// readable for the next ORVANE (Windows' locks keep others from reading what they cover).
constexpr DWORD kLockedByteLow = 0x7FFFFFFF;

WorkingFolderLock::WorkingFolderLock(const std::string& folder) {
  const std::string path = lock_path(folder);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    message_ = "[" + path + "]: error " + std::to_string(GetLastError());
    return;
  }
  OVERLAPPED at{};
  at.Offset = kLockedByteLow;
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
      char text[32] = {};
      DWORD got = 0;
      if (!ReadFile(h, text, sizeof text - 1, &got, nullptr)) got = 0;
      state_ = State::Taken;
      message_ = taken_message(folder, pid_in(text, got));
    } else {
      message_ = "[" + path + "]: error " + std::to_string(code);
    }
    CloseHandle(h);
    return;
  }
  const std::string pid = std::to_string(own_pid()) + "\r\n";
  DWORD written = 0;
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  WriteFile(h, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
  handle_ = reinterpret_cast<std::intptr_t>(h);
  state_ = State::Held;
}

WorkingFolderLock::~WorkingFolderLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

#else

WorkingFolderLock::WorkingFolderLock(const std::string& folder) {
  const std::string path = lock_path(folder);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    message_ = "[" + path + "]: " + std::strerror(errno);
    return;
  }
  // flock, not fcntl: a lock of this process stays when some other descriptor of the same
  // file is closed, and the system drops it when the process ends, a kill included.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    if (code == EWOULDBLOCK) {
      char text[32] = {};
      const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
      state_ = State::Taken;
      message_ = taken_message(folder, got > 0 ? pid_in(text, static_cast<std::size_t>(got)) : 0);
    } else {
      message_ = "[" + path + "]: " + std::strerror(code);
    }
    ::close(fd);
    return;
  }
  const std::string pid = std::to_string(own_pid()) + "\n";
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.data(), pid.size(), 0);
  handle_ = fd;
  state_ = State::Held;
}

WorkingFolderLock::~WorkingFolderLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

#endif

bool check_folder_writable(const std::string& folder, std::string* message) {
  const std::string probe = folder + "/.orvane-write-check-" + std::to_string(own_pid());
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  int code = errno;
  bool ok = f != nullptr;
  if (ok) {
    static const char kBytes[] = "ORVANE checks that it can write here.\n";
    ok = std::fwrite(kBytes, 1, sizeof kBytes - 1, f) == sizeof kBytes - 1;
    ok = std::fflush(f) == 0 && ok;
    if (!ok) code = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok && code == 0) code = errno;
    std::remove(probe.c_str());
  }
  if (ok) return true;
  if (message != nullptr) {
    *message = "ORVANE cannot write in its working folder [" + shown_folder(folder) +
               "]: " + std::strerror(code != 0 ? code : EIO) +
               ". The settings, the log and PIREP files cannot be kept there; start ORVANE in "
               "a folder you can write to.";
  }
  return false;
}

bool keep_previous_log(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return true;
  std::filesystem::rename(path, path + ".1", ec);
  return !ec;
}

}  // namespace orvane
