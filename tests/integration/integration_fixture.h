// End-to-end flights: the engine as the window drives it, the simulator stand-in through the
// real link, the airline server on 127.0.0.1 and a manual clock.
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "airline/airline_server.h"
#include "engine/orvane_base.h"
#include "flightmodel/scenario.h"
#include "support/flight_world.h"
#include "support/recorder.h"
#include "support/temp_dir.h"
#include "support/wire.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane::test {

class IntegrationTest : public FlightWorldTest {
 protected:
  // Writes the settings file as the preferences dialog would and loads it.
  void loadSettings(bool liveACARS, int posReportMinutes = 2) {
    ORVANE::loadOptions(writeSettings(liveACARS, posReportMinutes, /*autoPIREP=*/true));
  }

  // The start-up of the window and a press of "Start ACARS" at the gate, with the scenario
  // playing from now on.
  void startFlight(const std::string& scenario = model::default_scenario_text()) {
    flightStartMs_ = clock_.now_ms();
    play(scenario);
    ORVANE::prepare();
    // prepare sleeps a second of clock time per cycle until the connection test is done, as
    // many as the real time the test takes allows; the flight starts at 14:00:00 whatever
    // that was.
    clock_.set_ms(kStartMs);
    flightStartMs_ = kStartMs;
    player_->apply(0);
    ASSERT_GT(ORVANE::getState(), FlightState::TESTING);
    ASSERT_TRUE(ORVANE::isConnectedToSim());
    ASSERT_TRUE(ORVANE::isOnGround());
    ASSERT_FALSE(ORVANE::EnginesRunning());
    SFlightData d;
    d.sCallsign = "ABC123";
    d.sAircraft = "A320";
    d.sAirline = "ABC";
    d.sRoute = "TABUM T150";
    d.sDeparture = "EDDF";
    d.sArrival = "EDFZ";
    d.sAlternate = "EDDF";
    d.sAltitude = "8000";
    d.sPassengers = "150";
    d.sCargo = "2000";
    d.sRules = "IFR";
    ORVANE::setStaticData(d);
    ORVANE::BeginFlight();
    // The send thread records the answer to BEGINFLIGHT (or "NO LIVEACARS") in real time.
    eventually(
        [] {
          std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
          FlightState* f = ORVANE::currentFlight();
          return f && f->acars() && f->acars()->ACARS_Ready();
        },
        2000);
  }

  // Seconds of the scenario: the clock's seconds since the start times the stand-in's speed.
  double flightTime() { return (clock_.now_ms() - flightStartMs_) / 1000.0 * speed_; }

  // One pass of the worker: the simulator moves to now, the engine cycles, the send thread
  // gets the time to post what was queued, then the clock moves by the loop interval.
  bool cycle() {
    player_->apply(flightTime());
    const bool tracked = ORVANE::cycleOnce();
    snapshotQueue();
    waitForSendThread();
    clock_.advance(ORVANE::getLoopInterval());
    return tracked;
  }
  // Cycles until the flight object is discarded; false if that does not happen in time.
  bool flyToTheEnd(int max_cycles = 400) {
    for (int i = 0; i < max_cycles; ++i) {
      if (!cycle()) return true;
    }
    return false;
  }
  // Cycles until flight time t.
  void flyUntil(double t) {
    while (flightTime() < t) cycle();
  }

  // Waits (real time, bounded) until the server has everything queued so far, when the
  // server is expected to take it.
  void waitForSendThread() {
    if (!expectPosts_) {
      eventually([] { return false; }, 5);
      return;
    }
    const std::size_t expected = lastQueue_.size() + 1;  // the connection test first
    airline_.wait_for_count(kAcars, expected, 2000);
  }
  void snapshotQueue() {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    if (!f || !f->acars()) return;
    lastQueue_ = f->acars()->messages();
    for (std::size_t i = queuedAt_.size(); i < lastQueue_.size(); ++i)
      queuedAt_.push_back(clock_.now());
  }

  // What the window does with a finished flight's PIREP: a new flight carries it.
  // SendPIREP returns at once; the outcome follows from the PIREP thread.
  void sendPIREP(const PIREPData& p) {
    if (ORVANE::getState() == FlightState::NONE) ORVANE::prepare();
    ORVANE::SendPIREP(p);
    EXPECT_TRUE(eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  }

  // While the current flight's send thread waits out an outage: when it tries again
  // (monotonic ms); 0 otherwise.
  std::int64_t retryDue() {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    return f && f->acars() ? f->acars()->retryDueMs() : 0;
  }
  bool sendThreadStopped() {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    return !f || !f->acars() || f->acars()->isStopped();
  }
  // Moves the clock to the send thread's next retry and waits (real time, bounded) until
  // that try is over. Returns the time moved to, 0 when no retry was due.
  std::int64_t stepToNextRetry() {
    std::int64_t due = 0;
    if (!eventually([&] { return (due = retryDue()) != 0 || sendThreadStopped(); })) return 0;
    if (due == 0) return 0;
    if (due > clock_.mono_ms()) clock_.advance_ms(due - clock_.mono_ms());
    EXPECT_TRUE(eventually([&] { return retryDue() != due; }));
    return due;
  }

  std::vector<std::string> posted() const {
    std::vector<std::string> out;
    for (const airline::Request& r : airline_.requests_for(kAcars)) out.push_back(r.body);
    return out;
  }
  // The server's bodies must be the connection test, then the queue in order, each
  // BEGINFLIGHT and ENDFLIGHT as its request form. The queue is seen after each cycle; a
  // cycle that queues ENDFLIGHT may also be the one that ends the flight, so the server may
  // hold that one text more.
  void expectServerGotTheQueue() const {
    const auto bodies = posted();
    ASSERT_TRUE(bodies.size() == lastQueue_.size() + 1 ||
                (bodies.size() == lastQueue_.size() + 2 &&
                 bodies.back().find("&DATA2=ENDFLIGHT&") != std::string::npos))
        << bodies.size() << " " << lastQueue_.size();
    EXPECT_EQ(bodies[0], "DATA1=ORVANE_MSFS|2.0&DATA2=TEST&DATA3=pilot&DATA4=");
    for (std::size_t i = 0; i < lastQueue_.size(); ++i) {
      const std::string& q = lastQueue_[i];
      std::string expected = on_the_wire(q);
      if (q.rfind("BEGINFLIGHT|", 0) == 0)
        expected = "DATA1=ORVANE_MSFS|2.0&DATA2=BEGINFLIGHT&DATA3=" + q.substr(12) + "&DATA4=";
      if (q.rfind("ENDFLIGHT|", 0) == 0)
        expected = "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=" + q.substr(10) + "&DATA4=";
      EXPECT_EQ(bodies[i + 1], expected) << i;
    }
  }
  // The last body the ACARS server received.
  std::string lastPosted() const {
    const auto bodies = posted();
    return bodies.empty() ? std::string() : bodies.back();
  }
  std::size_t queuedWith(const std::string& part) const {
    std::size_t n = 0;
    for (const auto& m : lastQueue_) n += m.find(part) != std::string::npos;
    return n;
  }

  std::string logText() const { return read_file(dir_.file("orvane.log")); }
  bool logHas(const std::string& line) const {
    return logText().find(line) != std::string::npos;
  }

  std::int64_t flightStartMs_ = 0;
  double speed_ = 1.0;  // scenario seconds per clock second, as the stand-in's --speed
  bool expectPosts_ = true;
  std::vector<std::string> lastQueue_;
  std::vector<std::time_t> queuedAt_;  // clock time of the cycle that queued each text
};

}  // namespace orvane::test
