// Tests of FlightData_MSFS through the real FSUIPC link against the in-process stand-in.
// SPDX-License-Identifier: MIT
#include "sim/flightdata_msfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "flightmodel/scenario.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "simstandin/offset_encoder.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"
#include "support/fake_flightdata.h"
#include "support/recorder.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using standin::OffsetMemory;
using standin::StandinServer;
using Lines = std::vector<std::string>;

// The source's diagnostics; its callback is a plain function.
Lines g_log;
void record(const std::string& line) { g_log.push_back(line); }

Lines take_log() {
  Lines out;
  out.swap(g_log);
  return out;
}

const std::string kOpenFailed = "FSUIPC_Open fehlgeschlagen: [Cannot link to FSUIPC or WideClient]";

class FlightDataMsfsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    fsuipc_set_socket_dir(dir_.path().string());
    server_ = std::make_unique<StandinServer>(memory_, dir_.path().string());
    // Signs of life as a running simulator shows them.
    memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 100);
    memory_.put<std::uint8_t>(FlightData_MSFS::DATAREF_FLIGHTMODE, 1);
  }
  void TearDown() override {
    source_.reset();
    server_->stop();
    FSUIPC_Close();
    fsuipc_set_socket_dir(fsuipc_default_socket_dir());
    fsuipc_set_send_timeout_ms(2000);
  }

  // The engine's end of a cycle: the next question reads the simulator afresh. The value
  // tests below do not look at the watchdog's lines it writes.
  void next_cycle() {
    source_->endCycle();
    take_log();
  }

  // Checks that n messages reached the stand-in since `before`. The server thread counts a
  // message when it reads it, which may be after the client has given up on it.
  void expect_messages(std::uint64_t before, std::uint64_t n) {
    test::eventually([&] { return server_->messages() - before >= n; });
    EXPECT_EQ(server_->messages() - before, n);
  }

  // A stalled simulator: the stand-in takes each batch and never answers; each attempt
  // waits 10 ms of real time.
  void hang() {
    fsuipc_set_send_timeout_ms(10);
    server_->set_silent(true);
  }

  void start_server() { ASSERT_TRUE(server_->start()) << server_->error(); }

  FlightData_MSFS& open_source() {
    source_ = std::make_unique<FlightData_MSFS>(&record);
    return *source_;
  }

  // Starts the server, opens the source and checks the open went through quietly.
  FlightData_MSFS& connected_source() {
    start_server();
    FlightData_MSFS& src = open_source();
    EXPECT_EQ(take_log(), Lines{});
    return src;
  }

  test::TempDir dir_;
  OffsetMemory memory_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  std::unique_ptr<StandinServer> server_;
  std::unique_ptr<FlightData_MSFS> source_;
};

// ---- raw encodings written straight into the offsets ----

TEST_F(FlightDataMsfsTest, PositionFromTheTwo64BitOffsets) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int64_t>(0x0560, 21478594576384000);  // half of 90 degrees
  memory_.put<std::int64_t>(0x0568, -(std::int64_t{1} << 62));  // a quarter turn west
  next_cycle();
  Position p = src.getPosition();
  EXPECT_DOUBLE_EQ(p.lat, 45.0);
  EXPECT_DOUBLE_EQ(p.lng, -90.0);
  memory_.put<std::int64_t>(0x0560, -42957189152768000);
  memory_.put<std::int64_t>(0x0568, std::numeric_limits<std::int64_t>::min());
  next_cycle();
  p = src.getPosition();
  EXPECT_DOUBLE_EQ(p.lat, -90.0);
  EXPECT_DOUBLE_EQ(p.lng, -180.0);
  memory_.put<std::int64_t>(0x0560, 0);
  memory_.put<std::int64_t>(0x0568, 0);
  next_cycle();
  p = src.getPosition();
  EXPECT_EQ(p.lat, 0.0);
  EXPECT_EQ(p.lng, 0.0);
}

TEST_F(FlightDataMsfsTest, SpeedsHeightAndAltitude) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x02B4, 100 * 65536);  // 100 m/s
  next_cycle();
  EXPECT_NEAR(src.getGroundSpeed(), 194.384, 1e-9);
  memory_.put<std::int32_t>(0x02BC, 19327);  // 150.99 knots
  memory_.put<std::int32_t>(0x02B8, -129);
  next_cycle();
  EXPECT_EQ(src.getIAS(), 150);
  EXPECT_EQ(src.getTAS(), -1);  // integer division truncates toward zero
  memory_.put<std::int32_t>(0x31E4, 10 * 65536);  // 10 m = 32.8 ft
  next_cycle();
  EXPECT_EQ(src.getHeight(), 32.0);
  memory_.put<std::int32_t>(0x31E4, -10 * 65536);
  next_cycle();
  EXPECT_EQ(src.getHeight(), -32.0);
  memory_.put<std::int32_t>(0x0574, 2438);  // 7998.69 ft
  next_cycle();
  EXPECT_EQ(src.getAltitude(), 7999);  // to the nearest foot
  memory_.put<std::int32_t>(0x0574, -10);
  next_cycle();
  EXPECT_EQ(src.getAltitude(), -33);
}

