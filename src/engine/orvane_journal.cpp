// What the engine keeps of a flight: its finished PIREP in the outbox, and its journal (read at
// start, resumed, discarded).
// SPDX-License-Identifier: MIT
#include <optional>

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

// ---- Outbox ---------------------------------------------------------------------------------

void ORVANE::keepFinishedReport() {
  EngineState& e = engine();
  const std::optional<PIREPData> report = e.board.reportToKeep(e.figures.extremes());
  if (!report) return;
  const OutboxKeep k = e.outbox.keep(*report);
  if (k.kept) {
    showMessage("The PIREP is kept in [" + k.path + "].");
  } else {
    showMessage("The PIREP could not be kept in the outbox: " + k.error);
  }
}

}  // namespace orvane
