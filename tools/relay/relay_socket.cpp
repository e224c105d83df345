// The relay's TCP sockets: Winsock on Windows, BSD sockets elsewhere.
// SPDX-License-Identifier: MIT
#include "relay/relay_socket.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <cstring>

namespace orvane::relay {

namespace {

#ifdef _WIN32
using Handle = SOCKET;
const Handle kNone = INVALID_SOCKET;
void close_handle(Handle h) { closesocket(h); }
int last_error() { return WSAGetLastError(); }
constexpr int kSendFlags = 0;
#else
using Handle = int;
const Handle kNone = -1;
void close_handle(Handle h) { ::close(h); }
int last_error() { return errno; }
constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

void set_timeouts(Handle h, int ms) {
#ifdef _WIN32
  const DWORD t = static_cast<DWORD>(ms);
  setsockopt(h, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
  setsockopt(h, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
#else
  timeval t{ms / 1000, (ms % 1000) * 1000};
  setsockopt(h, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
  setsockopt(h, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
#endif
  const int one = 1;
  setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

class SocketConnection final : public Connection {
 public:
  explicit SocketConnection(Handle h) : h_(h) {}
  ~SocketConnection() override { close_handle(h_); }

  bool read(std::uint8_t* data, std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      const int n = ::recv(h_, reinterpret_cast<char*>(data + got), static_cast<int>(size - got), 0);
      if (n <= 0) return false;  // gone, failed or timed out
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool write(const std::uint8_t* data, std::size_t size) override {
    std::size_t sent = 0;
    while (sent < size) {
      const int n = ::send(h_, reinterpret_cast<const char*>(data + sent),
                           static_cast<int>(size - sent), kSendFlags);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  Handle h_;
};

}  // namespace

struct Listener::Impl {
  Handle h = kNone;
#ifdef _WIN32
  bool started = false;
#endif
};

Listener::Listener() : impl_(std::make_unique<Impl>()) {
#ifdef _WIN32
  WSADATA data;
  impl_->started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
}

Listener::~Listener() {
  if (impl_->h != kNone) close_handle(impl_->h);
#ifdef _WIN32
  if (impl_->started) WSACleanup();
#endif
}

bool Listener::listen(std::uint16_t port) {
  impl_->h = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (impl_->h == kNone) {
    error_ = "cannot make a socket (error " + std::to_string(last_error()) + ")";
    return false;
  }
#ifndef _WIN32
  // A relay restarted at once gets its port back while the old connections wind down.
  const int one = 1;
  setsockopt(impl_->h, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
  sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // this machine only
  if (::bind(impl_->h, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(impl_->h, 16) != 0) {
    error_ = "cannot listen on 127.0.0.1:" + std::to_string(port) + " (error " +
             std::to_string(last_error()) + ")";
    return false;
  }
  return true;
}

std::unique_ptr<Connection> Listener::accept(int wait_ms, int io_timeout_ms) {
#ifdef _WIN32
  fd_set ready;
  FD_ZERO(&ready);
  FD_SET(impl_->h, &ready);
  timeval t{wait_ms / 1000, (wait_ms % 1000) * 1000};
  if (::select(0, &ready, nullptr, nullptr, &t) <= 0) return nullptr;
#else
  pollfd p{impl_->h, POLLIN, 0};
  if (::poll(&p, 1, wait_ms) <= 0) return nullptr;
#endif
  const Handle c = ::accept(impl_->h, nullptr, nullptr);
  if (c == kNone) return nullptr;
  set_timeouts(c, io_timeout_ms);
  return std::make_unique<SocketConnection>(c);
}

}  // namespace orvane::relay
