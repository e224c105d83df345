// Tests of classifyServerAnswer and the capped display of answers, request kind by kind.
// SPDX-License-Identifier: MIT
#include "acars/server_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Kind = AirlineRequest;

const std::string kUrl = "http://127.0.0.1:8080/index.php/acars/xacars/acars";

const std::vector<Kind> kAll = {Kind::TEST,       Kind::BEGINFLIGHT, Kind::MESSAGE,
                                Kind::ENDFLIGHT,  Kind::FLIGHTPLAN,  Kind::PIREP};

ServerAnswer read(Kind kind, const std::string& body, long status = 200) {
  return classifyServerAnswer(kind, kUrl, status, body);
}

const std::string kHtml =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head><title>phpVMS</title></head>\n"
    "<body><h1>Welcome</h1></body>\n</html>\n";

// --- success, refusal and the rest ------------------------------------------------------

TEST(ServerAnswer, OneAndABarIsASuccessForEveryKindButTheFlightPlan) {
  for (const Kind kind : kAll) {
    if (kind == Kind::FLIGHTPLAN) continue;
    const ServerAnswer a = read(kind, "1|OK");
    EXPECT_EQ(a.verdict, ServerAnswer::SUCCESS) << static_cast<int>(kind);
    EXPECT_EQ(a.cause, ServerAnswer::NONE);
    EXPECT_EQ(a.text, "OK");
    EXPECT_FALSE(a.empty);
  }
}

TEST(ServerAnswer, TheAnswerOneAloneIsASuccessWithoutText) {
  for (const Kind kind : {Kind::TEST, Kind::BEGINFLIGHT, Kind::MESSAGE, Kind::ENDFLIGHT,
                          Kind::PIREP}) {
    for (const std::string body : {"1", "1\n", "1\r\n", " 1 "}) {
      const ServerAnswer a = read(kind, body);
      EXPECT_EQ(a.verdict, ServerAnswer::SUCCESS) << static_cast<int>(kind) << " " << body;
      EXPECT_EQ(a.text, "");
      EXPECT_EQ(a.data_id, "");
    }
  }
}

TEST(ServerAnswer, ZeroAndItsSeparatorIsARefusalWithTheServersReason) {
  for (const Kind kind : kAll) {
    const ServerAnswer a = read(kind, "0|Wrong password");
    EXPECT_EQ(a.verdict, ServerAnswer::REFUSAL) << static_cast<int>(kind);
    EXPECT_EQ(a.cause, ServerAnswer::NONE);
    EXPECT_EQ(a.text, "Wrong password");
  }
  // Only the PIREP answer is trimmed at its end, as it always was.
  EXPECT_EQ(read(Kind::ENDFLIGHT, "0|No such flight\n").text, "No such flight\n");
  EXPECT_EQ(read(Kind::PIREP, "  0|Duplicate PIREP \r\n").text, "Duplicate PIREP");
  EXPECT_EQ(read(Kind::MESSAGE, "0").text, "");
}

TEST(ServerAnswer, AnythingElseIsAnErrorNeverASuccess) {
  for (const Kind kind : kAll) {
    const ServerAnswer a = read(kind, "OK");
    EXPECT_EQ(a.verdict, ServerAnswer::ERROR) << static_cast<int>(kind);
    if (kind == Kind::FLIGHTPLAN) {
      EXPECT_EQ(a.cause, ServerAnswer::NOT_A_FLIGHT_PLAN);
    } else {
      EXPECT_EQ(a.cause, ServerAnswer::MALFORMED);
      EXPECT_EQ(a.text, "Strange message from server: [OK]");
    }
  }
  EXPECT_EQ(read(Kind::MESSAGE, "2|OK").verdict, ServerAnswer::ERROR);
  EXPECT_EQ(read(Kind::MESSAGE, "10|OK").verdict, ServerAnswer::ERROR);
  EXPECT_EQ(read(Kind::TEST, "1OK").verdict, ServerAnswer::ERROR);
}

