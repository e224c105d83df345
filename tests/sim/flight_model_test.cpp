// Tests of the flight model, its scenario text and the scripted flight data sources.
// SPDX-License-Identifier: MIT
#include "flightmodel/flight_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "flightmodel/scenario.h"
#include "support/fake_flightdata.h"
#include "util/clock.h"

namespace orvane::model {
namespace {

AircraftState cruise_state() {
  AircraftState s;
  s.lat = 50.0;
  s.lon = 8.0;
  s.gs = 200;
  s.vs = 1000;
  s.height = 3000;
  s.alt = 3400;
  s.true_heading = 350;
  s.mag_var = 2;
  s.ias = 180;
  s.tas = 190;
  s.oat = 10;
  s.tat = 14;
  s.wind_dir = 10;
  s.wind_speed = 20;
  s.engines = 2;
  s.n1 = {80, 82, 0, 0};
  s.n2 = {90, 91, 0, 0};
  s.zfw = 100000;
  s.total_weight = 110000;
  s.on_ground = false;
  s.in_menu = 0;
  s.flight_mode = 1;
  s.registration = "D-AAAA";
  return s;
}

TEST(FlightModelKeyframes, NumbersMoveLinearlyBetweenKeyframes) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  b.lat = 51.0;
  b.lon = 9.0;
  b.gs = 300;
  b.vs = -1000;
  b.alt = 5400;
  b.n1[1] = 42;
  b.total_weight = 108000;
  b.mag_var = 4;
  FlightModel m;
  m.add_keyframe(10, a);
  m.add_keyframe(30, b);

  const AircraftState s = m.at(15);  // a quarter of the way
  EXPECT_DOUBLE_EQ(s.lat, 50.25);
  EXPECT_DOUBLE_EQ(s.lon, 8.25);
  EXPECT_DOUBLE_EQ(s.gs, 225);
  EXPECT_DOUBLE_EQ(s.vs, 500);
  EXPECT_DOUBLE_EQ(s.alt, 3900);
  EXPECT_DOUBLE_EQ(s.n1[1], 72);
  EXPECT_DOUBLE_EQ(s.n1[0], 80);
  EXPECT_DOUBLE_EQ(s.total_weight, 109500);
  EXPECT_DOUBLE_EQ(s.mag_var, 2.5);
  EXPECT_DOUBLE_EQ(m.duration(), 30);
}

TEST(FlightModelKeyframes, HeadingsTurnTheShorterWayRound) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  a.true_heading = 350;
  b.true_heading = 30;  // 40 degrees to the right through north
  a.wind_dir = 20;
  b.wind_dir = 340;  // 40 degrees to the left through north
  FlightModel m;
  m.add_keyframe(0, a);
  m.add_keyframe(40, b);
  EXPECT_NEAR(m.at(10).true_heading, 0.0, 1e-9);
  EXPECT_NEAR(m.at(30).true_heading, 20.0, 1e-9);
  EXPECT_NEAR(m.at(5).true_heading, 355.0, 1e-9);
  EXPECT_NEAR(m.at(10).wind_dir, 10.0, 1e-9);
  EXPECT_NEAR(m.at(30).wind_dir, 350.0, 1e-9);
}

TEST(FlightModelKeyframes, DiscreteValuesStepAtTheNextKeyframe) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  b.engines = 4;
  b.on_ground = true;
  b.in_menu = 1;
  b.flight_mode = 7;
  b.registration = "D-BBBB";
  FlightModel m;
  m.add_keyframe(0, a);
  m.add_keyframe(10, b);

  const AircraftState before = m.at(9.999);
  EXPECT_EQ(before.engines, 2);
  EXPECT_FALSE(before.on_ground);
  EXPECT_EQ(before.in_menu, 0);
  EXPECT_EQ(before.flight_mode, 1);
  EXPECT_EQ(before.registration, "D-AAAA");

  const AircraftState at = m.at(10);
  EXPECT_EQ(at.engines, 4);
  EXPECT_TRUE(at.on_ground);
  EXPECT_EQ(at.flight_mode, 7);
  EXPECT_EQ(at.registration, "D-BBBB");
}

