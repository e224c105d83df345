// Tests of HttpTransfer and getHTTPResult against the local airline server.
// SPDX-License-Identifier: MIT
#include "net/http_transfer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <limits>
#include <regex>
#include <string>
#include <thread>

#include "acars/ACARS.h"
#include "airline/airline_server.h"

#include <unistd.h>

namespace orvane {
namespace {

using airline::AirlineServer;
using airline::Reply;
using airline::Request;

constexpr int kWaitMs = 5000;  // bounded real-time wait for the server's threads

Reply answer(const std::string& body, int status = 200) { return Reply{status, body, 0, false}; }

// A byte pattern that shows any lost, doubled or reordered chunk.
std::string pattern(std::size_t size) {
  std::string text;
  text.reserve(size);
  for (std::size_t i = 0; text.size() < size; ++i) text += std::to_string(i) + ",";
  text.resize(size);
  return text;
}

class HttpTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Short enough that a hanging case fails quickly, long enough for a loaded machine.
    HttpTransfer::setTimeoutSeconds(10);
    ASSERT_TRUE(server_.start());
  }
  void TearDown() override {
    server_.stop();
    HttpTransfer::setTimeoutSeconds(30);
  }

  AirlineServer server_;
};

// --- the body on the wire -----------------------------------------------------------------

TEST_F(HttpTransferTest, BodyArrivesByteForByteWithoutEncoding) {
  server_.set_default("/liveacars.php", answer("1|OK"));
  const std::string body =
      "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=[12:00 UTC] OUT\n"
      "Flight DLH123 ~ EDDF-EGLL\nFuel=12000&Pax=150 50% +x";
  HttpTransfer transfer;
  ASSERT_TRUE(transfer.valid());

  const TransferResult result = transfer.post(server_.url("/liveacars.php"), body);

  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.answer, "1|OK");
  EXPECT_EQ(result.error, "");
  const std::vector<Request> seen = server_.requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].path, "/liveacars.php");
  EXPECT_EQ(seen[0].body, body);
  EXPECT_EQ(seen[0].content_type, "application/x-www-form-urlencoded");
}

TEST_F(HttpTransferTest, EmbeddedNulIsSentBecauseTheLengthIsExplicit) {
  server_.set_default("/pirep.php", answer("1|PIREP accepted"));
  const std::string body("DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret\0~tail", 45);
  ASSERT_EQ(body.size(), 45u);
  HttpTransfer transfer;

  const TransferResult result = transfer.post(server_.url("/pirep.php"), body);

  EXPECT_TRUE(result.ok);
  ASSERT_EQ(server_.count("/pirep.php"), 1u);
  EXPECT_EQ(server_.requests()[0].body, body);
}

TEST_F(HttpTransferTest, EmptyAndLargeBodiesArriveWhole) {
  server_.set_default("/liveacars.php", answer("1|OK"));
  const std::string large = pattern(2 * 1024 * 1024 + 17);  // past libcurl's 100-continue size
  HttpTransfer transfer;

  EXPECT_TRUE(transfer.post(server_.url("/liveacars.php"), "").ok);
  EXPECT_TRUE(transfer.post(server_.url("/liveacars.php"), large).ok);

  const std::vector<Request> seen = server_.requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].body, "");
  EXPECT_TRUE(seen[1].body == large) << "large body changed on the way, size "
                                     << seen[1].body.size();
}

// --- the answer -----------------------------------------------------------------------------

TEST_F(HttpTransferTest, LargeAnswerIsCollectedInOrder) {
  const std::string big = "1|" + pattern(1024 * 1024);
  server_.set_default("/flightinfo.php", answer(big));
  HttpTransfer transfer;

  const TransferResult result = transfer.post(server_.url("/flightinfo.php"), "DATA1=x");

  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.answer.size(), big.size());
  EXPECT_TRUE(result.answer == big) << "answer bytes lost or reordered";
}

TEST_F(HttpTransferTest, AnswerBytesAndEmptyAnswerKeptAsSent) {
  const std::string bytes("  1|OK\r\n\0\xff\x01|\n", 13);
  server_.push_reply("/pirep.php", answer(bytes));
  server_.push_reply("/pirep.php", answer(""));
  HttpTransfer transfer;

  const TransferResult first = transfer.post(server_.url("/pirep.php"), "DATA1=a");
  const TransferResult second = transfer.post(server_.url("/pirep.php"), "DATA1=b");

  EXPECT_TRUE(first.ok);
  EXPECT_EQ(first.answer, bytes);
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(second.answer, "");
  EXPECT_EQ(second.error, "");
}

