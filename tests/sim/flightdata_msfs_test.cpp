// Tests of FlightData_MSFS through the real FSUIPC link against the in-process stand-in.
#include "sim/flightdata_msfs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "flightmodel/scenario.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "simstandin/offset_encoder.h"
#include "simstandin/offset_memory.h"
#include "simstandin/standin_server.h"
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
  EXPECT_EQ(src.getAltitude(), 7998);
  memory_.put<std::int32_t>(0x0574, -10);
  next_cycle();
  EXPECT_EQ(src.getAltitude(), -32);
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

TEST_F(FlightDataMsfsTest, SlewingFromTwiceTheRateOrTheSlewFlag) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int16_t>(0x0C1A, 511);  // just under 2x
  next_cycle();
  EXPECT_FALSE(src.isSlewing());
  memory_.put<std::int16_t>(0x0C1A, 512);
  next_cycle();
  EXPECT_TRUE(src.isSlewing());
  memory_.put<std::int16_t>(0x0C1A, 256);
  memory_.put<std::int16_t>(0x05DC, 1);
  next_cycle();
  EXPECT_TRUE(src.isSlewing());
  memory_.put<std::int16_t>(0x05DC, 0);
  memory_.put<std::int16_t>(0x0C1A, -512);
  next_cycle();
  EXPECT_FALSE(src.isSlewing());
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

TEST_F(FlightDataMsfsTest, ACycleReadsEveryValueInOneExchange) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  const std::uint64_t before = server_->messages();
  EXPECT_EQ(src.getAltitude(), 3280);
  EXPECT_EQ(server_->messages(), before + 1);
  memory_.put<std::int32_t>(0x0574, 2000);  // the cycle keeps what it read
  src.getPosition();
  src.getCurrentFuel();
  src.getEngine_N1();
  src.getHeading();
  src.isSlewing();
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_EQ(src.getAltitude(), 3280);
  EXPECT_EQ(server_->messages(), before + 1);
  src.endCycle();
  EXPECT_EQ(server_->messages(), before + 1);
  EXPECT_EQ(src.getAltitude(), 6561);
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
    EXPECT_NEAR(src.getAltitude(), fake.getAltitude(), 3);  // whole metres on the link
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
  EXPECT_FALSE(src.isSlewing());  // 1.999 stays under 512
  EXPECT_EQ(src.getAircraftRegistration(), "VH-OQAVERYLO");
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

TEST_F(FlightDataMsfsTest, FrozenSimulatorCountsAsConnectedForSixtySeconds) {
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
  EXPECT_FALSE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [100]",
                               "not connected at time [" + std::to_string(frozen_at + 61) +
                                   "]."}));
  src.endCycle();
  EXPECT_FALSE(src.publishedStatus().connected);
  const std::uint64_t messages = server_->messages();
  EXPECT_FALSE(src.isSimConnected());  // no reading and no line while disconnected
  EXPECT_EQ(take_log(), Lines{});
  EXPECT_EQ(server_->messages(), messages);
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
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(61);
  EXPECT_FALSE(src.isSimConnected());
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
  clock_.advance(1);
  EXPECT_FALSE(src.isSimConnected());
}

TEST_F(FlightDataMsfsTest, FrozenTimerRunsOnTheMonotonicClock) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.jump(3600);  // the system time is set an hour ahead: no time has passed
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(61);
  EXPECT_FALSE(src.isSimConnected());
}

TEST_F(FlightDataMsfsTest, ReconnectsAfterAWatchdogDisconnectOnceTheSimulatorMoves) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(61);
  EXPECT_FALSE(src.isSimConnected());
  src.endCycle();
  take_log();

  memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 101);  // moving again
  EXPECT_EQ(src.getAltitude(), 3280);  // opens the link again on the way
  EXPECT_EQ(take_log(), Lines{});      // no "already open" refusal
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  memory_.put<std::uint16_t>(FlightData_MSFS::DATAREF_ACTCOUNT, 102);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [101]", "ActivityCount: [101]",
                               "setting activityTO to: [" + std::to_string(clock_.now()) + "]",
                               "PrevActCount: [101]", "ActivityCount: [102]"}));
}

TEST_F(FlightDataMsfsTest, ReconnectsAfterAWatchdogDisconnectOnceTheSimulatorRestarts) {
  FlightData_MSFS& src = connected_source();
  EXPECT_TRUE(src.isSimConnected());
  src.endCycle();
  clock_.advance(61);
  EXPECT_FALSE(src.isSimConnected());
  src.endCycle();
  ASSERT_TRUE(server_->restart()) << server_->error();
  memory_.put<std::int32_t>(0x0574, 500);
  take_log();

  EXPECT_EQ(src.getAltitude(), 1640);
  EXPECT_TRUE(src.isSimConnected());  // the counter has not moved yet: frozen timer set
  src.endCycle();
  clock_.advance(60);
  EXPECT_TRUE(src.isSimConnected());
  EXPECT_EQ(take_log(), (Lines{"PrevActCount: [100]", "ActivityCount: [100]",
                               "setting activityTO to: [" + std::to_string(clock_.now() - 60) +
                                   "]",
                               "PrevActCount: [100]", "ActivityCount: [100]"}));
}

// ---- a simulator that stalls or vanishes ----

TEST_F(FlightDataMsfsTest, AFailedExchangeEndsTheCyclesAttempts) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_EQ(src.getAltitude(), 3280);
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
  EXPECT_EQ(src.getAltitude(), 3280);
  EXPECT_TRUE(src.lastReadOk());
  EXPECT_EQ(take_log(), Lines{});
}

TEST_F(FlightDataMsfsTest, KeptValuesAfterAFailedExchangeAreTheLastReadAndLeaveTheLinkAlone) {
  FlightData_MSFS& src = connected_source();
  memory_.put<std::int32_t>(0x0574, 1000);
  EXPECT_EQ(src.getAltitude(), 3280);
  src.endCycle();
  // After an exchange that went through, the simulator is read afresh.
  memory_.put<std::int32_t>(0x0574, 2000);
  src.keepLastValues();
  EXPECT_EQ(src.getAltitude(), 6561);
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
  EXPECT_EQ(src.getAltitude(), 6561);
  EXPECT_FALSE(src.lastReadOk());
  EXPECT_TRUE(src.isSimConnected());  // still within the stall's minute
  src.endCycle();
  EXPECT_TRUE(src.publishedStatus().connected);
  EXPECT_EQ(fsuipc_try_count(), tries);
  EXPECT_EQ(server_->messages(), before);
  EXPECT_EQ(take_log(), Lines{});

  // The next cycle tries the simulator again.
  server_->set_silent(false);
  EXPECT_EQ(src.getAltitude(), 6561);
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
  EXPECT_EQ(src.getAltitude(), 3280);
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
  EXPECT_EQ(src.getAltitude(), 3280);
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
