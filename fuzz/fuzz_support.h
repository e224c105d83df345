// Shared helpers of the fuzz targets: a failing check that stops the run, and a private
// scratch folder for targets that must read their input from a file.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane::fuzz {

// A broken property is a finding: print what broke and abort, so that libFuzzer keeps the
// input as a crash artifact.
[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "FUZZ CHECK FAILED %s:%d: %s\n", file, line, what);
  std::abort();
}

// Creates a folder of its own under the system's temporary folder once per process and
// removes it (with the files the target wrote into it) when the process ends.
const std::string& scratch_dir();

// Writes bytes to path, replacing the file; aborts when the file cannot be written, since a
// target that silently tests nothing would hide every fault.
void write_file(const std::string& path, const std::string& bytes);

}  // namespace orvane::fuzz

#define FUZZ_CHECK(cond)                                          \
  do {                                                            \
    if (!(cond)) ::orvane::fuzz::fail(__FILE__, __LINE__, #cond); \
  } while (0)
