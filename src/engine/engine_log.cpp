// EngineLog: opening, reopening and writing the engine's log file.
#include "engine/engine_log.h"

#include <ctime>

#include "util/clock.h"
#include "util/util.h"

namespace orvane {

namespace {

// Local time in the 24-character layout of ctime, without its line feed.
std::string ctimeNow() {
  const std::time_t t = clock().now();
  std::tm tm{};
  if (!local_parts(t, tm)) return std::string(24, '?');
  char buf[64];
  // %d and a blank for its leading zero: Windows' C library has no %e.
  const std::size_t n = std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Y", &tm);
  if (n > 8 && buf[8] == '0') buf[8] = ' ';
  return std::string(buf, n);
}

}  // namespace

void EngineLog::write(const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  if (!file_.is_open() || !file_.good()) {
    file_.close();
    file_.clear();
    // Only the first opening of a run starts the file afresh; reopening after a failed
    // write appends, so the lines written before the failure stay.
    file_.open(path_, std::ios::out | (started_ ? std::ios::app : std::ios::trunc));
    if (!file_.is_open()) return;
    started_ = true;
  }
  file_ << ctimeNow() << ": " << text << '\n';
  file_.flush();
}

void EngineLog::setPath(const std::string& path) {
  std::lock_guard<std::mutex> g(lock_);
  if (path != path_) started_ = false;
  path_ = path;
  file_.close();
  file_.clear();
}

std::string EngineLog::path() const {
  std::lock_guard<std::mutex> g(lock_);
  return path_;
}

}  // namespace orvane