TEST(FlightModelKeyframes, FirstAndLastKeyframeHoldOutsideTheFlight) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  b.alt = 9000;
  FlightModel m;
  m.add_keyframe(5, a);
  m.add_keyframe(20, b);
  EXPECT_DOUBLE_EQ(m.at(0).alt, 3400);
  EXPECT_DOUBLE_EQ(m.at(-100).alt, 3400);
  EXPECT_DOUBLE_EQ(m.at(500).alt, 9000);
  EXPECT_DOUBLE_EQ(m.at(std::nan("")).alt, 3400);  // not a time: the start
}

TEST(FlightModelKeyframes, TwoKeyframesAtOneTimeMakeAStep) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  AircraftState c = a;
  b.vs = -150;
  c.vs = 0;
  c.on_ground = true;
  FlightModel m;
  m.add_keyframe(0, a);
  m.add_keyframe(10, b);
  m.add_keyframe(10, c);  // added later: wins at 10
  m.add_keyframe(20, c);
  EXPECT_DOUBLE_EQ(m.at(9.5).vs, 1000 + (-150 - 1000) * 0.95);
  EXPECT_FALSE(m.at(9.5).on_ground);
  EXPECT_DOUBLE_EQ(m.at(10).vs, 0);
  EXPECT_TRUE(m.at(10).on_ground);
}

TEST(FlightModelKeyframes, KeyframesAddedOutOfOrderAreSortedByTime) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  b.gs = 100;
  FlightModel m;
  m.add_keyframe(20, b);
  m.add_keyframe(0, a);
  ASSERT_EQ(m.keyframes().size(), 2u);
  EXPECT_DOUBLE_EQ(m.keyframes()[0].t, 0);
  EXPECT_DOUBLE_EQ(m.at(10).gs, 150);
}

TEST(FlightModelKeyframes, RefusesTimesThatAreNegativeOrNotFinite) {
  FlightModel m;
  EXPECT_THROW(m.add_keyframe(-1, AircraftState{}), std::invalid_argument);
  EXPECT_THROW(m.add_keyframe(std::nan(""), AircraftState{}), std::invalid_argument);
  EXPECT_THROW(m.add_event(INFINITY, EventKind::Pause), std::invalid_argument);
  EXPECT_TRUE(m.keyframes().empty());
  EXPECT_TRUE(m.events().empty());
}

TEST(FlightModelEvents, PauseSlewRateCrashAndConnectionFollowTheirEvents) {
  FlightModel m;
  m.add_keyframe(0, cruise_state());
  m.add_event(10, EventKind::Pause);
  m.add_event(20, EventKind::Resume);
  m.add_event(30, EventKind::SlewOn);
  m.add_event(40, EventKind::SlewOff);
  m.add_event(50, EventKind::SimRate, 4.0);
  m.add_event(60, EventKind::SimRate, 1.0);
  m.add_event(70, EventKind::Disconnect);
  m.add_event(80, EventKind::Reconnect);
  m.add_event(90, EventKind::Crash);

  EXPECT_FALSE(m.at(9.9).paused);
  EXPECT_TRUE(m.at(10).paused);
  EXPECT_FALSE(m.at(20).paused);
  EXPECT_TRUE(m.at(35).slew);
  EXPECT_FALSE(m.at(40).slew);
  EXPECT_DOUBLE_EQ(m.at(49).sim_rate, 1.0);
  EXPECT_DOUBLE_EQ(m.at(55).sim_rate, 4.0);
  EXPECT_DOUBLE_EQ(m.at(60).sim_rate, 1.0);
  EXPECT_TRUE(m.at(69).connected);
  EXPECT_FALSE(m.at(75).connected);
  EXPECT_TRUE(m.at(80).connected);
  EXPECT_FALSE(m.at(89).crashed);
  EXPECT_TRUE(m.at(90).crashed);
  EXPECT_TRUE(m.at(1000).crashed);
  EXPECT_DOUBLE_EQ(m.duration(), 90);
}

