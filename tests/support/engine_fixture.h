// A test fixture for the engine facade: manual clock, log in a temporary folder, fake source.
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "engine/orvane_base.h"
#include "support/fake_flightdata.h"
#include "support/recorder.h"
#include "support/temp_dir.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane::test {

class EngineFixture : public ::testing::Test {
 protected:
  static constexpr std::int64_t kStartMs = 1783173600000;  // 2026-07-04 14:00:00 UTC

  EngineFixture() : clock_(kStartMs), scoped_(clock_) {
    setenv("TZ", "UTC", 1);
    tzset();
    ORVANE::InitMembers();
    ORVANE::setLogFilePath(dir_.file("orvane.log"));
    ORVANE::setFlightDataFactory(&EngineFixture::makeSource);
    recorder().clear();
  }
  ~EngineFixture() override {
    ORVANE::InitMembers();
    ORVANE::setFlightDataFactory(nullptr);
    ORVANE::setLogFilePath("orvane.log");
    source_ = nullptr;
  }

  static FlightData* makeSource(void (*)(const std::string&)) {
    source_ = new FakeFlightData();
    return source_;
  }

  // The fake source the engine built (after prepare).
  FakeFlightData& sim() { return *source_; }

  // The queue of the current flight's ACARS object; the last one seen while it existed.
  std::vector<std::string> queue() {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    if (f && f->acars()) lastQueue_ = f->acars()->messages();
    return lastQueue_;
  }

  // One engine cycle, then the clock moves by the loop interval as the worker sleeps.
  bool cycle() {
    const bool tracked = ORVANE::cycleOnce();
    queue();
    states_.push_back(ORVANE::getState());
    clock_.advance(ORVANE::getLoopInterval());
    return tracked;
  }
  void cycles(int n) {
    for (int i = 0; i < n; ++i) cycle();
  }
  // Cycles (bounded) until the engine state is s.
  bool cycleUntil(int s, int max_cycles = 200) {
    for (int i = 0; i < max_cycles; ++i) {
      if (ORVANE::getState() == s) return true;
      cycle();
      if (ORVANE::getState() != s) waitBriefly();
    }
    return ORVANE::getState() == s;
  }
  // Cycles until the flight has been discarded (the ACARS threads work in real time).
  bool cycleUntilDiscarded(int max_cycles = 400) {
    for (int i = 0; i < max_cycles; ++i) {
      if (!cycle()) return true;
      waitBriefly();
    }
    return false;
  }
  static void waitBriefly() { eventually([] { return false; }, 2); }
  // Waits (real time) until the send thread has recorded the BEGINFLIGHT answer.
  static bool waitUntilAcarsReady() {
    return eventually([] {
      std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
      FlightState* f = ORVANE::currentFlight();
      return f && f->acars() && f->acars()->ACARS_Ready();
    });
  }

  // The distinct states seen, in order.
  std::vector<int> stateSequence() const {
    std::vector<int> out;
    for (int s : states_)
      if (out.empty() || out.back() != s) out.push_back(s);
    return out;
  }

  std::string logText() const { return read_file(dir_.file("orvane.log")); }

  // The options of a flight that posts nothing: live ACARS off, the PIREP on, a position
  // report every 300 s.
  static void useOfflineOptions() {
    FlightOptions o;
    o.ACARS_User = "pilot";
    o.ACARS_Password = "secret";
    o.PIREP_User = "pilot";
    o.PIREP_Password = "secret";
    o.POS_Report_Interval = 300;
    o.enableLiveACARS = false;
    o.enablePIREP = true;
    ORVANE::setFlightOptions(o);
  }

  // ---- A scripted flight on the fake source ----------------------------------------------

  // Prepares a flight at the gate and starts it; the clock then reads 14:00:00 UTC.
  void startAtGate() {
    ORVANE::prepare();
    ASSERT_EQ(ORVANE::getState(), FlightState::INIT);
    auto& s = sim().state;
    s.lat = 50.0333;
    s.lon = 8.5706;
    s.alt = 364;
    s.true_heading = 250;
    s.mag_var = 2;
    s.wind_dir = 270;
    s.wind_speed = 8;
    s.oat = 15;
    s.tat = 15;
    s.engines = 2;
    s.zfw = 50000;
    s.total_weight = 62000;
    s.on_ground = true;
    s.registration = "D-ABCD";
    SFlightData d;
    d.sCallsign = "ABC123";
    d.sAircraft = "B738";
    d.sAirline = "ABC";
    d.sRoute = "ANEKI Y163 NATOR";
    d.sDeparture = "EDDF";
    d.sArrival = "EDDM";
    d.sAlternate = "EDDN";
    d.sAltitude = "FL240";
    d.sPassengers = "120";
    d.sCargo = "3400";
    d.sRules = "IFR";
    ORVANE::setStaticData(d);
    clock_.set_ms(kStartMs);
    ORVANE::BeginFlight();
    waitUntilAcarsReady();
    ASSERT_TRUE(cycleUntil(FlightState::READY));
  }