// 0x0574 holds the whole metres rounded down, 0x0570 the fraction: FL350 is 10668.0 m, and
// held a hair below it the whole metres are 10667.
TEST_F(FlightDataMsfsTest, AltitudeFromWholeAndFractionalMetres) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 10668);
  memory_.put<std::uint32_t>(0x0570, 0);
  next_cycle();
  EXPECT_EQ(src.getAltitude(), 35000);
  memory_.put<std::int32_t>(0x0574, 10667);
  memory_.put<std::uint32_t>(0x0570, 4290000000u);  // 10667.9985 m = 34999.995 ft
  next_cycle();
  EXPECT_EQ(src.getAltitude(), 35000);
  memory_.put<std::uint32_t>(0x0570, 2147483648u);  // 10667.5 m = 34998.4 ft
  next_cycle();
  EXPECT_EQ(src.getAltitude(), 34998);
  memory_.put<std::int32_t>(0x0574, -31);  // -30.48 m = -100 ft
  memory_.put<std::uint32_t>(0x0570, 2233382994u);
  next_cycle();
  EXPECT_EQ(src.getAltitude(), -100);
  memory_.put<std::int32_t>(0x0574, 0);
  memory_.put<std::uint32_t>(0x0570, 0);
  next_cycle();
  EXPECT_EQ(src.getAltitude(), 0);
}

TEST_F(FlightDataMsfsTest, VerticalSpeedMultipliesBySixtyIn32Bits) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x02C8, 256);  // 1 m/s
  next_cycle();
  EXPECT_NEAR(src.getVerticalSpeed(), 196.8504, 1e-9);
  memory_.put<std::int32_t>(0x02C8, -256);
  next_cycle();
  EXPECT_NEAR(src.getVerticalSpeed(), -196.8504, 1e-9);
  memory_.put<std::int32_t>(0x02C8, 0);
  next_cycle();
  EXPECT_EQ(src.getVerticalSpeed(), 0.0);
  // 40000000 * 60 does not fit in 32 bits and wraps to -1894967296.
  memory_.put<std::int32_t>(0x02C8, 40000000);
  next_cycle();
  EXPECT_NEAR(src.getVerticalSpeed(), -1894967296 * 3.28084 / 256.0, 1e-3);
}

TEST_F(FlightDataMsfsTest, HeadingsRoundAndFoldIntoTheCircle) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0580, std::numeric_limits<std::int32_t>::min());  // -180
  next_cycle();
  EXPECT_EQ(src.getTrueHeading(), 180);
  EXPECT_EQ(src.getHeading(), 180);
  memory_.put<std::int32_t>(0x0580, -7158279);  // -0.6 degrees
  next_cycle();
  EXPECT_EQ(src.getTrueHeading(), 359);
  EXPECT_EQ(src.getHeading(), 359);
  memory_.put<std::int32_t>(0x0580, -4772185);  // -0.4 degrees
  next_cycle();
  EXPECT_EQ(src.getTrueHeading(), 0);
  EXPECT_EQ(src.getHeading(), 0);

  memory_.put<std::int32_t>(0x0580, 1 << 30);  // 90 degrees
  memory_.put<std::int16_t>(0x02A0, 619);      // 3.4 degrees east
  next_cycle();
  EXPECT_EQ(src.getTrueHeading(), 90);
  EXPECT_EQ(src.getHeading(), 87);  // 86.6
  memory_.put<std::int16_t>(0x02A0, -1820);  // 10 degrees west
  next_cycle();
  EXPECT_EQ(src.getHeading(), 100);
  memory_.put<std::int32_t>(0x0580, 1 << 24);  // 1.4 degrees, minus 3.4 east: -2
  memory_.put<std::int16_t>(0x02A0, 619);
  next_cycle();
  EXPECT_EQ(src.getHeading(), 358);
  memory_.put<std::int32_t>(0x0580, 0);  // raw 0 reads 0 whatever the variation
  next_cycle();
  EXPECT_EQ(src.getHeading(), 0);
  EXPECT_EQ(src.getTrueHeading(), 0);
}

TEST_F(FlightDataMsfsTest, WindAndTemperatures) {
  FlightData_MSFS& src = connected_source();
  const std::vector<std::pair<std::int16_t, std::int32_t>> directions = {
      {-16384, 270}, {16384, 90}, {0, 0}, {-1, 0}, {182, 0}, {183, 1}, {-32768, 180}};
  for (const auto& [raw, degrees] : directions) {
    memory_.put<std::int16_t>(0x0E92, raw);
    next_cycle();
    EXPECT_EQ(src.getWindDirection(), degrees) << raw;
  }
  memory_.put<std::int16_t>(0x0E90, 25);
  next_cycle();
  EXPECT_EQ(src.getWindSpeed(), 25);
  memory_.put<std::int16_t>(0x0E8C, -1280);
  memory_.put<std::int16_t>(0x11D0, 2600);
  next_cycle();
  EXPECT_EQ(src.getOAT(), -5);
  EXPECT_EQ(src.getTAT(), 10);
  memory_.put<std::int16_t>(0x0E8C, -1279);  // -4.996 truncates to -4
  next_cycle();
  EXPECT_EQ(src.getOAT(), -4);
}

TEST_F(FlightDataMsfsTest, WeightsAndFuel) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x3BFC, 100000 * 256 + 255);
  memory_.put<double>(0x30C0, 108000.5);
  next_cycle();
  EXPECT_EQ(src.getZFW(), 100000);
  EXPECT_EQ(src.getTotalWeight(), 108001);
  EXPECT_EQ(src.getCurrentFuel(), 8001.0);
  memory_.put<double>(0x30C0, 108000.49);
  next_cycle();
  EXPECT_EQ(src.getTotalWeight(), 108000);
  memory_.put<std::int32_t>(0x3BFC, -257);
  next_cycle();
  EXPECT_EQ(src.getZFW(), -1);
  memory_.put<double>(0x30C0, std::nan(""));  // nothing the server sends is trusted
  next_cycle();
  EXPECT_EQ(src.getTotalWeight(), 0);
  memory_.put<double>(0x30C0, 1e300);
  next_cycle();
  EXPECT_EQ(src.getTotalWeight(), std::numeric_limits<std::int32_t>::max());
}

