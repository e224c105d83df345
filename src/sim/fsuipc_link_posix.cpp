// FsuipcLink for POSIX: an unnamed shared block passed with each message over a UNIX socket.
// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "sim/fsuipc_link.h"

namespace orvane {

namespace {

std::mutex dir_mutex;
std::string socket_dir;       // guarded by dir_mutex; empty: the default
bool socket_dir_set = false;  // guarded by dir_mutex

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

bool make_address(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  return true;
}

using SteadyClock = std::chrono::steady_clock;

int ms_left(SteadyClock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for events; false on time-out (errno 0) or error.
bool wait_ready(int fd, short events, SteadyClock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, ms_left(deadline));
    if (n > 0) return true;
    if (n == 0) {
      errno = 0;
      return false;
    }
    if (errno != EINTR) return false;
  }
}

class PosixLink final : public FsuipcLink {
 public:
  ~PosixLink() override { release(); }

  Server find_server() override {
    path_.clear();
    const std::string dir = fsuipc_socket_dir();
    if (probe(dir + "/" + FSUIPC_CLASS_MAIN)) return Server::MAIN;
    if (probe(dir + "/" + FSUIPC_CLASS_FALLBACK)) return Server::FALLBACK;
    return Server::NONE;
  }

  std::uint32_t register_message(const char* name) override {
    return name ? fsuipc_message_id(name) : 0;
  }

  BlockResult create_block(const std::string& mapping_name, std::size_t size,
                           std::uint8_t** view) override {
    release_block();
    // The mapping name travels in the message, as the atom does on Windows.
    if (mapping_name.empty() || mapping_name.size() > FSUIPC_MAX_NAME) {
      return BlockResult::ATOM_FAILED;
    }
    mapping_name_ = mapping_name;
    const std::string shm = fsuipc_shm_name(mapping_name);
    const int fd = ::shm_open(shm.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    if (fd < 0) return BlockResult::MAPPING_FAILED;  // EEXIST: someone else's block
    // The name goes at once: the block lives only as long as a descriptor or a mapping of
    // it, so a client that is killed leaves nothing in /dev/shm. The server gets the
    // descriptor with every message.
    ::shm_unlink(shm.c_str());
    shm_fd_ = fd;
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) return BlockResult::MAPPING_FAILED;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return BlockResult::VIEW_FAILED;
    view_ = static_cast<std::uint8_t*>(p);
    view_size_ = size;
    *view = view_;
    return BlockResult::OK;
  }

  SendResult send(std::uint32_t msg, std::uint32_t timeout_ms, std::uint32_t* answer) override {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeout_ms);
    sockaddr_un addr;
    if (!make_address(path_, &addr)) return SendResult::OS_ERROR;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return SendResult::OS_ERROR;
    const SendResult r = exchange(fd, addr, msg, deadline, answer);
    ::close(fd);
    return r;
  }

  void release() override {
    release_block();
    path_.clear();
  }

 private:
  bool probe(const std::string& path) {
    sockaddr_un addr;
    if (!make_address(path, &addr)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    // EAGAIN: a listening server whose backlog is full is still there.
    const bool found = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    if (found) path_ = path;
    return found;
  }

  SendResult exchange(int fd, const sockaddr_un& addr, std::uint32_t msg,
                      SteadyClock::time_point deadline, std::uint32_t* answer) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
      if (errno != EAGAIN && errno != EINPROGRESS) return SendResult::OS_ERROR;
      if (!wait_ready(fd, POLLOUT, deadline)) {
        return errno == 0 ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
      }
      int err = 0;
      socklen_t len = sizeof err;
      if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
        return SendResult::OS_ERROR;
      }
    }
    std::vector<std::uint8_t> out;
    put_u32(out, msg);
    put_u32(out, static_cast<std::uint32_t>(mapping_name_.size()));
    out.insert(out.end(), mapping_name_.begin(), mapping_name_.end());
    put_u32(out, 0);
    std::size_t sent = 0;
    while (sent < out.size()) {
      // The block's descriptor rides with the first bytes that go out.
      const ssize_t n = sent == 0 ? send_with_block(fd, out)
                                  : ::send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
      if (n > 0) {
        sent += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!wait_ready(fd, POLLOUT, deadline)) {
          return errno == 0 ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
        }
      } else {
        return SendResult::OS_ERROR;
      }
    }
    std::uint8_t in[4];
    std::size_t got = 0;
    while (got < sizeof in) {
      const ssize_t n = ::recv(fd, in + got, sizeof in - got, 0);
      if (n > 0) {
        got += static_cast<std::size_t>(n);
      } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        if (!wait_ready(fd, POLLIN, deadline)) {
          return errno == 0 ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
        }
      } else {
        return SendResult::OS_ERROR;  // the server went away before answering
      }
    }
    *answer = std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
              std::uint32_t{in[3]} << 24;
    return SendResult::ANSWERED;
  }

  // Sends the whole message with the block's descriptor attached (SCM_RIGHTS); what
  // send() answers. Without a block the message goes alone.
  ssize_t send_with_block(int fd, std::vector<std::uint8_t>& out) {
    iovec part{out.data(), out.size()};
    msghdr m{};
    m.msg_iov = &part;
    m.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (shm_fd_ >= 0) {
      m.msg_control = control;
      m.msg_controllen = sizeof control;
      cmsghdr* c = CMSG_FIRSTHDR(&m);
      c->cmsg_level = SOL_SOCKET;
      c->cmsg_type = SCM_RIGHTS;
      c->cmsg_len = CMSG_LEN(sizeof(int));
      std::memcpy(CMSG_DATA(c), &shm_fd_, sizeof(int));
    }
    return ::sendmsg(fd, &m, MSG_NOSIGNAL);
  }

  void release_block() {
    if (view_) ::munmap(view_, view_size_);
    view_ = nullptr;
    view_size_ = 0;
    if (shm_fd_ >= 0) ::close(shm_fd_);
    shm_fd_ = -1;
    mapping_name_.clear();
  }

  std::string path_;          // socket of the server found
  std::string mapping_name_;  // sent with every message
  int shm_fd_ = -1;           // the block, nameless since it was made
  std::uint8_t* view_ = nullptr;
  std::size_t view_size_ = 0;
};

}  // namespace

std::unique_ptr<FsuipcLink> make_fsuipc_link() {
  const std::string relay = fsuipc_relay();
  if (!relay.empty()) return make_fsuipc_relay_link(relay);
  return std::make_unique<PosixLink>();
}

void fsuipc_set_socket_dir(const std::string& dir) {
  std::lock_guard<std::mutex> g(dir_mutex);
  socket_dir = dir;
  socket_dir_set = true;
}

std::string fsuipc_socket_dir() {
  {
    std::lock_guard<std::mutex> g(dir_mutex);
    if (socket_dir_set) return socket_dir;
  }
  return fsuipc_default_socket_dir();
}

std::string fsuipc_default_socket_dir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/orvane-fsuipc";
  return "/tmp/orvane-fsuipc-" + std::to_string(::getuid());
}

std::string fsuipc_shm_name(const std::string& mapping_name) {
  std::string out = "/";
  for (const char c : mapping_name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    out += plain ? c : '_';
  }
  return out;
}

std::uint32_t fsuipc_message_id(const std::string& name) {
  if (name.empty()) return 0;
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (const char c : name) {
    h ^= static_cast<std::uint8_t>(c);
    h *= 16777619u;
  }
  return 0xC000u + h % 0x4000u;
}

}  // namespace orvane
