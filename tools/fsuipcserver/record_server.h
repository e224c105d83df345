// serve_records: the answer to one batch of request records, on every platform.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

#include "fsuipcserver/offset_memory.h"

namespace orvane::standin {

// Versions a stand-in answers in the open handshake.
inline constexpr std::uint32_t kGoodVersion = 0x49740000;    // accepted: >= 0x19980005
inline constexpr std::uint32_t kGoodFsVersion = 0xFADE000C;  // 0xFADE in the high half
inline constexpr std::uint32_t kBadVersion = 0x19980004;     // one below the minimum
inline constexpr std::uint32_t kBadFsVersion = 0xBEEF000C;   // wrong high half
// Id given to the record chosen by ServeSettings::unknown_id_at.
inline constexpr std::uint32_t kCorruptRecordId = 0xDEAD;

// How a batch is served; the knobs that let a stand-in act as a broken server.
struct ServeSettings {
  std::uint32_t version = kGoodVersion;        // answered for offset 0x3304 (server version)
  std::uint32_t fs_version = kGoodFsVersion;  // answered for offset 0x3308 (0xFADE + simulator)
  int unknown_id_at = -1;  // record index whose id is overwritten; -1: none
};

struct ServeOutcome {
  bool well_formed = false;  // the walk reached the end marker without a malformed record
  std::size_t records = 0;   // read and write records served
  bool lib_version_written = false;
  std::uint16_t lib_version = 0;  // the 2-byte value written to 0x330A, if any
};

// Walks the records of the block (size bytes, as mapped): fills each read record's data
// area from memory (with the two versions laid over their offsets), stores each write
// record's data into memory. Reads the block as untrusted: a record whose header or data
// would run past the block, or an unknown id, ends the walk as malformed.
ServeOutcome serve_records(std::uint8_t* block, std::size_t size, OffsetMemory& memory,
                           const ServeSettings& settings);

}  // namespace orvane::standin
