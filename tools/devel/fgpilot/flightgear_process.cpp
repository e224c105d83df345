// FlightGearProcess: starting fgfs under xvfb-run, and ending its whole process group.
// SPDX-License-Identifier: MIT
#include "fgpilot/flightgear_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace orvane::fgpilot {

std::string find_fgfs() {
  if (const char* env = std::getenv("ORVANE_FGFS"); env && *env)
    return ::access(env, X_OK) == 0 ? env : "";
  for (const char* p : {"/usr/games/fgfs", "/usr/bin/fgfs", "/usr/local/bin/fgfs"})
    if (::access(p, X_OK) == 0) return p;
  return "";
}

std::vector<std::string> fgfs_arguments(const FlightGearOptions& o) {
  std::vector<std::string> a = {
      "--aircraft=" + o.aircraft, "--airport=" + o.airport, "--disable-sound",
      "--disable-splash-screen", o.draw_nothing ? "--geometry=320x240" : "--geometry=640x480",
      "--timeofday=noon", "--disable-clouds",
      "--disable-random-objects", "--fog-fastest", "--disable-ai-traffic",
      "--disable-real-weather-fetch", "--disable-terrasync", "--disable-hud",
      "--prop:/sim/rendering/shaders/quality-level=0", "--prop:/sim/frame-rate-throttle-hz=15",
      "--telnet=socket,bi,10,127.0.0.1," + std::to_string(o.telnet_port) + ",tcp"};
  if (!o.runway.empty()) a.push_back("--runway=" + o.runway);
  if (o.null_fdm) a.push_back("--fdm=null");
  if (o.draw_nothing) {
    for (const char* layer : {"terrain", "models", "aircraft", "clouds"})
      a.push_back(std::string("--prop:/sim/rendering/draw-mask/") + layer + "=false");
  }
  if (o.generic_port > 0) {
    a.push_back("--data=" + o.data_dir);
    a.push_back("--generic=socket,out,10,127.0.0.1," + std::to_string(o.generic_port) +
                ",udp,orvane");
  }
  a.insert(a.end(), o.extra.begin(), o.extra.end());
  return a;
}

FlightGearProcess::FlightGearProcess(const FlightGearOptions& o) {
  const std::string fgfs = find_fgfs();
  if (fgfs.empty()) return;
  std::vector<std::string> args = {"xvfb-run", "-a", "-s", "-screen 0 800x600x24 -nolisten tcp",
                                   fgfs};
  for (const std::string& a : fgfs_arguments(o)) args.push_back(a);
  const pid_t pid = ::fork();
  if (pid < 0) return;
  if (pid == 0) {
    ::setsid();
    const int fd = ::open(o.log_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    // FG_HOME has no command-line option; without a session bus, libdbus must not abort.
    ::setenv("FG_HOME", o.home.c_str(), 1);
    ::setenv("DBUS_FATAL_WARNINGS", "0", 1);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execvp("xvfb-run", argv.data());
    ::_exit(127);
  }
  pgid_ = pid;
}

FlightGearProcess::~FlightGearProcess() { kill(); }

bool FlightGearProcess::running() {
  if (pgid_ <= 0) return false;
  int status = 0;
  if (::waitpid(pgid_, &status, WNOHANG) == pgid_) {
    ::kill(-pgid_, SIGKILL);  // what xvfb-run left behind
    pgid_ = -1;
    return false;
  }
  return true;
}

void FlightGearProcess::kill() {
  if (pgid_ <= 0) return;
  ::kill(-pgid_, SIGTERM);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (::waitpid(pgid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(-pgid_, SIGKILL);
      ::waitpid(pgid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ::kill(-pgid_, SIGKILL);  // fgfs and Xvfb, whatever is left of the group
  pgid_ = -1;
}

}  // namespace orvane::fgpilot
