// orvane-cli's working folder: one ORVANE per folder, the write check, the previous log kept.
// SPDX-License-Identifier: MIT
#include "cli_folder.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli_flight.h"
#include "engine/orvane_base.h"
#include "util/pilot_folders.h"
#include "util/working_folder.h"

namespace orvane::cli {

namespace {
void onSignal(int) { interrupted = true; }
}  // namespace

bool chooseFolders(const CliArgs& args) {
  const bool workdir = args.has("--workdir");
  if (workdir) {
    std::error_code ec;
    std::filesystem::current_path(args.get("--workdir"), ec);
    if (ec) {
      std::cerr << "orvane-cli: cannot work in '" << args.get("--workdir")
                << "': no such folder, or not allowed.\n";
      return false;
    }
  }
  // An explicit settings file keeps the old way: the log and the PIREP file in the current
  // folder, the journal and the outbox beside the settings file.
  const PilotFolders folders = choose_pilot_folders(workdir || args.has("--ini"),
                                                    native_folder_rules(), process_environment());
  std::string problem;
  if (!make_pilot_folders(folders, &problem)) {
    std::cerr << "orvane-cli: a folder for its files cannot be made: " << problem << "\n";
  }
  use_pilot_folders(folders);
  ORVANE::setLogFilePath(folders.logFile());
  return true;
}

bool claimWorkingFolder() {
  const PilotFolders folders = pilot_folders();
  // Held until the process ends; the system lets go of it however that happens.
  static WorkingFolderLock lock(folders.data);
  if (lock.taken()) {
    std::cerr << "orvane-cli: " << lock.message() << "\n";
    return false;
  }
  std::string problem;
  if (!check_folder_writable(folders.data, &problem)) {
    std::cerr << "orvane-cli: " << problem << "\n";
  }
  if (!lock.held()) return true;
  const std::string log = ORVANE::getLogFilePath();
  if (!keep_previous_log(log)) {
    std::cerr << "orvane-cli: the log of the previous run [" << log
              << "] could not be kept; it is written anew.\n";
  }
  const std::vector<std::string> moved =
      move_old_layout(old_layout_folder(native_folder_rules(), process_environment()), folders);
  for (const std::string& line : moved) {
    std::cerr << "orvane-cli: " << line << "\n";
    ORVANE::Log(line);
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