TEST(FlightModelEvents, HangLastsItsSecondsAndOverlapsToTheLatestEnd) {
  FlightModel m;
  m.add_keyframe(0, cruise_state());
  m.add_event(10, EventKind::Hang, 25);
  m.add_event(30, EventKind::Hang, 2);  // inside the first: ends with it
  m.add_event(50, EventKind::Hang, 10);
  m.add_event(55, EventKind::Hang, 10);  // overlapping: until 65

  EXPECT_FALSE(m.at(9.9).hung);
  EXPECT_TRUE(m.at(10).hung);
  EXPECT_TRUE(m.at(34.9).hung);
  EXPECT_FALSE(m.at(35).hung);
  EXPECT_TRUE(m.at(59.9).hung);
  EXPECT_TRUE(m.at(64.9).hung);
  EXPECT_FALSE(m.at(65).hung);
  // A hung simulator is alive: connected, and its counter keeps counting.
  EXPECT_TRUE(m.at(20).connected);
  EXPECT_EQ(m.at(20).activity, 360);
  AircraftState s = cruise_state();
  s.hung = true;
  FlightModel k;
  k.add_keyframe(0, s);
  EXPECT_FALSE(k.at(0).hung);  // keyframes do not carry it
}

TEST(FlightModelEvents, KeyframesDoNotCarryEventDrivenValues) {
  AircraftState s = cruise_state();
  s.paused = true;
  s.crashed = true;
  s.connected = false;
  s.sim_rate = 8;
  FlightModel m;
  m.add_keyframe(0, s);
  const AircraftState out = m.at(1);
  EXPECT_FALSE(out.paused);
  EXPECT_FALSE(out.crashed);
  EXPECT_TRUE(out.connected);
  EXPECT_DOUBLE_EQ(out.sim_rate, 1.0);
}

TEST(FlightModelEvents, ActivityCountsWhileRunningAndStandsStillWhileFrozen) {
  AircraftState a = cruise_state();
  AircraftState b = a;
  b.in_menu = 1;  // would change during the freeze
  b.flight_mode = 9;
  FlightModel m;
  m.add_keyframe(0, a);
  m.add_keyframe(30, b);
  m.add_event(20, EventKind::Freeze);
  m.add_event(100, EventKind::Unfreeze);

  EXPECT_EQ(m.at(0).activity, 0);
  EXPECT_EQ(m.at(10).activity, 180);  // 18 a second
  EXPECT_EQ(m.at(20).activity, 360);
  EXPECT_EQ(m.at(60).activity, 360);
  EXPECT_TRUE(m.at(60).frozen);
  EXPECT_EQ(m.at(60).in_menu, 0);
  EXPECT_EQ(m.at(60).flight_mode, 1);
  EXPECT_FALSE(m.at(100).frozen);
  EXPECT_EQ(m.at(100).activity, 360);  // goes on from where it stood
  EXPECT_EQ(m.at(110).activity, 540);
  EXPECT_EQ(m.at(110).flight_mode, 9);
}

TEST(FlightModelEvents, ActivityCounterWrapsAtSixteenBits) {
  FlightModel m;
  m.add_keyframe(0, cruise_state());
  // 65536 / 18 seconds is one full turn of the counter.
  EXPECT_EQ(m.at(3640.8).activity, 65534);
  EXPECT_EQ(m.at(3641).activity, 2);
}

// ---- scenario text ----

