// PendingRequests: what SendPIREP and getFlightPlan leave to the cycle when they find it running.
// SPDX-License-Identifier: MIT
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "pirep/PIREPData.h"

namespace orvane {

// Any thread. A later request of a kind replaces an earlier one not yet taken. The lock is a
// leaf: nothing is called while it is held.
class PendingRequests {
 public:
  struct Requests {
    std::optional<PIREPData> pirep;
    std::optional<std::string> flightPlan;  // the flight number asked for
  };

  void leavePIREP(const PIREPData& report);
  void leaveFlightPlan(const std::string& flightNumber);
  std::optional<PIREPData> takePIREP();
  std::optional<std::string> takeFlightPlan();
  // Both at once: what the cycle carries out before it lets CYCLE_MUTEX go.
  Requests takeAll();

 private:
  std::mutex lock_;
  Requests requests_;  // lock_
};

}  // namespace orvane
