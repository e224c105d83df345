// RelayService: answers the relay protocol's requests through a local FSUIPC link.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "relay/relay_socket.h"
#include "sim/fsuipc_link.h"

namespace orvane::relay {

// One thread (the relay's loop) serves every request, one connection at a time, as FSUIPC
// itself takes one message at a time.
class RelayService {
 public:
  explicit RelayService(std::unique_ptr<FsuipcLink> link);

  // Reads one request from c and answers it; false when the request was malformed.
  bool serve(Connection& c);
  // Told each change worth a line: a new client block, the server lost or found.
  void set_report(std::function<void(const std::string&)> report) { report_ = std::move(report); }

 private:
  bool serve_send(Connection& c);
  // Makes the local block for name and size when it is not the one in use; false with
  // the status to answer.
  bool ready_block(const std::string& name, std::uint32_t size, std::uint32_t* status);
  void drop_block();
  void say(const std::string& line) const {
    if (report_) report_(line);
  }

  std::unique_ptr<FsuipcLink> link_;
  FsuipcLink::Server server_ = FsuipcLink::Server::NONE;
  std::uint32_t msg_ = 0;
  std::string name_;  // the block's name; empty: no block
  std::uint32_t size_ = 0;
  std::uint8_t* view_ = nullptr;
  std::function<void(const std::string&)> report_;
};

}  // namespace orvane::relay
