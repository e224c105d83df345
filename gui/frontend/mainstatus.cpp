// The main window's status line, title, notice of a PIREP ready, and the About box (F1).
// SPDX-License-Identifier: MIT
#include <QDir>
#include <QWidget>

#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/desktopnotice.h"
#include "frontend/flighttimes.h"
#include "frontend/maindialog.h"
#include "util/pilot_folders.h"
#include "util/util.h"

namespace orvane {

void CMyDialog::updateStatusLine() {
  if (GetHwnd() == nullptr) return;
  setText(IDC_STATUS_SIM, !holdStatus_.empty()         ? holdStatus_
                          : ORVANE::isConnectedToSim() ? "Simulator connected"
                                                       : "Simulator not connected");
  if (!session_.busy()) setText(IDC_STATUS_PHASE, shownPhase());
  const LiveACARSStatus live = ORVANE::getLiveACARSStatus();
  std::string acars;
  if (!live.anyPostYet) {
    acars = "No live ACARS post yet";
  } else if (live.lastPostOk) {
    acars = "Live ACARS: sent";
  } else {
    acars = "Live ACARS: failing since " +
            (live.failingSince != 0 ? tm2hminU(live.failingSince) : std::string("?"));
  }
  setText(IDC_STATUS_ACARS, acars);
  updateTitle();
}

// The phase the status line shows: after the flight, what became of its PIREP.
std::string CMyDialog::shownPhase() const {
  if (!PIREPAvailable || ACARSInProgress) return phase_;
  return ORVANE::getPIREPState() == SUCCESS ? "PIREP sent" : "PIREP ready to send";
}

// "ORV123 · CRUISING — ORVANE" while a flight or its PIREP is shown, "ORVANE" otherwise.
void CMyDialog::updateTitle() {
  if (GetHwnd() == nullptr) return;
  const std::string number = text(IDC_FLIGHTNO);
  std::string title = "ORVANE";
  if ((ACARSInProgress || PIREPAvailable) && !number.empty())
    title = number + " \u00B7 " + shownPhase() + " \u2014 ORVANE";
  const QString t = QString::fromStdString(title);
  if (GetHwnd()->windowTitle() != t) GetHwnd()->setWindowTitle(t);
}

void CMyDialog::noticePIREPReady() {
  const std::string number = text(IDC_FLIGHTNO);
  notifyDesktop(GetHwnd(), "ORVANE",
                "The PIREP" + (number.empty() ? std::string() : " of " + number) +
                    " is ready to send.");
  updateStatusLine();
}

void CMyDialog::OnHelp() {
  const QString here = QDir::currentPath() + '/';
  auto at = [&](const std::string& file) {
    const QString f = QString::fromStdString(file);
    return (QDir::isAbsolutePath(f) ? f : here + f).toStdString();
  };
  const std::string text =
      ORVANE::getVersion() + "\n" +
      "Tracks your flight in the simulator and reports it to your virtual airline.\n" +
      "Licence: MIT\n" + ORVANE_HOMEPAGE + "\n\n" +
      "Settings: " + at(pilot_folders().settingsFile()) + "\n" +
      "Log: " + at(ORVANE::getLogFilePath()) + "\n" +
      "PIREPs not sent yet: " + at(ORVANE::getOutboxFolder()) + "\n" +
      "Unsaved PIREP at closing: " + at(lastPIREPFile()) + "\n\n" +
      "Keys: Enter in Flight No. gets the flight data; Escape quits (asking first during a "
      "flight); Alt and the underlined letter presses a button.";
  ShowMessageBox(text, "About ORVANE", MB_ICONINFORMATION);
}

}  // namespace orvane
