// The ACARS object against the wrong answers real airline servers give: web pages, special characters, outages at the start, huge answers.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <memory>

#include "acars/ACARS.h"
#include "airline/airline_server.h"
#include "airline/replies.h"
#include "net/http_transfer.h"
#include "support/recorder.h"
#include "util/clock.h"

namespace orvane {
namespace {

using airline::AirlineServer;
using airline::Kind;
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

class RealServerTest : public ::testing::Test {
 protected:
  RealServerTest() : clock_(1783173600000), scoped_(clock_) {
    recorder().clear();
    HttpTransfer::setTimeoutSeconds(5);
    EXPECT_TRUE(server_.start());
    server_.set_default(kAcars, Reply{200, "1|OK"});
    server_.set_default(kPirep, Reply{200, "1|PIREP accepted"});
    server_.set_default(kInfo, Reply{200, "1|flightplan\nEDDF\nEDDM"});
    server_.set_kind_default(Kind::BeginFlight, Reply{200, "1|4711"});
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
  ~RealServerTest() override {
    acars_.reset();
    HttpTransfer::setTimeoutSeconds(30);
  }

  ACARS& make() {
    acars_ = std::make_unique<ACARS>(options_, "ORVANE_MSFS", nullptr, test::onConnectFailed,
                                     test::onInfo, test::onPIREPData, test::onPIREPSuccess,
                                     test::onPIREPError, test::onFlightInfo);
    return *acars_;
  }
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
  void position(ACARS& a, const std::string& tag) {
    a.messagePOS(static_cast<long>(clock_.now()), 1000, 50, 8, 364, 0, 0, 0, 0, 0, 0, 0, 0, tag);
  }
  void events(ACARS& a) {
    const long t = static_cast<long>(clock_.now());
    a.messageOUT(t, 12000, 50000, 62000, 50.0333, 8.5706, 364, 248, 250, 0, 270, 8, 15, 15);
    a.messageOFF(t + 60, 11800, 61800, 50.03, 8.57, 500, 248, 250, 150, 270, 8, 15, 15, {}, {});
    a.messageON(t + 120, 11000, 61000, 48.35, 11.78, 1487, 80, 82, 130, 270, 8, 12, 12, {}, {});
    a.messageIN(t + 180, 10900, 60900, 48.35, 11.79, 1487, 80, 82, 0, 270, 8, 12, 12);
  }
  void approve(ACARS& a, const PIREPData& report) {
    const std::size_t told = outcomes();
    a.PIREPReady(report);
    EXPECT_TRUE(eventually([&] { return outcomes() > told; }));
  }
  static std::size_t outcomes() {
    return recorder().texts(Channel::PIREPSuccess).size() +
           recorder().texts(Channel::PIREPError).size();
  }
  std::int64_t stepToNextRetry(ACARS& a) {
    std::int64_t due = 0;
    if (!eventually([&] { return (due = a.retryDueMs()) != 0 || a.isStopped(); })) return 0;
    if (due == 0) return 0;
    if (due > clock_.mono_ms()) clock_.advance_ms(due - clock_.mono_ms());
    EXPECT_TRUE(eventually([&] { return a.retryDueMs() != due; }));
    return due;
  }
  std::size_t infoContaining(const std::string& part) {
    std::size_t n = 0;
    for (const auto& t : recorder().texts(Channel::Info)) n += contains(t, part);
    return n;
  }
  // Every byte the log, the console and the boxes were given.
  static std::size_t shownBytes() {
    std::size_t n = 0;
    for (Channel c : {Channel::Info, Channel::ConnectFailed, Channel::PIREPError,
                      Channel::PIREPSuccess, Channel::FlightInfo}) {
      for (const auto& t : recorder().texts(c)) n += t.size();
    }
    return n;
  }
  std::string webPageError(const std::string& path) {
    return "The address [" + server_.url(path) + "] answered with a web page";
  }

  ManualClock clock_;
  ScopedClock scoped_;
  AirlineServer server_;
  FlightOptions options_;
  std::unique_ptr<ACARS> acars_;
};

TEST_F(RealServerTest, WebPageToBeginFlightTakesNoDataId) {
  server_.set_kind_default(Kind::BeginFlight, airline::html_page("Welcome"));
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return !recorder().texts(Channel::ConnectFailed).empty(); }));
  const auto failed = recorder().texts(Channel::ConnectFailed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].rfind(webPageError(kAcars), 0), 0u) << failed[0];
  EXPECT_FALSE(a.ACARS_Ready());
  EXPECT_EQ(a.getDataID(), "");
  EXPECT_EQ(infoContaining("BEGINFLIGHT successfull"), 0u);
}

