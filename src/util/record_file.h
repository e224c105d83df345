// Checksummed records: the framing of an append-only file, and reading it back up to a torn end.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// CRC-32 (the IEEE polynomial, as zip and PNG use it) of bytes.
std::uint32_t crc32_of(std::string_view bytes);

// One record as it goes on the disk: "R <length> <crc32, 8 hex digits>\n", the payload
// (any bytes), "\n". Appended whole to a file of such records.
std::string frame_record(std::string_view payload);

// What a file of framed records holds.
struct RecordsRead {
  bool exists = false;               // the file was there and could be read
  std::vector<std::string> records;  // every whole record, in order, up to the first bad one
  // Bytes followed the last whole record that are not a record: the last append was torn
  // (cut short by a crash or a full disk) or damaged. They are ignored.
  bool torn = false;
  std::string error;  // why the file could not be read, when it was there
};

// Takes a file's bytes apart into its records.
RecordsRead parse_records(std::string_view bytes);
// Reads the file at path and takes it apart; a missing file is exists == false, no error.
RecordsRead read_records(const std::string& path);

}  // namespace orvane
