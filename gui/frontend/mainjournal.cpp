// CMyDialog and the flight journal: the journaled flight offered at start, resumed or discarded.
// SPDX-License-Identifier: MIT
#include <memory>
#include <string>

#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/maindialog.h"

namespace orvane {

MessageBoxRequest CMyDialog::journalQuestion(const FlightJournal& journal) {
  MessageBoxRequest box;
  box.text = journal.question();
  box.caption = "ORVANE";
  box.style = MB_YESNO | MB_ICONQUESTION;
  box.labels = {"Resume", "Discard"};
  return box;
}

void CMyDialog::offerJournal() {
  const FlightJournal journal = ORVANE::readFlightJournal();
  if (!journal.exists) return;
  if (!journal.resumable()) {
    // Nothing to go on with (a journal whose first record was cut short): its record goes
    // to the log.
    ORVANE::discardFlightJournal(journal);
    return;
  }
  if (ShowMessageBox(journalQuestion(journal)) != IDYES) {
    ORVANE::discardFlightJournal(journal);
    SetMessage("The flight journal of " + journal.callsign() +
               " is discarded; its record is in the log.");
    return;
  }
  // The flight is taken up on the worker, once the engine is prepared (connection test).
  session_.ensurePrepared([this, journal] {
    auto resumed = std::make_shared<bool>(false);
    session_.run([journal, resumed] { *resumed = ORVANE::resumeFlight(journal); },
                 [this, journal, resumed] {
                   if (*resumed) {
                     trackResumed(journal);
                   } else {
                     SetMessage("The journaled flight " + journal.callsign() +
                                " could not be resumed.");
                   }
                 },
                 QT_TRANSLATE_NOOP("orvane::CMyDialog", "Resuming the flight ..."));
  });
}

void CMyDialog::trackResumed(const FlightJournal& journal) {
  const FlightPlan& plan = journal.last.record.plan;
  setText(IDC_FLIGHTNO, plan.callsign);
  SFlightData fd;
  fd.sDeparture = plan.departure;
  fd.sArrival = plan.destination;
  fd.sAlternate = plan.alternate;
  fd.sRoute = plan.route;
  fd.sPassengers = plan.passengers;
  fd.sCargo = plan.cargo;
  fd.sAircraft = plan.aircraft;
  fd.sRules = plan.rules;
  showFlightData(fd);
  ACARSInProgress = true;
  SetMessage("Resuming " + journal.callsign() + " (" + journal.phaseSince() + ") ...");
  setButton403(901);
  enable(IDC_STARTACARS, true);  // Stop ACARS
  enable(IDC_LOADPIREP, false);
  enable(IDC_VIEWPIREP, false);
  enable(IDC_NEWFLIGHT, false);
}

}  // namespace orvane
