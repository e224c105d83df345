// ORVANE's flight journal operations: reading the journal at start, resuming its flight, discarding it.
// SPDX-License-Identifier: MIT
#include "acars/ACARS.h"
#include "engine/engine_state.h"
#include "engine/orvane_base.h"
#include "tracking/flightstate.h"

namespace orvane {

FlightJournal ORVANE::readFlightJournal() {
  std::string path;
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    path = engine().journal.path();
  }
  if (path.empty()) return FlightJournal{};
  return orvane::readFlightJournal(path);
}

bool ORVANE::resumeFlight(const FlightJournal& journal) {
  if (!journal.resumable()) return false;
  EngineState& e = engine();
  FlightOptions options = getFlightOptions();
  options.enableLiveACARS = journal.last.liveACARS;
  options.enablePIREP = journal.last.pirep;
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    FlightState* flight = e.flight;
    if (flight == nullptr) return false;
    const JournalSnapshot& s = journal.last;
    flight->setFlightOptions(options);
    if (!flight->resume(s.flight, s.record, s.dataId, journal.undelivered())) return false;
    const std::int32_t times[4] = {s.record.timeOut, s.record.timeOff, s.record.timeOn,
                                   s.record.timeIn};
    e.figures.resume(s.extremes, journal.track, times);
    e.journal.resumed(journal);
  }
  e.options.set(options);
  for (const std::string& line : journal.logLines()) Log(line);
  showMessage("Flight [" + journal.callsign() + "] resumed from its journal.");
  return true;
}

void ORVANE::discardFlightJournal(const FlightJournal& journal) {
  for (const std::string& line : journal.logLines()) Log(line);
  bool removed = false;
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    removed = engine().journal.remove();
  }
  showMessage(removed ? std::string("The flight journal is discarded; its record is in the log.")
                      : std::string("The flight journal could not be removed."));
}

}  // namespace orvane
