// Helpers shared by the benchmark programs.
// SPDX-License-Identifier: MIT
#include "bench_support.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "acars/ACARS.h"
#include "engine/orvane_base.h"
#include "tracking/flightstate.h"

namespace orvane::bench {

ScratchDir::ScratchDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

SFlightData scenarioFlightPlan() {
  SFlightData d;
  d.sCallsign = "ORV101";
  d.sAircraft = "A320";
  d.sAirline = "ORV";
  d.sRoute = "TABUM T180 DIRECT";
  d.sDeparture = "EDDF";
  d.sArrival = "EDFZ";
  d.sAlternate = "EDFE";
  d.sAltitude = "8000";
  d.sPassengers = "150";
  d.sCargo = "2200";
  d.sRules = "IFR";
  return d;
}

bool waitFor(const std::function<bool()>& pred, int timeout_ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool engineAcarsReady() {
  std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
  FlightState* f = ORVANE::currentFlight();
  return f && f->acars() && f->acars()->ACARS_Ready();
}

}  // namespace orvane::bench
