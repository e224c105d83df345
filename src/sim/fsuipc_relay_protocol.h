// The FSUIPC relay's protocol over TCP: one request and its answer per connection.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace orvane {

// Every number is a little-endian u32. A request starts with the magic and its kind.
//   FIND: nothing more. Answer: the server the relay sees (RelayServer below).
//   SEND: time-out in ms, name length (1..255), the block's name, block size
//         (1..RELAY_MAX_BLOCK), the block's bytes. Answer: a RelayStatus, the server's
//         answer, and on ANSWERED the block's bytes as the server left them.
inline constexpr std::uint32_t RELAY_MAGIC = 0x52565230;  // "0RVR" read as little-endian
inline constexpr std::uint32_t RELAY_FIND = 1;
inline constexpr std::uint32_t RELAY_SEND = 2;
inline constexpr std::uint32_t RELAY_MAX_NAME = 255;
inline constexpr std::uint32_t RELAY_MAX_BLOCK = 1u << 20;

enum RelayServer : std::uint32_t { RELAY_SERVER_NONE = 0, RELAY_SERVER_MAIN = 1, RELAY_SERVER_FALLBACK = 2 };
enum RelayStatus : std::uint32_t {
  RELAY_ANSWERED = 0,
  RELAY_TIMED_OUT = 1,
  RELAY_OS_ERROR = 2,
  RELAY_NO_BLOCK = 3,  // the relay could not make its own block (atom, mapping or view)
};

// Time the relay takes off a request's time-out for the way to it and back, so that its
// answer reaches the client before the client's own time-out.
inline constexpr std::uint32_t RELAY_MARGIN_MS = 200;

}  // namespace orvane
