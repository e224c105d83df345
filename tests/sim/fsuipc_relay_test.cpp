// The FSUIPC client through the relay's TCP link: the relay's service in this process over
// the socket link to the in-process stand-in, the client over the relay link to the service.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "relay/relay_service.h"
#include "relay/relay_socket.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using standin::OffsetMemory;
using standin::StandinServer;

// A TCP port on 127.0.0.1 that was free a moment ago.
std::uint16_t free_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// The relay as orvane-fsuipc-relay runs it: one request after another on its own thread.
class Relay {
 public:
  explicit Relay(std::uint16_t port) : service_(make_fsuipc_link()) {
    ok_ = listener_.listen(port);
    thread_ = std::thread([this] {
      while (!stop_.load()) {
        auto c = listener_.accept(20, 2000);
        if (c) service_.serve(*c);
      }
    });
  }
  ~Relay() {
    stop_.store(true);
    thread_.join();
  }
  bool ok() const { return ok_; }

 private:
  relay::Listener listener_;
  relay::RelayService service_;  // made while no relay is set: the socket link
  bool ok_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class FsuipcRelayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fsuipc_set_relay("");
    fsuipc_set_socket_dir(dir_.path().string());
    server_ = std::make_unique<StandinServer>(memory_, dir_.path().string(), "UIPCMAIN");
    ASSERT_TRUE(server_->start()) << server_->error();
    relay_ = std::make_unique<Relay>(port_);
    ASSERT_TRUE(relay_->ok());
    fsuipc_set_relay("127.0.0.1:" + std::to_string(port_));
  }
  void TearDown() override {
    FSUIPC_Close();
    fsuipc_set_relay("");
    fsuipc_set_send_timeout_ms(2000);
  }
  void open_ok() {
    std::uint32_t code = 99;
    ASSERT_TRUE(FSUIPC_Open(0, &code));
    ASSERT_EQ(code, 0u);
  }
  std::uint32_t read_after(std::uint32_t offset) {
    std::uint32_t value = 0, code = 99;
    EXPECT_TRUE(FSUIPC_Read(offset, 4, &value, &code));
    EXPECT_FALSE(FSUIPC_Process(&code));
    return code;
  }

  test::TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  OffsetMemory memory_;
  std::uint16_t port_ = free_port();
  std::unique_ptr<StandinServer> server_;
  std::unique_ptr<Relay> relay_;
};

TEST_F(FsuipcRelayTest, OpenReadAndWriteGoThroughTheRelay) {
  open_ok();
  EXPECT_EQ(FSUIPC_Version, StandinServer::kGoodVersion);
  EXPECT_EQ(server_->lib_version(), 1004);
  memory_.put<std::int32_t>(0x0574, 10668);
  std::int32_t alt = 0;
  const std::uint16_t written = 0xBEEF;
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  ASSERT_TRUE(FSUIPC_Write(0x3110, 2, &written, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(alt, 10668);
  EXPECT_EQ(memory_.get<std::uint16_t>(0x3110), 0xBEEF);
  // The relay's block carries the client's name.
  EXPECT_EQ(server_->mapping_names(), std::vector<std::string>{fsuipc_mapping_name()});
}

TEST_F(FsuipcRelayTest, NoRelayAtTheAddressGivesCode2) {
  relay_.reset();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
}

TEST_F(FsuipcRelayTest, RelayWithoutASimulatorGivesCode2) {
  server_->stop();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
}

TEST_F(FsuipcRelayTest, SilentSimulatorGivesCode11AfterNineAttempts) {
  open_ok();
  fsuipc_set_send_timeout_ms(100);
  server_->set_silent(true);
  const std::uint64_t before = server_->messages();
  EXPECT_EQ(read_after(0x0574), 11u);
  // Each attempt reached the simulator; none was answered.
  EXPECT_EQ(server_->messages() - before, 9u);
  EXPECT_TRUE(fsuipc_is_open());
}

TEST_F(FsuipcRelayTest, VanishedSimulatorGivesCode12) {
  open_ok();
  server_->stop();
  EXPECT_EQ(read_after(0x0574), 12u);
}

TEST_F(FsuipcRelayTest, VanishedRelayGivesCode12AndARestartedOneServesTheNextOpen) {
  open_ok();
  relay_.reset();
  EXPECT_EQ(read_after(0x0574), 12u);
  FSUIPC_Close();
  // The relay serves the simulator's own link, made while no relay is set (as in SetUp):
  // one made now would be a relay link to itself.
  fsuipc_set_relay("");
  relay_ = std::make_unique<Relay>(port_);
  ASSERT_TRUE(relay_->ok());
  fsuipc_set_relay("127.0.0.1:" + std::to_string(port_));
  open_ok();
  std::uint32_t value = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x3304, 4, &value, &code));
  EXPECT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(value, StandinServer::kGoodVersion);
}

}  // namespace
}  // namespace orvane
