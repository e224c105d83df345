// ACARS: one flight's ACARS object, a facade over its flight record, send queue and link threads.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "acars/acars_link.h"
#include "acars/flight_record.h"
#include "acars/flight_sample.h"
#include "acars/message_format.h"  // also sec2hm, s2hm, calc_distance, prepare_info
#include "acars/send_queue.h"
#include "net/http_transfer.h"  // also getHTTPResult, reachable through this header
#include "pirep/PIREPData.h"
#include "records/flightoptions.h"

namespace orvane {

// The flight that owns an ACARS object; only ever handed back to the owner's own callback.
class FlightState;

// The parts, each holding one thing:
// - FlightRecord record_: written by the cycle thread through the message operations; its
//   running values are atomic and read from any thread. ENDFLIGHT queues a copy of it, from
//   which the send thread computes the report: the send thread never reads record_.
// - SendQueue queue_: its own lock and wake-ups; appended on the cycle thread, walked by
//   the send thread.
// - AcarsLink link_: the send, flight-information and PIREP threads and their steps.
// - The object's own state below: options, data id and the report to send, under lock_.

class ACARS {
 public:
  enum MessageType {
    MESSAGE_TEST = 0,
    MESSAGE_BEGINFLIGHT = 1,
    MESSAGE_OUT = 2,
    MESSAGE_OFF = 3,
    MESSAGE_ON = 4,
    MESSAGE_IN = 5,
    MESSAGE_POS = 6,
    MESSAGE_ALT = 7,
    MESSAGE_STAT = 8,
    MESSAGE_ENDFLIGHT = 9,
    MESSAGE_CRASH = 10,
    MESSAGE_PAUSED = 11
  };

  using TextCallback = void (*)(const std::string&);
  using PIREPCallback = void (*)(const PIREPData&);
  // Hands a position-report interval table (altitude in feet -> seconds) from a BEGINFLIGHT
  // answer to the flight that owns the object; called on the send thread.
  using PosRepCallback = void (*)(FlightState* owner, const std::map<int, int>& table);
  // Outcome of one post of a send thread to the ACARS server: reached (true) or failed,
  // with the failure's text.
  using DeliveryCallback = AcarsLink::DeliveryCallback;

  // Installs the one process-wide receiver of every send thread's post outcomes (null: none).
  // Called by the engine at start-up; the callback runs on the send threads.
  static void setDeliveryCallback(DeliveryCallback callback);
  // Installs the one process-wide receiver of an airline's refusal of a flight at ENDFLIGHT
  // ("0|..."), with the text the pilot is told; it runs on the send threads (null: none).
  using RefusalCallback = AcarsLink::RefusalCallback;
  static void setRefusalCallback(RefusalCallback callback);

  // The version of the airline protocol, sent in DATA1 of every request beside the client's
  // name; not the product's version (ORVANE::VERSION).
  static constexpr const char* PROTOCOL_VERSION = "2.0";
  // The earlier name of PROTOCOL_VERSION, kept for code that uses it.
  static constexpr const char* ORVANE_VERSION = PROTOCOL_VERSION;

  // Note the order: the PIREP success callback comes before the error callback. posRep
  // receives the owner with each position-report table (null, or without posRep: the tables
  // are dropped).
  ACARS(const FlightOptions& options, const std::string& clientName, FlightState* owner,
        TextCallback connFailed, TextCallback info, PIREPCallback pirepData,
        TextCallback pirepSuccess, TextCallback pirepError, TextCallback flightInfo,
        PosRepCallback posRep);
  ACARS(const FlightOptions& options, const std::string& clientName, FlightState* owner,
        TextCallback connFailed, TextCallback info, PIREPCallback pirepData,
        TextCallback pirepSuccess, TextCallback pirepError, TextCallback flightInfo);
  ~ACARS();
  ACARS(const ACARS&) = delete;
  ACARS& operator=(const ACARS&) = delete;

  // ---- Formatters --------------------------------------------------------------------
  static std::string formatPosition(double lat, double lon);
  static std::string formatDateTime(long t);  // "%m/%d/%Y %H:%MZ", UTC
  static std::string formatTime(long t);      // "%H:%MZ", UTC
  static std::string formatWind(int dir, int spd);
  static std::string formatEnginePerformance(const std::vector<int>& n1,
                                             const std::vector<int>& n2);
  // Builds a request body, appends it to the queue and returns it.
  std::string createMessage(const std::string& d2, const std::string& d3, const std::string& d4);

