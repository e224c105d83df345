// The ACARS object talking to a real airline server on 127.0.0.1: bodies, answers, retries.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "acars/ACARS.h"
#include "acars/address_offer.h"
#include "airline/airline_server.h"
#include "airline/replies.h"
#include "net/http_transfer.h"
#include "net/same_host.h"
#include "support/recorder.h"
#include "support/wire.h"
#include "util/clock.h"

namespace orvane {
namespace {

using airline::AirlineServer;
using airline::Reply;
using airline::Request;
using test::Channel;
using test::eventually;
using test::recorder;

const std::string kAcars = "/liveacars.php";
const std::string kPirep = "/pirep.php";
const std::string kInfo = "/info.php";

bool contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

class ProtocolTest : public ::testing::Test {
 protected:
  ProtocolTest() : clock_(1783173600000), scoped_(clock_) {
    recorder().clear();
    HttpTransfer::setTimeoutSeconds(5);
    EXPECT_TRUE(server_.start());
    server_.set_default(kAcars, Reply{200, "1|OK"});
    server_.set_default(kPirep, Reply{200, "1|PIREP accepted"});
    server_.set_default(kInfo, Reply{200, "1|flightplan\nEDDF\nEDDM"});
    server_.set_handler([](const Request& r) -> std::optional<Reply> {
      if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711|PosRep 0:5"};
      return std::nullopt;
    });
    options_.ACARS_URL = server_.url(kAcars);
    options_.PIREP_URL = server_.url(kPirep);
    options_.INFO_URL = server_.url(kInfo);
    options_.ACARS_User = "pilot";
    options_.ACARS_Password = "secret";
    options_.PIREP_User = "pilot";
    options_.PIREP_Password = "secret";
    options_.enableLiveACARS = true;
    options_.enablePIREP = true;
  }
  ~ProtocolTest() override {
    acars_.reset();
    HttpTransfer::setTimeoutSeconds(30);
  }

  ACARS& make() {
    acars_ = std::make_unique<ACARS>(options_, "ORVANE_MSFS", nullptr, test::onConnectFailed,
                                     test::onInfo, test::onPIREPData, test::onPIREPSuccess,
                                     test::onPIREPError, test::onFlightInfo);
    return *acars_;
  }
  // Starts sending and waits for the connection test to be settled.
  ACARS& started() {
    ACARS& a = make();
    a.startSending();
    EXPECT_TRUE(eventually([&] { return a.connectTested(); }));
    return a;
  }
  void begin(ACARS& a) {
    a.messageBeginFlight("ABC123", "EDDF ANEKI EDDM", "EDDF", "EDDM", "EDDN", "D-ABCD", "B738",
                         "ABC", "120", "3400", "IFR", 50.0333, 8.5706, 364, 12000, 248, 270, 8,
                         15);
  }
  // OUT, OFF, ON and IN a minute apart.
  void events(ACARS& a) {
    const long t = static_cast<long>(clock_.now());
    a.messageOUT(t, 12000, 50000, 62000, 50.0333, 8.5706, 364, 248, 250, 0, 270, 8, 15, 15);
    a.messageOFF(t + 60, 11800, 61800, 50.03, 8.57, 500, 248, 250, 150, 270, 8, 15, 15, {}, {});
    a.messageON(t + 120, 11000, 61000, 48.35, 11.78, 1487, 80, 82, 130, 270, 8, 12, 12, {}, {});
    a.messageIN(t + 180, 10900, 60900, 48.35, 11.79, 1487, 80, 82, 0, 270, 8, 12, 12);
  }
  // Approves the report and waits (real time, bounded) for the outcome's callback.
  void approve(ACARS& a, const PIREPData& report) {
    const std::size_t told = outcomes();
    a.PIREPReady(report);
    EXPECT_TRUE(eventually([&] { return outcomes() > told; }));
  }
  static std::size_t outcomes() {
    return recorder().texts(Channel::PIREPSuccess).size() +
           recorder().texts(Channel::PIREPError).size();
  }
  // Moves the clock to the send thread's next retry of its head and waits (real time,
  // bounded) until that try is over. Returns the time moved to, 0 when no retry was due.
  std::int64_t stepToNextRetry(ACARS& a) {
    std::int64_t due = 0;
    if (!eventually([&] { return (due = a.retryDueMs()) != 0 || a.isStopped(); })) return 0;
    if (due == 0) return 0;
    if (due > clock_.mono_ms()) clock_.advance_ms(due - clock_.mono_ms());
    EXPECT_TRUE(eventually([&] { return a.retryDueMs() != due; }));
    return due;
  }
  std::size_t infoStartingWith(const std::string& head) {
    std::size_t n = 0;
    for (const auto& t : recorder().texts(Channel::Info)) n += t.rfind(head, 0) == 0;
    return n;
  }
  std::size_t infoContaining(const std::string& part) {
    std::size_t n = 0;
    for (const auto& t : recorder().texts(Channel::Info)) n += contains(t, part);
    return n;
  }
  std::vector<std::string> bodies(const std::string& path) {
    std::vector<std::string> out;
    for (const Request& r : server_.requests_for(path)) out.push_back(r.body);
    return out;
  }

