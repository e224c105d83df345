// Fuzz target: base64decode on arbitrary text, and the encode/decode round trip.
// SPDX-License-Identifier: MIT
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "util/util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const std::string decoded = orvane::base64decode(bytes);

  // Decoding stops at the first character outside the alphabet.
  std::size_t accepted = 0;
  while (accepted < bytes.size() &&
         orvane::is_base64(static_cast<unsigned char>(bytes[accepted]))) {
    ++accepted;
  }
  FUZZ_CHECK(orvane::base64decode(bytes.substr(0, accepted)) == decoded);
  // Three bytes from every four characters; a rest of n characters gives n - 1 bytes.
  FUZZ_CHECK(decoded.size() == accepted / 4 * 3 + (accepted % 4 == 0 ? 0 : accepted % 4 - 1));

  const std::string encoded = orvane::base64encode(bytes);
  FUZZ_CHECK(encoded.size() == (bytes.size() + 2) / 3 * 4);
  for (const char c : encoded) {
    FUZZ_CHECK(c == '=' || orvane::is_base64(static_cast<unsigned char>(c)));
  }
  FUZZ_CHECK(orvane::base64decode(encoded) == bytes);
  // Text that is already canonical Base64 of whole groups encodes back to itself.
  if (accepted == bytes.size() && accepted % 4 == 0) {
    FUZZ_CHECK(orvane::base64encode(decoded) == bytes);
  }
  return 0;
}