TEST_F(FlightDataMsfsTest, FlagsAreTwoBytesEach) {
  FlightData_MSFS& src = connected_source();
  EXPECT_FALSE(src.isOnGround());
  EXPECT_FALSE(src.isPaused());
  EXPECT_FALSE(src.isFlightCrashed());
  memory_.put<std::int16_t>(0x0366, 0x100);  // only the high byte set
  memory_.put<std::int16_t>(0x0264, 1);
  memory_.put<std::int16_t>(0x0840, -1);
  next_cycle();
  EXPECT_TRUE(src.isOnGround());
  EXPECT_TRUE(src.isPaused());
  EXPECT_TRUE(src.isFlightCrashed());
}

TEST_F(FlightDataMsfsTest, SlewingFromAnyRateAboveOneOrTheSlewFlag) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::uint16_t>(0x0C1A, 256);  // 1x
  next_cycle();
  EXPECT_FALSE(src.isSlewing());
  EXPECT_FALSE(src.publishedStatus().slewing);
  memory_.put<std::uint16_t>(0x0C1A, 128);  // half speed
  next_cycle();
  EXPECT_FALSE(src.isSlewing());
  for (const std::uint16_t rate : {257, 384, 511, 512, 32767, 32768, 65535}) {
    memory_.put<std::uint16_t>(0x0C1A, rate);  // 1.004x, 1.5x ... 128x (32768) and beyond
    next_cycle();
    EXPECT_TRUE(src.isSlewing()) << rate;
    EXPECT_TRUE(src.publishedStatus().slewing) << rate;
  }
  memory_.put<std::uint16_t>(0x0C1A, 256);
  memory_.put<std::int16_t>(0x05DC, 1);
  next_cycle();
  EXPECT_TRUE(src.isSlewing());
}

TEST_F(FlightDataMsfsTest, RegistrationIsTwelveBytesAtMost) {
  FlightData_MSFS& src = connected_source();
  memory_.write(0x313C, "ABCDEFGHIJKLZZZZ", 16);  // the four bytes after the field are not its
  next_cycle();
  EXPECT_EQ(src.getAircraftRegistration(), "ABCDEFGHIJKL");
  memory_.write(0x313C, "D-AORV\0XYZ\0\0", 12);
  next_cycle();
  EXPECT_EQ(src.getAircraftRegistration(), "D-AORV");
  memory_.write(0x313C, "\0BCDEFGHIJKL", 12);
  next_cycle();
  EXPECT_EQ(src.getAircraftRegistration(), "");
}

// Raw N1/N2 for four engines: 22, 50, 75 and 100 percent; 20 percent is 3277 (20.001).
void put_engines(OffsetMemory& m, std::int16_t count, const std::int16_t (&n1)[4],
                 const std::int16_t (&n2)[4]) {
  m.put<std::int16_t>(0x0AEC, count);
  for (int i = 0; i < 4; ++i) {
    m.put<std::int16_t>(FlightData_MSFS::DATAREF_ENG_N1[i], n1[i]);
    m.put<std::int16_t>(FlightData_MSFS::DATAREF_ENG_N2[i], n2[i]);
  }
}

TEST_F(FlightDataMsfsTest, EngineListsFollowTheNumberOfEngines) {
  FlightData_MSFS& src = connected_source();
  const std::int16_t n1[4] = {3605, 8192, 12288, 16384};
  const std::int16_t n2[4] = {16384, 12288, 8192, 3605};
  const std::vector<std::int32_t> all_n1 = {22, 50, 75, 100};
  const std::vector<std::int32_t> all_n2 = {100, 75, 50, 22};
  for (std::int16_t count = 0; count <= 4; ++count) {
    put_engines(memory_, count, n1, n2);
    next_cycle();
    EXPECT_EQ(src.getNumberEngines(), count);
    EXPECT_EQ(src.getEngine_N1(),
              std::vector<std::int32_t>(all_n1.begin(), all_n1.begin() + count)) << count;
    EXPECT_EQ(src.getEngine_N2(),
              std::vector<std::int32_t>(all_n2.begin(), all_n2.begin() + count)) << count;
  }
  put_engines(memory_, 6, n1, n2);  // more than four: four
  next_cycle();
  EXPECT_EQ(src.getEngine_N1(), all_n1);
  put_engines(memory_, -1, n1, n2);
  next_cycle();
  EXPECT_EQ(src.getEngine_N1(), std::vector<std::int32_t>{});
}

TEST_F(FlightDataMsfsTest, EngineStateAtTwentyPercentAndItsLogLines) {
  FlightData_MSFS& src = connected_source();
  const std::int16_t twenty[4] = {3277, 3277, 0, 0};
  put_engines(memory_, 2, twenty, twenty);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_EQ(take_log(), (Lines{"Called EngineRunning.", "Number of Engines: [2]", "Got EngineN1.",
                               "0: N1: [20]", "1: N1: [20]"}));
  EXPECT_TRUE(src.EngineStopped());
  EXPECT_EQ(take_log(), (Lines{"Called EngineStopped.", "Number of Engines: [2]",
                               "Got EngineN2.", "0: N2: [20]", "1: N2: [20]"}));

  const std::int16_t spooling_n1[4] = {3277, 3277, 0, 0};  // 20, 20
  const std::int16_t spooling_n2[4] = {3277, 5000, 0, 0};  // 20, 30
  put_engines(memory_, 2, spooling_n1, spooling_n2);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_FALSE(src.EngineStopped());  // neither while an engine spools
  take_log();

  const std::int16_t one_running[4] = {3277, 3605, 0, 0};
  put_engines(memory_, 2, one_running, one_running);
  next_cycle();
  EXPECT_TRUE(src.EngineRunning());
  EXPECT_FALSE(src.EngineStopped());
  take_log();

  put_engines(memory_, 0, one_running, one_running);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());
  EXPECT_EQ(take_log(), (Lines{"Called EngineRunning.", "Number of Engines: [0]", "Got EngineN1.",
                               "Called EngineStopped.", "Number of Engines: [0]",
                               "Got EngineN2."}));
}

