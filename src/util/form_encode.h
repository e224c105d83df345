// form_encode: one value of a posted form, encoded so that a form decoder gives it back.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// The value with "%", "&", "+", "=", carriage return, line feed and every byte outside
// printable ASCII (below 0x20 or from 0x7F on) written as "%XX" (two upper-case hex
// digits); every other byte, the blank included, stays as it is. A form decoder (PHP's,
// for one: "+" to a blank, "%XX" to its byte, "&" between fields, the first "=" between
// name and value) returns the value unchanged, and a value without those bytes is written
// byte for byte as it was.
std::string form_encode(std::string_view value);

}  // namespace orvane
