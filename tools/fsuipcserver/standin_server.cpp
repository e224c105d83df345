// StandinServer: socket loop and message parsing; the records are served by serve_records.
// SPDX-License-Identifier: MIT
#include "fsuipcserver/standin_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"

namespace orvane::standin {

namespace {

// How long a client may take to deliver its message once connected, milliseconds.
constexpr int kReadDeadlineMs = 2000;

std::uint32_t get_u32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

void put_u32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool make_address(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  return true;
}

// Reads exactly n bytes from fd unless the peer closes, the deadline passes or wake_fd
// becomes readable (stop). A descriptor passed with the bytes (SCM_RIGHTS) goes to *passed
// when given (the first one; any other is closed), else it is closed.
bool read_all(int fd, int wake_fd, std::uint8_t* out, std::size_t n,
              std::chrono::steady_clock::time_point deadline, int* passed = nullptr) {
  std::size_t got = 0;
  while (got < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd p[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    const int r = ::poll(p, 2, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || (p[1].revents & POLLIN)) return false;
    iovec part{out + got, n - got};
    msghdr m{};
    m.msg_iov = &part;
    m.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    m.msg_control = control;
    m.msg_controllen = sizeof control;
    const ssize_t k = ::recvmsg(fd, &m, MSG_CMSG_CLOEXEC);
    if (k > 0) {
      for (cmsghdr* c = CMSG_FIRSTHDR(&m); c != nullptr; c = CMSG_NXTHDR(&m, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
          int received;
          std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
          if (passed != nullptr && *passed < 0) {
            *passed = received;
          } else {
            ::close(received);
          }
        }
      }
      got += static_cast<std::size_t>(k);
    } else if (!(k < 0 && (errno == EAGAIN || errno == EINTR))) {
      return false;
    }
  }
  return true;
}

void send_u32(int fd, std::uint32_t value) {
  std::uint8_t out[4];
  put_u32(out, value);
  // A client that has gone already is no concern of ours.
  (void)!::send(fd, out, sizeof out, MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

StandinServer::StandinServer(OffsetMemory& memory, std::string dir, std::string window_class)
    : memory_(memory),
      dir_(std::move(dir)),
      class_(std::move(window_class)),
      path_(dir_ + "/" + class_) {}

StandinServer::~StandinServer() { stop(); }

bool StandinServer::start() {
  std::lock_guard<std::mutex> life(life_mutex_);
  if (running_.load()) return true;
  auto refuse = [this](const std::string& why) {
    std::lock_guard<std::mutex> g(mutex_);
    error_ = why;
    return false;
  };

  std::error_code ec;
  if (!std::filesystem::exists(dir_, ec)) {
    std::filesystem::create_directories(dir_, ec);
    if (ec) return refuse("cannot create " + dir_ + ": " + ec.message());
    ::chmod(dir_.c_str(), 0700);
  }
  sockaddr_un addr;
  if (!make_address(path_, &addr)) return refuse("socket path too long: " + path_);

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return refuse(std::string("socket: ") + std::strerror(errno));
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
    ::close(fd);
    return refuse("another server listens on " + path_);
  }
  ::unlink(path_.c_str());  // a socket left behind by a server that died
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, 16) != 0) {
    const std::string why = std::strerror(errno);
    ::close(fd);
    return refuse("cannot listen on " + path_ + ": " + why);
  }
  if (::pipe2(wake_fd_, O_CLOEXEC) != 0) {
    const std::string why = std::strerror(errno);
    ::close(fd);
    ::unlink(path_.c_str());
    return refuse(std::string("pipe: ") + why);
  }
  listen_fd_ = fd;
  stopping_.store(false);
  running_.store(true);
  thread_ = std::thread([this] { run(); });
  return true;
}

void StandinServer::stop() {
  std::lock_guard<std::mutex> life(life_mutex_);
  if (!running_.load()) return;
  stopping_.store(true);
  const char wake = 1;
  (void)!::write(wake_fd_[1], &wake, 1);
  thread_.join();
  ::close(listen_fd_);
  listen_fd_ = -1;
  ::unlink(path_.c_str());
  ::close(wake_fd_[0]);
  ::close(wake_fd_[1]);
  wake_fd_[0] = wake_fd_[1] = -1;
  {
    std::lock_guard<std::mutex> g(mutex_);
    release_held();
  }
  running_.store(false);
}

bool StandinServer::restart() {
  stop();
  return start();
}

std::string StandinServer::error() const {
  std::lock_guard<std::mutex> g(mutex_);
  return error_;
}

void StandinServer::set_versions(std::uint32_t version, std::uint32_t fs_version) {
  version_.store(version);
  fs_version_.store(fs_version);
}

void StandinServer::set_silent(bool silent) {
  silent_.store(silent);
  if (!silent) {
    std::lock_guard<std::mutex> g(mutex_);
    release_held();
  }
}

void StandinServer::set_tamper(Tamper tamper) {
  std::lock_guard<std::mutex> g(mutex_);
  tamper_ = std::move(tamper);
}

void StandinServer::set_on_link(std::function<void(const std::string&)> on_link) {
  std::lock_guard<std::mutex> g(mutex_);
  on_link_ = std::move(on_link);
}

std::vector<std::string> StandinServer::mapping_names() const {
  std::lock_guard<std::mutex> g(mutex_);
  return names_;
}

void StandinServer::release_held() {
  for (const int fd : held_) ::close(fd);
  held_.clear();
}

void StandinServer::run() {
  for (;;) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {wake_fd_[0], POLLIN, 0}};
    const int r = ::poll(p, 2, -1);
    if (stopping_.load()) return;
    if (r < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (!(p[0].revents & POLLIN)) continue;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) continue;
    handle(fd);
  }
}

