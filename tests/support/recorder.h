// Records what the ACARS and engine callbacks receive, for tests; safe from any thread.
// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "pirep/PIREPData.h"

namespace orvane::test {

enum class Channel { ConnectFailed, Info, FlightInfo, PIREPSuccess, PIREPError, Status, ACARSText };

class Recorder {
 public:
  void add(Channel c, const std::string& text);
  void addPIREP(const PIREPData& p);
  std::vector<std::string> texts(Channel c) const;
  std::vector<PIREPData> pireps() const;
  bool contains(Channel c, const std::string& text) const;
  std::size_t count(Channel c, const std::string& text) const;
  // Waits (real time, bounded) until pred() holds; pred runs under the recorder's lock.
  bool waitUntil(const std::function<bool()>& pred, int timeout_ms = 5000) const;
  bool waitFor(Channel c, const std::string& text, int timeout_ms = 5000) const;
  void clear();

 private:
  mutable std::mutex mutex_;  // guards texts_ and pireps_
  mutable std::condition_variable changed_;
  std::map<Channel, std::vector<std::string>> texts_;
  std::vector<PIREPData> pireps_;
};

Recorder& recorder();

// Plain function callbacks that feed recorder().
void onConnectFailed(const std::string& text);
void onInfo(const std::string& text);
void onFlightInfo(const std::string& text);
void onPIREPSuccess(const std::string& text);
void onPIREPError(const std::string& text);
void onStatus(const std::string& text);
void onACARSText(const std::string& text);
void onPIREPData(const PIREPData& p);

// Waits (real time, bounded) until pred() holds, polling every millisecond.
bool eventually(const std::function<bool()>& pred, int timeout_ms = 5000);

}  // namespace orvane::test