  ManualClock clock_;
  ScopedClock scoped_;
  AirlineServer server_;
  FlightOptions options_;
  std::unique_ptr<ACARS> acars_;
};

TEST_F(ProtocolTest, ConnectionTestBeginMessagesPausesAndEndArriveByteForByte) {
  // The BEGINFLIGHT answer comes late, so the first position report is built without an id.
  server_.push_reply(kAcars, Reply{200, "1|OK"});
  server_.set_handler([](const Request& r) -> std::optional<Reply> {
    if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711", 300};
    return std::nullopt;
  });
  ACARS& a = started();
  begin(a);
  a.messagePOS(static_cast<long>(clock_.now()), 12000, 50.0333, 8.5706, 364, 248, 250, 0, 0, 15,
               15, 270, 8, "");
  ASSERT_TRUE(eventually([&] { return a.getDataID() == "4711"; }));
  a.messagePauseFlight();
  a.messageUnPauseFlight();
  a.messageSTAT(static_cast<long>(clock_.now()));
  a.messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));

  const auto b = bodies(kAcars);
  ASSERT_EQ(b.size(), 7u);
  EXPECT_EQ(b[0], "DATA1=ORVANE_MSFS|2.0&DATA2=TEST&DATA3=pilot&DATA4=");
  EXPECT_EQ(b[1],
            "DATA1=ORVANE_MSFS|2.0&DATA2=BEGINFLIGHT&DATA3=pilot||ABC123|B738|ABC|"
            "EDDF~ANEKI~EDDM|N50 1.998 E8 34.236|364||||12000|248|27008|15|IFR|0|secret|&DATA4=");
  EXPECT_EQ(b[2], test::on_the_wire(a.messages()[1]));
  EXPECT_TRUE(contains(b[2], "&DATA2=MESSAGE&DATA3=&DATA4=[07/04/2026 14:00Z]%0A"));
  EXPECT_EQ(b[3], "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1");
  EXPECT_EQ(b[4], "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0");
  EXPECT_EQ(b[5],
            "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=[07/04/2026 14:00Z]%0A"
            "ACARS Mode: 2 Aircraft Reg: .D-ABCD%0A"
            "Msg Label: QM Block ID: 01 Msg No: M02A%0A"
            "Flight ID: ABC123%0A"
            "Message:%0A"
            "BLOCK TIME 00:00 /FUEL 0%0A"
            "FLIGHT TIME 00:00 /FUEL 0%0A"
            "FLIGHT DISTANCE 0%0A"
            "%0A");
  EXPECT_EQ(b[6], "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  for (const Request& r : server_.requests())
    EXPECT_EQ(r.content_type, "application/x-www-form-urlencoded");

  EXPECT_TRUE(recorder().contains(Channel::Info, "Connected to ACARS server."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "BEGINFLIGHT successfull, ID: [4711]"));
  EXPECT_TRUE(recorder().contains(Channel::Info, "MESSAGE [" + prepare_info(a.messages()[4]) +
                                                     "] transmitted successfully."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "ENDFLIGHT successfull."));
  // No ON and IN: the PIREP is cancelled at once.
  EXPECT_TRUE(a.cancelPIREP());
}

TEST_F(ProtocolTest, RefusedConnectionTestSwitchesLiveAcarsOff) {
  struct Case {
    Reply reply;
    std::string reason;
  };
  const Case cases[] = {
      {Reply{404, "1|OK"}, "error: 404"},  // an HTTP error, whatever the body says
      {Reply{200, "0|unknown pilot"}, "The server refused the connection test: unknown pilot"},
      {airline::html_page("Welcome"), "answered with a web page"},
  };
  for (const Case& c : cases) {
    recorder().clear();
    server_.push_reply(kAcars, c.reply);
    ACARS& a = started();
    EXPECT_FALSE(a.isLiveACARSEnabled());
    const auto failed = recorder().texts(Channel::ConnectFailed);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind("Connection to ACARS server failed: [", 0), 0u) << failed[0];
    EXPECT_TRUE(contains(failed[0], c.reason)) << failed[0];
    begin(a);
    events(a);
    a.messageEndFlight();
    ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
    EXPECT_EQ(recorder().pireps().size(), 1u);  // still computed
    EXPECT_EQ(server_.count(kAcars), 1u);      // nothing posted after the test
    server_.clear();
  }
}

