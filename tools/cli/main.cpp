// orvane-cli: the console front end. Tracks one flight from the gate to the gate and sends its PIREP.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "engine/orvane_base.h"
#include "pirep/PIREPData.h"
#include "sim/fsuipc_link.h"
#include "util/atomic_file.h"
#include "util/util.h"

using namespace orvane;

namespace {

std::atomic<bool> interrupted{false};
void onSignal(int) { interrupted = true; }

void usage() {
  std::cout <<
      "usage: orvane-cli [options]\n"
      "Tracks one flight with ORVANE: reads the simulator through FSUIPC, reports every phase\n"
      "to the airline and sends the PIREP at the end. Settings come from the settings file.\n"
      "  --ini FILE          settings file (default orvane.ini)\n"
      "  --flight NO         flight number (required)\n"
      "  --from ICAO --to ICAO --alternate ICAO --aircraft TYPE   (required unless downloaded)\n"
      "  --airline ICAO --route TEXT --altitude ALT --pax N --cargo LBS --rules IFR|VFR\n"
      "  --get-flightplan    download the flight data from the airline first\n"
      "  --network NAME      online network for the PIREP (default OFFLINE)\n"
      "  --comment TEXT      PIREP comment\n"
      "  --save FILE         where to keep the PIREP (default lastpirep.ovp)\n"
      "  --no-send           keep the PIREP in the file without sending it\n"
      "  --fsuipc-dir DIR    folder of the simulator link's sockets (stand-in use)\n";
}

void optionInput() {
  std::cout << "The settings file could not be read; local defaults are in use. Edit the "
               "settings file and start again to use your airline's servers.\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> arg;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      usage();
      return 0;
    }
    if (a == "--get-flightplan" || a == "--no-send") {
      arg[a] = "1";
    } else if (starts_with(a, "--") && i + 1 < argc) {
      arg[a] = argv[++i];
    } else {
      std::cerr << "orvane-cli: unknown argument [" << a << "]\n";
      usage();
      return 2;
    }
  }
  const auto get = [&](const std::string& k, const std::string& d = "") {
    auto it = arg.find(k);
    return it == arg.end() ? d : it->second;
  };
  if (get("--flight").empty()) {
    std::cerr << "orvane-cli: a flight number is needed (--flight)\n";
    return 2;
  }
  if (!get("--fsuipc-dir").empty()) fsuipc_set_socket_dir(get("--fsuipc-dir"));
  std::cout << std::unitbuf;  // progress shows at once, also when written to a file
  std::signal(SIGINT, onSignal);
  std::signal(SIGTERM, onSignal);

  ORVANE::Log(ORVANE::getVersion() + " initialized.");
  ORVANE::setOptionInputDialog(optionInput);
  ORVANE::loadOptions(get("--ini", "orvane.ini"));
  ORVANE::prepare();
  std::cout << ORVANE::getVersion() << ": log in " << ORVANE::getLogFilePath() << "\n";

  SFlightData data;
  data.sCallsign = get("--flight");
  if (!get("--get-flightplan").empty()) {
    ORVANE::getFlightPlan(data.sCallsign);
    std::string plan;
    while (plan.empty() && !interrupted) {
      sleep(1);
      plan = ORVANE::getACARSFlightPlan();
    }
    if (starts_with(plan, "ERROR")) {
      std::cerr << "Retrieving flight data via ACARS returned error: [" << plan << "]\n";
      return 1;
    }
    data = ORVANE::fillinFlightData(plan);
    data.sCallsign = get("--flight");
  }
  const auto field = [&](std::string& f, const char* key) {
    if (!get(key).empty()) f = get(key);
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
  if (data.sRules.empty()) data.sRules = "IFR";
  if (data.sDeparture.empty() || data.sArrival.empty() || data.sAlternate.empty() ||
      data.sAircraft.empty()) {
    std::cerr << "You need to specify at least the following Flight Data items: Flight Number, "
                 "Departure, Destination, Alternate and Aircraft.\n";
    return 2;
  }

  std::cout << "Waiting for the simulator (on the ground, all engines shut down) ...\n";
  // The engine answers these from what its last cycle read, so the wait keeps it cycling.
  while (!interrupted && (!ORVANE::isConnectedToSim() || !ORVANE::isOnGround() ||
                          ORVANE::EnginesRunning())) {
    sleep(1);
    ORVANE::cycleOnce();
  }
  if (interrupted) {
    ORVANE::finalize();
    return 1;
  }
  ORVANE::setStaticData(data);
  ORVANE::BeginFlight();
  std::cout << "ACARS Tracking starts now ...\n";

  int shownState = -1;
  std::string shownMessage;
  bool pirepReady = false;
  PIREPData pirep;
  while (!interrupted) {
    ORVANE::checkClockJump();
    const bool tracked = ORVANE::cycleOnce();
    const std::string failed = ORVANE::getConnectFailed();
    if (!failed.empty() && ORVANE::getFlightOptions().enableLiveACARS) {
      std::cout << "There was an error connecting to the LiveACARS server: [" << failed
                << "]\nACARS tracking continues without sending LiveACARS messages.\n";
      FlightOptions o = ORVANE::getFlightOptions();
      o.enableLiveACARS = false;
      ORVANE::setFlightOptions(o);
      if (ORVANE::getState() <= 3) ORVANE::BeginFlight();
    }
    const int state = ORVANE::getState();
    if (state != shownState) {
      static const char* names[] = {"NONE",       "OPTIONS",    "TESTING",     "INIT",
                                    "READY",      "STARTED_OUT", "TAXIING_OUT", "CLIMBING",
                                    "CRUISING",   "DESCENDING", "TAXIING_IN",  "STARTED_IN",
                                    "PIREP",      "FINAL"};
      if (state >= 0 && state <= 13) std::cout << "[" << names[state] << "]\n";
      shownState = state;
    }
    const std::string message = ORVANE::getACARSMessage();
    if (!message.empty() && message != shownMessage) {
      std::cout << message << "\n\n";
      shownMessage = message;
    }
    if (ORVANE::isSlewing() && tracked) {
      std::cout << "ORVANE does not allow slew mode while tracking a flight. Also, you must "
                   "not use a simulation rate greater than 1. ORVANE tracking is stopped.\n";
      ORVANE::finalize();
      return 1;
    }
    if (ORVANE::PIREPDataAvailable()) {
      pirep = ORVANE::getPIREPData();
      pirepReady = true;
    }
    if (!tracked) break;
    sleep(ORVANE::getLoopInterval());
  }
  if (!pirepReady) {
    ORVANE::finalize();
    std::cout << "The flight ended without a PIREP.\n";
    return interrupted ? 1 : 0;
  }

  pirep.Online = get("--network", "OFFLINE");
  pirep.Comment = get("--comment");
  for (const std::string& line : pirep.Generate_PIREP_Text()) std::cout << line << "\n";
  const std::string file = get("--save", "lastpirep.ovp");
  try {
    if (!write_file_atomically(file, pirep.pack_crypt())) std::cerr << "Cannot access file [" << file << "]\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
  }
  if (!get("--no-send").empty()) return 0;
  if (ORVANE::getState() == 0) ORVANE::prepare();
  ORVANE::SendPIREP(pirep);
  // The transmission runs on the PIREP thread; SendPIREP always ends in SUCCESS or ERR.
  while (ORVANE::getPIREPState() == UNKNOWN) sleep(1);
  if (ORVANE::getPIREPState() == SUCCESS) {
    std::cout << "PIREP SUCCESSFULLY sent.\nThe server returned the following message:\n"
              << ORVANE::getPIREPMessage() << "\n";
  } else {
    std::cout << "Sending the PIREP returned an ERROR condition:\n"
              << ORVANE::getPIREPMessage() << "\nThe PIREP is kept in [" << file << "].\n";
  }
  ORVANE::finalize();
  return ORVANE::getPIREPState() == SUCCESS ? 0 : 1;
}
