// Tests of the FlightGear bridge: its feed's parser and protocol file, and each offset read
// back by ORVANE's own flight data source through the real link.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fgbridge/bridge.h"
#include "fgbridge/fg_encoder.h"
#include "fgbridge/fg_line.h"
#include "fgbridge/fg_sample.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"
#include "sim/flightdata_msfs.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

using fgbridge::Bridge;
using fgbridge::EngineKind;
using fgbridge::FgSample;
using standin::OffsetMemory;
using standin::StandinServer;
using test::FgLine;

void no_log(const std::string&) {}

TEST(FgSampleTest, ReadsEveryFieldOfALine) {
  FgLine line;
  line.set("/position/altitude-ft", "35000.5000").set("/velocities/vertical-speed-fps", "-7.5000");
  line.set("/engines/engine[0]/running", "true").set("/engines/engine[0]/rpm", "2345");
  line.set("/engines/engine[1]/running", "false").set("/engines/engine[1]/n2", "61.5");
  line.set("/gear/gear[0]/wow", "0").set("/gear/gear[1]/wow", "0").set("/gear/gear[2]/wow", "1");
  line.set("/sim/freeze/master", "1").set("/sim/speed-up", "4.0000");
  FgSample s;
  ASSERT_TRUE(fgbridge::parse_sample(line.str(), &s));
  EXPECT_DOUBLE_EQ(s.lat, 37.6135402);
  EXPECT_DOUBLE_EQ(s.alt_ft, 35000.5);
  EXPECT_DOUBLE_EQ(s.vs_fps, -7.5);
  EXPECT_TRUE(s.on_ground);  // any of the three gear units
  EXPECT_TRUE(s.paused);
  EXPECT_DOUBLE_EQ(s.speed_up, 4.0);
  EXPECT_TRUE(s.engines[0].present);
  EXPECT_TRUE(s.engines[0].running);
  EXPECT_DOUBLE_EQ(s.engines[0].rpm, 2345.0);
  EXPECT_TRUE(s.engines[1].present);
  EXPECT_FALSE(s.engines[1].running);
  EXPECT_DOUBLE_EQ(s.engines[1].n2, 61.5);
  EXPECT_FALSE(s.engines[2].present);  // a node FlightGear does not have sends empty fields
  EXPECT_DOUBLE_EQ(s.weight_lbs, 2300.0);
  EXPECT_EQ(s.callsign, "N172OR");
  EXPECT_EQ(s.aircraft, "c172p");
}

TEST(FgSampleTest, YasimWeightWhenJsbsimHasNone) {
  FgLine line;
  line.set("/fdm/jsbsim/inertia/weight-lbs", "").set("/yasim/gross-weight-lbs", "41000.0");
  FgSample s;
  ASSERT_TRUE(fgbridge::parse_sample(line.str(), &s));
  EXPECT_DOUBLE_EQ(s.weight_lbs, 41000.0);
}

TEST(FgSampleTest, RefusesALineOfAnotherShape) {
  FgSample s;
  s.callsign = "untouched";
  const std::string good = FgLine().str();
  EXPECT_FALSE(fgbridge::parse_sample(good.substr(0, good.rfind('\t')), &s));  // a field short
  EXPECT_FALSE(fgbridge::parse_sample(good + "\textra", &s));
  EXPECT_FALSE(fgbridge::parse_sample(FgLine().set("/position/altitude-ft", "high").str(), &s));
  EXPECT_FALSE(fgbridge::parse_sample(FgLine().set("/sim/speed-up", "nan").str(), &s));
  EXPECT_FALSE(fgbridge::parse_sample(FgLine().set("/sim/crashed", "maybe").str(), &s));
  EXPECT_FALSE(fgbridge::parse_sample("", &s));
  EXPECT_EQ(s.callsign, "untouched");
}

