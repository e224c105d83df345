// Fuzz target: PIREPData::unpack_crypt on arbitrary file bytes.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "pirep_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  orvane::fuzz::check_load([&bytes](orvane::PIREPData& p) { p.unpack_crypt(bytes); });
  return 0;
}
