// The window during an outage: with the worker held inside a cycle by a hung simulator and
// the airline server silent, the buttons still answer, and Stop ACARS ends the flight once
// the worker is free, the window showing itself busy meanwhile.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "integration/scenarios.h"
#include "mainwindow_fixture.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

class ResponsiveTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    play(test::pausingFlight());
  }
  void TearDown() override {
    fsuipc_set_send_timeout_ms(sendTimeoutMs_);
    CMyDialog::setPIREPDialogRunner(nullptr);
    sim_->set_silent(false);
    MainWindowTest::TearDown();
  }

  // The simulator stops answering and the airline server stops replying; then the worker is
  // let into its next pass and the test waits until that pass waits on the simulator.
  void holdWorkerInCycle() {
    settle();
    const EngineWorker::WaitState s = w().worker()->waitState();
    heldPass_ = s.passes + 1;
    reportsBefore_ = w().reportsHandled();
    const std::uint64_t messages = sim_->messages();
    sim_->set_silent(true);
    const airline::Reply silent{200, "", 0, true};
    for (const std::string& path : {kAcars, kPirep, kInfo}) airline_.set_default(path, silent);
    answerBeginFlight(silent);
    flightMs_ += s.ms;
    clock_.advance_ms(s.ms);
    ASSERT_TRUE(waitFor([&] { return sim_->messages() > messages; }))
        << "the worker never asked the simulator";
    ASSERT_TRUE(workerInHeldCycle());
    held_.start();
  }

  // The worker is still inside the pass it was let into: it has not reported it, does not
  // wait on the clock, and holds the engine.
  bool workerInHeldCycle() const {
    const EngineWorker::WaitState s = w_const().worker()->waitState();
    if (s.where != EngineWorker::Waiting::No || s.passes != heldPass_) return false;
    if (w_const().reportsHandled() != reportsBefore_) return false;
    if (ORVANE::CYCLE_MUTEX.try_lock()) {
      ORVANE::CYCLE_MUTEX.unlock();
      return false;
    }
    return true;
  }
  const test::MainWindow& w_const() const { return *window_; }

  // Clicks a button and returns how long its handler kept the window thread, milliseconds.
  qint64 press(UINT id) {
    EXPECT_TRUE(enabled(id)) << id;
    QElapsedTimer t;
    t.start();
    click(id);
    const qint64 ms = t.elapsed();
    longestMs_ = std::max(longestMs_, ms);
    return ms;
  }

  const std::uint32_t sendTimeoutMs_ = fsuipc_send_timeout_ms();
  long heldPass_ = 0;
  long reportsBefore_ = 0;
  QElapsedTimer held_;
  qint64 longestMs_ = 0;
};

TEST_F(ResponsiveTest, ButtonsAnswerWhileTheWorkerWaitsOnAHungSimulator) {
  const PIREPData saved = test::sample_pirep();
  files_.pick(dir_.write("saved.ovp", saved.pack_crypt()));
  std::vector<PIREPData> viewed;
  std::vector<bool> viewedWhileHeld;
  std::vector<bool> viewedWithTouchdown;
  CMyDialog::setPIREPReviewRunner(
      [&](CMyDialog&, const PIREPData& pd, bool, const FlightTrack&, const Touchdown& td) {
        viewed.push_back(pd);
        viewedWithTouchdown.push_back(td.recorded);
        viewedWhileHeld.push_back(workerInHeldCycle());
      });
  runWindow([&] {
    typeFlightData();
    step();
    ASSERT_TRUE(enabled(IDC_STARTACARS));
    holdWorkerInCycle();

    std::printf("[ handlers ] Load PIREP %lld ms", static_cast<long long>(press(IDC_LOADPIREP)));
    EXPECT_TRUE(workerInHeldCycle()) << "Load PIREP";
    EXPECT_TRUE(w().isPIREPAvailable());
    EXPECT_EQ(w().pirep(), saved);

    std::printf(", View PIREP %lld ms", static_cast<long long>(press(IDC_VIEWPIREP)));
    EXPECT_TRUE(workerInHeldCycle()) << "View PIREP";
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].Callsign, saved.Callsign);
    EXPECT_TRUE(viewedWhileHeld[0]);
    EXPECT_FALSE(viewedWithTouchdown[0]);  // a loaded file keeps no touchdown

    boxes_.answer(IDYES);  // 703: the PIREP shown gives way to the new flight
    std::printf(", Start ACARS %lld ms", static_cast<long long>(press(IDC_STARTACARS)));
    EXPECT_TRUE(workerInHeldCycle()) << "Start ACARS";
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_TRUE(w().isBusy());

    std::printf(", Get ACARS Flightdata %lld ms", static_cast<long long>(press(IDC_GETFD)));
    EXPECT_TRUE(workerInHeldCycle()) << "Get ACARS Flightdata";
    EXPECT_FALSE(w().isACARSInProgress());
    EXPECT_FALSE(enabled(IDC_GETFD));
    EXPECT_TRUE(w().isBusy());

    std::printf("; longest %lld ms, worker held %lld ms so far\n",
                static_cast<long long>(longestMs_), static_cast<long long>(held_.elapsed()));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, loadString(703));
    EXPECT_EQ(files_.shown.size(), 1u);
    sim_->set_silent(false);
    escape();
  });
}

