// RelayService: the relay protocol's requests answered through a local FSUIPC link.
// SPDX-License-Identifier: MIT
#include "relay/relay_service.h"

#include <cstring>
#include <vector>

#include "sim/fsuipc_relay_protocol.h"

namespace orvane::relay {

namespace {

bool read_u32(Connection& c, std::uint32_t* v) {
  std::uint8_t b[4];
  if (!c.read(b, 4)) return false;
  *v = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
       std::uint32_t{b[3]} << 24;
  return true;
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

bool answer(Connection& c, std::uint32_t status, std::uint32_t value = 0) {
  std::vector<std::uint8_t> out;
  put_u32(out, status);
  put_u32(out, value);
  return c.write(out.data(), out.size());
}

}  // namespace

RelayService::RelayService(std::unique_ptr<FsuipcLink> link) : link_(std::move(link)) {}

bool RelayService::serve(Connection& c) {
  std::uint32_t magic = 0;
  std::uint32_t kind = 0;
  if (!read_u32(c, &magic) || magic != RELAY_MAGIC || !read_u32(c, &kind)) return false;
  if (kind == RELAY_FIND) {
    const FsuipcLink::Server found = link_->find_server();
    if (found != server_) {
      say(found == FsuipcLink::Server::NONE ? "no FSUIPC server"
          : found == FsuipcLink::Server::MAIN ? "FSUIPC server found (UIPCMAIN)"
                                              : "FSUIPC server found (FS98MAIN)");
    }
    server_ = found;
    const std::uint32_t code = found == FsuipcLink::Server::MAIN       ? RELAY_SERVER_MAIN
                               : found == FsuipcLink::Server::FALLBACK ? RELAY_SERVER_FALLBACK
                                                                      : RELAY_SERVER_NONE;
    std::vector<std::uint8_t> out;
    put_u32(out, code);
    return c.write(out.data(), out.size());
  }
  if (kind == RELAY_SEND) return serve_send(c);
  return false;
}

bool RelayService::serve_send(Connection& c) {
  std::uint32_t timeout_ms = 0;
  std::uint32_t name_size = 0;
  if (!read_u32(c, &timeout_ms) || !read_u32(c, &name_size)) return false;
  if (name_size == 0 || name_size > RELAY_MAX_NAME) return false;
  std::string name(name_size, '\0');
  if (!c.read(reinterpret_cast<std::uint8_t*>(name.data()), name.size())) return false;
  std::uint32_t size = 0;
  if (!read_u32(c, &size) || size == 0 || size > RELAY_MAX_BLOCK) return false;
  std::vector<std::uint8_t> block(size);
  if (!c.read(block.data(), block.size())) return false;

  std::uint32_t status = RELAY_OS_ERROR;
  if (!ready_block(name, size, &status)) return answer(c, status);
  std::memcpy(view_, block.data(), size);
  // The answer has to reach the client before its own time runs out.
  const std::uint32_t local_ms = timeout_ms > 2 * RELAY_MARGIN_MS ? timeout_ms - RELAY_MARGIN_MS
                                                                  : timeout_ms / 2 + 1;
  std::uint32_t value = 0;
  switch (link_->send(msg_, local_ms, &value)) {
    case FsuipcLink::SendResult::ANSWERED: {
      std::vector<std::uint8_t> out;
      out.reserve(size + 8);
      put_u32(out, RELAY_ANSWERED);
      put_u32(out, value);
      out.insert(out.end(), view_, view_ + size);
      return c.write(out.data(), out.size());
    }
    case FsuipcLink::SendResult::TIMED_OUT:
      return answer(c, RELAY_TIMED_OUT);
    case FsuipcLink::SendResult::OS_ERROR:
      break;
  }
  // The server went (the simulator ended or restarted): it is looked for anew next time.
  say("the FSUIPC server did not take a message");
  drop_block();
  return answer(c, RELAY_OS_ERROR);
}

bool RelayService::ready_block(const std::string& name, std::uint32_t size,
                               std::uint32_t* status) {
  if (view_ != nullptr && name == name_ && size == size_) return true;
  drop_block();
  server_ = link_->find_server();
  if (server_ == FsuipcLink::Server::NONE) {
    *status = RELAY_OS_ERROR;  // as a message to a window that is gone
    return false;
  }
  msg_ = link_->register_message(FSUIPC_MESSAGE_NAME);
  std::uint8_t* view = nullptr;
  if (msg_ == 0 || link_->create_block(name, size, &view) != FsuipcLink::BlockResult::OK) {
    drop_block();
    *status = RELAY_NO_BLOCK;
    return false;
  }
  // The Win32 link forgets the window when a block is released: find it again.
  server_ = link_->find_server();
  name_ = name;
  size_ = size;
  view_ = view;
  say("client block " + name);
  return true;
}

void RelayService::drop_block() {
  link_->release();
  name_.clear();
  size_ = 0;
  view_ = nullptr;
  msg_ = 0;
}

}  // namespace orvane::relay
