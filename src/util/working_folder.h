// The working folder's claim (one ORVANE per folder), its write check, and the kept log.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The lock file "orvane.lock" in a working folder, held for the life of this object: a
// second ORVANE (window or orvane-cli) in the same folder finds it taken and must end before
// it touches anything there (orvane.log above all). The system releases the lock when the
// holder ends in any way, a kill included; the file itself stays. POSIX: flock on the file;
// Windows: LockFileEx. Taking it never blocks.
class WorkingFolderLock {
 public:
  enum class State {
    Held,     // this process holds the folder
    Taken,    // another process holds it
    Failed,   // the lock file could not be made or locked (see message())
  };

  explicit WorkingFolderLock(const std::string& folder = ".");
  ~WorkingFolderLock();
  WorkingFolderLock(const WorkingFolderLock&) = delete;
  WorkingFolderLock& operator=(const WorkingFolderLock&) = delete;

  State state() const { return state_; }
  bool held() const { return state_ == State::Held; }
  bool taken() const { return state_ == State::Taken; }
  // For Taken, the sentence to show the pilot ("ORVANE is already running in the folder
  // [...] (process 1234). ..."); for Failed, the system's reason; empty for Held.
  const std::string& message() const { return message_; }

 private:
  State state_ = State::Failed;
  std::string message_;
  std::intptr_t handle_ = -1;  // POSIX: the lock file's descriptor; Windows: its HANDLE
};

// Tries to create, write, sync and remove a small file in folder. True when all of it
// worked; otherwise false with the sentence to show the pilot in *message.
bool check_folder_writable(const std::string& folder, std::string* message);

// Keeps the log of the previous run: a regular file at path is renamed to "<path>.1",
// replacing an earlier one. Only the holder of the folder's lock may call it. False when a
// file was there and could not be renamed.
bool keep_previous_log(const std::string& path);

}  // namespace orvane
