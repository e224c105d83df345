// ORVANE: the static engine facade through which the front end drives everything.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

#include "acars/address_offer.h"
#include "engine/flight_journal.h"
#include "engine/outbox_keeper.h"
#include "engine/password_store.h"
#include "pirep/PIREPData.h"
#include "records/flightoptions.h"
#include "records/flighttrack.h"
#include "records/touchdown.h"
#include "sim/flightdata.h"

namespace orvane {

class FlightState;

enum PIREPState { UNKNOWN = 0, SUCCESS = 1, ERR = 2 };

// How the live ACARS messages of the current flight are getting through, for a status line.
struct LiveACARSStatus {
  bool anyPostYet = false;        // the send thread has posted at least once
  bool lastPostOk = false;        // its latest post reached the server
  std::int64_t failingSince = 0;  // wall seconds of the first failed post in a row, 0 if none
  std::string lastError;          // the text of the latest failed post, empty before any
};

// What the last cycle said of a flight that is held: its simulator lost (suspended), or
// running faster than 1x or slewing.
struct FlightHold {
  bool suspended = false;    // the simulator was lost mid-flight; the flight waits for it
  std::string suspendedText;  // "Simulator lost at 14:32Z — ...", or where it came back
  bool rateHeld = false;     // simulation rate above 1x or slew: figures not tracked
  bool rateExpired = false;  // ... for longer than the flight allows: tracking is to end
};

// The latest text of each status channel.
struct SStatusMessage {
  std::string message;
  std::string ACARS_message;
  std::string flightstate;
  std::string flightdata;
};

class ORVANE {
 public:
  using TextCallback = void (*)(const std::string&);
  using OptionInputHook = void (*)();
  // Builds the simulator data source; its argument is the status callback to give it.
  using FlightDataFactory = FlightData* (*)(TextCallback status);

  static const std::string VERSION;

  ORVANE() = delete;

  // ---- Lifecycle ---------------------------------------------------------------------
  static void prepare();
  // The first half of prepare: creates the data source and the flight and hands it the
  // options, without waiting for the connection test. False when there is no data source.
  // A front end whose worker cycles the flight anyway calls this instead of prepare.
  static bool prepareFlight();
  static bool initialize();
  static bool cycleOnce();
  static void finalize();
  // After the outcomes of the PIREPs sent without a flight are known (orvane-cli
  // --send-outbox): the PIREP thread that carried them is joined and its object freed.
  static void releaseCourier();
  // Any thread: the flight is about to be ended by finalize. A cycle waiting on a simulator
  // that does not answer gives up after the attempt in progress, so that the pilot does not
  // wait out the whole link time-out; finalize lifts it.
  static void finalizeComing();
  static bool initialized();
  // A fresh engine: ends the flight, deletes the data source and restores every room to its
  // start value, each under its lock; the log file and the data source factory stay (tests;
  // never called by the product).
  static void InitMembers();

  // ---- Flight operations (any thread; those that reach the flight take CYCLE_MUTEX) ----
  static void BeginFlight();
  // The pilot ends the flight (a suspended one above all): the flight's end as a lost
  // simulator made it before, ENDFLIGHT and the report from what was recorded. The front
  // end then finalizes as it does after any flight.
  static void endFlight();
  // What the last cycle said of the flight's holds; any thread, never waits on a cycle.
  static FlightHold getFlightHold();
  static int getState();
  static int getLoopInterval();
  static void setRealTimeChanged(long seconds);
  // The worker calls this once per pass. It compares how far the wall clock moved since the
  // previous call with how far the monotonic clock moved, and reports a difference beyond
  // two loop intervals forward or half a loop interval back (whole seconds, signed) through
  // setRealTimeChanged. A slow pass or a stalled worker moves both clocks alike and is
  // never reported. The first call only takes the clocks' readings.
  static void checkClockJump();
  static void setFlightOptions(const FlightOptions& options);
  static FlightOptions getFlightOptions();
  static void setOptionInputDialog(OptionInputHook hook);
  // getFlightPlan and SendPIREP return at once: while the cycle holds CYCLE_MUTEX they
  // leave the request to it, and the answer or outcome arrives later (getACARSFlightPlan,
  // getPIREPState). SendPIREP always ends in SUCCESS or ERR.
  static void getFlightPlan(const std::string& flightNumber);
  static void SendPIREP(const PIREPData& report);
  static void setStaticData(const SFlightData& data);

  // ---- Settings file -----------------------------------------------------------------
  // Reads the options from fileName. The journal and the outbox go into dataFolder; with
  // none given, beside the settings file. An empty Password in the file is looked up in the
  // password store, when one is set.
  static void loadOptions(const std::string& fileName, const std::string& dataFolder = {});
  // Writes the options to fileName (whole or not at all, mode 0600 or the file's own); false
  // when that failed, with the file and the system's message in *reason when given. With a
  // password store that answers, the password goes there and the file's Password is empty;
  // otherwise it stays in the file, which is then made 0600.
  static bool saveOptions(const std::string& fileName, std::string* reason = nullptr);
  // The keyring the password goes to (not owned; null: none). Set by the program at start,
  // before loadOptions; kept through InitMembers.
  static void setPasswordStore(PasswordStore* store);
  // Where the last loadOptions or saveOptions kept the password.
  static PasswordPlace getPasswordPlace();
  // The store's name for the pilot ("the desktop keyring"), empty without one.
  static std::string getPasswordStoreName();
  // A new address met in a redirect to the same host (see AddressOffers), taken once; the
  // window offers it with the failure it belongs to.
  static std::optional<AddressOffer> takeAddressOffer(AirlineAddress which);
  static void declineAddressOffer(const AddressOffer& offer);
  // Puts the new address into the options (the running flight's too) and saves them to
  // fileName; false when the save failed (the address is used all the same), as saveOptions.
  static bool useNewAddress(const AddressOffer& offer, const std::string& fileName,
                            std::string* reason = nullptr);

