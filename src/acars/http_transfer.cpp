// HttpTransfer: the libcurl easy handle behind every POST to the airline's servers.
#include "acars/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

#include "acars/ACARS.h"

namespace orvane {

namespace {

// Seconds; both the connect and the whole-transfer limit. Read at the start of each post.
std::atomic<long> timeout_seconds{30};

std::once_flag global_init_once;

CURL* curl(void* handle) { return static_cast<CURL*>(handle); }

// libcurl write callback. Refuses (returns 0, which ends the transfer as failed) once the
// answer would grow past the cap, so that a runaway server cannot exhaust memory.
std::size_t writeAnswer(char* data, std::size_t size, std::size_t count, void* userdata) {
  auto* answer = static_cast<std::string*>(userdata);
  if (answer == nullptr) return 0;
  if (count != 0 && size > std::numeric_limits<std::size_t>::max() / count) return 0;
  const std::size_t bytes = size * count;
  if (bytes > HttpTransfer::MAX_ANSWER_BYTES - std::min(answer->size(),
                                                         HttpTransfer::MAX_ANSWER_BYTES)) {
    return 0;
  }
  return getHTTPResult(data, size, count, answer);
}

}  // namespace

std::size_t getHTTPResult(char* data, std::size_t size, std::size_t count, std::string* answer) {
  if (count != 0 && size > std::numeric_limits<std::size_t>::max() / count) return 0;
  const std::size_t bytes = size * count;
  if (bytes == 0) return 0;
  if (data == nullptr || answer == nullptr) return 0;
  // Called from C: no exception may leave. Returning less than offered makes libcurl fail
  // the transfer instead.
  try {
    answer->append(data, bytes);
  } catch (const std::bad_alloc&) {
    return 0;
  } catch (const std::length_error&) {
    return 0;
  }
  return bytes;
}

void HttpTransfer::globalInit() {
  std::call_once(global_init_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void HttpTransfer::setTimeoutSeconds(long seconds) {
  timeout_seconds.store(seconds > 0 ? seconds : 1);
}

long HttpTransfer::timeoutSeconds() { return timeout_seconds.load(); }

HttpTransfer::HttpTransfer() {
  static_assert(sizeof(error_) >= CURL_ERROR_SIZE, "libcurl needs a larger error buffer");
  globalInit();
  handle_ = curl_easy_init();
}

HttpTransfer::~HttpTransfer() {
  if (handle_ != nullptr) curl_easy_cleanup(curl(handle_));
}

void HttpTransfer::applySettings() {
  if (handle_ == nullptr) return;
  CURL* h = curl(handle_);
  curl_easy_setopt(h, CURLOPT_POST, 1L);
  curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  // The transfers run on background threads; libcurl must not raise or catch signals.
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  // Set again by every post, so that a changed setting reaches the next transfer.
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeoutSeconds());
  curl_easy_setopt(h, CURLOPT_TIMEOUT, timeoutSeconds());
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &writeAnswer);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &answer_);
  // Only the web protocols: a settings file with a file:// or other address must not make
  // the client read local files or speak anything else.
#if LIBCURL_VERSION_NUM >= 0x075500
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
  curl_easy_setopt(h, CURLOPT_PROTOCOLS, static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS,
                   static_cast<long>(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
  // Certificate verification stays at libcurl's default (on) for https.
  configured_ = true;
}

TransferResult HttpTransfer::post(const std::string& url, const std::string& body) {
  TransferResult result;
  answer_.clear();
  error_[0] = '\0';
  if (handle_ == nullptr) return result;
  if (!configured_) applySettings();
  CURL* h = curl(handle_);

  const long timeout = timeoutSeconds();
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, timeout);

  // A refused address must not leave the previous one in place for this post.
  CURLcode code = curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  if (code != CURLE_OK) {
    result.error = curl_easy_strerror(code);
    return result;
  }
  // The size goes first and explicitly, so that every byte of the body is sent, a NUL
  // included; libcurl does not copy the body, which lives until perform returns.
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());

  code = curl_easy_perform(h);
  // Never leave a pointer to the caller's body behind in the handle.
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");

  if (code == CURLE_OK) {
    result.ok = true;
    result.answer = std::move(answer_);
    answer_.clear();
  } else {
    result.error = error_;
    answer_.clear();
  }
  return result;
}

}  // namespace orvane
