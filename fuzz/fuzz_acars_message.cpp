// Fuzz target: ORVANE::getACARSMessage on arbitrary texts of the ACARS status channel.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "acars/ACARS.h"
#include "engine/orvane_base.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    orvane::ORVANE::setLogFilePath("/dev/null");
    return true;
  }();
  (void)quiet;

  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string separator = " +++ ";

  orvane::ORVANE::showACARSMessage(text);
  FUZZ_CHECK(orvane::ORVANE::getStatusMessage().ACARS_message == text);
  const std::string shown = orvane::ORVANE::getACARSMessage();

  // The display text is the body of the message with its separators turned back into line
  // feeds: never longer than the message, and without a separator left in it.
  FUZZ_CHECK(shown.size() <= text.size());
  FUZZ_CHECK(shown.find(separator) == std::string::npos);
  if (text.find(separator) == std::string::npos) FUZZ_CHECK(shown.empty());

  // The way the engine builds these texts: a message whose line feeds prepare_info turned
  // into separators. Reading it does not change the channel.
  orvane::ORVANE::showACARSMessage(orvane::prepare_info(text));
  const std::string again = orvane::ORVANE::getACARSMessage();
  FUZZ_CHECK(again.find(separator) == std::string::npos);
  FUZZ_CHECK(orvane::ORVANE::getStatusMessage().ACARS_message == orvane::prepare_info(text));
  return 0;
}