void put_combustion(OffsetMemory& m, std::int16_t e1, std::int16_t e2) {
  m.put<std::int16_t>(FlightData_MSFS::DATAREF_COMBUSTION[0], e1);
  m.put<std::int16_t>(FlightData_MSFS::DATAREF_COMBUSTION[1], e2);
}

// A piston engine: its RPM in the N1 offsets, nothing in N2, firing by its flag.
TEST_F(FlightDataMsfsTest, CombustionFlagsDecideOnceTheSimulatorHasShownOne) {
  FlightData_MSFS& src = connected_source();
  const std::int16_t still[4] = {0, 0, 0, 0};
  put_engines(memory_, 2, still, still);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());  // no flag seen yet: the N1 rule
  EXPECT_TRUE(src.EngineStopped());
  take_log();

  const std::int16_t rpm[4] = {2000, 8192, 0, 0};  // 12 % and 50 % of 16384
  put_engines(memory_, 2, rpm, still);
  put_combustion(memory_, 1, 0);
  next_cycle();
  EXPECT_TRUE(src.EngineRunning());
  EXPECT_EQ(take_log(), (Lines{"Called EngineRunning.", "Number of Engines: [2]", "Got EngineN1.",
                               "0: N1: [12]", "0: Combustion: [1]", "1: N1: [50]",
                               "1: Combustion: [0]"}));
  EXPECT_FALSE(src.EngineStopped());  // N2 is 0, but engine 1 fires
  EXPECT_TRUE(src.publishedStatus().enginesRunning);
  take_log();

  put_combustion(memory_, 0, 0);  // cut off; the propellers still turn
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());
  src.endCycle();
  EXPECT_FALSE(src.publishedStatus().enginesRunning);
  take_log();

  // An engine count of one looks at engine 1 only.
  memory_.put<std::int16_t>(0x0AEC, 1);
  put_combustion(memory_, 0, 1);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());
}

TEST_F(FlightDataMsfsTest, WithoutCombustionFlagsTheN1AndN2RulesStandAndThePropellersSignGoes) {
  FlightData_MSFS& src = connected_source();
  const std::int16_t counter[4] = {-3605, -8192, 0, 0};  // counter-rotating: 22 %, 50 %
  const std::int16_t none[4] = {0, 0, 0, 0};
  put_engines(memory_, 2, counter, none);
  next_cycle();
  EXPECT_EQ(src.getEngine_N1(), (std::vector<std::int32_t>{22, 50}));
  EXPECT_TRUE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());  // no flags and no N2: the rule says stopped
  EXPECT_TRUE(src.publishedStatus().enginesRunning);
  const std::int16_t low[4] = {-3277, 0, 0, 0};  // 20 %
  put_engines(memory_, 1, low, none);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());
  const std::int16_t lowest[4] = {-32768, 0, 0, 0};
  put_engines(memory_, 1, lowest, none);
  next_cycle();
  EXPECT_EQ(src.getEngine_N1(), (std::vector<std::int32_t>{200}));
}

// A flag once seen stays the rule for the link: a later link learns afresh.
TEST_F(FlightDataMsfsTest, CombustionFlagsAreLearntAgainOnANewLink) {
  FlightData_MSFS& src = connected_source();
  const std::int16_t jet[4] = {16384, 0, 0, 0};
  put_engines(memory_, 1, jet, jet);
  put_combustion(memory_, 1, 0);
  next_cycle();
  EXPECT_TRUE(src.EngineRunning());
  put_combustion(memory_, 0, 0);
  next_cycle();
  EXPECT_FALSE(src.EngineRunning());  // the flag rules: cut off, N1 still 100 %
  take_log();
  server_->stop();
  next_cycle();
  EXPECT_FALSE(src.lastReadOk());
  ASSERT_TRUE(server_->start());
  next_cycle();
  EXPECT_TRUE(src.EngineRunning());  // a new link without a flag seen: the N1 rule
}

TEST_F(FlightDataMsfsTest, TouchdownRateGAndAttitudeFromTheirOffsets) {
  FlightData_MSFS& src = connected_source();
  EXPECT_EQ(src.getTouchdownVerticalSpeed(), std::nullopt);  // 0: an interface without it
  EXPECT_EQ(src.getGForce(), std::nullopt);
  memory_.put<std::int32_t>(0x030C, -390);  // -300 fpm
  memory_.put<std::int32_t>(0x02C8, 0);
  memory_.put<std::int16_t>(0x11BA, 918);
  memory_.put<std::int32_t>(0x0578, -32808778);  // 2.75 degrees nose up
  memory_.put<std::int32_t>(0x057C, 11930465);   // 1 degree left wing down
  next_cycle();
  ASSERT_TRUE(src.getTouchdownVerticalSpeed().has_value());
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), -390 * 60 * 3.28084 / 256.0, 1e-9);
  EXPECT_EQ(src.getVerticalSpeed(), 0.0);
  EXPECT_NEAR(*src.getGForce(), 918 / 624.0, 1e-12);
  EXPECT_NEAR(src.getPitch(), 2.75, 1e-6);
  EXPECT_NEAR(src.getBank(), -1.0, 1e-6);
}