TEST(ServerAnswer, PhpWarningsAheadOfTheAnswerMakeItAnError) {
  const ServerAnswer plain = read(
      Kind::BEGINFLIGHT,
      "\nWarning: Undefined array key \"DATA3\" in /var/www/action.php on line 12\n1|4711");
  EXPECT_EQ(plain.verdict, ServerAnswer::ERROR);
  EXPECT_EQ(plain.cause, ServerAnswer::MALFORMED);
  EXPECT_EQ(plain.text,
            "Strange message from server: [Warning: Undefined array key \"DATA3\" in "
            "/var/www/action.php on line 12]");
  EXPECT_EQ(plain.data_id, "");

  const ServerAnswer html = read(
      Kind::BEGINFLIGHT,
      "<br />\n<b>Warning</b>:  Undefined array key \"DATA3\" in <b>/var/www/action.php</b>"
      " on line <b>12</b><br />\n1|4711");
  EXPECT_EQ(html.cause, ServerAnswer::WEB_PAGE);
  EXPECT_EQ(html.data_id, "");
}

TEST(ServerAnswer, AWebPageIsAnErrorThatNamesTheAddressForEveryKind) {
  for (const Kind kind : kAll) {
    const ServerAnswer a = read(kind, kHtml);
    EXPECT_EQ(a.verdict, ServerAnswer::ERROR) << static_cast<int>(kind);
    EXPECT_EQ(a.cause, ServerAnswer::WEB_PAGE);
    EXPECT_EQ(a.text, "The address [" + kUrl +
                          "] answered with a web page, not with an airline server's answer: "
                          "[<!DOCTYPE html>]");
    EXPECT_EQ(a.data_id, "");
  }
}

// --- empty answers ------------------------------------------------------------------------

TEST(ServerAnswer, AnEmptyMessageAnswerIsASuccess) {
  for (const std::string body : {"", " ", "\r\n"}) {
    const ServerAnswer a = read(Kind::MESSAGE, body);
    EXPECT_EQ(a.verdict, ServerAnswer::SUCCESS);
    EXPECT_TRUE(a.empty);
    EXPECT_EQ(a.text, "");
  }
}

TEST(ServerAnswer, AnEmptyAnswerToTheOtherKindsIsAnErrorWithItsText) {
  const std::vector<std::pair<Kind, std::string>> cases = {
      {Kind::TEST, "No answer from server for the connection test."},
      {Kind::BEGINFLIGHT, "No message from server."},
      {Kind::ENDFLIGHT, "No answer from server for ENDFLIGHT."},
      {Kind::FLIGHTPLAN, "ACARS server did not return anything."},
      {Kind::PIREP, "Server did not return a message."},
  };
  for (const auto& [kind, text] : cases) {
    for (const std::string body : {"", "  \n"}) {
      const ServerAnswer a = read(kind, body);
      EXPECT_EQ(a.verdict, ServerAnswer::ERROR) << text;
      EXPECT_EQ(a.cause, ServerAnswer::EMPTY);
      EXPECT_TRUE(a.empty);
      EXPECT_EQ(a.text, text);
    }
  }
}

// --- the flight plan ------------------------------------------------------------------------

TEST(ServerAnswer, AFlightPlanStartsWithOneBarFlightplan) {
  const ServerAnswer a = read(Kind::FLIGHTPLAN, "1|flightplan\nEDDF\nEGLL\nEGKK\nROUTE\n150\n");
  EXPECT_EQ(a.verdict, ServerAnswer::SUCCESS);
  EXPECT_EQ(a.text, "flightplan\nEDDF\nEGLL\nEGKK\nROUTE\n150\n");
  EXPECT_EQ(read(Kind::FLIGHTPLAN, "1|flightplan\r\nEDDF\r\n").text, "flightplan\r\nEDDF\r\n");
  EXPECT_EQ(read(Kind::FLIGHTPLAN, "1|flightplan").verdict, ServerAnswer::SUCCESS);
}

TEST(ServerAnswer, AFlightPlanWithAnotherFirstLineIsAnError) {
  for (const std::string body : {"1|OK\nEDDF\nEGLL", "1", "1|flightplanX\nEDDF", "1|\nEDDF",
                                 "EDDF\nEGLL"}) {
    const ServerAnswer a = read(Kind::FLIGHTPLAN, body);
    EXPECT_EQ(a.verdict, ServerAnswer::ERROR) << body;
    EXPECT_EQ(a.cause, ServerAnswer::NOT_A_FLIGHT_PLAN) << body;
  }
  EXPECT_EQ(read(Kind::FLIGHTPLAN, "1|OK\nEDDF").text,
            "The answer is not a flight plan (its first line must be \"1|flightplan\"): [1|OK]");
  EXPECT_EQ(read(Kind::FLIGHTPLAN, "0|No such flight").verdict, ServerAnswer::REFUSAL);
}