TEST(ScenarioText, KeyframesKeepFieldsThatAreNotGiven) {
  const FlightModel m = parse_scenario(
      "# two keyframes\n"
      "set registration D-EFGH\n"
      "key 0 lat=50.5 lon=-8.25 alt=1000 engines=3 n1=20 n2_3=44 zfw=90000 fuel=5000 "
      "on_ground=1 menu=2 mode=5\n"
      "\n"
      "key 10 alt=2000 n1_2=60 hdg=90 var=-2.5 ias=120 tas=125 oat=-5 tat=-1 wind_dir=270 "
      "wind_speed=12 gs=130 vs=600 height=700 weight=94000\n");
  ASSERT_EQ(m.keyframes().size(), 2u);
  const AircraftState& first = m.keyframes()[0].state;
  EXPECT_DOUBLE_EQ(first.lat, 50.5);
  EXPECT_DOUBLE_EQ(first.lon, -8.25);
  EXPECT_EQ(first.engines, 3);
  EXPECT_DOUBLE_EQ(first.n1[3], 20);
  EXPECT_DOUBLE_EQ(first.n2[2], 44);
  EXPECT_DOUBLE_EQ(first.n2[0], 0);
  EXPECT_DOUBLE_EQ(first.total_weight, 95000);
  EXPECT_TRUE(first.on_ground);
  EXPECT_EQ(first.in_menu, 2);
  EXPECT_EQ(first.flight_mode, 5);
  EXPECT_EQ(first.registration, "D-EFGH");

  const AircraftState& second = m.keyframes()[1].state;
  EXPECT_DOUBLE_EQ(second.lat, 50.5);  // kept
  EXPECT_DOUBLE_EQ(second.alt, 2000);
  EXPECT_DOUBLE_EQ(second.n1[0], 20);
  EXPECT_DOUBLE_EQ(second.n1[1], 60);
  EXPECT_DOUBLE_EQ(second.n2[2], 44);
  EXPECT_DOUBLE_EQ(second.true_heading, 90);
  EXPECT_DOUBLE_EQ(second.mag_var, -2.5);
  EXPECT_DOUBLE_EQ(second.ias, 120);
  EXPECT_DOUBLE_EQ(second.tas, 125);
  EXPECT_DOUBLE_EQ(second.oat, -5);
  EXPECT_DOUBLE_EQ(second.tat, -1);
  EXPECT_DOUBLE_EQ(second.wind_dir, 270);
  EXPECT_DOUBLE_EQ(second.wind_speed, 12);
  EXPECT_DOUBLE_EQ(second.gs, 130);
  EXPECT_DOUBLE_EQ(second.vs, 600);
  EXPECT_DOUBLE_EQ(second.height, 700);
  EXPECT_DOUBLE_EQ(second.total_weight, 94000);
  EXPECT_TRUE(second.on_ground);
  EXPECT_EQ(second.registration, "D-EFGH");
}

TEST(ScenarioText, ReadsEveryEventAndCommentsAndCrLf) {
  const FlightModel m = parse_scenario(
      "key 0 alt=100\r\n"
      "event 1 pause   # comment after a statement\r\n"
      "event 2 resume\r\n"
      "\tevent 3 slew on\n"
      "event 4 slew off\n"
      "event 5 rate 0.25\n"
      "event 6 crash\n"
      "event 7 freeze\n"
      "event 8 unfreeze\n"
      "event 9 disconnect\n"
      "event 9 reconnect\n"
      "event 10 hang 2.5\n"
      "   # only a comment\n");
  const std::vector<Event>& e = m.events();
  ASSERT_EQ(e.size(), 11u);
  const std::vector<EventKind> kinds = {
      EventKind::Pause,  EventKind::Resume,   EventKind::SlewOn,     EventKind::SlewOff,
      EventKind::SimRate, EventKind::Crash,   EventKind::Freeze,     EventKind::Unfreeze,
      EventKind::Disconnect, EventKind::Reconnect, EventKind::Hang};
  for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(e[i].kind, kinds[i]) << i;
  EXPECT_DOUBLE_EQ(e[4].value, 0.25);
  EXPECT_DOUBLE_EQ(e[9].t, 9);
  EXPECT_DOUBLE_EQ(e[10].value, 2.5);
  EXPECT_TRUE(m.at(12).hung);
  EXPECT_FALSE(m.at(12.5).hung);
  EXPECT_TRUE(m.at(9).connected);
  EXPECT_DOUBLE_EQ(m.keyframes()[0].state.alt, 100);
}

