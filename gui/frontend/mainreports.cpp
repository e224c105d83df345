// CMyDialog and the worker's reports: each pass's update, the PIREP, live ACARS failures, status.
// SPDX-License-Identifier: MIT
#include "frontend/maindialog.h"

#include <cstdint>
#include <string>
#include <utility>

#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "frontend/addressprompt.h"
#include "frontend/flighttimes.h"
#include "tracking/flightstate.h"
#include "util/pilot_folders.h"
#include "util/util.h"

namespace orvane {

// ---- Reports from the worker -------------------------------------------------------------

void CMyDialog::onPIREPAvailable() {
  DialogProc(WM_PIREP_AVAILABLE, 0, 0);
  ++reportsHandled_;
}
void CMyDialog::onPeriodicUpdate() {
  DialogProc(WM_PERIODIC_UPDATE, 0, 0);
  ++reportsHandled_;
}
void CMyDialog::onCycleStopped() { DialogProc(WM_CYCLE_STOPPED, 0, 0); }
void CMyDialog::onLiveACARSFailed(const std::string& text) {
  DialogProc(WM_LIVEACARS_FAILED, 0, reinterpret_cast<LPARAM>(&text));
}

INT_PTR CMyDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (GetHwnd() != nullptr) {
    switch (message) {
      case WM_PIREP_AVAILABLE:
        pirepAvailable();
        break;
      case WM_PERIODIC_UPDATE:
        periodicUpdate();
        break;
      case WM_CYCLE_STOPPED:
        ORVANE_Initialized = false;
        break;
      case WM_LIVEACARS_FAILED:
        if (!PIREPAvailable) liveACARSFailed(reinterpret_cast<const std::string*>(lParam));
        break;
      case WM_PIREP_SAVED:
        PIREPSaved = true;
        break;
      default:
        break;
    }
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

void CMyDialog::endLostFlight() {
  SetMessage(loadString(602));
  finalizeEngine([this] {
    // The ended flight's last ACARS lines (its queue is tried once more as it ends) are not
    // news for the next flight: the welcome stays.
    ORVANE::getACARSMessage();
    if (!PIREPAvailable && !ACARSInProgress) SetMessage("");
  });
  ACARSInProgress = false;
  suspendedShown_ = rateWarned_ = false;
  holdStatus_.clear();
  setButton403(900);
  enable(IDC_STARTACARS, false);
  enable(IDC_LOADPIREP, true);
  if (!PIREPAvailable) {
    prevouttime = prevofftime = prevontime = previntime = 0;
    for (UINT id : {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN}) setText(id, "");
    SetMessage("");
  }
  session_.ensurePrepared({});
}

void CMyDialog::periodicUpdate() {
  if (ACARSInProgress) {
    // The live messages wait while the ACARS address answers with a redirect.
    confirmNewAddress(AirlineAddress::ACARS,
                      "The live ACARS server answered with a redirect: the messages wait.",
                      loadString(806), pilot_folders().settingsFile());
  }
  const FlightHold hold = ORVANE::getFlightHold();
  // A simulator lost mid-flight suspends the flight: the pilot ends it, not the window.
  const bool lost =
      (!ORVANE::isConnectedToSim() && !hold.suspended) || ORVANE::isFlightCrashed();
  if (lost && ACARSInProgress) {
    endLostFlight();
  } else {
    if (ORVANE_Initialized) {
      // One time per update, in the order they happen.
      struct Slot {
        std::int64_t* prev;
        int (*get)();
        UINT id;
      };
      const Slot times[] = {{&prevouttime, &ORVANE::getOutTime, IDC_OUT},
                            {&prevofftime, &ORVANE::getOffTime, IDC_OFF},
                            {&prevontime, &ORVANE::getOnTime, IDC_ON},
                            {&previntime, &ORVANE::getInTime, IDC_IN}};
      for (const Slot& s : times) {
        if (*s.prev != 0) continue;
        *s.prev = s.get();
        if (*s.prev != 0) setText(s.id, tm2hminU(*s.prev));
        break;
      }
    }
    if (ACARSInProgress && !PIREPAvailable) {
      setText(IDC_FLIGHTTIME, s2hmin(ORVANE::getCurrentFlightTime()));
      setWeight(IDC_BLOCKFUEL, std::to_string(ORVANE::getCurrentBlockFuel()));
      setWeight(IDC_FLIGHTFUEL, std::to_string(ORVANE::getCurrentFlightFuel()));
      setText(IDC_BLOCKTIME, s2hmin(ORVANE::getCurrentBlockTime()));
    }
    if (!ORVANE_Initialized && !PIREPAvailable) {
      prevouttime = prevofftime = prevontime = previntime = 0;
      for (UINT id : {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN}) setText(id, "");
    }
    if (DisplayedMessage == loadString(602)) SetMessage("");
    const std::string acars = ORVANE::getACARSMessage();
    if (!acars.empty()) SetMessage(acars);
  }
  // The phase after this pass (the engine publishes the one the pass started in). The
  // worker waits for this report, so no cycle holds the engine now.
  const int state = ORVANE::getState();
  phase_ = state == FlightState::NONE ? std::string("No flight")
                                      : FlightState::stateName(static_cast<FlightState::State>(state));

  if (ACARSInProgress) showHolds(hold);
  // A fast simulator is a warning while the flight holds it; beyond its time (or with the
  // flight already ended) tracking ends as it always did.
  const bool rateTeardown =
      ORVANE::isSlewing() && (hold.rateExpired || !session_.holdsFlight());
  if (ACARSInProgress) {
    if (rateTeardown) {
      MessBox(651, 800, MB_ICONERROR);
      // Tracking stays flagged, so the box comes again at each update while the slew goes
      // on. The engine is ended once: a job posted at every box would wake the worker at
      // once and bring the box back without end.
      if (session_.holdsFlight()) finalizeEngine();
    }
  } else if ((!PIREPAvailable || PIREPSaved) && checkData(fillinSFD()) &&
             ORVANE::isConnectedToSim()) {
    enable(IDC_STARTACARS, true);
    setButton403(900);
  }
  updateStatusLine();
}

void CMyDialog::pirepAvailable() {
  if (!ORVANE::PIREPDataAvailable()) return;
  PD = ORVANE::getPIREPData();
  track_ = ORVANE::getFlightTrack();
  touchdown_ = ORVANE::getTouchdown();
  // The report may come in the pass that also knew the last event: the times not shown yet
  // come from the report, as no periodic update follows it.
  const std::pair<std::int64_t*, const std::string*> events[] = {
      {&prevouttime, &PD.Out}, {&prevofftime, &PD.Off}, {&prevontime, &PD.On}, {&previntime, &PD.In}};
  const UINT eventIds[] = {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN};
  for (int i = 0; i < 4; ++i) {
    if (*events[i].first != 0) continue;
    *events[i].first = To_t<std::int64_t>(*events[i].second);
    if (*events[i].first != 0) setText(eventIds[i], tm2hminU(*events[i].first));
  }
  setText(IDC_BLOCKTIME, PD.BlockTime);
  setText(IDC_FLIGHTTIME, PD.FliteTime);
  setText(IDC_PIREP_FL, PD.FL);
  setWeight(IDC_BLOCKFUEL, PD.BlockFuel);
  setWeight(IDC_FLIGHTFUEL, PD.FliteFuel);
  SetMessage(loadString(601));
  PIREPAvailable = true;
  PIREPSaved = false;
  ACARSInProgress = false;
  enable(IDC_VIEWPIREP, true);
  enable(IDC_NEWFLIGHT, true);
  enable(IDC_STARTACARS, false);
  setButton403(900);
  noticePIREPReady();
}

void CMyDialog::liveACARSFailed(const std::string* error) {
  if (error == nullptr) {
    ORVANE::Log("No message found in WM_USER+4.");
    return;
  }
  FlightOptions options = ORVANE::getFlightOptions();
  if (!options.enableLiveACARS) return;
  const std::string box = loadString(701) + "[" + *error + "]\r\n" + loadString(702);
  if (ShowMessageBox(box, loadString(806), MB_OKCANCEL) == IDOK) {
    options.enableLiveACARS = false;
    session_.run(
        [options] {
          ORVANE::setFlightOptions(options);
          ORVANE::BeginFlight();
        },
        {}, QT_TRANSLATE_NOOP("orvane::CMyDialog", "Going on without live ACARS ..."));
  } else {
    stopTracking();
  }
}

void CMyDialog::stopTracking() {
  finalizeEngine();
  SetMessage("");
  ACARSInProgress = false;
  PIREPAvailable = false;
  setButton403(900);
  enable(IDC_LOADPIREP, true);
}

void CMyDialog::showHolds(const FlightHold& hold) {
  holdStatus_.clear();
  if (hold.suspended) {
    holdStatus_ = hold.suspendedText;
    SetMessage(hold.suspendedText);
    if (!suspendedShown_) setButton403(902);
    suspendedShown_ = true;
  } else if (suspendedShown_) {
    // The simulator is back near the aircraft: the flight goes on.
    suspendedShown_ = false;
    setButton403(901);
    SetMessage("The simulator is back near where it was: the flight goes on.");
  }
  if (hold.rateHeld && !hold.rateExpired) {
    std::string warning = loadString(651);
    const std::size_t second = warning.find('\n', warning.find('\n') + 1);
    std::string line = warning.substr(0, second);
    for (char& c : line) c = c == '\n' ? ' ' : c;
    holdStatus_ = line;
    if (!rateWarned_) SetMessage(warning);
    rateWarned_ = true;
  } else if (rateWarned_) {
    rateWarned_ = false;
    if (!hold.rateExpired) SetMessage("The simulation rate is back to 1x: the flight goes on.");
  }
}

}  // namespace orvane