TEST_F(FlightDataMsfsTest, ACycleReadsEveryValueInOneExchange) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  const std::uint64_t before = server_->messages();
  EXPECT_EQ(src.getAltitude(), 3281);
  EXPECT_EQ(server_->messages(), before + 1);
  memory_.put<std::int32_t>(0x0574, 2000);  // the cycle keeps what it read
  src.getPosition();
  src.getCurrentFuel();
  src.getEngine_N1();
  src.getHeading();
  src.isSlewing();
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_EQ(src.getAltitude(), 3281);
  EXPECT_EQ(server_->messages(), before + 1);
  src.endCycle();
  EXPECT_EQ(server_->messages(), before + 1);
  EXPECT_EQ(src.getAltitude(), 6562);
  EXPECT_EQ(server_->messages(), before + 2);
  EXPECT_EQ(src.getClientName(), "ORVANE_MSFS");
  EXPECT_EQ(src.getOnlineStatus(), FlightData::UNKNOWN);
}

TEST_F(FlightDataMsfsTest, CyclesWithoutQuestionsReadForTheWindowWithoutTheWatchdog) {
  FlightData_MSFS& src = connected_source();
  const std::uint64_t before = server_->messages();
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
  clock_.advance(61);  // the counter stands still, but nothing is flying
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
  EXPECT_EQ(server_->messages(), before + 2);
  EXPECT_EQ(take_log(), Lines{});
}

TEST_F(FlightDataMsfsTest, SecondConstructorStoresTheStaticData) {
  start_server();
  SFlightData d;
  d.sCallsign = "ORV42";
  d.sDeparture = "EDDF";
  source_ = std::make_unique<FlightData_MSFS>(d, &record);
  EXPECT_EQ(source_->getCallsign(), "ORV42");
  EXPECT_EQ(source_->getDepartureICAO(), "EDDF");
  EXPECT_FALSE(source_->isConnectedToXSB());
  EXPECT_TRUE(source_->isSimConnected());
}

// ---- the encoder and the fake agree with the link ----

TEST_F(FlightDataMsfsTest, EncodedScenarioReadsAsTheScriptedSourceSeesIt) {
  FlightData_MSFS& src = connected_source();
  const model::FlightModel flight = model::default_scenario();
  test::FakeFlightData fake;
  for (double t = 0; t <= flight.duration(); t += 7.5) {
    fake.state = flight.at(t);
    standin::encode_state(fake.state, memory_);
    next_cycle();
    SCOPED_TRACE("t = " + std::to_string(t));
    const Position p = src.getPosition();
    EXPECT_NEAR(p.lat, fake.state.lat, 1e-9);
    EXPECT_NEAR(p.lng, fake.state.lon, 1e-9);
    EXPECT_NEAR(src.getGroundSpeed(), fake.getGroundSpeed(), 1e-4);
    EXPECT_NEAR(src.getVerticalSpeed(), fake.getVerticalSpeed(), 0.4);  // 0.77 fpm steps
    EXPECT_EQ(src.getHeight(), fake.getHeight());
    EXPECT_EQ(src.getAltitude(), fake.getAltitude());
    EXPECT_EQ(src.getHeading(), fake.getHeading());
    EXPECT_EQ(src.getTrueHeading(), fake.getTrueHeading());
    EXPECT_EQ(src.getIAS(), fake.getIAS());
    EXPECT_EQ(src.getTAS(), fake.getTAS());
    EXPECT_EQ(src.getOAT(), fake.getOAT());
    EXPECT_EQ(src.getTAT(), fake.getTAT());
    EXPECT_EQ(src.getWindDirection(), fake.getWindDirection());
    EXPECT_EQ(src.getWindSpeed(), fake.getWindSpeed());
    EXPECT_EQ(src.getZFW(), fake.getZFW());
    EXPECT_EQ(src.getTotalWeight(), fake.getTotalWeight());
    EXPECT_EQ(src.getCurrentFuel(), fake.getCurrentFuel());
    EXPECT_EQ(src.getEngine_N1(), fake.getEngine_N1());
    EXPECT_EQ(src.getEngine_N2(), fake.getEngine_N2());
    EXPECT_EQ(src.isOnGround(), fake.isOnGround());
    EXPECT_EQ(src.getAircraftRegistration(), "D-AORV");
  }
}

TEST_F(FlightDataMsfsTest, EncodedEventsAndOddValuesReadBack) {
  FlightData_MSFS& src = connected_source();
  model::AircraftState s;
  s.lat = -33.94611;
  s.lon = 151.17722;
  s.true_heading = 359.6;
  s.mag_var = -12.5;
  s.wind_dir = 270.5;
  s.wind_speed = 33.7;
  s.oat = -56.5;
  s.tat = -30.2;
  s.engines = 4;
  s.n1 = {20.0, 20.5, 99.9, 0};
  s.n2 = {60, 61, 62, 63};
  s.paused = true;
  s.crashed = true;
  s.on_ground = true;
  s.sim_rate = 1.999;
  s.registration = "VH-OQAVERYLONG";
  standin::encode_state(s, memory_);
  next_cycle();
  test::FakeFlightData fake;
  fake.state = s;
  EXPECT_NEAR(src.getPosition().lat, -33.94611, 1e-9);
  EXPECT_NEAR(src.getPosition().lng, 151.17722, 1e-9);
  EXPECT_EQ(src.getTrueHeading(), 0);
  EXPECT_EQ(src.getHeading(), 12);
  EXPECT_EQ(src.getHeading(), fake.getHeading());
  EXPECT_EQ(src.getWindDirection(), fake.getWindDirection());
  EXPECT_EQ(src.getWindSpeed(), 33);
  EXPECT_EQ(src.getOAT(), -56);
  EXPECT_EQ(src.getTAT(), -30);
  EXPECT_EQ(src.getEngine_N1(), (std::vector<std::int32_t>{20, 20, 99, 0}));
  EXPECT_EQ(src.getEngine_N2(), (std::vector<std::int32_t>{60, 61, 62, 63}));
  EXPECT_TRUE(src.isPaused());
  EXPECT_TRUE(src.isFlightCrashed());
  EXPECT_TRUE(src.isOnGround());
  EXPECT_TRUE(src.isSlewing());  // 1.999 is above 1x
  EXPECT_EQ(src.getAircraftRegistration(), "VH-OQAVERYL");  // 11 characters and a NUL
  s.sim_rate = 1.0;
  standin::encode_state(s, memory_);
  next_cycle();
  EXPECT_FALSE(src.isSlewing());
  s.sim_rate = 2.0;
  s.paused = false;
  standin::encode_state(s, memory_);
  next_cycle();
  EXPECT_TRUE(src.isSlewing());
  EXPECT_FALSE(src.isPaused());
  s.sim_rate = 1.0;
  s.slew = true;
  standin::encode_state(s, memory_);
  next_cycle();
  EXPECT_TRUE(src.isSlewing());
}

