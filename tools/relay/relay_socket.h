// The relay's TCP sockets on 127.0.0.1, over Winsock on Windows and BSD sockets elsewhere.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvane::relay {

// One accepted connection; closed when it goes.
class Connection {
 public:
  virtual ~Connection() = default;
  // Reads exactly size bytes; false when the peer goes, an error, or the time-out set at
  // accept runs out.
  virtual bool read(std::uint8_t* data, std::size_t size) = 0;
  virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

class Listener {
 public:
  Listener();
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Listens on 127.0.0.1:port; false with error() set when that fails.
  bool listen(std::uint16_t port);
  // Waits up to wait_ms for a connection; null when none came. Reads and writes on it give
  // up after io_timeout_ms without progress.
  std::unique_ptr<Connection> accept(int wait_ms, int io_timeout_ms);
  const std::string& error() const { return error_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string error_;
};

}  // namespace orvane::relay
