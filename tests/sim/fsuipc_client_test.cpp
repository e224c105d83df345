// Tests of the FSUIPC client against the in-process stand-in server over the real link.
// SPDX-License-Identifier: MIT
#include "sim/fsuipc_client.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"
#include "support/recorder.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using standin::OffsetMemory;
using standin::StandinServer;

std::string expected_mapping_name(std::uint32_t tries) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "FsasmLib:IPC:%X:%X", static_cast<unsigned>(::getpid()), tries);
  return buf;
}

bool shm_exists(const std::string& mapping_name) {
  const int fd = ::shm_open(fsuipc_shm_name(mapping_name).c_str(), O_RDONLY, 0);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::uint32_t u32_at(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void set_u32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

// A 4-byte destination between two guard areas; on the heap so that the address sanitizer
// also sees a write past the whole object.
struct Guarded {
  std::array<std::uint8_t, 16> before;
  std::uint32_t value;
  std::array<std::uint8_t, 16> after;
  Guarded() : value(0xA5A5A5A5u) {
    before.fill(0xEE);
    after.fill(0xEE);
  }
  bool guards_intact() const {
    for (auto b : before)
      if (b != 0xEE) return false;
    for (auto b : after)
      if (b != 0xEE) return false;
    return true;
  }
};

TEST(FsuipcErrorTest, EveryCodeHasItsText) {
  const char* const expected[] = {
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
  for (std::uint32_t code = 0; code < 16; ++code) {
    EXPECT_STREQ(fsuipc_error(code), expected[code]) << "code " << code;
  }
}

TEST(FsuipcErrorTest, CodesOutsideTheTableGiveAFixedText) {
  EXPECT_STREQ(fsuipc_error(16), "Unknown FSUIPC error code");
  EXPECT_STREQ(fsuipc_error(0x7FFFFFFFu), "Unknown FSUIPC error code");
  EXPECT_STREQ(fsuipc_error(0xFFFFFFFFu), "Unknown FSUIPC error code");
}

// --- the copy-back walk over a block as the server left it ---------------------------

class CopyBackTest : public ::testing::Test {
 protected:
  // Appends a read record with the given token and data.
  void add_read(std::uint32_t offset, std::vector<std::uint8_t> data, std::uint32_t token) {
    append_u32(1);
    append_u32(offset);
    append_u32(static_cast<std::uint32_t>(data.size()));
    append_u32(token);
    block_.insert(block_.end(), data.begin(), data.end());
  }
  void add_write(std::uint32_t offset, std::vector<std::uint8_t> data) {
    append_u32(2);
    append_u32(offset);
    append_u32(static_cast<std::uint32_t>(data.size()));
    block_.insert(block_.end(), data.begin(), data.end());
  }
  void append_u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) block_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  // The walk gets a heap block of exactly the queued bytes: any look past them is caught
  // by the address sanitizer.
  std::size_t walk(const std::vector<detail::Destination>& destinations) {
    exact_ = std::make_unique<std::uint8_t[]>(block_.size());
    std::memcpy(exact_.get(), block_.data(), block_.size());
    return detail::fsuipc_copy_back(exact_.get(), block_.size(), destinations);
  }

  std::vector<std::uint8_t> block_;
  std::unique_ptr<std::uint8_t[]> exact_;
};

TEST_F(CopyBackTest, CopiesEachReadToItsTokenAndStepsOverWrites) {
  std::uint32_t a = 0;
  std::uint16_t b = 0;
  add_read(0x560, {1, 2, 3, 4}, 1);
  add_write(0x330A, {0xEC, 0x03});
  add_read(0x366, {7, 8}, 2);
  EXPECT_EQ(walk({{&a, 4}, {&b, 2}}), 3u);
  EXPECT_EQ(a, 0x04030201u);
  EXPECT_EQ(b, 0x0807u);
}

TEST_F(CopyBackTest, TokenZeroOrOutsideTheTableCopiesNothing) {
  std::uint32_t a = 0x11111111u;
  add_read(0x560, {1, 2, 3, 4}, 0);
  add_read(0x560, {5, 6, 7, 8}, 2);  // the table has one entry only
  add_read(0x560, {9, 9, 9, 9}, 0xFFFFFFFFu);
  EXPECT_EQ(walk({{&a, 4}}), 3u);
  EXPECT_EQ(a, 0x11111111u);
}

TEST_F(CopyBackTest, NullDestinationInTheTableCopiesNothing) {
  add_read(0x560, {1, 2, 3, 4}, 1);
  EXPECT_EQ(walk({{nullptr, 4}}), 1u);
}

TEST_F(CopyBackTest, CopiesAtMostTheSizeTheCallerQueued) {
  auto g = std::make_unique<Guarded>();
  add_read(0x560, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 1);  // server grew the record
  EXPECT_EQ(walk({{&g->value, 4}}), 1u);
  EXPECT_EQ(g->value, 0x04030201u);
  EXPECT_TRUE(g->guards_intact());
}

TEST_F(CopyBackTest, RecordRunningPastTheQueuedBytesEndsTheWalk) {
  std::uint32_t a = 0, b = 0x22222222u;
  add_read(0x560, {1, 2, 3, 4}, 1);
  add_read(0x568, {5, 6, 7, 8}, 2);
  set_u32(block_.data() + 20 + 8, 5);  // second record now claims one byte more than queued
  EXPECT_EQ(walk({{&a, 4}, {&b, 4}}), 1u);
  EXPECT_EQ(a, 0x04030201u);
  EXPECT_EQ(b, 0x22222222u);
}

TEST_F(CopyBackTest, HugeSizesEndTheWalk) {
  std::uint32_t a = 0x33333333u;
  for (const std::uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 32768u}) {
    block_.clear();
    add_read(0x560, {1, 2, 3, 4}, 1);
    set_u32(block_.data() + 8, size);
    EXPECT_EQ(walk({{&a, 4}}), 0u) << size;
    block_.clear();
    add_write(0x560, {1, 2, 3, 4});
    set_u32(block_.data() + 8, size);
    EXPECT_EQ(walk({{&a, 4}}), 0u) << size;
  }
  EXPECT_EQ(a, 0x33333333u);
}

TEST_F(CopyBackTest, HeaderCutByTheEndOfTheQueueEndsTheWalk) {
  std::uint32_t a = 0x44444444u;
  append_u32(1);
  append_u32(0x560);
  append_u32(0);  // a read header missing its destination field
  EXPECT_EQ(walk({{&a, 4}}), 0u);
  block_.clear();
  append_u32(2);
  append_u32(0x560);  // a write header missing its size
  EXPECT_EQ(walk({{&a, 4}}), 0u);
  block_.assign({1, 0});  // not even a whole id
  EXPECT_EQ(walk({{&a, 4}}), 0u);
  EXPECT_EQ(a, 0x44444444u);
}

TEST_F(CopyBackTest, UnknownIdIsClearedAndEndsTheWalk) {
  std::uint32_t a = 0, b = 0x55555555u;
  add_read(0x560, {1, 2, 3, 4}, 1);
  add_read(0x568, {5, 6, 7, 8}, 2);
  set_u32(block_.data() + 20, 3);
  EXPECT_EQ(walk({{&a, 4}, {&b, 4}}), 1u);
  EXPECT_EQ(a, 0x04030201u);
  EXPECT_EQ(b, 0x55555555u);
  EXPECT_EQ(u32_at(exact_.get() + 20), 0u);
}

TEST_F(CopyBackTest, ZeroIdEndsTheWalkEarly) {
  std::uint32_t a = 0x66666666u;
  append_u32(0);
  add_read(0x560, {1, 2, 3, 4}, 1);
  EXPECT_EQ(walk({{&a, 4}}), 0u);
  EXPECT_EQ(a, 0x66666666u);
}

TEST_F(CopyBackTest, RandomBlocksStayInBounds) {
  std::mt19937 rng(20260702);
  for (int round = 0; round < 3000; ++round) {
    block_.clear();
    const int records = static_cast<int>(rng() % 6);
    for (int r = 0; r < records; ++r) {
      std::vector<std::uint8_t> data(rng() % 24);
      for (auto& d : data) d = static_cast<std::uint8_t>(rng());
      if (rng() % 2) {
        add_read(rng(), data, rng() % 5);
      } else {
        add_write(rng(), data);
      }
    }
    // Scribble over a few bytes, as a broken server would, and cut the tail at random.
    for (int k = static_cast<int>(rng() % 4); k > 0 && !block_.empty(); --k) {
      block_[rng() % block_.size()] =
          static_cast<std::uint8_t>(rng() % 3 == 0 ? rng() : rng() % 40);
    }
    if (!block_.empty() && rng() % 3 == 0) block_.resize(rng() % block_.size());
    std::vector<std::unique_ptr<std::uint8_t[]>> buffers;
    std::vector<detail::Destination> destinations;
    for (int d = 0; d < 4; ++d) {
      const std::uint32_t size = rng() % 9;
      buffers.push_back(std::make_unique<std::uint8_t[]>(size ? size : 1));
      destinations.push_back({buffers.back().get(), size});
    }
    if (block_.empty()) continue;
    const std::size_t walked = walk(destinations);
    EXPECT_LE(walked, static_cast<std::size_t>(records));
  }
}

// --- the client against the stand-in ------------------------------------------------

class FsuipcClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fsuipc_set_socket_dir(dir_.path().string());
    start_ms_ = clock_.now_ms();
  }
  void TearDown() override {
    FSUIPC_Close();
    fsuipc_set_give_up(false);
    fsuipc_set_send_timeout_ms(2000);
    fsuipc_set_socket_dir(dir_.path().string());
  }
  // Starts a server as the given window class; the caller owns it.
  std::unique_ptr<StandinServer> serve(const char* window_class = "UIPCMAIN") {
    auto s = std::make_unique<StandinServer>(memory_, dir_.path().string(), window_class);
    EXPECT_TRUE(s->start()) << s->error();
    return s;
  }
  void open_ok() {
    std::uint32_t code = 99;
    ASSERT_TRUE(FSUIPC_Open(0, &code));
    ASSERT_EQ(code, 0u);
  }
  std::int64_t clock_moved_ms() { return clock_.now_ms() - start_ms_; }

  test::TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  std::int64_t start_ms_ = 0;
  OffsetMemory memory_;
};