TEST_F(RealServerTest, WebPageToAMessageIsNotCountedDeliveredAndTheMessageIsKept) {
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  server_.set_kind_default(Kind::Message, airline::php_warning_page("1|OK"));
  position(a, "A");
  position(a, "B");
  ASSERT_TRUE(server_.wait_for_count(kAcars, 3, 5000));
  ASSERT_TRUE(eventually([&] { return a.retryDueMs() != 0; }));
  EXPECT_EQ(infoContaining("transmitted successfully"), 0u);
  EXPECT_EQ(infoContaining(webPageError(kAcars)), 1u);
  EXPECT_EQ(server_.count(kAcars), 3u);  // B waits behind A
  // The address serves the airline's answers again: both go out, in order.
  server_.set_kind_default(Kind::Message, Reply{200, "1|OK"});
  ASSERT_NE(stepToNextRetry(a), 0);
  ASSERT_TRUE(server_.wait_for_count(kAcars, 5, 5000));
  const auto q = a.messages();
  const auto r = server_.requests_for(kAcars);
  EXPECT_EQ(r[3].body, r[2].body);
  EXPECT_EQ(r[3].form.value("DATA4"), q[1].substr(q[1].find("&DATA4=") + 7));
  EXPECT_EQ(r[4].form.value("DATA4"), q[2].substr(q[2].find("&DATA4=") + 7));
  ASSERT_TRUE(eventually([&] { return infoContaining("transmitted successfully") == 2; }));
}

TEST_F(RealServerTest, WebPageToEndFlightStillComputesThePIREP) {
  server_.set_kind_default(Kind::EndFlight, airline::html_page("Moved"));
  ACARS& a = started();
  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  events(a);
  a.messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  EXPECT_EQ(infoContaining("ENDFLIGHT successfull"), 0u);
  EXPECT_EQ(infoContaining(webPageError(kAcars)), 1u);
  EXPECT_EQ(recorder().pireps().size(), 1u);
}

TEST_F(RealServerTest, WebPageAsFlightPlanFillsNothing) {
  server_.push_reply(kInfo, airline::html_page("Welcome"));
  ACARS& a = make();
  a.getFlightInfo("ABC123", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  const auto fi = recorder().texts(Channel::FlightInfo);
  ASSERT_EQ(fi.size(), 1u);
  EXPECT_EQ(fi[0].rfind("ERROR: " + webPageError(kInfo), 0), 0u) << fi[0];

  // A "1|" answer that is not a flight plan fills nothing either.
  recorder().clear();
  server_.push_reply(kInfo, Reply{200, "1|OK\nEDDF\nEDDM"});
  a.getFlightInfo("ABC123", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  const auto plan = recorder().texts(Channel::FlightInfo);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].rfind("ERROR: The answer is not a flight plan", 0), 0u) << plan[0];
}

TEST_F(RealServerTest, WebPageToThePIREPKeepsItUnsent) {
  server_.push_reply(kPirep, airline::html_page("Welcome"));
  ACARS& a = make();
  PIREPData report;
  report.Callsign = "ABC123";
  approve(a, report);
  const auto errors = recorder().texts(Channel::PIREPError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind(webPageError(kPirep), 0), 0u) << errors[0];
  EXPECT_TRUE(recorder().texts(Channel::PIREPSuccess).empty());
  EXPECT_FALSE(a.sendPIREP());
  // Kept: sent again once the address answers as the airline's script.
  approve(a, report);
  EXPECT_EQ(recorder().texts(Channel::PIREPSuccess), std::vector<std::string>{"PIREP accepted"});
}