  void set(double gs, double vs, double height, double alt, bool ground, double ias) {
    auto& s = sim().state;
    s.gs = gs;
    s.vs = vs;
    s.height = height;
    s.alt = alt;
    s.on_ground = ground;
    s.ias = ias;
    s.tas = ias * 1.1;
  }
  void engines(double n1, double n2) {
    sim().state.n1 = {n1, n1, 0, 0};
    sim().state.n2 = {n2, n2, 0, 0};
  }
  void burn(double pounds) { sim().state.total_weight -= pounds; }
  // One cycle's way towards Munich: 0.0093 degrees south and 0.0055 east.
  void moveSouthEast() {
    sim().state.lat -= 0.0093;
    sim().state.lon += 0.0055;
  }

  // Gate to gate: 14:00 at the gate, OUT, taxi, OFF, climb, level, descent, ON, IN.
  void flyNormalFlight() {
    startAtGate();
    engines(25, 60);
    cycle();  // OUT
    set(15, 0, 0, 364, true, 15);
    burn(100);
    cycles(24);  // two minutes of taxi
    engines(92, 97);
    set(155, 1800, 50, 500, false, 150);
    burn(200);
    cycle();  // OFF
    for (int i = 0; i < 30; ++i) {  // climb to 8000 ft
      set(280, 1800, 500 + 250 * i, 500 + 250 * i, false, 250);
      moveSouthEast();
      burn(10);
      cycle();
    }
    set(300, 0, 7600, 8000, false, 260);
    for (int i = 0; i < 120; ++i) {  // ten minutes level
      moveSouthEast();
      burn(5);
      cycle();
    }
    engines(40, 70);
    for (int i = 0; i < 30; ++i) {  // descent
      set(250, -1500, 7600 - 250 * i, 8000 - 250 * i, false, 220);
      moveSouthEast();
      cycle();
    }
    set(140, -700, 90, 454, false, 140);
    cycle();
    set(135, -180, 10, 374, false, 135);
    cycle();
    set(120, 0, 0, 364, true, 120);
    cycle();
    set(70, 0, 0, 364, true, 70);
    burn(300);
    cycle();  // ON
    set(12, 0, 0, 364, true, 12);
    cycles(36);
    set(0, 0, 0, 364, true, 0);
    burn(50);
    cycle();
    engines(0, 0);
    cycle();  // IN, STAT, ENDFLIGHT
  }

  // Flies to cruise: OUT at 14:00:05, a minute of taxi, OFF, climb, level at 8000 ft.
  void toCruise() {
    startAtGate();
    engines(60, 70);
    cycle();  // OUT
    set(15, 0, 0, 364, true, 15);
    cycles(12);
    set(150, 1500, 300, 700, false, 150);
    cycle();  // OFF
    cycle();
    set(300, 0, 7600, 8000, false, 260);
    cycles(2);
    ASSERT_EQ(ORVANE::getState(), FlightState::CRUISING);
  }
  void landAndPark() {
    set(150, -1500, 3000, 3000, false, 150);
    cycles(2);
    set(140, -400, 50, 414, false, 140);
    cycle();
    set(60, 0, 0, 364, true, 60);
    cycle();  // ON
    set(0, 0, 0, 364, true, 0);
    cycle();
    engines(0, 0);
    cycle();  // IN
  }
  PIREPData finish() {
    EXPECT_TRUE(cycleUntilDiscarded());
    EXPECT_TRUE(ORVANE::PIREPDataAvailable());
    return ORVANE::getPIREPData();
  }

  TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_;
  std::vector<int> states_;
  std::vector<std::string> lastQueue_;
  static inline FakeFlightData* source_ = nullptr;
};

}  // namespace orvane::test
