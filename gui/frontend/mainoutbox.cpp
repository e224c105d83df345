// CMyDialog and the outbox: the waiting PIREPs offered or sent at the start, a report shown as loaded.
// SPDX-License-Identifier: MIT
#include <QTimer>
#include <string>
#include <vector>

#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/flighttimes.h"
#include "frontend/handoffpoll.h"
#include "frontend/maindialog.h"
#include "frontend/pirepdialog.h"
#include "util/clock.h"
#include "util/util.h"

namespace orvane {

void CMyDialog::showLoadedReport(const PIREPData& report) {
  PD = report;
  track_ = FlightTrack{};
  touchdown_ = Touchdown{};
  setText(IDC_FLIGHTNO, PD.Callsign);
  SFlightData fd;
  fd.sDeparture = PD.From;
  fd.sArrival = PD.To;
  fd.sAlternate = PD.Alt;
  fd.sRoute = PD.Route;
  fd.sPassengers = PD.Passengers;
  fd.sCargo = PD.Cargo;
  fd.sAltitude = PD.FL;  // the flight's altitude field shows the report's flight level
  fd.sAircraft = PD.Aircraft;
  fd.sRules = PD.Rules;
  showFlightData(fd);
  setText(IDC_BLOCKTIME, PD.BlockTime);
  setText(IDC_FLIGHTTIME, PD.FliteTime);
  setText(IDC_PIREP_FL, PD.FL);
  setWeight(IDC_BLOCKFUEL, PD.BlockFuel);
  setWeight(IDC_FLIGHTFUEL, PD.FliteFuel);
  setText(IDC_OUT, tm2hminU(To_t<long>(PD.Out)));
  setText(IDC_OFF, tm2hminU(To_t<long>(PD.Off)));
  setText(IDC_ON, tm2hminU(To_t<long>(PD.On)));
  setText(IDC_IN, tm2hminU(To_t<long>(PD.In)));
  if (PD.Online == "OFFLINE" || PD.Online == "VATSIM") {
    check(IDC_OFFLINE, PD.Online == "OFFLINE");
    check(IDC_VATSIM, PD.Online == "VATSIM");
    check(IDC_OTHER, false);
    setText(IDC_OTHERNET, "");
  } else {
    check(IDC_OFFLINE, false);
    check(IDC_VATSIM, false);
    check(IDC_OTHER, true);
    setText(IDC_OTHERNET, PD.Online);
  }
  setText(IDC_COMMENT, PD.Comment);
  SetMessage(loadString(611));
  PIREPAvailable = true;
  PIREPSaved = true;
  enable(IDC_VIEWPIREP, true);
  enable(IDC_NEWFLIGHT, true);
}

void CMyDialog::offerOutbox() {
  const std::vector<Outbox::Entry> waiting = ORVANE::getOutbox();
  if (waiting.empty()) return;
  if (ORVANE::getFlightOptions().PIREPAuto) {
    sendOutbox(waiting);
    return;
  }
  MessageBoxRequest box;
  box.text = Outbox::summary(waiting);
  box.caption = "ORVANE";
  box.style = MB_YESNOCANCEL | MB_ICONQUESTION;
  box.labels = {tr("Send now").toStdString(), tr("Review").toStdString(),
                tr("Later").toStdString()};
  switch (ShowMessageBox(box)) {
    case IDYES:
      sendOutbox(waiting);
      break;
    case IDNO:
      // The first one, as if loaded from its file; it stays in the outbox until it is sent.
      showLoadedReport(waiting.front().report);
      SetMessage(Outbox::summary(waiting));
      // The review opens once the main window is up.
      QTimer::singleShot(0, GetHwnd(), [this] { OnSendPIREP(); });
      break;
    default:
      SetMessage(Outbox::summary(waiting));
      break;
  }
}

void CMyDialog::sendOutbox(const std::vector<Outbox::Entry>& entries) {
  if (!outboxToSend_.empty()) return;
  outboxToSend_ = entries;
  outboxSent_ = outboxTried_ = 0;
  sendNextFromOutbox();
}

void CMyDialog::sendNextFromOutbox() {
  if (outboxToSend_.empty()) return;
  const Outbox::Entry& next = outboxToSend_.front();
  SetMessage("Sending the PIREP of " + Outbox::describe(next.report) + " ...");
  // Returns at once; the outcome comes through the PIREP state.
  ORVANE::SendPIREP(next.report);
  outboxPoll_->start(clock(), CPIREPDialog::SendWaitLimitMs(),
                     [] { return ORVANE::getPIREPState() != UNKNOWN; },
                     [this](bool arrived) {
                       ++outboxTried_;
                       if (arrived && ORVANE::getPIREPState() == SUCCESS) ++outboxSent_;
                       outboxToSend_.erase(outboxToSend_.begin());
                       if (!outboxToSend_.empty()) {
                         sendNextFromOutbox();
                         return;
                       }
                       const int left = outboxTried_ - outboxSent_;
                       SetMessage(left == 0 ? std::string(outboxSent_ == 1
                                                              ? "The waiting PIREP was sent."
                                                              : "The waiting PIREPs were sent.")
                                            : std::to_string(left) + " of " +
                                                  std::to_string(outboxTried_) +
                                                  " waiting PIREPs could not be sent: [" +
                                                  ORVANE::getPIREPMessage() +
                                                  "]; they stay in the outbox.");
                     });
}

}  // namespace orvane
