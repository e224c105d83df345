// FgTelnet: a loopback TCP connection speaking FlightGear's property protocol.
// SPDX-License-Identifier: MIT
#include "fgpilot/fg_telnet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orvane::fgpilot {

FgTelnet::~FgTelnet() { close(); }

void FgTelnet::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
}

bool FgTelnet::connect() {
  close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port_));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    close();
    return false;
  }
  int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  if (!send_line("data")) return false;
  // FlightGear has switched when it answers a question.
  std::string v;
  return get("/sim/aircraft", &v);
}

bool FgTelnet::send_line(const std::string& line) {
  const std::string all = line + "\r\n";
  std::size_t at = 0;
  while (at < all.size()) {
    const ssize_t n = ::send(fd_, all.data() + at, all.size() - at, MSG_NOSIGNAL);
    if (n <= 0) {
      close();
      return false;
    }
    at += static_cast<std::size_t>(n);
  }
  return true;
}

bool FgTelnet::read_line(std::string* line) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms_);
  for (;;) {
    const std::size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      *line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      while (!line->empty() && (line->back() == '\r' || line->back() == '\n')) line->pop_back();
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buf[4096];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) break;
    buffer_.append(buf, static_cast<std::size_t>(n));
  }
  close();
  return false;
}

bool FgTelnet::get(const std::string& property, std::string* value) {
  if (fd_ < 0) return false;
  return send_line("get " + property) && read_line(value);
}

double FgTelnet::number(const std::string& property, bool* ok) {
  std::string v;
  const bool got = get(property, &v);
  if (ok) *ok = got;
  return got ? std::strtod(v.c_str(), nullptr) : 0.0;
}

bool FgTelnet::numbers(const std::vector<std::string>& properties, std::vector<double>* values) {
  if (fd_ < 0) return false;
  std::string all;
  for (const std::string& p : properties) all += "get " + p + "\r\n";
  all.resize(all.size() - 2);
  if (!send_line(all)) return false;
  values->clear();
  for (std::size_t i = 0; i < properties.size(); ++i) {
    std::string v;
    if (!read_line(&v)) return false;
    values->push_back(v == "true" ? 1.0 : std::strtod(v.c_str(), nullptr));
  }
  return true;
}

bool FgTelnet::flag(const std::string& property) {
  std::string v;
  return get(property, &v) && (v == "true" || v == "1");
}

bool FgTelnet::set(const std::string& property, const std::string& value) {
  return fd_ >= 0 && send_line("set " + property + " " + value);
}

bool FgTelnet::set(const std::string& property, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return set(property, std::string(text));
}

}  // namespace orvane::fgpilot
