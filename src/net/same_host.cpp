// same_host: host and port of two addresses compared through libcurl's URL parser.
// SPDX-License-Identifier: MIT
#include "net/same_host.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace orvane {

namespace {

struct UrlFree {
  void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

struct HostPort {
  bool ok = false;
  std::string host;
  std::string port;
};

std::string part(CURLU* u, CURLUPart which, unsigned flags) {
  char* text = nullptr;
  if (curl_url_get(u, which, &text, flags) != CURLUE_OK || text == nullptr) return {};
  std::string out(text);
  curl_free(text);
  return out;
}

HostPort host_port(const std::string& address) {
  std::unique_ptr<CURLU, UrlFree> u(curl_url());
  if (!u || curl_url_set(u.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
  std::string scheme = part(u.get(), CURLUPART_SCHEME, 0);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (scheme != "http" && scheme != "https") return {};
  HostPort hp;
  hp.host = part(u.get(), CURLUPART_HOST, 0);
  std::transform(hp.host.begin(), hp.host.end(), hp.host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  hp.port = part(u.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  hp.ok = !hp.host.empty() && !hp.port.empty();
  return hp;
}

}  // namespace

bool same_host(const std::string& a, const std::string& b) {
  const HostPort x = host_port(a);
  const HostPort y = host_port(b);
  return x.ok && y.ok && x.host == y.host && x.port == y.port;
}

}  // namespace orvane
