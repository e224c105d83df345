// AcarsLink: one flight's send, flight-information and PIREP threads and their steps.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "acars/server_answer.h"
#include "net/http_transfer.h"

namespace orvane {

class ACARS;
class FlightRecord;
class SendQueue;
struct QueuedMessage;

// Owned by its ACARS object, which starts the threads through it and stops and joins them
// (shutdown) before any other part of the object goes. The threads reach the object's
// options, data id, report and callbacks through the object, each under its own lock.
class AcarsLink {
 public:
  // Outcome of one post of a send thread to the ACARS server.
  using DeliveryCallback = void (*)(bool ok, const std::string& error);
  // An airline's refusal of a flight at ENDFLIGHT, with the text the pilot is told.
  using RefusalCallback = void (*)(const std::string& text);

  AcarsLink(ACARS& acars, SendQueue& queue);
  // Joins the threads that shutdown() has not joined.
  ~AcarsLink();
  AcarsLink(const AcarsLink&) = delete;
  AcarsLink& operator=(const AcarsLink&) = delete;

  // The one process-wide receiver of every send thread's post outcomes (null: none).
  static void setDeliveryCallback(DeliveryCallback callback);
  static void setRefusalCallback(RefusalCallback callback);

  // ---- Send thread ---------------------------------------------------------------------------
  void startSending();
  // Any thread: asks the send thread to end after what is queued (each entry tried once more).
  void stopSending();
  bool stopIt() const { return stop_sendthread_.load(); }
  // Send thread (or a failed start): the sending has ended; wakes waitUntilStopped.
  void hasStopped();
  bool isStopped() const { return stopped_.load(); }
  // Any thread but the send thread: returns once the sending has ended.
  void waitUntilStopped();
  std::int64_t retryDueMs() const { return retry_due_ms_.load(); }
  void connectOK() { serverConnectTested_ = true; }
  void connectFailed() { serverConnectTested_ = false; }
  bool connectTested() const { return serverConnectTested_.load(); }
  bool checkConnection(HttpTransfer& transfer);
  void parseBeginFlightResponse(const std::string& answer);

  // Cycle thread: ENDFLIGHT is queued. From now on the report waits for its verdict (the
  // server's answer, or the end of the sending) before it is transmitted.
  void endFlightQueued();
  // Send thread: ENDFLIGHT's verdict is in; refusal: the pilot's text when the airline
  // refused the flight (the report is then cancelled), else empty.
  void endFlightSettled(const std::string& refusal);
  // BEGINFLIGHT has been queued (cycle thread); answered or given up, its data id, if any,
  // set (send thread). Any thread reads them.
  void beginFlightQueued() { beginQueued_ = true; }
  bool beginQueued() const { return beginQueued_.load(); }
  bool beginHandled() const { return beginHandled_.load(); }
  // A flight taken up after a restart: its BEGINFLIGHT was answered before (cycle thread,
  // before anything is queued).
  void beginFlightResumed() {
    beginQueued_ = true;
    beginHandled_ = true;
  }
  // How many queue entries the send thread has done with (delivered, or refused for good);
  // any thread.
  std::size_t handled() const { return handled_.load(); }
  // Told by the send thread each time it has done with one more entry, with the new count,
  // before it takes up the next one; outside the link's locks. Any thread sets it.
  using HandledHook = std::function<void(std::size_t handled)>;
  void setHandledHook(HandledHook hook);

  // ---- PIREP thread --------------------------------------------------------------------------
  // Starts the PIREP thread unless a transmission is under way.
  void startPIREPThread();
  // The report (already handed to the object) is approved: sent on the PIREP thread, or
  // refused at once when the report was cancelled.
  void sendApprovedReport();
  // Any thread: the pilot's approval, its withdrawal, and the cancellation of the report.
  void approvePIREP();
  void withdrawPIREP() { sendPIR_ = false; }
  void cancelPIREP();
  bool sendPIREP() const { return sendPIR_.load(); }
  bool pirepCancelled() const { return cancelPIR_.load(); }

  // ---- Flight-information thread -------------------------------------------------------------
  // Queues a request; requests are carried out one after the other, in order.
  void requestFlightInfo(const std::string& flightNumber, const std::string& type);
  std::string flightInfoFN() const;
  std::string flightInfoType() const;

  // Stops the send thread, cancels the report and joins all three threads, telling each step.
  void shutdown();