TEST_F(ProtocolTest, BeginFlightAnswersThatGiveNoId) {
  struct Case {
    Reply reply;
    std::string failed;
    std::string status;
  };
  const Case cases[] = {
      {Reply{200, "0|unknown pilot"}, "unknown pilot", "BEGINFLIGHT returned error: [unknown pilot]"},
      {Reply{200, ""}, "No message from server.", "No message from server."},
      {Reply{200, "1"}, "", "BEGINFLIGHT successfull, but no ID received!"},
      {Reply{404, "1|4711"}, "", ""},  // refused for good: not posted again
  };
  for (const Case& c : cases) {
    recorder().clear();
    server_.clear();
    server_.set_handler([&](const Request& r) -> std::optional<Reply> {
      if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return c.reply;
      return std::nullopt;
    });
    ACARS& a = started();
    begin(a);
    ASSERT_TRUE(server_.wait_for_count(kAcars, 2, 5000));
    a.messagePauseFlight();
    ASSERT_TRUE(server_.wait_for_count(kAcars, 3, 5000));
    EXPECT_FALSE(a.ACARS_Ready());
    EXPECT_EQ(bodies(kAcars)[2], "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=&DATA4=1");
    a.messageEndFlight();
    ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
    EXPECT_EQ(server_.count(kAcars), 3u);  // no ENDFLIGHT post
    EXPECT_TRUE(recorder().contains(Channel::Info, "ENDFLIGHT successfull."));
    EXPECT_FALSE(recorder().contains(Channel::Info, "Starting PIREP Transaction."));
    const auto failed = recorder().texts(Channel::ConnectFailed);
    if (c.reply.status == 404) {
      ASSERT_EQ(failed.size(), 1u);
      EXPECT_EQ(failed[0].rfind("Communication to ACARS server failed: [", 0), 0u);
    } else if (c.failed.empty()) {
      EXPECT_TRUE(failed.empty());
    } else {
      EXPECT_EQ(failed, std::vector<std::string>{c.failed});
    }
    if (!c.status.empty()) {
      EXPECT_TRUE(recorder().contains(Channel::Info, c.status)) << c.status;
    }
  }
}

TEST_F(ProtocolTest, BeginFlightAnswerWithPositionReportTable) {
  server_.set_handler([](const Request& r) -> std::optional<Reply> {
    if (contains(r.body, "&DATA2=BEGINFLIGHT&"))
      return Reply{200, "1|4711|PosRep 0:5 10000:10 x junk: :7 99999999999:1|PosRep 0:6"};
    return std::nullopt;
  });
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  for (const char* line : {"Changing PosRepInterval [0]: [5]", "Changing PosRepInterval [10000]: [10]",
                           "Changing PosRepInterval [0]: [7]", "Changing PosRepInterval [0]: [6]"}) {
    EXPECT_TRUE(recorder().waitFor(Channel::Info, line)) << line;
  }
  EXPECT_EQ(a.getDataID(), "4711");
}

// The report is made when the flight ends, whatever the server answers to ENDFLIGHT; only
// the airline's refusal cancels it.
TEST_F(ProtocolTest, EndFlightOutcomes) {
  struct Case {
    Reply reply;
    bool idCleared;
    bool refused;
    std::string status;
  };
  const Case cases[] = {
      {Reply{200, "1|bye"}, true, false, "ENDFLIGHT successfull."},
      {Reply{404, ""}, true, false, "However, normal ENDFLIGHT handling ..."},
      {Reply{200, ""}, false, false, "No answer from server for ENDFLIGHT."},
      {Reply{200, "0|not open"}, false, true, "ENDFLIGHT returned error: [not open] -- Aborting."},
  };
  for (const Case& c : cases) {
    recorder().clear();
    server_.set_handler([&](const Request& r) -> std::optional<Reply> {
      if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711"};
      if (contains(r.body, "&DATA2=ENDFLIGHT&")) return c.reply;
      return std::nullopt;
    });
    ACARS& a = started();
    begin(a);
    ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
    events(a);
    a.messageEndFlight();
    ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
    EXPECT_TRUE(recorder().contains(Channel::Info, c.status)) << c.status;
    EXPECT_EQ(recorder().pireps().size(), 1u) << c.status;
    EXPECT_EQ(a.getDataID().empty(), c.idCleared) << c.status;
    EXPECT_EQ(a.cancelPIREP(), c.refused) << c.status;
  }
}

