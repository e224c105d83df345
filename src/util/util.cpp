// Free helpers for text, numbers, Base64 and sleeping.
// SPDX-License-Identifier: MIT
#include "util/util.h"

#include <cmath>
#include <cstdint>

#include "util/clock.h"

namespace orvane {

namespace {

const char kBase64Table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// 6-bit value of a Base64 alphabet character; only called for characters of the alphabet.
unsigned base64_value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A');
  if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a') + 26;
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0') + 52;
  return c == '+' ? 62 : 63;
}

bool is_whitespace(char c) { return !no_space(c); }

}  // namespace

std::string base64encode(const std::string& bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const std::uint32_t group = (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8) |
                                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 2]));
    out += kBase64Table[(group >> 18) & 0x3F];
    out += kBase64Table[(group >> 12) & 0x3F];
    out += kBase64Table[(group >> 6) & 0x3F];
    out += kBase64Table[group & 0x3F];
  }
  const std::size_t rest = n - i;
  if (rest == 1) {
    const unsigned b0 = static_cast<unsigned char>(bytes[i]);
    out += kBase64Table[b0 >> 2];
    out += kBase64Table[(b0 & 0x03) << 4];
    out += "==";
  } else if (rest == 2) {
    const unsigned b0 = static_cast<unsigned char>(bytes[i]);
    const unsigned b1 = static_cast<unsigned char>(bytes[i + 1]);
    out += kBase64Table[b0 >> 2];
    out += kBase64Table[((b0 & 0x03) << 4) | (b1 >> 4)];
    out += kBase64Table[(b1 & 0x0F) << 2];
    out += '=';
  }
  return out;
}

bool is_base64(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

std::string base64decode(const std::string& text) {
  // The data ends at the first pad sign or byte outside the alphabet (a line break, say).
  std::size_t count = 0;
  while (count < text.size() && text[count] != '=' &&
         is_base64(static_cast<unsigned char>(text[count]))) {
    ++count;
  }

  std::string out;
  out.reserve(count / 4 * 3 + 2);
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    const std::uint32_t group = (base64_value(static_cast<unsigned char>(text[i])) << 18) |
                                (base64_value(static_cast<unsigned char>(text[i + 1])) << 12) |
                                (base64_value(static_cast<unsigned char>(text[i + 2])) << 6) |
                                base64_value(static_cast<unsigned char>(text[i + 3]));
    out += static_cast<char>((group >> 16) & 0xFF);
    out += static_cast<char>((group >> 8) & 0xFF);
    out += static_cast<char>(group & 0xFF);
  }

  // One to three characters left: complete them with zero values and keep (left - 1) bytes.
  const std::size_t left = count - i;
  if (left > 0) {
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      group <<= 6;
      if (k < left) group |= base64_value(static_cast<unsigned char>(text[i + k]));
    }
    const char decoded[3] = {static_cast<char>((group >> 16) & 0xFF),
                             static_cast<char>((group >> 8) & 0xFF),
                             static_cast<char>(group & 0xFF)};
    out.append(decoded, left - 1);
  }
  return out;
}

std::string tildeize(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c == ' ' || c == '.') c = '~';
  }
  return out;
}

bool no_space(char c) {
  return !(c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r');
}

std::string trim(const std::string& s) {
  std::size_t first = 0;
  while (first < s.size() && is_whitespace(s[first])) ++first;
  if (first == s.size()) return std::string();
  std::size_t last = s.size() - 1;
  while (last > first && is_whitespace(s[last])) --last;
  return s.substr(first, last - first + 1);
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> maxline_string(const std::string& text, std::size_t width) {
  if (width == 0) width = 1;  // a line must hold at least one character, or nothing advances
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == '\n') {
      lines.push_back(text.substr(start, pos - start));
      ++pos;
      start = pos;
      continue;
    }
    ++pos;
    if (pos - start <= width) continue;

    // The line holds width + 1 characters: break at the last blank after its first
    // character, or hard after width characters.
    std::size_t brk = start + width;
    for (std::size_t i = pos - 1; i > start; --i) {
      if (is_whitespace(text[i])) {
        brk = i;
        break;
      }
    }
    lines.push_back(text.substr(start, brk - start));
    start = is_whitespace(text[brk]) ? brk + 1 : brk;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Stream rule for bool: the number read must be 0 or 1; any other text gives false.
template <>
bool To_t<bool>(const std::string& s) {
  std::istringstream in(s);
  bool value = false;
  in >> value;
  return !in.fail() && value;
}

double round(double x) { return std::floor(x + 0.5); }

void sleep(int seconds) {
  if (seconds <= 0) return;
  orvane::clock().sleep_ms(static_cast<std::int64_t>(seconds) * 1000);
}

bool utc_parts(std::time_t t, std::tm& parts) {
#ifdef _WIN32
  return gmtime_s(&parts, &t) == 0;
#else
  return gmtime_r(&t, &parts) != nullptr;
#endif
}

bool local_parts(std::time_t t, std::tm& parts) {
#ifdef _WIN32
  return localtime_s(&parts, &t) == 0;
#else
  return localtime_r(&t, &parts) != nullptr;
#endif
}

std::string format_utc(std::time_t t, const char* format, std::size_t max_length) {
  std::tm parts{};
  if (format == nullptr || max_length == 0 || !utc_parts(t, parts)) return std::string();
  std::string buffer(max_length, '\0');
  const std::size_t n = std::strftime(buffer.data(), buffer.size(), format, &parts);
  buffer.resize(n);
  return buffer;
}

}  // namespace orvane
