// Whole-program test helpers: starting the shipped programs, waiting on their output, signals.
// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orvane::test {

// One started program; killed (SIGKILL) and reaped when it goes out of scope.
class Program {
 public:
  // Starts path with args in folder cwd; standard output and error go to outFile. env:
  // "NAME=value" entries set on top of this process's environment.
  Program(const std::string& path, const std::vector<std::string>& args, const std::string& cwd,
          const std::string& outFile, const std::vector<std::string>& env = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t pid() const { return pid_; }
  void signal(int sig) const;
  // Waits up to seconds for the program to end; its exit status, or -1 when it did not end
  // (or ended by a signal).
  int wait(int seconds);
  bool running() const { return pid_ > 0 && !ended_; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
};

// Polls file every 100 ms until it holds text (at least times times); false after seconds.
bool waitForText(const std::string& file, const std::string& text, int seconds, int times = 1);
// How often text occurs in file.
int countText(const std::string& file, const std::string& text);
// A TCP port on 127.0.0.1 that was free a moment ago.
int freePort();

}  // namespace orvane::test