// ---- the watchdog ----

const std::string kFrozenNotice =
    "The flight simulator seems to be loading or frozen: no sign of life for 60 s.";
const std::string kLifeAgain = "The flight simulator shows signs of life again.";

TEST_F(FlightDataMsfsTest, FrozenSimulatorThatAnswersStaysConnectedAndThePilotIsTold) {
  FlightData_MSFS& src = connected_source();
  const std::time_t frozen_at = clock_.now();
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_TRUE(src.isSimConnected());  // decided once per cycle
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [100]",
                               "setting activityTO to: [" + std::to_string(frozen_at) + "]"}));
  src.endCycle();
  clock_.advance(30);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(30);  // exactly 60 seconds: not more than the limit
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [100]",
                               "PrevActCount: [100]", "ActivityCount: [100]"}));
  clock_.advance(1);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [100]", kFrozenNotice}));
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
  for (int i = 0; i < 20; ++i) {  // twenty more minutes: told once
    clock_.advance(60);
    EXPECT_TRUE(src.isSimConnected());
    src.endCycle();
  }
  const Lines twenty = take_log();
  EXPECT_EQ(std::count(twenty.begin(), twenty.end(), kFrozenNotice), 0);
  const std::uint64_t messages = server_->messages();
  memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 101);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [101]", kLifeAgain}));
  EXPECT_EQ(server_->messages(), messages + 1);  // the same link: read, not opened anew
  src.endCycle();
  clock_.advance(61);  // frozen anew: a minute from the first check
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(61);
  EXPECT_TRUE(src.isSimConnected());
  const Lines again = take_log();
  EXPECT_EQ(std::count(again.begin(), again.end(), kFrozenNotice), 1);
}

TEST_F(FlightDataMsfsTest, AnyChangeOfTheThreeInputsRestartsTheFrozenTimer) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());  // frozen timer set
  src.endCycle();
  clock_.advance(50);
  memory_.put<std::uint8_t>(FlightData_MSFS::DATAREF_INMENU, 1);  // the pilot opens a menu
  EXPECT_TRUE(src.isSimConnected());  // timer cleared
  src.endCycle();
  clock_.advance(50);
  EXPECT_TRUE(src.isSimConnected());  // frozen again: timer set anew
  src.endCycle();
  clock_.advance(50);
  memory_.put<std::uint8_t>(FlightData_MSFS::DATAREF_FLIGHTMODE, 2);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(50);
  memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 40000);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log().back(), "ActivityCount: [-25536]");  // shown signed
  src.endCycle();
  clock_.advance(59);
  EXPECT_TRUE(src.isSimConnected());  // frozen since the change: timer set
  src.endCycle();
  EXPECT_EQ(take_log().back(), "setting activityTO to: [" + std::to_string(clock_.now()) + "]");
  clock_.advance(61);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log().back(), kFrozenNotice);
}

TEST_F(FlightDataMsfsTest, PausedSimulatorIsNotFrozenHoweverLongThePause) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int16_t>(FlightData_MSFS::DATAREF_PAUSED, 1);
  for (int minute = 0; minute <= 10; ++minute) {
    EXPECT_TRUE(src.isSimConnected()) << minute;
    src.endCycle();
    clock_.advance(60);
  }
  EXPECT_EQ(take_log().back(), "ActivityCount: [100]");  // no frozen timer while paused
  // Resumed with the counter still standing: the minute starts at the first frozen check.
  memory_.put<std::int16_t>(FlightData_MSFS::DATAREF_PAUSED, 0);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(60);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  EXPECT_EQ(take_log().back(), "ActivityCount: [100]");
  clock_.advance(1);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log().back(), kFrozenNotice);
}

TEST_F(FlightDataMsfsTest, FrozenTimerRunsOnTheMonotonicClock) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.jump(3600);  // the system time is set an hour ahead: no time has passed
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  EXPECT_EQ(take_log().back(), "ActivityCount: [100]");
  clock_.advance(61);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log().back(), kFrozenNotice);
}

// wineUIPC never writes the counter or the in-menu flag and writes the mode as 0.
TEST_F(FlightDataMsfsTest, InterfaceThatNeverMovesItsCounterStaysConnectedForHours) {
  memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 0);
  memory_.put<std::uint8_t>(FlightData_MSFS::DATAREF_FLIGHTMODE, 0);
  FlightData_MSFS& src = connected_source();
  const std::size_t links = server_->mapping_names().size();
  for (int cycle = 0; cycle < 3 * 60 * 12; ++cycle) {  // three hours of 5-second cycles
    memory_.put<std::int32_t>(0x0574, cycle);
    ASSERT_TRUE(src.isSimConnected()) << cycle;
    ASSERT_EQ(src.getAltitude(), static_cast<std::int32_t>(std::floor(cycle * 3.28084 + 0.5)));
    src.endCycle();
    clock_.advance(5);
  }
  const Lines log = take_log();
  EXPECT_EQ(std::count(log.begin(), log.end(), kFrozenNotice), 1);
  for (const std::string& line : log) {
    EXPECT_EQ(line.rfind("not connected at time [", 0), std::string::npos) << line;
  }
  EXPECT_EQ(server_->mapping_names().size(), links);  // one link all along
}

