// FlightState: the flight's state machine (Check), its start, end and position reports.
// SPDX-License-Identifier: MIT
#include "tracking/flightstate.h"

#include <cmath>
#include <cstdlib>

#include "util/clock.h"

namespace orvane {

const std::int32_t FlightState::VSPEED_CRUISE = 450;
const std::int32_t FlightState::VSPEED_CLIMB = 200;

namespace {

// Fixed thresholds of the machine.
constexpr double kMovingKnots = 1.0;        // ground speed: moving or standing
constexpr double kLiftOffFpm = 100.0;       // vertical speed: airborne after take-off
constexpr double kLiftOffFeet = 30.0;       // height: airborne after take-off
constexpr double kFinalFeet = 100.0;        // height: final approach
constexpr double kRollOutKnots = 80.0;      // ground speed: landing roll finished
constexpr int kFinalLoopSeconds = 2;
constexpr int kNormalLoopSeconds = 5;

bool inFlightStates(FlightState::State s) {
  return s >= FlightState::STARTED_OUT && s <= FlightState::STARTED_IN;
}

}  // namespace

void deliverPosRepTable(FlightState* owner, const std::map<int, int>& table) {
  if (owner) owner->setOpPosRepMap(table);
}

FlightState::FlightState(FlightData* data, TextCallback connectFailed, InitCallback initFlightCB,
                         TextCallback flightInfo, PIREPCallback pirepData,
                         TextCallback pirepError, TextCallback pirepSuccess, TextCallback status,
                         TextCallback acarsText)
    : FData(data),
      showMessage(status),
      ACARSConnectFailed(connectFailed),
      initFlight(initFlightCB),
      FlInfoCB(flightInfo),
      ACARSInfo(acarsText),
      PIRSuccCB(pirepSuccess),
      PIRErrCB(pirepError),
      PIRDataCB(pirepData) {}

FlightState::~FlightState() {
  send("Removing FlightState object.");
  EndFlight();
  if (ACARS_Msg) {
    ACARS_Msg->PIREPCancel();
    // The send thread ends after the ENDFLIGHT just queued (or at once when it never ran).
    ACARS_Msg->stopSending();
    ACARS_Msg->waitUntilStopped();
    deleteACARS();
  }
}

void FlightState::send(const std::string& text) const {
  if (showMessage) showMessage(text);
}

std::string FlightState::stateName(State s) {
  switch (s) {
    case NONE: return "NONE";
    case OPTIONS: return "OPTIONS";
    case TESTING: return "TESTING";
    case INIT: return "INIT";
    case READY: return "READY";
    case STARTED_OUT: return "STARTED_OUT";
    case TAXIING_OUT: return "TAXIING_OUT";
    case CLIMBING: return "CLIMBING";
    case CRUISING: return "CRUISING";
    case DESCENDING: return "DESCENDING";
    case TAXIING_IN: return "TAXIING_IN";
    case STARTED_IN: return "STARTED_IN";
    case PIREP: return "PIREP";
    case FINAL: return "FINAL";
  }
  return "UNKNOWN";
}

std::string FlightState::getStateDisplay() const { return stateName(state); }

void FlightState::setFlightOptions(const FlightOptions& opts) {
  options = opts;
  if (state == NONE) {
    state = OPTIONS;
  } else if (ACARS_Msg) {
    ACARS_Msg->updateOptions(options);
  }
}

void FlightState::setRealTimeChange(int seconds) {
  if (ACARS_Msg) ACARS_Msg->setRealTimeChange(seconds);
}

void FlightState::deleteACARS() {
  delete ACARS_Msg;
  ACARS_Msg = nullptr;
}

bool FlightState::Check() {
  send("FlightState::Check called.");
  if (ACARS_Msg && ACARS_Msg->isStopped()) {
    state = FINAL;
    send("Transitioning to FINAL state.");
  }
  holding_ = false;
  if (inFlightStates(state)) {
    send("Checking for flight crashed.");
    if (FData->isFlightCrashed()) {
      send("Flight is crashed.");
      EndFlight();
    }
    send("Checking for flight sim connection.");
    if (inFlightStates(state) && !FData->isSimConnected()) {
      send("No connection to flight simulator.");
      suspend();
      return true;
    }
  }
  // A simulator that stalls is still connected for a while; the zeros of a read that failed
  // must not move the flight or go into a message.
  if ((state == READY || inFlightStates(state)) && !FData->lastReadOk()) {
    send("No values from the flight simulator.");
    holding_ = true;
    return true;
  }
  if (inFlightStates(state) && holdForSuspension()) return true;

  send("Checking for paused state.");
  const bool pauseStops = state == READY || inFlightStates(state);
  if (isPaused) {
    send("PAUSED");
    if (!FData->isPaused()) {
      isPaused = false;
      CreateData(ACARS::MESSAGE_PAUSED);
    } else if (pauseStops) {
      return true;
    }
  } else if (FData->isPaused()) {
    send("Checking paused via FData->isPaused()");
    isPaused = true;
    CreateData(ACARS::MESSAGE_PAUSED);
    if (pauseStops) return true;
  }

  if ((state == READY || inFlightStates(state)) && holdForRate()) return true;

  if (state >= CLIMBING && state <= STARTED_IN) {
    const auto seen = touchdown_.sample(*FData, landing_vspeed, clock().mono_ms(), clock().now());
    if (seen != TouchdownWatch::Seen::NOTHING) {
      send(TouchdownWatch::describe(getTouchdown(), seen));
    }
  }

  send("Switching state.");
  if (state == OPTIONS) {
    send("State OPTIONS now. Deleting old ACARS object.");
    deleteACARS();
    send("Creating new ACARS object.");
    ACARS_Msg = new ACARS(options, FData->getClientName(), this, ACARSConnectFailed, ACARSInfo,
                          PIRDataCB, PIRSuccCB, PIRErrCB, FlInfoCB, &deliverPosRepTable);
    send("Starting send thread.");
    ACARS_Msg->startSending();
    state = TESTING;
  }
  switch (state) {
    case TESTING:
      if (ACARS_Msg && ACARS_Msg->connectTested()) {
        send("Switching to init state.");
        if (initFlight) initFlight();
        state = INIT;
      } else {
        return true;
      }
      break;
    case FINAL:
      if (ACARS_Msg && ACARS_Msg->isStopped()) {
        send("Removing ACARS object.");
        deleteACARS();
        state = NONE;
        return false;
      }
      break;
    default:
      stepState();
      break;
  }
  ReportPosition();
  return true;
}

// The rows of the state table from INIT to STARTED_IN, with values read fresh this cycle.
void FlightState::stepState() {
  switch (state) {
    case INIT:
      send("In INIT checking ACARS ready.");
      if (ACARS_Msg && ACARS_Msg->ACARS_Ready()) state = READY;
      send("After check for ACARS ready.");
      climb_ALT_sent = false;
      cruise_ALT_sent = false;
      descend_ALT_sent = false;
      break;
    case READY:
      reportPOS = true;
      if (FData->EngineRunning()) {
        send("Flight [" + FData->getCallsign() + "] initialized: Aircraft: [" +
             FData->getACCode() + "] From: [" + FData->getDepartureICAO() + "] To: [" +
             FData->getArrivalICAO() + "] Alternate: [" + FData->getAlternateICAO() + "]");
        send("Route: [" + FData->getRoute() + "]");
        CreateData(ACARS::MESSAGE_OUT);
        state = STARTED_OUT;
      }
      break;
    case STARTED_OUT:
      if (std::fabs(FData->getGroundSpeed()) > kMovingKnots) {
        reportPOS = true;
        state = TAXIING_OUT;
      }
      break;
    case TAXIING_OUT:
      if (!FData->isOnGround() &&
          (FData->getVerticalSpeed() > kLiftOffFpm || FData->getHeight() > kLiftOffFeet)) {
        CreateData(ACARS::MESSAGE_OFF);
        state = CLIMBING;
      } else if (std::fabs(FData->getGroundSpeed()) < kMovingKnots) {
        state = STARTED_OUT;
      }
      break;
    case CLIMBING: {
      if (!climb_ALT_sent) {
        CreateData(ACARS::MESSAGE_ALT);
        climb_ALT_sent = true;
      }
      const double vs = FData->getVerticalSpeed();
      if (std::fabs(vs) < VSPEED_CLIMB) {
        climb_ALT_sent = false;
        state = CRUISING;
      } else if (vs < -VSPEED_CLIMB) {
        climb_ALT_sent = false;
        state = DESCENDING;
      }
      break;
    }
    case CRUISING: {
      if (!cruise_ALT_sent) {
        CreateData(ACARS::MESSAGE_ALT);
        cruise_ALT_sent = true;
      }
      const double vs = FData->getVerticalSpeed();
      if (vs > VSPEED_CRUISE) {
        cruise_ALT_sent = false;
        state = CLIMBING;
      } else if (vs < -VSPEED_CRUISE) {
        cruise_ALT_sent = false;
        state = DESCENDING;
      }
      if (FData->isOnGround()) {
        cruise_ALT_sent = false;
        state = DESCENDING;
      }
      break;
    }
    case DESCENDING: {
      if (!descend_ALT_sent) {
        CreateData(ACARS::MESSAGE_ALT);
        descend_ALT_sent = true;
      }
      if (FData->getHeight() < kFinalFeet) {
        loopinterval = kFinalLoopSeconds;
        const double vs = FData->getVerticalSpeed();
        if (!FData->isOnGround() && std::trunc(vs) < 0) landing_vspeed = vs;
      }
      if (FData->isOnGround() && FData->getGroundSpeed() < kRollOutKnots) {
        loopinterval = kNormalLoopSeconds;
        CreateData(ACARS::MESSAGE_ON);
        descend_ALT_sent = false;
        state = TAXIING_IN;
      } else if (FData->getHeight() > kFinalFeet &&
                 std::fabs(FData->getVerticalSpeed()) < VSPEED_CLIMB) {
        descend_ALT_sent = false;
        loopinterval = kNormalLoopSeconds;
        state = CRUISING;
      } else if (FData->getVerticalSpeed() > VSPEED_CLIMB) {
        descend_ALT_sent = false;
        loopinterval = kNormalLoopSeconds;
        state = CLIMBING;
      }
      break;
    }
    case TAXIING_IN:
      if (!FData->isOnGround() &&
          (FData->getVerticalSpeed() > kLiftOffFpm || FData->getHeight() > kLiftOffFeet)) {
        state = CLIMBING;
      } else if (std::fabs(FData->getGroundSpeed()) < kMovingKnots) {
        state = STARTED_IN;
      }
      break;
    case STARTED_IN:
      if (std::fabs(FData->getGroundSpeed()) > kMovingKnots) {
        reportPOS = true;
        state = TAXIING_IN;
      } else if (FData->EngineStopped()) {
        reportPOS = false;
        CreateData(ACARS::MESSAGE_IN);
        CreateData(ACARS::MESSAGE_STAT);
        EndFlight();
      }
      break;
    default:
      break;
  }
}


void FlightState::BeginFlight() {
  publishTouchdown(Touchdown{});  // the last flight's landing is not this one's
  CreateData(ACARS::MESSAGE_BEGINFLIGHT);
}

double FlightState::getLandingVSpeed() const {
  const Touchdown& t = touchdown_.touchdown();
  return t.recorded && t.simulatorRate ? t.verticalSpeed : landing_vspeed;
}

void FlightState::EndFlight() {
  CreateData(ACARS::MESSAGE_ENDFLIGHT);
  reportPOS = false;
  state = FINAL;
}

// ---- Position reports ----------------------------------------------------------------------

void FlightState::ReportPosition() {
  send("In ReportPosition.");
  if (!reportPOS) {
    send("Shall not report position.");
    return;
  }
  const std::int64_t interval = getOpPosReportInterval();
  if (static_cast<std::int64_t>(clock().now()) >= lastPOSReport + interval) {
    send("Doing position report.");
    CreateData(ACARS::MESSAGE_POS);
    lastPOSReport = clock().now();
  }
  send("Leaving ReportPosition");
}

int FlightState::getOpPosReportInterval() {
  std::map<int, int> table;
  {
    std::lock_guard<std::mutex> g(posrep_lock_);
    table = OpPosRepInt;
  }
  if (table.empty()) return options.POS_Report_Interval;
  const int altitude = FData->getAltitude();
  for (const auto& [below, seconds] : table) {
    if (below > altitude) return seconds;
  }
  return options.POS_Report_Interval;
}

void FlightState::setOpPosRepMap(const std::map<int, int>& table) {
  std::lock_guard<std::mutex> g(posrep_lock_);
  OpPosRepInt = table;
}

void FlightState::WaypointPassed(const std::string& name) {
  Create_ACARS_POS(name);
  lastPOSReport = clock().now();
}

// ---- Pass-throughs ---------------------------------------------------------------------------

void FlightState::PIREPReady(const PIREPData& report) {
  if (ACARS_Msg) ACARS_Msg->PIREPReady(report);
}
void FlightState::PIREPReady() {
  if (ACARS_Msg) ACARS_Msg->PIREPReady();
}
void FlightState::PIREPCancel() {
  if (ACARS_Msg) ACARS_Msg->PIREPCancel();
}
void FlightState::getFlightInfo(const std::string& flightNumber, const std::string& type) {
  if (ACARS_Msg) ACARS_Msg->getFlightInfo(flightNumber, type);
}

int FlightState::getOutTime() const { return ACARS_Msg ? ACARS_Msg->getOutTime() : 0; }
int FlightState::getOffTime() const { return ACARS_Msg ? ACARS_Msg->getOffTime() : 0; }
int FlightState::getOnTime() const { return ACARS_Msg ? ACARS_Msg->getOnTime() : 0; }
int FlightState::getInTime() const { return ACARS_Msg ? ACARS_Msg->getInTime() : 0; }
int FlightState::getOutFuel() const { return ACARS_Msg ? ACARS_Msg->getOutFuel() : 0; }
int FlightState::getOffFuel() const { return ACARS_Msg ? ACARS_Msg->getOffFuel() : 0; }
int FlightState::getOnFuel() const { return ACARS_Msg ? ACARS_Msg->getOnFuel() : 0; }
int FlightState::getInFuel() const { return ACARS_Msg ? ACARS_Msg->getInFuel() : 0; }
int FlightState::getCurrentBlockTime() const {
  return ACARS_Msg ? ACARS_Msg->getCurrentBlockTime() : 0;
}
int FlightState::getCurrentFlightTime() const {
  return ACARS_Msg ? ACARS_Msg->getCurrentFlightTime() : 0;
}
int FlightState::getCurrentBlockFuel() const {
  return ACARS_Msg ? ACARS_Msg->getCurrentBlockFuel() : 0;
}
int FlightState::getCurrentFlightFuel() const {
  return ACARS_Msg ? ACARS_Msg->getCurrentFlightFuel() : 0;
}

}  // namespace orvane
