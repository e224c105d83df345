// Fuzz target: ORVANE::fillinFlightData on arbitrary flight-information answers.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/orvane_base.h"
#include "fuzz_support.h"
#include "util/util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    orvane::ORVANE::setLogFilePath("/dev/null");
    return true;
  }();
  (void)quiet;

  const std::string text(reinterpret_cast<const char*>(data), size);
  const orvane::SFlightData d = orvane::ORVANE::fillinFlightData(text);

  const std::string* fields[] = {&d.sDeparture, &d.sArrival,    &d.sAlternate,
                                 &d.sRoute,     &d.sPassengers, &d.sCargo,
                                 &d.sRules,     &d.sAircraft,   &d.sAltitude};
  const std::string* untouched[] = {&d.sCallsign, &d.sAirline};
  for (const std::string* f : untouched) FUZZ_CHECK(f->empty());

  if (orvane::starts_with(text, "ERROR")) {
    for (const std::string* f : fields) FUZZ_CHECK(f->empty());
    return 0;
  }
  // Every field is one line of the answer after the first, in order; an answer of one line
  // fills nothing.
  if (text.find('\n') == std::string::npos) {
    for (const std::string* f : fields) FUZZ_CHECK(f->empty());
  }
  std::size_t from = 0;
  for (const std::string* f : fields) {
    FUZZ_CHECK(f->find('\n') == std::string::npos);
    if (f == &d.sCargo) continue;
    if (f->empty()) continue;
    const std::size_t at = text.find(*f, from);
    FUZZ_CHECK(at != std::string::npos);
    from = at + f->size();
  }
  // The cargo line is read as a number and kept as its plain decimal form.
  if (!d.sCargo.empty()) {
    FUZZ_CHECK(orvane::to_str(orvane::To_t<int>(d.sCargo)) == d.sCargo);
  }
  return 0;
}
