// Flights with live ACARS on, through the engine facade, against a real server on 127.0.0.1.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "net/http_transfer.h"
#include "airline/airline_server.h"
#include "support/live_engine_fixture.h"
#include "support/wire.h"

namespace orvane {
namespace {

using airline::Reply;
using airline::Request;
using test::LiveEngineFixture;

bool has(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

class EngineLiveTest : public LiveEngineFixture {
 protected:
  void SetUp() override {
    LiveEngineFixture::SetUp();
    if (HasFatalFailure()) return;
    answerBeginFlight(Reply{200, "1|4711|PosRep 1000:60 10000:120"});
  }

  std::vector<std::string> posted() {
    std::vector<std::string> out;
    for (const Request& r : server_.requests_for(kAcars)) out.push_back(r.body);
    return out;
  }
  // The window's way to send a finished flight's PIREP: a new flight carries it.
  // SendPIREP returns at once; the outcome follows from the PIREP thread.
  void sendPIREP(const PIREPData& p) {
    if (ORVANE::getState() == FlightState::NONE) ORVANE::prepare();
    ORVANE::SendPIREP(p);
    EXPECT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  }
};

TEST_F(EngineLiveTest, WholeFlightReachesTheServerInOrderWithItsId) {
  flyNormalFlight();
  ASSERT_TRUE(cycleUntilDiscarded());
  const std::vector<std::string> queued = lastQueue_;
  const std::vector<std::string> bodies = posted();
  ASSERT_EQ(bodies.size(), queued.size() + 1);
  EXPECT_EQ(bodies[0], "DATA1=ORVANE_TEST|2.0&DATA2=TEST&DATA3=pilot&DATA4=");
  EXPECT_EQ(bodies[1], "DATA1=ORVANE_TEST|2.0&DATA2=BEGINFLIGHT&DATA3=" + queued[0].substr(12) +
                           "&DATA4=");
  for (std::size_t i = 1; i + 1 < queued.size(); ++i) {
    EXPECT_EQ(bodies[i + 1], test::on_the_wire(queued[i])) << i;
    EXPECT_TRUE(has(queued[i], "&DATA2=MESSAGE&DATA3=4711&DATA4=[")) << queued[i];
  }
  EXPECT_EQ(bodies.back(), "DATA1=ORVANE_TEST|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");

  // At 8000 ft the server's table asks for a report every two minutes instead of ten.
  std::size_t cruiseReports = 0;
  for (const std::string& m : queued) cruiseReports += has(m, "Message:\nPOS ") && has(m, "/ALT 8000\n");
  EXPECT_EQ(cruiseReports, 5u);

  ASSERT_TRUE(ORVANE::PIREPDataAvailable());
  PIREPData p = ORVANE::getPIREPData();
  p.Comment = "Smooth flight";
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "PIREP accepted");
  ASSERT_EQ(server_.count(kPirep), 1u);
  const std::string body = server_.requests_for(kPirep)[0].body;
  EXPECT_EQ(body,
            "DATA1=ORVANE_TEST|2.0&DATA2=pilot~secret~ABC123~B738~8000~IFR~EDDF~EDDM~EDDN~"
            "04.07.2026 14:00~00:20~00:15~1550~1200~120~3400~OFFLINE~" +
                p.Out + "~" + p.Off + "~" + p.On + "~" + p.In +
                "~50000~61700~60500~50.0333~8.5706~364~48.3593~9.5606~364~1800~1500~260~300~"
                "U21vb3RoIGZsaWdodA%3D%3D");
  const std::string log = logText();
  EXPECT_TRUE(has(log, "ACARS: [Sending PIREP: [DATA1=ORVANE_TEST|2.0&DATA2=pilot~****~ABC123~"));
  EXPECT_FALSE(has(log, "secret"));
}

TEST_F(EngineLiveTest, RefusedConnectionTestTracksTheFlightWithoutLiveMessages) {
  server_.push_reply(kAcars, Reply{404, "Not Found"});
  flyNormalFlight();
  const std::string failed = ORVANE::getConnectFailed();
  EXPECT_EQ(failed.rfind("Connection to ACARS server failed: [", 0), 0u) << failed;
  ASSERT_TRUE(cycleUntilDiscarded());
  EXPECT_EQ(lastQueue_.back(), "ENDFLIGHT|NO LIVEACARS");
  EXPECT_EQ(server_.total(), 1u);  // the test alone
  EXPECT_TRUE(ORVANE::PIREPDataAvailable());
}

TEST_F(EngineLiveTest, RefusedBeginFlightHoldsTheFlightUntilLiveAcarsIsSwitchedOff) {
  answerBeginFlight(Reply{200, "0|Flight not booked"});
  ORVANE::prepare();
  ASSERT_EQ(ORVANE::getState(), FlightState::INIT);
  ORVANE::BeginFlight();
  ASSERT_TRUE(server_.wait_for_count(kAcars, 2, 5000));
  std::string failed;
  ASSERT_TRUE(test::eventually([&] { return !(failed = ORVANE::getConnectFailed()).empty(); }));
  EXPECT_EQ(failed, "Flight not booked");
  cycles(3);
  EXPECT_EQ(ORVANE::getState(), FlightState::INIT);
  sim().state.paused = true;
  cycle();
  ASSERT_TRUE(server_.wait_for_count(kAcars, 3, 5000));
  EXPECT_EQ(posted()[2], "DATA1=ORVANE_TEST|2.0&DATA2=PAUSEFLIGHT&DATA3=&DATA4=1");
  sim().state.paused = false;
  cycle();
  EXPECT_TRUE(has(logText(), "ACARS: [BEGINFLIGHT returned error: [Flight not booked]]"));

  // The window's recovery: go on without live messages and start the flight again.
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = false;
  ORVANE::setFlightOptions(o);
  ORVANE::BeginFlight();
  waitUntilAcarsReady();
  cycle();
  EXPECT_EQ(ORVANE::getState(), FlightState::READY);
  toCruise();
  landAndPark();
  const PIREPData p = finish();
  EXPECT_EQ(p.Callsign, "ABC123");
}

TEST_F(EngineLiveTest, RefusedPIREPCanBeSentAgain) {
  server_.push_reply(kPirep, Reply{200, "0|Aircraft not allowed"});
  toCruise();
  landAndPark();
  const PIREPData p = finish();
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "Aircraft not allowed");
  sendPIREP(p);
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "PIREP accepted");
  EXPECT_EQ(server_.count(kPirep), 2u);
}

