// Helpers shared by the benchmark programs: a scratch folder, the flight plan, bounded waits.
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "sim/flightdata.h"

namespace orvane::bench {

// A scratch folder under the system's temporary folder, removed with its content at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// The flight plan of the stand-in's default scenario: Frankfurt westward to Mainz.
SFlightData scenarioFlightPlan();

// Polls pred every millisecond of real time until it holds or timeout_ms have passed.
bool waitFor(const std::function<bool()>& pred, int timeout_ms = 5000);

// True when the engine's current flight has its BEGINFLIGHT answer (a data id).
bool engineAcarsReady();

}  // namespace orvane::bench
