// StatusBoard: status texts, flight-plan and connect-failed texts, PIREP hand-off, live ACARS.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "engine/flight_figures.h"
#include "engine/orvane_base.h"
#include "pirep/PIREPData.h"
#include "records/flighttrack.h"

namespace orvane {

class EngineLog;

// What the engine's threads leave for the window. Every member may be called from any
// thread. The texts and hand-offs are guarded by the lock given at construction
// (ORVANE::MUTEX in the engine, taken after CYCLE_MUTEX when both are held); the live ACARS
// status has a leaf lock of its own, so the send threads never wait for that lock's holders.
class StatusBoard {
 public:
  StatusBoard(std::mutex& lock, EngineLog& log);
  StatusBoard(const StatusBoard&) = delete;
  StatusBoard& operator=(const StatusBoard&) = delete;

  // Restores every member to its start value.
  void reset();

  // ---- Status texts ------------------------------------------------------------------
  // Sets one text and logs prefix + text + "]", both under the lock, so the log keeps the
  // order in which the texts were set.
  void show(std::string SStatusMessage::*field, const char* prefix, const std::string& text);
  SStatusMessage texts() const;
  // The lines of the latest ACARS message's body (between its first " +++ " and the
  // " +++  +++ " after it), one per segment; logs that it was asked.
  std::string acarsMessageLines() const;

  // ---- Texts handed out once ---------------------------------------------------------
  void setConnectFailed(const std::string& text);
  std::string takeConnectFailed();
  void setFlightPlan(const std::string& text);
  std::string takeFlightPlan();

  // ---- The PIREP and the figures of its flight ----------------------------------------
  // The report and the sealed figures of a flight arrive from two threads in either order
  // (the send thread computes the report as soon as the cycle has queued the end of the
  // flight, the cycle seals the figures when it has finished); whichever comes second pairs
  // them.
  // A new flight (its serial) has started: only its threads deliver from now on.
  void flightStarted(std::uint64_t flight);
  void flightSealed(SealedFigures figures);
  // The send thread's report of the flight in progress.
  void reportArrived(const PIREPData& report);
  bool reportAvailable() const;
  // The stored report with the extremes of its own flight once sealed, else `running`
  // (feet per minute given as magnitudes for the descent and landing rates); it stays
  // stored, and reportAvailable turns false.
  PIREPData takeReport(const Extremes& running);
  // The track paired with the stored report; empty when none is.
  FlightTrack reportTrack() const;
  // Once per delivered report: the report with its flight's figures as takeReport gives it,
  // for the outbox; nullopt when there is none or it was handed out for keeping before.
  std::optional<PIREPData> reportToKeep(const Extremes& running);
  // The airline refused the flight in progress: its stored report is no longer offered, and
  // the outcome is ERR with text. Returns that report; nullopt when the flight delivered none
  // (the stored one, if any, is an earlier flight's and stays as it is).
  std::optional<PIREPData> refuseReport(const std::string& text);
  void setOutcome(PIREPState state, const std::string& text);
  // A new send starts: UNKNOWN until it ends (the text of the last outcome stays).
  void clearOutcome();
  PIREPState outcome() const;
  std::string outcomeText() const;

  // ---- Live ACARS delivery ------------------------------------------------------------
  // One post of the send thread ended; the first failure in a row keeps the wall clock's time.
  void postDone(bool ok, const std::string& error);
  LiveACARSStatus liveStatus() const;
  void resetLiveStatus();

 private:
  std::mutex& lock_;
  EngineLog& log_;
  SStatusMessage texts_;              // lock_
  std::string flightPlan_;            // lock_
  std::string connectFailed_;         // lock_
  PIREPData report_;                  // lock_
  bool reportArrived_ = false;        // lock_
  bool reportKept_ = false;           // lock_: report_ was handed out for the outbox
  PIREPState outcome_ = UNKNOWN;      // lock_
  std::string outcomeText_;           // lock_
  std::uint64_t liveFlight_ = 0;      // lock_: the flight whose threads may deliver
  std::uint64_t reportFlight_ = 0;    // lock_: the flight report_ belongs to; 0: none
  SealedFigures sealed_;              // lock_: the last finished flight's, not yet paired
  SealedFigures reportFigures_;       // lock_: reportFlight_'s once paired

  mutable std::mutex liveLock_;
  LiveACARSStatus live_;  // liveLock_
};

}  // namespace orvane
