// HttpTransfer: the libcurl easy handle behind every POST to the airline's servers.
// SPDX-License-Identifier: MIT
#include "net/http_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

#include "util/platform.h"

namespace orvane {

namespace {

// Seconds; both the connect and the whole-transfer limit. Read at the start of each post.
std::atomic<long> timeout_seconds{30};

std::once_flag global_init_once;

CURL* curl(void* handle) { return static_cast<CURL*>(handle); }

// Whether a failed transfer may succeed later unchanged: an unreachable or overloaded server
// may come back; a refused request, a bad address or an oversized answer will not.
TransferResult::Failure classify(CURLcode code, long status) {
  switch (code) {
    case CURLE_HTTP_RETURNED_ERROR:
      return status >= 500 ? TransferResult::UNREACHABLE : TransferResult::PERMANENT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_WRITE_ERROR:  // the answer grew past the cap
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_FILESIZE_EXCEEDED:
      return TransferResult::PERMANENT;
    default:
      return TransferResult::UNREACHABLE;
  }
}

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
  std::call_once(global_init_once, [] {
    // With CURLOPT_NOSIGNAL libcurl leaves SIGPIPE alone, and a TLS write to a peer that
    // has gone raises it; ignored, the write fails and the transfer reports it.
    ignoreBrokenPipeSignal();
    curl_global_init(CURL_GLOBAL_DEFAULT);
  });
}

struct HttpTransfer::Progress {
  static int callback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<HttpTransfer*>(self);
    if (t->stop_ == nullptr || !t->stop_->load()) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (!t->stop_noticed_) {
      t->stop_noticed_ = true;
      t->stop_seen_ = now;
      return 0;
    }
    // Non-zero makes libcurl end the transfer with CURLE_ABORTED_BY_CALLBACK.
    return now - t->stop_seen_ > std::chrono::milliseconds(t->stop_grace_ms_) ? 1 : 0;
  }
};

void HttpTransfer::setStopFlag(const std::atomic<bool>* stop, long grace_ms) {
  stop_ = stop;
  stop_grace_ms_ = grace_ms < 0 ? 0 : grace_ms;
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
  // A redirect is reported, not followed (see post).
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  // Called about once a second even while nothing moves, so that a stop is noticed.
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Progress::callback);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  // Certificate verification stays at libcurl's default (on) for https.
#if defined(_WIN32) && defined(CURLSSLOPT_NATIVE_CA)
  // An OpenSSL-based libcurl on Windows has no CA bundle: trust the system's store.
  curl_easy_setopt(h, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_NATIVE_CA));
#endif
  configured_ = true;
}

TransferResult HttpTransfer::post(const std::string& url, const std::string& body) {
  TransferResult result;
  answer_.clear();
  error_[0] = '\0';
  if (handle_ == nullptr) {
    result.failure = TransferResult::PERMANENT;
    return result;
  }
  if (!configured_) applySettings();
  CURL* h = curl(handle_);

  const long timeout = timeoutSeconds();
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, timeout);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, timeout);

  // A refused address must not leave the previous one in place for this post.
  CURLcode code = curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  if (code != CURLE_OK) {
    result.error = curl_easy_strerror(code);
    result.failure = TransferResult::PERMANENT;
    return result;
  }
  stop_noticed_ = false;
  // The size goes first and explicitly, so that every byte of the body is sent, a NUL
  // included; libcurl does not copy the body, which lives until perform returns.
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());

  code = curl_easy_perform(h);
  // Never leave a pointer to the caller's body behind in the handle.
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(0));
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");

  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  result.http_status = status;
  if (code == CURLE_OK && status >= 300 && status < 400) {
    const char* target = nullptr;
    curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &target);
    result.redirect_to = target ? target : "";
    result.error = "Redirect not followed: HTTP " + std::to_string(status) + " to [" +
                   std::string(target ? target : "") + "]; set the new address in the settings";
    result.failure = TransferResult::PERMANENT;
    answer_.clear();
    return result;
  }
  if (code == CURLE_OK) {
    result.ok = true;
    result.answer = std::move(answer_);
    answer_.clear();
    return result;
  }
  result.error = error_;
  answer_.clear();
  result.failure = classify(code, status);
  if (code == CURLE_ABORTED_BY_CALLBACK) result.error = "Transfer given up: the flight is ending";
  return result;
}

}  // namespace orvane