TEST_F(ResponsiveTest, StopACARSDuringAnOutageEndsTheFlightOnceTheWorkerIsFree) {
  // The link's own time-out: 2 s an attempt, nine attempts an exchange.
  ASSERT_EQ(fsuipc_send_timeout_ms(), 2000u);
  runWindow([&] {
    startTracking();
    step();
    ASSERT_GT(ORVANE::getState(), FlightState::INIT);
    holdWorkerInCycle();

    boxes_.answer(IDYES);  // 700: stop tracking
    const qint64 pressMs = press(IDC_STARTACARS);
    ASSERT_EQ(boxes(700), 1u);
    EXPECT_TRUE(workerInHeldCycle());
    EXPECT_FALSE(w().isACARSInProgress());
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    EXPECT_TRUE(w().isBusy());

    // The outage goes on: the flight ends once the worker has given up on the simulator and
    // ended the flight, and the window is busy all the while.
    bool idleWhileHeld = false;
    long pollsWhileHeld = 0;
    qint64 freedMs = -1;  // when the worker left the held cycle, ms after the outage began
    ASSERT_TRUE(waitFor(
        [&] {
          const bool held = workerInHeldCycle();
          pollsWhileHeld += held;
          if (!held && freedMs < 0) freedMs = held_.elapsed();
          if (!w().isBusy()) {
            idleWhileHeld = idleWhileHeld || held;
            return true;
          }
          return false;
        },
        60000))
        << "the flight never ended";
    const qint64 endedMs = held_.elapsed();
    EXPECT_FALSE(idleWhileHeld) << "the window stopped being busy while the worker was held";
    EXPECT_GT(pollsWhileHeld, 0);
    // (The engine is not asked: its next cycle, without a flight, waits on the simulator.)
    EXPECT_FALSE(w().isORVANEInitialized());
    EXPECT_EQ(field(IDC_STATUS_PHASE), "No flight");
    // The held exchange gave up after the attempt it was making: all nine would have kept
    // the flight going for 18 s.
    EXPECT_LT(endedMs, 9 * 2000);
    // Ending the flight did not try the simulator again: no open between the end and the
    // next cycle.
    const std::string log = test::read_file(dir_.file("orvane.log"));
    const std::size_t end = log.rfind("Finalizing ORVANE ...");
    ASSERT_NE(end, std::string::npos);
    const std::size_t next = log.find("cycleOnce called.", end);
    const std::string teardown = log.substr(end, next == std::string::npos ? next : next - end);
    EXPECT_NE(teardown.find("Removing FlightState object."), std::string::npos) << teardown;
    EXPECT_EQ(teardown.find("FSUIPC_Open"), std::string::npos) << teardown;
    std::printf("[ stop ] handler %lld ms; after the outage began, the worker was free at %lld ms "
                "and the flight ended at %lld ms\n",
                static_cast<long long>(pressMs), static_cast<long long>(freedMs),
                static_cast<long long>(endedMs));
    sim_->set_silent(false);
    escape();
  });
}

}  // namespace
}  // namespace orvane