// The protocol file FlightGear reads names the same properties in the same order.
TEST(FgSampleTest, ProtocolFileListsTheFieldsInOrder) {
  std::ifstream in(std::string(ORVANE_FG_PROTOCOL));
  ASSERT_TRUE(in) << ORVANE_FG_PROTOCOL;
  std::stringstream all;
  all << in.rdbuf();
  const std::string xml = all.str();
  const std::regex node("<node>([^<]+)</node>");
  std::vector<std::string> nodes;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), node); it != std::sregex_iterator();
       ++it)
    nodes.push_back((*it)[1]);
  ASSERT_EQ(nodes.size(), fgbridge::kFieldCount);
  for (std::size_t i = 0; i < nodes.size(); ++i)
    EXPECT_EQ(nodes[i], fgbridge::kFieldProperties[i]) << "field " << i;
  EXPECT_NE(xml.find("<var_separator>tab</var_separator>"), std::string::npos);
  EXPECT_NE(xml.find("<line_separator>newline</line_separator>"), std::string::npos);
}

// The bridge with its link served in a folder of the test's own; ORVANE's source reads it.
class FgBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fsuipc_set_socket_dir(dir_.path().string());
    server_ = std::make_unique<StandinServer>(memory_, dir_.path().string());
    bridge_ = std::make_unique<Bridge>(memory_, *server_, EngineKind::Auto, 0, 5000,
                                       [this](const std::string& l) { said_.push_back(l); });
  }
  void TearDown() override {
    source_.reset();
    bridge_->stop();
    FSUIPC_Close();
    fsuipc_set_socket_dir(fsuipc_default_socket_dir());
    fsuipc_set_send_timeout_ms(2000);
  }

  // One frame from FlightGear, then a fresh read by ORVANE.
  FlightData_MSFS& feed(const FgLine& line) {
    now_ += 100;
    bridge_->on_datagram(line.str(), now_);
    if (!source_) source_ = std::make_unique<FlightData_MSFS>(&no_log);
    source_->endCycle();
    return *source_;
  }

  test::TempDir dir_;
  OffsetMemory memory_;
  ManualClock clock_;
  ScopedClock scoped_{clock_};
  std::unique_ptr<StandinServer> server_;
  std::unique_ptr<Bridge> bridge_;
  std::unique_ptr<FlightData_MSFS> source_;
  std::vector<std::string> said_;
  std::int64_t now_ = 1000;
};

TEST_F(FgBridgeTest, PositionHeadingsAndAttitude) {
  FgLine l;
  l.set("/position/latitude-deg", "-33.94611100").set("/position/longitude-deg", "151.17722200");
  l.set("/orientation/heading-deg", "271.7000").set("/environment/magnetic-variation-deg", "12.5");
  l.set("/orientation/pitch-deg", "7.5000").set("/orientation/roll-deg", "-20.0000");
  FlightData_MSFS& src = feed(l);
  EXPECT_TRUE(src.isSimConnected());
  const Position p = src.getPosition();
  EXPECT_NEAR(p.lat, -33.946111, 1e-7);
  EXPECT_NEAR(p.lng, 151.177222, 1e-7);
  EXPECT_EQ(src.getTrueHeading(), 272);  // to the nearest degree
  EXPECT_EQ(src.getHeading(), 259);  // magnetic: true less the easterly variation
  EXPECT_NEAR(src.getPitch(), 7.5, 1e-6);  // ORVANE turns FSUIPC's sign round
  EXPECT_NEAR(src.getBank(), -20.0, 1e-6);
}

// FL350 is 10668.0 m: whole metres in 0x0574, the fraction in 0x0570; a hair below it the
// whole metres are 10667.
TEST_F(FgBridgeTest, AltitudeInWholeAndFractionalMetres) {
  FgLine l;
  FlightData_MSFS& src = feed(l.set("/position/altitude-ft", "35000.0000"));
  EXPECT_EQ(memory_.get<std::int32_t>(0x0574), 10668);
  EXPECT_EQ(memory_.get<std::uint32_t>(0x0570), 0u);
  EXPECT_EQ(src.getAltitude(), 35000);
  feed(l.set("/position/altitude-ft", "34999.9500"));
  EXPECT_EQ(memory_.get<std::int32_t>(0x0574), 10667);
  EXPECT_EQ(memory_.get<std::uint32_t>(0x0570), 4229511994u);  // 0.98476 m
  EXPECT_EQ(src.getAltitude(), 35000);
  feed(l.set("/position/altitude-ft", "-100.0000"));
  EXPECT_EQ(memory_.get<std::int32_t>(0x0574), -31);
  EXPECT_EQ(src.getAltitude(), -100);
  feed(l.set("/position/altitude-agl-ft", "1000.0"));
  EXPECT_EQ(src.getHeight(), 1000.0);
}

