// Scripted replies of the airline stand-in: the wrong answers real servers give.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

#include "airline/airline_server.h"

namespace orvane::airline {

// A web page with status 200, as a wrong but plausible address (a site's front page, an
// index.php address) gives: "<!DOCTYPE html>" is its first line.
Reply html_page(const std::string& title = "Welcome");

// PHP 8's warnings printed as HTML ahead of the script's own answer, status 200.
Reply php_warning_page(const std::string& answer);

// An answer of exactly bytes bytes, status 200: head, then digits without a line break.
Reply large_answer(std::size_t bytes, const std::string& head = "1|");

// Status 200 and nothing in the body.
Reply empty_answer();

// The kinds of request by their names on the stand-in's command line: "test",
// "beginflight", "message", "pauseflight", "endflight", "flightplan", "pirep"; Other when
// the name is none of them.
Kind kind_named(const std::string& name);

}  // namespace orvane::airline
