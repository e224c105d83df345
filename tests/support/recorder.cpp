// Test recorder of callback texts.
// SPDX-License-Identifier: MIT
#include "support/recorder.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orvane::test {

void Recorder::add(Channel c, const std::string& text) {
  {
    std::lock_guard<std::mutex> g(mutex_);
    texts_[c].push_back(text);
  }
  changed_.notify_all();
}

void Recorder::addPIREP(const PIREPData& p) {
  {
    std::lock_guard<std::mutex> g(mutex_);
    pireps_.push_back(p);
  }
  changed_.notify_all();
}

std::vector<std::string> Recorder::texts(Channel c) const {
  std::lock_guard<std::mutex> g(mutex_);
  auto it = texts_.find(c);
  return it == texts_.end() ? std::vector<std::string>{} : it->second;
}

std::vector<PIREPData> Recorder::pireps() const {
  std::lock_guard<std::mutex> g(mutex_);
  return pireps_;
}

std::size_t Recorder::count(Channel c, const std::string& text) const {
  const auto all = texts(c);
  return static_cast<std::size_t>(std::count(all.begin(), all.end(), text));
}

bool Recorder::contains(Channel c, const std::string& text) const { return count(c, text) > 0; }

bool Recorder::waitUntil(const std::function<bool()>& pred, int timeout_ms) const {
  std::unique_lock<std::mutex> lk(mutex_);
  return changed_.wait_for(lk, std::chrono::milliseconds(timeout_ms), pred);
}

bool Recorder::waitFor(Channel c, const std::string& text, int timeout_ms) const {
  return waitUntil(
      [&] {
        auto it = texts_.find(c);
        return it != texts_.end() &&
               std::find(it->second.begin(), it->second.end(), text) != it->second.end();
      },
      timeout_ms);
}

void Recorder::clear() {
  std::lock_guard<std::mutex> g(mutex_);
  texts_.clear();
  pireps_.clear();
}

Recorder& recorder() {
  static Recorder instance;
  return instance;
}

void onConnectFailed(const std::string& text) { recorder().add(Channel::ConnectFailed, text); }
void onInfo(const std::string& text) { recorder().add(Channel::Info, text); }
void onFlightInfo(const std::string& text) { recorder().add(Channel::FlightInfo, text); }
void onPIREPSuccess(const std::string& text) { recorder().add(Channel::PIREPSuccess, text); }
void onPIREPError(const std::string& text) { recorder().add(Channel::PIREPError, text); }
void onStatus(const std::string& text) { recorder().add(Channel::Status, text); }
void onACARSText(const std::string& text) { recorder().add(Channel::ACARSText, text); }
void onPIREPData(const PIREPData& p) { recorder().addPIREP(p); }

bool eventually(const std::function<bool()>& pred, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace orvane::test