TEST_F(FsuipcClientTest, OpenShakesHandsInOnePass) {
  auto server = serve();
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(fsuipc_is_open());
  EXPECT_EQ(FSUIPC_Version, StandinServer::kGoodVersion);
  EXPECT_EQ(FSUIPC_FS_Version, 0x000Cu);  // only the simulator number is kept
  EXPECT_EQ(server->lib_version(), 1004);
  EXPECT_EQ(memory_.get<std::uint16_t>(0x330A), 1004);
  EXPECT_EQ(server->messages(), 1u);
  EXPECT_EQ(clock_moved_ms(), 100);  // one pass, one pause, on the clock seam
  const std::string name = expected_mapping_name(fsuipc_try_count());
  EXPECT_EQ(fsuipc_mapping_name(), name);
  EXPECT_EQ(server->mapping_names(), std::vector<std::string>{name});
}

TEST_F(FsuipcClientTest, OpenRetriesTheHandshakeUntilBothVersionsAreThere) {
  auto server = serve();
  std::vector<int> records_per_batch;
  server->set_tamper([&](std::uint8_t* block, std::size_t) {
    int n = 0;
    for (std::size_t at = 0; u32_at(block + at) != 0; ++n) {
      at += (u32_at(block + at) == 1 ? 16 : 12) + u32_at(block + at + 8);
    }
    records_per_batch.push_back(n);
    if (records_per_batch.size() < 3) set_u32(block + 16, 0);  // hide the server version
  });
  open_ok();
  EXPECT_EQ(records_per_batch, (std::vector<int>{3, 2, 2}));  // the write in pass 1 only
  EXPECT_EQ(clock_moved_ms(), 300);
}

