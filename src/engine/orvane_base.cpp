// ORVANE: the engine facade's forwarders to its rooms, the lifecycle and the cycle.
// SPDX-License-Identifier: MIT
#include "engine/orvane_base.h"

#include <optional>

#include "acars/ACARS.h"
#include "net/http_transfer.h"
#include "engine/default_source.h"
#include "engine/engine_state.h"
#include "sim/fsuipc_client.h"
#include "tracking/flightstate.h"
#include "util/clock.h"
#include "util/util.h"

namespace orvane {

const std::string ORVANE::VERSION = "ORVANE 2.5.0";
std::mutex ORVANE::CYCLE_MUTEX;
std::mutex ORVANE::MUTEX;

namespace {

// Ends the data source's cycle on every way out of cycleOnce: it publishes what the window
// thread asks between cycles, and the next cycle reads the simulator afresh.
struct EndOfCycle {
  ~EndOfCycle() {
    if (FlightData* source = engine().source.load()) source->endCycle();
  }
};

// Publishes what the flight says of its holds (none without a flight); CYCLE_MUTEX held.
void publishHold(const FlightState* flight) {
  FlightHold h;
  if (flight != nullptr) {
    h.suspended = flight->isSuspended();
    h.suspendedText = flight->suspensionText();
    h.rateHeld = flight->isRateHeld();
    h.rateExpired = flight->isRateExpired();
  }
  EngineState& e = engine();
  std::lock_guard<std::mutex> g(e.holdMutex);
  e.hold = h;
}

bool hasFlight() {
  std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
  return engine().flight != nullptr;
}

}  // namespace

// ---- Log and status channels ----------------------------------------------------------------

void ORVANE::Log(const std::string& text) { engine().log.write(text); }
void ORVANE::setLogFilePath(const std::string& path) { engine().log.setPath(path); }
std::string ORVANE::getLogFilePath() { return engine().log.path(); }

void ORVANE::showMessage(const std::string& text) {
  engine().board.show(&SStatusMessage::message, "Message: [", text);
}
void ORVANE::showACARSMessage(const std::string& text) {
  engine().board.show(&SStatusMessage::ACARS_message, "ACARS: [", text);
}
void ORVANE::showFlightState(const std::string& text) {
  engine().board.show(&SStatusMessage::flightstate, "FlightState: [", text);
}
void ORVANE::showFlightData(const std::string& text) {
  engine().board.show(&SStatusMessage::flightdata, "FlightData: [", text);
}
SStatusMessage ORVANE::getStatusMessage() { return engine().board.texts(); }
std::string ORVANE::getACARSMessage() { return engine().board.acarsMessageLines(); }

// ---- Callbacks ------------------------------------------------------------------------------

void ORVANE::ConnectionFailedCallback(const std::string& text) {
  showMessage("ConnectionFailedCallback called with [" + text + "]");
  engine().board.setConnectFailed(text);
}
void ORVANE::FlightInfoCallback(const std::string& text) {
  showMessage("Got FlightInfo from server: [" + text + "]");
  engine().board.setFlightPlan(text);
}
void ORVANE::PIREPDataCallback(const PIREPData& pirep) {
  showMessage("PIREPDataCallback called.");
  engine().board.reportArrived(pirep);
}
void ORVANE::PIREPErrorCallback(const std::string& text) {
  showMessage("PIREPErrorCallback called with [" + text + "]");
  engine().board.setOutcome(ERR, text);
}
void ORVANE::PIREPSuccessCallback(const std::string& text) {
  showMessage("PIREPSuccessCallback called with [" + text + "]");
  // Accepted: the report leaves the outbox before anyone hears of the success.
  engine().outbox.sent();
  engine().board.setOutcome(SUCCESS, text);
}
void ORVANE::FlightRefusedCallback(const std::string& text) {
  showMessage(text);
  if (const std::optional<PIREPData> report = engine().board.refuseReport(text))
    engine().outbox.refused(*report, text);
}
void ORVANE::initFlight() {}
void ORVANE::ACARSDeliveryCallback(bool ok, const std::string& error) {
  engine().board.postDone(ok, error);
}

// ---- Lifecycle ------------------------------------------------------------------------------

void ORVANE::prepare() {
  if (!prepareFlight()) return;
  for (;;) {
    // A flight discarded while it waits for its connection test ends the wait.
    if (!cycleOnce()) break;
    const int state = getState();
    if (state > FlightState::TESTING) break;
    sleep(1);
  }
}

bool ORVANE::prepareFlight() {
  EngineState& e = engine();
  // Before any transfer thread exists: libcurl's one-time set-up and the ignored SIGPIPE.
  HttpTransfer::globalInit();
  ACARS::setDeliveryCallback(ACARSDeliveryCallback);
  ACARS::setRefusalCallback(FlightRefusedCallback);
  e.board.resetLiveStatus();
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  e.crashed = false;
  FlightData* source = e.source.load();
  if (source == nullptr) {
    const FlightDataFactory factory = e.sourceFactory.load();
    source = factory ? factory(showMessage) : makeProductFlightData(showMessage);
    e.source = source;
  }
  if (source == nullptr) {
    showMessage("No flight data source.");
    return false;
  }
  // Never two flights side by side: a flight left over is ended first.
  if (e.flight != nullptr) {
    source->keepLastValues();  // as in finalize
    e.journal.flightGone();
  }
  delete e.flight;
  e.flight = new FlightState(source, ConnectionFailedCallback, initFlight, FlightInfoCallback,
                             PIREPDataCallback, PIREPErrorCallback, PIREPSuccessCallback,
                             showMessage, showACARSMessage);
  e.flight->setFlightOptions(getFlightOptions());
  publishHold(nullptr);
  e.initialized = true;
  e.board.flightStarted(e.figures.startFlight());
  return true;
}

bool ORVANE::initialize() {
  if (!hasFlight()) prepare();
  if (!hasFlight()) return false;
  while (getState() != FlightState::INIT) {
    if (!cycleOnce()) return false;
    if (getState() == FlightState::INIT) break;
    sleep(1);
  }
  return true;
}

bool ORVANE::cycleOnce() {
  EngineState& e = engine();
  e.log.beginPass();
  showMessage("cycleOnce called.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  const EndOfCycle publish;
  if (e.flight == nullptr) {
    e.initialized = false;
    runPendingRequests();
    return false;
  }
  showFlightState(e.flight->getStateDisplay());
  if (!e.flight->Check()) {
    e.journal.flightGone();
    delete e.flight;
    e.flight = nullptr;
    publishHold(nullptr);
    showMessage("Check FlightState failed");
    e.initialized = false;
    runPendingRequests();
    return false;
  }
  publishHold(e.flight);
  // A held cycle's values (a lost or fast simulator) are not the flight's figures.
  FlightData* source = e.flight->isHolding() ? nullptr : e.source.load();
  if (source != nullptr) {
    const std::int32_t vs = truncate_saturating(source->getVerticalSpeed());
    const std::int32_t ias = source->getIAS();
    const std::int32_t gs = truncate_saturating(source->getGroundSpeed());
    e.figures.addCycle(vs, ias, gs, truncate_saturating(e.flight->getLandingVSpeed()));
    if (isFlightCrashed()) showMessage("Crashed.");
    showMessage("Currently: IAS:[" + to_str(ias) + "] GS: [" + to_str(gs) + "] VSpeed: [" +
                to_str(vs) + "] VSpeed_land:[" + to_str(e.figures.extremes().landingVSpeed) +
                "].");
    e.figures.recordTrack(*e.flight, *source, gs);
    // The cycle that ends the flight (IN, or a crash) has just added its values: from here
    // on the figures belong to the finished flight.
    if (!e.figures.sealed() && e.flight->getState() == FlightState::FINAL)
      e.board.flightSealed(e.figures.seal());
  }
  keepFinishedReport();
  // After the report was kept: the flight's end removes its journal.
  const std::string journalFailed = e.journal.afterCycle(*e.flight, e.figures);
  if (!journalFailed.empty()) showMessage(journalFailed);
  runPendingRequests();
  return true;
}

void ORVANE::finalize() {
  EngineState& e = engine();
  showMessage("Finalizing ORVANE ...");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  // The cycle that was waiting on the simulator, if any, is over.
  fsuipc_set_give_up(false);
  // The flight's last message reads the simulator: after a failed exchange it takes the
  // last values read rather than wait out the link's time-out again. The cycle's end then
  // publishes them, and the next cycle reads afresh.
  if (e.flight != nullptr) {
    const EndOfCycle publish;
    if (FlightData* source = e.source.load()) source->keepLastValues();
    // The flight ends here (ENDFLIGHT): there is nothing to go on with after a restart.
    e.journal.flightGone();
    delete e.flight;
    e.flight = nullptr;
    publishHold(nullptr);
  }
  e.initialized = false;
}

void ORVANE::releaseCourier() {
  EngineState& e = engine();
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  delete e.courier;
  e.courier = nullptr;
}

void ORVANE::finalizeComing() { fsuipc_set_give_up(true); }
bool ORVANE::initialized() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return engine().initialized;
}

// A fresh engine under the locks, taken one after another: no flight, no data source, every
// room at its start. The log file and the data source factory stay as the program set them.
void ORVANE::InitMembers() {
  EngineState& e = engine();
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    fsuipc_set_give_up(false);
    delete e.flight;
    e.flight = nullptr;
    publishHold(nullptr);
    delete e.courier;
    e.courier = nullptr;
    delete e.source.exchange(nullptr);
    e.initialized = false;
    e.figures = FlightFigures{};
    e.journal.reset();
    e.crashed = false;
  }
  e.board.reset();
  e.clockJump.reset();
  e.options.reset();
  e.outbox.reset();
  e.pending.takeAll();
}

