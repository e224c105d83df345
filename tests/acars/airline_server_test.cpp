// Tests of the airline stand-in: PHP's form decoding through real HTTP, scripted answers by
// request kind, redirects, huge and empty answers, and an outage on the test's clock.
// SPDX-License-Identifier: MIT
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "airline/airline_server.h"
#include "airline/php_form.h"
#include "airline/replies.h"
#include "util/form_encode.h"
#include "util/util.h"

namespace orvane {
namespace {

using airline::AirlineServer;
using airline::Form;
using airline::Kind;
using airline::Outage;
using airline::Reply;
using airline::Request;

const std::string kAcars = "/index.php/acars/xacars/acars";
const std::string kData = "/index.php/acars/xacars/data";
const std::string kPirep = "/index.php/acars/xacars/pirep";

// The six bodies as ORVANE posts them, values form-encoded.
const std::string kTest = "DATA1=ORVANE_MSFS|2.0&DATA2=TEST&DATA3=pilot&DATA4=";
const std::string kBegin =
    "DATA1=ORVANE_MSFS|2.0&DATA2=BEGINFLIGHT&DATA3=pilot||ABC123|B738|ABC|EDDF~EDDM|"
    "N50 1.998 E8 34.236|364||||12000|248|27008|15|IFR|0|secret|&DATA4=";
const std::string kMessage =
    "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=[07/04/2026 14:05Z]%0AMessage:%0A";
const std::string kPause = "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1";
const std::string kEnd = "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=";
const std::string kPlan =
    "DATA1=ORVANE_MSFS|2.0&DATA2=ABC123&DATA3=flightplan&DATA4=pilot&DATA5=secret";
const std::string kReport = "DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret~ABC123~D-ABCD~Q29tbWVudA%3D%3D";

// One POST through libcurl, redirects not followed.
struct Posted {
  long status = 0;
  std::string body;
  std::string location;
  bool sent = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

Posted post(const std::string& url, const std::string& body) {
  Posted p;
  CURL* h = curl_easy_init();
  if (h == nullptr) return p;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, 20L);
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &p.body);
  p.sent = curl_easy_perform(h) == CURLE_OK;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &p.status);
  const char* location = nullptr;
  curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
  if (location != nullptr) p.location = location;
  curl_easy_cleanup(h);
  return p;
}

// --- the form parser alone ----------------------------------------------------------------

TEST(PhpForm, DecodesAsPhpDoes) {
  const Form f("a=1+2&b=%41%2b%2F%zz%4&c&&d=x=y&e=&a=last");
  EXPECT_EQ(f.get("a"), "last");  // a repeated name: the last one, as $_POST keeps it
  EXPECT_EQ(f.get("b"), "A+/%zz%4");
  EXPECT_EQ(f.get("c"), "");
  EXPECT_EQ(f.get("d"), "x=y");
  EXPECT_EQ(f.get("e"), "");
  EXPECT_FALSE(f.has("f"));
  ASSERT_EQ(f.fields().size(), 6u);
  EXPECT_EQ(f.fields()[0].value, "1 2");
}

TEST(PhpForm, NamesAreCleanedAsPhpCleansThem) {
  const Form f(" my.field=1&x+y=2&=3&%20=4");
  EXPECT_EQ(f.get("my_field"), "1");
  EXPECT_EQ(f.get("x_y"), "2");
  EXPECT_EQ(f.fields().size(), 2u);
}

TEST(PhpForm, UnencodedValuesAreCutAndChangedLikeOnARealServer) {
  // What today's bodies suffer: "&" splits the password, "+" becomes a blank.
  const Form f("DATA1=X|2.0&DATA2=ABC&DATA3=flightplan&DATA4=pilot&DATA5=p&ss+w%rd=1");
  EXPECT_EQ(f.get("DATA5"), "p");
  EXPECT_EQ(f.get("ss_w%rd"), "1");
}

