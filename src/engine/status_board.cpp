// StatusBoard: setting and handing out the engine's status texts, PIREP and live ACARS status.
// SPDX-License-Identifier: MIT
#include "engine/status_board.h"

#include <cstdlib>
#include <utility>

#include "engine/engine_log.h"
#include "util/clock.h"
#include "util/util.h"

namespace orvane {

StatusBoard::StatusBoard(std::mutex& lock, EngineLog& log) : lock_(lock), log_(log) {}

void StatusBoard::reset() {
  {
    std::lock_guard<std::mutex> g(lock_);
    texts_ = SStatusMessage{};
    flightPlan_.clear();
    connectFailed_.clear();
    report_ = PIREPData{};
    reportArrived_ = false;
    reportKept_ = false;
    outcome_ = UNKNOWN;
    outcomeText_.clear();
    liveFlight_ = reportFlight_ = 0;
    sealed_ = SealedFigures{};
    reportFigures_ = SealedFigures{};
  }
  resetLiveStatus();
}

// ---- Status texts ---------------------------------------------------------------------------

void StatusBoard::show(std::string SStatusMessage::*field, const char* prefix,
                       const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  texts_.*field = text;
  log_.write(prefix + text + "]");
}

SStatusMessage StatusBoard::texts() const {
  std::lock_guard<std::mutex> g(lock_);
  return texts_;
}

std::string StatusBoard::acarsMessageLines() const {
  std::lock_guard<std::mutex> g(lock_);
  const std::string& m = texts_.ACARS_message;
  static const std::string sep = " +++ ";
  static const std::string end = " +++  +++ ";
  std::string result;
  const std::size_t p = m.find(sep);
  if (p != std::string::npos && p + sep.size() < m.size()) {
    const std::size_t bodyStart = p + sep.size();
    const std::size_t e = m.find(end, p);
    const std::size_t bodyEnd = e == std::string::npos ? m.size() : e;
    std::string body = bodyEnd > bodyStart ? m.substr(bodyStart, bodyEnd - bodyStart) : "";
    std::size_t from = 0;
    while (from <= body.size()) {
      const std::size_t at = body.find(sep, from);
      const std::string segment =
          body.substr(from, at == std::string::npos ? std::string::npos : at - from);
      if (at == std::string::npos && from == body.size() && from != 0) break;  // trailing sep
      if (!result.empty()) result += '\n';
      result += segment;
      if (at == std::string::npos) break;
      from = at + sep.size();
    }
  }
  log_.write("Returning ACARS Message.");
  return result;
}

// ---- Texts handed out once ------------------------------------------------------------------

void StatusBoard::setConnectFailed(const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  connectFailed_ = text;
}

std::string StatusBoard::takeConnectFailed() {
  std::lock_guard<std::mutex> g(lock_);
  std::string text;
  text.swap(connectFailed_);
  return text;
}

void StatusBoard::setFlightPlan(const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  flightPlan_ = text;
}

std::string StatusBoard::takeFlightPlan() {
  std::lock_guard<std::mutex> g(lock_);
  std::string text;
  text.swap(flightPlan_);
  return text;
}

// ---- The PIREP and the figures of its flight --------------------------------------------------

void StatusBoard::flightStarted(std::uint64_t flight) {
  std::lock_guard<std::mutex> g(lock_);
  liveFlight_ = flight;
}

void StatusBoard::flightSealed(SealedFigures figures) {
  std::lock_guard<std::mutex> g(lock_);
  if (reportFlight_ == figures.flight) {
    reportFigures_ = std::move(figures);
  } else {
    sealed_ = std::move(figures);
  }
}

void StatusBoard::reportArrived(const PIREPData& report) {
  std::lock_guard<std::mutex> g(lock_);
  report_ = report;
  reportArrived_ = true;
  reportKept_ = false;
  // Only the flight in progress has threads that deliver: the report is liveFlight_'s.
  reportFlight_ = liveFlight_;
  if (sealed_.flight == liveFlight_) {
    reportFigures_ = std::move(sealed_);
    sealed_ = SealedFigures{};
  }
}

bool StatusBoard::reportAvailable() const {
  std::lock_guard<std::mutex> g(lock_);
  return reportArrived_;
}

namespace {

// The report with the extremes x, feet per minute as magnitudes for the descent rates.
void withExtremes(PIREPData& report, const Extremes& x) {
  report.MaxROC = to_str(x.maxRate);
  report.MaxROD = to_str(std::llabs(static_cast<long long>(x.minRate)));
  report.MaxIAS = to_str(x.maxIas);
  report.MaxGS = to_str(x.maxGs);
  report.VSLand = to_str(std::llabs(static_cast<long long>(x.landingVSpeed)));
}

}  // namespace

std::optional<PIREPData> StatusBoard::reportToKeep(const Extremes& running) {
  std::lock_guard<std::mutex> g(lock_);
  if (!reportArrived_ || reportKept_) return std::nullopt;
  reportKept_ = true;
  Extremes x = running;
  if (reportFlight_ != 0 && reportFigures_.flight == reportFlight_) x = reportFigures_.extremes;
  PIREPData r = report_;
  withExtremes(r, x);
  return r;
}

std::optional<PIREPData> StatusBoard::refuseReport(const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  if (reportFlight_ == 0 || reportFlight_ != liveFlight_) return std::nullopt;
  reportArrived_ = false;
  outcomeText_ = text;
  outcome_ = ERR;
  return report_;
}

PIREPData StatusBoard::takeReport(const Extremes& running) {
  std::lock_guard<std::mutex> g(lock_);
  Extremes x = running;
  // A delivered report gets the figures of its own flight, whatever runs now.
  if (reportFlight_ != 0 && reportFigures_.flight == reportFlight_) x = reportFigures_.extremes;
  reportArrived_ = false;
  withExtremes(report_, x);
  return report_;
}

FlightTrack StatusBoard::reportTrack() const {
  std::lock_guard<std::mutex> g(lock_);
  if (reportFlight_ != 0 && reportFigures_.flight == reportFlight_) return reportFigures_.track;
  return FlightTrack{};
}

void StatusBoard::setOutcome(PIREPState state, const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  outcomeText_ = text;
  outcome_ = state;
}

void StatusBoard::clearOutcome() {
  std::lock_guard<std::mutex> g(lock_);
  outcome_ = UNKNOWN;
}

PIREPState StatusBoard::outcome() const {
  std::lock_guard<std::mutex> g(lock_);
  return outcome_;
}

std::string StatusBoard::outcomeText() const {
  std::lock_guard<std::mutex> g(lock_);
  return outcomeText_;
}

// ---- Live ACARS delivery ------------------------------------------------------------------------

void StatusBoard::postDone(bool ok, const std::string& error) {
  std::lock_guard<std::mutex> g(liveLock_);
  live_.anyPostYet = true;
  live_.lastPostOk = ok;
  if (ok) {
    live_.failingSince = 0;
  } else {
    if (live_.failingSince == 0) live_.failingSince = clock().now();
    live_.lastError = error;
  }
}

LiveACARSStatus StatusBoard::liveStatus() const {
  std::lock_guard<std::mutex> g(liveLock_);
  return live_;
}

void StatusBoard::resetLiveStatus() {
  std::lock_guard<std::mutex> g(liveLock_);
  live_ = LiveACARSStatus{};
}

}  // namespace orvane