TEST_F(HttpTransferTest, AnswerUpToTheCapIsKeptAndALongerOneFails) {
  server_.push_reply("/flightinfo.php", answer(std::string(HttpTransfer::MAX_ANSWER_BYTES, 'x')));
  server_.push_reply("/flightinfo.php",
                     answer(std::string(HttpTransfer::MAX_ANSWER_BYTES + 1, 'x')));
  HttpTransfer transfer;

  const TransferResult fits = transfer.post(server_.url("/flightinfo.php"), "DATA1=a");
  const TransferResult too_long = transfer.post(server_.url("/flightinfo.php"), "DATA1=b");

  EXPECT_TRUE(fits.ok);
  EXPECT_EQ(fits.answer.size(), HttpTransfer::MAX_ANSWER_BYTES);
  EXPECT_FALSE(too_long.ok);
  EXPECT_EQ(too_long.error, "Failure writing output to destination");
  EXPECT_EQ(too_long.answer, "");
}

// --- failures -------------------------------------------------------------------------------

TEST_F(HttpTransferTest, HttpErrorStatusIsAFailureWithLibcurlsText) {
  server_.set_default("/pirep.php", answer("1|PIREP accepted", 500));
  HttpTransfer transfer;

  const TransferResult not_found = transfer.post(server_.url("/nothing.php"), "DATA1=a");
  const TransferResult broken = transfer.post(server_.url("/pirep.php"), "DATA1=b");

  EXPECT_FALSE(not_found.ok);
  EXPECT_EQ(not_found.error, "The requested URL returned error: 404");
  EXPECT_EQ(not_found.answer, "");
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.error, "The requested URL returned error: 500");
  EXPECT_EQ(broken.answer, "");
  EXPECT_EQ(server_.total(), 2u);
  // A refusal stays a refusal; a server error may pass.
  EXPECT_EQ(not_found.failure, TransferResult::PERMANENT);
  EXPECT_EQ(not_found.http_status, 404);
  EXPECT_EQ(broken.failure, TransferResult::UNREACHABLE);
  EXPECT_EQ(broken.http_status, 500);
}

TEST_F(HttpTransferTest, FailuresAreSortedIntoRetryableAndPermanent) {
  server_.set_default("/busy.php", answer("", 503));
  server_.set_default("/ok.php", answer("1|OK"));
  HttpTransfer transfer;
  const std::string closed = [&] {
    AirlineServer other;
    EXPECT_TRUE(other.start());
    const std::string url = other.url("/liveacars.php");
    other.stop();
    return url;
  }();

  EXPECT_EQ(transfer.post(server_.url("/busy.php"), "x").failure, TransferResult::UNREACHABLE);
  EXPECT_EQ(transfer.post(closed, "x").failure, TransferResult::UNREACHABLE);
  EXPECT_EQ(transfer.post("http://127.0.0.1:99999/", "x").failure, TransferResult::PERMANENT);
  EXPECT_EQ(transfer.post("gopher://127.0.0.1/", "x").failure, TransferResult::PERMANENT);
  EXPECT_EQ(transfer.post("", "x").failure, TransferResult::PERMANENT);
  const TransferResult ok = transfer.post(server_.url("/ok.php"), "x");
  EXPECT_TRUE(ok.ok);
  EXPECT_EQ(ok.failure, TransferResult::NONE);
  EXPECT_EQ(ok.http_status, 200);
}

TEST_F(HttpTransferTest, RedirectIsNeverSuccessAndIsNotFollowed) {
  const std::string target = server_.url("/new/liveacars.php");
  server_.push_reply("/liveacars.php", Reply{302, "1|OK", 0, false, target});
  server_.push_reply("/liveacars.php", Reply{301, "1|OK", 0, false, target});
  server_.set_default("/new/liveacars.php", answer("1|OK"));
  HttpTransfer transfer;

  const TransferResult found = transfer.post(server_.url("/liveacars.php"), "DATA1=pw");
  const TransferResult moved = transfer.post(server_.url("/liveacars.php"), "DATA1=pw");

  EXPECT_FALSE(found.ok);
  EXPECT_EQ(found.failure, TransferResult::PERMANENT);
  EXPECT_EQ(found.http_status, 302);
  EXPECT_EQ(found.answer, "");
  EXPECT_EQ(found.error, "Redirect not followed: HTTP 302 to [" + target +
                             "]; set the new address in the settings");
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(moved.http_status, 301);
  // The body, which may hold the password, went nowhere else.
  EXPECT_EQ(server_.count("/new/liveacars.php"), 0u);
}

