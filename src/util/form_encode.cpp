// form_encode: percent-encoding of the bytes a form decoder would otherwise change.
// SPDX-License-Identifier: MIT
#include "util/form_encode.h"

namespace orvane {

namespace {

bool needs_encoding(unsigned char c) {
  return c < 0x20 || c >= 0x7F || c == '%' || c == '&' || c == '+' || c == '=';
}

}  // namespace

std::string form_encode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (needs_encoding(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace orvane