TEST_F(FgBridgeTest, SpeedsTemperaturesAndWind) {
  FgLine l;
  l.set("/velocities/airspeed-kt", "120.7000").set("/fdm/jsbsim/velocities/vtrue-kts", "131.2");
  l.set("/velocities/groundspeed-kt", "140.0000").set("/velocities/vertical-speed-fps", "10.0");
  l.set("/environment/temperature-degc", "-20.4000");
  l.set("/environment/wind-from-heading-deg", "275.0").set("/environment/wind-speed-kt", "12.8");
  FlightData_MSFS& src = feed(l);
  EXPECT_EQ(src.getIAS(), 120);
  EXPECT_EQ(src.getTAS(), 131);
  EXPECT_NEAR(src.getGroundSpeed(), 140.0, 0.01);
  EXPECT_NEAR(src.getVerticalSpeed(), 600.0, 0.5);  // feet per minute
  EXPECT_EQ(src.getOAT(), -20);
  EXPECT_EQ(src.getTAT(), -18);  // ram rise at 131 kt: 2.3 degrees
  EXPECT_EQ(src.getWindDirection(), 275);
  EXPECT_EQ(src.getWindSpeed(), 12);
}

// 0x030C copies the vertical speed while airborne and stands still from the frame weight
// comes on the wheels: FlightGear's own vertical speed at touchdown.
TEST_F(FgBridgeTest, TouchdownRateLatchesAtWeightOnWheels) {
  FgLine air;
  air.set("/gear/gear[0]/wow", "0").set("/gear/gear[1]/wow", "0").set("/gear/gear[2]/wow", "0");
  FlightData_MSFS& src = feed(air.set("/velocities/vertical-speed-fps", "-8.0000"));
  EXPECT_FALSE(src.isOnGround());
  feed(air.set("/velocities/vertical-speed-fps", "-3.0000"));  // the last frame in the air
  ASSERT_TRUE(src.getTouchdownVerticalSpeed().has_value());
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), -180.0, 0.5);
  FgLine ground = air;
  ground.set("/gear/gear[1]/wow", "1").set("/velocities/vertical-speed-fps", "-0.5000");
  feed(ground);
  EXPECT_TRUE(src.isOnGround());
  EXPECT_NEAR(src.getVerticalSpeed(), -30.0, 0.5);
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), -180.0, 0.5);
  feed(ground.set("/velocities/vertical-speed-fps", "0.0000"));
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), -180.0, 0.5);  // still, on the ground
  feed(air.set("/velocities/vertical-speed-fps", "5.0000"));  // airborne again
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), 300.0, 0.5);
}

// The c172p is a piston: RPM in the N1 offsets with the scaler at 0x08C8, N2 0, the
// combustion flag from FlightGear's running flag.
TEST_F(FgBridgeTest, PistonEngineRpmAndCombustion) {
  FgLine l;
  FlightData_MSFS& src = feed(l);
  EXPECT_EQ(src.getNumberEngines(), 1);
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());
  feed(l.set("/engines/engine[0]/running", "true").set("/engines/engine[0]/rpm", "2700"));
  EXPECT_EQ(memory_.get<std::int16_t>(0x08C8), standin::kPistonRpmScaler);
  EXPECT_EQ(memory_.get<std::int16_t>(0x0898), 16384);  // 2700 RPM * 65536 / 10800
  EXPECT_EQ(memory_.get<std::int16_t>(0x0896), 0);
  EXPECT_EQ(memory_.get<std::int16_t>(0x0894), 1);
  EXPECT_TRUE(src.EngineRunning());
  EXPECT_FALSE(src.EngineStopped());
  EXPECT_EQ(src.getEngine_N1(), std::vector<std::int32_t>{100});
  EXPECT_EQ(src.getEngine_N2(), std::vector<std::int32_t>{0});
  feed(l.set("/engines/engine[0]/rpm", "800"));  // idle, 30 % of the scale
  EXPECT_EQ(memory_.get<std::int16_t>(0x0898), 4855);
  feed(l.set("/engines/engine[0]/running", "false").set("/engines/engine[0]/rpm", "0"));
  EXPECT_EQ(memory_.get<std::int16_t>(0x0894), 0);
  EXPECT_TRUE(src.EngineStopped());
}

