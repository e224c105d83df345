// The bridge's mapping against a running FlightGear: properties set through its telnet
// protocol, read back offset by offset by ORVANE through orvane-fgbridge and the real link.
// Skipped, saying so, where FlightGear is not installed.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "fgpilot/fg_telnet.h"
#include "fgpilot/flightgear_process.h"
#include "programs/program_runner.h"
#include "sim/flightdata_msfs.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using fgpilot::FgTelnet;
using fgpilot::FlightGearProcess;
using test::Program;
using test::waitForText;

void no_log(const std::string&) {}

// FlightGear starts in about 2.5 minutes on a busy 2-core machine; allow far more.
constexpr int kStartSeconds = 480;
// A property set is in the next line FlightGear sends (10 a second at 6 frames a second).
constexpr int kSettleSeconds = 60;

template <class T>
T raw(std::uint32_t offset) {
  T v{};
  std::uint32_t rc = 0;
  FSUIPC_Read(offset, sizeof v, &v, &rc);
  FSUIPC_Process(&rc);
  return v;
}

class FgBridgeLive : public ::testing::Test {
 protected:
  void SetUp() override {
    if (fgpilot::find_fgfs().empty())
      GTEST_SKIP() << "FlightGear is not installed (no fgfs): the bridge's mapping against a "
                      "running FlightGear was not tested";
    std::filesystem::create_directories(dir_.file("fsuipc"));
    std::filesystem::create_directories(dir_.file("fghome"));
    const int udp = test::freePort();
    bridge_ = std::make_unique<Program>(
        ORVANE_FGBRIDGE_PATH,
        std::vector<std::string>{"--port", std::to_string(udp), "--socket-dir",
                                 dir_.file("fsuipc"), "--lost-after", "30"},
        dir_.path().string(), dir_.file("bridge.out"));
    fgpilot::FlightGearOptions o;
    o.aircraft = "ufo";
    o.null_fdm = true;  // no flight model: what is set stays
    o.draw_nothing = true;
    o.telnet_port = test::freePort();
    o.generic_port = udp;
    o.data_dir = ORVANE_FG_DATA;
    o.home = dir_.file("fghome");
    o.log_file = dir_.file("fgfs.log");
    fg_ = std::make_unique<FlightGearProcess>(o);
    ASSERT_TRUE(fg_->started());
    telnet_ = std::make_unique<FgTelnet>(o.telnet_port);
    ASSERT_TRUE(waitForText(dir_.file("bridge.out"), "FlightGear is there", kStartSeconds))
        << "FlightGear did not start sending within " << kStartSeconds << " s; see "
        << dir_.file("fgfs.log");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
    while (!telnet_->connect() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(telnet_->connected()) << "FlightGear's telnet did not answer";
    fsuipc_set_socket_dir(dir_.file("fsuipc"));
    source_ = std::make_unique<FlightData_MSFS>(&no_log);
  }
  void TearDown() override {
    source_.reset();
    FSUIPC_Close();
    fsuipc_set_socket_dir(fsuipc_default_socket_dir());
    if (fg_) fg_->kill();
  }

  // Sets the property and reads back what FlightGear made of it.
  void set(const std::string& property, const std::string& value) {
    ASSERT_TRUE(telnet_->set(property, value)) << property;
  }

  // Waits until check holds on a fresh read of the link; what it found last is in the
  // failure message.
  void until(const std::string& what, const std::function<bool(std::string*)>& check) {
    std::string last;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kSettleSeconds);
    for (;;) {
      source_->endCycle();
      if (check(&last)) return;
      if (std::chrono::steady_clock::now() > end) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    ADD_FAILURE() << what << ": " << last;
  }

  // FlightGear's own value of a property, as a number.
  double fg(const std::string& property) {
    bool ok = false;
    const double v = telnet_->number(property, &ok);
    EXPECT_TRUE(ok) << property;
    return v;
  }

  test::TempDir dir_;
  std::unique_ptr<Program> bridge_;
  std::unique_ptr<FlightGearProcess> fg_;
  std::unique_ptr<FgTelnet> telnet_;
  std::unique_ptr<FlightData_MSFS> source_;
};

TEST_F(FgBridgeLive, EveryOffsetFollowsThePropertiesSetInFlightGear) {
  FlightData_MSFS& src = *source_;
  EXPECT_TRUE(src.isSimConnected());

  // Position and altitude: FL350 is 10668.0 m, whole metres in 0x0574, fraction in 0x0570.
  set("/position/latitude-deg", "45.5");
  set("/position/longitude-deg", "-73.25");
  set("/position/altitude-ft", "35000");
  until("position", [&](std::string* last) {
    const Position p = src.getPosition();
    const auto whole = raw<std::int32_t>(0x0574);
    const auto frac = raw<std::uint32_t>(0x0570);
    *last = std::to_string(p.lat) + " " + std::to_string(p.lng) + " alt " +
            std::to_string(src.getAltitude()) + " raw " + std::to_string(whole) + "+" +
            std::to_string(frac);
    return std::fabs(p.lat - 45.5) < 1e-6 && std::fabs(p.lng + 73.25) < 1e-6 &&
           src.getAltitude() == 35000 && whole == 10668 && frac < 1000;
  });
  EXPECT_NEAR(fg("/position/altitude-ft"), 35000.0, 0.01);

  // Attitude and heading, and the magnetic heading from FlightGear's own variation there.
  set("/orientation/heading-deg", "271.7");
  set("/orientation/pitch-deg", "7.5");
  set("/orientation/roll-deg", "-20");
  until("attitude", [&](std::string* last) {
    *last = std::to_string(src.getTrueHeading()) + " " + std::to_string(src.getPitch()) + " " +
            std::to_string(src.getBank());
    return src.getTrueHeading() == 272 && std::fabs(src.getPitch() - 7.5) < 0.01 &&
           std::fabs(src.getBank() + 20.0) < 0.01;
  });
  const double var = fg("/environment/magnetic-variation-deg");
  const int magnetic = static_cast<int>(std::lround(std::fmod(271.7 - var + 360.0, 360.0)));
  EXPECT_NEAR(src.getHeading(), magnetic, 1) << "variation " << var;

  // Speeds.
  set("/velocities/airspeed-kt", "123.4");
  set("/fdm/jsbsim/velocities/vtrue-kts", "150.6");
  set("/velocities/vertical-speed-fps", "-7.5");
  until("speeds", [&](std::string* last) {
    *last = std::to_string(src.getIAS()) + " " + std::to_string(src.getTAS()) + " " +
            std::to_string(src.getVerticalSpeed());
    return src.getIAS() == 123 && src.getTAS() == 150 &&
           std::fabs(src.getVerticalSpeed() + 450.0) < 1.0;
  });
  const double gs = fg("/velocities/groundspeed-kt");
  until("ground speed", [&](std::string* last) {
    *last = std::to_string(src.getGroundSpeed()) + " FlightGear " + std::to_string(gs);
    return std::fabs(src.getGroundSpeed() - fg("/velocities/groundspeed-kt")) < 0.5;
  });

  // Temperature and wind as FlightGear's environment has them at this altitude.
  until("temperature and wind", [&](std::string* last) {
    const double oat = fg("/environment/temperature-degc");
    const double wdir = fg("/environment/wind-from-heading-deg");
    const double wspd = fg("/environment/wind-speed-kt");
    *last = std::to_string(src.getOAT()) + "/" + std::to_string(oat) + " " +
            std::to_string(src.getWindDirection()) + "/" + std::to_string(wdir) + " " +
            std::to_string(src.getWindSpeed()) + "/" + std::to_string(wspd);
    return src.getOAT() == static_cast<int>(std::trunc(oat)) &&
           std::abs(src.getWindDirection() - static_cast<int>(std::trunc(wdir))) <= 1 &&
           src.getWindSpeed() == static_cast<int>(std::trunc(wspd));
  });

  // The touchdown latch: 0x030C follows 0x02C8 in the air and stands still from the frame
  // weight comes on the wheels.
  set("/gear/gear[0]/wow", "0");
  set("/velocities/vertical-speed-fps", "-4");
  until("airborne", [&](std::string* last) {
    *last = std::to_string(src.isOnGround()) + " " + std::to_string(raw<std::int32_t>(0x030C));
    return !src.isOnGround() && raw<std::int32_t>(0x030C) == -312;  // -4 ft/s * 0.3048 * 256
  });
  set("/gear/gear[0]/wow", "1");
  until("on the ground", [&](std::string* last) {
    *last = std::to_string(src.isOnGround());
    return src.isOnGround();
  });
  set("/velocities/vertical-speed-fps", "0");
  until("vertical speed on the ground", [&](std::string* last) {
    *last = std::to_string(raw<std::int32_t>(0x02C8));
    return raw<std::int32_t>(0x02C8) == 0;
  });
  ASSERT_TRUE(src.getTouchdownVerticalSpeed().has_value());
  EXPECT_NEAR(*src.getTouchdownVerticalSpeed(), -240.0, 0.5);

  // Pause, simulation rate, crash.
  set("/sim/freeze/master", "true");
  set("/sim/speed-up", "4");
  set("/sim/crashed", "true");
  until("pause, rate and crash", [&](std::string* last) {
    *last = std::to_string(src.isPaused()) + " " + std::to_string(src.getSimulationRate()) +
            " " + std::to_string(src.isFlightCrashed());
    return src.isPaused() && src.getSimulationRate() == 4.0 && src.isFlightCrashed() &&
           raw<std::uint16_t>(0x0C1A) == 1024;
  });
  set("/sim/freeze/master", "false");
  set("/sim/speed-up", "1");
  set("/sim/crashed", "false");
  until("running again", [&](std::string* last) {
    *last = std::to_string(src.isPaused()) + " " + std::to_string(src.getSimulationRate());
    return !src.isPaused() && src.getSimulationRate() == 1.0 && !src.isFlightCrashed() &&
           !src.isSlewMode();
  });

  // A piston engine: RPM with the scaler, the combustion flag from FlightGear's running flag.
  set("/engines/engine[0]/running", "true");
  set("/engines/engine[0]/rpm", "2430");
  until("engine", [&](std::string* last) {
    *last = std::to_string(src.getNumberEngines()) + " " +
            std::to_string(raw<std::int16_t>(0x0898)) + " " +
            std::to_string(raw<std::int16_t>(0x08C8)) + " " +
            std::to_string(raw<std::int16_t>(0x0894));
    return src.getNumberEngines() >= 1 && raw<std::int16_t>(0x08C8) == 10800 &&
           raw<std::int16_t>(0x0898) == 14746 && raw<std::int16_t>(0x0894) == 1 &&
           src.EngineRunning() && src.getEngine_N1().at(0) == 90;
  });
  set("/engines/engine[0]/running", "false");
  set("/engines/engine[0]/rpm", "0");
  until("engine off", [&](std::string* last) {
    *last = std::to_string(raw<std::int16_t>(0x0894));
    return raw<std::int16_t>(0x0894) == 0 && src.EngineStopped();
  });

  // Weights, fuel and the callsign as the registration.
  set("/fdm/jsbsim/inertia/weight-lbs", "2400");
  set("/sim/multiplay/callsign", "N172OR");
  until("weights and callsign", [&](std::string* last) {
    const double fuel = fg("/consumables/fuel/total-fuel-lbs");
    *last = std::to_string(src.getTotalWeight()) + " " + std::to_string(src.getZFW()) + " " +
            std::to_string(fuel) + " " + src.getAircraftRegistration();
    return src.getTotalWeight() == 2400 &&
           std::abs(src.getZFW() - static_cast<int>(std::ceil(2400 - fuel))) <= 1 &&
           src.getAircraftRegistration() == "N172OR";
  });

  // The activity counter moves with FlightGear's frames.
  const auto count = raw<std::uint16_t>(0x337E);
  until("activity", [&](std::string* last) {
    *last = std::to_string(raw<std::uint16_t>(0x337E));
    return raw<std::uint16_t>(0x337E) != count;
  });

  // FlightGear killed: the bridge closes the link and says so; ORVANE finds no simulator.
  fg_->kill();
  ASSERT_TRUE(waitForText(dir_.file("bridge.out"), "FlightGear stopped sending", 60));
  fsuipc_set_send_timeout_ms(200);
  source_->endCycle();
  EXPECT_FALSE(source_->lastReadOk());
  fsuipc_set_send_timeout_ms(2000);
}

}  // namespace
}  // namespace orvane
