// ServerAnswer: the strict reading of the airline server's answers and their capped display.
// SPDX-License-Identifier: MIT
#include "acars/server_answer.h"

#include <utility>

#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {

namespace {

constexpr std::size_t kMaxDataIdChars = 64;
const std::string kByteOrderMark = "\xEF\xBB\xBF";

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The longest start of text that holds at most n characters, no UTF-8 character split.
std::size_t characters_end(const std::string& text, std::size_t n) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_continuation(text[i])) continue;
    if (seen == n) return i;
    ++seen;
  }
  return text.size();
}

// The answer without the blanks, line breaks and byte-order marks ahead of it.
std::string without_lead(const std::string& answer) {
  std::size_t at = 0;
  for (;;) {
    if (at < answer.size() && !no_space(answer[at])) {
      ++at;
    } else if (answer.compare(at, kByteOrderMark.size(), kByteOrderMark) == 0) {
      at += kByteOrderMark.size();
    } else {
      return answer.substr(at);
    }
  }
}

bool is_data_id(const std::string& id) {
  if (id.size() > kMaxDataIdChars) return false;
  for (const char c : id) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    if (!plain) return false;
  }
  return true;
}

const char* empty_text(AirlineRequest request) {
  switch (request) {
    case AirlineRequest::TEST:
      return "No answer from server for the connection test.";
    case AirlineRequest::BEGINFLIGHT:
      return "No message from server.";
    case AirlineRequest::ENDFLIGHT:
      return "No answer from server for ENDFLIGHT.";
    case AirlineRequest::FLIGHTPLAN:
      return "ACARS server did not return anything.";
    case AirlineRequest::PIREP:
      return "Server did not return a message.";
    case AirlineRequest::MESSAGE:
      break;
  }
  return "";
}

ServerAnswer error(ServerAnswer::Cause cause, std::string text) {
  ServerAnswer a;
  a.verdict = ServerAnswer::ERROR;
  a.cause = cause;
  a.text = std::move(text);
  return a;
}

// A success answer ("1|..." or "1" alone) of the request.
ServerAnswer success(AirlineRequest request, const std::string& answer) {
  const bool alone = trim(answer) == "1";
  if (request == AirlineRequest::FLIGHTPLAN) {
    const std::string first = answer.substr(0, answer.find('\n'));
    if (alone || trim(first) != "1|flightplan") {
      return error(ServerAnswer::NOT_A_FLIGHT_PLAN,
                   "The answer is not a flight plan (its first line must be \"1|flightplan\"): [" +
                       answerFirstLine(answer) + "]");
    }
  }
  ServerAnswer a;
  a.verdict = ServerAnswer::SUCCESS;
  a.text = alone ? std::string() : answer.substr(2);
  if (request == AirlineRequest::BEGINFLIGHT && !alone) {
    Tokenizer fields("|");
    fields.push_back(answer);
    const std::string id = fields.size() >= 2 ? trim(fields[1]) : std::string();
    if (!is_data_id(id)) {
      return error(ServerAnswer::BAD_DATA_ID,
                   "BEGINFLIGHT answer without a usable flight id (letters, digits, \"-\", "
                   "\"_\" and \".\", at most 64): [" +
                       answerFirstLine(answer) + "]");
    }
    a.data_id = id;
  }
  return a;
}

}  // namespace

ServerAnswer classifyServerAnswer(AirlineRequest request, const std::string& url,
                                  long httpStatus, const std::string& body) {
  if (httpStatus != 0 && (httpStatus < 200 || httpStatus > 299)) {
    std::string text = "HTTP " + std::to_string(httpStatus) + " from [" + url + "]";
    const std::string first = answerFirstLine(body);
    if (!first.empty()) text += ": [" + first + "]";
    return error(ServerAnswer::HTTP_STATUS, text);
  }
  const std::string answer =
      request == AirlineRequest::PIREP ? trim(without_lead(body)) : without_lead(body);
  if (trim(answer).empty()) {
    if (request == AirlineRequest::MESSAGE) {
      ServerAnswer a;
      a.verdict = ServerAnswer::SUCCESS;
      a.empty = true;
      return a;
    }
    ServerAnswer a = error(ServerAnswer::EMPTY, empty_text(request));
    a.empty = true;
    return a;
  }
  if (starts_with(answer, "1|") || trim(answer) == "1") return success(request, answer);
  if (answer[0] == '0') {
    ServerAnswer a;
    a.verdict = ServerAnswer::REFUSAL;
    a.text = answer.size() > 2 ? answer.substr(2) : std::string();
    return a;
  }
  if (answer[0] == '<') {
    return error(ServerAnswer::WEB_PAGE, "The address [" + url +
                                             "] answered with a web page, not with an airline "
                                             "server's answer: [" +
                                             answerFirstLine(answer) + "]");
  }
  if (request == AirlineRequest::FLIGHTPLAN) return success(request, answer);
  return error(ServerAnswer::MALFORMED,
               "Strange message from server: [" + answerFirstLine(answer) + "]");
}

std::string answerFirstLine(const std::string& answer) {
  const std::string text = without_lead(answer);
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && !no_space(line.back())) line.pop_back();
  line.resize(characters_end(line, kAnswerLineChars));
  for (char& c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return line;
}

std::string shownAnswer(const std::string& answer) {
  const std::size_t end = characters_end(answer, kShownAnswerChars);
  if (end == answer.size()) return answer;
  return answer.substr(0, end) + "... [" + std::to_string(answer.size()) + " bytes]";
}

}  // namespace orvane
