// EngineLog: the engine's log file, its path and the lock every line is written under.
#pragma once

#include <fstream>
#include <mutex>
#include <string>

namespace orvane {

// Writes one line per call, "<local time in ctime's layout>: <text>", and flushes it. Any
// thread. Its lock is a leaf: the status board writes under ORVANE::MUTEX and then here, and
// nothing else is called while it is held.
class EngineLog {
 public:
  void write(const std::string& text);
  // The next line goes to path. A path other than the current one starts its file afresh
  // at its first line; the current one again goes on after the lines already written.
  void setPath(const std::string& path);
  std::string path() const;

 private:
  mutable std::mutex lock_;
  std::ofstream file_;               // lock_
  std::string path_ = "orvane.log";  // lock_
  bool started_ = false;             // lock_: path_ was opened in this run
};

}  // namespace orvane
