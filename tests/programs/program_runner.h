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
// The text of an orvane.ini whose three addresses point at the airline server on port of
// 127.0.0.1 (user "pilot", a position report every minute, live ACARS and PIREP on); more:
// sections to add at its end.
std::string settingsFor(int port, const std::string& more = {});

// A short flight whose phases each last two of the programs' 5-second passes at speed 3: gate
// (held until tracking has begun), engine start, taxi, take-off, climb, level, descent,
// touchdown, roll-out, taxi in, engines off.
inline constexpr const char* kShortFlight =
    "key 0   engines=2 zfw=120000 fuel=9000 lat=50.048 lon=8.570 alt=364 hdg=250 on_ground=1\n"
    "key 5   n1=0 n2=0\n"
    "key 6   n1=22 n2=62\n"
    "key 35  gs=0\n"
    "key 36  gs=15\n"
    "key 65  gs=15\n"
    "key 75  gs=150 ias=160 tas=160\n"
    "key 76  on_ground=0 vs=1500 height=40 alt=404\n"
    "key 110 vs=1500 height=890 alt=1254 lon=8.47\n"
    "key 111 vs=0\n"
    "key 140 vs=0 lon=8.40\n"
    "key 141 vs=-1000\n"
    "key 175 vs=-1000 height=320 alt=684\n"
    "key 185 vs=-200 height=40 alt=404\n"
    "key 186 on_ground=1 vs=-150 height=0 alt=364 gs=130 ias=130 tas=130\n"
    "key 196 gs=60 ias=60 tas=60\n"
    "key 225 gs=15 ias=15 tas=15\n"
    "key 226 gs=0 ias=0 tas=0\n"
    "key 255 n1=22 n2=62\n"
    "key 256 n1=0 n2=0\n";

}  // namespace orvane::test
