// A test fixture for the engine facade: manual clock, log in a temporary folder, fake source.
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

  // The distinct states seen, in order.
  std::vector<int> stateSequence() const {
    std::vector<int> out;
    for (int s : states_)
      if (out.empty() || out.back() != s) out.push_back(s);
    return out;
  }

  std::string logText() const { return read_file(dir_.file("orvane.log")); }

  TempDir dir_;
  ManualClock clock_;
  ScopedClock scoped_;
  std::vector<int> states_;
  std::vector<std::string> lastQueue_;
  static inline FakeFlightData* source_ = nullptr;
};

}  // namespace orvane::test
