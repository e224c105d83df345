// A small check harness for the Windows test programs, which have no GoogleTest: counts
// the checks, prints each failure with its values, ends with "N passed, N failed".
// SPDX-License-Identifier: MIT
#pragma once

#include <sstream>
#include <string>

namespace orvane::wintest {

// Records one check; prints the failure with where it is and what was seen.
void record(bool ok, const char* what, const char* file, int line, const std::string& seen);
// Starts a named group of checks (printed, so a failure shows where it belongs).
void group(const char* name);
// Prints the summary line; the exit code: 0 when every check passed and there was one.
int finish();

template <class A, class B>
void record_eq(const A& a, const B& b, const char* what, const char* file, int line) {
  const bool ok = a == b;
  std::ostringstream seen;
  if (!ok) seen << "got [" << a << "], expected [" << b << "]";
  record(ok, what, file, line, seen.str());
}

}  // namespace orvane::wintest

#define CHECK(cond) ::orvane::wintest::record(static_cast<bool>(cond), #cond, __FILE__, __LINE__, "")
#define CHECK_EQ(a, b) ::orvane::wintest::record_eq((a), (b), #a " == " #b, __FILE__, __LINE__)
