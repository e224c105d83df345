// Free helpers for text, numbers, Base64 and sleeping, used throughout ORVANE.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace orvane {

// Standard Base64 (RFC 4648) with "=" padding and no line breaks.
std::string base64encode(const std::string& bytes);
// Decodes up to the first "=" or non-alphabet byte; never fails.
std::string base64decode(const std::string& text);
bool is_base64(unsigned char c);

// Every blank and every "." replaced by "~".
std::string tildeize(const std::string& s);
// True if c is not one of the six whitespace characters.
bool no_space(char c);
std::string trim(const std::string& s);
bool starts_with(const std::string& s, const std::string& prefix);
bool ends_with(const std::string& s, const std::string& suffix);

// Word wrap to lines of at most width characters, keeping line feeds of the text.
// A width of 0 is treated as 1.
std::vector<std::string> maxline_string(const std::string& text, std::size_t width);

// Reads one value as formatted stream input does; 0 (or false) when nothing can be read.
// For bool the number read after any leading blanks must be 1 to give true: "1" is true,
// "0", "2", "yes" and "" are false.
template <class T>
T To_t(const std::string& s) {
  std::istringstream in(s);
  T value{};
  in >> value;
  if (in.fail()) return T{};
  return value;
}

template <>
bool To_t<bool>(const std::string& s);

// Formats as stream output does (six significant digits for floating point), right-aligned
// in a field of at least width characters padded on the left with fill.
template <class T>
std::string to_str(const T& value, int width = 1, char fill = '0') {
  std::ostringstream out;
  out << std::setw(width) << std::setfill(fill) << value;
  return out.str();
}

// floor(x + 0.5): halves round upwards (-2.5 gives -2).
double round(double x);

// Blocks for whole seconds through the process clock (see clock.h).
void sleep(int seconds);

// UTC calendar text of t with a strftime format; empty when t cannot be broken down.
std::string format_utc(std::time_t t, const char* format, std::size_t max_length);

// t broken down into UTC (utc_parts) or local (local_parts) calendar fields, thread-safe on
// every platform; false when t cannot be broken down.
bool utc_parts(std::time_t t, std::tm& parts);
bool local_parts(std::time_t t, std::tm& parts);

}  // namespace orvane