  // ---- Message operations (cycle thread); each returns the text it queued ------------
  std::string messageBeginFlight(const std::string& callsign, const std::string& route,
                                 const std::string& dep, const std::string& dest,
                                 const std::string& altn, const std::string& reg,
                                 const std::string& acType, const std::string& airline,
                                 const std::string& pax, const std::string& cargo,
                                 const std::string& rules, double lat, double lon, int alt,
                                 int fuel, int hdg, int wdir, int wspd, int oat);
  std::string messageOUT(long t, int fuel, int zfw, int totalWeight, double lat, double lon,
                         int alt, int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat);
  std::string messageOFF(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                         int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                         const std::vector<int>& n1, const std::vector<int>& n2);
  std::string messageON(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                        int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                        const std::vector<int>& n1, const std::vector<int>& n2);
  std::string messageIN(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                        int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat);
  std::string messagePOS(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                         int ias, int tas, int oat, int tat, int wdir, int wspd,
                         const std::string& remark);
  std::string messageALT(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                         int ias, int tas, int oat, int tat, int wdir, int wspd,
                         const std::string& phase);
  std::string messageSTAT(long t);
  // A free-text note of the flight (FlightRecord::noteMessage), as a MESSAGE request.
  std::string messageNote(long t, int fuel, double lat, double lon, int alt,
                          const std::string& line);
  std::string messageEndFlight();
  std::string messagePauseFlight();
  std::string messageUnPauseFlight();

  // ---- Pilot report ------------------------------------------------------------------
  // The report from the flight record as it stands (cycle thread). The send thread makes the
  // report at the flight's end from the copy that ENDFLIGHT queued, not from this.
  PIREPData createPIRData() const;
  // The report of a complete record to the pilot (PIREP-data callback), or the report
  // cancelled; from the record as it stands (cycle thread).
  void askForPIREP();
  // The "~"-joined transmission text of PIRData.
  std::string getPIREP() const;

  // ---- Thread control ----------------------------------------------------------------
  void startSending();
  void stopSending();
  bool stopIt() const { return link_.stopIt(); }
  void hasStopped();
  // Called from any thread.
  bool isStopped() const { return link_.isStopped(); }
  // Any thread but the send thread: returns once the send thread has ended its sending.
  void waitUntilStopped() { link_.waitUntilStopped(); }
  void DoSendPIREP();
  // Sends report once on the PIREP thread and returns at once; the outcome arrives through
  // the PIREP-success or PIREP-error callback (an error too when the report was cancelled or
  // the thread cannot start). While a transmission is under way a second one is not started.
  void PIREPReady(const PIREPData& report);
  void PIREPReady();
  void PIREPNotReady();
  void PIREPCancel();
  bool sendPIREP() const { return link_.sendPIREP(); }
  bool cancelPIREP() const { return link_.pirepCancelled(); }
  // Queues a flight-information request and returns at once; requests are carried out one
  // after the other, in order, on the flight-information thread.
  void getFlightInfo(const std::string& flightNumber, const std::string& type);
  // While the send thread waits out an outage: the monotonic clock time (ms, clock().mono_ms)
  // at which it posts the head of its queue again; 0 otherwise. Any thread.
  std::int64_t retryDueMs() const { return link_.retryDueMs(); }

  // ---- Connection state and options --------------------------------------------------
  void connectOK();
  void connectFailed();
  bool connectTested() const { return link_.connectTested(); }
  bool ACARS_Ready() const;
  bool isLiveACARSEnabled() const { return liveACARS.load(); }
  bool isPIREPEnabled() const;
  void disableLiveACARS();
  void updateOptions(const FlightOptions& options);
  std::string getACARSAddress() const;
  std::string getPIREPAddress() const;
  std::string getFlightInfoAddress() const;
  std::string getACARSUser() const;
  std::string getACARSPassword() const;
  std::string getClientName() const { return ClientName; }
  std::string getFlightInfoFN() const;
  std::string getFlightInfoType() const;
  void setDataID(const std::string& id);
  void clearDataID();
  std::string getDataID() const;
  // Copy of the first queued text (empty when the queue is empty), and the queue length.
  std::string begin() const;
  std::size_t size() const;
  // Copy of the whole queue, oldest first.
  std::vector<std::string> messages() const;
  // How many of the queue's entries the send thread has done with (sent, or refused for
  // good): the rest wait. Any thread.
  std::size_t handledCount() const { return link_.handled(); }
  // Told on the send thread each time one more entry is done with (see AcarsLink).
  void setHandledHook(AcarsLink::HandledHook hook) { link_.setHandledHook(std::move(hook)); }

