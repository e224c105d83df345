// FSUIPC client: the open handshake, request queue, batch exchange and copy-back.
// SPDX-License-Identifier: MIT
#include "sim/fsuipc_client.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "sim/fsuipc_link.h"
#include "util/clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvane {

std::uint32_t FSUIPC_Version = 0;
std::uint32_t FSUIPC_FS_Version = 0;

namespace {

const char* const pszErrors[] = {
    "Okay",
    "Attempt to Open when already Open",
    "Cannot link to FSUIPC or WideClient",
    "Failed to Register common message with Windows",
    "Failed to create Atom for mapping filename",
    "Failed to create a file mapping object",
    "Failed to open a view to the file map",
    "Incorrect version of FSUIPC, or not FSUIPC",
    "Sim is not version requested",
    "Call cannot execute, link not Open",
    "Call cannot execute: no requests accumulated",
    "IPC timed out all retries",
    "IPC sendmessage failed all retries",
    "IPC request contains bad data",
    "Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
    "Read or Write request cannot be added, memory for Process is full",
};
constexpr std::uint32_t kErrorCount = sizeof(pszErrors) / sizeof(pszErrors[0]);
const char* const kUnknownError = "Unknown FSUIPC error code";

constexpr int kHandshakePasses = 5;
constexpr int kSendAttempts = 9;
constexpr std::int64_t kPauseMs = 100;  // between handshake passes and send attempts
constexpr std::uint32_t kEndMarkerSize = 4;

// The process-wide link state. m_pView non-null means open; m_pNext is where the next
// record goes. The platform handles (window, atom, mapping) live in the link object.
std::unique_ptr<FsuipcLink> m_link;
FsuipcLink::Server m_server = FsuipcLink::Server::NONE;
std::uint32_t m_msg = 0;
std::uint8_t* m_pView = nullptr;
std::uint8_t* m_pNext = nullptr;
std::uint32_t nTry = 0;
std::string m_name;
std::vector<detail::Destination> m_destinations;  // of the batch being queued
std::uint32_t m_send_timeout_ms = 2000;
std::atomic<bool> m_give_up{false};  // set from any thread while a flight is being ended

void put_u32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get_u32(const std::uint8_t* at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= std::uint32_t{at[i]} << (8 * i);
  return v;
}

std::size_t queued() { return m_pView ? static_cast<std::size_t>(m_pNext - m_pView) : 0; }

void reset_queue() {
  m_pNext = m_pView;
  m_destinations.clear();
}

bool fail(std::uint32_t* result, std::uint32_t code) {
  if (result) *result = code;
  return false;
}

bool fail_closed(std::uint32_t* result, std::uint32_t code) {
  FSUIPC_Close();
  return fail(result, code);
}

bool succeed(std::uint32_t* result) {
  if (result) *result = FSUIPC_OK;
  return true;
}

unsigned long process_id() {
#ifdef _WIN32
  return static_cast<unsigned long>(GetCurrentProcessId());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

}  // namespace

bool FSUIPC_Open(std::uint32_t requested, std::uint32_t* result) {
  if (m_pView) return fail(result, FSUIPC_ERR_ALREADY_OPEN);
  FSUIPC_Version = 0;
  FSUIPC_FS_Version = 0;

  // A new link for each open: a relay set meanwhile (orvane.ini) is used from the next one.
  m_link = make_fsuipc_link();
  m_server = m_link->find_server();
  if (m_server == FsuipcLink::Server::NONE) return fail_closed(result, FSUIPC_ERR_NO_SERVER);
  const bool fallback = m_server == FsuipcLink::Server::FALLBACK;

  m_msg = m_link->register_message(FSUIPC_MESSAGE_NAME);
  if (m_msg == 0) return fail_closed(result, FSUIPC_ERR_REGISTER_MSG);

  ++nTry;
  char name[64];
  std::snprintf(name, sizeof name, "FsasmLib:IPC:%lX:%X", process_id(), nTry);
  m_name = name;

  std::uint8_t* view = nullptr;
  switch (m_link->create_block(m_name, FSUIPC_BLOCK_SIZE, &view)) {
    case FsuipcLink::BlockResult::OK:
      break;
    case FsuipcLink::BlockResult::ATOM_FAILED:
      return fail_closed(result, FSUIPC_ERR_ATOM);
    case FsuipcLink::BlockResult::MAPPING_FAILED:
      return fail_closed(result, FSUIPC_ERR_MAPPING);
    case FsuipcLink::BlockResult::VIEW_FAILED:
      return fail_closed(result, FSUIPC_ERR_VIEW);
  }
  m_pView = view;
  reset_queue();

  for (int pass = 0; pass < kHandshakePasses && (FSUIPC_Version == 0 || FSUIPC_FS_Version == 0);
       ++pass) {
    std::uint32_t code = FSUIPC_OK;
    bool ok = FSUIPC_Read(FSUIPC_OFFSET_VERSION, 4, &FSUIPC_Version, &code) &&
              FSUIPC_Read(FSUIPC_OFFSET_FS_VERSION, 4, &FSUIPC_FS_Version, &code);
    if (ok && pass == 0) {
      const std::uint16_t lib = FSUIPC_Lib_Version;
      ok = FSUIPC_Write(FSUIPC_OFFSET_LIB_VERSION, 2, &lib, &code);
    }
    if (ok) ok = FSUIPC_Process(&code);
    if (!ok) return fail_closed(result, code);
    clock().sleep_ms(kPauseMs);
  }

  if (FSUIPC_Version < FSUIPC_MIN_VERSION ||
      (FSUIPC_FS_Version & 0xFFFF0000u) != FSUIPC_FS_SIGNATURE) {
    return fail_closed(result, fallback ? FSUIPC_ERR_NO_SIM_ON_SERVER : FSUIPC_ERR_VERSION);
  }
  FSUIPC_FS_Version &= 0xFFFFu;
  if (requested != 0 && requested != FSUIPC_FS_Version) {
    return fail_closed(result, FSUIPC_ERR_WRONG_SIM);
  }
  return succeed(result);
}

bool FSUIPC_Read(std::uint32_t offset, std::uint32_t size, void* dest, std::uint32_t* result) {
  if (!m_pView) return fail(result, FSUIPC_ERR_NOT_OPEN);
  // 64-bit sum: a size near 2^32 must not wrap round into "fits".
  if (std::uint64_t{queued()} + size + FSUIPC_READ_HEADER + kEndMarkerSize > FSUIPC_BLOCK_USABLE) {
    return fail(result, FSUIPC_ERR_QUEUE_FULL);
  }
  std::uint32_t token = 0;
  if (dest != nullptr && size != 0) {
    m_destinations.push_back({dest, size});
    token = static_cast<std::uint32_t>(m_destinations.size());
  }
  put_u32(m_pNext, FSUIPC_RECORD_READ);
  put_u32(m_pNext + 4, offset);
  put_u32(m_pNext + 8, size);
  put_u32(m_pNext + 12, token);
  std::memset(m_pNext + FSUIPC_READ_HEADER, 0, size);
  m_pNext += FSUIPC_READ_HEADER + size;
  return succeed(result);
}

bool FSUIPC_Write(std::uint32_t offset, std::uint32_t size, const void* src,
                  std::uint32_t* result) {
  if (!m_pView) return fail(result, FSUIPC_ERR_NOT_OPEN);
  if (std::uint64_t{queued()} + size + FSUIPC_WRITE_HEADER + kEndMarkerSize > FSUIPC_BLOCK_USABLE) {
    return fail(result, FSUIPC_ERR_QUEUE_FULL);
  }
  // Nothing to copy from: refuse rather than send bytes the caller never gave.
  if (src == nullptr && size != 0) return fail(result, FSUIPC_ERR_BAD_DATA);
  put_u32(m_pNext, FSUIPC_RECORD_WRITE);
  put_u32(m_pNext + 4, offset);
  put_u32(m_pNext + 8, size);
  if (size != 0) std::memcpy(m_pNext + FSUIPC_WRITE_HEADER, src, size);
  m_pNext += FSUIPC_WRITE_HEADER + size;
  return succeed(result);
}

bool FSUIPC_Process(std::uint32_t* result) {
  if (!m_pView) return fail(result, FSUIPC_ERR_NOT_OPEN);
  if (m_pNext == m_pView) return fail(result, FSUIPC_ERR_NO_REQUESTS);

  const std::size_t batch = queued();
  put_u32(m_pNext, 0);
  m_pNext = m_pView;  // the queue is consumed whatever happens next

  std::uint32_t answer = 0;
  FsuipcLink::SendResult sent = FsuipcLink::SendResult::TIMED_OUT;
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    sent = m_link->send(m_msg, m_send_timeout_ms, &answer);
    if (sent == FsuipcLink::SendResult::ANSWERED || m_give_up.load()) break;
    clock().sleep_ms(kPauseMs);
  }
  std::uint32_t code = FSUIPC_OK;
  if (sent == FsuipcLink::SendResult::OS_ERROR) {
    code = FSUIPC_ERR_SEND_FAILED;
  } else if (sent == FsuipcLink::SendResult::TIMED_OUT) {
    code = FSUIPC_ERR_TIMEOUT;
  } else if (answer != 1) {
    code = FSUIPC_ERR_BAD_DATA;
  } else {
    detail::fsuipc_copy_back(m_pView, batch, m_destinations);
  }
  reset_queue();
  return code == FSUIPC_OK ? succeed(result) : fail(result, code);
}

