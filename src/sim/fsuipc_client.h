// FSUIPC client: the process-wide link to the simulator's interface module, its request
// queue and its result codes.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// Result codes stored through the last argument of every FSUIPC_ call; fsuipc_error gives
// the text of each.
enum FsuipcResult : std::uint32_t {
  FSUIPC_OK = 0,
  FSUIPC_ERR_ALREADY_OPEN = 1,
  FSUIPC_ERR_NO_SERVER = 2,
  FSUIPC_ERR_REGISTER_MSG = 3,
  FSUIPC_ERR_ATOM = 4,
  FSUIPC_ERR_MAPPING = 5,
  FSUIPC_ERR_VIEW = 6,
  FSUIPC_ERR_VERSION = 7,
  FSUIPC_ERR_WRONG_SIM = 8,
  FSUIPC_ERR_NOT_OPEN = 9,
  FSUIPC_ERR_NO_REQUESTS = 10,
  FSUIPC_ERR_TIMEOUT = 11,
  FSUIPC_ERR_SEND_FAILED = 12,
  FSUIPC_ERR_BAD_DATA = 13,
  FSUIPC_ERR_NO_SIM_ON_SERVER = 14,
  FSUIPC_ERR_QUEUE_FULL = 15,
};

// Geometry of the shared block, in bytes.
inline constexpr std::uint32_t FSUIPC_BLOCK_SIZE = 32768;    // size of the shared block
inline constexpr std::uint32_t FSUIPC_BLOCK_USABLE = 32512;  // room for records + end marker
inline constexpr std::uint32_t FSUIPC_READ_HEADER = 16;      // id, offset, size, destination
inline constexpr std::uint32_t FSUIPC_WRITE_HEADER = 12;     // id, offset, size
inline constexpr std::uint32_t FSUIPC_RECORD_READ = 1;
inline constexpr std::uint32_t FSUIPC_RECORD_WRITE = 2;

// Offsets of the open handshake.
inline constexpr std::uint32_t FSUIPC_OFFSET_VERSION = 0x3304;      // 4 bytes, server version
inline constexpr std::uint32_t FSUIPC_OFFSET_FS_VERSION = 0x3308;   // 4 bytes, 0xFADE + sim
inline constexpr std::uint32_t FSUIPC_OFFSET_LIB_VERSION = 0x330A;  // 2 bytes, written by us
inline constexpr std::uint32_t FSUIPC_MIN_VERSION = 0x19980005;
inline constexpr std::uint32_t FSUIPC_FS_SIGNATURE = 0xFADE0000;

// Client library version announced to the server during open.
inline constexpr std::uint16_t FSUIPC_Lib_Version = 1004;

// Server version and simulator version read during open; after a successful open only the
// low 16 bits of FSUIPC_FS_Version (the simulator's version number) remain. Both are 0 at
// the start of every open.
extern std::uint32_t FSUIPC_Version;
extern std::uint32_t FSUIPC_FS_Version;

// The link. One link per process, unguarded: one thread at a time. Every call returns
// success and stores a result code through its last argument (0 on success).
//
// requested: simulator version wanted, 0 for any.
bool FSUIPC_Open(std::uint32_t requested, std::uint32_t* result);
// Queues a read; dest receives size bytes after the next successful FSUIPC_Process. dest
// must stay valid until then. A null dest or size 0 is sent but nothing is copied back.
bool FSUIPC_Read(std::uint32_t offset, std::uint32_t size, void* dest, std::uint32_t* result);
// Queues a write of size bytes copied from src now.
bool FSUIPC_Write(std::uint32_t offset, std::uint32_t size, const void* src, std::uint32_t* result);
// Sends every queued request and waits for the answer; the queue is consumed either way.
bool FSUIPC_Process(std::uint32_t* result);
// Closes the link; safe at any time and repeatedly.
void FSUIPC_Close();

// Text of a result code; codes outside 0..15 give "Unknown FSUIPC error code".
const char* fsuipc_error(std::uint32_t code);

// Time-out of one send attempt in milliseconds; 2000 unless a test shortened it.
void fsuipc_set_send_timeout_ms(std::uint32_t ms);
std::uint32_t fsuipc_send_timeout_ms();

// Any thread. While set, an exchange that goes unanswered gives up after the attempt in
// progress instead of making all nine: the flight is being ended and nobody waits for its
// values. A server that answers is not affected.
void fsuipc_set_give_up(bool on);

// Number of open attempts over the process lifetime (part of the mapping name).
std::uint32_t fsuipc_try_count();
// Mapping name of the open link ("FsasmLib:IPC:<pid>:<try>" in hexadecimal), empty when
// closed.
std::string fsuipc_mapping_name();
// True while the link is open.
bool fsuipc_is_open();
// Bytes of request records queued since the last process.
std::size_t fsuipc_queued_bytes();

namespace detail {

// Where the answer of one queued read goes. A read record's destination field holds the
// index of its entry plus one (0: nothing to copy back).
struct Destination {
  void* ptr = nullptr;
  std::uint32_t size = 0;  // bytes the caller queued
};

// Copies the answers in block back to their destinations. queued_bytes is what the client
// queued (the end marker lies at that position); the walk never looks at or past it.
// Reads the block as untrusted: a record whose header or data would run past queued_bytes
// ends the walk, a destination token outside the table is ignored, at most the queued
// size is copied to each destination, and an unknown record id is overwritten with 0 and
// ends the walk. Returns the number of read and write records walked over.
std::size_t fsuipc_copy_back(std::uint8_t* block, std::size_t queued_bytes,
                             const std::vector<Destination>& destinations);

}  // namespace detail

}  // namespace orvane