TEST(PhpForm, KindsAreToldFromTheDecodedFields) {
  EXPECT_EQ(airline::kind_of(Form(kTest)), Kind::Test);
  EXPECT_EQ(airline::kind_of(Form(kBegin)), Kind::BeginFlight);
  EXPECT_EQ(airline::kind_of(Form(kMessage)), Kind::Message);
  EXPECT_EQ(airline::kind_of(Form(kPause)), Kind::PauseFlight);
  EXPECT_EQ(airline::kind_of(Form(kEnd)), Kind::EndFlight);
  EXPECT_EQ(airline::kind_of(Form(kPlan)), Kind::FlightPlan);
  EXPECT_EQ(airline::kind_of(Form(kReport)), Kind::Pirep);
  EXPECT_EQ(airline::kind_of(Form("DATA1=x")), Kind::Other);
  // A flight number that reads like a request is still a flight plan.
  EXPECT_EQ(airline::kind_of(Form("DATA1=x&DATA2=TEST&DATA3=flightplan&DATA4=u&DATA5=p")),
            Kind::FlightPlan);
}

// --- through real HTTP ----------------------------------------------------------------------

class AirlineServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.start());
    server_.set_default(kAcars, Reply{200, "1|OK"});
    server_.set_default(kData, Reply{200, "1|flightplan\nEDDF\nEDDM"});
    server_.set_default(kPirep, Reply{200, "1|PIREP accepted"});
  }
  void TearDown() override { server_.stop(); }

  Posted send(const std::string& path, const std::string& body) {
    return post(server_.url(path), body);
  }

  AirlineServer server_;
};

TEST_F(AirlineServerTest, EncodedValuesArriveExactlyAsTyped) {
  const std::string password = "p&ss+w%rd=1";
  // A comment whose Base64 holds "+" and "/".
  const std::string typed = std::string(3, '?') + ">>> ok ~ fine";  // "Pz8/Pj4+" in Base64
  const std::string comment = base64encode(typed);
  ASSERT_NE(comment.find('+'), std::string::npos);
  ASSERT_NE(comment.find('/'), std::string::npos);
  const std::string report = "pilot~" + password + "~ABC123~" + comment;
  const std::string message = "[07/04/2026 14:05Z]\nFuel=12000&Pax=150 50% +x\r\n\xC3\xBC";

  ASSERT_EQ(send(kData, "DATA1=ORVANE_MSFS|2.0&DATA2=ABC123&DATA3=flightplan&DATA4=pilot&DATA5=" +
                            form_encode(password))
                .status,
            200);
  ASSERT_EQ(send(kPirep, "DATA1=ORVANE_MSFS|2.0&DATA2=" + form_encode(report)).status, 200);
  ASSERT_EQ(send(kAcars, "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=" +
                             form_encode(message))
                .status,
            200);

  const std::vector<Request> seen = server_.requests();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].kind, Kind::FlightPlan);
  EXPECT_EQ(seen[0].form.get("DATA5"), password);
  EXPECT_EQ(seen[0].form.get("DATA1"), "ORVANE_MSFS|2.0");
  EXPECT_EQ(seen[1].kind, Kind::Pirep);
  EXPECT_EQ(seen[1].form.get("DATA2"), report);
  EXPECT_EQ(base64decode(seen[1].form.value("DATA2").substr(6 + password.size() + 8)), typed);
  EXPECT_EQ(seen[2].kind, Kind::Message);
  EXPECT_EQ(seen[2].form.get("DATA4"), message);
  EXPECT_EQ(seen[2].form.fields().size(), 4u);
}

TEST_F(AirlineServerTest, AKindsScriptAnswersOnlyThatKind) {
  server_.set_kind_default(Kind::Message, airline::html_page("phpVMS"));
  const Posted page = send(kAcars, kMessage);
  EXPECT_EQ(page.status, 200);
  EXPECT_EQ(page.body.substr(0, page.body.find('\n')), "<!DOCTYPE html>");
  EXPECT_NE(page.body.find("<title>phpVMS</title>"), std::string::npos);
  EXPECT_EQ(send(kAcars, kPause).body, "1|OK");
  EXPECT_EQ(send(kAcars, kEnd).body, "1|OK");
}

TEST_F(AirlineServerTest, QueuedKindRepliesGoFirstInOrderThenTheDefault) {
  server_.push_kind_reply(Kind::BeginFlight, Reply{200, "1|first"});
  server_.push_kind_reply(Kind::BeginFlight, airline::php_warning_page("1|4711"));
  server_.set_kind_default(Kind::BeginFlight, Reply{200, "1|later"});
  EXPECT_EQ(send(kAcars, kBegin).body, "1|first");
  const std::string warned = send(kAcars, kBegin).body;
  EXPECT_EQ(warned.substr(0, 6), "<br />");
  EXPECT_EQ(warned.substr(warned.size() - 6), "1|4711");
  EXPECT_EQ(send(kAcars, kBegin).body, "1|later");
  EXPECT_EQ(send(kAcars, kBegin).body, "1|later");
  // The handler still goes before the kind's script.
  server_.set_handler([](const Request& r) -> std::optional<Reply> {
    if (r.kind == Kind::BeginFlight) return Reply{200, "1|handled"};
    return std::nullopt;
  });
  EXPECT_EQ(send(kAcars, kBegin).body, "1|handled");
}

