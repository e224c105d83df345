// Scripted replies of the airline stand-in: web pages, PHP warnings, huge and empty answers.
// SPDX-License-Identifier: MIT
#include "airline/replies.h"

#include <utility>

namespace orvane::airline {

Reply html_page(const std::string& title) {
  Reply reply{200,
              "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                  title + "</title>\n</head>\n<body>\n<h1>" + title +
                  "</h1>\n<p>This is the airline's web site.</p>\n</body>\n</html>\n"};
  reply.content_type = "text/html; charset=UTF-8";
  return reply;
}

Reply php_warning_page(const std::string& answer) {
  Reply reply{200,
              "<br />\n<b>Warning</b>:  Undefined array key \"DATA3\" in "
              "<b>/var/www/html/action.php</b> on line <b>42</b><br />\n" +
                  answer};
  reply.content_type = "text/html; charset=UTF-8";
  return reply;
}

Reply large_answer(std::size_t bytes, const std::string& head) {
  std::string body = head.substr(0, bytes);
  body.reserve(bytes);
  while (body.size() < bytes) body += static_cast<char>('0' + body.size() % 10);
  return Reply{200, std::move(body)};
}

Reply empty_answer() { return Reply{200, ""}; }

Kind kind_named(const std::string& name) {
  if (name == "test") return Kind::Test;
  if (name == "beginflight") return Kind::BeginFlight;
  if (name == "message") return Kind::Message;
  if (name == "pauseflight") return Kind::PauseFlight;
  if (name == "endflight") return Kind::EndFlight;
  if (name == "flightplan") return Kind::FlightPlan;
  if (name == "pirep") return Kind::Pirep;
  return Kind::Other;
}

}  // namespace orvane::airline
