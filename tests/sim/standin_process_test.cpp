// Tests of the simulator stand-in: the player in-process, and the orvane-simstandin program
// run as a separate process and reached through the real FSUIPC link.
// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "flightmodel/scenario.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "simstandin/offset_encoder.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "fsuipcserver/standin_server.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using standin::OffsetMemory;
using standin::Player;
using standin::StandinServer;

// A flight that stands still except for its activity counter.
const char* const kStillScenario =
    "set registration D-PROC\n"
    "key 0 engines=2 lat=50.25 lon=-8.5 alt=1000 hdg=90 n1=25 n2=60 zfw=100000 fuel=5000\n"
    "key 100\n";

// Waits up to timeout for cond, looking every few milliseconds.
template <class Cond>
bool eventually(Cond cond, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// --- the player, in-process ----------------------------------------------------------

class StandinPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { fsuipc_set_socket_dir(dir_.path().string()); }
  void TearDown() override { FSUIPC_Close(); }

  test::TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  OffsetMemory memory_;
};

TEST_F(StandinPlayerTest, ApplyPutsTheStateOfThatMomentIntoTheMemory) {
  Player player(model::default_scenario(), memory_, nullptr);
  const model::AircraftState state = player.apply(150.0);
  OffsetMemory expected;
  standin::encode_state(player.model().at(150.0), expected);
  for (const std::uint32_t offset : {0x0560u, 0x0568u, 0x0574u, 0x02B4u, 0x0580u, 0x30C0u}) {
    EXPECT_EQ(memory_.get<std::uint64_t>(offset), expected.get<std::uint64_t>(offset)) << offset;
  }
  EXPECT_DOUBLE_EQ(state.alt, player.model().at(150.0).alt);
  EXPECT_DOUBLE_EQ(player.flight_time(), 150.0);
  EXPECT_FALSE(player.finished());
}

TEST_F(StandinPlayerTest, ReportsEachEventOnceAndTheEnd) {
  Player player(model::parse_scenario("key 0 alt=100\nkey 30 alt=200\n"
                                      "event 5 pause\nevent 10 resume\nevent 12 rate 4\n"
                                      "event 20 slew on\n"),
                memory_, nullptr);
  std::vector<std::string> lines;
  player.set_report([&](const std::string& line) { lines.push_back(line); });
  player.apply(4.0);
  EXPECT_TRUE(lines.empty());
  player.apply(12.0);
  player.apply(12.5);
  EXPECT_EQ(lines, (std::vector<std::string>{"5 s: pause", "10 s: resume", "12 s: rate 4"}));
  player.apply(31.0);
  player.apply(40.0);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"5 s: pause", "10 s: resume", "12 s: rate 4", "20 s: slew on",
                                      "31 s: scenario played out, holding the last state"}));
  EXPECT_TRUE(player.finished());
}

TEST_F(StandinPlayerTest, DisconnectStopsTheServerUntilReconnect) {
  StandinServer server(memory_, dir_.path().string());
  ASSERT_TRUE(server.start()) << server.error();
  Player player(model::parse_scenario("key 0 alt=100\nevent 10 disconnect\n"
                                      "event 20 reconnect\nkey 30\n"),
                memory_, &server);
  std::uint32_t code = 99;
  player.apply(5.0);
  ASSERT_TRUE(FSUIPC_Open(0, &code));
  player.apply(10.0);
  EXPECT_FALSE(server.running());
  std::int32_t alt = 0;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 12u);
  FSUIPC_Close();
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
  player.apply(20.0);
  EXPECT_TRUE(server.running());
  EXPECT_TRUE(FSUIPC_Open(0, &code)) << code;
}

TEST_F(StandinPlayerTest, HangLeavesTheLinkUnansweredForItsSeconds) {
  StandinServer server(memory_, dir_.path().string());
  ASSERT_TRUE(server.start()) << server.error();
  Player player(model::parse_scenario("key 0 alt=100\nevent 10 hang 5\nkey 30\n"), memory_,
                &server);
  std::vector<std::string> lines;
  player.set_report([&](const std::string& line) { lines.push_back(line); });
  std::uint32_t code = 99;
  player.apply(5.0);
  ASSERT_TRUE(FSUIPC_Open(0, &code));
  fsuipc_set_send_timeout_ms(20);
  player.apply(10.0);
  EXPECT_TRUE(server.running());  // alive, the socket still there
  std::int32_t alt = 0;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 11u);
  player.apply(15.0);
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  EXPECT_TRUE(FSUIPC_Process(&code)) << code;
  EXPECT_EQ(alt, 30);  // 100 ft in whole metres
  fsuipc_set_send_timeout_ms(2000);
  EXPECT_EQ(lines, std::vector<std::string>{"10 s: hang 5 s"});
}

