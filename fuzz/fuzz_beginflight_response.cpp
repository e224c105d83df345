// Fuzz target: ACARS::parseBeginFlightResponse on arbitrary server answers.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "acars/ACARS.h"
#include "fuzz_support.h"

namespace {

orvane::ACARS& acars() {
  // One object for the whole run, without a flight and without callbacks; it never starts
  // its threads.
  static orvane::ACARS object(orvane::FlightOptions{}, "ORVANE-fuzz", nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr);
  return object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string answer(reinterpret_cast<const char*>(data), size);
  orvane::ACARS& a = acars();
  a.clearDataID();
  const std::size_t queued = a.size();

  a.parseBeginFlightResponse(answer);

  // The data id is the second "|"-separated field: a piece of the answer without "|".
  const std::string id = a.getDataID();
  if (answer.find('|') == std::string::npos) FUZZ_CHECK(id.empty());
  FUZZ_CHECK(id.find('|') == std::string::npos);
  if (!id.empty()) FUZZ_CHECK(answer.find(id) != std::string::npos);
  // Reading an answer queues nothing.
  FUZZ_CHECK(a.size() == queued);

  // Parsing again without clearing gives the same id, or keeps the old one when the answer
  // carries none.
  a.parseBeginFlightResponse(answer);
  FUZZ_CHECK(a.getDataID() == id);
  return 0;
}
