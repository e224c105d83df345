// The ACARS object without live transmission: send thread, PIREP hand-over, running values.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "acars/ACARS.h"
#include "support/recorder.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::Channel;
using test::eventually;
using test::recorder;

constexpr std::int64_t kStart = 1783000000000;  // 2026-07-02 13:46:40 UTC

class AcarsObjectTest : public ::testing::Test {
 protected:
  AcarsObjectTest() : clock_(kStart), scoped_(clock_) {
    recorder().clear();
    options_.ACARS_User = "pilot";
    options_.ACARS_Password = "secret";
    options_.PIREP_User = "pilot";
    options_.PIREP_Password = "secret";
    options_.enableLiveACARS = false;
    options_.enablePIREP = true;
  }

  std::unique_ptr<ACARS> make() {
    return std::make_unique<ACARS>(options_, "ORVANE_TEST", nullptr, test::onConnectFailed,
                                   test::onInfo, test::onPIREPData, test::onPIREPSuccess,
                                   test::onPIREPError, test::onFlightInfo);
  }

  // OUT, OFF, ON and IN a minute apart, starting now.
  void flyEvents(ACARS& a, bool withIn = true) {
    const long t = static_cast<long>(clock_.now());
    a.messageOUT(t, 10000, 50000, 60000, 50.0, 8.5, 364, 90, 92, 0, 270, 10, 15, 15);
    a.messageOFF(t + 60, 9800, 59800, 50.1, 8.6, 500, 90, 92, 150, 270, 10, 15, 15, {90}, {95});
    a.messageON(t + 120, 9000, 59000, 48.7, 9.2, 1200, 80, 82, 130, 270, 10, 12, 12, {60}, {70});
    if (withIn) a.messageIN(t + 180, 8900, 58900, 48.69, 9.22, 1180, 80, 82, 0, 270, 10, 12, 12);
  }

  ManualClock clock_;
  ScopedClock scoped_;
  FlightOptions options_;
};

TEST_F(AcarsObjectTest, WithoutLiveAcarsTheWholeFlightEndsInItsPIREP) {
  auto a = make();
  EXPECT_TRUE(a->isStopped());
  a->startSending();
  ASSERT_TRUE(eventually([&] { return a->connectTested(); }));
  EXPECT_FALSE(a->ACARS_Ready());

  a->messageBeginFlight("ABC123", "EDDF EDDS", "EDDF", "EDDS", "EDDM", "D-ABCD", "B738", "ABC",
                        "120", "3400", "IFR", 50.0, 8.5, 364, 10000, 90, 270, 10, 15);
  ASSERT_TRUE(eventually([&] { return a->ACARS_Ready(); }));
  EXPECT_EQ(a->getDataID(), "NO LIVEACARS");

  flyEvents(*a);
  a->messageSTAT(static_cast<long>(clock_.now()) + 200);
  a->messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a->isStopped(); }));

  ASSERT_EQ(recorder().pireps().size(), 1u);
  EXPECT_EQ(recorder().pireps()[0].Callsign, "ABC123");
  EXPECT_TRUE(recorder().contains(Channel::Info, "Sendthread started."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "Starting PIREP Transaction."));
  // Nothing was posted and nothing was reported as transmitted.
  for (const std::string& t : recorder().texts(Channel::Info)) {
    EXPECT_NE(t.rfind("MESSAGE [", 0), 0u) << t;
    EXPECT_NE(t.rfind("Connecting", 0), 0u) << t;
  }
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());
  EXPECT_EQ(a->getDataID(), "");  // cleared after the end of flight
}