TEST_F(StandinPlayerTest, ThreadFollowsTheClockAtItsSpeed) {
  Player player(model::default_scenario(), memory_, nullptr, 4.0);
  player.start();
  clock_.advance(10);
  EXPECT_TRUE(eventually([&] { return player.flight_time() == 40.0; }));
  clock_.advance(15);
  EXPECT_TRUE(eventually([&] { return player.flight_time() == 100.0; }));
  player.stop();
  OffsetMemory expected;
  standin::encode_state(player.model().at(100.0), expected);
  EXPECT_EQ(memory_.get<std::int64_t>(0x0560), expected.get<std::int64_t>(0x0560));
}

TEST_F(StandinPlayerTest, SpeedMustBePositive) {
  for (const double speed : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(Player(model::default_scenario(), memory_, nullptr, speed), std::invalid_argument);
  }
}

TEST(StandinServerTest, RefusesASocketAnotherServerListensOn) {
  test::TempDir dir;
  OffsetMemory memory;
  StandinServer first(memory, dir.path().string());
  StandinServer second(memory, dir.path().string());
  ASSERT_TRUE(first.start()) << first.error();
  EXPECT_FALSE(second.start());
  EXPECT_EQ(second.error(), "another server listens on " + first.socket_path());
  first.stop();
  EXPECT_TRUE(second.start()) << second.error();
}

// --- the server against hostile clients --------------------------------------------

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// One raw exchange with the server: the answer, or nothing when it closed without one.
std::optional<std::uint32_t> raw_exchange(const std::string& path,
                                          const std::vector<std::uint8_t>& bytes) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.data(), path.size());
  std::optional<std::uint32_t> answer;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
      ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
    ::shutdown(fd, SHUT_WR);
    std::uint8_t in[4];
    std::size_t got = 0;
    pollfd p{fd, POLLIN, 0};
    while (got < 4 && ::poll(&p, 1, 5000) > 0) {
      const ssize_t n = ::recv(fd, in + got, 4 - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == 4) answer = in[0] | in[1] << 8 | in[2] << 16 | std::uint32_t{in[3]} << 24;
  }
  ::close(fd);
  return answer;
}

std::vector<std::uint8_t> message(std::uint32_t id, const std::string& name) {
  std::vector<std::uint8_t> out;
  put_u32(out, id);
  put_u32(out, static_cast<std::uint32_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  put_u32(out, 0);
  return out;
}

// A shared block made by the test, as a hostile client would make it.
class RawBlock {
 public:
  RawBlock(const std::string& mapping_name, std::size_t size)
      : shm_(fsuipc_shm_name(mapping_name)), size_(size) {
    fd_ = ::shm_open(shm_.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    if (fd_ < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw std::runtime_error("shm");
    view_ = static_cast<std::uint8_t*>(
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0));
  }
  ~RawBlock() {
    ::munmap(view_, size_);
    ::close(fd_);
    ::shm_unlink(shm_.c_str());
  }
  std::uint8_t* data() { return view_; }
  void set_u32(std::size_t at, std::uint32_t v) { std::memcpy(view_ + at, &v, 4); }

 private:
  std::string shm_;
  std::size_t size_;
  int fd_ = -1;
  std::uint8_t* view_ = nullptr;
};

std::string test_mapping_name(int n) {
  return "OrvaneTest:" + std::to_string(::getpid()) + ":" + std::to_string(n);
}

class StandinServerHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.start()) << server_.error();
    fsuipc_set_socket_dir(dir_.path().string());
  }
  void TearDown() override { FSUIPC_Close(); }
  std::optional<std::uint32_t> send_block(const std::string& name) {
    return raw_exchange(server_.socket_path(), message(fsuipc_message_id("FsasmLib:IPC"), name));
  }
  void expect_still_serving() {
    std::uint32_t code = 99;
    EXPECT_TRUE(FSUIPC_Open(0, &code)) << fsuipc_error(code);
    FSUIPC_Close();
  }

  test::TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  OffsetMemory memory_;
  StandinServer server_{memory_, dir_.path().string()};
};

