// ServerAnswer: what an airline server's answer to one request means, and how it is shown.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// The requests ORVANE posts to the airline's scripts. A pause report ("PAUSEFLIGHT") is
// answered like a MESSAGE.
enum class AirlineRequest { TEST, BEGINFLIGHT, MESSAGE, ENDFLIGHT, FLIGHTPLAN, PIREP };

struct ServerAnswer {
  // SUCCESS: "1|..." or "1" alone (a MESSAGE also when empty). REFUSAL: the server said no,
  // "0" and a separator before its reason. ERROR: anything else; never a success.
  enum Verdict { SUCCESS, REFUSAL, ERROR };
  // Why an answer is an error; NONE for a success or a refusal.
  enum Cause {
    NONE,
    EMPTY,              // nothing, or only blanks, came back
    WEB_PAGE,           // an HTML page: the address is not the airline's script
    MALFORMED,          // neither "1|", "1" nor "0"
    NOT_A_FLIGHT_PLAN,  // a flight-plan answer whose first line is not "1|flightplan"
    BAD_DATA_ID,        // a BEGINFLIGHT success whose data id is not a plain token
    HTTP_STATUS,        // an HTTP status outside 200..299
  };

  Verdict verdict = ERROR;
  Cause cause = NONE;
  // SUCCESS: the server's text after "1|" (empty for "1" alone; for a flight plan its
  // lines, "flightplan" first). REFUSAL: the server's reason, after "0" and its separator.
  // ERROR: the text for the log and the pilot; see classifyServerAnswer. The server's
  // texts are whole here: show them through shownAnswer.
  std::string text;
  // BEGINFLIGHT success: the flight's data id, empty when the server gave none.
  std::string data_id;
  // Nothing, or only blanks, came back (a MESSAGE's success, or an EMPTY error).
  bool empty = false;
};

// Reads the answer body that url gave to request with the HTTP status (0 when not known;
// then the body alone decides).
//
// Blanks, line breaks and a UTF-8 byte-order mark ahead of the answer are passed over. The
// PIREP answer is trimmed at both ends first, as it always was. Then:
// - "1|..." or "1" alone is a SUCCESS. A flight plan's first line must be "1|flightplan"
//   (a carriage return or blanks after it are allowed), or it is NOT_A_FLIGHT_PLAN. A
//   BEGINFLIGHT's data id, the second "|" field with its blanks trimmed, is empty or letters,
//   digits, "-", "_" and "." up to 64 characters, or it is BAD_DATA_ID.
// - A first character "0" is a REFUSAL whose text is the answer from its third character on.
// - An answer with nothing in it is a MESSAGE's SUCCESS and an EMPTY error of the others,
//   with the text each always had: TEST "No answer from server for the connection test.",
//   BEGINFLIGHT "No message from server.", ENDFLIGHT "No answer from server for ENDFLIGHT.",
//   FLIGHTPLAN "ACARS server did not return anything.", PIREP "Server did not return a
//   message.".
// - An answer that starts with "<" is a WEB_PAGE: "The address [" + url + "] answered with a
//   web page, not with an airline server's answer: [" + first line + "]".
// - Anything else is MALFORMED: "Strange message from server: [" + first line + "]".
// - An HTTP status outside 200..299 is HTTP_STATUS whatever the body says: "HTTP " + status
//   + " from [" + url + "]", followed by ": [" + first line + "]" when the body has one.
// First line: see answerFirstLine.
ServerAnswer classifyServerAnswer(AirlineRequest request, const std::string& url,
                                  long httpStatus, const std::string& body);

// Characters of an answer's first line that an error text shows.
constexpr std::size_t kAnswerLineChars = 120;
// Characters of an answer that the log, the console and the boxes show.
constexpr std::size_t kShownAnswerChars = 200;

// The first line of the answer (blanks, line breaks and a byte-order mark ahead of it passed
// over), without its line break and trailing blanks, every other control character as "?",
// cut to kAnswerLineChars characters (UTF-8 characters are never split).
std::string answerFirstLine(const std::string& answer);

// The answer as it may be shown: unchanged up to kShownAnswerChars characters; a longer one
// is cut there (UTF-8 characters are never split) and followed by "... [" + its length in
// bytes + " bytes]".
std::string shownAnswer(const std::string& answer);

}  // namespace orvane
