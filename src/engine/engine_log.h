// EngineLog: the engine's log file, its path and the lock every line is written under.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <set>
#include <string>

namespace orvane {

// Writes one line per call, "<local time in ctime's layout>: <text>", and flushes it. Any
// thread. Its lock is a leaf: the status board writes under ORVANE::MUTEX and then here, and
// nothing else is called while it is held.
class EngineLog {
 public:
  void write(const std::string& text);
  // A pass of the engine's cycle begins. At the gate or in a steady cruise every pass says
  // the same: a line that the pass before wrote too is left out, and the next line written
  // says first how many were.
  void beginPass();
  // Beyond this many bytes the file is renamed to "<path>.1" (replacing an earlier one) and
  // begun afresh. 8 MiB by default; tests set less.
  void setSizeCap(std::uint64_t bytes);
  // The next line goes to path. A path other than the current one starts its file afresh
  // at its first line; the current one again goes on after the lines already written.
  void setPath(const std::string& path);
  std::string path() const;

 private:
  mutable std::mutex lock_;
  std::ofstream file_;               // lock_
  std::string path_ = "orvane.log";  // lock_
  bool started_ = false;             // lock_: path_ was opened in this run
  std::set<std::string> previous_;   // lock_: the texts of the pass before
  std::set<std::string> current_;    // lock_: the texts of this pass
  long leftOut_ = 0;                 // lock_: repeats not written since the last line
  std::uint64_t sizeCap_ = std::uint64_t{8} << 20;  // lock_
  std::uint64_t size_ = 0;           // lock_: bytes in the open file

  // One line to the file, opened as the first line of a run or after a failed write needs.
  void emit(const std::string& text);  // under lock_
};

}  // namespace orvane