TEST(ScenarioText, EmptyTextGivesAnEmptyFlight) {
  const FlightModel m = parse_scenario("");
  EXPECT_TRUE(m.keyframes().empty());
  EXPECT_DOUBLE_EQ(m.duration(), 0);
  EXPECT_TRUE(m.at(0).connected);
}

std::string error_of(const std::string& text) {
  try {
    parse_scenario(text);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ScenarioText, BadLinesAreRefusedWithTheirLineNumber) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"key 0\nfly 3\n", "scenario line 2: unknown statement 'fly'"},
      {"key\n", "scenario line 1: 'key' needs a time"},
      {"key x1\n", "scenario line 1: bad time 'x1'"},
      {"key -1\n", "scenario line 1: time out of range '-1'"},
      {"key 1000001\n", "scenario line 1: time out of range '1000001'"},
      {"key nan\n", "scenario line 1: bad time 'nan'"},
      {"key 1e999\n", "scenario line 1: bad time '1e999'"},
      {"key 5\n\nkey 4\n", "scenario line 3: keyframe time goes back"},
      {"key 0 alt\n", "scenario line 1: expected field=value, got 'alt'"},
      {"key 0 flaps=3\n", "scenario line 1: unknown field 'flaps'"},
      {"key 0 alt=\n", "scenario line 1: bad value for 'alt'"},
      {"key 0 alt=12ft\n", "scenario line 1: bad value for 'alt'"},
      {"key 0 gs=inf\n", "scenario line 1: bad value for 'gs'"},
      {"key 0 lat=90.5\n", "scenario line 1: value of 'lat' out of range"},
      {"key 0 engines=5\n", "scenario line 1: value of 'engines' out of range"},
      {"key 0 engines=1.5\n", "scenario line 1: 'engines' must be a whole number"},
      {"key 0 on_ground=2\n", "scenario line 1: value of 'on_ground' out of range"},
      {"key 0 weight=5 fuel=3\n", "scenario line 1: both weight and fuel given"},
      {"event 1\n", "scenario line 1: 'event' needs a time and what happens"},
      {"event 1 explode\n", "scenario line 1: unknown event 'explode'"},
      {"event 1 slew\n", "scenario line 1: 'slew' needs on or off"},
      {"event 1 slew maybe\n", "scenario line 1: 'slew' needs on or off"},
      {"event 1 rate 0\n",
       "scenario line 1: 'rate' needs a simulation rate above 0 and at most 128"},
      {"event 1 rate 128.5\n",
       "scenario line 1: 'rate' needs a simulation rate above 0 and at most 128"},
      {"event 1 pause now\n", "scenario line 1: unexpected 'now' after the event"},
      {"event 1 hang\n",
       "scenario line 1: 'hang' needs a number of seconds above 0 and at most 1000000"},
      {"event 1 hang 0\n",
       "scenario line 1: 'hang' needs a number of seconds above 0 and at most 1000000"},
      {"event 1 hang 1000001\n",
       "scenario line 1: 'hang' needs a number of seconds above 0 and at most 1000000"},
      {"event 1 hang 5 s\n", "scenario line 1: unexpected 's' after the event"},
      {"event 2 pause\nkey 0\nevent 1 resume\n", "scenario line 3: event time goes back"},
      {"set registration\n", "scenario line 1: 'set' needs a name and one value"},
      {"set colour red\n", "scenario line 1: unknown setting 'colour'"},
      {"set registration ABCDEFGHIJKLM\n",
       "scenario line 1: registration longer than 12 characters"},
      {"key 0 x\x01y=1\n", "scenario line 1: unknown field 'x?y'"},
      {"key 0 " + std::string(40, 'a') + "=1\n",
       "scenario line 1: unknown field '" + std::string(32, 'a') + "...'"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(error_of(text), message) << text;
}

