// Checksummed records: CRC-32, the record frame, and the reader that stops at a torn record.
// SPDX-License-Identifier: MIT
#include "util/record_file.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvane {

namespace {

std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

std::string hex8(std::uint32_t v) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(v));
  return std::string(buf, 8);
}

// Reads a decimal number of at most 10 digits at text[at..], up to the character stop.
bool readNumber(std::string_view text, std::size_t& at, char stop, std::uint64_t& value) {
  value = 0;
  std::size_t digits = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 10) {
    value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
    ++at;
    ++digits;
  }
  if (digits == 0 || at >= text.size() || text[at] != stop) return false;
  ++at;
  return true;
}

}  // namespace

std::uint32_t crc32_of(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = makeTable();
  std::uint32_t c = 0xFFFFFFFFU;
  for (const char ch : bytes) {
    c = table[(c ^ static_cast<unsigned char>(ch)) & 0xFFU] ^ (c >> 8);
  }
  return c ^ 0xFFFFFFFFU;
}

std::string frame_record(std::string_view payload) {
  std::string out = "R " + std::to_string(payload.size()) + " " + hex8(crc32_of(payload)) + "\n";
  out.append(payload);
  out += "\n";
  return out;
}

RecordsRead parse_records(std::string_view bytes) {
  RecordsRead result;
  result.exists = true;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t p = at + 2;
    std::uint64_t length = 0;
    const bool head = bytes.size() - at > 2 && bytes[at] == 'R' && bytes[at + 1] == ' ' &&
                      readNumber(bytes, p, ' ', length);
    if (!head || bytes.size() - p < 9 || bytes[p + 8] != '\n' ||
        bytes.size() - (p + 9) < length + 1 || bytes[p + 9 + length] != '\n') {
      result.torn = true;
      break;
    }
    const std::string_view sum = bytes.substr(p, 8);
    const std::string_view payload = bytes.substr(p + 9, length);
    if (sum != hex8(crc32_of(payload))) {
      result.torn = true;
      break;
    }
    result.records.emplace_back(payload);
    at = p + 9 + length + 1;
  }
  return result;
}

RecordsRead read_records(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    RecordsRead none;
    if (errno != ENOENT) none.error = "[" + path + "]: " + std::strerror(errno);
    return none;
  }
  std::string bytes;
  char buf[65536];
  std::size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    RecordsRead bad;
    bad.error = "[" + path + "]: read error";
    return bad;
  }
  return parse_records(bytes);
}

}  // namespace orvane
