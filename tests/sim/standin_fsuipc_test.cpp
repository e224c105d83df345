// The stand-in as unkind as the real FSUIPC: floored altitude with its fraction, propeller
// aircraft, combustion flags, the latched touchdown rate and G, loading stalls, emulators,
// 128 times, crash detection and the 11-character registration.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "flightmodel/scenario.h"
#include "simstandin/offset_encoder.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "util/clock.h"

namespace orvane {
namespace {

using model::AircraftState;
using standin::AircraftKind;
using standin::OffsetMemory;
using standin::SimulatorTraits;

constexpr double kFeetPerMetre = 3.28084;

// The offsets of one state (the memory holds a lock, so it lives on the heap).
std::unique_ptr<OffsetMemory> encoded(const AircraftState& s, SimulatorTraits traits = {}) {
  auto mem = std::make_unique<OffsetMemory>();
  standin::encode_state(s, *mem, traits);
  return mem;
}

// The altitude as whole plus fractional metres.
double altitude_metres(const OffsetMemory& mem) {
  return mem.get<std::int32_t>(0x0574) + mem.get<std::uint32_t>(0x0570) / 4294967296.0;
}

TEST(StandinAltitude, WholeMetresRoundedDownWithTheFractionBeside) {
  AircraftState s;
  s.alt = 35000;  // FL350: 10668.0 m
  auto mem = encoded(s);
  EXPECT_EQ(mem->get<std::int32_t>(0x0574), 10668);
  EXPECT_EQ(mem->get<std::uint32_t>(0x0570), 0u);
  s.alt = 34999.95;  // an autopilot holding FL350: 10667.98 m, whole part 10667
  mem = encoded(s);
  EXPECT_EQ(mem->get<std::int32_t>(0x0574), 10667);
  EXPECT_NEAR(altitude_metres(*mem), 34999.95 * 0.3048, 1e-6);
  s.alt = 8021;
  mem = encoded(s);
  EXPECT_EQ(mem->get<std::int32_t>(0x0574), 2444);  // 2444.80 m
  EXPECT_NEAR(altitude_metres(*mem), 2444.8008, 1e-6);
  s.alt = -100;  // below sea level: -30.48 m rounds down to -31
  mem = encoded(s);
  EXPECT_EQ(mem->get<std::int32_t>(0x0574), -31);
  EXPECT_NEAR(altitude_metres(*mem), -30.48, 1e-6);
}

TEST(StandinEngines, EachKindFillsTheEngineOffsetsItsOwnWay) {
  AircraftState s;
  s.engines = 2;
  s.n1 = {50, 25, 0, 0};
  s.n2 = {80, 70, 0, 0};
  s.fire = {true, false, false, false};
  s.fire_set = true;
  const std::uint32_t n1[4] = {0x0898, 0x0930, 0x09C8, 0x0A60};
  const std::uint32_t n2[4] = {0x0896, 0x092E, 0x09C6, 0x0A5E};
  const std::uint32_t scaler[4] = {0x08C8, 0x0960, 0x09F8, 0x0A90};
  const std::uint32_t fire[4] = {0x0894, 0x092C, 0x09C4, 0x0A5C};

  auto jet = encoded(s);
  EXPECT_EQ(jet->get<std::int16_t>(n1[0]), 8192);
  EXPECT_EQ(jet->get<std::int16_t>(n2[1]), 11469);  // 70 % rounded away from zero
  EXPECT_EQ(jet->get<std::int16_t>(scaler[0]), 0);

  SimulatorTraits piston;
  piston.aircraft = AircraftKind::Piston;
  auto p = encoded(s, piston);
  // 50 % of 2700 RPM = 1350 RPM = raw * 10800 / 65536.
  EXPECT_EQ(p->get<std::int16_t>(scaler[0]), 10800);
  EXPECT_EQ(p->get<std::int16_t>(n1[0]), 8192);
  EXPECT_NEAR(p->get<std::int16_t>(n1[0]) * 10800.0 / 65536.0, 1350.0, 1.0);
  EXPECT_EQ(p->get<std::int16_t>(n2[0]), 0);  // jet N2 only
  EXPECT_EQ(p->get<std::int16_t>(n2[1]), 0);

  SimulatorTraits counter;
  counter.aircraft = AircraftKind::CounterProp;
  auto c = encoded(s, counter);
  EXPECT_EQ(c->get<std::int16_t>(n1[0]), -8192);
  EXPECT_EQ(c->get<std::int16_t>(n1[1]), -4096);
  EXPECT_EQ(c->get<std::int16_t>(n2[0]), 0);

  SimulatorTraits turboprop;
  turboprop.aircraft = AircraftKind::Turboprop;
  auto t = encoded(s, turboprop);
  EXPECT_EQ(t->get<std::int16_t>(scaler[1]), 6800);
  EXPECT_NEAR(t->get<std::int16_t>(n1[0]) * 6800.0 / 65536.0, 850.0, 1.0);  // 50 % of 1700
  EXPECT_EQ(t->get<std::int16_t>(n2[0]), 13108);  // the gas generator, 80 %

  for (const OffsetMemory* m : {jet.get(), p.get(), c.get(), t.get()}) {
    EXPECT_EQ(m->get<std::int16_t>(fire[0]), 1);
    EXPECT_EQ(m->get<std::int16_t>(fire[1]), 0);
  }
}

TEST(StandinEngines, KindsAreNamedAsOnTheCommandLine) {
  AircraftKind k = AircraftKind::Jet;
  ASSERT_TRUE(standin::parse_aircraft_kind("counter-prop", &k));
  EXPECT_EQ(k, AircraftKind::CounterProp);
  ASSERT_TRUE(standin::parse_aircraft_kind("turboprop", &k));
  EXPECT_EQ(k, AircraftKind::Turboprop);
  ASSERT_TRUE(standin::parse_aircraft_kind("piston", &k));
  EXPECT_EQ(k, AircraftKind::Piston);
  ASSERT_TRUE(standin::parse_aircraft_kind("jet", &k));
  EXPECT_EQ(k, AircraftKind::Jet);
  EXPECT_FALSE(standin::parse_aircraft_kind("glider", &k));
  standin::Emulator e = standin::Emulator::None;
  ASSERT_TRUE(standin::parse_emulator("wineuipc", &e));
  EXPECT_EQ(e, standin::Emulator::WineUipc);
  EXPECT_FALSE(standin::parse_emulator("xpuipc", &e));
}

TEST(StandinModel, EnginesFireAboveTwentyPercentN2UntilTheScenarioSaysOtherwise) {
  const model::FlightModel m = model::parse_scenario(
      "key 0 engines=2 n1=0 n2=0\n"
      "key 10 n1=20 n2=40\n"           // firing from N2 20 % at 5 s
      "key 20 n1=22 n2=62 fire=1\n"
      "key 30 fire_2=0\n"              // engine 2 cut off: its N2 still turns
      "key 40 n1=0 n2=30 fire=0\n");
  EXPECT_FALSE(m.at(4.9).fire[0]);
  EXPECT_TRUE(m.at(5.1).fire[0]);
  EXPECT_TRUE(m.at(25).fire[0]);
  EXPECT_TRUE(m.at(25).fire[1]);
  EXPECT_TRUE(m.at(35).fire[0]);
  EXPECT_FALSE(m.at(35).fire[1]);
  EXPECT_GT(m.at(35).n2[1], 20);
  EXPECT_FALSE(m.at(45).fire[0]);
  EXPECT_THROW(model::parse_scenario("key 0 fire=2\n"), std::runtime_error);
  EXPECT_THROW(model::parse_scenario("key 0 fire_5=1\n"), std::runtime_error);
}

// Descends at 300 fpm, touches down at 100 s, bounces at 103 s, touches down again at
// 106 s at 120 fpm.
const char* const kBouncingLanding =
    "key 0 alt=1000 height=1000 vs=-300 pitch=2 bank=-1 gs=130 on_ground=0\n"
    "key 100 alt=364 height=0 vs=-300 pitch=3.5 bank=1.5\n"
    "key 100 vs=0 on_ground=1 gs=125\n"
    "key 103 vs=0 on_ground=1\n"
    "key 103 vs=150 height=0 on_ground=0\n"
    "key 105 vs=-120 height=3 alt=367\n"
    "key 106 vs=-120 height=0 alt=364\n"
    "key 106 vs=0 on_ground=1\n"
    "key 130 gs=20\n";

TEST(StandinModel, TouchdownRateAndGStandStillOnTheGround) {
  const model::FlightModel m = model::parse_scenario(kBouncingLanding);
  const std::vector<model::Touchdown> td = m.touchdowns();
  ASSERT_EQ(td.size(), 2u);
  EXPECT_EQ(td[0].t, 100);
  EXPECT_EQ(td[0].vs, -300);
  EXPECT_EQ(td[1].t, 106);
  EXPECT_EQ(td[1].vs, -120);
  // 300 fpm = 1.524 m/s over a quarter-metre stroke.
  EXPECT_NEAR(td[0].g, 1.0 + 1.524 * 1.524 / (2 * 0.25 * 9.80665), 1e-9);
  EXPECT_GT(td[0].g, td[1].g);

  EXPECT_EQ(m.at(50).touchdown_vs, -300);  // airborne: the vertical speed itself
  EXPECT_EQ(m.at(50).g, 1.0);
  EXPECT_EQ(m.at(101).vs, 0);
  EXPECT_EQ(m.at(101).touchdown_vs, -300);  // latched on the ground
  EXPECT_EQ(m.at(101).g, td[0].g);
  EXPECT_EQ(m.at(104).touchdown_vs, m.at(104).vs);  // airborne again
  EXPECT_EQ(m.at(104).g, 1.0);
  EXPECT_EQ(m.at(120).touchdown_vs, -120);
  EXPECT_EQ(m.at(120).g, td[1].g);
  EXPECT_NEAR(m.at(50).pitch, 2.75, 1e-9);
  EXPECT_NEAR(m.at(50).bank, 0.25, 1e-9);
  EXPECT_EQ(m.at(0).touchdown_vs, -300);

  const model::FlightModel ground = model::parse_scenario("key 0 on_ground=1 vs=0\nkey 10\n");
  EXPECT_EQ(ground.at(5).touchdown_vs, 0);  // never airborne: nothing latched
  EXPECT_TRUE(ground.touchdowns().empty());
}

TEST(StandinModel, TouchdownRateAndAttitudeGoIntoTheirOffsets) {
  const model::FlightModel m = model::parse_scenario(kBouncingLanding);
  auto mem = encoded(m.at(101));
  // 0x030C carries 0x02C8's unit: metres per second * 256.
  EXPECT_EQ(mem->get<std::int32_t>(0x030C), static_cast<std::int32_t>(std::lround(
                                               -300 / 60.0 / kFeetPerMetre * 256.0)));
  EXPECT_EQ(mem->get<std::int32_t>(0x02C8), 0);
  EXPECT_EQ(mem->get<std::int16_t>(0x11BA), std::lround(m.touchdowns()[0].g * 624.0));
  mem = encoded(m.at(50));
  EXPECT_EQ(mem->get<std::int16_t>(0x11BA), 624);
  // Pitch and bank: 360 degrees = 2^32, nose up and right wing down negative.
  EXPECT_NEAR(mem->get<std::int32_t>(0x0578) * 360.0 / 4294967296.0, -2.75, 1e-6);
  EXPECT_NEAR(mem->get<std::int32_t>(0x057C) * 360.0 / 4294967296.0, -0.25, 1e-6);
}

TEST(StandinModel, LoadingStandsTheSignsOfLifeStillForItsSeconds) {
  const model::FlightModel m = model::parse_scenario(
      "key 0 alt=100 mode=1 menu=0\nkey 100 alt=200 mode=3 menu=2\nkey 300\n"
      "event 50 load 120\n");
  const AircraftState before = m.at(49.9);
  EXPECT_FALSE(before.frozen);
  for (double t : {50.0, 60.0, 120.0, 169.9}) {
    const AircraftState s = m.at(t);
    EXPECT_TRUE(s.frozen) << t;
    EXPECT_EQ(s.activity, 900) << t;  // 50 s at 18 a second
    EXPECT_EQ(s.flight_mode, before.flight_mode) << t;
    EXPECT_EQ(s.in_menu, before.in_menu) << t;
  }
  EXPECT_GT(m.at(120).alt, before.alt);  // the scenario itself goes on
  const AircraftState after = m.at(180);
  EXPECT_FALSE(after.frozen);
  EXPECT_EQ(after.activity, static_cast<std::uint16_t>(std::floor((180 - 120) * 18.0)));
  EXPECT_EQ(after.flight_mode, 3);
  EXPECT_THROW(model::parse_scenario("event 5 load 0\n"), std::runtime_error);
  EXPECT_THROW(model::parse_scenario("event 5 load\n"), std::runtime_error);
  // A load inside a freeze adds nothing; one that outlasts it keeps the counter still.
  const model::FlightModel both = model::parse_scenario(
      "key 0\nkey 300\nevent 10 freeze\nevent 20 load 5\nevent 30 unfreeze\n"
      "event 100 load 30\nevent 110 freeze\nevent 120 unfreeze\n");
  EXPECT_EQ(both.at(40).activity, static_cast<std::uint16_t>(20 * 18));
  EXPECT_TRUE(both.at(125).frozen);
  EXPECT_EQ(both.at(140).activity, static_cast<std::uint16_t>((140 - 20 - 30) * 18));
}

TEST(StandinFlags, OneHundredTwentyEightTimesIsThirtyTwoThousandSevenHundredSixtyEight) {
  const model::FlightModel m = model::parse_scenario("key 0\nevent 10 rate 128\n");
  EXPECT_EQ(encoded(m.at(11))->get<std::uint16_t>(0x0C1A), 32768);
  EXPECT_EQ(encoded(m.at(9))->get<std::uint16_t>(0x0C1A), 256);
  EXPECT_THROW(model::parse_scenario("event 10 rate 129\n"), std::runtime_error);
}

TEST(StandinFlags, CrashFlagOnlyWithCrashDetectionOn) {
  const model::FlightModel m = model::parse_scenario("key 0\nevent 10 crash\n");
  EXPECT_EQ(encoded(m.at(11))->get<std::int16_t>(0x0840), 1);
  SimulatorTraits off;
  off.crash_detection = false;
  EXPECT_EQ(encoded(m.at(11), off)->get<std::int16_t>(0x0840), 0);
}

TEST(StandinFlags, RegistrationIsElevenCharactersAndANul) {
  AircraftState s;
  s.registration = "ABCDEFGHIJKL";
  OffsetMemory mem;
  mem.put<std::uint8_t>(0x313C + 11, 0x55);
  standin::encode_state(s, mem);
  char tail[12];
  mem.read(0x313C, tail, sizeof tail);
  EXPECT_EQ(std::string(tail, 11), "ABCDEFGHIJK");
  EXPECT_EQ(tail[11], '\0');
}

TEST(StandinFlags, WineUipcNeverWritesTheCounterOrTheMenuFlagAndModeIsZero) {
  const model::FlightModel m = model::parse_scenario("key 0 mode=1 menu=1\nkey 100\n");
  SimulatorTraits wine;
  wine.emulator = standin::Emulator::WineUipc;
  OffsetMemory mem;
  mem.put<std::uint16_t>(0x337E, 4321);  // what was there before stays
  mem.put<std::uint8_t>(0x3364, 9);
  for (double t : {0.0, 10.0, 50.0}) {
    standin::encode_state(m.at(t), mem, wine);
    EXPECT_EQ(mem.get<std::uint16_t>(0x337E), 4321);
    EXPECT_EQ(mem.get<std::uint8_t>(0x3365), 0);
    EXPECT_EQ(mem.get<std::uint8_t>(0x3364), 0);
  }
  standin::encode_state(m.at(50), mem);
  EXPECT_EQ(mem.get<std::uint16_t>(0x337E), 900);
}

TEST(StandinPlayer, ReportsEachTouchdownWithItsRateAndG) {
  ManualClock clock(0);
  ScopedClock scoped(clock);
  OffsetMemory mem;
  standin::Player player(model::parse_scenario(std::string(kBouncingLanding) +
                                               "event 50 load 20\n"),
                         mem, nullptr);
  SimulatorTraits piston;
  piston.aircraft = AircraftKind::Piston;
  player.set_traits(piston);
  std::vector<std::string> lines;
  player.set_report([&](const std::string& line) { lines.push_back(line); });
  player.apply(99);
  EXPECT_EQ(lines, (std::vector<std::string>{"50 s: load 20 s"}));
  player.apply(100);
  player.apply(102);
  player.apply(107);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "100 s: touchdown at -300.0 fpm, 1.47 G");
  EXPECT_EQ(lines[2], "106 s: touchdown at -120.0 fpm, 1.08 G");
  EXPECT_EQ(mem.get<std::int16_t>(0x08C8), 10800);  // the traits reached the memory
}

}  // namespace
}  // namespace orvane
