// orvane-cli's flight: waiting for the simulator, the tracking loop, and the PIREP report.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <string>

#include "engine/flight_journal.h"
#include "pirep/PIREPData.h"
#include "sim/flightdata.h"

namespace orvane::cli {

class CliArgs;

// Set by the signal handler: the pilot asked to stop.
extern std::atomic<bool> interrupted;

// Downloads the flight plan of data.sCallsign into data; false (after telling the pilot)
// when the airline answered with an error.
bool downloadFlightPlan(SFlightData& data);

// Cycles the engine until the simulator is connected, on the ground with every engine shut
// down; false when the pilot interrupted the wait.
bool waitForSimulator();

// How tracking ended.
enum class TrackingEnd { PIREP, NoPIREP, Slewed };

// Tracks the flight until it ends; with TrackingEnd::PIREP its PIREP is in `pirep`.
TrackingEnd trackFlight(PIREPData& pirep);

// Prints the PIREP, keeps it in the file and, unless --no-send, sends it. The exit code.
int reportPIREP(PIREPData& pirep, const CliArgs& args);

// The pilot stopped with the flight's PIREP made but not sent: prints where it is kept.
// The exit code.
int keepInterruptedPIREP(PIREPData& pirep, const CliArgs& args);

// --send-outbox: sends every PIREP waiting in the outbox, one after the other. 0 when every
// one was accepted (or none waits), 1 otherwise.
int sendOutbox();

// At start: the journal of a flight that was under way when ORVANE last stopped. True, with
// it in journal, when that flight is to go on (the same flight number, or --resume);
// otherwise a journal found is discarded (its record to the log) and false.
bool journalToResume(const CliArgs& args, FlightJournal& journal);
// Takes up the journaled flight on the prepared one; false (told) when it cannot.
bool resumeJournaled(const FlightJournal& journal);

// At the start of a flight: tells the pilot of PIREPs still waiting in the outbox.
void tellWaitingPIREPs();

}  // namespace orvane::cli
