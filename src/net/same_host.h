// same_host: whether two addresses name the same server (scheme aside), by libcurl's parser.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane {

// True when both are absolute http(s) addresses whose host (compared without case) and
// port (the scheme's default when none is given) are the same. An address libcurl cannot
// parse is never the same host.
bool same_host(const std::string& a, const std::string& b);

}  // namespace orvane