void StandinServer::handle(int fd) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadDeadlineMs);
  std::uint8_t head[8];
  // The client's block, when it came with the message; otherwise it is opened by its name.
  int block_fd = -1;
  // A client looking for the server connects and leaves without a word.
  if (!read_all(fd, wake_fd_[0], head, sizeof head, deadline, &block_fd)) {
    if (block_fd >= 0) ::close(block_fd);
    ::close(fd);
    return;
  }
  const std::uint32_t msg = get_u32(head);
  const std::uint32_t length = get_u32(head + 4);
  if (length == 0 || length > FSUIPC_MAX_NAME) {
    if (block_fd >= 0) ::close(block_fd);
    ::close(fd);
    return;
  }
  std::uint8_t rest[FSUIPC_MAX_NAME + 4];
  if (!read_all(fd, wake_fd_[0], rest, length + 4, deadline, &block_fd)) {
    if (block_fd >= 0) ::close(block_fd);
    ::close(fd);
    return;
  }
  messages_.fetch_add(1);
  const std::string name(reinterpret_cast<const char*>(rest), length);
  std::function<void(const std::string&)> on_link;
  {
    std::lock_guard<std::mutex> g(mutex_);
    if (std::find(names_.begin(), names_.end(), name) == names_.end()) {
      if (names_.size() == kMaxNames) names_.erase(names_.begin());
      names_.push_back(name);
      on_link = on_link_;
    }
  }
  if (on_link) on_link(name);
  if (silent_.load()) {
    if (block_fd >= 0) ::close(block_fd);
    std::lock_guard<std::mutex> g(mutex_);
    held_.push_back(fd);
    return;
  }
  // An unknown message gets what a window gives for messages it does not handle: 0.
  std::uint32_t answer = 0;
  if (msg == fsuipc_message_id(FSUIPC_MESSAGE_NAME)) {
    const int shm =
        block_fd >= 0 ? block_fd : ::shm_open(fsuipc_shm_name(name).c_str(), O_RDWR, 0);
    block_fd = -1;
    struct stat st {};
    if (shm >= 0 && ::fstat(shm, &st) == 0 && st.st_size >= FSUIPC_BLOCK_SIZE) {
      void* view = ::mmap(nullptr, FSUIPC_BLOCK_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, shm, 0);
      if (view != MAP_FAILED) {
        auto* block = static_cast<std::uint8_t*>(view);
        if (serve(block, FSUIPC_BLOCK_SIZE)) answer = answer_.load();
        Tamper tamper;
        {
          std::lock_guard<std::mutex> g(mutex_);
          tamper = tamper_;
        }
        if (tamper) tamper(block, FSUIPC_BLOCK_SIZE);
        ::munmap(view, FSUIPC_BLOCK_SIZE);
      }
    }
    if (shm >= 0) ::close(shm);
  }
  if (block_fd >= 0) ::close(block_fd);
  send_u32(fd, answer);
  ::close(fd);
}

bool StandinServer::serve(std::uint8_t* block, std::size_t size) {
  ServeSettings settings;
  settings.version = version_.load();
  settings.fs_version = fs_version_.load();
  settings.unknown_id_at = unknown_id_at_.load();
  const ServeOutcome outcome = serve_records(block, size, memory_, settings);
  if (outcome.lib_version_written) lib_version_.store(outcome.lib_version);
  return outcome.well_formed;
}

}  // namespace orvane::standin