TEST_F(FgBridgeTest, JetEnginesN1AndN2) {
  FgLine l;
  for (int i = 0; i < 2; ++i) {
    const std::string e = "/engines/engine[" + std::to_string(i) + "]/";
    l.set(e + "running", "true").set(e + "n1", "85.5").set(e + "n2", "95.0").set(e + "rpm", "");
  }
  FlightData_MSFS& src = feed(l);
  EXPECT_EQ(bridge_->encoder().kind(), EngineKind::Jet);
  EXPECT_EQ(src.getNumberEngines(), 2);
  EXPECT_EQ(memory_.get<std::int16_t>(0x0898), 14009);  // 85.5 % of 16384, rounded up
  EXPECT_EQ(memory_.get<std::int16_t>(0x0930), 14009);
  EXPECT_EQ(memory_.get<std::int16_t>(0x0896), 15565);
  EXPECT_EQ(memory_.get<std::int16_t>(0x08C8), 0);
  EXPECT_EQ(src.getEngine_N1(), (std::vector<std::int32_t>{85, 85}));
  EXPECT_EQ(src.getEngine_N2(), (std::vector<std::int32_t>{95, 95}));
}

// The c172p has a second engine model it does not fly with: --engines 1 serves the first.
TEST(FgEncoderTest, ServesOnlyTheEnginesAskedFor) {
  FgLine l;
  l.set("/engines/engine[1]/running", "true").set("/engines/engine[1]/rpm", "2000");
  FgSample s;
  ASSERT_TRUE(fgbridge::parse_sample(l.str(), &s));
  OffsetMemory mem;
  fgbridge::FgEncoder all;
  all.encode(s, mem);
  EXPECT_EQ(mem.get<std::int16_t>(0x0AEC), 2);
  EXPECT_EQ(mem.get<std::int16_t>(0x092C), 1);
  fgbridge::FgEncoder one(EngineKind::Auto, 1);
  one.encode(s, mem);
  EXPECT_EQ(mem.get<std::int16_t>(0x0AEC), 1);
  EXPECT_EQ(mem.get<std::int16_t>(0x092C), 0);
  EXPECT_EQ(mem.get<std::int16_t>(0x0930), 0);
}

TEST_F(FgBridgeTest, TurbopropPropellerInN1GasGeneratorInN2) {
  FgLine l;
  l.set("/engines/engine[0]/running", "true").set("/engines/engine[0]/rpm", "1700");
  feed(l.set("/engines/engine[0]/n1", "0").set("/engines/engine[0]/n2", "90.0"));
  EXPECT_EQ(bridge_->encoder().kind(), EngineKind::Turboprop);
  EXPECT_EQ(memory_.get<std::int16_t>(0x08C8), standin::kTurbopropRpmScaler);
  EXPECT_EQ(memory_.get<std::int16_t>(0x0898), 16384);  // 1700 * 65536 / 6800
  EXPECT_EQ(memory_.get<std::int16_t>(0x0896), 14746);
}