// --- BEGINFLIGHT's data id -----------------------------------------------------------------

TEST(ServerAnswer, BeginFlightGivesAPlainDataId) {
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|4711|PosRep 0:5 10000:10").data_id, "4711");
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|4711|PosRep 0:5 10000:10").text,
            "4711|PosRep 0:5 10000:10");
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|ab-C_9.x").data_id, "ab-C_9.x");
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|4711\r\n").data_id, "4711");
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "\xEF\xBB\xBF" "1|4711").data_id, "4711");
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|" + std::string(64, '7')).data_id, std::string(64, '7'));
  // No id is the old "no ID received", not an error.
  const ServerAnswer none = read(Kind::BEGINFLIGHT, "1|");
  EXPECT_EQ(none.verdict, ServerAnswer::SUCCESS);
  EXPECT_EQ(none.data_id, "");
}

TEST(ServerAnswer, BeginFlightWithAnythingButAPlainTokenAsIdIsRefusedClearly) {
  for (const std::string& id : std::vector<std::string>{"<html>", "47 11", "47/11", "4711;",
                                                       std::string(65, '7'), "Scrap\xC3\xA9"}) {
    const ServerAnswer a = read(Kind::BEGINFLIGHT, "1|" + id + "|PosRep 0:5");
    EXPECT_EQ(a.verdict, ServerAnswer::ERROR) << id;
    EXPECT_EQ(a.cause, ServerAnswer::BAD_DATA_ID) << id;
    EXPECT_EQ(a.data_id, "") << id;
  }
  EXPECT_EQ(read(Kind::BEGINFLIGHT, "1|<head>").text,
            "BEGINFLIGHT answer without a usable flight id (letters, digits, \"-\", \"_\" and "
            "\".\", at most 64): [1|<head>]");
}

// --- HTTP status -------------------------------------------------------------------------

TEST(ServerAnswer, AStatusOutsideTwoHundredsIsAnErrorWhateverTheBody) {
  const ServerAnswer a = read(Kind::MESSAGE, "1|OK", 404);
  EXPECT_EQ(a.verdict, ServerAnswer::ERROR);
  EXPECT_EQ(a.cause, ServerAnswer::HTTP_STATUS);
  EXPECT_EQ(a.text, "HTTP 404 from [" + kUrl + "]: [1|OK]");
  EXPECT_EQ(read(Kind::PIREP, "", 503).text, "HTTP 503 from [" + kUrl + "]");
  EXPECT_EQ(read(Kind::TEST, "1|OK", 0).verdict, ServerAnswer::SUCCESS);
  EXPECT_EQ(read(Kind::MESSAGE, "", 204).verdict, ServerAnswer::SUCCESS);
}

// --- what is shown --------------------------------------------------------------------------

TEST(ServerAnswer, TheFirstLineIsCutToOneHundredTwentyCharacters) {
  const std::string line(300, 'x');
  EXPECT_EQ(answerFirstLine(line + "\nmore"), std::string(120, 'x'));
  // A two-byte character at the cut is kept whole or left out whole.
  const std::string umlauts = std::string(119, 'a') + "\xC3\xBC\xC3\xBC";
  EXPECT_EQ(answerFirstLine(umlauts), std::string(119, 'a') + "\xC3\xBC");
  EXPECT_EQ(answerFirstLine("a\tb\x1B[31m\r\nsecond"), "a?b?[31m");
  EXPECT_EQ(answerFirstLine("\n\n  first  \nsecond"), "first");
  const ServerAnswer a = read(Kind::PIREP, line);
  EXPECT_EQ(a.text, "Strange message from server: [" + std::string(120, 'x') + "]");
}

TEST(ServerAnswer, ShownAnswersStopAtTwoHundredCharactersAndGiveTheirLength) {
  EXPECT_EQ(shownAnswer("1|OK"), "1|OK");
  const std::string exact(200, 'y');
  EXPECT_EQ(shownAnswer(exact), exact);
  const std::string big = "1|" + std::string(10 * 1024 * 1024 - 2, 'z');
  EXPECT_EQ(shownAnswer(big), "1|" + std::string(198, 'z') + "... [10485760 bytes]");
  const std::string wide = std::string(199, 'a') + "\xE2\x82\xAC\xE2\x82\xAC";  // two euro signs
  EXPECT_EQ(shownAnswer(wide), std::string(199, 'a') + "\xE2\x82\xAC... [205 bytes]");
}

}  // namespace
}  // namespace orvane
