// FsuipcLink through the FSUIPC relay: the block is kept here and travels over TCP with
// each message; the relay holds the Windows block and the server's window.
// SPDX-License-Identifier: MIT
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

#include "sim/fsuipc_link.h"
#include "sim/fsuipc_relay_protocol.h"

namespace orvane {

namespace {

std::mutex relay_mutex;
std::string relay_address;  // guarded by relay_mutex; empty: no relay

using SteadyClock = std::chrono::steady_clock;

// How long finding the server through the relay may take.
constexpr std::uint32_t kFindTimeoutMs = 2000;

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t get_u32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

int ms_left(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

enum class Io { OK, TIMED_OUT, FAILED };

Io wait_ready(int fd, short events, SteadyClock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, ms_left(deadline));
    if (n > 0) return Io::OK;
    if (n == 0) return Io::TIMED_OUT;
    if (errno != EINTR) return Io::FAILED;
  }
}

// "HOST:PORT" with a numeric IPv4 host or "localhost".
bool parse_address(const std::string& text, sockaddr_in* addr) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon + 1 >= text.size()) return false;
  std::string host = text.substr(0, colon);
  if (host == "localhost") host = "127.0.0.1";
  unsigned long port = 0;
  for (std::size_t i = colon + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    port = port * 10 + static_cast<unsigned long>(c - '0');
    if (port > 65535) return false;
  }
  if (port == 0) return false;
  std::memset(addr, 0, sizeof *addr);
  addr->sin_family = AF_INET;
  addr->sin_port = htons(static_cast<std::uint16_t>(port));
  return ::inet_pton(AF_INET, host.c_str(), &addr->sin_addr) == 1;
}

// One connection to the relay: a request out, its answer in, before a deadline.
class Exchange {
 public:
  explicit Exchange(SteadyClock::time_point deadline) : deadline_(deadline) {}
  ~Exchange() {
    if (fd_ >= 0) ::close(fd_);
  }

  Io connect(const sockaddr_in& addr) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) return Io::FAILED;
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) return Io::OK;
    if (errno != EINPROGRESS) return Io::FAILED;  // refused: no relay there
    const Io r = wait_ready(fd_, POLLOUT, deadline_);
    if (r != Io::OK) return r;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return Io::FAILED;
    return Io::OK;
  }

  Io write(const std::vector<std::uint8_t>& out) {
    std::size_t sent = 0;
    while (sent < out.size()) {
      const ssize_t n = ::send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        const Io r = wait_ready(fd_, POLLOUT, deadline_);
        if (r != Io::OK) return r;
      } else {
        return Io::FAILED;
      }
    }
    return Io::OK;
  }

  Io read(std::uint8_t* in, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = ::recv(fd_, in + got, size - got, 0);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        const Io r = wait_ready(fd_, POLLIN, deadline_);
        if (r != Io::OK) return r;
      } else {
        return Io::FAILED;  // the relay went away before answering
      }
    }
    return Io::OK;
  }

 private:
  SteadyClock::time_point deadline_;
  int fd_ = -1;
};

class RelayLink final : public FsuipcLink {
 public:
  explicit RelayLink(const std::string& address) { valid_ = parse_address(address, &addr_); }
  ~RelayLink() override { release(); }

  Server find_server() override {
    if (!valid_) return Server::NONE;
    Exchange x(SteadyClock::now() + std::chrono::milliseconds(kFindTimeoutMs));
    std::vector<std::uint8_t> out;
    put_u32(out, RELAY_MAGIC);
    put_u32(out, RELAY_FIND);
    std::uint8_t in[4];
    if (x.connect(addr_) != Io::OK || x.write(out) != Io::OK || x.read(in, 4) != Io::OK) {
      return Server::NONE;
    }
    switch (get_u32(in)) {
      case RELAY_SERVER_MAIN:
        return Server::MAIN;
      case RELAY_SERVER_FALLBACK:
        return Server::FALLBACK;
      default:
        return Server::NONE;
    }
  }

  // The relay registers the message itself, inside its prefix; the number here only has
  // to be non-zero, as a registered message's is.
  std::uint32_t register_message(const char* name) override {
    return name ? fsuipc_message_id(name) : 0;
  }

  BlockResult create_block(const std::string& mapping_name, std::size_t size,
                           std::uint8_t** view) override {
    release();
    if (mapping_name.empty() || mapping_name.size() > RELAY_MAX_NAME) {
      return BlockResult::ATOM_FAILED;
    }
    if (size == 0 || size > RELAY_MAX_BLOCK) return BlockResult::MAPPING_FAILED;
    name_ = mapping_name;
    block_.assign(size, 0);
    *view = block_.data();
    return BlockResult::OK;
  }

  SendResult send(std::uint32_t, std::uint32_t timeout_ms, std::uint32_t* answer) override {
    if (!valid_ || block_.empty()) return SendResult::OS_ERROR;
    Exchange x(SteadyClock::now() + std::chrono::milliseconds(timeout_ms));
    std::vector<std::uint8_t> out;
    out.reserve(block_.size() + name_.size() + 24);
    put_u32(out, RELAY_MAGIC);
    put_u32(out, RELAY_SEND);
    put_u32(out, timeout_ms);
    put_u32(out, static_cast<std::uint32_t>(name_.size()));
    out.insert(out.end(), name_.begin(), name_.end());
    put_u32(out, static_cast<std::uint32_t>(block_.size()));
    out.insert(out.end(), block_.begin(), block_.end());
    std::uint8_t head[8];
    Io r = x.connect(addr_);
    if (r == Io::OK) r = x.write(out);
    if (r == Io::OK) r = x.read(head, sizeof head);
    if (r != Io::OK) return r == Io::TIMED_OUT ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
    switch (get_u32(head)) {
      case RELAY_ANSWERED: {
        // The answer is taken only whole: a half-copied block would be read as records.
        std::vector<std::uint8_t> back(block_.size());
        r = x.read(back.data(), back.size());
        if (r != Io::OK) return r == Io::TIMED_OUT ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
        std::memcpy(block_.data(), back.data(), back.size());
        *answer = get_u32(head + 4);
        return SendResult::ANSWERED;
      }
      case RELAY_TIMED_OUT:
        return SendResult::TIMED_OUT;
      default:
        return SendResult::OS_ERROR;
    }
  }

  void release() override {
    block_.clear();
    block_.shrink_to_fit();
    name_.clear();
  }

 private:
  sockaddr_in addr_{};
  bool valid_ = false;
  std::string name_;                 // the block's name, sent with every message
  std::vector<std::uint8_t> block_;  // the block; the client's view points into it
};

}  // namespace

void fsuipc_set_relay(const std::string& address) {
  std::lock_guard<std::mutex> g(relay_mutex);
  relay_address = address;
}

std::string fsuipc_relay() {
  std::lock_guard<std::mutex> g(relay_mutex);
  return relay_address;
}

std::unique_ptr<FsuipcLink> make_fsuipc_relay_link(const std::string& address) {
  return std::make_unique<RelayLink>(address);
}

}  // namespace orvane
