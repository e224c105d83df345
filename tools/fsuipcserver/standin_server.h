// StandinServer: the server side of the FSUIPC link, answering from an OffsetMemory.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fsuipcserver/connection_switch.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/record_server.h"

namespace orvane::standin {

// Listens on the UNIX-domain socket <dir>/<window class>, maps the client's shared block
// passed with each message (or opens it by the mapping name the message carries), serves the read records from the offset memory,
// stores the write records into it and answers 1. Messages are handled one at a time on
// the server's own thread, as a window thread would.
//
// The knobs below provoke the client's failure paths; each may be changed at any time from
// any thread and applies from the next message on.
class StandinServer final : public ConnectionSwitch {
 public:
  static constexpr std::uint32_t kGoodVersion = standin::kGoodVersion;
  static constexpr std::uint32_t kGoodFsVersion = standin::kGoodFsVersion;
  static constexpr std::uint32_t kBadVersion = standin::kBadVersion;
  static constexpr std::uint32_t kBadFsVersion = standin::kBadFsVersion;
  static constexpr std::uint32_t kUnknownRecordId = kCorruptRecordId;
  static constexpr std::size_t kMaxNames = 256;

  // Called after a batch was served and before it is answered, with the whole block; may
  // change anything in it. Runs on the server thread: it must not call stop or start.
  using Tamper = std::function<void(std::uint8_t* block, std::size_t size)>;

  StandinServer(OffsetMemory& memory, std::string dir, std::string window_class = "UIPCMAIN");
  ~StandinServer() override;
  StandinServer(const StandinServer&) = delete;
  StandinServer& operator=(const StandinServer&) = delete;

  // Creates the folder if needed, binds the socket and starts serving. Refuses a socket
  // another live server listens on. False with error() set on failure. Does nothing while
  // running. Called from any thread but the server's.
  bool start() override;
  // Stops serving and removes the socket; clients see the server gone. Safe to repeat.
  void stop() override;
  bool restart();
  bool running() const { return running_.load(); }
  std::string error() const;
  const std::string& socket_path() const { return path_; }

  // Versions answered for offsets 0x3304 (server) and 0x3308 (simulator).
  void set_versions(std::uint32_t version, std::uint32_t fs_version);
  // Value answered for a served batch; 1 unless changed.
  void set_answer(std::uint32_t value) { answer_.store(value); }
  // true: messages are read but never answered (the connection is held until stop or
  // until silence is switched off), so the client times out.
  void set_silent(bool silent) override;
  // Overwrites the id of record number index (0-based) of every served batch with
  // kUnknownRecordId; -1 switches this off.
  void set_unknown_id_at(int index) { unknown_id_at_.store(index); }
  void set_tamper(Tamper tamper);
  // Called on the server thread with each mapping name the first time it arrives.
  void set_on_link(std::function<void(const std::string& mapping_name)> on_link);

  // Messages received since construction (served, refused or left unanswered).
  std::uint64_t messages() const { return messages_.load(); }
  // Mapping names received, each once, in order of first appearance; the latest
  // kMaxNames of them.
  std::vector<std::string> mapping_names() const;
  // Last value written to offset 0x330A, the client library version; 0 before any.
  std::uint16_t lib_version() const { return lib_version_.load(); }

 private:
  void run();
  void handle(int fd);
  // Serves the records of one block; false when the walk met a malformed record.
  bool serve(std::uint8_t* block, std::size_t size);
  void release_held();  // caller holds mutex_

  OffsetMemory& memory_;
  const std::string dir_;
  const std::string class_;
  const std::string path_;

  std::mutex life_mutex_;      // serialises start and stop
  std::thread thread_;         // guarded by life_mutex_
  int listen_fd_ = -1;         // guarded by life_mutex_; read by the server thread while it runs
  int wake_fd_[2] = {-1, -1};  // stop wakes the server thread through this pipe
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};

  std::atomic<std::uint32_t> version_{kGoodVersion};
  std::atomic<std::uint32_t> fs_version_{kGoodFsVersion};
  std::atomic<std::uint32_t> answer_{1};
  std::atomic<bool> silent_{false};
  std::atomic<int> unknown_id_at_{-1};
  std::atomic<std::uint64_t> messages_{0};
  std::atomic<std::uint16_t> lib_version_{0};

  mutable std::mutex mutex_;  // guards the members below
  Tamper tamper_;
  std::function<void(const std::string&)> on_link_;
  std::vector<std::string> names_;
  std::vector<int> held_;  // connections of unanswered messages
  std::string error_;
};

}  // namespace orvane::standin
