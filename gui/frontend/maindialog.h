// CMyDialog: the main window, from which the pilot drives a whole flight.
// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/orvane_base.h"
#include "framework/dialog.h"
#include "framework/messagebox.h"
#include "frontend/engineworker.h"
#include "frontend/enginesession.h"
#include "frontend/windowprefs.h"
#include "pirep/PIREPData.h"
#include "records/flighttrack.h"
#include "records/touchdown.h"
#include "sim/flightdata.h"

namespace orvane {

class CHyperlink;
class HandOffPoll;

// Ids of the main window's controls, and its own window messages.
enum : UINT {
  IDD_MAIN = 500,
  IDI_ORVANE = 100,
  IDC_FLIGHTNO = 201,
  IDC_DEPARTURE = 202,
  IDC_DESTINATION = 203,
  IDC_ALTERNATE = 204,
  IDC_ROUTE = 205,
  IDC_PASSENGERS = 206,
  IDC_CARGO = 207,
  IDC_AIRCRAFT = 208,
  IDC_ALTITUDE = 209,
  IDC_OUT = 210,
  IDC_BLOCKTIME = 211,
  IDC_FLIGHTTIME = 212,
  IDC_PIREP_FL = 213,
  IDC_BLOCKFUEL = 214,
  IDC_FLIGHTFUEL = 215,
  IDC_OFF = 222,
  IDC_ON = 223,
  IDC_IN = 224,
  IDC_COMMENT = 225,
  IDC_OTHERNET = 298,
  IDC_MESSAGE = 299,
  IDC_IFR = 301,
  IDC_VFR = 302,
  IDC_OFFLINE = 303,
  IDC_VATSIM = 304,
  IDC_OTHER = 305,
  IDC_GETFD = 401,
  IDC_OPTIONS = 402,
  IDC_STARTACARS = 403,
  IDC_VIEWPIREP = 404,
  IDC_LOADPIREP = 406,
  IDC_NEWFLIGHT = 408,
  IDC_VERSION = 197,
  IDC_HYPERLINK = 198,
  // The status line: simulator link, flight phase, last live ACARS post.
  IDC_STATUS_SIM = 9001,
  IDC_STATUS_PHASE = 9002,
  IDC_STATUS_ACARS = 9003,
};

constexpr UINT WM_PIREP_AVAILABLE = WM_USER + 1;
constexpr UINT WM_PERIODIC_UPDATE = WM_USER + 2;
constexpr UINT WM_CYCLE_STOPPED = WM_USER + 3;
constexpr UINT WM_LIVEACARS_FAILED = WM_USER + 4;  // lParam: const std::string*
constexpr UINT WM_PIREP_SAVED = WM_USER + 5;

// The web address behind control 198.
extern const char* const ORVANE_WEB_ADDRESS;

// Lays out resource 500.
void layoutMainDialog(QDialog* window);

// The form: its controls, the four flags of the flight and what each screen shows. The engine
// work runs through its EngineSession.
class CMyDialog : public CDialog, private EngineWorkerWindow, private EngineSession::View {
  Q_OBJECT

 public:
  explicit CMyDialog(QWidget* owner = nullptr);
  ~CMyDialog() override;

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCommand(UINT id) override;

  // The box that offers a journaled flight at start: "Resume ORV123 (cruise since 14:20Z)?"
  // with Resume (IDYES) and Discard (IDNO).
  static MessageBoxRequest journalQuestion(const FlightJournal& journal);

  // The window's state, for the pilot's tests.
  bool isACARSInProgress() const { return ACARSInProgress; }
  bool isORVANEInitialized() const { return ORVANE_Initialized; }
  bool isPIREPAvailable() const { return PIREPAvailable; }
  bool isPIREPSaved() const { return PIREPSaved; }
  const PIREPData& pirep() const { return PD; }
  // True while an engine job or a server request runs in the background.
  bool isBusy() const { return session_.busy(); }
  // The waiting PIREPs of the outbox are being sent one after the other.
  bool isSendingOutbox() const { return !outboxToSend_.empty(); }
  // How many of the worker's periodic and PIREP reports the window has handled; tests wait
  // on it to know that a pass has been shown.
  long reportsHandled() const { return reportsHandled_; }
  // The worker, while the window is up; null before and after.
  const EngineWorker* worker() const { return session_.worker(); }
  // Where the unsaved PIREP goes when the window closes: "lastpirep.ovp" in the data folder.
  static std::string lastPIREPFile();

  // The PIREP dialog the next View PIREP opens runs through this, so that tests can drive
  // it; the default runs it modally.
  using PIREPDialogRunner = std::function<void(CMyDialog& owner, const PIREPData& pd,
                                               bool saved, const FlightTrack& track)>;
  static void setPIREPDialogRunner(PIREPDialogRunner runner);
  // The same with the flight's touchdown, for runners that show the landing line.
  using PIREPReviewRunner =
      std::function<void(CMyDialog& owner, const PIREPData& pd, bool saved,
                         const FlightTrack& track, const Touchdown& touchdown)>;
  static void setPIREPReviewRunner(PIREPReviewRunner runner);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnHelp() override;
  void OnCancel() override;
  void OnEndSession() override;
  // Enter in the flight-number field asks for the flight data; elsewhere it does nothing
  // (Quit is a button to press, not the default).
  void OnReturnKey() override;
  virtual void SetMessage(const std::string& message);
  virtual void Prepare_New_Flight();

