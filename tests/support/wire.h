// on_the_wire: a queued ACARS text as its POST body carries it, for tests that compare the two.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane::test {

// The queued "DATA1=...&DATA4=..." text with its line breaks percent-encoded, as a form
// carries them. The tests' texts hold no other byte that a form decoder would change.
inline std::string on_the_wire(const std::string& queued) {
  std::string out;
  out.reserve(queued.size() + queued.size() / 8);
  for (const char c : queued) {
    if (c == '\n') {
      out += "%0A";
    } else if (c == '\r') {
      out += "%0D";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace orvane::test
