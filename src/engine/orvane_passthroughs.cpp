// ORVANE: the facade's hand-off getters and its pass-throughs to the source, flight and outbox.
// SPDX-License-Identifier: MIT
#include "engine/orvane_base.h"

#include "engine/engine_state.h"
#include "tracking/flightstate.h"

namespace orvane {

// ---- Hand-off getters -----------------------------------------------------------------------

std::string ORVANE::getConnectFailed() { return engine().board.takeConnectFailed(); }
std::string ORVANE::getACARSFlightPlan() { return engine().board.takeFlightPlan(); }
bool ORVANE::PIREPDataAvailable() { return engine().board.reportAvailable(); }
PIREPState ORVANE::getPIREPState() { return engine().board.outcome(); }
std::string ORVANE::getPIREPMessage() { return engine().board.outcomeText(); }
FlightTrack ORVANE::getFlightTrack() { return engine().board.reportTrack(); }
Touchdown ORVANE::getTouchdown() { return lastTouchdown(); }
LiveACARSStatus ORVANE::getLiveACARSStatus() { return engine().board.liveStatus(); }

PIREPData ORVANE::getPIREPData() {
  Extremes running;
  {
    // The extremes belong to the cycle; read them in the documented lock order. Holding the
    // cycle lock also means that a flight which has ended has had its figures sealed.
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    running = engine().figures.extremes();
    keepFinishedReport();
  }
  return engine().board.takeReport(running);
}

// ---- Data source pass-throughs --------------------------------------------------------------
// The window thread asks these while the worker may be inside a cycle that waits on a stalled
// simulator: the answers are what the last cycle published, never a read of the simulator.

bool ORVANE::isConnectedToSim() { return engine().published().connected; }
bool ORVANE::isSlewing() { return engine().published().slewing; }
bool ORVANE::isOnGround() { return engine().published().onGround; }
bool ORVANE::EnginesRunning() { return engine().published().enginesRunning; }
bool ORVANE::isFlightCrashed() {
  EngineState& e = engine();
  if (!e.crashed) e.crashed = e.published().crashed;
  return e.crashed;
}

#define ORVANE_SOURCE_TEXT(type, name, none)                  \
  type ORVANE::name() {                                       \
    FlightData* s = engine().source.load();                   \
    return s ? s->name() : none;                              \
  }
ORVANE_SOURCE_TEXT(bool, isConnectedToXSB, false)
ORVANE_SOURCE_TEXT(std::string, getXSBAircraft, "")
ORVANE_SOURCE_TEXT(std::string, getXSBRoute, "")
ORVANE_SOURCE_TEXT(std::string, getXSBDeparture, "")
ORVANE_SOURCE_TEXT(std::string, getXSBArrival, "")
ORVANE_SOURCE_TEXT(std::string, getXSBAlternate, "")
#undef ORVANE_SOURCE_TEXT

// ---- Flight pass-throughs -------------------------------------------------------------------
// The window thread calls these while the worker may be ending the flight, so the flight
// pointer is read under the cycle lock; the values themselves are atomics of the ACARS object.

#define ORVANE_FLIGHT_GETTER(name)                                  \
  int ORVANE::name() {                                              \
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);                     \
    return engine().flight ? engine().flight->name() : 0;          \
  }
ORVANE_FLIGHT_GETTER(getOutTime)
ORVANE_FLIGHT_GETTER(getOffTime)
ORVANE_FLIGHT_GETTER(getOnTime)
ORVANE_FLIGHT_GETTER(getInTime)
ORVANE_FLIGHT_GETTER(getOutFuel)
ORVANE_FLIGHT_GETTER(getOffFuel)
ORVANE_FLIGHT_GETTER(getOnFuel)
ORVANE_FLIGHT_GETTER(getInFuel)
ORVANE_FLIGHT_GETTER(getCurrentBlockTime)
ORVANE_FLIGHT_GETTER(getCurrentFlightTime)
ORVANE_FLIGHT_GETTER(getCurrentBlockFuel)
ORVANE_FLIGHT_GETTER(getCurrentFlightFuel)
#undef ORVANE_FLIGHT_GETTER

// ---- Outbox pass-throughs ------------------------------------------------------------------

std::string ORVANE::getOutboxFolder() { return engine().outbox.folder(); }
OutboxKeep ORVANE::keepInOutbox(const PIREPData& report) { return engine().outbox.keep(report); }
OutboxKeep ORVANE::getOutboxKeep() { return engine().outbox.lastKeep(); }
std::vector<Outbox::Entry> ORVANE::getOutbox() { return engine().outbox.waiting(); }
std::string ORVANE::getFlightRefusal(const PIREPData& report) {
  return engine().outbox.refusalOf(report);
}

}  // namespace orvane
