// orvane-cli's start in its working folder: the folder's lock, the write check, the kept log.
// SPDX-License-Identifier: MIT
#pragma once

#include "cli_args.h"

namespace orvane::cli {

// Chooses the folders of this run (the old way with --workdir DIR, --ini FILE or an
// orvane.ini in the current folder), makes them, sends the log there and makes them the
// ones in use (pilot_folders()). False, after saying why on stderr, when --workdir's folder
// cannot be used.
bool chooseFolders(const CliArgs& args);

// Takes the data folder's lock for the rest of the run. False, after saying why on stderr,
// when another ORVANE (window or orvane-cli) works in the folder: the caller ends at once,
// before it writes anything there. Otherwise says on stderr when the folder cannot be
// written, moves the files of the old layout on a first start in the standard folders,
// keeps the previous run's log as "<log>.1", and answers true.
bool claimWorkingFolder();

// SIGTERM, SIGINT and SIGHUP set `interrupted` (cli_flight.h), so each of them ends the
// flight as the pilot's Ctrl-C does.
void handleQuitSignals();

}  // namespace orvane::cli
