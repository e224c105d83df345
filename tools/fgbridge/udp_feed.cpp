// UdpFeed: a loopback UDP socket and a bounded wait for its next datagram.
// SPDX-License-Identifier: MIT
#include "fgbridge/udp_feed.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane::fgbridge {

UdpFeed::~UdpFeed() {
  if (fd_ >= 0) ::close(fd_);
}

bool UdpFeed::open(std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    error_ = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    error_ = "cannot listen on udp 127.0.0.1:" + std::to_string(port) + ": " +
             std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool UdpFeed::receive(std::string* datagram, int timeout_ms) {
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, timeout_ms) <= 0) return false;
  char buf[65536];
  const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
  if (n < 0) return false;
  datagram->assign(buf, static_cast<std::size_t>(n));
  return true;
}

}  // namespace orvane::fgbridge