TEST_F(StandinServerHostileTest, MalformedMessagesGetZeroOrNoAnswer) {
  RawBlock block(test_mapping_name(1), FSUIPC_BLOCK_SIZE);
  const std::string path = server_.socket_path();
  const std::uint32_t id = fsuipc_message_id("FsasmLib:IPC");
  EXPECT_EQ(raw_exchange(path, message(id + 1, test_mapping_name(1))), 0u);  // other message
  EXPECT_EQ(send_block(test_mapping_name(1)), 1u);  // an empty batch is fine
  EXPECT_EQ(send_block("OrvaneTest:no:such:block"), 0u);
  EXPECT_EQ(raw_exchange(path, message(id, "")), std::nullopt);  // no name
  std::vector<std::uint8_t> long_name;
  put_u32(long_name, id);
  put_u32(long_name, 1000);
  long_name.resize(1000 + 12, 'x');
  EXPECT_EQ(raw_exchange(path, long_name), std::nullopt);
  std::vector<std::uint8_t> cut = message(id, test_mapping_name(1));
  cut.resize(cut.size() - 3);  // ends in the middle of the last field
  EXPECT_EQ(raw_exchange(path, cut), std::nullopt);
  EXPECT_EQ(raw_exchange(path, {}), std::nullopt);
  RawBlock small(test_mapping_name(2), 100);  // smaller than a block
  EXPECT_EQ(send_block(test_mapping_name(2)), 0u);
  expect_still_serving();
}

TEST_F(StandinServerHostileTest, HostileRecordsAreRefusedWithinTheBlock) {
  RawBlock block(test_mapping_name(3), FSUIPC_BLOCK_SIZE);
  memory_.put<std::uint32_t>(0x0100, 0x01020304u);
  // A sound read at the very end of the block.
  block.set_u32(0, 2);
  block.set_u32(4, 0x7000);
  block.set_u32(8, 32768 - 12 - 20);
  block.set_u32(32768 - 20, 1);
  block.set_u32(32768 - 16, 0x0100);
  block.set_u32(32768 - 12, 4);
  block.set_u32(32768 - 8, 0);
  block.set_u32(32768 - 4, 0);
  EXPECT_EQ(send_block(test_mapping_name(3)), 0u);  // no end marker left inside the block
  block.set_u32(8, 32768 - 12 - 24);
  block.set_u32(32768 - 24, 1);
  block.set_u32(32768 - 20, 0x0100);
  block.set_u32(32768 - 16, 4);
  block.set_u32(32768 - 12, 0);
  block.set_u32(32768 - 4, 0);
  EXPECT_EQ(send_block(test_mapping_name(3)), 1u);
  std::uint32_t value = 0;
  std::memcpy(&value, block.data() + 32768 - 8, 4);
  EXPECT_EQ(value, 0x01020304u);

  for (const std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF0u, 32768u, 32753u}) {
    std::memset(block.data(), 0, 64);
    block.set_u32(0, 1);
    block.set_u32(4, 0x0100);
    block.set_u32(8, size);
    EXPECT_EQ(send_block(test_mapping_name(3)), 0u) << size;
    block.set_u32(0, 2);
    EXPECT_EQ(send_block(test_mapping_name(3)), 0u) << size;
  }
  std::memset(block.data(), 0x01, FSUIPC_BLOCK_SIZE);  // records of 0x01010101 bytes
  EXPECT_EQ(send_block(test_mapping_name(3)), 0u);
  std::memset(block.data(), 0x07, FSUIPC_BLOCK_SIZE);  // unknown ids
  EXPECT_EQ(send_block(test_mapping_name(3)), 0u);

  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    for (std::size_t i = 0; i < 256; ++i) {
      block.data()[i] = static_cast<std::uint8_t>(rng() % 4 ? rng() % 3 : rng());
    }
    const auto answer = send_block(test_mapping_name(3));
    ASSERT_TRUE(answer == 0u || answer == 1u);
  }
  expect_still_serving();
}

// --- the program, as a separate process ----------------------------------------------

