// orvane-cli's command line: the usage text, parsing and the flight data options.
// SPDX-License-Identifier: MIT
#include "cli_args.h"

#include <iostream>
#include <optional>

#include "util/pilot_folders.h"
#include "util/util.h"

namespace orvane::cli {

void printUsage() {
  std::cout <<
      "usage: orvane-cli [options]\n"
      "Tracks one flight with ORVANE: reads the simulator through FSUIPC, reports every phase\n"
      "to the airline and sends the PIREP at the end. Settings come from the settings file.\n"
      "  --ini FILE          settings file (default: orvane.ini in the configuration folder);\n"
      "                      the log and the PIREP file then stay in the current folder, the\n"
      "                      journal and the outbox beside FILE\n"
      "  --workdir DIR       keep every file in DIR (settings, log, journal, outbox, PIREP)\n"
      "  --flight NO         flight number (required)\n"
      "  --from ICAO --to ICAO --alternate ICAO --aircraft TYPE   (required unless downloaded)\n"
      "  --airline ICAO --route TEXT --altitude ALT --pax N --cargo LBS --rules IFR|VFR\n"
      "  --get-flightplan    download the flight data from the airline first\n"
      "  --network NAME      online network for the PIREP (default OFFLINE)\n"
      "  --comment TEXT      PIREP comment\n"
      "  --save FILE         where to keep the PIREP (default lastpirep.ovp in the data folder)\n"
      "  --no-send           keep the PIREP in the file without sending it\n"
      "  --resume            go on with the flight journaled when ORVANE last stopped, whatever\n"
      "                      its flight number (that of --flight resumes by itself)\n"
      "  --send-outbox       send the PIREPs waiting in the outbox (in the data folder)\n"
      "                      and end; the exit status is 0 only when every one was accepted\n"
      "  --fsuipc-dir DIR    folder of the simulator link's sockets (stand-in use)\n";
  const std::optional<PilotFolders> standard =
      standard_folders(native_folder_rules(), process_environment());
  if (standard) {
    std::cout << "Settings: " << standard->settingsFile() << "\nLog: " << standard->logFile()
              << "\nData (journal, outbox, lastpirep.ovp): " << standard->data << "\n";
  }
  std::cout << "With --workdir DIR, or an orvane.ini in the current folder, every file is in "
               "that one folder.\n";
}

bool CliArgs::parse(int argc, char** argv, bool& help) {
  help = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      help = true;
      return true;
    }
    if (a == "--get-flightplan" || a == "--no-send" || a == "--send-outbox" ||
        a == "--resume") {
      values_[a] = "1";
    } else if (starts_with(a, "--") && i + 1 < argc) {
      values_[a] = argv[++i];
    } else {
      std::cerr << "orvane-cli: unknown argument [" << a << "]\n";
      printUsage();
      return false;
    }
  }
  return true;
}

std::string CliArgs::get(const std::string& key, const std::string& fallback) const {
  const auto it = values_.find(key);
  return it == values_.end() ? fallback : it->second;
}

void CliArgs::applyFlightData(SFlightData& data) const {
  const auto field = [&](std::string& f, const char* key) {
    if (has(key)) f = get(key);
  };
  field(data.sDeparture, "--from");
  field(data.sArrival, "--to");
  field(data.sAlternate, "--alternate");
  field(data.sAircraft, "--aircraft");
  field(data.sAirline, "--airline");
  field(data.sRoute, "--route");
  field(data.sAltitude, "--altitude");
  field(data.sPassengers, "--pax");
  field(data.sCargo, "--cargo");
  field(data.sRules, "--rules");
}

}  // namespace orvane::cli