TEST_F(FsuipcClientTest, OpenGivesUpAfterFivePassesWithCode7) {
  auto server = serve();
  server->set_versions(0, 0);
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_EQ(server->messages(), 5u);
  EXPECT_EQ(clock_moved_ms(), 500);
  EXPECT_FALSE(fsuipc_is_open());
}

TEST_F(FsuipcClientTest, BadVersionsAreRefusedWithCode7AndEverythingReleased) {
  auto server = serve();
  struct Case {
    std::uint32_t version, fs_version;
  };
  for (const Case c : {Case{StandinServer::kBadVersion, StandinServer::kGoodFsVersion},
                       Case{StandinServer::kGoodVersion, StandinServer::kBadFsVersion},
                       Case{StandinServer::kBadVersion, StandinServer::kBadFsVersion}}) {
    server->set_versions(c.version, c.fs_version);
    std::uint32_t code = 99;
    EXPECT_FALSE(FSUIPC_Open(0, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_STREQ(fsuipc_error(code), "Incorrect version of FSUIPC, or not FSUIPC");
    EXPECT_FALSE(fsuipc_is_open());
    EXPECT_FALSE(shm_exists(expected_mapping_name(fsuipc_try_count())));
  }
  // The lowest accepted version opens.
  server->set_versions(0x19980005u, 0xFADE0000u);
  open_ok();
  EXPECT_EQ(FSUIPC_FS_Version, 0u);
}

TEST_F(FsuipcClientTest, BadVersionBehindTheFallbackWindowGivesCode14) {
  auto server = serve("FS98MAIN");
  server->set_versions(StandinServer::kBadVersion, StandinServer::kBadFsVersion);
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 14u);
  EXPECT_STREQ(fsuipc_error(code),
               "Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC");
  server->set_versions(StandinServer::kGoodVersion, StandinServer::kGoodFsVersion);
  open_ok();  // a good server behind the fallback window is fine
}

TEST_F(FsuipcClientTest, MainWindowIsPreferredOverTheFallback) {
  auto fallback = serve("FS98MAIN");
  auto main = serve("UIPCMAIN");
  open_ok();
  EXPECT_EQ(main->messages(), 1u);
  EXPECT_EQ(fallback->messages(), 0u);
}

TEST_F(FsuipcClientTest, OtherSimulatorRequestedGivesCode8) {
  auto server = serve();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0x000D, &code));
  EXPECT_EQ(code, 8u);
  EXPECT_STREQ(fsuipc_error(code), "Sim is not version requested");
  EXPECT_FALSE(fsuipc_is_open());
  EXPECT_TRUE(FSUIPC_Open(0x000C, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(FsuipcClientTest, NoServerGivesCode2) {
  std::uint32_t code = 99;
  const std::uint32_t tries = fsuipc_try_count();
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
  EXPECT_STREQ(fsuipc_error(code), "Cannot link to FSUIPC or WideClient");
  EXPECT_EQ(fsuipc_try_count(), tries);  // no mapping name was spent
  // A socket folder that does not exist at all, and one too long for a socket.
  fsuipc_set_socket_dir(dir_.file("missing"));
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
  fsuipc_set_socket_dir("/" + std::string(200, 'x'));
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
}

TEST_F(FsuipcClientTest, StoppedServerIsNotFound) {
  auto server = serve();
  server->stop();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 2u);
  ASSERT_TRUE(server->restart());
  open_ok();
}

TEST_F(FsuipcClientTest, OpenTwiceFailsWithCode1AndKeepsTheFirstLink) {
  auto server = serve();
  open_ok();
  const std::string name = fsuipc_mapping_name();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_STREQ(fsuipc_error(code), "Attempt to Open when already Open");
  EXPECT_EQ(fsuipc_mapping_name(), name);
  memory_.put<std::int32_t>(0x0574, 11000);
  std::int32_t alt = 0;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(alt, 11000);
}

TEST_F(FsuipcClientTest, CallsOnAClosedLinkGiveCode9) {
  std::uint32_t value = 0, code = 99;
  EXPECT_FALSE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_EQ(code, 9u);
  code = 99;
  EXPECT_FALSE(FSUIPC_Write(0x0574, 4, &value, &code));
  EXPECT_EQ(code, 9u);
  code = 99;
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 9u);
  EXPECT_STREQ(fsuipc_error(code), "Call cannot execute, link not Open");
  // Closing again and again changes nothing.
  FSUIPC_Close();
  FSUIPC_Close();
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 9u);
}

