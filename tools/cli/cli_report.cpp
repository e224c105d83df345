// orvane-cli's report: the PIREP printed, kept in its file and the outbox, and sent to the airline.
// SPDX-License-Identifier: MIT
#include <algorithm>
#include <iostream>

#include "cli_args.h"
#include "cli_flight.h"
#include "engine/orvane_base.h"
#include "util/atomic_file.h"
#include "util/pilot_folders.h"
#include "util/util.h"

namespace orvane::cli {

namespace {

// Where the report is, checked. Empty when it could not be kept anywhere.
struct Kept {
  bool file = false;    // the --save file (lastpirep.ovp) was written
  OutboxKeep outbox;    // the outbox's copy, written and read back
};

Kept keepReport(PIREPData& pirep, const CliArgs& args) {
  pirep.Online = args.get("--network", "OFFLINE");
  pirep.Comment = args.get("--comment");
  for (const std::string& line : pirep.Generate_PIREP_Text()) std::cout << line << "\n";
  Kept k;
  const std::string file = args.get("--save", pilot_folders().lastPIREPFile());
  try {
    FileWriteError error;
    k.file = write_file_atomically(file, pirep.pack_crypt(), &error);
    if (!k.file) std::cerr << "Cannot access file [" << file << "]\n" << error.reason << "\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
  }
  // With the pilot's comment and network: the copy that goes later is the one he made.
  k.outbox = ORVANE::keepInOutbox(pirep);
  if (!k.outbox.kept) {
    std::cerr << "The PIREP could not be kept in the outbox: " << k.outbox.error << "\n";
  }
  return k;
}

// Tells where the report is; only what was written and checked is named.
void tellKept(const Kept& k, const CliArgs& args) {
  if (k.file) {
    std::cout << "The PIREP is kept in [" << args.get("--save", pilot_folders().lastPIREPFile())
              << "].\n";
  }
  if (k.outbox.kept) {
    std::cout << "The PIREP waits in the outbox [" << k.outbox.path
              << "]; orvane-cli --send-outbox sends it.\n";
  }
  if (!k.file && !k.outbox.kept) std::cout << "The PIREP could not be kept in any file.\n";
}

}  // namespace

int keepInterruptedPIREP(PIREPData& pirep, const CliArgs& args) {
  const Kept k = keepReport(pirep, args);
  ORVANE::finalize();
  std::cout << "Stopped before the PIREP was sent.\n";
  tellKept(k, args);
  return 1;
}

int reportPIREP(PIREPData& pirep, const CliArgs& args) {
  const Kept k = keepReport(pirep, args);
  if (args.has("--no-send")) {
    tellKept(k, args);
    return 0;
  }
  // A report kept nowhere exists only here: it is sent again, each time after a longer
  // pause up to a minute, until the server takes it or the pilot stops.
  const bool keepTrying = !k.file && !k.outbox.kept;
  int pauseSeconds = 5;
  for (;;) {
    ORVANE::SendPIREP(pirep);
    // The transmission runs on a PIREP thread; SendPIREP always ends in SUCCESS or ERR.
    while (ORVANE::getPIREPState() == UNKNOWN) sleep(1);
    if (ORVANE::getPIREPState() == SUCCESS) {
      std::cout << "PIREP SUCCESSFULLY sent.\nThe server returned the following message:\n"
                << ORVANE::getPIREPMessage() << "\n";
      break;
    }
    std::cout << "Sending the PIREP returned an ERROR condition:\n"
              << ORVANE::getPIREPMessage() << "\n";
    // A refused flight's report never goes, however often it is sent.
    if (!keepTrying || interrupted || !ORVANE::getFlightRefusal(pirep).empty()) {
      tellKept(k, args);
      break;
    }
    std::cout << "The PIREP could not be kept in any file: it is sent again in " << pauseSeconds
              << " s (Ctrl-C stops).\n";
    for (int i = 0; i < pauseSeconds && !interrupted; ++i) sleep(1);
    if (interrupted) break;
    pauseSeconds = std::min(pauseSeconds * 2, 60);
  }
  ORVANE::finalize();
  return ORVANE::getPIREPState() == SUCCESS ? 0 : 1;
}

}  // namespace orvane::cli
