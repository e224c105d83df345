// EngineLog: opening, reopening and writing the engine's log file.
// SPDX-License-Identifier: MIT
#include "engine/engine_log.h"

#include <ctime>
#include <filesystem>
#include <system_error>

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
  current_.insert(text);
  if (previous_.count(text) != 0) {
    ++leftOut_;
    return;
  }
  if (leftOut_ > 0) {
    emit("(" + std::to_string(leftOut_) + " lines as in the pass before left out)");
    leftOut_ = 0;
  }
  emit(text);
}

void EngineLog::beginPass() {
  std::lock_guard<std::mutex> g(lock_);
  previous_ = std::move(current_);
  current_.clear();
}

void EngineLog::emit(const std::string& text) {
  if (!file_.is_open() || !file_.good()) {
    file_.close();
    file_.clear();
    // Only the first opening of a run starts the file afresh; reopening after a failed
    // write appends, so the lines written before the failure stay.
    file_.open(path_, std::ios::out | (started_ ? std::ios::app : std::ios::trunc));
    if (!file_.is_open()) return;
    started_ = true;
    file_.seekp(0, std::ios::end);
    const auto at = file_.tellp();
    size_ = at > 0 ? static_cast<std::uint64_t>(at) : 0;
  }
  const std::string line = ctimeNow() + ": " + text + '\n';
  if (size_ > 0 && size_ + line.size() > sizeCap_) {
    // A long flight's log keeps its last megabytes: the full file becomes the ".1" one.
    file_.close();
    std::error_code ec;
    std::filesystem::rename(path_, path_ + ".1", ec);
    file_.clear();
    file_.open(path_, std::ios::out | std::ios::trunc);
    size_ = 0;
    if (!file_.is_open()) return;
  }
  file_ << line;
  file_.flush();
  size_ += line.size();
}

void EngineLog::setSizeCap(std::uint64_t bytes) {
  std::lock_guard<std::mutex> g(lock_);
  sizeCap_ = bytes;
}

void EngineLog::setPath(const std::string& path) {
  std::lock_guard<std::mutex> g(lock_);
  if (path != path_) started_ = false;
  previous_.clear();
  current_.clear();
  leftOut_ = 0;
  path_ = path;
  file_.close();
  file_.clear();
}

std::string EngineLog::path() const {
  std::lock_guard<std::mutex> g(lock_);
  return path_;
}

}  // namespace orvane
