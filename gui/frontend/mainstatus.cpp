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
                          : ORVANE::isConnectedToSim() ? tr("Simulator connected").toStdString()
                                                       : tr("Simulator not connected").toStdString());
  if (!session_.busy()) setText(IDC_STATUS_PHASE, shownPhase());
  const LiveACARSStatus live = ORVANE::getLiveACARSStatus();
  std::string acars;
  if (!live.anyPostYet) {
    acars = tr("No live ACARS post yet").toStdString();
  } else if (live.lastPostOk) {
    acars = tr("Live ACARS: sent").toStdString();
  } else {
    acars = tr("Live ACARS: failing since %1")
                .arg(QString::fromStdString(
                    live.failingSince != 0 ? tm2hminU(live.failingSince) : std::string("?")))
                .toStdString();
  }
  setText(IDC_STATUS_ACARS, acars);
  updateTitle();
}

// The phase the status line shows: after the flight, what became of its PIREP. The phases'
// own names stay as the flight's messages have them (TAXI OUT, CRUISING, ...).
std::string CMyDialog::shownPhase() const {
  if (!PIREPAvailable || ACARSInProgress)
    return phase_ == "No flight" ? tr("No flight").toStdString() : phase_;
  return (ORVANE::getPIREPState() == SUCCESS ? tr("PIREP sent") : tr("PIREP ready to send"))
      .toStdString();
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
                (number.empty() ? tr("The PIREP is ready to send.")
                                : tr("The PIREP of %1 is ready to send.")
                                      .arg(QString::fromStdString(number)))
                    .toStdString());
  updateStatusLine();
}

void CMyDialog::OnHelp() {
  const QString here = QDir::currentPath() + '/';
  auto at = [&](const std::string& file) {
    const QString f = QString::fromStdString(file);
    return (QDir::isAbsolutePath(f) ? f : here + f).toStdString();
  };
  auto line = [](const char* english) { return tr(english).toStdString(); };
  const std::string text =
      ORVANE::getVersion() + "\n" +
      line(QT_TR_NOOP("Tracks your flight in the simulator and reports it to your virtual "
                      "airline.")) +
      "\n" + line(QT_TR_NOOP("Licence: MIT")) + "\n" + ORVANE_HOMEPAGE + "\n\n" +
      line(QT_TR_NOOP("Settings:")) + " " + at(pilot_folders().settingsFile()) + "\n" +
      line(QT_TR_NOOP("Log:")) + " " + at(ORVANE::getLogFilePath()) + "\n" +
      line(QT_TR_NOOP("PIREPs not sent yet:")) + " " + at(ORVANE::getOutboxFolder()) + "\n" +
      line(QT_TR_NOOP("Unsaved PIREP at closing:")) + " " + at(lastPIREPFile()) + "\n\n" +
      line(QT_TR_NOOP("Keys: Enter in Flight No. gets the flight data; Escape quits (asking "
                      "first during a flight); Alt and the underlined letter presses a "
                      "button."));
  ShowMessageBox(text, tr("About ORVANE").toStdString(), MB_ICONINFORMATION);
}

}  // namespace orvane