TEST_F(AcarsObjectTest, NoPIREPWhenDisabledOrWhenAnEventTimeIsMissing) {
  options_.enablePIREP = false;
  {
    auto a = make();
    a->startSending();
    a->messageBeginFlight("A", "", "EDDF", "EDDS", "", "", "", "", "", "", "", 0, 0, 0, 0, 0, 0,
                          0, 0);
    flyEvents(*a);
    a->messageEndFlight();
    ASSERT_TRUE(eventually([&] { return a->isStopped(); }));
    EXPECT_FALSE(recorder().contains(Channel::Info, "Starting PIREP Transaction."));
    EXPECT_FALSE(a->cancelPIREP());
  }
  options_.enablePIREP = true;
  recorder().clear();
  auto a = make();
  a->startSending();
  a->messageBeginFlight("A", "", "EDDF", "EDDS", "", "", "", "", "", "", "", 0, 0, 0, 0, 0, 0, 0,
                        0);
  flyEvents(*a, /*withIn=*/false);
  a->messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a->isStopped(); }));
  EXPECT_TRUE(recorder().pireps().empty());
  EXPECT_TRUE(a->cancelPIREP());
}

TEST_F(AcarsObjectTest, StopHandlesEverythingQueuedBeforeTheThreadEnds) {
  auto a = make();
  a->startSending();
  ASSERT_TRUE(eventually([&] { return a->connectTested(); }));
  a->stopSending();
  ASSERT_TRUE(eventually([&] { return a->isStopped(); }));

  // A stop requested with texts still queued: they are handled first.
  auto b = make();
  b->messageBeginFlight("A", "", "EDDF", "EDDS", "", "", "", "", "", "", "", 0, 0, 0, 0, 0, 0, 0,
                        0);
  b->messagePauseFlight();
  b->startSending();
  b->stopSending();
  ASSERT_TRUE(eventually([&] { return b->isStopped(); }));
  EXPECT_EQ(b->getDataID(), "NO LIVEACARS");
}

TEST_F(AcarsObjectTest, CancelBeforeApprovalWinsOverEveryLaterSend) {
  auto a = make();
  a->PIREPCancel();
  PIREPData report;
  report.Callsign = "ABC123";
  a->PIREPReady(report);
  a->PIREPReady(report);
  // Each approval is answered, so the pilot is never left without an outcome.
  const std::string cancelled = "The PIREP of this flight was cancelled and is not sent.";
  EXPECT_EQ(recorder().texts(Channel::PIREPError),
            (std::vector<std::string>{cancelled, cancelled}));
  EXPECT_FALSE(recorder().contains(Channel::Info, "Starting PIREP transmission."));
  EXPECT_TRUE(recorder().texts(Channel::PIREPSuccess).empty());
}

TEST_F(AcarsObjectTest, DestructorReportsItsStepsAndReturnsForANeverStartedObject) {
  make().reset();
  EXPECT_EQ(recorder().texts(Channel::Info),
            (std::vector<std::string>{"Stopping ACARS.", "Cancelling PIREP.",
                                      "Joining Send Thread.", "ACARS stopped."}));
}

TEST_F(AcarsObjectTest, LiveAcarsCannotBeSwitchedOnDuringATrackedFlight) {
  auto a = make();
  a->startSending();
  a->messageBeginFlight("A", "", "EDDF", "EDDS", "", "", "", "", "", "", "", 0, 0, 0, 0, 0, 0, 0,
                        0);
  ASSERT_TRUE(eventually([&] { return a->ACARS_Ready(); }));
  FlightOptions changed = options_;
  changed.enableLiveACARS = true;
  changed.ACARS_URL = "http://127.0.0.1:9/new";
  a->updateOptions(changed);
  EXPECT_FALSE(a->isLiveACARSEnabled());
  EXPECT_EQ(a->getACARSAddress(), "http://127.0.0.1:9/new");  // the rest is taken over
  const std::string refusal = "Cannot change LiveACARS status during ACARS tracking!";
  EXPECT_TRUE(recorder().contains(Channel::Info, refusal));
  EXPECT_EQ(recorder().texts(Channel::ConnectFailed), std::vector<std::string>{refusal});

  // Switching it off is always allowed.
  changed.enableLiveACARS = false;
  recorder().clear();
  a->updateOptions(changed);
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());
}

