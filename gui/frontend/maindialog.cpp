// CMyDialog: the main window's start-up, the pilot's commands, the message area and the ending.
// SPDX-License-Identifier: MIT
#include "frontend/maindialog.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include "net/http_transfer.h"
#include "framework/dialoghelpers.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "frontend/addressprompt.h"
#include "frontend/flighttimes.h"
#include "frontend/handoffpoll.h"
#include "frontend/hyperlink.h"
#include "frontend/importreview.h"
#include "frontend/mainfit.h"
#include "frontend/optiondialog.h"
#include "frontend/pirepdialog.h"
#include "frontend/pirepfile.h"
#include "frontend/windowprefs.h"
#include "ui_maindialog.h"
#include "util/clock.h"
#include "util/pilot_folders.h"
#include "util/util.h"

// The icons are compiled into the window library; a static library must register them.
static void initResources() { Q_INIT_RESOURCE(orvane); }

namespace orvane {

const char* const ORVANE_WEB_ADDRESS = ORVANE_HOMEPAGE;
std::string CMyDialog::lastPIREPFile() { return pilot_folders().lastPIREPFile(); }

namespace {

// How often the window looks for the flight plan's answer while it waits, milliseconds.
constexpr int kFlightPlanPollMs = 200;
// Beyond the transfer's own time-outs, how long to wait for the flight plan, seconds.
constexpr std::int64_t kFlightPlanMarginS = 15;

CMyDialog::PIREPReviewRunner& pirepDialogRunner() {
  static CMyDialog::PIREPReviewRunner runner;
  return runner;
}

}  // namespace

void layoutMainDialog(QDialog* window) {
  Ui::MainDialog ui;
  ui.setupUi(window);
  fitToSmallScreens(window);
}

void CMyDialog::setPIREPDialogRunner(PIREPDialogRunner runner) {
  if (!runner) {
    pirepDialogRunner() = nullptr;
    return;
  }
  pirepDialogRunner() = [run = std::move(runner)](CMyDialog& owner, const PIREPData& pd,
                                                  bool saved, const FlightTrack& track,
                                                  const Touchdown&) { run(owner, pd, saved, track); };
}

void CMyDialog::setPIREPReviewRunner(PIREPReviewRunner runner) {
  pirepDialogRunner() = std::move(runner);
}

CMyDialog::CMyDialog(QWidget* owner) : CDialog(IDD_MAIN, &layoutMainDialog, owner) {
  initResources();
}

CMyDialog::~CMyDialog() { session_.stop(); }

// ---- Small control helpers -------------------------------------------------------------

void CMyDialog::enable(UINT id, bool on) { EnableDlgItem(GetHwnd(), id, on); }
void CMyDialog::setText(UINT id, const std::string& t) { SetDlgItemText(GetHwnd(), id, t); }
std::string CMyDialog::text(UINT id) const { return getItemString(GetHwnd(), id); }
bool CMyDialog::checked(UINT id) const { return IsDlgButtonChecked(GetHwnd(), id); }
void CMyDialog::check(UINT id, bool on) { CheckDlgButton(GetHwnd(), id, on); }
void CMyDialog::setButton403(UINT stringId) { setText(IDC_STARTACARS, loadString(stringId)); }

// ---- The engine session's work ----------------------------------------------------------

void CMyDialog::showBusy(const char* what) {
  if (GetHwnd() != nullptr) setText(IDC_STATUS_PHASE, tr(what).toStdString());
}

void CMyDialog::showIdle() { updateStatusLine(); }

void CMyDialog::finalizeEngine(std::function<void()> then) {
  session_.finalize([this, then = std::move(then)] {
    // No report tells this before the worker's next pass, which a simulator that does not
    // answer may hold for a while.
    phase_ = "No flight";
    updateStatusLine();
    if (then) then();
  });
}

// ---- Start-up ----------------------------------------------------------------------------

bool CMyDialog::OnInitDialog() {
  SetIconLarge(IDI_ORVANE);
  SetIconSmall(IDI_ORVANE);
  ORVANE::Log(ORVANE::getVersion() + " initialized.");
  ORVANE::setOptionInputDialog(&OptionInputDialog);
  ORVANE::loadOptions(pilot_folders().settingsFile(), pilot_folders().data);
  applyWindowPrefs();
  importAtStart();  // orvane --import FILE, unless the option-input hook has reviewed it

  ORVANE::Log("Creating Thread.");
  session_.start(GetHwnd(), *this);
  ORVANE::Log("Thread created.");
  // Preparing waits for the server's connection test: the worker does it, the window
  // stays usable.
  session_.ensurePrepared({});
  SetMessage("");

  check(IDC_IFR, true);
  check(IDC_OFFLINE, true);
  setText(IDC_HYPERLINK, ORVANE_WEB_ADDRESS);
  m_Hyperlink = std::make_unique<CHyperlink>();
  m_Hyperlink->AttachDlgItem(IDC_HYPERLINK, GetHwnd());
  setText(IDC_VERSION, ORVANE::getVersion());
  enable(IDC_STARTACARS, false);
  enable(IDC_VIEWPIREP, false);
  enable(IDC_LOADPIREP, true);
  enable(IDC_GETFD, true);

  flightPlanPoll_ = new HandOffPoll(kFlightPlanPollMs, GetHwnd());
  outboxPoll_ = new HandOffPoll(kFlightPlanPollMs, GetHwnd());

  const QByteArray geometry = WindowPrefs::geometry();
  if (!geometry.isEmpty()) GetHwnd()->restoreGeometry(geometry);
  updateStatusLine();
  offerJournal();
  offerOutbox();
  ORVANE::Log("Finished Init stage.");
  return true;
}

// ---- The message area ------------------------------------------------------------------

void CMyDialog::SetMessage(const std::string& message) {
  if (DisplayedMessage.empty()) {
    DisplayedMessage = loadString(600);
    setText(IDC_MESSAGE, DisplayedMessage);
  }
  if (message == StoredMessage) return;
  if (message.empty()) {
    DisplayedMessage.clear();
    StoredMessage.clear();
    SetMessage("");
    return;
  }
  StoredMessage = message;
  DisplayedMessage = message;
  setText(IDC_MESSAGE, DisplayedMessage);
}

// ---- Commands ----------------------------------------------------------------------------

bool CMyDialog::OnCommand(UINT id) {
  switch (id) {
    case IDC_GETFD:
      OnGetFD();
      return true;
    case IDC_OPTIONS:
      OnOptions();
      return true;
    case IDC_STARTACARS:
      OnStartACARS();
      return true;
    case IDC_VIEWPIREP:
      OnSendPIREP();
      return true;
    case IDC_LOADPIREP:
      OnLoadPIREP();
      return true;
    case IDC_NEWFLIGHT:
      Prepare_New_Flight();
      return true;
    default:
      return false;
  }
}

SFlightData CMyDialog::fillinSFD() const {
  SFlightData fd;
  fd.sCallsign = text(IDC_FLIGHTNO);
  fd.sDeparture = text(IDC_DEPARTURE);
  fd.sArrival = text(IDC_DESTINATION);
  fd.sAlternate = text(IDC_ALTERNATE);
  fd.sRoute = text(IDC_ROUTE);
  fd.sPassengers = text(IDC_PASSENGERS);
  fd.sCargo = weightPounds(IDC_CARGO);
  fd.sAircraft = text(IDC_AIRCRAFT);
  fd.sAltitude = text(IDC_ALTITUDE);
  fd.sRules = checked(IDC_IFR) ? "IFR" : "VFR";
  return fd;
}

bool CMyDialog::checkData(const SFlightData& d) {
  return !d.sCallsign.empty() && !d.sDeparture.empty() && !d.sArrival.empty() &&
         !d.sAlternate.empty() && !d.sAircraft.empty();
}

void CMyDialog::showFlightData(const SFlightData& fd) {
  setText(IDC_DEPARTURE, fd.sDeparture);
  setText(IDC_DESTINATION, fd.sArrival);
  setText(IDC_ALTERNATE, fd.sAlternate);
  setText(IDC_ROUTE, fd.sRoute);
  setText(IDC_PASSENGERS, std::to_string(To_t<unsigned int>(fd.sPassengers)));
  setWeight(IDC_CARGO, std::to_string(To_t<unsigned int>(fd.sCargo)));
  setText(IDC_ALTITUDE, std::to_string(To_t<unsigned int>(fd.sAltitude)));
  setText(IDC_AIRCRAFT, fd.sAircraft);
  const bool ifr = fd.sRules == "IFR";
  check(IDC_IFR, ifr);
  check(IDC_VFR, !ifr);
}

void CMyDialog::OnGetFD() {
  if (flightPlanPoll_->active()) return;
  const std::string flightNumber = text(IDC_FLIGHTNO);
  Prepare_New_Flight();
  setText(IDC_FLIGHTNO, flightNumber);
  // The button stays off until the answer came, so one request runs at a time.
  enable(IDC_GETFD, false);
  session_.ensurePrepared([this, flightNumber] {
    if (flightNumber.empty()) {
      enable(IDC_GETFD, true);
      MessBox(652, 800, MB_ICONERROR);
      return;
    }
    ORVANE::getACARSFlightPlan();  // an answer left from an earlier request is not this one's
    ORVANE::getFlightPlan(flightNumber);
    session_.setBusy(true, QT_TRANSLATE_NOOP("orvane::CMyDialog", "Getting the flight data ..."));
    flightPlanPoll_->start(
        clock(), (2 * HttpTransfer::timeoutSeconds() + kFlightPlanMarginS) * 1000,
        [this] {
          flightPlanAnswer_ = ORVANE::getACARSFlightPlan();
          return !flightPlanAnswer_.empty();
        },
        [this](bool arrived) { flightPlanArrived(arrived); });
  });
}

void CMyDialog::flightPlanArrived(bool arrived) {
  std::string answer = std::move(flightPlanAnswer_);
  flightPlanAnswer_.clear();
  if (!arrived) answer = "ERROR: no answer came from the flight-information server.";
  session_.setBusy(false);
  enable(IDC_GETFD, true);
  if (starts_with(answer, "ERROR:")) {
    const std::string failure = loadString(653) + "\r\n[" + answer + "]";
    switch (confirmNewAddress(AirlineAddress::FLIGHTINFO, failure, loadString(801),
                              pilot_folders().settingsFile())) {
      case AddressAnswer::USE: OnGetFD(); break;  // once more, at the confirmed address
      case AddressAnswer::KEEP: break;
      case AddressAnswer::NO_OFFER: ShowMessageBox(failure, loadString(801), MB_ICONERROR); break;
    }
    return;
  }
  showFlightData(ORVANE::fillinFlightData(answer));
}

void CMyDialog::OnStartACARS() {
  session_.ensurePrepared([this] {
    if (ACARSInProgress && ORVANE::getFlightHold().suspended) {
      // End flight: the suspended flight ends as a lost simulator ended it before.
      if (MessBox(700, 806, MB_YESNO) == IDYES) {
        session_.run([] { ORVANE::endFlight(); }, {}, QT_TRANSLATE_NOOP("orvane::CMyDialog", "Ending the flight ..."));
        endLostFlight();
      }
      return;
    }
    if (!ORVANE::isConnectedToSim()) {
      MessBox(654, 802, MB_ICONERROR);
      return;
    }
    if (!ACARSInProgress) {
      if (!ORVANE::isOnGround() || ORVANE::EnginesRunning()) {
        MessBox(655, 800, MB_ICONERROR);
        return;
      }
      const SFlightData data = fillinSFD();
      if (!checkData(data)) {
        MessBox(650, 800, MB_ICONERROR);
        ACARSInProgress = false;
        return;
      }
      if (PIREPAvailable) {
        if (MessBox(703, 806, MB_YESNO) != IDYES) return;
        PIREPAvailable = false;
        enable(IDC_VIEWPIREP, false);
        enable(IDC_NEWFLIGHT, false);
        enable(IDC_LOADPIREP, true);
        prevouttime = prevofftime = prevontime = previntime = 0;
      }
      ACARSInProgress = true;
      session_.run(
          [data] {
            ORVANE::setStaticData(data);
            ORVANE::BeginFlight();
          },
          {}, QT_TRANSLATE_NOOP("orvane::CMyDialog", "Starting ACARS ..."));
      SetMessage(loadString(603));
      setButton403(901);
      enable(IDC_LOADPIREP, false);
      enable(IDC_VIEWPIREP, false);
      enable(IDC_NEWFLIGHT, false);
    } else if (MessBox(700, 806, MB_YESNO) == IDYES) {
      stopTracking();
    }
  });
}

bool CMyDialog::getPDFromFrontend() {
  if (!PIREPAvailable) {
    MessBox(657, 800, MB_ICONERROR);
    return false;
  }
  PD.FL = text(IDC_PIREP_FL);
  if (checked(IDC_OFFLINE)) {
    PD.Online = "OFFLINE";
  } else if (checked(IDC_VATSIM)) {
    PD.Online = "VATSIM";
  } else {
    PD.Online = text(IDC_OTHERNET);
  }
  PD.Comment = text(IDC_COMMENT);
  return true;
}

void CMyDialog::OnSendPIREP() {
  if (!getPDFromFrontend()) return;
  if (IsPIREPOpen) return;
  // The review opens at once: sending needs no flight of its own, so it never waits for the
  // next flight's preparation or its connection test.
  {
    if (GetHwnd() == nullptr) return;
    QPointer<QWidget> focus = QApplication::focusWidget();
    IsPIREPOpen = true;
    PIREPReviewRunner& runner = pirepDialogRunner();
    if (runner) {
      runner(*this, PD, PIREPSaved, track_, touchdown_);
    } else {
      CPIREPDialog dialog(PD, PIREPSaved, track_, touchdown_, GetHwnd());
      dialog.setFileFolder(pirepFolder_);
      connect(&dialog, &CPIREPDialog::pirepSaved, this,
              [this] { DialogProc(WM_PIREP_SAVED, 0, 0); });
      dialog.DoModal();
      pirepFolder_ = dialog.fileFolder();
    }
    if (focus) focus->setFocus();
    IsPIREPOpen = false;
  }
  updateStatusLine();  // the PIREP may have been sent
}

void CMyDialog::OnOptions() {
  if (IsOptionsOpen) return;
  QPointer<QWidget> focus = QApplication::focusWidget();
  IsOptionsOpen = true;
  COptionDialog dialog(GetHwnd());
  if (dialog.DoModal() == IDOK) showWeightUnit();
  if (focus) focus->setFocus();
  IsOptionsOpen = false;
}

void CMyDialog::OnLoadPIREP() {
  if ((ACARSInProgress || PIREPAvailable) && MessBox(610, 806, MB_YESNO) != IDYES) return;
  FileDialogRequest request;
  request.save = false;
  request.owner = GetHwnd();
  request.filters = {{"ORVANE-PIREP Files (*.ovp)", "*.ovp"}, {"All Files (*.*)", "*.*"}};
  request.mustExist = true;
  request.folder = pirepFolder_.empty() ? pilot_folders().data : pirepFolder_;
  const std::optional<std::string> path = GetFileName(request);
  if (!path) return;
  if (const std::string folder = folderOfFile(*path); !folder.empty()) pirepFolder_ = folder;
  LoadedPIREPFile loaded = loadPIREPFile(*path);
  if (loaded.result == PIREPFileResult::CannotOpen) return;
  if (loaded.result != PIREPFileResult::Done) {
    ShowMessageBox(loaded.message, loadString(803), MB_ICONERROR);
    return;
  }
  showLoadedReport(loaded.report);
}

void CMyDialog::Prepare_New_Flight() {
  if (PIREPAvailable && !PIREPSaved && MessBox(703, 806, MB_YESNO) != IDYES) return;
  finalizeEngine();
  for (UINT id : {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN, IDC_BLOCKTIME, IDC_FLIGHTTIME, IDC_PIREP_FL,
                  IDC_BLOCKFUEL, IDC_FLIGHTFUEL, IDC_FLIGHTNO, IDC_DEPARTURE, IDC_DESTINATION,
                  IDC_ALTERNATE, IDC_ROUTE, IDC_PASSENGERS, IDC_CARGO, IDC_AIRCRAFT,
                  IDC_ALTITUDE, IDC_COMMENT}) {
    setText(id, "");
  }
  ACARSInProgress = false;
  PIREPAvailable = false;
  enable(IDC_VIEWPIREP, false);
  enable(IDC_LOADPIREP, true);
  enable(IDC_STARTACARS, false);
  prevouttime = prevofftime = prevontime = previntime = 0;
  SetMessage("");
}

// ---- Ending ------------------------------------------------------------------------------

void CMyDialog::OnOK() {
  if ((ACARSInProgress || PIREPAvailable) && MessBox(609, 806, MB_YESNO) != IDYES) return;
  SetMessage(loadString(606));
  auto finish = [this] {
    SetMessage(loadString(607));
    MessBox(608, 805, MB_OK);
    onWindowDestroyed();
    EndDialog(IDOK);
  };
  if (session_.holdsFlight()) {
    finalizeEngine(finish);
  } else {
    finish();
  }
}

void CMyDialog::OnReturnKey() {
  QWidget* number = GetDlgItem(IDC_FLIGHTNO);
  QWidget* getData = GetDlgItem(IDC_GETFD);
  if (number != nullptr && number->hasFocus() && getData != nullptr && getData->isEnabled()) {
    OnGetFD();
  }
}

// Escape and the close box are Quit: with a flight tracked or a PIREP unsent they ask first.
void CMyDialog::OnCancel() { OnOK(); }

void CMyDialog::OnEndSession() {
  onWindowDestroyed();
  CDialog::OnCancel();
}

void CMyDialog::onWindowDestroyed() {
  if (GetHwnd() == nullptr) return;
  if (flightPlanPoll_ != nullptr) flightPlanPoll_->stop();
  if (outboxPoll_ != nullptr) outboxPoll_->stop();
  session_.clearBusy();
  // The application ends the flight after the dialog; a worker held by a simulator that does
  // not answer lets go after its current attempt, so the join below is short.
  ORVANE::finalizeComing();
  session_.stop();
  WindowPrefs::setGeometry(GetHwnd()->saveGeometry());
  if (PIREPAvailable && !PIREPSaved) {
    // Written whole or not at all: a crash or a full disk never leaves half a file over a
    // good one.
    if (savePIREPFile(PD, lastPIREPFile()) != PIREPFileResult::Done) {
      ShowMessageBox("Cannot access file [" + lastPIREPFile() + "]", loadString(803),
                     MB_ICONERROR);
    }
  }
}

}  // namespace orvane