TEST_F(EngineLiveTest, FlightPlanDownloadFillsTheFlightData) {
  server_.set_default("/info.php",
                      Reply{200, "1|flightplan\nEDDF\nEDDM\nEDDN\nANEKI Y163 NATOR\n120\n3400\nIFR\nB738\n"
                                 "24000"});
  ORVANE::prepare();
  ORVANE::getFlightPlan("ABC123");
  std::string plan;
  ASSERT_TRUE(test::eventually([&] { return !(plan = ORVANE::getACARSFlightPlan()).empty(); }));
  const SFlightData d = ORVANE::fillinFlightData(plan);
  EXPECT_EQ(d.sDeparture, "EDDF");
  EXPECT_EQ(d.sAltitude, "24000");
  EXPECT_EQ(server_.requests_for("/info.php")[0].body,
            "DATA1=ORVANE_TEST|2.0&DATA2=ABC123&DATA3=flightplan&DATA4=pilot&DATA5=secret");
}

TEST_F(EngineLiveTest, PrepareStopsWaitingWhenTheFlightIsDiscarded) {
  // The connection test hangs on a silent server while the window ends the flight.
  HttpTransfer::setTimeoutSeconds(1);
  server_.push_reply(kAcars, Reply{200, "", 0, true});
  std::thread window([] {
    test::eventually([] { return ORVANE::getState() == FlightState::TESTING; });
    ORVANE::finalize();
  });
  ORVANE::prepare();  // returns instead of waiting for ever
  window.join();
  EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
  EXPECT_FALSE(ORVANE::cycleOnce());
}

