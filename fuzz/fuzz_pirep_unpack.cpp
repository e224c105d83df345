// Fuzz target: PIREPData::unpack on arbitrary plain text.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "pirep_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  orvane::fuzz::check_load([&text](orvane::PIREPData& p) { p.unpack(text); });
  return 0;
}