// ---- Flight operations ----------------------------------------------------------------------

int ORVANE::getState() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return engine().flight ? engine().flight->getState() : FlightState::NONE;
}

int ORVANE::getLoopInterval() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return engine().flight ? engine().flight->getLoopInterval() : 5;
}

void ORVANE::BeginFlight() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (engine().flight) engine().flight->BeginFlight();
  engine().figures.beginFlight();
}

void ORVANE::endFlight() {
  showMessage("The pilot ends the flight.");
  // A cycle waiting on a simulator that does not answer gives up; the flight's end does not
  // read the simulator.
  finalizeComing();
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  fsuipc_set_give_up(false);
  if (engine().flight) engine().flight->EndSuspendedFlight();
  publishHold(engine().flight);
}

FlightHold ORVANE::getFlightHold() {
  EngineState& e = engine();
  std::lock_guard<std::mutex> g(e.holdMutex);
  return e.hold;
}

void ORVANE::setRealTimeChanged(long seconds) {
  showMessage("Noticed Real Time change of [" + to_str(seconds) + "] s.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (engine().flight) engine().flight->setRealTimeChange(static_cast<int>(seconds));
}

void ORVANE::checkClockJump() {
  const std::int64_t wall = clock().now_ms();
  const std::int64_t mono = clock().mono_ms();
  const std::optional<std::int64_t> stepMs = engine().clockJump.step(wall, mono);
  if (!stepMs) return;
  // The loop interval is asked after the detector's lock has gone (it takes CYCLE_MUTEX).
  if (const auto seconds = ClockJump::beyondTolerance(*stepMs, getLoopInterval()))
    setRealTimeChanged(*seconds);
}

void ORVANE::setFlightOptions(const FlightOptions& options) {
  showMessage("FlightOptions set.");
  engine().options.set(options);
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (engine().flight) engine().flight->setFlightOptions(options);
}

FlightOptions ORVANE::getFlightOptions() { return engine().options.get(); }
void ORVANE::setOptionInputDialog(OptionInputHook hook) { engine().options.setInputHook(hook); }

// The source keeps the record under a lock of its own, so the window thread never waits on
// a cycle that waits on the simulator.
void ORVANE::setStaticData(const SFlightData& data) {
  showMessage("Setting StaticData: [" + data.output() + "]");
  if (FlightData* source = engine().source.load()) source->setStaticData(data);
}

// ---- Seams ----------------------------------------------------------------------------------

void ORVANE::setFlightDataFactory(FlightDataFactory factory) { engine().sourceFactory = factory; }
FlightState* ORVANE::currentFlight() { return engine().flight; }

}  // namespace orvane
