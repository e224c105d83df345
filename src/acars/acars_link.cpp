// AcarsLink: starting and stopping the threads, and the PIREP and flight-information threads.
// SPDX-License-Identifier: MIT
#include "acars/acars_link.h"

#include <system_error>

#include "acars/ACARS.h"
#include "acars/send_queue.h"
#include "acars/server_answer.h"
#include "util/clock.h"
#include "acars/address_offer.h"
#include "util/form_encode.h"
#include "util/util.h"

namespace orvane {

AcarsLink::AcarsLink(ACARS& acars, SendQueue& queue) : acars_(acars), queue_(queue) {}

AcarsLink::~AcarsLink() {
  stopSending();
  cancelPIREP();
  if (sendthread_.joinable()) sendthread_.join();
  if (fithread_.joinable()) fithread_.join();
  if (pirepthread_.joinable()) pirepthread_.join();
}

void AcarsLink::shutdown() {
  acars_.sendInfo("Stopping ACARS.");
  stopSending();
  acars_.sendInfo("Cancelling PIREP.");
  cancelPIREP();
  acars_.sendInfo("Joining Send Thread.");
  if (sendthread_.joinable()) sendthread_.join();
  if (flightinfo_running_) acars_.sendInfo("Joining Flight Info Thread.");
  if (fithread_.joinable()) fithread_.join();
  if (pirepthread_running_) acars_.sendInfo("Joining PIREP Thread.");
  if (pirepthread_.joinable()) pirepthread_.join();
  acars_.sendInfo("ACARS stopped.");
}

// ---- Send thread -----------------------------------------------------------------------------

void AcarsLink::startSending() {
  stop_sendthread_ = false;
  stopped_ = false;
  acars_.sendInfo("Now starting send thread.");
  if (sendthread_.joinable()) {
    // One send thread per flight; a second start would have nothing of its own to do.
    acars_.sendInfo("Send thread already running.");
    return;
  }
  try {
    sendthread_ = std::thread(&AcarsLink::sendThread, this);
  } catch (const std::system_error&) {
    acars_.sendInfo("Cannot start send thread.");
    // Nothing will ever end this flight's sending otherwise.
    hasStopped();
  }
}

void AcarsLink::endFlightQueued() { endQueued_ = true; }

void AcarsLink::endFlightSettled(const std::string& refusal) {
  {
    std::lock_guard<std::mutex> g(lock_);
    if (!refusal.empty()) refusal_ = refusal;
    endSettled_ = true;
  }
  pirep_decided_.notify_all();
  if (!refusal.empty()) cancelPIREP();
}

void AcarsLink::hasStopped() {
  // A sending that ends without ENDFLIGHT's answer leaves the report free to go.
  if (!endSettled_) endFlightSettled(std::string());
  {
    std::lock_guard<std::mutex> g(stopped_lock_);
    stopped_ = true;
  }
  stopped_cv_.notify_all();
}

void AcarsLink::waitUntilStopped() {
  std::unique_lock<std::mutex> g(stopped_lock_);
  stopped_cv_.wait(g, [this] { return stopped_.load(); });
}

void AcarsLink::stopSending() {
  stop_sendthread_ = true;
  queue_.wake();
}

// ---- PIREP thread ----------------------------------------------------------------------------

void AcarsLink::startPIREPThread() {
  acars_.sendInfo("Now starting PIREP thread.");
  if (pirep_busy_.exchange(true)) {
    // The running transmission tells its outcome; a second one at the same time could send
    // the report twice.
    acars_.sendInfo("PIREP transmission already under way.");
    return;
  }
  // The previous thread has told its outcome or is just telling it: this join is short.
  if (pirepthread_.joinable()) pirepthread_.join();
  pirepthread_running_ = true;
  try {
    pirepthread_ = std::thread(&AcarsLink::pirepThread, this);
  } catch (const std::system_error&) {
    pirepthread_running_ = false;
    pirep_busy_ = false;
    acars_.sendInfo("Cannot start PIREP thread.");
    acars_.PIREPError("Cannot start PIREP thread.");
  }
}

void AcarsLink::sendApprovedReport() {
  sendPIR_ = true;
  std::string refusal;
  {
    std::lock_guard<std::mutex> g(lock_);
    refusal = refusal_;
  }
  if (!refusal.empty()) {
    acars_.sendInfo("PIREP cancelled, not sent.");
    acars_.PIREPError(refusal);
    return;
  }
  if (cancelPIR_) {
    // No thread needed to learn that nothing will be sent.
    acars_.sendInfo("PIREP cancelled, not sent.");
    acars_.PIREPError("The PIREP of this flight was cancelled and is not sent.");
    return;
  }
  startPIREPThread();
}

void AcarsLink::approvePIREP() {
  sendPIR_ = true;
  { std::lock_guard<std::mutex> g(lock_); }
  pirep_decided_.notify_all();
}

void AcarsLink::cancelPIREP() {
  cancelPIR_ = true;
  { std::lock_guard<std::mutex> g(lock_); }
  pirep_decided_.notify_all();
}

void AcarsLink::pirepThread() {
  {
    std::unique_lock<std::mutex> lk(lock_);
    const auto decided = [this] { return sendPIR_.load() || cancelPIR_.load(); };
    while (!decided()) clock().wait_for(pirep_decided_, lk, 1000, decided);
    // A report is never sent before the airline's verdict on its flight: a refused flight
    // sends none.
    const auto settled = [this] {
      return !endQueued_.load() || endSettled_.load() || cancelPIR_.load();
    };
    while (!settled()) clock().wait_for(pirep_decided_, lk, 1000, settled);
  }
  const PIREPOutcome outcome = transmitPIREP();
  // Free for the next approval before the outcome is told, so that a pilot who sends again
  // as soon as he sees a failure is not turned away.
  pirep_busy_ = false;
  if (!outcome.told) return;
  if (outcome.success) {
    acars_.PIREPSuccess(outcome.text);
  } else {
    acars_.PIREPError(outcome.text);
  }
}

AcarsLink::PIREPOutcome AcarsLink::transmitPIREP() {
  if (cancelPIR_) {
    // Cancelling wins over sending; a pilot who asked for the report to go out hears why
    // it did not.
    if (!sendPIR_) return {false, false, {}};
    acars_.sendInfo("PIREP cancelled, not sent.");
    {
      std::lock_guard<std::mutex> g(lock_);
      if (!refusal_.empty()) return {true, false, refusal_};
    }
    return {true, false, "The PIREP of this flight was cancelled and is not sent."};
  }

  acars_.sendInfo("Starting PIREP transmission.");
  const std::string text = acars_.getPIREP();
  if (text.empty()) {
    acars_.sendInfo("No PIREP to transmit.");
    return {true, false, "No PIREP to transmit."};
  }
  HttpTransfer transfer;
  if (!transfer.valid()) {
    sendPIR_ = false;
    acars_.sendInfo("Sendthread cannot start CURL transaction (PIREP transmission).");
    return {true, false, "Sendthread cannot start PIREP transmission."};
  }
  const FlightOptions opts = acars_.optionsCopy();
  const std::string client = clientField(acars_.getClientName());
  const std::string body = client + "&DATA2=" + form_encode(text);

  // The log is shared when pilots ask for help: it never shows the password.
  std::string shown = text;
  const std::string head = opts.PIREP_User + "~";
  if (starts_with(text, head + opts.PIREP_Password)) {
    shown = head + "****" + text.substr(head.size() + opts.PIREP_Password.size());
  }
  acars_.sendInfo("Sending PIREP: [" + client + "&DATA2=" + shown + "].");
  acars_.sendInfo("Connecting to PIREP Server at [" + opts.PIREP_URL + "] ...");
  const TransferResult r = transfer.post(opts.PIREP_URL, body);
  if (isRedirect(r)) {
    AddressOffers::instance().offer(AirlineAddress::PIREP, opts.PIREP_URL, r.redirect_to);
  }
  if (!r.ok) {
    sendPIR_ = false;
    const std::string msg =
        "Connection to PIREP server failed: [" + orFallback(r.error, "Check URL") + "]";
    acars_.sendInfo(msg);
    return {true, false, msg};
  }
  acars_.sendInfo("PIREP sent.");
  const ServerAnswer a =
      classifyServerAnswer(AirlineRequest::PIREP, opts.PIREP_URL, r.http_status, r.answer);
  if (a.verdict == ServerAnswer::SUCCESS) {
    acars_.sendInfo("PIREP successfull.");
    return {true, true, shownAnswer(a.text)};
  }
  sendPIR_ = false;
  if (a.verdict == ServerAnswer::REFUSAL) {
    const std::string error = shownAnswer(a.text);
    acars_.sendInfo("PIREP returned error: [" + error + "].");
    return {true, false, error};
  }
  // Not the airline's answer: the report is not sent, and the pilot keeps it.
  acars_.sendInfo(a.text);
  return {true, false, a.text};
}

// ---- Flight-information thread ---------------------------------------------------------------

void AcarsLink::requestFlightInfo(const std::string& flightNumber, const std::string& type) {
  {
    std::lock_guard<std::mutex> g(lock_);
    fi_requests_.emplace_back(flightNumber, type);
    // A running thread takes the request up after the one it is carrying out.
    if (fi_busy_) return;
    fi_busy_ = true;
  }
  // The previous thread has taken its last request and is ending: this join is short.
  if (fithread_.joinable()) fithread_.join();
  flightinfo_running_ = true;
  try {
    fithread_ = std::thread(&AcarsLink::flightInfoThread, this);
  } catch (const std::system_error&) {
    acars_.sendInfo("Cannot start FlightInfo thread.");
    flightinfo_running_ = false;
    std::lock_guard<std::mutex> g(lock_);
    fi_requests_.clear();
    fi_busy_ = false;
  }
}

std::string AcarsLink::flightInfoFN() const {
  std::lock_guard<std::mutex> g(lock_);
  return flightInfoFN_;
}

std::string AcarsLink::flightInfoType() const {
  std::lock_guard<std::mutex> g(lock_);
  return flightInfoType_;
}

void AcarsLink::flightInfoThread() {
  for (;;) {
    {
      std::lock_guard<std::mutex> g(lock_);
      if (fi_requests_.empty()) {
        fi_busy_ = false;
        return;
      }
      flightInfoFN_ = fi_requests_.front().first;
      flightInfoType_ = fi_requests_.front().second;
      fi_requests_.pop_front();
    }
    carryOutFlightInfo();
  }
}

void AcarsLink::carryOutFlightInfo() {
  acars_.sendInfo("FlightInfo thread started.");
  HttpTransfer transfer;
  if (!transfer.valid()) {
    acars_.sendInfo("FlightInfo thread cannot start CURL transaction.");
    acars_.returnFlightInfo("ERROR: Cannot start Server transaction.");
    return;
  }
  const FlightOptions opts = acars_.optionsCopy();
  const std::string body = clientField(acars_.getClientName()) + "&DATA2=" +
                           form_encode(flightInfoFN()) + "&DATA3=" +
                           form_encode(flightInfoType()) + "&DATA4=" +
                           form_encode(opts.ACARS_User) + "&DATA5=" +
                           form_encode(opts.ACARS_Password);
  acars_.sendInfo("Connecting to FlightInfo Server at [" + opts.INFO_URL + "] ...");
  const TransferResult r = transfer.post(opts.INFO_URL, body);
  if (isRedirect(r)) {
    AddressOffers::instance().offer(AirlineAddress::FLIGHTINFO, opts.INFO_URL, r.redirect_to);
  }
  if (!r.ok) {
    const std::string e = orFallback(r.error, "Check URL.");
    acars_.sendInfo("Connection to ACARS server failed: [" + e + "]");
    acars_.returnFlightInfo("ERROR: Connection to ACARS server failed: [" + e + "]");
  } else {
    acars_.sendInfo("Connected to ACARS server.");
    const ServerAnswer a =
        classifyServerAnswer(AirlineRequest::FLIGHTPLAN, opts.INFO_URL, r.http_status, r.answer);
    if (a.verdict == ServerAnswer::SUCCESS) {
      acars_.returnFlightInfo(a.text);
    } else if (a.verdict == ServerAnswer::REFUSAL) {
      acars_.returnFlightInfo("ERROR: " + shownAnswer(a.text));
    } else if (a.cause == ServerAnswer::EMPTY) {
      acars_.sendInfo(a.text);
    } else {
      // No flight data is ever filled from what is not a flight plan.
      acars_.sendInfo(a.text);
      acars_.returnFlightInfo("ERROR: " + a.text);
    }
  }
  acars_.sendInfo("FlightInfo thread finished.");
}

}  // namespace orvane
