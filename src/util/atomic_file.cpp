// write_file_atomically: temporary file in the target's folder, synced, renamed over it; synced appends.
// SPDX-License-Identifier: MIT
#include "util/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX  // mingw's C++ library defines it already
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orvane {

namespace {

void fail(FileWriteError* error, bool created, const std::string& file, int code) {
  if (error == nullptr) return;
  error->created = created;
  error->reason = "[" + file + "]: " + std::strerror(code);
}

#ifdef _WIN32

// Windows has no owner-only mode bits to keep: the folder's access list decides.
bool write_file(const std::string& path, const std::string& temporary, const std::string& bytes,
                FileWriteError* error, bool& created, bool /*ownerOnly*/) {
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) {
    fail(error, false, temporary, errno);
    return false;
  }
  created = true;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ok && _commit(_fileno(f)) == 0;
  const int code = errno;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    fail(error, true, temporary, code != 0 ? code : EIO);
    return false;
  }
  // std::rename refuses an existing target on Windows.
  if (MoveFileExA(temporary.c_str(), path.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    fail(error, true, path, EACCES);
    return false;
  }
  return true;
}

bool append_file(const std::string& path, const std::string& bytes, FileWriteError* error) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (f == nullptr) {
    fail(error, false, path, errno);
    return false;
  }
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ok && _commit(_fileno(f)) == 0;
  const int code = errno;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) fail(error, true, path, code != 0 ? code : EIO);
  return ok;
}

#else

// The folder part of path ("." for a bare name).
std::string folder_of(const std::string& path) {
  const std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void sync_folder_of(const std::string& path) {
  const int dir = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
}

// Unbuffered: a short write (a full disk) shows in the write's own count.
bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0) {
      errno = ENOSPC;
      return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

bool write_file(const std::string& path, const std::string& temporary, const std::string& bytes,
                FileWriteError* error, bool& created, bool ownerOnly) {
  // The mode of the file being replaced, or owner-only for a new one (or when asked). Set
  // with fchmod, so neither the umask nor a stale temporary file left by a crash changes it.
  mode_t mode = S_IRUSR | S_IWUSR;
  struct stat existing {};
  if (!ownerOnly && ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
  }
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    fail(error, false, temporary, errno);
    return false;
  }
  created = true;
  bool ok = ::fchmod(fd, mode) == 0 && write_all(fd, bytes) && ::fsync(fd) == 0;
  const int code = errno;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    fail(error, true, temporary, code != 0 ? code : EIO);
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    fail(error, true, path, errno);
    return false;
  }
  // The rename itself reaches the disk with the folder's entry.
  sync_folder_of(path);
  return true;
}

bool append_file(const std::string& path, const std::string& bytes, FileWriteError* error) {
  struct stat existing {};
  const bool isNew = ::stat(path.c_str(), &existing) != 0;
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    fail(error, false, path, errno);
    return false;
  }
  // A new file is the owner's alone, whatever the umask.
  bool ok = (!isNew || ::fchmod(fd, S_IRUSR | S_IWUSR) == 0) && write_all(fd, bytes) &&
            ::fsync(fd) == 0;
  const int code = errno;
  ok = ::close(fd) == 0 && ok;
  if (!ok) {
    fail(error, true, path, code != 0 ? code : EIO);
    return false;
  }
  if (isNew) sync_folder_of(path);
  return true;
}

#endif

}  // namespace

bool append_file_synced(const std::string& path, const std::string& bytes,
                        FileWriteError* error) {
  return append_file(path, bytes, error);
}

bool write_file_atomically(const std::string& path, const std::string& bytes,
                           FileWriteError* error, bool ownerOnly) {
  const std::string temporary = path + ".tmp";
  bool created = false;
  if (write_file(path, temporary, bytes, error, created, ownerOnly)) return true;
  // Only what this call made goes; a folder or a file of that name made by others stays.
  if (created) std::remove(temporary.c_str());
  return false;
}

}  // namespace orvane
