// PendingRequests: leaving requests for the cycle and taking them.
// SPDX-License-Identifier: MIT
#include "engine/pending_requests.h"

#include <utility>

namespace orvane {

void PendingRequests::leavePIREP(const PIREPData& report) {
  std::lock_guard<std::mutex> g(lock_);
  requests_.pirep = report;
}

void PendingRequests::leaveFlightPlan(const std::string& flightNumber) {
  std::lock_guard<std::mutex> g(lock_);
  requests_.flightPlan = flightNumber;
}

std::optional<PIREPData> PendingRequests::takePIREP() {
  std::lock_guard<std::mutex> g(lock_);
  return std::exchange(requests_.pirep, std::nullopt);
}

std::optional<std::string> PendingRequests::takeFlightPlan() {
  std::lock_guard<std::mutex> g(lock_);
  return std::exchange(requests_.flightPlan, std::nullopt);
}

PendingRequests::Requests PendingRequests::takeAll() {
  std::lock_guard<std::mutex> g(lock_);
  return std::exchange(requests_, Requests{});
}

}  // namespace orvane