TEST_F(AcarsObjectTest, RunningTimesFollowTheClockUntilTheirEndEvent) {
  auto a = make();
  EXPECT_EQ(a->getCurrentBlockTime(), 0);
  EXPECT_EQ(a->getCurrentFlightTime(), 0);
  const long t = static_cast<long>(clock_.now());
  a->messageOUT(t, 10000, 50000, 60000, 50.0, 8.5, 364, 90, 92, 0, 270, 10, 15, 15);
  clock_.advance(600);
  EXPECT_EQ(a->getCurrentBlockTime(), 600);
  EXPECT_EQ(a->getCurrentFlightTime(), 0);
  a->messagePOS(t + 600, 9500, 50.0, 8.5, 364, 90, 92, 10, 10, 15, 15, 270, 10, "");
  EXPECT_EQ(a->getCurrentBlockFuel(), 500);  // from the latest fuel report
  EXPECT_EQ(a->getCurrentFlightFuel(), 0);
  a->messageOFF(t + 600, 9400, 59400, 50.1, 8.6, 500, 90, 92, 150, 270, 10, 15, 15, {}, {});
  clock_.advance(3600);
  EXPECT_EQ(a->getCurrentFlightTime(), 3600);
  EXPECT_EQ(a->getCurrentBlockTime(), 4200);
  a->messageON(t + 4200, 6000, 56000, 48.7, 9.2, 1200, 80, 82, 130, 270, 10, 12, 12, {}, {});
  a->messageIN(t + 4500, 5900, 55900, 48.69, 9.22, 1180, 80, 82, 0, 270, 10, 12, 12);
  clock_.advance(7200);
  EXPECT_EQ(a->getCurrentBlockTime(), 4500);
  EXPECT_EQ(a->getCurrentFlightTime(), 3600);
  EXPECT_EQ(a->getCurrentBlockFuel(), 4100);
  EXPECT_EQ(a->getCurrentFlightFuel(), 3400);
  EXPECT_EQ(a->getOutFuel(), 10000);
  EXPECT_EQ(a->getInTime(), t + 4500);
}

TEST_F(AcarsObjectTest, ClockJumpsAndPausesAreTakenOutOfTheRunningTimes) {
  auto a = make();
  const long t = static_cast<long>(clock_.now());
  a->messageOUT(t, 10000, 50000, 60000, 50.0, 8.5, 364, 90, 92, 0, 270, 10, 15, 15);
  // A 10-minute pause on the ground counts against the block time only.
  clock_.advance(60);
  a->messagePauseFlight();
  clock_.advance(600);
  a->messageUnPauseFlight();
  a->messageOFF(t + 660, 9400, 59400, 50.1, 8.6, 500, 90, 92, 150, 270, 10, 15, 15, {}, {});
  clock_.advance(40);
  EXPECT_EQ(a->getCurrentBlockTime(), 100);
  EXPECT_EQ(a->getCurrentFlightTime(), 40);

  // The wall clock jumps an hour forward in flight: the running times do not move.
  clock_.advance(3600);
  a->setRealTimeChange(3600);
  EXPECT_EQ(a->getCurrentBlockTime(), 100);
  EXPECT_EQ(a->getCurrentFlightTime(), 40);

  // A jump during a pause does not count as pause time.
  clock_.advance(100);
  a->messagePauseFlight();
  clock_.advance(-1800);
  a->setRealTimeChange(-1800);
  clock_.advance(300);
  a->messageUnPauseFlight();
  EXPECT_EQ(a->getCurrentBlockTime(), 200);
  EXPECT_EQ(a->getCurrentFlightTime(), 140);
}

TEST_F(AcarsObjectTest, PauseAfterInLeavesTheBlockTimeAlone) {
  auto a = make();
  flyEvents(*a);
  clock_.advance(200);  // parked at the gate, IN done
  const int block = a->getCurrentBlockTime();
  const std::string reported = a->createPIRData().BlockTime;
  ASSERT_EQ(block, 180);
  a->messagePauseFlight();
  clock_.advance(1800);
  a->messageUnPauseFlight();
  EXPECT_EQ(a->getCurrentBlockTime(), block);
  EXPECT_EQ(a->createPIRData().BlockTime, reported);
}