TEST_F(ProtocolTest, RefusedFlightSendsNoPIREPAndSaysWhy) {
  server_.set_handler([&](const Request& r) -> std::optional<Reply> {
    if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711"};
    if (contains(r.body, "&DATA2=ENDFLIGHT&")) return Reply{200, "0|not open"};
    return std::nullopt;
  });
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  events(a);
  a.messageEndFlight();
  ASSERT_EQ(recorder().pireps().size(), 1u);  // made at the end, before the server answered
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  a.PIREPReady(recorder().pireps()[0]);
  ASSERT_TRUE(eventually([&] { return !recorder().texts(Channel::PIREPError).empty(); }));
  EXPECT_EQ(recorder().texts(Channel::PIREPError),
            std::vector<std::string>{
                "The airline refused the flight: [not open]. Its PIREP is not sent."});
  EXPECT_EQ(server_.count(kPirep), 0u);
}

TEST_F(ProtocolTest, PIREPWaitsForTheAnswerToEndFlight) {
  std::atomic<bool> open{false};
  server_.set_handler([&](const Request& r) -> std::optional<Reply> {
    if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711"};
    if (contains(r.body, "&DATA2=ENDFLIGHT&")) {
      return open ? Reply{200, "1|bye"} : Reply{503, "Service Unavailable"};
    }
    return std::nullopt;
  });
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  events(a);
  a.messageEndFlight();
  ASSERT_EQ(recorder().pireps().size(), 1u);
  a.PIREPReady(recorder().pireps()[0]);
  ASSERT_TRUE(eventually([&] { return a.retryDueMs() != 0; }));
  EXPECT_EQ(server_.count(kPirep), 0u);  // not before the airline's verdict on the flight
  open = true;
  clock_.advance_ms(60'000);
  ASSERT_TRUE(eventually([&] { return !recorder().texts(Channel::PIREPSuccess).empty(); }));
  EXPECT_EQ(server_.count(kPirep), 1u);
}

TEST_F(ProtocolTest, MessagesSurviveAnOutageInOrder) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.stop();
  for (int i = 0; i < 3; ++i) a.messagePOS(static_cast<long>(clock_.now()), 1000 + i, 50, 8, 364,
                                           0, 0, 0, 0, 0, 0, 0, 0, "P" + std::to_string(i));
  ASSERT_TRUE(eventually([&] {
    for (const auto& t : recorder().texts(Channel::Info))
      if (t.rfind("Communication to ACARS server failed: [", 0) == 0 &&
          contains(t, "] -- trying again."))
        return true;
    return false;
  }));
  // Thirty seconds of flight time with the server down.
  for (int s = 0; s < 30; s += 5) {
    clock_.advance(5);
    eventually([] { return false; }, 20);
  }
  ASSERT_TRUE(server_.restart());
  for (int s = 0; s < 120 && server_.count(kAcars) < 5; s += 5) {
    clock_.advance(5);
    server_.wait_for_count(kAcars, 5, 50);
  }
  const auto b = bodies(kAcars);
  ASSERT_EQ(b.size(), 5u);
  EXPECT_TRUE(contains(b[2], "POS N50 0 E8 0 [P0]%0A"));
  EXPECT_TRUE(contains(b[3], "POS N50 0 E8 0 [P1]%0A"));
  EXPECT_TRUE(contains(b[4], "POS N50 0 E8 0 [P2]%0A"));
}