TEST_F(FsuipcClientTest, ProcessWithNothingQueuedGivesCode10AndSendsNothing) {
  auto server = serve();
  open_ok();
  const std::uint64_t before = server->messages();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 10u);
  EXPECT_STREQ(fsuipc_error(code), "Call cannot execute: no requests accumulated");
  EXPECT_EQ(server->messages(), before);
}

TEST_F(FsuipcClientTest, ReadsAndWritesTravelInOneBatch) {
  auto server = serve();
  open_ok();
  memory_.put<std::int64_t>(0x0560, 4000000000000000LL);
  memory_.put<std::int16_t>(0x0366, 1);
  const char reg[12] = "D-ORVA";
  memory_.write(0x313C, reg, 12);
  std::int64_t lat = 0;
  std::int16_t ground = 0;
  char tail[12] = {};
  std::uint32_t code = 99;
  const std::int16_t rate = 512;
  ASSERT_TRUE(FSUIPC_Read(0x0560, 8, &lat, &code));
  ASSERT_TRUE(FSUIPC_Write(0x0C1A, 2, &rate, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0366, 2, &ground, &code));
  ASSERT_TRUE(FSUIPC_Read(0x313C, 12, tail, &code));
  EXPECT_EQ(fsuipc_queued_bytes(), (16u + 8) + (12 + 2) + (16 + 2) + (16 + 12));
  const std::uint64_t before = server->messages();
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(server->messages(), before + 1);
  EXPECT_EQ(lat, 4000000000000000LL);
  EXPECT_EQ(ground, 1);
  EXPECT_EQ(std::string(tail), "D-ORVA");
  EXPECT_EQ(memory_.get<std::int16_t>(0x0C1A), 512);
  EXPECT_EQ(fsuipc_queued_bytes(), 0u);
}

