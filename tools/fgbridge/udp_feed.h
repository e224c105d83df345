// UdpFeed: the datagrams FlightGear's generic protocol sends to a port on 127.0.0.1.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace orvane::fgbridge {

// A UDP socket bound to 127.0.0.1:port. Each datagram is one line of the feed.
class UdpFeed {
 public:
  UdpFeed() = default;
  ~UdpFeed();
  UdpFeed(const UdpFeed&) = delete;
  UdpFeed& operator=(const UdpFeed&) = delete;

  // Binds; false with error() set when the port is taken or the socket fails.
  bool open(std::uint16_t port);
  // Waits up to timeout_ms for a datagram; false when none came (or the wait was
  // interrupted by a signal).
  bool receive(std::string* datagram, int timeout_ms);
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace orvane::fgbridge