TEST_F(ProtocolTest, DeadServerHoldsTheQueueUntilTheFlightIsEndedThePIREPExistsFromTheEnd) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.stop();
  events(a);
  a.messageEndFlight();
  // Two hours of outage: the head is tried again and again, nothing is dropped, the flight
  // does not end by itself.
  const std::int64_t outageStart = clock_.mono_ms();
  std::vector<std::int64_t> tries;
  while (clock_.mono_ms() - outageStart < 2 * 3600 * 1000) {
    const std::int64_t due = stepToNextRetry(a);
    ASSERT_NE(due, 0);
    tries.push_back(due);
  }
  EXPECT_FALSE(a.isStopped());
  EXPECT_EQ(infoStartingWith("Not delivered"), 0u);
  // The report was made when the flight ended: it does not wait for the server.
  EXPECT_EQ(recorder().pireps().size(), 1u);
  // The pauses double from 5 s to a minute and stay there.
  ASSERT_GE(tries.size(), 8u);
  const std::vector<std::int64_t> pauses = {10'000, 20'000, 40'000, 60'000, 60'000, 60'000};
  for (std::size_t i = 0; i < pauses.size(); ++i) EXPECT_EQ(tries[i + 1] - tries[i], pauses[i]);

  // The pilot ends the flight: the rest is tried once, the first failure ends the posting,
  // and ENDFLIGHT is handled as after a transfer failure.
  a.stopSending();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  EXPECT_EQ(infoStartingWith("Not delivered: ["), 4u);  // OUT, OFF, ON and IN, by name
  EXPECT_TRUE(recorder().contains(Channel::Info, "However, normal ENDFLIGHT handling ..."));
  EXPECT_EQ(recorder().pireps().size(), 1u);  // not made a second time
  EXPECT_EQ(a.getDataID(), "");
}

TEST_F(ProtocolTest, OutageIsOneEventAndTheQueueDrainsInOrderWhenTheServerAnswers) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.stop();
  for (int i = 0; i < 5; ++i)
    a.messagePOS(static_cast<long>(clock_.now()), 1000 + i, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0,
                 "P" + std::to_string(i));
  a.messageEndFlight();
  const std::int64_t outageStart = clock_.mono_ms();
  while (clock_.mono_ms() - outageStart < 15 * 60 * 1000) ASSERT_NE(stepToNextRetry(a), 0);
  ASSERT_TRUE(server_.restart());
  const std::int64_t back = clock_.mono_ms();
  const std::int64_t due = stepToNextRetry(a);
  ASSERT_NE(due, 0);
  EXPECT_LE(due - back, 60'000);  // within a minute of the server's return
  // From here on nothing waits for the clock.
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  const auto b = bodies(kAcars);
  ASSERT_EQ(b.size(), 8u);  // test, begin, five reports, end
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(contains(b[2 + i], "[P" + std::to_string(i) + "]%0A"));
  EXPECT_EQ(b[7], "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_EQ(infoStartingWith("ACARS server unreachable: "), 1u);
  EXPECT_EQ(infoStartingWith("ACARS server answers again after ["), 1u);
  EXPECT_TRUE(recorder().contains(Channel::Info, "ENDFLIGHT successfull."));
}

TEST_F(ProtocolTest, WallClockJumpsNeitherLengthenNorCutTheBackOff) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.set_default(kAcars, Reply{503, "busy"});
  a.messagePauseFlight();
  std::int64_t due = 0;
  ASSERT_TRUE(eventually([&] { return (due = a.retryDueMs()) != 0; }));
  const std::int64_t failedAt = clock_.mono_ms();
  EXPECT_EQ(due - failedAt, 5'000);
  const std::size_t posts = server_.count(kAcars);

  clock_.jump(3600);  // an hour ahead: no early retry
  server_.wait_for_count(kAcars, posts + 1, 100);
  EXPECT_EQ(server_.count(kAcars), posts);
  EXPECT_EQ(a.retryDueMs(), due);
  clock_.advance_ms(4'999);
  server_.wait_for_count(kAcars, posts + 1, 100);
  EXPECT_EQ(server_.count(kAcars), posts);
  clock_.advance_ms(1);
  ASSERT_TRUE(server_.wait_for_count(kAcars, posts + 1, 5000));

  // An hour back during the next pause: the retry is not pushed out by an hour.
  std::int64_t next = 0;
  ASSERT_TRUE(eventually([&] { return (next = a.retryDueMs()) != 0 && next != due; }));
  EXPECT_EQ(next - due, 10'000);
  clock_.jump(-3600);
  clock_.advance_ms(next - clock_.mono_ms());
  ASSERT_TRUE(server_.wait_for_count(kAcars, posts + 2, 5000));
}

TEST_F(ProtocolTest, RefusedMessageIsNotRetriedARedirectHoldsTheQueue) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.push_reply(kAcars, Reply{404, "1|OK"});
  server_.push_reply(kAcars, Reply{302, "1|OK", 0, false, server_.url("/moved.php")});
  a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, "A");
  a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, "B");
  a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, "C");
  // The refusal is not waited for; the redirect holds B (and C behind it) like an outage.
  ASSERT_TRUE(server_.wait_for_count(kAcars, 4, 5000));
  ASSERT_NE(stepToNextRetry(a), 0);
  ASSERT_TRUE(server_.wait_for_count(kAcars, 6, 5000));
  const auto q = a.messages();
  using test::on_the_wire;
  EXPECT_EQ(bodies(kAcars),
            (std::vector<std::string>{bodies(kAcars)[0], bodies(kAcars)[1], on_the_wire(q[1]),
                                      on_the_wire(q[2]), on_the_wire(q[2]), on_the_wire(q[3])}));
  ASSERT_TRUE(recorder().waitFor(Channel::Info,
                                 "MESSAGE [" + prepare_info(q[3]) + "] transmitted successfully."));
  EXPECT_TRUE(recorder().contains(Channel::Info,
                                  "MESSAGE [" + prepare_info(q[2]) + "] transmitted successfully."));
  EXPECT_FALSE(recorder().contains(Channel::Info,
                                   "MESSAGE [" + prepare_info(q[1]) + "] transmitted successfully."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "Not delivered: [" + prepare_info(q[1]) + "]"));
  EXPECT_FALSE(recorder().contains(Channel::Info, "Not delivered: [" + prepare_info(q[2]) + "]"));
  EXPECT_TRUE(recorder().contains(
      Channel::Info, "Communication to ACARS server failed: [Redirect not followed: HTTP 302 to [" +
                         server_.url("/moved.php") +
                         "]; set the new address in the settings] -- trying again."));
  EXPECT_EQ(a.retryDueMs(), 0);
}