TEST_F(FsuipcClientTest, BlockCarriesTheRecordLayoutAndTokens) {
  auto server = serve();
  open_ok();
  std::vector<std::uint8_t> seen;
  server->set_tamper([&](std::uint8_t* block, std::size_t) { seen.assign(block, block + 80); });
  std::uint32_t a = 0, b = 0, code = 99;
  const std::uint8_t out[3] = {0xAB, 0xCD, 0xEF};
  ASSERT_TRUE(FSUIPC_Read(0x3304, 4, &a, &code));
  ASSERT_TRUE(FSUIPC_Write(0x1234, 3, out, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0264, 2, &b, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  ASSERT_EQ(seen.size(), 80u);
  const std::uint8_t* p = seen.data();
  EXPECT_EQ(u32_at(p + 0), 1u);
  EXPECT_EQ(u32_at(p + 4), 0x3304u);
  EXPECT_EQ(u32_at(p + 8), 4u);
  EXPECT_EQ(u32_at(p + 12), 1u);  // first entry of the destination table
  EXPECT_EQ(u32_at(p + 16), StandinServer::kGoodVersion);
  EXPECT_EQ(u32_at(p + 20), 2u);
  EXPECT_EQ(u32_at(p + 24), 0x1234u);
  EXPECT_EQ(u32_at(p + 28), 3u);
  EXPECT_EQ(std::vector<std::uint8_t>(p + 32, p + 35),
            (std::vector<std::uint8_t>{0xAB, 0xCD, 0xEF}));
  EXPECT_EQ(u32_at(p + 35), 1u);
  EXPECT_EQ(u32_at(p + 39), 0x0264u);
  EXPECT_EQ(u32_at(p + 43), 2u);
  EXPECT_EQ(u32_at(p + 47), 2u);  // second entry
  EXPECT_EQ(u32_at(p + 53), 0u);  // end marker after the last record
  EXPECT_EQ(memory_.get<std::uint32_t>(0x1234) & 0xFFFFFFu, 0xEFCDABu);
}

TEST_F(FsuipcClientTest, NullDestinationOrSizeZeroIsSentButNotCopied) {
  auto server = serve();
  open_ok();
  memory_.put<std::uint32_t>(0x02B4, 0x01020304u);
  memory_.put<std::uint32_t>(0x02B8, 0x05060708u);
  std::vector<std::uint32_t> sizes, tokens;
  server->set_tamper([&](std::uint8_t* block, std::size_t) {
    for (std::size_t at = 0; u32_at(block + at) == 1; at += 16 + u32_at(block + at + 8)) {
      sizes.push_back(u32_at(block + at + 8));
      tokens.push_back(u32_at(block + at + 12));
    }
  });
  std::uint32_t untouched = 0xDEADBEEFu, after = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x02B4, 4, nullptr, &code));
  ASSERT_TRUE(FSUIPC_Read(0x02B4, 0, &untouched, &code));
  ASSERT_TRUE(FSUIPC_Read(0x02B8, 4, &after, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(sizes, (std::vector<std::uint32_t>{4, 0, 4}));
  EXPECT_EQ(tokens, (std::vector<std::uint32_t>{0, 0, 1}));
  EXPECT_EQ(untouched, 0xDEADBEEFu);
  EXPECT_EQ(after, 0x05060708u);
}

TEST_F(FsuipcClientTest, WriteFromNullSourceIsRefused) {
  auto server = serve();
  open_ok();
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Write(0x0C1A, 2, nullptr, &code));
  EXPECT_EQ(code, 13u);
  EXPECT_EQ(fsuipc_queued_bytes(), 0u);
  EXPECT_TRUE(FSUIPC_Write(0x0C1A, 0, nullptr, &code));  // nothing to copy is fine
  EXPECT_EQ(code, 0u);
}

TEST_F(FsuipcClientTest, ReadLimitHoldsToTheByte) {
  auto server = serve();
  open_ok();
  std::vector<std::uint8_t> big(32492), small(4);
  std::uint32_t code = 99;
  // One read too big by a byte leaves the queue as it was.
  EXPECT_FALSE(FSUIPC_Read(0, 32493, big.data(), &code));
  EXPECT_EQ(code, 15u);
  EXPECT_STREQ(fsuipc_error(code),
               "Read or Write request cannot be added, memory for Process is full");
  EXPECT_EQ(fsuipc_queued_bytes(), 0u);
  EXPECT_FALSE(FSUIPC_Read(0, 0xFFFFFFFFu, big.data(), &code));
  EXPECT_EQ(code, 15u);
  // Header, data and end marker fill 32512 bytes exactly.
  ASSERT_TRUE(FSUIPC_Read(0, 32492, big.data(), &code));
  EXPECT_EQ(fsuipc_queued_bytes(), 32508u);
  EXPECT_FALSE(FSUIPC_Read(0, 0, small.data(), &code));
  EXPECT_EQ(code, 15u);
  EXPECT_EQ(fsuipc_queued_bytes(), 32508u);
  // The full block makes the round trip (from above the handshake offsets the server
  // answers itself).
  FSUIPC_Close();
  open_ok();
  constexpr std::uint32_t kBase = 0x4000;
  for (std::uint32_t i = 0; i < 32492; ++i) {
    memory_.put<std::uint8_t>(kBase + i, static_cast<std::uint8_t>(i * 7 + 3));
  }
  ASSERT_TRUE(FSUIPC_Read(kBase, 32492, big.data(), &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  std::vector<std::uint8_t> expected(32492);
  memory_.read(kBase, expected.data(), expected.size());
  EXPECT_EQ(big, expected);
  EXPECT_EQ(big[32491], static_cast<std::uint8_t>(32491 * 7 + 3));
}

TEST_F(FsuipcClientTest, WriteLimitHoldsToTheByte) {
  auto server = serve();
  open_ok();
  std::vector<std::uint8_t> big(32496);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 5 + 1);
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Write(0, 32497, big.data(), &code));
  EXPECT_EQ(code, 15u);
  EXPECT_EQ(fsuipc_queued_bytes(), 0u);
  ASSERT_TRUE(FSUIPC_Write(0, 32496, big.data(), &code));
  EXPECT_EQ(fsuipc_queued_bytes(), 32508u);
  EXPECT_FALSE(FSUIPC_Write(0, 0, big.data(), &code));
  EXPECT_EQ(code, 15u);
  ASSERT_TRUE(FSUIPC_Process(&code));
  std::vector<std::uint8_t> stored(32496);
  memory_.read(0, stored.data(), stored.size());
  EXPECT_EQ(stored, big);
}

TEST_F(FsuipcClientTest, WriteNeedsFourBytesLessRoomThanARead) {
  auto server = serve();
  open_ok();
  std::vector<std::uint8_t> buf(32400);
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0560, 100, buf.data(), &code));  // 116 bytes queued
  EXPECT_FALSE(FSUIPC_Read(0, 32377, buf.data(), &code));
  EXPECT_EQ(code, 15u);
  EXPECT_FALSE(FSUIPC_Write(0, 32381, buf.data(), &code));
  EXPECT_EQ(code, 15u);
  EXPECT_TRUE(FSUIPC_Write(0, 32380, buf.data(), &code));
  EXPECT_EQ(fsuipc_queued_bytes(), 32508u);
  FSUIPC_Close();
  open_ok();
  ASSERT_TRUE(FSUIPC_Read(0x0560, 100, buf.data(), &code));
  EXPECT_TRUE(FSUIPC_Read(0, 32376, buf.data(), &code));
  EXPECT_EQ(fsuipc_queued_bytes(), 32508u);
}