TEST_F(HttpTransferTest, StopFlagEndsAHeldTransferAfterTheGrace) {
  HttpTransfer::setTimeoutSeconds(60);
  server_.set_default("/liveacars.php", Reply{200, "1|late", 0, true});
  std::atomic<bool> stop{false};
  HttpTransfer transfer;
  transfer.setStopFlag(&stop, 500);
  std::thread stopper([&] {
    server_.wait_for_count("/liveacars.php", 1, kWaitMs);
    stop = true;
  });

  const TransferResult result = transfer.post(server_.url("/liveacars.php"), "DATA1=x");
  stopper.join();

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failure, TransferResult::UNREACHABLE);
  EXPECT_EQ(result.error, "Transfer given up: the flight is ending");
}

TEST(HttpTransferProcess, GlobalInitMakesABrokenPipeAnErrorNotTheEnd) {
  HttpTransfer::globalInit();
  struct sigaction now {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  // A write to a pipe nobody reads: without the ignored signal the process would end here.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  errno = 0;
  EXPECT_EQ(write(fds[1], "x", 1), -1);
  EXPECT_EQ(errno, EPIPE);
  close(fds[1]);
}

TEST_F(HttpTransferTest, ClosedPortIsAFailureWithConnectText) {
  const int port = server_.port();
  const std::string url = server_.url("/liveacars.php");
  server_.stop();
  HttpTransfer transfer;

  const TransferResult result = transfer.post(url, "DATA1=x");

  EXPECT_FALSE(result.ok);
  const std::regex expected("Failed to connect to 127\\.0\\.0\\.1 port " + std::to_string(port) +
                            " after [0-9]+ ms: Couldn't connect to server");
  EXPECT_TRUE(std::regex_match(result.error, expected)) << result.error;
  EXPECT_EQ(result.answer, "");
}

TEST_F(HttpTransferTest, OnlyWebProtocolsAreSpoken) {
  HttpTransfer transfer;

  const TransferResult file = transfer.post("file:///etc/hostname", "DATA1=x");
  const TransferResult ftp =
      transfer.post("ftp://127.0.0.1:" + std::to_string(server_.port()) + "/", "DATA1=x");

  EXPECT_FALSE(file.ok);
  EXPECT_EQ(file.error, "Protocol \"file\" not supported or disabled in libcurl");
  EXPECT_EQ(file.answer, "");
  EXPECT_FALSE(ftp.ok);
  EXPECT_EQ(ftp.error, "Protocol \"ftp\" not supported or disabled in libcurl");
}

TEST_F(HttpTransferTest, DelayBelowTheTimeOutIsWaitedFor) {
  HttpTransfer::setTimeoutSeconds(5);
  server_.set_default("/liveacars.php", Reply{200, "1|4711", 300, false});
  HttpTransfer transfer;

  const TransferResult result = transfer.post(server_.url("/liveacars.php"), "DATA1=x");

  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.answer, "1|4711");
}

TEST_F(HttpTransferTest, SilentServerTimesOutAfterTheShortenedTimeOut) {
  HttpTransfer::setTimeoutSeconds(1);
  server_.set_default("/liveacars.php", Reply{200, "1|late", 0, true});
  HttpTransfer transfer;

  const auto started = std::chrono::steady_clock::now();
  const TransferResult result = transfer.post(server_.url("/liveacars.php"), "DATA1=x");
  const auto waited = std::chrono::steady_clock::now() - started;

  EXPECT_FALSE(result.ok);
  const std::regex expected("Operation timed out after [0-9]+ milliseconds with 0 bytes received");
  EXPECT_TRUE(std::regex_match(result.error, expected)) << result.error;
  EXPECT_EQ(result.answer, "");
  // On a loaded machine the server's worker may record the request only after the client
  // has given up on it.
  EXPECT_TRUE(server_.wait_for_count("/liveacars.php", 1, kWaitMs));
  EXPECT_EQ(server_.count("/liveacars.php"), 1u);
  // The one-second setting took effect, not the product's 30 seconds.
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::seconds(10));
}

