// Tests of the ACARS object's parts: the flight record's builders and copies, and the send queue.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acars/ACARS.h"
#include "acars/flight_record.h"
#include "acars/flight_sample.h"
#include "acars/send_queue.h"
#include "support/recorder.h"
#include "util/clock.h"

namespace orvane {
namespace {

using test::eventually;

constexpr long kOut = 1783000800;  // 2026-07-02 14:00:00 UTC

FlightOptions testOptions() {
  FlightOptions o;
  o.ACARS_User = "pilot";
  o.ACARS_Password = "secret";
  o.enableLiveACARS = false;
  return o;
}

FlightPlan testPlan() {
  FlightPlan p;
  p.callsign = "DLH4AB";
  p.route = "TOBAK T163 ROTAX";
  p.departure = "EDDF";
  p.destination = "EDDM";
  p.alternate = "EDDN";
  p.registration = "D-AIPA";
  p.aircraft = "A320";
  p.airline = "DLH";
  p.passengers = "150";
  p.cargo = "2100";
  p.rules = "IFR";
  return p;
}

// Every field different, so that a value passed to the wrong place shows.
FlightSample testSample(long t) {
  FlightSample s;
  s.t = t;
  s.fuel = 12345;
  s.zfw = 112000;
  s.totalWeight = 124345;
  s.lat = 50.0333;
  s.lon = 8.57056;
  s.alt = 364;
  s.hdg = 71;
  s.hdt = 73;
  s.ias = 148;
  s.tas = 152;
  s.oat = 17;
  s.tat = 19;
  s.wdir = 273;
  s.wspd = 11;
  s.n1 = {88, 87};
  s.n2 = {93, 92};
  return s;
}

std::string asMessage(const std::string& text) {
  return "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=&DATA4=" + text;
}

TEST(FlightRecordBuilders, SampleTextsEqualThePositionalOperationsTexts) {
  ACARS a(testOptions(), "ORVANE_MSFS", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
          nullptr);
  FlightRecord r;
  const FlightPlan p = testPlan();
  FlightSample s = testSample(kOut);

  EXPECT_EQ(a.messageBeginFlight(p.callsign, p.route, p.departure, p.destination, p.alternate,
                                 p.registration, p.aircraft, p.airline, p.passengers, p.cargo,
                                 p.rules, s.lat, s.lon, s.alt, s.fuel, s.hdg, s.wdir, s.wspd,
                                 s.oat),
            r.beginFlightRecord(p, s, "pilot", "secret"));
  EXPECT_EQ(a.messageOUT(s.t, s.fuel, s.zfw, s.totalWeight, s.lat, s.lon, s.alt, s.hdg, s.hdt,
                         s.ias, s.wdir, s.wspd, s.oat, s.tat),
            asMessage(r.outMessage(s)));
  s = testSample(kOut + 600);
  EXPECT_EQ(a.messageOFF(s.t, s.fuel, s.totalWeight, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias,
                         s.wdir, s.wspd, s.oat, s.tat, s.n1, s.n2),
            asMessage(r.offMessage(s)));
  s = testSample(kOut + 1200);
  s.lat = 49.5;
  s.lon = 10.25;
  s.alt = 37000;
  EXPECT_EQ(a.messagePOS(s.t, s.fuel, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias, s.tas, s.oat,
                         s.tat, s.wdir, s.wspd, "TOBAK"),
            asMessage(r.posMessage(s, "TOBAK")));
  s = testSample(kOut + 1800);
  s.lat = 49.0;
  s.lon = 11.0;
  s.alt = 36000;
  EXPECT_EQ(a.messagePOS(s.t, s.fuel, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias, s.tas, s.oat,
                         s.tat, s.wdir, s.wspd, ""),
            asMessage(r.posMessage(s, "")));
  EXPECT_EQ(a.messageALT(s.t, s.fuel, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias, s.tas, s.oat,
                         s.tat, s.wdir, s.wspd, "CHG DESC"),
            asMessage(r.altMessage(s, "CHG DESC")));
  s = testSample(kOut + 3000);
  EXPECT_EQ(a.messageON(s.t, s.fuel, s.totalWeight, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias,
                        s.wdir, s.wspd, s.oat, s.tat, s.n1, s.n2),
            asMessage(r.onMessage(s)));
  s = testSample(kOut + 3300);
  EXPECT_EQ(a.messageIN(s.t, s.fuel, s.totalWeight, s.lat, s.lon, s.alt, s.hdg, s.hdt, s.ias,
                        s.wdir, s.wspd, s.oat, s.tat),
            asMessage(r.inMessage(s)));
  EXPECT_EQ(a.messageSTAT(kOut + 3400), asMessage(r.statMessage(kOut + 3400)));
  EXPECT_EQ(a.createPIRData(), r.pirep());
}

TEST(FlightRecordBuilders, EachMessageCarriesTheSampleValuesItNames) {
  FlightRecord r;
  r.beginFlightRecord(testPlan(), testSample(kOut), "pilot", "secret");
  EXPECT_EQ(r.outMessage(testSample(kOut)),
            "[07/02/2026 14:00Z]\n"
            "ACARS Mode: 2 Aircraft Reg: .D-AIPA\n"
            "Msg Label: QA Block ID: 01 Msg No: M01A\n"
            "Flight ID: DLH4AB\n"
            "Message:\n"
            "OUT 14:00Z /ZFW 112000 /FOB 12345 /TAW 124345\n"
            "/AP EDDF\n"
            "/POS N50 1.998 E8 34.2336\n"
            "/ALT 364\n"
            "/HDG 71\n"
            "/HDT 73\n"
            "/IAS 148\n"
            "/WND 27311 /OAT 17 /TAT 19\n"
            "\n");
}

TEST(FlightRecordCopy, ACopyKeepsTheRecordAsItStoodWhenCopied) {
  FlightRecord r;
  r.beginFlightRecord(testPlan(), testSample(kOut), "pilot", "secret");
  r.outMessage(testSample(kOut));
  r.offMessage(testSample(kOut + 600));
  r.onMessage(testSample(kOut + 3000));
  r.inMessage(testSample(kOut + 3300));
  const FlightRecord copy = r;
  const PIREPData before = copy.pirep();
  EXPECT_EQ(before, r.pirep());
  EXPECT_TRUE(copy.complete());

  FlightSample later = testSample(kOut + 4000);
  later.alt = 41000;
  later.fuel = 9000;
  r.posMessage(later, "");
  r.inMessage(later);
  EXPECT_NE(r.pirep(), before);
  EXPECT_EQ(copy.pirep(), before);
  EXPECT_EQ(copy.inTime(), kOut + 3300);
  EXPECT_EQ(copy.inFuel(), 12345);
}

TEST(SendQueue, EntriesKeepTheirOrderAndTheRecordTravelsWithItsEntry) {
  SendQueue q;
  EXPECT_EQ(q.front(), "");
  auto record = std::make_shared<const FlightRecord>();
  q.append("BEGINFLIGHT|x");
  q.append("DATA1=m");
  q.append("ENDFLIGHT|4711", record);
  EXPECT_EQ(q.size(), 3u);
  EXPECT_EQ(q.front(), "BEGINFLIGHT|x");
  EXPECT_EQ(q.texts(), (std::vector<std::string>{"BEGINFLIGHT|x", "DATA1=m", "ENDFLIGHT|4711"}));
  EXPECT_EQ(q.at(1).record, nullptr);
  EXPECT_EQ(q.at(2).record, record);

  std::atomic<bool> stop{false};
  QueuedMessage entry;
  ASSERT_TRUE(q.waitForEntry(2, stop, entry));
  EXPECT_EQ(entry.text, "ENDFLIGHT|4711");
  EXPECT_EQ(entry.record, record);
}

TEST(SendQueue, StoppedWaitsHandOutWhatIsLeftThenEnd) {
  SendQueue q;
  std::atomic<bool> stop{true};
  q.append("DATA1=a");
  q.append("DATA1=b");
  QueuedMessage m;
  ASSERT_TRUE(q.waitForEntry(0, stop, m));
  EXPECT_EQ(m.text, "DATA1=a");
  ASSERT_TRUE(q.waitForEntry(1, stop, m));
  EXPECT_EQ(m.text, "DATA1=b");
  EXPECT_FALSE(q.waitForEntry(2, stop, m));
}

// On the system clock a waiter that misses its notification sleeps out its whole time-out
// (5 s waiting for an entry, 10 s until the due time), far past this bound.
constexpr int kWokenWithinMs = 2000;

TEST(SendQueue, AppendAndStopWakeTheWaitingThread) {
  SendQueue q;
  std::atomic<bool> stop{false};
  // The waiter's progress: 1 waiting for the first entry, 2 first entry taken, 3 stopped with
  // nothing more, 9 anything else.
  std::atomic<int> stage{0};
  std::string first;  // written by the waiter before stage becomes 2
  std::thread waiter([&] {
    QueuedMessage m;
    stage = 1;
    if (!q.waitForEntry(0, stop, m)) {
      stage = 9;
      return;
    }
    first = m.text;
    stage = 2;
    stage = q.waitForEntry(1, stop, m) ? 9 : 3;
  });
  // Polled each millisecond: by the time a stage is seen, the waiter waits.
  EXPECT_TRUE(eventually([&] { return stage.load() >= 1; }));
  q.append("DATA1=first");
  const bool sawAppend = eventually([&] { return stage.load() >= 2; }, kWokenWithinMs);
  stop = true;
  q.wake();
  const bool sawStop = eventually([&] { return stage.load() >= 3; }, kWokenWithinMs);
  waiter.join();
  EXPECT_TRUE(sawAppend);
  EXPECT_TRUE(sawStop);
  EXPECT_EQ(stage.load(), 3);
  EXPECT_EQ(first, "DATA1=first");
}

TEST(SendQueue, WaitUntilEndsAtItsTimeOrAtAStop) {
  {
    ManualClock clock;
    ScopedClock scoped(clock);
    SendQueue q;
    std::atomic<bool> stop{false};
    std::atomic<int> result{-1};
    const std::int64_t due = clock.mono_ms() + 5000;
    std::thread waiter([&] { result = q.waitUntil(due, stop) ? 1 : 0; });
    clock.advance_ms(4999);
    clock.advance_ms(1);
    const bool ended = eventually([&] { return result.load() != -1; });
    if (!ended) clock.advance(60);  // release the waiter before failing
    waiter.join();
    EXPECT_TRUE(ended);
    EXPECT_EQ(result.load(), 0);
  }
  SendQueue q;
  std::atomic<bool> stop{false};
  std::atomic<int> result{-1};
  std::atomic<bool> waiting{false};
  std::thread waiter([&] {
    waiting = true;
    result = q.waitUntil(clock().mono_ms() + 10'000, stop) ? 1 : 0;
  });
  EXPECT_TRUE(eventually([&] { return waiting.load(); }));
  stop = true;
  q.wake();
  const bool woke = eventually([&] { return result.load() != -1; }, kWokenWithinMs);
  waiter.join();
  EXPECT_TRUE(woke);
  EXPECT_EQ(result.load(), 1);
}

}  // namespace
}  // namespace orvane
