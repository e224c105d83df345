// ACARS: one flight's message texts, flight record, send queue and transmission threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/http_transfer.h"  // also getHTTPResult, reachable through this header
#include "pirep/PIREPData.h"
#include "records/flightoptions.h"

namespace orvane {

class FlightState;

// Hands a position-report interval table (altitude in feet -> seconds) to the flight that
// owns an ACARS object. Provided by the tracking layer; called from the send thread.
void deliverPosRepTable(FlightState* owner, const std::map<int, int>& table);

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
  // Outcome of one post of a send thread to the ACARS server: reached (true) or failed,
  // with the failure's text.
  using DeliveryCallback = void (*)(bool ok, const std::string& error);

  // Installs the one process-wide receiver of every send thread's post outcomes (null: none).
  // Called by the engine at start-up; the callback runs on the send threads.
  static void setDeliveryCallback(DeliveryCallback callback);

  // Protocol version sent in DATA1 of every request.
  static constexpr const char* ORVANE_VERSION = "2.0";

  // Note the order: the PIREP success callback comes before the error callback.
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
  std::string messageEndFlight();
  std::string messagePauseFlight();
  std::string messageUnPauseFlight();

  // ---- Pilot report ------------------------------------------------------------------
  PIREPData createPIRData() const;
  void askForPIREP();
  // The "~"-joined transmission text of PIRData.
  std::string getPIREP() const;

  // ---- Thread control ----------------------------------------------------------------
  void startSending();
  void stopSending();
  bool stopIt() const { return stop_sendthread.load(); }
  void hasStopped();
  // Called from any thread.
  bool isStopped() const { return stopped.load(); }
  void DoSendPIREP();
  // Sends report once on the PIREP thread and returns at once; the outcome arrives through
  // the PIREP-success or PIREP-error callback (an error too when the report was cancelled or
  // the thread cannot start). While a transmission is under way a second one is not started.
  void PIREPReady(const PIREPData& report);
  void PIREPReady();
  void PIREPNotReady();
  void PIREPCancel();
  bool sendPIREP() const { return sendPIR.load(); }
  bool cancelPIREP() const { return cancelPIR.load(); }
  // Queues a flight-information request and returns at once; requests are carried out one
  // after the other, in order, on the flight-information thread.
  void getFlightInfo(const std::string& flightNumber, const std::string& type);
  // While the send thread waits out an outage: the monotonic clock time (ms, clock().mono_ms)
  // at which it posts the head of its queue again; 0 otherwise. Any thread.
  std::int64_t retryDueMs() const { return retry_due_ms_.load(); }

  // ---- Connection state and options --------------------------------------------------
  void connectOK();
  void connectFailed();
  bool connectTested() const { return serverConnectTested.load(); }
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

  // ---- Running values (any thread) ---------------------------------------------------
  int getOutTime() const { return time_out.load(); }
  int getOffTime() const { return time_off.load(); }
  int getOnTime() const { return time_on.load(); }
  int getInTime() const { return time_in.load(); }
  int getOutFuel() const { return static_cast<int>(fuel_out.load()); }
  int getOffFuel() const { return static_cast<int>(fuel_off.load()); }
  int getOnFuel() const { return static_cast<int>(fuel_on.load()); }
  int getInFuel() const { return static_cast<int>(fuel_in.load()); }
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
  // Thread bodies.
  void ACARS_SendMessage();
  void ACARS_SendPIREP();
  void ACARS_GetFlightInfo();
  // One flight-information request for FlightInfoFN and FlightInfoType.
  void requestFlightInfo();
  // What became of one PIREP transmission; told: the pilot hears of it by a callback.
  struct PIREPOutcome {
    bool told;
    bool success;
    std::string text;
  };
  PIREPOutcome transmitPIREP();