TEST_F(EngineLiveTest, SendPIREPAndFlightPlanReturnAtOnceWhileACycleHoldsTheLock) {
  server_.set_default("/info.php", Reply{200, "1|flightplan\nEDDF\nEDDM"});
  ORVANE::prepare();
  // A slow simulator cycle: another thread holds CYCLE_MUTEX until the test lets it go.
  std::mutex m;
  std::condition_variable cv;
  bool held = false, release = false;
  std::thread worker([&] {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    std::unique_lock<std::mutex> lk(m);
    held = true;
    cv.notify_all();
    cv.wait(lk, [&] { return release; });
  });
  {
    std::unique_lock<std::mutex> lk(m);
    cv.wait(lk, [&] { return held; });
  }
  PIREPData p;
  p.Callsign = "ABC123";
  // Were either to wait for the lock, the test would never get past here.
  ORVANE::SendPIREP(p);
  ORVANE::getFlightPlan("ABC123");
  EXPECT_EQ(ORVANE::getPIREPState(), UNKNOWN);
  EXPECT_EQ(server_.total(), 1u);  // only the connection test so far
  {
    std::lock_guard<std::mutex> lk(m);
    release = true;
  }
  cv.notify_all();
  worker.join();

  // The next cycle carries both requests out before it lets the lock go.
  ORVANE::cycleOnce();
  ASSERT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  std::string plan;
  ASSERT_TRUE(test::eventually([&] { return !(plan = ORVANE::getACARSFlightPlan()).empty(); }));
  EXPECT_EQ(plan, "flightplan\nEDDF\nEDDM");
  EXPECT_EQ(server_.requests_for(kPirep).size(), 1u);
  const std::string log = logText();
  std::size_t at = 0;
  // (The cycle's own "cycleOnce called." is a line every pass writes: the log leaves it out
  // after the first pass.)
  for (const char* line : {"Message: [SendPIREP: Before lock.]",
                           "Message: [SendPIREP: Cycle running, the PIREP goes out with it.]",
                           "Message: [SendPIREP: Behind lock.]",
                           "Message: [SendPIREP: Before unlock.]", "Message: [Done SendPIREP.]"}) {
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
}

TEST_F(EngineLiveTest, CancelledPIREPEndsInAnErrorWithItsReason) {
  ORVANE::prepare();
  {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    ORVANE::currentFlight()->PIREPCancel();  // as a flight that ended without its four times
  }
  sendPIREP(PIREPData{});
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage(), "The PIREP of this flight was cancelled and is not sent.");
  EXPECT_EQ(server_.count(kPirep), 0u);
}

TEST_F(EngineLiveTest, LiveStatusFollowsThePostsThroughAnOutage) {
  EXPECT_FALSE(ORVANE::getLiveACARSStatus().anyPostYet);
  startAtGate();
  LiveACARSStatus s = ORVANE::getLiveACARSStatus();
  EXPECT_TRUE(s.anyPostYet);
  EXPECT_TRUE(s.lastPostOk);
  EXPECT_EQ(s.failingSince, 0);

  server_.stop();
  const std::int64_t downAt = clock_.now();
  sim().state.paused = true;
  ORVANE::cycleOnce();  // the clock stands still until the post has failed
  ASSERT_TRUE(test::eventually([&] { return !(s = ORVANE::getLiveACARSStatus()).lastPostOk; }));
  EXPECT_EQ(s.failingSince, downAt);
  EXPECT_NE(s.lastError, "");
  // Later failures keep the start of the outage.
  std::int64_t due = 0;
  const auto retryDue = [] {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    return f && f->acars() ? f->acars()->retryDueMs() : std::int64_t{0};
  };
  ASSERT_TRUE(test::eventually([&] { return (due = retryDue()) != 0; }));
  clock_.advance_ms(due - clock_.mono_ms());
  ASSERT_TRUE(test::eventually([&] { return retryDue() != due && retryDue() != 0; }));
  EXPECT_EQ(ORVANE::getLiveACARSStatus().failingSince, downAt);

  ASSERT_TRUE(server_.restart());
  due = retryDue();
  clock_.advance_ms(due - clock_.mono_ms());
  ASSERT_TRUE(test::eventually([&] { return ORVANE::getLiveACARSStatus().lastPostOk; }));
  s = ORVANE::getLiveACARSStatus();
  EXPECT_EQ(s.failingSince, 0);
  EXPECT_NE(s.lastError, "");  // the latest failure's text stays for the record
}

}  // namespace
}  // namespace orvane