TEST_F(ProtocolTest, BeginFlightIsRetriedThroughAnOutageAndItsIdServesTheFlight) {
  std::atomic<bool> down{true};
  server_.set_handler([&down](const Request& r) -> std::optional<Reply> {
    if (!contains(r.body, "&DATA2=BEGINFLIGHT&")) return std::nullopt;
    return down ? Reply{503, "maintenance"} : Reply{200, "1|4711"};
  });
  ACARS& a = started();
  begin(a);
  const std::int64_t start = clock_.mono_ms();
  while (clock_.mono_ms() - start < 120'000) ASSERT_NE(stepToNextRetry(a), 0);
  EXPECT_FALSE(a.ACARS_Ready());
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());  // no question to the pilot
  down = false;
  stepToNextRetry(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  EXPECT_EQ(a.getDataID(), "4711");
  events(a);
  a.messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  EXPECT_EQ(bodies(kAcars).back(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  EXPECT_EQ(recorder().pireps().size(), 1u);
  server_.set_handler(nullptr);
}

TEST_F(ProtocolTest, StopWhileASilentServerHoldsThePostEndsWithinSeconds) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  HttpTransfer::setTimeoutSeconds(60);
  server_.set_default(kAcars, Reply{200, "", 0, true});
  events(a);
  a.messageEndFlight();
  ASSERT_TRUE(server_.wait_for_count(kAcars, 3, 5000));  // the OUT report is held
  a.stopSending();
  // Far below the minute the transfer would otherwise be given.
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }, 20'000));
  EXPECT_EQ(recorder().pireps().size(), 1u);
  EXPECT_TRUE(recorder().contains(Channel::Info, "However, normal ENDFLIGHT handling ..."));
  server_.stop();  // releases the held request before the next test's server starts
}

TEST_F(ProtocolTest, StopDuringRetriesEndsTheThreadAtOnce) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.stop();
  a.messagePauseFlight();
  ASSERT_TRUE(eventually([&] {
    for (const auto& t : recorder().texts(Channel::Info))
      if (contains(t, "-- trying again.")) return true;
    return false;
  }));
  a.stopSending();
  EXPECT_TRUE(eventually([&] { return a.isStopped(); }));
}