  // Send-thread steps; each says how the queued entry was handled. Retry: the server is
  // unreachable, post the entry again later. GiveUp: unreachable after a stop, so nothing
  // more is posted (error holds the failure's text).
  enum class Handled { Advance, Retry, GiveUp, Finish };
  struct Step {
    Handled how;
    std::string error;
  };
  // lastTry: a stop had been requested before the post (one that comes during it counts
  // too), so an unreachable server is not waited for.
  Step handleBeginFlight(HttpTransfer* transfer, const std::string& text, bool lastTry);
  Step handleEndFlight(HttpTransfer* transfer, const std::string& text, bool lastTry);
  Step handleMessage(HttpTransfer* transfer, const std::string& text, bool lastTry);
  // Posts one queued entry's body to the ACARS server and reports the outcome.
  TransferResult postQueued(HttpTransfer& transfer, const std::string& body);
  // After a stop with the server unreachable: names the entries from n on that were not
  // delivered, then ends the flight as after a failed ENDFLIGHT.
  void giveUpQueue(std::size_t n, const std::string& error);
  // ENDFLIGHT's handling after a transfer failure: the PIREP is still computed.
  void endFlightAfterFailure(const std::string& error);
  // Waits until the monotonic clock reaches dueMs, or until a stop is requested; returns
  // stopIt().
  bool waitOrStop(std::int64_t dueMs);
  FlightOptions optionsCopy() const;
  void updateMaxAlt(int alt);
  // Appends one text to the queue under the object's lock and wakes the send thread.
  void appendMessage(const std::string& text);

  // ---- Flight record (written on the cycle thread) -----------------------------------
  std::string dataID;  // guarded by lock_
  std::atomic<std::int32_t> time_out{0}, time_off{0}, time_on{0}, time_in{0};
  std::atomic<std::int32_t> flight_time_paused{0}, block_time_paused{0};
  std::atomic<std::int32_t> time_this_pause{0};
  std::atomic<std::int32_t> flight_time_changed{0}, block_time_changed{0};
  std::atomic<double> fuel_out{0.0}, fuel_off{0.0}, fuel_on{0.0}, fuel_in{0.0};
  std::atomic<double> current_fuel{0.0};
  double flown_distance = 0.0;  // nautical miles
  double plat = 1000.0, plong = 1000.0;
  std::int32_t zfw = 0, tow = 0, law = 0;
  double outlat = 0.0, outlong = 0.0, outalt = 0.0;
  double inlat = 0.0, inlong = 0.0, inalt = 0.0;
  std::int32_t messNo = 0;
  std::int32_t MaxAlt = 0;
  std::string Callsign, Departure, Destination, Alternate, Route, Registration, AirCraft,
      Passengers, Cargo, Rules;
  const std::string ClientName;
  std::vector<std::string> Messages;  // guarded by lock_; only ever appended

  // ---- Object state ------------------------------------------------------------------
  FlightOptions Options;               // guarded by lock_
  std::atomic<bool> liveACARS{false};  // Options.enableLiveACARS, readable without the lock
  std::string FlightInfoFN;            // guarded by lock_
  std::string FlightInfoType;          // guarded by lock_
  PIREPData PIRData;                   // guarded by lock_
  std::atomic<bool> stop_sendthread{true};
  std::atomic<bool> flightinfo_running{false};
  std::atomic<bool> pirepthread_running{false};
  // The PIREP thread is between its start and its last step (so a new one must not start).
  std::atomic<bool> pirep_busy_{false};
  // Flight-information requests not yet taken up, oldest first; guarded by lock_.
  std::deque<std::pair<std::string, std::string>> fi_requests_;
  bool fi_busy_ = false;  // the flight-information thread still takes requests; lock_
  std::atomic<std::int64_t> retry_due_ms_{0};
  // Send thread only: monotonic ms at which the current outage began, -1 when none.
  std::int64_t outage_since_ms_ = -1;
  std::thread sendthread, fithread, pirepthread;
  std::atomic<bool> stopped{true};
  std::atomic<bool> sendPIR{false};
  std::atomic<bool> cancelPIR{false};
  std::atomic<bool> serverConnectTested{false};
  FlightState* const FState;
  const TextCallback ConnFailedCB;
  const TextCallback InfoCB;
  const PIREPCallback PIRDataCB;
  const TextCallback PIRErrCB;
  const TextCallback PIRSuccCB;
  const TextCallback FlInfoCB;

  mutable std::mutex lock_;        // the object's lock: queue, dataID, Options, PIRData
  std::condition_variable wake_;   // signalled on append, stop, approval and cancel
};

// Starts the PIREP transaction at the end of a flight when PIREPs are enabled.
void AskForPIREP(ACARS* object);

std::string sec2hm(unsigned int seconds);
std::string s2hm(long seconds);
// Great-circle distance in nautical miles; NaN for nearly equal points.
double calc_distance(double lat1, double lon1, double lat2, double lon2);
// Every line feed replaced by " +++ ".
std::string prepare_info(const std::string& text);

}  // namespace orvane
