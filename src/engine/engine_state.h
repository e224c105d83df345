// EngineState: the one engine behind the ORVANE facade, its rooms each beside their lock.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <mutex>

#include "engine/clock_jump.h"
#include "engine/engine_log.h"
#include "engine/engine_options.h"
#include "engine/flight_figures.h"
#include "engine/journal_keeper.h"
#include "engine/orvane_base.h"
#include "engine/outbox_keeper.h"
#include "engine/pending_requests.h"
#include "engine/status_board.h"
#include "sim/flightdata.h"

namespace orvane {

class ACARS;
class FlightState;

// For the engine's own source files; other layers go through the facade.
struct EngineState {
  // ---- Set by the program (and tests), kept through InitMembers ----------------------
  EngineLog log;  // a lock of its own
  std::atomic<ORVANE::FlightDataFactory> sourceFactory{nullptr};

  // ---- Under ORVANE::CYCLE_MUTEX: the flight in progress and what the cycle gathers ----
  FlightState* flight = nullptr;  // CYCLE_MUTEX
  bool initialized = false;       // CYCLE_MUTEX
  FlightFigures figures;          // CYCLE_MUTEX
  JournalKeeper journal;          // CYCLE_MUTEX: the flight journal's file
  // Sends a PIREP when no flight can carry it (none prepared, or one without its ACARS
  // object): its PIREP thread only. Owned; CYCLE_MUTEX.
  ACARS* courier = nullptr;
  // The data source: created under CYCLE_MUTEX by the worker when it prepares the first
  // flight (and deleted only by InitMembers); the window's questions load it from any thread.
  std::atomic<FlightData*> source{nullptr};
  // The simulator has reported a crash since the flight was prepared; any thread.
  std::atomic<bool> crashed{false};
  // What the last cycle published; before there is a data source: not connected, on the
  // ground, no engine running, neither slewing nor crashed. Any thread.
  SimStatus published() const;

  // ---- Under holdMutex, a leaf lock: what the last cycle said of the flight's holds ----
  mutable std::mutex holdMutex;
  FlightHold hold;  // holdMutex

  // ---- Under ORVANE::MUTEX (and a leaf lock for the live ACARS status) ----------------
  StatusBoard board{ORVANE::MUTEX, log};

  // ---- Each under a leaf lock of its own -----------------------------------------------
  PendingRequests pending;
  ClockJump clockJump;
  EngineOptions options;
  OutboxKeeper outbox;
};

EngineState& engine();

}  // namespace orvane
