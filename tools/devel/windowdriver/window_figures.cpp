// orvane-windowdriver's figures: process clocks, memory and CPU time read from the kernel.
// SPDX-License-Identifier: MIT
#include "window_figures.h"

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>

#include <cstring>
#else
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#endif

namespace orvane::windowdriver {

#ifdef _WIN32

namespace {

double fileTimeSeconds(const FILETIME& t) {
  ULARGE_INTEGER v;
  v.LowPart = t.dwLowDateTime;
  v.HighPart = t.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 1e7;  // 100 ns units
}

}  // namespace

double secondsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  return fileTimeSeconds(now) - fileTimeSeconds(created);
}

long statusKiB(const char* key) {
  if (std::strcmp(key, "VmHWM:") != 0) return -1;
  PROCESS_MEMORY_COUNTERS c{};
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c)) return -1;
  return static_cast<long>(c.PeakWorkingSetSize / 1024);
}

double processCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return fileTimeSeconds(kernel) + fileTimeSeconds(user);
}

#else

namespace {

double monotonicSeconds(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace

double secondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Field 22 (starttime, clock ticks after boot) counts from after the ")" of the name.
  std::istringstream rest(all.substr(all.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22 && rest >> field; ++i) {
  }
  const double start = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
  return monotonicSeconds(CLOCK_BOOTTIME) - start;
}

long statusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  }
  return -1;
}

double processCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

#endif

}  // namespace orvane::windowdriver