// ---- a simulator that stalls or vanishes ----

TEST_F(FlightDataMsfsTest, AFailedExchangeEndsTheCyclesAttempts) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_EQ(src.getAltitude(), 3281);
  src.endCycle();
  take_log();
  hang();
  std::uint64_t before = server_->messages();
  EXPECT_EQ(src.getAltitude(), 0);
  expect_messages(before, 9);  // one time-out: nine unanswered attempts
  EXPECT_EQ(take_log(), (Lines{"Processing Query for Offset [0x574] returned error: "
                               "[IPC timed out all retries]"}));
  // Nothing else of this cycle goes to the link, and all of it reads zero.
  before = server_->messages();
  EXPECT_EQ(src.getPosition().lat, 0.0);
  EXPECT_EQ(src.getCurrentFuel(), 0.0);
  EXPECT_FALSE(src.isOnGround());
  EXPECT_EQ(src.getEngine_N1(), std::vector<std::int32_t>{});
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_TRUE(src.isSimConnected());  // stalled, not lost
  src.endCycle();
  EXPECT_EQ(server_->messages(), before);
  EXPECT_EQ(take_log(), Lines{});

  // The next cycle tries once more: the link is opened anew and its handshake times out.
  const std::uint32_t tries = fsuipc_try_count();
  EXPECT_EQ(src.getAltitude(), 0);
  EXPECT_EQ(fsuipc_try_count(), tries + 1);
  expect_messages(before, 9);
  EXPECT_EQ(take_log(), Lines{"FSUIPC_Open fehlgeschlagen: [IPC timed out all retries]"});
  EXPECT_FALSE(src.isFlightCrashed());
  EXPECT_FALSE(src.lastReadOk());
  src.endCycle();
  expect_messages(before, 9);

  server_->set_silent(false);
  EXPECT_EQ(src.getAltitude(), 3281);
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_EQ(take_log(), Lines{});
}

TEST_F(FlightDataMsfsTest, KeptValuesAfterAFailedExchangeAreTheLastReadAndLeaveTheLinkAlone) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_EQ(src.getAltitude(), 3281);
  src.endCycle();
  // After an exchange that went through, the simulator is read afresh.
  memory_.put<std::int32_t>(0x0574, 2000);
  src.keepLastValues();
  EXPECT_EQ(src.getAltitude(), 6562);
  EXPECT_TRUE(src.lastReadOk());
  src.endCycle();
  hang();
  EXPECT_EQ(src.getAltitude(), 0);
  src.endCycle();
  take_log();

  // The flight ends: its last reads answer what last went through, without a new exchange
  // or a new open, and the end of that cycle reads nothing either.
  const std::uint64_t before = server_->messages();
  const std::uint32_t tries = fsuipc_try_count();
  src.keepLastValues();
  EXPECT_EQ(src.getAltitude(), 6562);
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_TRUE(src.isSimConnected());  // still within the stall's minute
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
  EXPECT_EQ(fsuipc_try_count(), tries);
  EXPECT_EQ(server_->messages(), before);
  EXPECT_EQ(take_log(), Lines{});

  // The next cycle tries the simulator again.
  server_->set_silent(false);
  EXPECT_EQ(src.getAltitude(), 6562);
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_EQ(fsuipc_try_count(), tries + 1);
}

TEST_F(FlightDataMsfsTest, StalledSimulatorIsLostSixtySecondsAfterTheFirstFailure) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  hang();
  std::int64_t failed_at = 0;  // when the first failure was seen, monotonic milliseconds
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(src.lastReadOk());
    if (i == 0) failed_at = clock_.mono_ms();
    EXPECT_TRUE(src.isSimConnected()) << i;  // 0, 20 and 40 s after the first failure
    src.endCycle();
    EXPECT_TRUE(src.publishedStatus().connected);
    clock_.advance_ms(20000 - 900);  // each failed exchange slept 0.9 s between attempts
  }
  // The failure at 60 s is the last one still counted as a stall.
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_EQ(clock_.mono_ms() - failed_at, 60000);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance_ms(1000 - 900);
  take_log();
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_EQ(clock_.mono_ms() - failed_at, 61000);
  EXPECT_FALSE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"FSUIPC_Open fehlgeschlagen: [IPC timed out all retries]",
                               "not connected at time [" + std::to_string(clock_.now()) + "]."}));
  src.endCycle();
  EXPECT_FALSE(src.publishedStatus().connected);
  EXPECT_FALSE(src.isSimConnected());  // the next cycle: still lost, no second line
  EXPECT_EQ(take_log(), Lines{});
  src.endCycle();  // tries the link again
  EXPECT_EQ(take_log(), Lines{"FSUIPC_Open fehlgeschlagen: [IPC timed out all retries]"});

  // Back: the first exchange that goes through ends it.
  server_->set_silent(false);
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
}

TEST_F(FlightDataMsfsTest, AnExchangeThatGoesThroughRestartsTheStallsMinute) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  hang();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(50);
  server_->set_silent(false);
  EXPECT_TRUE(src.lastReadOk());  // one cycle goes through
  src.endCycle();
  server_->set_silent(true);
  EXPECT_TRUE(src.isSimConnected());  // stalled again: a new minute from here
  src.endCycle();
  clock_.advance(59);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(2);
  EXPECT_FALSE(src.isSimConnected());
}