TEST_F(RealServerTest, SpecialCharactersArriveAsTyped) {
  const std::string password = "p&ss+w%rd=1";
  const std::string comment = "Smooth landing >>> 5/5 ~ok?";
  const std::string base64 = "U21vb3RoIGxhbmRpbmcgPj4+IDUvNSB+b2s/";
  options_.ACARS_Password = password;
  options_.PIREP_Password = password;
  options_.ACARS_User = "pilot+1";
  options_.PIREP_User = "pilot+1";
  ACARS& a = started();
  a.getFlightInfo("AB&C 1", "flightplan");
  ASSERT_TRUE(recorder().waitFor(Channel::Info, "FlightInfo thread finished."));
  const auto info = server_.requests_for(kInfo);
  ASSERT_EQ(info.size(), 1u);
  EXPECT_EQ(info[0].form.value("DATA2"), "AB&C 1");
  EXPECT_EQ(info[0].form.value("DATA4"), "pilot+1");
  EXPECT_EQ(info[0].form.value("DATA5"), password);

  begin(a);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  const auto acars = server_.requests_for(kAcars);
  ASSERT_EQ(acars.size(), 2u);
  EXPECT_EQ(acars[0].form.value("DATA3"), "pilot+1");
  EXPECT_EQ(acars[1].form.value("DATA3"), a.messages()[0].substr(12));
  EXPECT_TRUE(contains(acars[1].form.value("DATA3"), "|" + password + "|"));

  PIREPData report;
  report.Callsign = "ABC123";
  report.Comment = comment;
  approve(a, report);
  const auto pirep = server_.requests_for(kPirep);
  ASSERT_EQ(pirep.size(), 1u);
  const std::string data2 = pirep[0].form.value("DATA2");
  EXPECT_EQ(data2.rfind("pilot+1~" + password + "~ABC123~", 0), 0u) << data2;
  EXPECT_EQ(data2.substr(data2.size() - base64.size() - 1), "~" + base64);
  EXPECT_EQ(pirep[0].form.fields().size(), 2u);
}

TEST_F(RealServerTest, ServerDownForTheFirstThirtySecondsLosesNothing) {
  server_.set_outage(airline::Outage{30'000}, [this] { return clock_.mono_ms(); });
  ACARS& a = started();
  EXPECT_TRUE(a.isLiveACARSEnabled());
  EXPECT_TRUE(recorder().texts(Channel::ConnectFailed).empty());
  begin(a);
  position(a, "A");
  position(a, "B");
  const std::int64_t start = clock_.mono_ms();
  while (clock_.mono_ms() - start < 30'000) ASSERT_NE(stepToNextRetry(a), 0);
  ASSERT_TRUE(eventually([&] { return a.ACARS_Ready(); }));
  position(a, "C");
  a.messageEndFlight();
  ASSERT_TRUE(eventually([&] { return a.isStopped(); }));
  std::vector<std::string> answered;
  for (const Request& r : server_.requests_for(kAcars)) {
    if (r.answered == 200) answered.push_back(r.form.value("DATA2"));
  }
  EXPECT_EQ(answered, (std::vector<std::string>{"TEST", "BEGINFLIGHT", "MESSAGE", "MESSAGE",
                                                "MESSAGE", "ENDFLIGHT"}));
  const auto q = a.messages();
  std::vector<std::string> texts;
  for (const Request& r : server_.requests_for(kAcars)) {
    if (r.answered == 200 && r.form.value("DATA2") == "MESSAGE") texts.push_back(r.body);
  }
  // Each as queued: A and B before the data id came, C with it.
  ASSERT_EQ(texts.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(airline::Form(texts[i]).value("DATA4"), q[i + 1].substr(q[i + 1].find("&DATA4=") + 7));
  }
  EXPECT_EQ(airline::Form(texts[2]).value("DATA3"), "4711");
  EXPECT_EQ(infoContaining("transmitted successfully"), 3u);
}

TEST_F(RealServerTest, TenMegabyteAnswersLeaveASmallLog) {
  const std::size_t big = std::size_t{10} * 1024 * 1024;
  server_.set_kind_default(Kind::BeginFlight, airline::large_answer(big, "0|"));
  server_.set_kind_default(Kind::Message, airline::large_answer(big, "0|"));
  server_.push_reply(kPirep, airline::large_answer(big, "0|"));
  ACARS& a = started();
  begin(a);
  position(a, "A");
  ASSERT_TRUE(eventually([&] { return infoContaining("MESSAGE transmission returned error") == 1; }));
  PIREPData report;
  approve(a, report);
  ASSERT_EQ(recorder().texts(Channel::PIREPError).size(), 1u);
  EXPECT_TRUE(contains(recorder().texts(Channel::PIREPError)[0], " bytes]"));
  EXPECT_LT(shownBytes(), std::size_t{1024} * 1024);
}

}  // namespace
}  // namespace orvane
