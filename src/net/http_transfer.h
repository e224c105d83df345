// HttpTransfer: one libcurl easy handle with its error buffer and answer, for one thread.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

namespace orvane {

// What became of one POST.
struct TransferResult {
  // Why a transfer failed: the server could not be reached for now (no connection, time-out,
  // HTTP 5xx; worth another try later), or the request itself cannot succeed (HTTP 4xx, a
  // redirect, a malformed or unsupported address, an answer over the cap; never retried).
  enum Failure { NONE, UNREACHABLE, PERMANENT };

  bool ok = false;      // false: transfer failure (no connection, time-out, HTTP >= 300)
  Failure failure = NONE;
  long http_status = 0;  // the server's status code, 0 when none was received
  std::string error;    // libcurl's error text on failure (or the redirect's); may be empty
  std::string answer;   // the whole response body on success
  std::string redirect_to;  // a 3xx answer's new address (absolute), empty otherwise
};

class HttpTransfer {
 public:
  // Creates the handle; valid() is false when libcurl cannot create one.
  HttpTransfer();
  ~HttpTransfer();
  HttpTransfer(const HttpTransfer&) = delete;
  HttpTransfer& operator=(const HttpTransfer&) = delete;

  bool valid() const { return handle_ != nullptr; }

  // Longest answer collected, in bytes; a longer one makes the transfer fail.
  static constexpr std::size_t MAX_ANSWER_BYTES = std::size_t{16} * 1024 * 1024;

  // Sets the shared transfer settings: POST, fail on HTTP errors, no signals, time-outs,
  // error buffer and answer collection.
  void applySettings();
  // Posts body to url (settings applied first if that has not happened) and waits for
  // the answer. The body length is given explicitly. Redirects are not followed: the body
  // carries the pilot's password, and the settings file must name the real address, so a
  // 3xx answer is a permanent failure whose text names the new address.
  TransferResult post(const std::string& url, const std::string& body);

  // Once *stop becomes true, a transfer under way (or started later) is given up after
  // grace_ms of real time, like libcurl's own time-outs; null: never given up early. The
  // flag must outlive the handle.
  void setStopFlag(const std::atomic<bool>* stop, long grace_ms);

  // Connect and total time-outs in seconds, for every transfer started afterwards; values
  // below 1 become 1. The product uses 30; tests shorten it. Safe from any thread.
  static void setTimeoutSeconds(long seconds);
  static long timeoutSeconds();

  // Initialises libcurl once for the process and ignores SIGPIPE (an https peer that drops
  // the connection must not end the process); safe to call from any thread, any number of
  // times. The engine calls it at start-up, before any transfer thread exists; each handle
  // calls it again in case a program uses transfers without the engine.
  static void globalInit();

 private:
  struct Progress;  // libcurl's progress callback; gives a stopped transfer up

  void* handle_ = nullptr;  // CURL*
  const std::atomic<bool>* stop_ = nullptr;
  long stop_grace_ms_ = 0;
  // Real time at which this transfer first saw the stop; only touched on the posting thread.
  std::chrono::steady_clock::time_point stop_seen_{};
  bool stop_noticed_ = false;
  bool configured_ = false;
  std::string answer_;
  char error_[256] = {};  // CURL_ERROR_SIZE
};

// libcurl write callback: appends size * count bytes to *answer and returns that count (0,
// which fails the transfer, when the bytes cannot be stored).
std::size_t getHTTPResult(char* data, std::size_t size, std::size_t count, std::string* answer);

}  // namespace orvane