TEST_F(ProtocolTest, FlightPlanRequests) {
  ACARS& a = make();
  a.getFlightInfo("ABC123", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  EXPECT_EQ(bodies(kInfo),
            std::vector<std::string>{"DATA1=ORVANE_MSFS|2.0&DATA2=ABC123&DATA3=flightplan"
                                     "&DATA4=pilot&DATA5=secret"});
  EXPECT_EQ(recorder().texts(Channel::FlightInfo),
            std::vector<std::string>{"flightplan\nEDDF\nEDDM"});

  recorder().clear();
  server_.push_reply(kInfo, Reply{200, "0|no such flight"});
  a.getFlightInfo("XYZ", "flightplan");
  a.getFlightInfo("XYZ", "flightplan");  // waits for the first request
  ASSERT_TRUE(eventually([&] { return recorder().texts(Channel::FlightInfo).size() == 2; }));
  EXPECT_EQ(recorder().texts(Channel::FlightInfo)[0], "ERROR: no such flight");

  recorder().clear();
  server_.push_reply(kInfo, Reply{200, ""});
  a.getFlightInfo("XYZ", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "ACARS server did not return anything."));
  EXPECT_TRUE(recorder().texts(Channel::FlightInfo).empty());

  recorder().clear();
  server_.stop();
  a.getFlightInfo("XYZ", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  const auto fi = recorder().texts(Channel::FlightInfo);
  ASSERT_EQ(fi.size(), 1u);
  EXPECT_EQ(fi[0].rfind("ERROR: Connection to ACARS server failed: [", 0), 0u) << fi[0];
}

TEST_F(ProtocolTest, PIREPAnswers) {
  struct Case {
    Reply reply;
    bool success;
    std::string message;
  };
  const Case cases[] = {
      {Reply{200, "  1|Thank you\r\n"}, true, "Thank you"},
      {Reply{200, "0|duplicate"}, false, "duplicate"},
      {Reply{200, "OK"}, false, "Strange message from server: [OK]"},
      {Reply{200, ""}, false, "Server did not return a message."},
      {Reply{200, " \r\n "}, false, "Server did not return a message."},
  };
  PIREPData report;
  report.Callsign = "ABC123";
  report.Comment = "smooth";
  for (const Case& c : cases) {
    recorder().clear();
    server_.clear();
    server_.push_reply(kPirep, c.reply);
    ACARS& a = make();
    approve(a, report);
    ASSERT_EQ(server_.count(kPirep), 1u);
    const std::string body = bodies(kPirep)[0];
    EXPECT_EQ(body.rfind("DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret~ABC123~", 0), 0u) << body;
    EXPECT_EQ(body.substr(body.size() - 9), "~c21vb3Ro");
    EXPECT_EQ(recorder().texts(c.success ? Channel::PIREPSuccess : Channel::PIREPError),
              std::vector<std::string>{c.message});
    EXPECT_EQ(a.sendPIREP(), c.success);
    // The log line never shows the password.
    const std::string shown = "Sending PIREP: [DATA1=ORVANE_MSFS|2.0&DATA2=pilot~****~" +
                              body.substr(std::string("DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret~")
                                              .size()) +
                              "].";
    EXPECT_TRUE(recorder().contains(Channel::Info, shown));
    for (const auto& t : recorder().texts(Channel::Info)) EXPECT_FALSE(contains(t, "secret"));
  }
}

TEST_F(ProtocolTest, FailedPIREPCanBeSentAgain) {
  server_.stop();
  ACARS& a = make();
  PIREPData report;
  approve(a, report);
  const auto errors = recorder().texts(Channel::PIREPError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Connection to PIREP server failed: [", 0), 0u);
  EXPECT_FALSE(a.sendPIREP());
  ASSERT_TRUE(server_.restart());
  approve(a, report);
  EXPECT_EQ(recorder().texts(Channel::PIREPSuccess), std::vector<std::string>{"PIREP accepted"});
  EXPECT_EQ(server_.count(kPirep), 1u);
}

TEST_F(ProtocolTest, SilentServerAtTheTestIsAnOutage) {
  HttpTransfer::setTimeoutSeconds(1);
  server_.push_reply(kAcars, Reply{200, "", 0, true});
  ACARS& a = started();
  EXPECT_TRUE(a.isLiveACARSEnabled());
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());
  EXPECT_EQ(infoContaining("-- the queue waits and the test is repeated."), 1u);
}


// A redirect to the same host: the connection test waits as in an outage, the messages wait
// behind it, and once the pilot has confirmed the new address they all go there, in order.
TEST_F(ProtocolTest, ARedirectedAddressHoldsTheQueueUntilTheNewOneIsConfirmed) {
  AddressOffers::instance().clear();
  const std::string moved = "/phpvms/index.php/acars/xacars/acars";
  server_.set_handler([this, moved](const Request& r) -> std::optional<Reply> {
    if (r.path == kAcars) return server_.redirect(301, moved);
    if (contains(r.body, "&DATA2=BEGINFLIGHT&")) return Reply{200, "1|4711"};
    return std::nullopt;
  });
  server_.set_default(moved, Reply{200, "1|OK"});
  ACARS& a = started();
  EXPECT_TRUE(a.isLiveACARSEnabled());
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());  // not a refusal
  begin(a);
  a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, "A");
  ASSERT_NE(stepToNextRetry(a), 0);
  ASSERT_NE(stepToNextRetry(a), 0);
  EXPECT_EQ(server_.count(moved), 0u);  // never followed by itself
  const std::optional<AddressOffer> offer = AddressOffers::instance().take(AirlineAddress::ACARS);
  ASSERT_TRUE(offer.has_value());
  EXPECT_EQ(offer->from, server_.url(kAcars));
  EXPECT_EQ(offer->to, server_.url(moved));

  options_.ACARS_URL = offer->to;  // what the window does when the pilot agrees
  a.updateOptions(options_);
  a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, "B");
  stepToNextRetry(a);
  ASSERT_TRUE(server_.wait_for_count(moved, 4, 5000));
  std::vector<airline::Kind> kinds;
  for (const Request& r : server_.requests_for(moved)) kinds.push_back(r.kind);
  EXPECT_EQ(kinds, (std::vector<airline::Kind>{airline::Kind::Test, airline::Kind::BeginFlight,
                                                airline::Kind::Message, airline::Kind::Message}));
  const auto q = a.messages();
  EXPECT_EQ(bodies(moved)[2], test::on_the_wire(q[1]));
  EXPECT_EQ(bodies(moved)[3], test::on_the_wire(q[2]));
  EXPECT_EQ(a.getDataID(), "4711");
  server_.set_handler(nullptr);
}