TEST(HttpTransferTimeOut, ProductValueIsThirtySecondsAndNeverUnlimited) {
  EXPECT_EQ(HttpTransfer::timeoutSeconds(), 30);
  HttpTransfer::setTimeoutSeconds(2);
  EXPECT_EQ(HttpTransfer::timeoutSeconds(), 2);
  // libcurl reads 0 as "no limit"; a transfer must always end.
  HttpTransfer::setTimeoutSeconds(0);
  EXPECT_EQ(HttpTransfer::timeoutSeconds(), 1);
  HttpTransfer::setTimeoutSeconds(-5);
  EXPECT_EQ(HttpTransfer::timeoutSeconds(), 1);
  HttpTransfer::setTimeoutSeconds(30);
}

// --- one handle, several posts ---------------------------------------------------------------

TEST_F(HttpTransferTest, OneHandleCarriesSeveralPostsWithoutLeftovers) {
  server_.push_reply("/liveacars.php", answer("1|4711|PosRep 0:5"));
  server_.push_reply("/liveacars.php", answer("1|OK"));
  HttpTransfer transfer;
  transfer.applySettings();

  const TransferResult begin = transfer.post(server_.url("/liveacars.php"), "DATA2=BEGINFLIGHT");
  const TransferResult lost = transfer.post(server_.url("/missing.php"), "DATA2=MESSAGE");
  const TransferResult message = transfer.post(server_.url("/liveacars.php"), "DATA2=ENDFLIGHT");

  EXPECT_TRUE(begin.ok);
  EXPECT_EQ(begin.answer, "1|4711|PosRep 0:5");
  EXPECT_FALSE(lost.ok);
  EXPECT_EQ(lost.error, "The requested URL returned error: 404");
  EXPECT_TRUE(message.ok);
  EXPECT_EQ(message.answer, "1|OK");
  EXPECT_EQ(message.error, "");
  const std::vector<Request> seen = server_.requests();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].body, "DATA2=BEGINFLIGHT");
  EXPECT_EQ(seen[1].path, "/missing.php");
  EXPECT_EQ(seen[1].body, "DATA2=MESSAGE");
  EXPECT_EQ(seen[2].body, "DATA2=ENDFLIGHT");
}

TEST_F(HttpTransferTest, HandleReachesTheServerAgainAfterItWasDown) {
  server_.set_default("/liveacars.php", answer("1|OK"));
  const int port = server_.port();
  HttpTransfer transfer;

  EXPECT_TRUE(transfer.post(server_.url("/liveacars.php"), "DATA4=one").ok);
  server_.stop();
  const TransferResult down = transfer.post(server_.url("/liveacars.php"), "DATA4=two");
  ASSERT_TRUE(server_.restart());
  const TransferResult back = transfer.post(server_.url("/liveacars.php"), "DATA4=three");

  EXPECT_FALSE(down.ok);
  EXPECT_NE(down.error, "");
  EXPECT_TRUE(back.ok);
  EXPECT_EQ(back.answer, "1|OK");
  EXPECT_EQ(server_.port(), port);
  const std::vector<Request> seen = server_.requests();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].body, "DATA4=one");
  EXPECT_EQ(seen[1].body, "DATA4=three");
}

TEST_F(HttpTransferTest, HandlesOnSeveralThreadsWorkSideBySide) {
  server_.set_handler([](const Request& r) { return std::optional<Reply>(answer("1|" + r.body)); });
  constexpr int kThreads = 4;
  constexpr int kPosts = 5;
  std::vector<std::thread> threads;
  std::vector<int> good(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      HttpTransfer transfer;
      for (int i = 0; i < kPosts; ++i) {
        const std::string body = std::to_string(t) + "-" + std::to_string(i);
        const TransferResult r = transfer.post(server_.url("/liveacars.php"), body);
        if (r.ok && r.answer == "1|" + body) ++good[t];
      }
    });
  }
  for (std::thread& t : threads) t.join();

  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(good[t], kPosts) << "thread " << t;
  EXPECT_EQ(server_.total(), static_cast<std::size_t>(kThreads * kPosts));
}

// --- the write callback ---------------------------------------------------------------------

TEST(GetHTTPResult, AppendsSizeTimesCountBytesAndReportsThem) {
  std::string answer = "1|";
  char chunk[] = {'4', '7', '\0', '1', '|', 'P'};

  EXPECT_EQ(getHTTPResult(chunk, 2, 3, &answer), 6u);
  EXPECT_EQ(answer, std::string("1|47\0" "1|P", 8));
  EXPECT_EQ(getHTTPResult(chunk, 1, 2, &answer), 2u);
  EXPECT_EQ(answer, std::string("1|47\0" "1|P47", 10));
}