TEST_F(FgBridgeTest, FuelWeightsRegistrationAndFlags) {
  FgLine l;
  l.set("/consumables/fuel/total-fuel-lbs", "250.5").set("/fdm/jsbsim/inertia/weight-lbs", "2400");
  l.set("/sim/multiplay/callsign", "N12345678901234");
  FlightData_MSFS& src = feed(l);
  EXPECT_EQ(src.getTotalWeight(), 2400);
  EXPECT_EQ(src.getZFW(), 2149);  // 2149.5 lb, whole pounds
  EXPECT_NEAR(src.getCurrentFuel(), 251.0, 1e-9);
  EXPECT_EQ(src.getAircraftRegistration(), "N1234567890");  // 11 characters
  EXPECT_FALSE(src.isPaused());
  EXPECT_FALSE(src.isFlightCrashed());
  EXPECT_FALSE(src.isSlewMode());
  EXPECT_DOUBLE_EQ(src.getSimulationRate(), 1.0);
  feed(l.set("/sim/freeze/master", "1").set("/sim/crashed", "1").set("/sim/speed-up", "4"));
  EXPECT_TRUE(src.isPaused());
  EXPECT_TRUE(src.isFlightCrashed());
  EXPECT_DOUBLE_EQ(src.getSimulationRate(), 4.0);
  feed(l.set("/sim/speed-up", "128"));
  EXPECT_EQ(memory_.get<std::uint16_t>(0x0C1A), 32768);  // unsigned
  EXPECT_DOUBLE_EQ(src.getSimulationRate(), 128.0);
  feed(l.set("/accelerations/pilot-g", "1.5"));
  ASSERT_TRUE(src.getGForce().has_value());
  EXPECT_NEAR(*src.getGForce(), 1.5, 0.002);
  EXPECT_EQ(said_.size(), 3u);  // there; crashed; paused
}

// The activity counter moves once per line; loading scenery is a mode other than flying.
TEST_F(FgBridgeTest, ActivityCounterAndSceneryLoading) {
  FgLine l;
  feed(l.set("/sim/sceneryloaded", "0"));
  EXPECT_EQ(memory_.get<std::uint8_t>(0x3364), 1);
  const std::uint16_t first = memory_.get<std::uint16_t>(0x337E);
  feed(l.set("/sim/sceneryloaded", "1"));
  feed(l);
  EXPECT_EQ(memory_.get<std::uint16_t>(0x337E), static_cast<std::uint16_t>(first + 2));
  EXPECT_EQ(memory_.get<std::uint8_t>(0x3364), 0);
  EXPECT_EQ(memory_.get<std::uint8_t>(0x3365), 0);
}

// The link is served while FlightGear sends, closed after its silence, served again when
// it is back; each is said.
TEST_F(FgBridgeTest, ServesWhileFlightGearSendsAndReconnects) {
  EXPECT_FALSE(server_->running());
  bridge_->on_datagram("garbage\n", now_);
  EXPECT_FALSE(server_->running());
  bridge_->on_datagram("more garbage\n", now_);
  EXPECT_EQ(bridge_->rejected(), 2u);
  ASSERT_EQ(said_.size(), 1u);
  EXPECT_NE(said_[0].find("does not read as ORVANE's protocol"), std::string::npos);

  FlightData_MSFS& src = feed(FgLine());
  EXPECT_TRUE(server_->running());
  EXPECT_TRUE(src.isSimConnected());
  ASSERT_EQ(said_.size(), 2u);
  EXPECT_NE(said_[1].find("FlightGear is there (aircraft c172p, callsign N172OR, 1 engine(s), "
                          "piston): serving FSUIPC at"),
            std::string::npos)
      << said_[1];

  bridge_->on_idle(now_ + 4999);
  EXPECT_TRUE(server_->running());
  bridge_->on_idle(now_ + 5000);
  EXPECT_FALSE(server_->running());
  ASSERT_EQ(said_.size(), 3u);
  EXPECT_EQ(said_[2], "FlightGear stopped sending (nothing for 5 s): the link is closed until "
                      "it sends again");
  fsuipc_set_send_timeout_ms(20);
  source_->endCycle();
  EXPECT_FALSE(src.lastReadOk());

  now_ += 60000;
  feed(FgLine());
  EXPECT_TRUE(server_->running());
  EXPECT_EQ(said_.size(), 4u);
}

}  // namespace
}  // namespace orvane