void FSUIPC_Close() {
  m_server = FsuipcLink::Server::NONE;
  m_msg = 0;
  if (m_link) m_link->release();
  m_pView = nullptr;
  m_pNext = nullptr;
  m_name.clear();
  m_destinations.clear();
}

const char* fsuipc_error(std::uint32_t code) {
  return code < kErrorCount ? pszErrors[code] : kUnknownError;
}

void fsuipc_set_send_timeout_ms(std::uint32_t ms) { m_send_timeout_ms = ms; }
std::uint32_t fsuipc_send_timeout_ms() { return m_send_timeout_ms; }
void fsuipc_set_give_up(bool on) { m_give_up.store(on); }
std::uint32_t fsuipc_try_count() { return nTry; }
std::string fsuipc_mapping_name() { return m_pView ? m_name : std::string(); }
bool fsuipc_is_open() { return m_pView != nullptr; }
std::size_t fsuipc_queued_bytes() { return queued(); }

namespace detail {

std::size_t fsuipc_copy_back(std::uint8_t* block, std::size_t queued_bytes,
                             const std::vector<Destination>& destinations) {
  std::size_t walked = 0;
  std::size_t at = 0;
  // Every test below is written as "fits in what is left" so no sum can overflow.
  while (queued_bytes - at >= 4) {
    const std::uint32_t id = get_u32(block + at);
    if (id == 0) break;
    const std::size_t left = queued_bytes - at;
    if (id == FSUIPC_RECORD_READ) {
      if (left < FSUIPC_READ_HEADER) break;
      const std::uint32_t size = get_u32(block + at + 8);
      const std::uint32_t token = get_u32(block + at + 12);
      if (size > left - FSUIPC_READ_HEADER) break;
      if (token != 0 && token <= destinations.size() && size != 0) {
        const Destination& d = destinations[token - 1];
        const std::uint32_t n = size < d.size ? size : d.size;
        if (d.ptr != nullptr) std::memcpy(d.ptr, block + at + FSUIPC_READ_HEADER, n);
      }
      at += FSUIPC_READ_HEADER + size;
    } else if (id == FSUIPC_RECORD_WRITE) {
      if (left < FSUIPC_WRITE_HEADER) break;
      const std::uint32_t size = get_u32(block + at + 8);
      if (size > left - FSUIPC_WRITE_HEADER) break;
      at += FSUIPC_WRITE_HEADER + size;
    } else {
      put_u32(block + at, 0);
      break;
    }
    ++walked;
  }
  return walked;
}

}  // namespace detail

}  // namespace orvane
