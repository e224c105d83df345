// Scripted answers of the airline server on 127.0.0.1 that several test fixtures give alike.
// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "airline/airline_server.h"

namespace orvane::test {

// The server answers the begin-of-flight record with reply; every other request gets its
// path's default.
inline void answer_begin_flight(airline::AirlineServer& server, airline::Reply reply) {
  server.set_handler([reply](const airline::Request& r) -> std::optional<airline::Reply> {
    if (r.body.find("&DATA2=BEGINFLIGHT&") != std::string::npos) return reply;
    return std::nullopt;
  });
}

}  // namespace orvane::test
