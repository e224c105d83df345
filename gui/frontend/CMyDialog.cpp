// CMyDialog: the main window's handlers, its reports from the worker and its engine jobs.
#include "frontend/CMyDialog.h"

#include <QApplication>
#include <QDialog>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <iterator>

#include "net/http_transfer.h"
#include "framework/dialoghelpers.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "frontend/hyperlink.h"
#include "frontend/optiondialog.h"
#include "frontend/pirepdialog.h"
#include "frontend/flighttimes.h"
#include "tracking/flightstate.h"
#include "ui_maindialog.h"
#include "util/clock.h"
#include "util/util.h"

// The icons are compiled into the window library; a static library must register them.
static void initResources() { Q_INIT_RESOURCE(orvane); }

namespace orvane {

const char* const ORVANE_WEB_ADDRESS = "https://orvane.example.org/";
const char* const CMyDialog::LAST_PIREP_FILE = "lastpirep.ovp";

namespace {

// How often the window looks for the flight plan's answer while it waits, milliseconds.
constexpr int kFlightPlanPollMs = 200;
// Beyond the transfer's own time-outs, how long to wait for the flight plan, seconds.
constexpr std::int64_t kFlightPlanMarginS = 15;

CMyDialog::PIREPDialogRunner& pirepDialogRunner() {
  static CMyDialog::PIREPDialogRunner runner;
  return runner;
}

}  // namespace

void layoutMainDialog(QDialog* window) {
  Ui::MainDialog ui;
  ui.setupUi(window);
}

void CMyDialog::setPIREPDialogRunner(PIREPDialogRunner runner) {
  pirepDialogRunner() = std::move(runner);
}

CMyDialog::CMyDialog(QWidget* owner) : CDialog(IDD_MAIN, &layoutMainDialog, owner) {
  initResources();
}

CMyDialog::~CMyDialog() {
  if (worker_) worker_->stop();
}

// ---- Small control helpers -------------------------------------------------------------

void CMyDialog::enable(UINT id, bool on) { EnableDlgItem(GetHwnd(), id, on); }
void CMyDialog::setText(UINT id, const std::string& t) { SetDlgItemText(GetHwnd(), id, t); }
std::string CMyDialog::text(UINT id) const { return getItemString(GetHwnd(), id); }
bool CMyDialog::checked(UINT id) const { return IsDlgButtonChecked(GetHwnd(), id); }
void CMyDialog::check(UINT id, bool on) { CheckDlgButton(GetHwnd(), id, on); }
void CMyDialog::setButton403(UINT stringId) { setText(IDC_STARTACARS, loadString(stringId)); }

// ---- Busy state and engine jobs --------------------------------------------------------

void CMyDialog::setBusy(bool on, const char* what) {
  if (on) {
    if (busy_++ == 0) QApplication::setOverrideCursor(Qt::BusyCursor);
    if (what != nullptr && GetHwnd() != nullptr) setText(IDC_STATUS_PHASE, what);
  } else if (busy_ > 0) {
    if (--busy_ == 0) {
      QApplication::restoreOverrideCursor();
      updateStatusLine();
    }
  }
}

void CMyDialog::engineJob(std::function<void()> job, std::function<void()> then,
                          const char* what) {
  if (!worker_) {
    job();
    if (then) then();
    return;
  }
  setBusy(true, what);
  QPointer<QWidget> window = GetHwnd();
  worker_->post(std::move(job), [this, window, then = std::move(then)] {
    // The window may have ended while the job ran; then nothing is left to update.
    if (window.isNull()) return;
    setBusy(false);
    if (then) then();
  });
}

void CMyDialog::ensurePrepared(std::function<void()> then) {
  if (ORVANE_Initialized && !preparing_) {
    if (then) then();
    return;
  }
  const int generation = engineGeneration_;
  // A second request while a prepare of the same flight is queued only waits for that one.
  const bool first = !(preparing_ && preparingGeneration_ == generation);
  preparing_ = true;
  preparingGeneration_ = generation;
  EngineWorker* worker = worker_.get();
  engineJob(
      [worker, first] {
        if (!first) return;
        if (worker != nullptr) {
          worker->prepareEngine();
        } else {
          ORVANE::prepare();
        }
      },
      [this, generation, then = std::move(then)] {
        preparing_ = false;
        // A finalize queued behind the prepare has ended that flight already.
        if (generation != engineGeneration_) return;
        ORVANE_Initialized = true;
        if (then) then();
      },
      "Connecting to the ACARS server ...");
}

void CMyDialog::finalizeEngine(std::function<void()> then) {
  ORVANE_Initialized = false;
  ++engineGeneration_;
  // A worker held by a simulator that does not answer lets go after its current attempt.
  ORVANE::finalizeComing();
  engineJob([] { ORVANE::finalize(); },
            [this, then = std::move(then)] {
              // No report tells this before the worker's next pass, which a simulator that
              // does not answer may hold for a while.
              phase_ = "No flight";
              updateStatusLine();
              if (then) then();
            },
            "Ending the flight ...");
}

// ---- Start-up ----------------------------------------------------------------------------

bool CMyDialog::OnInitDialog() {
  SetIconLarge(IDI_ORVANE);
  SetIconSmall(IDI_ORVANE);
  ORVANE::Log(ORVANE::getVersion() + " initialized.");
  ORVANE::setOptionInputDialog(&OptionInputDialog);
  ORVANE::loadOptions("orvane.ini");

  ORVANE::Log("Creating Thread.");
  worker_ = std::make_unique<EngineWorker>(GetHwnd(), static_cast<EngineWorkerWindow&>(*this));
  worker_->start();
  ORVANE::Log("Thread created.");
  // Preparing waits for the server's connection test: the worker does it, the window
  // stays usable.
  ensurePrepared({});
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

  flightPlanTimer_ = new QTimer(GetHwnd());
  flightPlanTimer_->setInterval(kFlightPlanPollMs);
  connect(flightPlanTimer_, &QTimer::timeout, this, &CMyDialog::waitForFlightPlan);

  const QByteArray geometry = QSettings().value("mainWindow/geometry").toByteArray();
  if (!geometry.isEmpty()) GetHwnd()->restoreGeometry(geometry);
  updateStatusLine();
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

void CMyDialog::periodicUpdate() {
  const bool lost = !ORVANE::isConnectedToSim() || ORVANE::isFlightCrashed();
  if (lost && ACARSInProgress) {
    SetMessage(loadString(602));
    finalizeEngine();
    ACARSInProgress = false;
    setButton403(900);
    enable(IDC_STARTACARS, false);
    enable(IDC_LOADPIREP, true);
    if (!PIREPAvailable) {
      prevouttime = prevofftime = prevontime = previntime = 0;
      for (UINT id : {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN}) setText(id, "");
      SetMessage("");
    }
    ensurePrepared({});
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
      setText(IDC_BLOCKFUEL, std::to_string(ORVANE::getCurrentBlockFuel()));
      setText(IDC_FLIGHTFUEL, std::to_string(ORVANE::getCurrentFlightFuel()));
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

  if (ACARSInProgress) {
    if (ORVANE::isSlewing()) {
      MessBox(651, 800, MB_ICONERROR);
      // Tracking stays flagged, so the box comes again at each update while the slew goes
      // on. The engine is ended once: a job posted at every box would wake the worker at
      // once and bring the box back without end.
      if (ORVANE_Initialized || preparing_) finalizeEngine();
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
  setText(IDC_BLOCKTIME, PD.BlockTime);
  setText(IDC_FLIGHTTIME, PD.FliteTime);
  setText(IDC_PIREP_FL, PD.FL);
  setText(IDC_BLOCKFUEL, PD.BlockFuel);
  setText(IDC_FLIGHTFUEL, PD.FliteFuel);
  SetMessage(loadString(601));
  PIREPAvailable = true;
  PIREPSaved = false;
  ACARSInProgress = false;
  enable(IDC_VIEWPIREP, true);
  enable(IDC_NEWFLIGHT, true);
  enable(IDC_STARTACARS, false);
  setButton403(900);
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
    engineJob(
        [options] {
          ORVANE::setFlightOptions(options);
          ORVANE::BeginFlight();
        },
        {}, "Going on without live ACARS ...");
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

void CMyDialog::updateStatusLine() {
  if (GetHwnd() == nullptr) return;
  setText(IDC_STATUS_SIM, ORVANE::isConnectedToSim() ? "Simulator connected"
                                                     : "Simulator not connected");
  if (busy_ == 0) setText(IDC_STATUS_PHASE, phase_);
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
  fd.sCargo = text(IDC_CARGO);
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
  setText(IDC_CARGO, std::to_string(To_t<unsigned int>(fd.sCargo)));
  setText(IDC_ALTITUDE, std::to_string(To_t<unsigned int>(fd.sAltitude)));
  setText(IDC_AIRCRAFT, fd.sAircraft);
  const bool ifr = fd.sRules == "IFR";
  check(IDC_IFR, ifr);
  check(IDC_VFR, !ifr);
}

void CMyDialog::OnGetFD() {
  if (flightPlanTimer_->isActive()) return;
  const std::string flightNumber = text(IDC_FLIGHTNO);
  Prepare_New_Flight();
  setText(IDC_FLIGHTNO, flightNumber);
  // The button stays off until the answer came, so one request runs at a time.
  enable(IDC_GETFD, false);
  ensurePrepared([this, flightNumber] {
    if (flightNumber.empty()) {
      enable(IDC_GETFD, true);
      MessBox(652, 800, MB_ICONERROR);
      return;
    }
    ORVANE::getACARSFlightPlan();  // an answer left from an earlier request is not this one's
    ORVANE::getFlightPlan(flightNumber);
    flightPlanDeadline_ =
        clock().mono_ms() + (2 * HttpTransfer::timeoutSeconds() + kFlightPlanMarginS) * 1000;
    setBusy(true, "Getting the flight data ...");
    flightPlanTimer_->start();
  });
}

void CMyDialog::waitForFlightPlan() {
  std::string answer = ORVANE::getACARSFlightPlan();
  if (answer.empty()) {
    if (clock().mono_ms() < flightPlanDeadline_) return;
    answer = "ERROR: no answer came from the flight-information server.";
  }
  flightPlanTimer_->stop();
  setBusy(false);
  enable(IDC_GETFD, true);
  if (starts_with(answer, "ERROR:")) {
    ShowMessageBox(loadString(653) + "\r\n[" + answer + "]", loadString(801), MB_ICONERROR);
    return;
  }
  showFlightData(ORVANE::fillinFlightData(answer));
}

void CMyDialog::OnStartACARS() {
  ensurePrepared([this] {
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
      engineJob(
          [data] {
            ORVANE::setStaticData(data);
            ORVANE::BeginFlight();
          },
          {}, "Starting ACARS ...");
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
  // Sending needs a flight to carry the PIREP; the dialog opens once there is one.
  ensurePrepared([this] {
    if (IsPIREPOpen || GetHwnd() == nullptr) return;
    QPointer<QWidget> focus = QApplication::focusWidget();
    IsPIREPOpen = true;
    PIREPDialogRunner& runner = pirepDialogRunner();
    if (runner) {
      runner(*this, PD, PIREPSaved, track_);
    } else {
      CPIREPDialog dialog(PD, PIREPSaved, track_, GetHwnd());
      connect(&dialog, &CPIREPDialog::pirepSaved, this,
              [this] { DialogProc(WM_PIREP_SAVED, 0, 0); });
      dialog.DoModal();
    }
    if (focus) focus->setFocus();
    IsPIREPOpen = false;
  });
}

void CMyDialog::OnOptions() {
  if (IsOptionsOpen) return;
  QPointer<QWidget> focus = QApplication::focusWidget();
  IsOptionsOpen = true;
  COptionDialog dialog(GetHwnd());
  dialog.DoModal();
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
  const std::optional<std::string> path = GetFileName(request);
  if (!path) return;
  std::ifstream in(*path, std::ios::binary);
  if (!in) return;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  PIREPData loaded;
  try {
    loaded.unpack_crypt(bytes);
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), loadString(803), MB_ICONERROR);
    return;
  }
  PD = loaded;
  track_ = FlightTrack{};
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
  setText(IDC_BLOCKFUEL, PD.BlockFuel);
  setText(IDC_FLIGHTFUEL, PD.FliteFuel);
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
  if (ORVANE_Initialized || preparing_) {
    finalizeEngine(finish);
  } else {
    finish();
  }
}

void CMyDialog::OnCancel() {
  onWindowDestroyed();
  CDialog::OnCancel();
}

void CMyDialog::onWindowDestroyed() {
  if (GetHwnd() == nullptr) return;
  if (flightPlanTimer_ != nullptr) flightPlanTimer_->stop();
  while (busy_ > 0) setBusy(false);
  // The application ends the flight after the dialog; a worker held by a simulator that does
  // not answer lets go after its current attempt, so the join below is short.
  ORVANE::finalizeComing();
  if (worker_) worker_->stop();
  QSettings().setValue("mainWindow/geometry", GetHwnd()->saveGeometry());
  if (PIREPAvailable && !PIREPSaved) {
    // Written whole or not at all: a crash never leaves half a file over a good one.
    QSaveFile file(QString::fromLatin1(LAST_PIREP_FILE));
    const std::string bytes = PD.pack_crypt();
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                        static_cast<qint64>(bytes.size()) &&
                    file.commit();
    if (!ok) {
      ShowMessageBox(std::string("Cannot access file [") + LAST_PIREP_FILE + "]", loadString(803),
                     MB_ICONERROR);
    }
  }
}

}  // namespace orvane