TEST_F(FsuipcClientTest, AnswerOtherThanOneGivesCode13AndEmptiesTheQueue) {
  auto server = serve();
  open_ok();
  server->set_answer(0);
  memory_.put<std::int32_t>(0x0574, 3000);
  std::int32_t alt = -1;
  std::uint32_t code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 13u);
  EXPECT_STREQ(fsuipc_error(code), "IPC request contains bad data");
  EXPECT_EQ(alt, -1);  // nothing is copied from a batch the server disowned
  EXPECT_TRUE(fsuipc_is_open());
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 10u);
  server->set_answer(1);
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &alt, &code));
  ASSERT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(alt, 3000);
}

TEST_F(FsuipcClientTest, BadAnswerDuringTheHandshakeFailsTheOpen) {
  auto server = serve();
  server->set_answer(2);
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 13u);
  EXPECT_FALSE(fsuipc_is_open());
}

TEST_F(FsuipcClientTest, SilentServerGivesCode11AfterNineAttempts) {
  auto server = serve();
  open_ok();
  fsuipc_set_send_timeout_ms(30);
  server->set_silent(true);
  const std::uint64_t before = server->messages();
  const std::int64_t clock_before = clock_.now_ms();
  std::uint32_t value = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 11u);
  EXPECT_STREQ(fsuipc_error(code), "IPC timed out all retries");
  EXPECT_EQ(server->messages() - before, 9u);
  EXPECT_EQ(clock_.now_ms() - clock_before, 900);
  EXPECT_TRUE(fsuipc_is_open());
}