#ifdef ORVANE_SIMSTANDIN_PATH

// One run of orvane-simstandin with its standard output read through a pipe.
class StandinProcess {
 public:
  explicit StandinProcess(const std::vector<std::string>& args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> all{ORVANE_SIMSTANDIN_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(out[1], STDERR_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    out_ = out[0];
  }
  ~StandinProcess() {
    if (pid_ > 0 && status_ < 0) stop();
    if (out_ >= 0) ::close(out_);
  }

  // Reads output until a line equal to line has come, or the program ended, or 10 s.
  bool wait_for_line(const std::string& line) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      if (has_line(line)) return true;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return false;
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return has_line(line);
      text_.append(buf, static_cast<std::size_t>(n));
    }
  }
  // Asks the program to end (SIGTERM) and returns its exit status; SIGKILL after 10 s.
  int stop() {
    if (status_ >= 0) return status_;
    ::kill(pid_, SIGTERM);
    return wait_exit();
  }
  // Waits for the program to end on its own; -1 when it is still running after 10 s.
  int wait_exit() {
    int status = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > until) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        return status_ = 1000;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    drain();
    return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  const std::string& text() const { return text_; }

 private:
  bool has_line(const std::string& line) const {
    return ("\n" + text_).find("\n" + line + "\n") != std::string::npos;
  }
  void drain() {
    char buf[4096];
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 1000) <= 0) return;
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return;
      text_.append(buf, static_cast<std::size_t>(n));
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int status_ = -1;
  std::string text_;
};

class StandinProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fsuipc_set_socket_dir(dir_.path().string());
    scenario_ = dir_.write("still.txt", kStillScenario);
  }
  void TearDown() override { FSUIPC_Close(); }

  // Starts the program on the still scenario with extra options and waits until it serves.
  std::unique_ptr<StandinProcess> run(std::vector<std::string> extra,
                                      const std::string& window_class = "UIPCMAIN") {
    std::vector<std::string> args{"--scenario",         scenario_, "--socket-dir",
                                  dir_.path().string(), "--class", window_class};
    args.insert(args.end(), extra.begin(), extra.end());
    auto p = std::make_unique<StandinProcess>(args);
    EXPECT_TRUE(p->wait_for_line("orvane-simstandin: serving " + window_class + " at " +
                                 dir_.file(window_class)))
        << p->text();
    return p;
  }

  test::TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  std::string scenario_;
};

