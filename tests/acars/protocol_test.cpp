// The ACARS object talking to a real airline server on 127.0.0.1: bodies, answers, retries.
#include <gtest/gtest.h>

#include <memory>

#include "acars/ACARS.h"
#include "acars/http_transfer.h"
#include "airline/airline_server.h"
#include "support/recorder.h"
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
    server_.set_default(kInfo, Reply{200, "1|OK\nEDDF\nEDDM"});
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
  EXPECT_EQ(b[2], a.messages()[1]);
  EXPECT_TRUE(contains(b[2], "&DATA2=MESSAGE&DATA3=&DATA4=[07/04/2026 14:00Z]\n"));
  EXPECT_EQ(b[3], "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1");
  EXPECT_EQ(b[4], "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0");
  EXPECT_EQ(b[5],
            "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=[07/04/2026 14:00Z]\n"
            "ACARS Mode: 2 Aircraft Reg: .D-ABCD\n"
            "Msg Label: QM Block ID: 01 Msg No: M02A\n"
            "Flight ID: ABC123\n"
            "Message:\n"
            "BLOCK TIME 00:00 /FUEL 0\n"
            "FLIGHT TIME 00:00 /FUEL 0\n"
            "FLIGHT DISTANCE 0\n"
            "\n");
  EXPECT_EQ(b[6], "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  for (const Request& r : server_.requests())
    EXPECT_EQ(r.content_type, "application/x-www-form-urlencoded");

  EXPECT_TRUE(recorder().contains(Channel::Info, "Connected to ACARS server."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "BEGINFLIGHT successfull, ID: [4711]"));
  EXPECT_TRUE(recorder().contains(Channel::Info, "MESSAGE [" + prepare_info(b[5]) +
                                                     "] transmitted successfully."));
  EXPECT_TRUE(recorder().contains(Channel::Info, "ENDFLIGHT successfull."));
  // No ON and IN: the PIREP is cancelled at once.
  EXPECT_TRUE(a.cancelPIREP());
}

TEST_F(ProtocolTest, FailedConnectionTestSwitchesLiveAcarsOff) {
  server_.stop();  // a closed port
  ACARS& a = started();
  EXPECT_FALSE(a.isLiveACARSEnabled());
  const auto failed = recorder().texts(Channel::ConnectFailed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].rfind("Connection to ACARS server failed: [", 0), 0u) << failed[0];
  EXPECT_NE(failed[0], "Connection to ACARS server failed: []");
  begin(a);
  events(a);
  a.messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  EXPECT_EQ(recorder().pireps().size(), 1u);  // still computed

  recorder().clear();
  ASSERT_TRUE(server_.restart());
  server_.push_reply(kAcars, Reply{404, "1|OK"});  // an HTTP error, whatever the body says
  ACARS& b = started();
  EXPECT_FALSE(b.isLiveACARSEnabled());
  EXPECT_EQ(recorder().texts(Channel::ConnectFailed).size(), 1u);
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
      {Reply{500, "1|4711"}, "", ""},
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
    if (c.reply.status == 500) {
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

TEST_F(ProtocolTest, EndFlightOutcomes) {
  struct Case {
    Reply reply;
    bool pirep;
    std::string status;
  };
  const Case cases[] = {
      {Reply{200, "1|bye"}, true, "ENDFLIGHT successfull."},
      {Reply{500, ""}, true, "However, normal ENDFLIGHT handling ..."},
      {Reply{200, ""}, false, "No answer from server for ENDFLIGHT."},
      {Reply{200, "0|not open"}, false, "ENDFLIGHT returned error: [not open] -- Aborting."},
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
    EXPECT_EQ(recorder().pireps().size(), c.pirep ? 1u : 0u) << c.status;
    EXPECT_EQ(a.getDataID().empty(), c.pirep) << c.status;
  }
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
  EXPECT_TRUE(contains(b[2], "POS N50 0 E8 0 [P0]\n"));
  EXPECT_TRUE(contains(b[3], "POS N50 0 E8 0 [P1]\n"));
  EXPECT_TRUE(contains(b[4], "POS N50 0 E8 0 [P2]\n"));
}

TEST_F(ProtocolTest, DeadServerCannotHoldBackTheEndOfFlight) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.stop();
  events(a);
  a.messageEndFlight();
  // Four messages, each given up after ten minutes of retries. Time moves until the thread
  // is done, so a thread that falls behind the clock still reaches each deadline.
  for (int s = 0; s < 20000 && !a.isStopped(); s += 5) {
    clock_.advance(5);
    eventually([&] { return a.isStopped(); }, 5);
  }
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  const auto info = recorder().texts(Channel::Info);
  std::size_t given_up = 0;
  for (const auto& t : info) given_up += t.rfind("Giving up on message after 10 minutes", 0) == 0;
  EXPECT_EQ(given_up, 4u);
  EXPECT_TRUE(recorder().contains(Channel::Info, "However, normal ENDFLIGHT handling ..."));
  EXPECT_EQ(recorder().pireps().size(), 1u);
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
  EXPECT_EQ(recorder().texts(Channel::FlightInfo), std::vector<std::string>{"OK\nEDDF\nEDDM"});

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
    a.PIREPReady(report);  // blocks for the one attempt
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
  a.PIREPReady(report);
  const auto errors = recorder().texts(Channel::PIREPError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Connection to PIREP server failed: [", 0), 0u);
  EXPECT_FALSE(a.sendPIREP());
  ASSERT_TRUE(server_.restart());
  a.PIREPReady(report);
  EXPECT_EQ(recorder().texts(Channel::PIREPSuccess), std::vector<std::string>{"PIREP accepted"});
  EXPECT_EQ(server_.count(kPirep), 1u);
}

TEST_F(ProtocolTest, SilentServerTimesOut) {
  HttpTransfer::setTimeoutSeconds(1);
  server_.push_reply(kAcars, Reply{200, "", 0, true});
  ACARS& a = started();
  EXPECT_FALSE(a.isLiveACARSEnabled());
  const auto failed = recorder().texts(Channel::ConnectFailed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_TRUE(contains(failed[0], "imed out")) << failed[0];
}

}  // namespace
}  // namespace orvane