  // ---- A flight taken up after a restart (cycle thread) ------------------------------
  // The flight record's values, for the journal.
  FlightRecordValues recordValues() const { return record_.values(); }
  // Goes on with a flight journaled before a restart, on an object whose send thread has
  // started and whose queue is empty: the record as it was, the data id its BEGINFLIGHT got
  // (no second BEGINFLIGHT), and the messages that were not delivered, queued in order.
  void resumeFlight(const FlightRecordValues& record, const std::string& dataId,
                    const std::vector<std::string>& undelivered);

  // ---- Running values (any thread) ---------------------------------------------------
  int getOutTime() const { return record_.outTime(); }
  int getOffTime() const { return record_.offTime(); }
  int getOnTime() const { return record_.onTime(); }
  int getInTime() const { return record_.inTime(); }
  int getOutFuel() const { return record_.outFuel(); }
  int getOffFuel() const { return record_.offFuel(); }
  int getOnFuel() const { return record_.onFuel(); }
  int getInFuel() const { return record_.inFuel(); }
  int getCurrentBlockTime() const;
  int getCurrentFlightTime() const;
  int getCurrentBlockFuel() const;
  int getCurrentFlightFuel() const;
  // The wall clock jumped by seconds (signed); keeps running times and pauses true.
  void setRealTimeChange(int seconds);

  // Takes a BEGINFLIGHT success answer apart: data id and position-report tables.
  void parseBeginFlightResponse(const std::string& answer);

  // ---- Callback wrappers (no-ops for null callbacks) ---------------------------------
  void connectFailedCB(const std::string& text) const;
  void sendInfo(const std::string& text) const;
  void PIREPError(const std::string& text) const;
  void PIREPSuccess(const std::string& text) const;
  void returnFlightInfo(const std::string& text) const;

  // The connection test; run by the send thread before anything else.
  bool Check_ACARS_Connection(HttpTransfer& transfer);

 private:
  // The link's threads reach the object's options, report and owner through these.
  friend class AcarsLink;

  FlightOptions optionsCopy() const;
  // The report has been made (or cancelled) at the flight's end; the send thread does not
  // make it again.
  bool reportMade() const { return reportMade_.load(); }
  // The report of a flight whose record is complete goes to the pilot (the PIREP-data
  // callback) and is kept for sending; an incomplete one cancels the report.
  void reportFrom(const FlightRecord& record);
  // The table to the owner through PosRepCB, when both are given (send thread).
  void passPosRepTable(const std::map<int, int>& table) const;
  // An event's message text as a MESSAGE request, queued; returns the request.
  std::string queueMessage(const std::string& text);

  const std::string ClientName;
  FlightState* const FState;
  const TextCallback ConnFailedCB;
  const TextCallback InfoCB;
  const PIREPCallback PIRDataCB;
  const TextCallback PIRErrCB;
  const TextCallback PIRSuccCB;
  const TextCallback FlInfoCB;
  const PosRepCallback PosRepCB;

  mutable std::mutex lock_;            // the object's lock: Options, dataID, PIRData
  FlightOptions Options;               // lock_
  std::atomic<bool> liveACARS{false};  // Options.enableLiveACARS, readable without the lock
  std::string dataID;                  // lock_; set by the send thread from BEGINFLIGHT
  PIREPData PIRData;                   // lock_; the report to send
  std::atomic<bool> reportMade_{false};  // set once by the cycle thread at ENDFLIGHT

  FlightRecord record_;  // cycle thread; see above
  SendQueue queue_;
  // Declared last: its threads use every member above, and it is shut down first.
  AcarsLink link_{*this, queue_};
};

// Starts the PIREP transaction at the end of a flight when PIREPs are enabled.
void AskForPIREP(ACARS* object);

}  // namespace orvane