TEST(ScenarioText, NeverFailsOtherwiseOnMutatedText) {
  // Random damage to a real scenario must give a model or a runtime_error, nothing else.
  const std::string base = default_scenario_text();
  std::mt19937 rng(20260702);
  int refused = 0;
  for (int round = 0; round < 400; ++round) {
    std::string text = base;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) {
      const std::size_t at = rng() % text.size();
      switch (rng() % 3) {
        case 0: text[at] = static_cast<char>(rng() % 256); break;
        case 1: text.erase(at, 1 + rng() % 20); break;
        default: text.insert(at, 1, static_cast<char>(rng() % 256)); break;
      }
      if (text.empty()) text = "#";
    }
    try {
      const FlightModel m = parse_scenario(text);
      const AircraftState s = m.at(m.duration() / 2);
      EXPECT_TRUE(std::isfinite(s.alt));
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("scenario line ", 0), 0u) << e.what();
      ++refused;
    }
  }
  EXPECT_GT(refused, 0);
}

// ---- the default scenario, seen through the scripted source ----

struct Phases {
  bool engines_off_at_gate = false;
  bool spooling = false;  // neither running nor stopped
  bool running_at_gate = false;
  bool taxi_out = false;
  bool airborne = false;
  bool final_approach = false;
  bool touched_down = false;
  bool slowed = false;
  bool stopped = false;
  bool shut_down = false;
  double max_alt = 0;
  double level_seconds = 0;
  double min_vs = 0;
  double touchdown_vs = 0;
  double first_fuel = 0;
  double last_fuel = 0;
  bool fuel_went_up = false;
};

TEST(DefaultScenario, FliesGateToGateThroughEveryPhase) {
  ManualClock clock(1783000000000);
  ScopedClock installed(clock);
  test::ScriptedFlightData src(default_scenario(), clock.now_ms());
  const double duration = src.flight().duration();
  EXPECT_GE(duration, 300);
  EXPECT_LE(duration, 600);
  EXPECT_EQ(src.getAircraftRegistration(), "D-AORV");
  EXPECT_EQ(src.getNumberEngines(), 2);

  Phases p;
  p.first_fuel = src.getCurrentFuel();
  double prev_fuel = p.first_fuel;
  double prev_vs = 0;
  bool was_airborne = false;
  for (int t = 0; t <= static_cast<int>(duration) + 5; ++t) {
    const bool ground = src.isOnGround();
    const double gs = src.getGroundSpeed();
    const double vs = src.getVerticalSpeed();
    const double h = src.getHeight();
    const bool running = src.EngineRunning();
    const bool stopped = src.EngineStopped();
    const double fuel = src.getCurrentFuel();
    if (fuel > prev_fuel) p.fuel_went_up = true;
    prev_fuel = fuel;
    EXPECT_TRUE(src.isSimConnected());
    EXPECT_FALSE(src.isPaused());
    EXPECT_FALSE(src.isSlewing());

    if (!p.airborne) {
      if (t == 0) p.engines_off_at_gate = ground && gs == 0 && !running && stopped;
      if (!running && !stopped) p.spooling = true;
      if (running && gs == 0 && p.spooling) p.running_at_gate = true;
      if (running && ground && gs >= 10 && gs <= 20 && p.running_at_gate) p.taxi_out = true;
      if (!ground && vs > 100 && h > 30) p.airborne = p.taxi_out;
    } else if (!p.touched_down) {
      p.max_alt = std::max<double>(p.max_alt, src.getAltitude());
      if (std::abs(vs) < 200 && h > 1000) ++p.level_seconds;
      p.min_vs = std::min(p.min_vs, vs);
      if (!ground && h < 100 && vs < 0) p.final_approach = true;
      if (ground && p.final_approach) {
        p.touched_down = true;
        p.touchdown_vs = prev_vs;
      }
    } else {
      if (gs < 80) p.slowed = true;
      if (p.slowed && gs == 0) p.stopped = true;
      if (p.stopped && stopped && !running) p.shut_down = true;
    }
    was_airborne = !ground;
    prev_vs = vs;
    clock.advance(1);
  }
  p.last_fuel = prev_fuel;

  EXPECT_TRUE(p.engines_off_at_gate);
  EXPECT_TRUE(p.spooling);
  EXPECT_TRUE(p.running_at_gate);
  EXPECT_TRUE(p.taxi_out);
  EXPECT_TRUE(p.airborne);
  EXPECT_GE(p.max_alt, 7800);
  EXPECT_LE(p.max_alt, 8200);
  EXPECT_GE(p.level_seconds, 55);
  EXPECT_LT(p.min_vs, -450);
  EXPECT_TRUE(p.final_approach);
  EXPECT_TRUE(p.touched_down);
  EXPECT_NEAR(p.touchdown_vs, -150, 1);
  EXPECT_TRUE(p.slowed);
  EXPECT_TRUE(p.stopped);
  EXPECT_TRUE(p.shut_down);
  EXPECT_FALSE(was_airborne);
  EXPECT_FALSE(p.fuel_went_up);
  EXPECT_GT(p.first_fuel - p.last_fuel, 300);
  EXPECT_GT(p.last_fuel, 5000);
}