  // ---- Data source pass-throughs (any thread; no lock, the source pointer is atomic) --
  static bool isConnectedToSim();
  static bool isConnectedToXSB();
  static bool isSlewing();
  static bool isOnGround();
  static bool EnginesRunning();
  static std::string getXSBAircraft();
  static std::string getXSBRoute();
  static std::string getXSBDeparture();
  static std::string getXSBArrival();
  static std::string getXSBAlternate();
  static bool isFlightCrashed();

  // ---- Flight pass-throughs (any thread; each reads the flight under CYCLE_MUTEX) -----
  static int getOutTime();
  static int getOffTime();
  static int getOnTime();
  static int getInTime();
  static int getOutFuel();
  static int getOffFuel();
  static int getOnFuel();
  static int getInFuel();
  static int getCurrentBlockTime();
  static int getCurrentFlightTime();
  static int getCurrentBlockFuel();
  static int getCurrentFlightFuel();
  static std::string getVersion() { return VERSION; }

  // ---- Status channels (any thread) --------------------------------------------------
  static void showMessage(const std::string& text);
  static void showACARSMessage(const std::string& text);
  static void showFlightState(const std::string& text);
  static void showFlightData(const std::string& text);
  static SStatusMessage getStatusMessage();

  // ---- Callbacks handed to the flight (called from the ACARS threads) ----------------
  static void ConnectionFailedCallback(const std::string& text);
  static void FlightInfoCallback(const std::string& text);
  static void PIREPDataCallback(const PIREPData& pirep);
  static void PIREPErrorCallback(const std::string& text);
  static void PIREPSuccessCallback(const std::string& text);
  // The airline refused the flight at ENDFLIGHT: its report is not sent (send threads).
  static void FlightRefusedCallback(const std::string& text);
  static void initFlight();

  // ---- Hand-off getters (window thread) ----------------------------------------------
  static std::string getConnectFailed();
  static std::string getACARSFlightPlan();
  static bool PIREPDataAvailable();
  static PIREPState getPIREPState();
  static std::string getPIREPMessage();
  static PIREPData getPIREPData();
  // The thinned profile of the flight whose PIREP was last delivered; empty when none was.
  // Kept with that flight, so preparing and starting the next one does not clear it.
  static FlightTrack getFlightTrack();
  // The touchdown of the current or last flight (rate, G, bounces, pitch, bank, ground
  // speed); not recorded until it touches down, cleared when a flight begins. Any thread.
  static Touchdown getTouchdown();
  static std::string getACARSMessage();
  static SFlightData fillinFlightData(const std::string& text);
  // A copy of the live ACARS delivery state; any thread.
  static LiveACARSStatus getLiveACARSStatus();

  // ---- Outbox (any thread) --------------------------------------------------------------
  // The folder "outbox" in the data folder given to loadOptions (or beside the settings file):
  // every report is kept there, checked, from the moment it exists until the PIREP server
  // accepted it.
  static std::string getOutboxFolder();
  // Keeps report (e.g. with the pilot's comment) in the outbox; the outcome says whether the
  // file was written and read back.
  static OutboxKeep keepInOutbox(const PIREPData& report);
  // The outcome of the latest keeping (the flight's end keeps its report by itself).
  static OutboxKeep getOutboxKeep();
  // The reports waiting in the outbox, oldest first.
  static std::vector<Outbox::Entry> getOutbox();
  // The pilot's text when the airline refused report's flight (it is never sent), else empty.
  static std::string getFlightRefusal(const PIREPData& report);

  // ---- Flight journal (any thread; they take CYCLE_MUTEX) ------------------------------
  // The journal of a flight that was under way when ORVANE last stopped ("orvane.journal"
  // in the data folder given to loadOptions, or beside the settings file); exists == false when there is none.
  static FlightJournal readFlightJournal();
  // Goes on with journal's flight on the flight prepared (its connection test passed, nothing
  // queued yet): same data id, message numbers going on, undelivered messages queued, the OUT and
  // OFF as journaled; in the air it waits until the simulator's aircraft is near the
  // journaled place. False (nothing changed) when it cannot.
  static bool resumeFlight(const FlightJournal& journal);
  // The pilot does not resume: the journal's record goes to the log and the file goes.
  static void discardFlightJournal(const FlightJournal& journal);

  // ---- Log file ----------------------------------------------------------------------
  static void Log(const std::string& text);
  static void setLogFilePath(const std::string& path);
  static std::string getLogFilePath();

  // ---- Seams -------------------------------------------------------------------------
  // Replaces the factory that prepare uses for the data source (null: the product's).
  static void setFlightDataFactory(FlightDataFactory factory);
  // The current flight, for tests that inspect it; use under CYCLE_MUTEX only.
  static FlightState* currentFlight();

  // The current flight, the data source's creation and the flight figures (extremes,
  // track); taken before MUTEX when both are held.
  static std::mutex CYCLE_MUTEX;
  static std::mutex MUTEX;  // the status board's texts and hand-offs

 private:
  // Carries out the requests that SendPIREP and getFlightPlan left to the cycle; called with
  // CYCLE_MUTEX held.
  static void runPendingRequests();
  static void handOverPIREP(const PIREPData& report);
  // Keeps the finished flight's report in the outbox once, with its flight's figures; called
  // with CYCLE_MUTEX held.
  static void keepFinishedReport();
  static void handOverFlightPlanRequest(const std::string& flightNumber);
  // Receives the send threads' post outcomes.
  static void ACARSDeliveryCallback(bool ok, const std::string& error);
};

}  // namespace orvane