TEST_F(FlightDataMsfsTest, VanishedServerIsLostAfterTheSameMinuteAndFoundAgain) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_EQ(src.getAltitude(), 3281);
  src.endCycle();
  take_log();
  server_->stop();
  EXPECT_EQ(src.getAltitude(), 0);
  EXPECT_EQ(take_log(), (Lines{"Processing Query for Offset [0x574] returned error: "
                               "[IPC sendmessage failed all retries]"}));
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(30);
  EXPECT_EQ(src.getAltitude(), 0);
  EXPECT_EQ(src.getIAS(), 0);
  EXPECT_EQ(take_log(), (Lines{kOpenFailed}));  // one attempt per cycle
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(31);
  EXPECT_FALSE(src.isSimConnected());
  src.endCycle();

  ASSERT_TRUE(server_->restart()) << server_->error();
  take_log();
  EXPECT_EQ(src.getAltitude(), 3281);
  EXPECT_EQ(take_log(), Lines{});
  EXPECT_TRUE(src.isSimConnected());
}

TEST_F(FlightDataMsfsTest, PublishedStatusIsWhatTheCycleReadAndSurvivesAStall) {
  FlightData_MSFS& src = connected_source();
  EXPECT_FALSE(src.publishedStatus().connected);  // nothing published before the first cycle
  const std::int16_t running[4] = {3605, 3605, 0, 0};  // 22 percent
  put_engines(memory_, 2, running, running);
  memory_.put<std::int16_t>(0x0366, 1);
  memory_.put<std::int16_t>(0x0C1A, 512);
  src.endCycle();
  SimStatus s = src.publishedStatus();
  EXPECT_TRUE(s.connected);
  EXPECT_TRUE(s.onGround);
  EXPECT_TRUE(s.enginesRunning);
  EXPECT_TRUE(s.slewing);
  EXPECT_FALSE(s.crashed);
  // A crash is published as soon as the cycle has read it, before the cycle ends.
  memory_.put<std::int16_t>(0x0840, 1);
  EXPECT_TRUE(src.isFlightCrashed());
  EXPECT_TRUE(src.publishedStatus().crashed);
  src.endCycle();
  take_log();

  // A stalled cycle publishes what was last read, still connected.
  hang();
  src.endCycle();
  s = src.publishedStatus();
  EXPECT_TRUE(s.connected);
  EXPECT_TRUE(s.onGround);
  EXPECT_TRUE(s.enginesRunning);
  EXPECT_TRUE(s.crashed);
  // Once lost, nothing of it stands.
  clock_.advance(61);
  src.endCycle();
  s = src.publishedStatus();
  EXPECT_FALSE(s.connected);
  EXPECT_FALSE(s.onGround);
  EXPECT_FALSE(s.enginesRunning);
  EXPECT_FALSE(s.slewing);
  EXPECT_FALSE(s.crashed);
}

// ---- no simulator at all ----

TEST_F(FlightDataMsfsTest, WithoutSimulatorEveryGetterIsZeroAndEachCycleTriesOnce) {
  FlightData_MSFS& src = open_source();  // no server started
  EXPECT_EQ(take_log(), Lines{kOpenFailed});

  EXPECT_EQ(src.getAircraftRegistration(), "");
  EXPECT_EQ(take_log(), Lines{kOpenFailed});  // the cycle's one attempt
  EXPECT_FALSE(src.isOnGround());
  EXPECT_FALSE(src.isPaused());
  EXPECT_FALSE(src.isSlewing());
  EXPECT_FALSE(src.isFlightCrashed());
  const Position p = src.getPosition();
  EXPECT_EQ(p.lat, 0.0);
  EXPECT_EQ(p.lng, 0.0);
  EXPECT_EQ(src.getGroundSpeed(), 0.0);
  EXPECT_EQ(src.getVerticalSpeed(), 0.0);
  EXPECT_EQ(src.getHeight(), 0.0);
  EXPECT_EQ(src.getAltitude(), 0);
  EXPECT_EQ(src.getHeading(), 0);
  EXPECT_EQ(src.getTrueHeading(), 0);
  EXPECT_EQ(src.getIAS(), 0);
  EXPECT_EQ(src.getTAS(), 0);
  EXPECT_EQ(src.getOAT(), 0);
  EXPECT_EQ(src.getTAT(), 0);
  EXPECT_EQ(src.getWindDirection(), 0);
  EXPECT_EQ(src.getWindSpeed(), 0);
  EXPECT_EQ(src.getNumberEngines(), 0);
  EXPECT_EQ(src.getEngine_N1(), std::vector<std::int32_t>{});
  EXPECT_EQ(src.getEngine_N2(), std::vector<std::int32_t>{});
  EXPECT_EQ(src.getZFW(), 0);
  EXPECT_EQ(src.getTotalWeight(), 0);
  EXPECT_EQ(src.getCurrentFuel(), 0.0);
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_EQ(take_log(), (Lines{"Called EngineRunning.", "Number of Engines: [0]",
                               "Got EngineN1."}));
  EXPECT_FALSE(src.isSimConnected());  // never seen: not connected, and no grace
  EXPECT_EQ(take_log(), Lines{});
  EXPECT_EQ(src.getCallsign(), "");
  src.endCycle();
  EXPECT_EQ(take_log(), Lines{});
  EXPECT_EQ(src.getAltitude(), 0);  // the next cycle tries again
  EXPECT_EQ(take_log(), Lines{kOpenFailed});
}

TEST_F(FlightDataMsfsTest, NullCallbackSwallowsTheDiagnostics) {
  source_ = std::make_unique<FlightData_MSFS>(nullptr);  // no server, nobody listening
  EXPECT_EQ(source_->getAltitude(), 0);
  EXPECT_FALSE(source_->isSimConnected());
  EXPECT_EQ(take_log(), Lines{});
}

}  // namespace
}  // namespace orvane