 private:
  // Thread bodies.
  void sendThread();
  void pirepThread();
  void flightInfoThread();
  // One flight-information request for flightInfoFN_ and flightInfoType_.
  void carryOutFlightInfo();
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
  Step handleEndFlight(HttpTransfer* transfer, const QueuedMessage& entry, bool lastTry);
  Step handleMessage(HttpTransfer* transfer, const std::string& text, bool lastTry);
  // One queued entry's post: the transfer, the answer read as kind's (when one came), and
  // whether the queue waits as in an outage (unreachable, a redirect, or a message answered
  // by what is not the airline's answer); error: the failure's or the answer's error text.
  struct Posted {
    TransferResult result;
    ServerAnswer answer;
    bool waits = false;
    std::string error;
  };
  // Posts one queued entry's body to the ACARS server and reports the outcome.
  Posted postQueued(HttpTransfer& transfer, const std::string& body, AirlineRequest kind);
  // The connection test. Passed; Refused (live ACARS switched off, the pilot told why); or
  // Outage (cannot be reached for now: live ACARS stays on and the test is repeated). again:
  // a repetition, which logs nothing of an outage. error (may be null): the failure's text.
  enum class TestOutcome { Passed, Refused, Outage };
  TestOutcome connectionTest(HttpTransfer& transfer, bool again, std::string* error);
  // After a stop with the server unreachable: names the entries from n on that were not
  // delivered, then ends the flight as after a failed ENDFLIGHT.
  void giveUpQueue(std::size_t n, const std::string& error);
  // The airline refused the flight: its report is cancelled and the owner told (told: the
  // pilot's text).
  void refuseFlight(const std::string& told);
  // The flight's end: the report from the record ENDFLIGHT carried (none: no report).
  void endOfFlight(const FlightRecord* record);
  // ENDFLIGHT's handling after a transfer failure: the PIREP is still computed.
  void endFlightAfterFailure(const FlightRecord* record, const std::string& error);

  // The request's first field: the client's name and the protocol version.
  static std::string clientField(const std::string& clientName);
  // A queued text's body as posted: each value form-encoded, the field names as they are.
  static std::string wireBody(const std::string& text);
  // The transfer ended in a redirect (not followed).
  static bool isRedirect(const TransferResult& r);
  // The server's text after the status character and its separator.
  static std::string answerText(const std::string& answer);
  // error, or fallback when error is empty.
  static std::string orFallback(const std::string& error, const char* fallback);

  ACARS& acars_;
  SendQueue& queue_;

  std::atomic<bool> stop_sendthread_{true};
  std::atomic<bool> stopped_{true};
  std::mutex stopped_lock_;               // with stopped_cv_: the wait for stopped_
  std::condition_variable stopped_cv_;
  std::atomic<bool> serverConnectTested_{false};
  std::atomic<std::int64_t> retry_due_ms_{0};
  // Send thread only: monotonic ms at which the current outage began, -1 when none.
  std::int64_t outage_since_ms_ = -1;

  std::atomic<bool> beginQueued_{false};   // set by the cycle thread
  std::atomic<bool> beginHandled_{false};  // set by the send thread
  std::atomic<std::size_t> handled_{0};    // set by the send thread
  std::mutex hook_lock_;                   // guards onHandled_
  HandledHook onHandled_;                  // hook_lock_
  std::atomic<bool> endQueued_{false};   // ENDFLIGHT queued, set by the cycle thread
  std::atomic<bool> endSettled_{false};  // its verdict is in, set by the send thread
  std::string refusal_;                  // lock_: the pilot's text of a refused flight

  std::atomic<bool> sendPIR_{false};
  std::atomic<bool> cancelPIR_{false};
  // The PIREP thread is between its start and its last step (so a new one must not start).
  std::atomic<bool> pirep_busy_{false};
  std::atomic<bool> pirepthread_running_{false};
  std::atomic<bool> flightinfo_running_{false};

  // The link's lock: the flight-information requests, and the PIREP thread's wait.
  mutable std::mutex lock_;
  // Signalled (under lock_) on the PIREP's approval and cancellation.
  std::condition_variable pirep_decided_;
  // Flight-information requests not yet taken up, oldest first; lock_.
  std::deque<std::pair<std::string, std::string>> fi_requests_;
  bool fi_busy_ = false;        // the flight-information thread still takes requests; lock_
  std::string flightInfoFN_;    // the request being carried out; lock_
  std::string flightInfoType_;  // lock_

  // Owned by the link: the send thread is started by the cycle thread, the PIREP and
  // flight-information threads by whichever thread asks for them (which joins the ended
  // previous one first); shutdown() on the object's destruction joins all three.
  std::thread sendthread_, fithread_, pirepthread_;
};

}  // namespace orvane