// ---- the settable and the scripted sources ----

TEST(FakeFlightData, RoundsHeadingsAsTheSimulatorLinkDoes) {
  test::FakeFlightData src;
  src.state.mag_var = 0;
  src.state.true_heading = 180;  // carried as -180
  EXPECT_EQ(src.getTrueHeading(), 180);
  EXPECT_EQ(src.getHeading(), 180);
  src.state.true_heading = 359.4;  // -0.6
  EXPECT_EQ(src.getTrueHeading(), 359);
  src.state.true_heading = 359.6;  // -0.4
  EXPECT_EQ(src.getTrueHeading(), 0);
  src.state.true_heading = 249;
  src.state.mag_var = 3.4;
  EXPECT_EQ(src.getHeading(), 246);
  EXPECT_EQ(src.getTrueHeading(), 249);
  src.state.true_heading = 1;
  src.state.mag_var = 3;
  EXPECT_EQ(src.getHeading(), 358);
  src.state.true_heading = 0;
  EXPECT_EQ(src.getHeading(), 0);  // a true heading of exactly 0 reads 0 on the link
}

TEST(FakeFlightData, TruncatesAndRoundsTheOtherValues) {
  test::FakeFlightData src;
  src.state.height = 29.9;
  src.state.alt = -12.7;
  src.state.ias = 150.9;
  src.state.oat = -5.8;
  src.state.wind_dir = 270;
  src.state.wind_speed = 12.9;
  src.state.zfw = 100000.9;
  src.state.total_weight = 108000.5;
  src.state.engines = 3;
  src.state.n1 = {20.9, 21.0, 55.5, 99};
  src.state.n2 = {20.5, 20.0, 19.0, 99};
  EXPECT_DOUBLE_EQ(src.getHeight(), 29);
  EXPECT_EQ(src.getAltitude(), -13);  // to the nearest foot, as the simulator link
  EXPECT_EQ(src.getIAS(), 150);
  EXPECT_EQ(src.getOAT(), -5);
  EXPECT_EQ(src.getWindDirection(), 270);
  EXPECT_EQ(src.getWindSpeed(), 12);
  EXPECT_EQ(src.getZFW(), 100000);
  EXPECT_EQ(src.getTotalWeight(), 108001);
  EXPECT_DOUBLE_EQ(src.getCurrentFuel(), 8001);
  EXPECT_EQ(src.getEngine_N1(), (std::vector<std::int32_t>{20, 21, 55}));
  EXPECT_EQ(src.getEngine_N2(), (std::vector<std::int32_t>{20, 20, 19}));
  EXPECT_TRUE(src.EngineRunning());   // engines 2 and 3 above 20
  EXPECT_TRUE(src.EngineStopped());   // no N2 above 20 on the first three
  src.state.n1[1] = 20;
  src.state.n1[2] = 3;
  EXPECT_FALSE(src.EngineRunning());  // engine 4 at 99 is not one of the three
  src.state.engines = 0;
  EXPECT_TRUE(src.getEngine_N1().empty());
  EXPECT_TRUE(src.EngineStopped());
}

