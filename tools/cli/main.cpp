// orvane-cli: the console front end. Tracks one flight from the gate to the gate and sends its PIREP.
// SPDX-License-Identifier: MIT
#include <iostream>
#include <string>

#include "cli_args.h"
#include "cli_flight.h"
#include "cli_folder.h"
#include "engine/orvane_base.h"
#include "sim/fsuipc_link.h"
#include "util/pilot_folders.h"
#ifdef ORVANE_HAVE_KEYCHAIN
#include "keyring/desktopkeyring.h"
#endif

using namespace orvane;
using namespace orvane::cli;

namespace {

int finishFlight(TrackingEnd end, PIREPData& pirep, const CliArgs& args);

// An empty Password in the settings file that no keyring filled: the pilot learns why.
void tellMissingPassword(const std::string& settings) {
  const FlightOptions o = ORVANE::getFlightOptions();
  if (!o.ACARS_Password.empty()) return;
  const std::string keyring = ORVANE::getPasswordStoreName();
  std::string why;
  if (keyring.empty()) {
    why = "this orvane-cli reads no keyring";
  } else if (ORVANE::getPasswordPlace() == PasswordPlace::KEYRING) {
    why = keyring + " has none for [" + o.ACARS_User + "@" + o.ACARS_URL + "]";
  } else if (ORVANE::getPasswordPlace() == PasswordPlace::SETTINGS_FILE) {
    why = "no keyring answered (no desktop session bus?)";
  } else {
    return;  // no settings file: told by optionInput
  }
  std::cerr << "orvane-cli: no password: [" << settings << "] has none and " << why
            << ". See 'man orvane-cli'.\n";
}

void optionInput() {
  std::cout << "The settings file could not be read; local defaults are in use. Edit the "
               "settings file and start again to use your airline's servers.\n";
}

}  // namespace

int main(int argc, char** argv) {
  CliArgs args;
  bool help = false;
  if (!args.parse(argc, argv, help)) return 2;
  if (help) {
    printUsage();
    return 0;
  }
  if (!args.has("--flight") && !args.has("--send-outbox") && !args.has("--resume")) {
    std::cerr << "orvane-cli: a flight number is needed (--flight)\n";
    return 2;
  }
  if (!chooseFolders(args)) return 2;
  if (!claimWorkingFolder()) return 1;
#ifndef _WIN32
  if (args.has("--fsuipc-dir")) fsuipc_set_socket_dir(args.get("--fsuipc-dir"));
#endif
  std::cout << std::unitbuf;  // progress shows at once, also when written to a file
  handleQuitSignals();

  ORVANE::Log(ORVANE::getVersion() + " initialized.");
  ORVANE::setOptionInputDialog(optionInput);
#ifdef ORVANE_HAVE_KEYCHAIN
  // An empty Password in the settings file: the window keeps it in the desktop keyring.
  static DesktopKeyring keyring;
  ORVANE::setPasswordStore(&keyring);
#endif
  const PilotFolders folders = pilot_folders();
  const std::string settings = args.get("--ini", folders.settingsFile());
  ORVANE::loadOptions(settings, folders.standard ? folders.data : std::string());
  tellMissingPassword(settings);
  // The outbox's reports go on PIREP threads of their own: no flight is prepared for them.
  if (args.has("--send-outbox")) return sendOutbox();
  tellWaitingPIREPs();
  FlightJournal journal;
  const bool resume = journalToResume(args, journal);
  if (!resume && !args.has("--flight")) {
    std::cerr << "orvane-cli: no journaled flight to resume; a flight number is needed "
                 "(--flight)\n";
    return 2;
  }
  ORVANE::prepare();
  std::cout << ORVANE::getVersion() << ": log in " << ORVANE::getLogFilePath() << "\n";
  if (resume) {
    if (!resumeJournaled(journal)) {
      ORVANE::finalize();
      return 1;
    }
    PIREPData pirep;
    return finishFlight(trackFlight(pirep), pirep, args);
  }

  SFlightData data;
  data.sCallsign = args.get("--flight");
  if (args.has("--get-flightplan") && !downloadFlightPlan(data)) return 1;
  args.applyFlightData(data);
  if (data.sRules.empty()) data.sRules = "IFR";
  if (data.sDeparture.empty() || data.sArrival.empty() || data.sAlternate.empty() ||
      data.sAircraft.empty()) {
    std::cerr << "You need to specify at least the following Flight Data items: Flight Number, "
                 "Departure, Destination, Alternate and Aircraft.\n";
    return 2;
  }

  if (!waitForSimulator()) {
    ORVANE::finalize();
    return 1;
  }
  ORVANE::setStaticData(data);
  ORVANE::BeginFlight();
  std::cout << "ACARS Tracking starts now ...\n";

  PIREPData pirep;
  return finishFlight(trackFlight(pirep), pirep, args);
}

namespace {

int finishFlight(TrackingEnd end, PIREPData& pirep, const CliArgs& args) {
  switch (end) {
    case TrackingEnd::Slewed:
      ORVANE::finalize();
      return 1;
    case TrackingEnd::NoPIREP:
      ORVANE::finalize();
      std::cout << "The flight ended without a PIREP.\n";
      // A flight the airline refused: the pilot hears why.
      if (ORVANE::getPIREPState() == ERR) std::cout << ORVANE::getPIREPMessage() << "\n";
      return interrupted ? 1 : 0;
    case TrackingEnd::PIREP:
      break;
  }
  if (interrupted) return keepInterruptedPIREP(pirep, args);
  return reportPIREP(pirep, args);
}

}  // namespace
