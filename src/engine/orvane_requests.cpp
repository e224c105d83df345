// ORVANE: SendPIREP and getFlightPlan, which never wait for the cycle, and reading the plan.
// SPDX-License-Identifier: MIT
#include <optional>
#include <sstream>

#include "engine/engine_state.h"
#include "engine/orvane_base.h"
#include "acars/ACARS.h"
#include "tracking/flightstate.h"
#include "util/util.h"

namespace orvane {

// Called with CYCLE_MUTEX held.
void ORVANE::handOverFlightPlanRequest(const std::string& flightNumber) {
  if (engine().flight) engine().flight->getFlightInfo(flightNumber, "flightplan");
}

void ORVANE::getFlightPlan(const std::string& flightNumber) {
  std::unique_lock<std::mutex> c(CYCLE_MUTEX, std::try_to_lock);
  if (!c.owns_lock()) {
    engine().pending.leaveFlightPlan(flightNumber);
    // The holder may have let go meanwhile without seeing the request.
    if (!c.try_lock()) return;
    if (const std::optional<std::string> pending = engine().pending.takeFlightPlan())
      handOverFlightPlanRequest(*pending);
    return;
  }
  handOverFlightPlanRequest(flightNumber);
}

// Called with CYCLE_MUTEX held. The ACARS object's PIREPReady only starts the transmission.
void ORVANE::handOverPIREP(const PIREPData& report) {
  EngineState& e = engine();
  FlightState* flight = e.flight;
  showMessage("SendPIREP: Behind lock.");
  if (flight != nullptr && flight->acars() != nullptr) {
    flight->PIREPReady(report);
  } else {
    // No flight to carry it (the cycle has stopped, or it never started): the report goes
    // at once on a PIREP thread of its own, without a new flight's preparation.
    if (e.courier == nullptr) {
      FlightData* source = e.source.load();
      e.courier = new ACARS(getFlightOptions(), source ? source->getClientName() : "ORVANE_MSFS",
                            nullptr, ConnectionFailedCallback, showMessage, PIREPDataCallback,
                            PIREPSuccessCallback, PIREPErrorCallback, FlightInfoCallback);
    } else {
      e.courier->updateOptions(getFlightOptions());
    }
    e.courier->PIREPReady(report);
  }
  showMessage("SendPIREP: Before unlock.");
}

void ORVANE::SendPIREP(const PIREPData& report) {
  engine().board.clearOutcome();
  const std::string refusal = engine().outbox.refusalOf(report);
  if (!refusal.empty()) {
    PIREPErrorCallback(refusal);
    return;
  }
  // The report as it goes (the pilot's comment and network with it) is the one kept.
  engine().outbox.keep(report);
  engine().outbox.sending(report);
  showMessage("SendPIREP: Before lock.");
  std::unique_lock<std::mutex> c(CYCLE_MUTEX, std::try_to_lock);
  if (!c.owns_lock()) {
    // The window never waits for a cycle: the cycle takes the report with it.
    engine().pending.leavePIREP(report);
    showMessage("SendPIREP: Cycle running, the PIREP goes out with it.");
    // The holder may have let go meanwhile without seeing the request.
    if (!c.try_lock()) return;
    const std::optional<PIREPData> pending = engine().pending.takePIREP();
    if (!pending) return;  // the cycle took it
    handOverPIREP(*pending);
  } else {
    handOverPIREP(report);
  }
  c.unlock();
  showMessage("Done SendPIREP.");
}

void ORVANE::runPendingRequests() {
  const PendingRequests::Requests requests = engine().pending.takeAll();
  if (requests.flightPlan) handOverFlightPlanRequest(*requests.flightPlan);
  if (requests.pirep) {
    handOverPIREP(*requests.pirep);
    showMessage("Done SendPIREP.");
  }
}

SFlightData ORVANE::fillinFlightData(const std::string& text) {
  SFlightData data;
  if (starts_with(text, "ERROR")) {
    showMessage("Received ERROR: [" + text + "]");
    return data;
  }
  std::istringstream in(text);
  std::string line;
  std::string* fields[] = {&data.sDeparture, &data.sArrival,  &data.sAlternate,
                           &data.sRoute,     &data.sPassengers, &data.sCargo,
                           &data.sRules,     &data.sAircraft, &data.sAltitude};
  std::size_t index = 0;
  bool first = true;
  while (std::getline(in, line)) {
    if (first) {
      first = false;
      continue;
    }
    if (index >= std::size(fields)) break;
    *fields[index] = fields[index] == &data.sCargo ? to_str(To_t<int>(line)) : line;
    ++index;
  }
  return data;
}

}  // namespace orvane
