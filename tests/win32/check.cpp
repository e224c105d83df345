// The check harness's counters and output.
// SPDX-License-Identifier: MIT
#include "win32/check.h"

#include <cstdio>

namespace orvane::wintest {

namespace {
int passed = 0;
int failed = 0;
const char* current = "";
}  // namespace

void record(bool ok, const char* what, const char* file, int line, const std::string& seen) {
  if (ok) {
    ++passed;
    return;
  }
  ++failed;
  std::printf("FAILED in %s: %s (%s:%d) %s\n", current, what, file, line, seen.c_str());
  std::fflush(stdout);
}

void group(const char* name) {
  current = name;
  std::printf("-- %s\n", name);
  std::fflush(stdout);
}

int finish() {
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace orvane::wintest