TEST_F(AirlineServerTest, RedirectsPointToTheSameHostAndTheNewPathAnswers) {
  const std::string moved = "/phpvms/index.php/acars/xacars/pirep";
  server_.set_default(moved, Reply{200, "1|PIREP accepted at the new address"});
  for (const int status : {301, 302, 307}) {
    server_.set_kind_default(Kind::Pirep, server_.redirect(status, moved), kPirep);
    const Posted p = send(kPirep, kReport);
    EXPECT_EQ(p.status, status);
    EXPECT_EQ(p.location, server_.url(moved));
    // Kept to the old path: the new one answers as the script did.
    const Posted again = send(moved, kReport);
    EXPECT_EQ(again.status, 200);
    EXPECT_EQ(again.body, "1|PIREP accepted at the new address");
  }
  EXPECT_EQ(server_.count(moved), 3u);
}

TEST_F(AirlineServerTest, HugeAndEmptyAnswersComeWhole) {
  const std::size_t tenMegabytes = std::size_t{10} * 1024 * 1024;
  server_.push_kind_reply(Kind::Message, airline::large_answer(tenMegabytes));
  server_.push_kind_reply(Kind::Message, airline::empty_answer());
  const Posted big = send(kAcars, kMessage);
  EXPECT_EQ(big.status, 200);
  EXPECT_EQ(big.body.size(), tenMegabytes);
  EXPECT_EQ(big.body.substr(0, 12), "1|2345678901");
  EXPECT_EQ(big.body.find('\n'), std::string::npos);
  const Posted empty = send(kAcars, kMessage);
  EXPECT_TRUE(empty.sent);
  EXPECT_EQ(empty.status, 200);
  EXPECT_EQ(empty.body, "");
}

TEST_F(AirlineServerTest, AnOutageAnswersItsKindsWith503UntilItsTimeIsOver) {
  std::atomic<std::int64_t> now{1'000'000};
  Outage outage;
  outage.duration_ms = 30'000;
  outage.kinds = {Kind::Test, Kind::BeginFlight, Kind::Message};
  server_.set_outage(outage, [&now] { return now.load(); });

  EXPECT_EQ(send(kAcars, kTest).status, 503);
  EXPECT_EQ(send(kAcars, kBegin).status, 503);
  EXPECT_EQ(send(kData, kPlan).status, 200);  // not one of the outage's kinds
  now += 29'999;
  EXPECT_EQ(send(kAcars, kMessage).status, 503);
  now += 1;
  EXPECT_EQ(send(kAcars, kBegin).status, 200);
  EXPECT_EQ(send(kAcars, kMessage).body, "1|OK");

  // Every request is recorded with the status it got.
  std::vector<int> answered;
  for (const Request& r : server_.requests()) answered.push_back(r.answered);
  EXPECT_EQ(answered, (std::vector<int>{503, 503, 200, 503, 200, 200}));

  // Of every kind, when none is named; cleared, the server answers again.
  server_.set_outage(Outage{60'000, {}, Reply{503, "maintenance"}}, [&now] { return now.load(); });
  const Posted down = send(kPirep, kReport);
  EXPECT_EQ(down.status, 503);
  EXPECT_EQ(down.body, "maintenance");
  server_.clear_outage();
  EXPECT_EQ(send(kPirep, kReport).status, 200);
}

TEST_F(AirlineServerTest, ClearScriptForgetsKindsAndTheOutage) {
  server_.set_kind_default(Kind::EndFlight, Reply{200, "0|no"});
  server_.set_outage(Outage{60'000, {Kind::Test}, Reply{503, "down"}});
  server_.clear_script();
  server_.set_default(kAcars, Reply{200, "1|OK"});
  EXPECT_EQ(send(kAcars, kEnd).body, "1|OK");
  EXPECT_EQ(send(kAcars, kTest).body, "1|OK");
}

}  // namespace
}  // namespace orvane