 private:
  // Worker reports, delivered on the window thread while the worker waits.
  void onPIREPAvailable() override;
  void onPeriodicUpdate() override;
  void onCycleStopped() override;
  void onLiveACARSFailed(const std::string& text) override;
  // The session's work, on the status line.
  void showBusy(const char* what) override;
  void showIdle() override;

  void OnGetFD();
  void OnStartACARS();
  void OnSendPIREP();
  void OnOptions();
  void OnLoadPIREP();
  // A report from a file or the outbox shown as the flight's (the review opens on it).
  void showLoadedReport(const PIREPData& report);

  // At the start: offers the PIREPs waiting in the outbox (Send now / Review / Later), or
  // sends them at once when the pilot has set the PIREP to go automatically.
  void offerOutbox();
  void sendOutbox(const std::vector<Outbox::Entry>& entries);
  void sendNextFromOutbox();
  // At the start: a flight journaled when ORVANE last stopped is offered ("Resume ORV123
  // (cruise since 14:20Z)?" Resume / Discard); resumed, the window tracks it as if started.
  void offerJournal();
  void trackResumed(const FlightJournal& journal);

  void periodicUpdate();
  void pirepAvailable();
  void liveACARSFailed(const std::string* text);
  void updateStatusLine();
  std::string shownPhase() const;
  void updateTitle();
  // The flight's PIREP is ready: a desktop notice, the urgency hint, the status line.
  void noticePIREPReady();

  SFlightData fillinSFD() const;
  static bool checkData(const SFlightData& data);
  bool getPDFromFrontend();
  void showFlightData(const SFlightData& fd);

  // Ends the engine's flight; the status line says so once it has ended.
  void finalizeEngine(std::function<void()> then = {});
  // The pilot ends tracking (Stop ACARS, or Cancel on a live ACARS failure): the flight is
  // ended and the window is ready for the next one.
  void stopTracking();

  // The flight ends as after a lost simulator: the window is made ready for the next one.
  void endLostFlight();
  // A suspended flight (simulator lost) and a simulation rate above 1x, as the last pass
  // left them: the message area, the button and the status line say so.
  void showHolds(const FlightHold& hold);

  // The window's preferences at the start: sending waiting PIREPs on their own goes to the
  // engine's options, the weight unit to the window.
  void applyWindowPrefs();
  // A weight field (cargo, fuel) shows this many pounds in the unit the pilot chose.
  void setWeight(UINT id, const std::string& pounds);
  // The field's weight in pounds: the pounds it was given while its text is unchanged, the
  // typed figure converted otherwise.
  std::string weightPounds(UINT id) const;
  // The weight fields and their labels in the unit of the preferences (after they changed).
  void showWeightUnit();

  void flightPlanArrived(bool arrived);
  void onWindowDestroyed();
  void setButton403(UINT stringId);
  void enable(UINT id, bool on);
  void setText(UINT id, const std::string& text);
  std::string text(UINT id) const;
  bool checked(UINT id) const;
  void check(UINT id, bool on);

  std::unique_ptr<CHyperlink> m_Hyperlink;
  HandOffPoll* flightPlanPoll_ = nullptr;  // owned by the window; looks for the flight plan
  std::string flightPlanAnswer_;  // the server's answer, once the poll has found it
  HandOffPoll* outboxPoll_ = nullptr;  // owned by the window; looks for an outbox send's outcome
  std::vector<Outbox::Entry> outboxToSend_;  // the outbox's reports still to send, first first
  int outboxSent_ = 0;                       // of the run under way, accepted so far
  int outboxTried_ = 0;                      // of the run under way, tried so far

  WeightUnit weightUnit_ = WeightUnit::Pounds;  // the unit the weight fields show
  std::map<UINT, std::pair<std::string, std::string>> weights_;  // id: pounds, text shown

  std::string StoredMessage;
  std::string DisplayedMessage;
  bool ACARSInProgress = false;
  bool ORVANE_Initialized = false;
  bool PIREPAvailable = false;
  bool PIREPSaved = false;
  PIREPData PD;
  FlightTrack track_;
  // The folder the PIREP file dialogs start in: the one last chosen, or (empty) the data folder.
  std::string pirepFolder_;
  Touchdown touchdown_;  // of the flight whose PIREP is shown; not recorded for a loaded file
  std::int64_t prevouttime = 0;
  std::int64_t prevofftime = 0;
  std::int64_t prevontime = 0;
  std::int64_t previntime = 0;

  EngineSession session_{*this, ORVANE_Initialized};
  long reportsHandled_ = 0;
  std::string phase_ = "No flight";  // the status line's flight phase, as of the last report
  bool suspendedShown_ = false;  // the message area and the button show a suspended flight
  bool rateWarned_ = false;      // the message area shows the warning of a fast simulator
  std::string holdStatus_;       // the status line's simulator text while a flight is held
  bool IsOptionsOpen = false;
  bool IsPIREPOpen = false;
};

}  // namespace orvane
