// FlightGearProcess: starting Xvfb and fgfs as children that die with this process.
// SPDX-License-Identifier: MIT
#include "fgpilot/flightgear_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

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

namespace {

// A child that gets SIGKILL when this process ends, with its output in log (if any).
pid_t spawn(std::vector<std::string> args, const std::string& log, int keep_fd,
            const std::vector<std::pair<std::string, std::string>>& env) {
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(127);
  const int fd = log.empty() ? ::open("/dev/null", O_WRONLY)
                             : ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd >= 0) {
    ::dup2(fd, 1);
    ::dup2(fd, 2);
  }
  for (int i = 3; i < 1024; ++i)
    if (i != keep_fd) ::close(i);
  for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

void end(pid_t pid, int grace_s) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(grace_s);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace

FlightGearProcess::FlightGearProcess(const FlightGearOptions& o) {
  const std::string fgfs = find_fgfs();
  if (fgfs.empty()) return;
  // Xvfb picks a free display and writes its number to the pipe.
  int p[2];
  if (::pipe(p) != 0) return;
  xvfb_ = spawn({"Xvfb", "-displayfd", std::to_string(p[1]), "-screen", "0", "800x600x24",
                 "-nolisten", "tcp"},
                "", p[1], {});
  ::close(p[1]);
  std::string number;
  char c = 0;
  pollfd pf{p[0], POLLIN, 0};
  while (::poll(&pf, 1, 30000) > 0 && ::read(p[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(p[0]);
  if (number.empty()) {
    kill();
    return;
  }
  display_ = ":" + number;
  std::vector<std::string> args = {fgfs};
  for (const std::string& a : fgfs_arguments(o)) args.push_back(a);
  // FG_HOME has no command-line option; without a session bus, libdbus must not abort.
  fgfs_ = spawn(args, o.log_file, -1,
                {{"DISPLAY", display_}, {"FG_HOME", o.home}, {"DBUS_FATAL_WARNINGS", "0"}});
}

FlightGearProcess::~FlightGearProcess() { kill(); }

void FlightGearProcess::kill() {
  end(fgfs_, 10);
  fgfs_ = -1;
  end(xvfb_, 5);
  xvfb_ = -1;
}

}  // namespace orvane::fgpilot