TEST(FakeFlightData, SlewsInSlewModeOrAboveRateOne) {
  test::FakeFlightData src;
  EXPECT_FALSE(src.isSlewing());
  src.state.sim_rate = 0.5;
  EXPECT_FALSE(src.isSlewing());
  src.state.sim_rate = 1.01;
  EXPECT_TRUE(src.isSlewing());
  src.state.sim_rate = 128.0;
  EXPECT_TRUE(src.isSlewing());
  src.state.sim_rate = 1.0;
  src.state.slew = true;
  EXPECT_TRUE(src.isSlewing());
}

TEST(FakeFlightData, LostSimulatorAnswersZerosAndKeepsStaticData) {
  test::FakeFlightData src;
  src.state = cruise_state();
  src.state.on_ground = true;
  SFlightData d;
  d.sCallsign = "ORV1";
  src.setStaticData(d);
  src.state.connected = false;
  EXPECT_FALSE(src.isSimConnected());
  EXPECT_FALSE(src.isOnGround());
  EXPECT_EQ(src.getAltitude(), 0);
  EXPECT_DOUBLE_EQ(src.getGroundSpeed(), 0);
  EXPECT_DOUBLE_EQ(src.getPosition().lat, 0);
  EXPECT_EQ(src.getAircraftRegistration(), "");
  EXPECT_EQ(src.getNumberEngines(), 0);
  EXPECT_FALSE(src.EngineRunning());
  EXPECT_TRUE(src.EngineStopped());
  EXPECT_DOUBLE_EQ(src.getCurrentFuel(), 0);
  EXPECT_EQ(src.getCallsign(), "ORV1");
  EXPECT_EQ(src.getClientName(), "ORVANE_TEST");
  EXPECT_EQ(src.getOnlineStatus(), FlightData::UNKNOWN);
}

TEST(FakeFlightData, RegistrationStopsAtTwelveCharactersOrTheFirstNul) {
  test::FakeFlightData src;
  src.state.registration = "ABCDEFGHIJKLMNOP";
  EXPECT_EQ(src.getAircraftRegistration(), "ABCDEFGHIJKL");
  src.state.registration = std::string("D-A\0XY", 6);
  EXPECT_EQ(src.getAircraftRegistration(), "D-A");
}

TEST(ScriptedFlightData, FollowsTheClockAndRestarts) {
  ManualClock clock(1783000000000);
  ScopedClock installed(clock);
  FlightModel m = parse_scenario("key 0 alt=1000 gs=0\nkey 100 alt=2000 gs=200\nevent 50 pause\n");
  test::ScriptedFlightData src(std::move(m), clock.now_ms());
  EXPECT_EQ(src.getAltitude(), 1000);
  src.reset_calls();
  clock.advance(25);
  EXPECT_EQ(src.getAltitude(), 1250);
  EXPECT_DOUBLE_EQ(src.getGroundSpeed(), 50);
  EXPECT_FALSE(src.isPaused());
  EXPECT_EQ(src.calls(), 3);
  clock.advance_ms(25500);
  EXPECT_DOUBLE_EQ(src.flight_time(), 50.5);
  EXPECT_TRUE(src.isPaused());
  src.restart(clock.now_ms() - 10000);
  EXPECT_EQ(src.getAltitude(), 1100);
  EXPECT_FALSE(src.isPaused());
}

}  // namespace
}  // namespace orvane::model
