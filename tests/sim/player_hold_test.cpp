// Tests of the hold at the gate: the scenario event that stops the flight time until a file
// exists, read from scenario text and played by the stand-in's player.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "flightmodel/scenario.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "support/temp_dir.h"
#include "util/clock.h"

namespace orvane {
namespace {

constexpr std::uint32_t kActivityOffset = 0x337E;  // the simulator's 2-byte activity counter

TEST(HoldUntilScenario, ReadsTheEventWithItsFileAndRefusesBadLines) {
  const model::FlightModel m = model::parse_scenario(
      "key 0 engines=2 on_ground=1\n"
      "event 0 hold-until /tmp/go-file   # until tracking has started\n"
      "key 100 gs=20\n");
  ASSERT_EQ(m.events().size(), 1u);
  EXPECT_EQ(m.events()[0].kind, model::EventKind::HoldUntil);
  EXPECT_EQ(m.events()[0].path, "/tmp/go-file");
  EXPECT_EQ(standin::Player::describe(m.events()[0]), "hold until /tmp/go-file exists");
  // The state of a moment does not depend on the hold: the player stops the clock.
  EXPECT_DOUBLE_EQ(m.at(50).gs, 10.0);

  try {
    model::parse_scenario("key 0\nevent 5 hold-until\n");
    FAIL() << "a hold without its file was taken";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "scenario line 2: 'hold-until' needs the file that releases the hold");
  }
  EXPECT_THROW(model::parse_scenario("event 5 hold-until a b\n"), std::runtime_error);
}

// Waits (real time, bounded) until the player's thread has shown what the test expects
// after a move of the manual clock.
template <class Pred>
bool eventually(Pred pred) {
  for (int i = 0; i < 2000; ++i) {
    if (pred()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return pred();
}

TEST(HoldUntilPlayer, StandsAtTheHoldWithALiveSimulatorUntilTheFileExists) {
  test::TempDir dir;
  const std::string go = dir.file("go");
  ManualClock manual;
  ScopedClock scoped(manual);
  model::FlightModel m = model::parse_scenario(
      "key 0 engines=2 on_ground=1 gs=0\n"
      "key 10 gs=10\n"
      "event 4 hold-until " + go + "\n"
      "key 100 gs=100\n");
  standin::OffsetMemory memory;
  standin::Player player(std::move(m), memory, nullptr, 2.0);  // 2 flight seconds per second
  std::vector<std::string> reports;
  std::mutex reports_mutex;
  player.set_report([&](const std::string& line) {
    std::lock_guard<std::mutex> g(reports_mutex);
    reports.push_back(line);
  });
  player.start();

  manual.advance(1);  // 2 s of flight: before the hold
  ASSERT_TRUE(eventually([&] { return player.flight_time() == 2.0; }));
  EXPECT_FALSE(player.holding());

  manual.advance(5);  // would be 12 s; the hold stops it at 4 s
  ASSERT_TRUE(eventually([&] { return player.holding(); }));
  EXPECT_EQ(player.flight_time(), 4.0);
  const auto activity = [&] { return memory.get<std::uint16_t>(kActivityOffset); };
  const std::uint16_t before = activity();
  manual.advance(60);  // a pilot who takes a minute: still at the gate, still alive
  ASSERT_TRUE(eventually([&] { return activity() != before; }));
  EXPECT_EQ(player.flight_time(), 4.0);
  EXPECT_TRUE(player.holding());
  // 66 clock seconds at speed 2 are 132 flight seconds of signs of life.
  EXPECT_EQ(activity(), static_cast<std::uint16_t>(132 * 18));

  std::ofstream(go) << "started\n";
  manual.advance(1);  // released: the flight goes on from 4 s, not from where the clock is
  ASSERT_TRUE(eventually([&] { return player.flight_time() == 6.0; }));
  EXPECT_FALSE(player.holding());
  manual.advance(2);
  ASSERT_TRUE(eventually([&] { return player.flight_time() == 10.0; }));
  player.stop();

  std::lock_guard<std::mutex> g(reports_mutex);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], "4 s: hold until " + go + " exists");
  EXPECT_EQ(reports[1], "4 s: hold released");
}

TEST(HoldUntilPlayer, AFileThereAlreadyDoesNotHold) {
  test::TempDir dir;
  const std::string go = dir.write("go", "x");
  ManualClock manual;
  ScopedClock scoped(manual);
  standin::OffsetMemory memory;
  standin::Player player(model::parse_scenario("key 0\nevent 1 hold-until " + go + "\nkey 50\n"),
                         memory, nullptr, 1.0);
  player.start();
  manual.advance(20);
  ASSERT_TRUE(eventually([&] { return player.flight_time() == 20.0; }));
  EXPECT_FALSE(player.holding());
  player.stop();
}

}  // namespace
}  // namespace orvane