TEST_F(FsuipcClientTest, GivingUpEndsAnUnansweredExchangeAfterOneAttemptOnly) {
  auto server = serve();
  open_ok();
  fsuipc_set_send_timeout_ms(30);
  fsuipc_set_give_up(true);
  // An answering server is not affected.
  std::uint32_t value = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_TRUE(FSUIPC_Process(&code));
  server->set_silent(true);
  std::uint64_t before = server->messages();
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  fsuipc_set_give_up(false);
  EXPECT_EQ(code, 11u);
  // The server counts a message when it reads it, which may come after the client gave up.
  test::eventually([&] { return server->messages() - before >= 1; });
  EXPECT_EQ(server->messages() - before, 1u);
  // Lifted, an exchange makes its nine attempts again.
  before = server->messages();
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  test::eventually([&] { return server->messages() - before >= 9; });
  EXPECT_EQ(server->messages() - before, 9u);
}

TEST_F(FsuipcClientTest, VanishedServerGivesCode12) {
  auto server = serve();
  open_ok();
  server->stop();
  std::uint32_t value = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0574, 4, &value, &code));
  EXPECT_FALSE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 12u);
  EXPECT_STREQ(fsuipc_error(code), "IPC sendmessage failed all retries");
  EXPECT_EQ(clock_moved_ms(), 100 + 900);
}