TEST(GetHTTPResult, RefusesWhatItCannotAppend) {
  std::string answer = "kept";
  char chunk[] = {'x'};

  EXPECT_EQ(getHTTPResult(chunk, std::numeric_limits<std::size_t>::max(), 2, &answer), 0u);
  EXPECT_EQ(getHTTPResult(chunk, 1, 0, &answer), 0u);
  EXPECT_EQ(getHTTPResult(chunk, 1, 1, nullptr), 0u);
  EXPECT_EQ(answer, "kept");
}

// --- the airline server itself ---------------------------------------------------------------

TEST_F(HttpTransferTest, ServerUsesQueuedRepliesInOrderThenTheDefault) {
  server_.push_reply("/liveacars.php", answer("1|first"));
  server_.push_reply("/liveacars.php", answer("0|second"));
  server_.push_reply("/pirep.php", answer("1|other path"));
  server_.set_default("/liveacars.php", answer("1|default"));
  HttpTransfer transfer;
  const std::string url = server_.url("/liveacars.php");

  EXPECT_EQ(transfer.post(url, "a").answer, "1|first");
  EXPECT_EQ(transfer.post(url, "b").answer, "0|second");
  EXPECT_EQ(transfer.post(url, "c").answer, "1|default");
  EXPECT_EQ(transfer.post(url, "d").answer, "1|default");
  EXPECT_EQ(transfer.post(server_.url("/pirep.php"), "e").answer, "1|other path");
  EXPECT_EQ(transfer.post(server_.url("/pirep.php"), "f").error,
            "The requested URL returned error: 404");
  EXPECT_EQ(server_.count("/liveacars.php"), 4u);
  EXPECT_EQ(server_.requests_for("/pirep.php").size(), 2u);
  EXPECT_EQ(server_.requests_for("/pirep.php")[1].body, "f");
}

TEST_F(HttpTransferTest, ServerHandlerDecidesFirstOrPassesOn) {
  server_.set_default("/liveacars.php", answer("1|default"));
  server_.push_reply("/liveacars.php", answer("1|queued"));
  server_.set_handler([](const Request& r) -> std::optional<Reply> {
    if (r.body.find("DATA2=BEGINFLIGHT") != std::string::npos) return answer("1|77");
    return std::nullopt;
  });
  HttpTransfer transfer;
  const std::string url = server_.url("/liveacars.php");

  EXPECT_EQ(transfer.post(url, "DATA2=BEGINFLIGHT").answer, "1|77");
  EXPECT_EQ(transfer.post(url, "DATA2=MESSAGE").answer, "1|queued");
  EXPECT_EQ(transfer.post(url, "DATA2=MESSAGE").answer, "1|default");
  server_.clear_script();
  EXPECT_EQ(transfer.post(url, "DATA2=BEGINFLIGHT").error,
            "The requested URL returned error: 404");
}

TEST_F(HttpTransferTest, ServerStopReleasesAHeldRequest) {
  HttpTransfer::setTimeoutSeconds(30);
  server_.set_default("/liveacars.php", Reply{200, "1|never", 0, true});
  TransferResult result;
  std::thread client([&] {
    HttpTransfer transfer;
    result = transfer.post(server_.url("/liveacars.php"), "DATA1=held");
  });
  ASSERT_TRUE(server_.wait_for_count("/liveacars.php", 1, kWaitMs));

  server_.stop();
  client.join();

  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "The requested URL returned error: 503");
}

TEST_F(HttpTransferTest, ServerWaitIsBoundedAndClearForgetsRequests) {
  server_.set_default("/liveacars.php", answer("1|OK"));
  HttpTransfer transfer;

  EXPECT_FALSE(server_.wait_for_count("/liveacars.php", 1, 50));
  EXPECT_TRUE(transfer.post(server_.url("/liveacars.php"), "x").ok);
  EXPECT_TRUE(server_.wait_for_count("/liveacars.php", 1, kWaitMs));
  server_.clear();
  EXPECT_EQ(server_.total(), 0u);
  EXPECT_TRUE(transfer.post(server_.url("/liveacars.php"), "y").ok);
  ASSERT_EQ(server_.requests().size(), 1u);
  EXPECT_EQ(server_.requests()[0].body, "y");
}

}  // namespace
}  // namespace orvane