// The flight plan and the PIREP leave their offers; a redirect to another host, or one the
// pilot refused, is not offered; an address refused stays refused only for that address.
TEST_F(ProtocolTest, FlightPlanAndPIREPRedirectsAreOfferedOnlyForTheSameHost) {
  AddressOffers& offers = AddressOffers::instance();
  offers.clear();
  server_.set_default(kInfo, server_.redirect(302, "/v2/info.php"));
  server_.set_default(kPirep, server_.redirect(307, "/v2/pirep.php"));
  ACARS& a = make();
  a.getFlightInfo("ABC123", "flightplan");
  ASSERT_TRUE(eventually([] { return !recorder().texts(Channel::FlightInfo).empty(); }));
  EXPECT_EQ(recorder().texts(Channel::FlightInfo)[0].rfind("ERROR: ", 0), 0u);
  PIREPData report;
  approve(a, report);
  EXPECT_EQ(recorder().texts(Channel::PIREPSuccess).size(), 0u);
  const auto info = offers.take(AirlineAddress::FLIGHTINFO);
  const auto pirep = offers.take(AirlineAddress::PIREP);
  ASSERT_TRUE(info && pirep);
  EXPECT_EQ(info->to, server_.url("/v2/info.php"));
  EXPECT_EQ(pirep->to, server_.url("/v2/pirep.php"));
  EXPECT_FALSE(offers.take(AirlineAddress::PIREP));  // taken once
  EXPECT_FALSE(offers.take(AirlineAddress::ACARS));

  offers.decline(*pirep);
  EXPECT_FALSE(offers.offer(AirlineAddress::PIREP, pirep->from, pirep->to));
  EXPECT_TRUE(offers.offer(AirlineAddress::FLIGHTINFO, pirep->from, pirep->to));
  EXPECT_TRUE(offers.offer(AirlineAddress::PIREP, pirep->from, server_.url("/v3/pirep.php")));
  EXPECT_FALSE(offers.offer(AirlineAddress::ACARS, server_.url(kAcars), server_.url(kAcars)));
  EXPECT_FALSE(offers.offer(AirlineAddress::ACARS, server_.url(kAcars),
                            "http://127.0.0.2:" + std::to_string(server_.port()) + kAcars));
  offers.clear();
}

TEST(SameHost, HostAndPortDecideSchemeAndPathDoNot) {
  EXPECT_TRUE(same_host("http://va.example/a.php", "http://VA.example:80/b/c.php?x=1"));
  EXPECT_TRUE(same_host("http://va.example/a.php", "https://va.example:80/a.php"));
  EXPECT_TRUE(same_host("https://va.example/a", "https://va.example:443/b"));
  EXPECT_FALSE(same_host("http://va.example/a", "https://va.example/a"));  // 80 and 443
  EXPECT_FALSE(same_host("http://va.example/a", "http://va.example:8080/a"));
  EXPECT_FALSE(same_host("http://va.example/a", "http://other.example/a"));
  EXPECT_FALSE(same_host("http://va.example/a", "http://va.example.evil/a"));
  EXPECT_FALSE(same_host("http://va.example/a", "ftp://va.example/a"));
  EXPECT_FALSE(same_host("http://va.example/a", "/relative/path"));
  EXPECT_FALSE(same_host("", ""));
}

}  // namespace
}  // namespace orvane