TEST_F(FsuipcClientTest, UnknownRecordIdEndsTheCopyBack) {
  auto server = serve();
  open_ok();
  memory_.put<std::uint32_t>(0x0100, 0x11111111u);
  memory_.put<std::uint32_t>(0x0104, 0x22222222u);
  memory_.put<std::uint32_t>(0x0108, 0x33333333u);
  server->set_unknown_id_at(1);
  std::uint32_t a = 0, b = 0, c = 0, code = 99;
  ASSERT_TRUE(FSUIPC_Read(0x0100, 4, &a, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0104, 4, &b, &code));
  ASSERT_TRUE(FSUIPC_Read(0x0108, 4, &c, &code));
  EXPECT_TRUE(FSUIPC_Process(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(a, 0x11111111u);
  EXPECT_EQ(b, 0u);
  EXPECT_EQ(c, 0u);
}

TEST_F(FsuipcClientTest, HostileAnswersNeverReachOutOfBounds) {
  auto server = serve();
  open_ok();
  memory_.put<std::uint32_t>(0x0200, 0x01020304u);
  using Edit = std::function<void(std::uint8_t*)>;
  const std::vector<Edit> edits = {
      [](std::uint8_t* b) { set_u32(b + 8, 0xFFFFFFF0u); },        // size wraps round
      [](std::uint8_t* b) { set_u32(b + 8, FSUIPC_BLOCK_SIZE); },  // size past the block
      [](std::uint8_t* b) { set_u32(b + 8, 40); },                 // bigger than queued
      [](std::uint8_t* b) { set_u32(b + 12, 1000); },              // token past the table
      [](std::uint8_t* b) { set_u32(b + 12, 0x80000001u); },       // looks like a pointer
      [](std::uint8_t* b) {
        set_u32(b + 20, 1);
        set_u32(b + 28, 32000);
      },  // 2nd record runs over
      [](std::uint8_t* b) {
        set_u32(b + 40, 2);
        set_u32(b + 48, 0xFFFFFFFFu);
      },                                                        // past the marker
      [](std::uint8_t* b) { std::memset(b + 40, 0x01, 200); },  // end marker overwritten
  };
  for (std::size_t i = 0; i < edits.size(); ++i) {
    server->set_tamper([&](std::uint8_t* block, std::size_t) { edits[i](block); });
    auto first = std::make_unique<Guarded>();
    auto second = std::make_unique<Guarded>();
    std::uint32_t code = 99;
    ASSERT_TRUE(FSUIPC_Read(0x0200, 4, &first->value, &code));
    ASSERT_TRUE(FSUIPC_Read(0x0200, 4, &second->value, &code));
    EXPECT_TRUE(FSUIPC_Process(&code)) << "edit " << i;
    EXPECT_TRUE(first->guards_intact()) << "edit " << i;
    EXPECT_TRUE(second->guards_intact()) << "edit " << i;
  }
  // Random damage to the front of the block, many times over.
  std::mt19937 rng(7);
  server->set_tamper([&](std::uint8_t* block, std::size_t) {
    for (int k = 0; k < 6; ++k) block[rng() % 64] = static_cast<std::uint8_t>(rng());
  });
  for (int round = 0; round < 300; ++round) {
    auto first = std::make_unique<Guarded>();
    auto second = std::make_unique<Guarded>();
    std::uint32_t code = 99;
    std::uint16_t out = 7;
    ASSERT_TRUE(FSUIPC_Read(0x0200, 4, &first->value, &code));
    ASSERT_TRUE(FSUIPC_Write(0x0300, 2, &out, &code));
    ASSERT_TRUE(FSUIPC_Read(0x0200, 4, &second->value, &code));
    EXPECT_TRUE(FSUIPC_Process(&code));
    ASSERT_TRUE(first->guards_intact());
    ASSERT_TRUE(second->guards_intact());
  }
}

TEST_F(FsuipcClientTest, EveryOpenUsesANewMappingName) {
  auto server = serve();
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    open_ok();
    names.push_back(fsuipc_mapping_name());
    EXPECT_EQ(names.back(), expected_mapping_name(fsuipc_try_count()));
    FSUIPC_Close();
    EXPECT_FALSE(shm_exists(names.back()));  // the block goes with the link
  }
  EXPECT_NE(names[0], names[1]);
  EXPECT_NE(names[1], names[2]);
  EXPECT_NE(names[0], names[2]);
  EXPECT_EQ(server->mapping_names(), names);
}

TEST_F(FsuipcClientTest, BlockNameTakenAlreadyGivesCode5) {
  auto server = serve();
  const std::string next = expected_mapping_name(fsuipc_try_count() + 1);
  const std::string shm = fsuipc_shm_name(next);
  const int fd = ::shm_open(shm.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
  ASSERT_GE(fd, 0);
  std::uint32_t code = 99;
  EXPECT_FALSE(FSUIPC_Open(0, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_STREQ(fsuipc_error(code), "Failed to create a file mapping object");
  EXPECT_TRUE(shm_exists(next));  // someone else's block is left alone
  ::close(fd);
  ::shm_unlink(shm.c_str());
  open_ok();  // the next attempt takes the next name
  EXPECT_NE(fsuipc_mapping_name(), next);
}

TEST(FsuipcLinkNamesTest, ShmNameIsAValidPosixName) {
  EXPECT_EQ(fsuipc_shm_name("FsasmLib:IPC:1A2B:3"), "/FsasmLib_IPC_1A2B_3");
  EXPECT_EQ(fsuipc_shm_name("a/b c"), "/a_b_c");
  const std::uint32_t id = fsuipc_message_id("FsasmLib:IPC");
  EXPECT_GE(id, 0xC000u);
  EXPECT_LE(id, 0xFFFFu);
  EXPECT_EQ(fsuipc_message_id(""), 0u);
}

}  // namespace
}  // namespace orvane
