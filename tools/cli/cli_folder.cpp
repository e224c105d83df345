// orvane-cli's working folder: one ORVANE per folder, the write check, the previous log kept.
// SPDX-License-Identifier: MIT
#include "cli_folder.h"

#include <csignal>
#include <iostream>

#include "cli_flight.h"
#include "engine/orvane_base.h"
#include "util/working_folder.h"

namespace orvane::cli {

namespace {
void onSignal(int) { interrupted = true; }
}  // namespace

bool claimWorkingFolder() {
  // Held until the process ends; the system lets go of it however that happens.
  static WorkingFolderLock lock(".");
  if (lock.taken()) {
    std::cerr << "orvane-cli: " << lock.message() << "\n";
    return false;
  }
  std::string problem;
  if (!check_folder_writable(".", &problem)) std::cerr << "orvane-cli: " << problem << "\n";
  const std::string log = ORVANE::getLogFilePath();
  if (lock.held() && !keep_previous_log(log)) {
    std::cerr << "orvane-cli: the log of the previous run [" << log
              << "] could not be kept; it is written anew.\n";
  }
  return true;
}

void handleQuitSignals() {
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);
#ifdef SIGHUP
  std::signal(SIGHUP, onSignal);
#endif
}

}  // namespace orvane::cli