TEST_F(StandinProgramTest, ServesTheScenarioThroughTheLink) {
  auto program = run({});
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Open(0, &code)) << fsuipc_error(code);
  EXPECT_EQ(FSUIPC_Version, StandinServer::kGoodVersion);
  EXPECT_EQ(FSUIPC_FS_Version, 0x000Cu);
  EXPECT_TRUE(
      program->wait_for_line("orvane-simstandin: client linked through " + fsuipc_mapping_name()))
      << program->text();

  OffsetMemory expected;
  standin::encode_state(model::parse_scenario(kStillScenario).at(0.0), expected);
  std::int64_t lat = 0, lon = 0;
  std::int32_t alt = 0;
  char tail[12];
  std::memset(tail, 0x7F, sizeof tail);
  ASSERT_TRUE(FSUIPC_Read(0x0560, 8, &lat, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0568, 8, &lon, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  ASSERT_TRUE(FSUIPC_Read(0x313C, 12, tail, &code));
  ASSERT_TRUE(FSUIPC_Process(&code)) << fsuipc_error(code);
  EXPECT_EQ(lat, expected.get<std::int64_t>(0x0560));
  EXPECT_EQ(lon, expected.get<std::int64_t>(0x0568));
  EXPECT_EQ(alt, expected.get<std::int32_t>(0x0574));
  EXPECT_NE(lat, 0);
  EXPECT_EQ(std::string(tail, strnlen(tail, 12)), "D-PROC");

  // Writes are stored and read back in the next batch.
  const std::uint32_t written = 0x0BADF00Du;
  std::uint32_t back = 0;
  ASSERT_TRUE(FSUIPC_Write(0x6000, 4, &written, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  ASSERT_TRUE(FSUIPC_Read(0x6000, 4, &back, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(back, written);

  // A null destination and a size of 0 travel along without being copied.
  std::uint32_t untouched = 0xDEADBEEFu, after = 0;
  ASSERT_TRUE(FSUIPC_Read(0x6000, 4, nullptr, &code));
  ASSERT_TRUE(FSUIPC_Read(0x6000, 0, &untouched, &code));
  ASSERT_TRUE(FSUIPC_Read(0x6000, 4, &after, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(untouched, 0xDEADBEEFu);
  EXPECT_EQ(after, written);

  // Nothing queued: code 10; opening again: code 1, and the link still works.
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 10u);
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 1u);
  ASSERT_TRUE(FSUIPC_Read(0x6000, 4, &back, &code));
  EXPECT_TRUE(FSUIPC_Process(&code));

  EXPECT_EQ(program->stop(), 0);
  EXPECT_TRUE(program->wait_for_line("orvane-simstandin: terminated, stopped")) << program->text();
}

TEST_F(StandinProgramTest, FullBlocksToTheByte) {
  auto program = run({});
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Open(0, &code));
  std::vector<std::uint8_t> out(32496), in(32492);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(i * 13 + 5);
  EXPECT_FALSE(FSUIPC_Write(0x4000, 32497, out.data(), &code));
  EXPECT_EQ(code, 15u);
  ASSERT_TRUE(FSUIPC_Write(0x4000, 32496, out.data(), &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_FALSE(FSUIPC_Read(0x4000, 32493, in.data(), &code));
  EXPECT_EQ(code, 15u);
  ASSERT_TRUE(FSUIPC_Read(0x4000, 32492, in.data(), &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(in, std::vector<std::uint8_t>(out.begin(), out.begin() + 32492));
}

TEST_F(StandinProgramTest, NewMappingNameOnEveryOpen) {
  auto program = run({});
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    std::uint32_t code = 99;
    ASSERT_TRUE(FSUIPC_Open(0, &code));
    names.push_back(fsuipc_mapping_name());
    FSUIPC_Close();
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_NE(names[1], names[2]);
  EXPECT_NE(names[0], names[2]);
  // The program saw each of them arrive over the socket.
  for (const std::string& name : names) {
    EXPECT_TRUE(program->wait_for_line("orvane-simstandin: client linked through " + name))
        << program->text();
  }
}

TEST_F(StandinProgramTest, GoneProgramGivesCodes12Then2) {
  auto program = run({});
  std::uint32_t code = 99, value = 0;
  ASSERT_TRUE(FSUIPC_Open(0, &code));
  EXPECT_EQ(program->stop(), 0);
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 12u);
  FSUIPC_Close();
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
  EXPECT_STREQ(fsuipc_error(code), "Cannot link to FSUIPC or WideClient");
}

TEST_F(StandinProgramTest, BadVersionGivesCode7OrCode14BehindTheFallback) {
  {
    auto program = run({"--bad-version"});
    EXPECT_TRUE(
        program->wait_for_line("orvane-simstandin: answering the handshake with bad versions"));
    std::uint32_t code = 99;
    EXPECT_FALSE(FSUIPC_Open(0, &code));
    EXPECT_EQ(code, 7u);
  }
  auto program = run({"--bad-version"}, "FS98MAIN");
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 14u);
}

TEST_F(StandinProgramTest, OtherAnswerGivesCode13) {
  auto program = run({"--answer", "0"});
  EXPECT_TRUE(program->wait_for_line("orvane-simstandin: answering every batch with 0"));
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 13u);
  EXPECT_STREQ(fsuipc_error(code), "IPC request contains bad data");
}

TEST_F(StandinProgramTest, UnknownRecordIdEndsTheCopyBack) {
  // Record 2 of the handshake is the version write, so the open itself is not disturbed.
  auto program = run({"--unknown-id", "2"});
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Open(0, &code)) << fsuipc_error(code);
  const std::uint32_t marks[3] = {0x11111111u, 0x22222222u, 0x33333333u};
  ASSERT_TRUE(FSUIPC_Write(0x6100, 12, marks, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  std::uint32_t a = 0, b = 0, c = 0;
  ASSERT_TRUE(FSUIPC_Read(0x6100, 4, &a, &code));
  ASSERT_TRUE(FSUIPC_Read(0x6104, 4, &b, &code));
  ASSERT_TRUE(FSUIPC_Read(0x6108, 4, &c, &code));
  EXPECT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(a, marks[0]);
  EXPECT_EQ(b, marks[1]);
  EXPECT_EQ(c, 0u);
}

TEST_F(StandinProgramTest, DisconnectEventTakesTheServerAwayUntilReconnect) {
  scenario_ = dir_.write("gap.txt",
                         std::string(kStillScenario) + "event 20 disconnect\nevent 40 reconnect\n");
  auto program = run({"--speed", "1000"});
  ASSERT_TRUE(program->wait_for_line("orvane-simstandin: 40 s: reconnect")) << program->text();
  EXPECT_TRUE(program->wait_for_line("orvane-simstandin: 20 s: disconnect"));
  std::uint32_t code = 99;
  EXPECT_TRUE(eventually([&] {
    if (FSUIPC_Open(0, &code)) return true;
    EXPECT_EQ(code, 2u);
    return false;
  }));
}

// The built-in flight touches down at 402 s at -150 fpm; at 400 times the program gets
// there in about a second and prints it.
TEST_F(StandinProgramTest, PrintsTheTouchdownsRateAndG) {
  StandinProcess p({"--speed", "400", "--socket-dir", dir_.path().string(), "--aircraft",
                    "piston", "--crash-detection", "off"});
  ASSERT_TRUE(p.wait_for_line("orvane-simstandin: aircraft piston, crash detection off"))
      << p.text();
  EXPECT_TRUE(p.wait_for_line("orvane-simstandin: 402 s: touchdown at -150.0 fpm, 1.12 G"))
      << p.text();
  EXPECT_EQ(p.stop(), 0);
}

TEST_F(StandinProgramTest, ServesAsWineUipcAndAsAPropellerAircraft) {
  auto program = run({"--emulator", "wineuipc", "--aircraft", "counter-prop"});
  EXPECT_TRUE(program->wait_for_line(
      "orvane-simstandin: emulating wineUIPC: no activity counter, no in-menu flag, mode 0"));
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Open(0, &code)) << fsuipc_error(code);
  std::uint16_t counter = 1;
  std::uint8_t mode = 1, menu = 1;
  std::int16_t n1 = 0, n2 = 1, fire = 0, scaler = 0;
  ASSERT_TRUE(FSUIPC_Read(0x337E, 2, &counter, &code));
  ASSERT_TRUE(FSUIPC_Read(0x3364, 1, &mode, &code));
  ASSERT_TRUE(FSUIPC_Read(0x3365, 1, &menu, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0898, 2, &n1, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0896, 2, &n2, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0894, 2, &fire, &code));
  ASSERT_TRUE(FSUIPC_Read(0x08C8, 2, &scaler, &code));
  ASSERT_TRUE(FSUIPC_Process(&code)) << fsuipc_error(code);
  EXPECT_EQ(counter, 0u);
  EXPECT_EQ(mode, 0u);
  EXPECT_EQ(menu, 0u);
  EXPECT_EQ(n1, -4096);  // 25 % of the propeller's top RPM, turning the other way
  EXPECT_EQ(n2, 0);
  EXPECT_EQ(fire, 1);  // N2 60 %: firing
  EXPECT_EQ(scaler, 10800);
  FSUIPC_Close();
}

TEST_F(StandinProgramTest, RefusesBadOptions) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--class", "NOPE"},
                                               {"--aircraft", "glider"},
                                               {"--emulator", "xpuipc"},
                                               {"--crash-detection", "maybe"},
                                               {"--speed", "0"},
                                               {"--speed", "x"},
                                               {"--answer"},
                                               {"--frobnicate"},
                                               {"--scenario", dir_.file("missing.txt")}}) {
    StandinProcess p(args);
    EXPECT_EQ(p.wait_exit(), 2) << args[0] << ": " << p.text();
  }
  StandinProcess bad({"--scenario", dir_.write("bad.txt", "key 0 alt=banana\n")});
  EXPECT_EQ(bad.wait_exit(), 2);
  EXPECT_EQ(bad.text().rfind("orvane-simstandin: scenario line 1", 0), 0u) << bad.text();
}

#else

TEST(StandinProgramTest, ProgramIsBuilt) {
  FAIL() << "built without the orvane-simstandin program (ORVANE_SIMSTANDIN_PATH)";
}

#endif

}  // namespace
}  // namespace orvane
