// HttpTransfer: one libcurl easy handle with its error buffer and answer, for one thread.
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

// What became of one POST.
struct TransferResult {
  bool ok = false;      // false: transfer failure (no connection, time-out, HTTP >= 400)
  std::string error;    // libcurl's error text on failure; may be empty
  std::string answer;   // the whole response body on success
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
  // the answer. The body length is given explicitly.
  TransferResult post(const std::string& url, const std::string& body);

  // Connect and total time-outs in seconds, for every transfer started afterwards; values
  // below 1 become 1. The product uses 30; tests shorten it. Safe from any thread.
  static void setTimeoutSeconds(long seconds);
  static long timeoutSeconds();

  // Initialises libcurl once for the process; safe to call from any thread, any number of
  // times. Called before the first handle is created.
  static void globalInit();

 private:
  void* handle_ = nullptr;  // CURL*
  bool configured_ = false;
  std::string answer_;
  char error_[256] = {};  // CURL_ERROR_SIZE
};

}  // namespace orvane
