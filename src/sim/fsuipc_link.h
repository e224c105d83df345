// FsuipcLink: the operating-system steps under the FSUIPC client (find the server, register
// the message, create the named shared block, send the message, release).
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace orvane {

// Window classes the server is found by, in the order they are tried.
inline constexpr const char* FSUIPC_CLASS_MAIN = "UIPCMAIN";
inline constexpr const char* FSUIPC_CLASS_FALLBACK = "FS98MAIN";
// Name of the registered message that carries a batch.
inline constexpr const char* FSUIPC_MESSAGE_NAME = "FsasmLib:IPC";

class FsuipcLink {
 public:
  enum class Server { NONE, MAIN, FALLBACK };  // none, "UIPCMAIN", "FS98MAIN"
  enum class BlockResult { OK, ATOM_FAILED, MAPPING_FAILED, VIEW_FAILED };
  enum class SendResult { ANSWERED, TIMED_OUT, OS_ERROR };

  virtual ~FsuipcLink() = default;

  // Looks for the server: "UIPCMAIN" first, then "FS98MAIN".
  virtual Server find_server() = 0;
  // Registers the message by name; 0 when that fails.
  virtual std::uint32_t register_message(const char* name) = 0;
  // Creates the shared block of size bytes under mapping_name and maps it writable; refuses
  // a block of that name that already exists. On OK, *view is the start of the block. (On
  // POSIX the name is removed at once and the block's descriptor goes with each message.)
  virtual BlockResult create_block(const std::string& mapping_name, std::size_t size,
                                   std::uint8_t** view) = 0;
  // Sends msg with the block's name to the server found, blocking up to timeout_ms; on
  // ANSWERED, *answer holds the server's 32-bit answer.
  virtual SendResult send(std::uint32_t msg, std::uint32_t timeout_ms, std::uint32_t* answer) = 0;
  // Releases the block and everything else; safe to call repeatedly.
  virtual void release() = 0;
};

// The link of this platform (on POSIX, the relay's link when a relay is set).
std::unique_ptr<FsuipcLink> make_fsuipc_link();

#ifndef _WIN32
// The POSIX link's server is a UNIX-domain socket named after the window class in this
// folder. The default is $XDG_RUNTIME_DIR/orvane-fsuipc, else /tmp/orvane-fsuipc-<uid>.
// Tests point it at a folder of their own. Process-wide; set it while no link is in use.
void fsuipc_set_socket_dir(const std::string& dir);
std::string fsuipc_socket_dir();
std::string fsuipc_default_socket_dir();

// POSIX shared memory name of a mapping name: "/" followed by the mapping name with every
// character other than letters and digits replaced by '_'.
std::string fsuipc_shm_name(const std::string& mapping_name);

// Identifier the POSIX link uses for a registered message name (stable across processes,
// in the range 0xC000..0xFFFF like registered window messages); 0 for an empty name.
std::uint32_t fsuipc_message_id(const std::string& name);

// Socket message, little-endian: u32 message id, u32 name length (1..255), the name bytes
// (the mapping name), u32 second parameter (0), with the block's descriptor attached to it
// (SCM_RIGHTS). The server answers one u32.
inline constexpr std::uint32_t FSUIPC_MAX_NAME = 255;

// The FSUIPC relay (orvane-fsuipc-relay inside a Wine or Proton prefix) at "HOST:PORT" on
// this machine; links made afterwards go through it over TCP (sim/fsuipc_relay_protocol.h).
// Empty: the local socket link. Process-wide; set it while no link is in use.
void fsuipc_set_relay(const std::string& address);
std::string fsuipc_relay();
// The link through the relay at address; a link that finds no server when the address
// cannot be read.
std::unique_ptr<FsuipcLink> make_fsuipc_relay_link(const std::string& address);
#endif

}  // namespace orvane
