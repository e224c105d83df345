// Whole-program test helpers: posix_spawn with redirected output, polling files, a free port.
// SPDX-License-Identifier: MIT
#include "programs/program_runner.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace orvane::test {

Program::Program(const std::string& path, const std::vector<std::string>& args,
                 const std::string& cwd, const std::string& outFile,
                 const std::vector<std::string>& env) {
  std::vector<std::string> vars = env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string var = *e;
    const std::string name = var.substr(0, var.find('='));
    bool replaced = false;
    for (const std::string& v : env) replaced = replaced || v.rfind(name + "=", 0) == 0;
    if (!replaced) vars.push_back(var);
  }
  std::vector<char*> envp;
  for (std::string& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);
  std::vector<std::string> all{path};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  if (posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

Program::~Program() {
  if (running()) {
    ::kill(pid_, SIGKILL);
    wait(10);
  }
}

void Program::signal(int sig) const {
  if (running()) ::kill(pid_, sig);
}

int Program::wait(int seconds) {
  if (pid_ <= 0 || ended_) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      ended_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return -1;
}

int countText(const std::string& file, const std::string& text);

bool waitForText(const std::string& file, const std::string& text, int seconds, int times) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (countText(file, text) >= times) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

int countText(const std::string& file, const std::string& text) {
  const std::string all = read_file(file);
  int n = 0;
  for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++n;
  return n;
}

int freePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(s);
  return ntohs(a.sin_port);
}

std::string settingsFor(int port, const std::string& more) {
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  return "[Server]\nAddress = " + base + "/liveacars.php\nPIREP = " + base +
         "/pirep.php\nFlightInfo = " + base +
         "/flightinfo.php\nUser = pilot\nPassword = secret\n\n[ACARS]\nPOSReportTime = 1\n"
         "EnableLiveACARS = 1\nEnablePIREP = 1\n" + more;
}

}  // namespace orvane::test