TEST_F(AcarsObjectTest, RecordChangedAfterEndFlightIsQueuedDoesNotReachTheReport) {
  auto a = make();
  a->messageBeginFlight("ABC123", "EDDF EDDS", "EDDF", "EDDS", "EDDM", "D-ABCD", "B738", "ABC",
                        "120", "3400", "IFR", 50.0, 8.5, 364, 10000, 90, 270, 10, 15);
  flyEvents(*a);
  a->messageEndFlight();
  const PIREPData atEnd = a->createPIRData();
  // The cycle records on after the flight's end: a higher altitude, a later IN elsewhere.
  const long t = static_cast<long>(clock_.now());
  a->messagePOS(t + 300, 7000, 40.0, 2.0, 41000, 90, 92, 250, 450, -50, -20, 270, 10, "");
  a->messageIN(t + 900, 6000, 56000, 40.0, 2.0, 900, 80, 82, 0, 270, 10, 12, 12);
  ASSERT_NE(a->createPIRData().pack(), atEnd.pack());

  a->startSending();
  ASSERT_TRUE(eventually([&] { return a->isStopped(); }));
  ASSERT_EQ(recorder().pireps().size(), 1u);
  EXPECT_EQ(recorder().pireps()[0].pack(), atEnd.pack());
  EXPECT_EQ(recorder().pireps()[0].FL, "1200");
}

TEST_F(AcarsObjectTest, EventsAfterEndFlightWhileTheSendThreadRunsLeaveTheReportAlone) {
  auto a = make();
  a->startSending();
  a->messageBeginFlight("ABC123", "EDDF EDDS", "EDDF", "EDDS", "EDDM", "D-ABCD", "B738", "ABC",
                        "120", "3400", "IFR", 50.0, 8.5, 364, 10000, 90, 270, 10, 15);
  flyEvents(*a);
  const PIREPData atEnd = a->createPIRData();
  a->messageEndFlight();
  // Written while the send thread may be making the report (ThreadSanitizer watches this).
  const long t = static_cast<long>(clock_.now());
  for (int i = 1; i <= 50; ++i) {
    a->messagePOS(t + 300 + i, 7000 - i, 40.0 + i * 0.01, 2.0, 30000 + i, 90, 92, 250, 450, -50,
                  -20, 270, 10, "");
  }
  ASSERT_TRUE(eventually([&] { return a->isStopped(); }));
  ASSERT_EQ(recorder().pireps().size(), 1u);
  EXPECT_EQ(recorder().pireps()[0].pack(), atEnd.pack());
}

namespace {
FlightState* posRepOwner = nullptr;
std::map<int, int> posRepTable;
int posRepCalls = 0;
void onPosRep(FlightState* owner, const std::map<int, int>& table) {
  posRepOwner = owner;
  posRepTable = table;
  ++posRepCalls;
}
}  // namespace

TEST_F(AcarsObjectTest, PositionReportTablesGoToTheOwnerThroughItsCallback) {
  posRepOwner = nullptr;
  posRepTable.clear();
  posRepCalls = 0;
  // The object never looks at its owner: any address stands for one.
  int flight = 0;
  auto* owner = reinterpret_cast<FlightState*>(&flight);
  ACARS a(options_, "ORVANE_TEST", owner, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
          onPosRep);
  a.parseBeginFlightResponse("1|4711|PosRep 0:5 10000:10");
  EXPECT_EQ(a.getDataID(), "4711");
  EXPECT_EQ(posRepCalls, 1);
  EXPECT_EQ(posRepOwner, owner);
  EXPECT_EQ(posRepTable, (std::map<int, int>{{0, 5}, {10000, 10}}));

  // Without an owner, or without a callback, the table goes nowhere.
  ACARS ownerless(options_, "ORVANE_TEST", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, onPosRep);
  ownerless.parseBeginFlightResponse("1|4712|PosRep 0:6");
  ACARS silent(options_, "ORVANE_TEST", owner, nullptr, nullptr, nullptr, nullptr, nullptr,
               nullptr);
  silent.parseBeginFlightResponse("1|4713|PosRep 0:7");
  EXPECT_EQ(posRepCalls, 1);
}

}  // namespace
}  // namespace orvane
