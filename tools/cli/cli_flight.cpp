// orvane-cli's flight: waiting for the simulator and the tracking loop, printing each phase.
// SPDX-License-Identifier: MIT
#include "cli_flight.h"

#include <iostream>

#include "engine/orvane_base.h"
#include "util/util.h"

namespace orvane::cli {

std::atomic<bool> interrupted{false};

namespace {

const char* const kStateNames[] = {"NONE",      "OPTIONS",     "TESTING",     "INIT",
                                   "READY",     "STARTED_OUT", "TAXIING_OUT", "CLIMBING",
                                   "CRUISING",  "DESCENDING",  "TAXIING_IN",  "STARTED_IN",
                                   "PIREP",     "FINAL"};

// A failed connection test of the live ACARS server: tracking goes on without it.
void continueWithoutLiveACARS(const std::string& failed) {
  std::cout << "There was an error connecting to the LiveACARS server: [" << failed
            << "]\nACARS tracking continues without sending LiveACARS messages.\n";
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = false;
  ORVANE::setFlightOptions(o);
  if (ORVANE::getState() <= 3) ORVANE::BeginFlight();
}

}  // namespace

bool downloadFlightPlan(SFlightData& data) {
  const std::string callsign = data.sCallsign;
  ORVANE::getFlightPlan(callsign);
  std::string plan;
  while (plan.empty() && !interrupted) {
    sleep(1);
    plan = ORVANE::getACARSFlightPlan();
  }
  if (starts_with(plan, "ERROR")) {
    std::cerr << "Retrieving flight data via ACARS returned error: [" << plan << "]\n";
    return false;
  }
  data = ORVANE::fillinFlightData(plan);
  data.sCallsign = callsign;
  return true;
}

bool waitForSimulator() {
  std::cout << "Waiting for the simulator (on the ground, all engines shut down) ...\n";
  // The engine answers these from what its last cycle read, so the wait keeps it cycling.
  while (!interrupted && (!ORVANE::isConnectedToSim() || !ORVANE::isOnGround() ||
                          ORVANE::EnginesRunning())) {
    sleep(1);
    ORVANE::cycleOnce();
  }
  return !interrupted;
}

TrackingEnd trackFlight(PIREPData& pirep) {
  int shownState = -1;
  std::string shownMessage;
  bool pirepReady = false;
  std::string shownHold;    // the suspension text last printed
  bool rateWarned = false;  // the warning of a fast simulator is printed
  while (!interrupted) {
    ORVANE::checkClockJump();
    const bool tracked = ORVANE::cycleOnce();
    const std::string failed = ORVANE::getConnectFailed();
    if (!failed.empty() && ORVANE::getFlightOptions().enableLiveACARS) {
      continueWithoutLiveACARS(failed);
    }
    const int state = ORVANE::getState();
    if (state != shownState) {
      if (state >= 0 && state <= 13) std::cout << "[" << kStateNames[state] << "]\n";
      shownState = state;
    }
    const std::string message = ORVANE::getACARSMessage();
    if (!message.empty() && message != shownMessage) {
      std::cout << message << "\n\n";
      shownMessage = message;
    }
    const FlightHold hold = ORVANE::getFlightHold();
    if (hold.suspendedText != shownHold) {
      // A lost simulator suspends the flight; Ctrl-C ends it.
      if (!hold.suspendedText.empty()) {
        std::cout << hold.suspendedText << " (Ctrl-C ends the flight)\n";
      } else if (!shownHold.empty()) {
        std::cout << "The simulator is back near where it was: the flight goes on.\n";
      }
      shownHold = hold.suspendedText;
    }
    if (hold.rateHeld && !hold.rateExpired && !rateWarned) {
      std::cout << "ORVANE does not allow slew mode while tracking a flight. Also, you must "
                   "not use a simulation rate greater than 1. Tracking pauses; back to 1x "
                   "within 30 s and the flight goes on.\n";
      rateWarned = true;
    } else if (!hold.rateHeld && rateWarned) {
      std::cout << "The simulation rate is back to 1x: the flight goes on.\n";
      rateWarned = false;
    }
    if (ORVANE::isSlewing() && tracked && hold.rateExpired) {
      std::cout << "ORVANE does not allow slew mode while tracking a flight. Also, you must "
                   "not use a simulation rate greater than 1. ORVANE tracking is stopped.\n";
      return TrackingEnd::Slewed;
    }
    if (ORVANE::PIREPDataAvailable()) {
      pirep = ORVANE::getPIREPData();
      pirepReady = true;
    }
    if (!tracked) break;
    sleep(ORVANE::getLoopInterval());
  }
  return pirepReady ? TrackingEnd::PIREP : TrackingEnd::NoPIREP;
}

}  // namespace orvane::cli
