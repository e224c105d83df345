// serve_records: the bounds-checked walk over a batch, shared by every link server.
// SPDX-License-Identifier: MIT
#include "fsuipcserver/record_server.h"

#include "sim/fsuipc_client.h"

namespace orvane::standin {

namespace {

std::uint32_t get_u32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

void put_u32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Replaces the bytes of [offset, offset + size) that lie in [at, at + 4) with value.
void overlay(std::uint8_t* data, std::uint32_t offset, std::uint32_t size, std::uint32_t at,
             std::uint32_t value) {
  for (std::uint32_t i = 0; i < 4; ++i) {
    const std::uint64_t pos = std::uint64_t{at} + i;
    if (pos >= offset && pos < std::uint64_t{offset} + size) {
      data[pos - offset] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  }
}

}  // namespace

ServeOutcome serve_records(std::uint8_t* block, std::size_t size, OffsetMemory& memory,
                           const ServeSettings& settings) {
  ServeOutcome out;
  std::size_t at = 0;
  for (int index = 0;; ++index) {
    if (size - at < 4) return out;
    const std::uint32_t id = get_u32(block + at);
    if (id == 0) {
      out.well_formed = true;
      return out;
    }
    const std::size_t left = size - at;
    const std::uint32_t header =
        id == FSUIPC_RECORD_READ ? FSUIPC_READ_HEADER : FSUIPC_WRITE_HEADER;
    if ((id != FSUIPC_RECORD_READ && id != FSUIPC_RECORD_WRITE) || left < header) return out;
    const std::uint32_t offset = get_u32(block + at + 4);
    const std::uint32_t length = get_u32(block + at + 8);
    if (length > left - header) return out;
    std::uint8_t* data = block + at + header;
    if (id == FSUIPC_RECORD_READ) {
      memory.read(offset, data, length);
      overlay(data, offset, length, FSUIPC_OFFSET_VERSION, settings.version);
      overlay(data, offset, length, FSUIPC_OFFSET_FS_VERSION, settings.fs_version);
    } else {
      memory.write(offset, data, length);
      if (offset == FSUIPC_OFFSET_LIB_VERSION && length == 2) {
        out.lib_version_written = true;
        out.lib_version = static_cast<std::uint16_t>(data[0] | data[1] << 8);
      }
    }
    if (index == settings.unknown_id_at) put_u32(block + at, kCorruptRecordId);
    ++out.records;
    at += header + length;
  }
}

}  // namespace orvane::standin
