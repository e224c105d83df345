// orvane-cli's flight journal at start: the journaled flight resumed, or its journal discarded.
// SPDX-License-Identifier: MIT
#include <iostream>

#include "cli_args.h"
#include "cli_flight.h"
#include "engine/orvane_base.h"

namespace orvane::cli {

bool journalToResume(const CliArgs& args, FlightJournal& journal) {
  journal = ORVANE::readFlightJournal();
  if (!journal.exists) return false;
  if (journal.resumable() &&
      (args.has("--resume") || journal.callsign() == args.get("--flight"))) {
    return true;
  }
  if (journal.resumable()) {
    std::cout << "A flight journal of " << journal.callsign() << " (" << journal.phaseWords()
              << ") is discarded: flight " << args.get("--flight")
              << " starts. Its record is in the log.\n";
  } else {
    std::cout << "A flight journal with no flight to go on with is discarded. Its record is in "
                 "the log.\n";
  }
  ORVANE::discardFlightJournal(journal);
  return false;
}

bool resumeJournaled(const FlightJournal& journal) {
  if (!ORVANE::resumeFlight(journal)) {
    std::cerr << "The journaled flight " << journal.callsign() << " could not be resumed.\n";
    return false;
  }
  std::cout << "Resuming " << journal.callsign() << " (" << journal.phaseSince() << ") ...\n";
  return true;
}

}  // namespace orvane::cli
