// The ACARS object's conversations with the airline: send thread, flight plans and PIREPs.
#include <algorithm>
#include <atomic>
#include <memory>

#include "acars/ACARS.h"
#include "net/http_transfer.h"
#include "util/clock.h"
#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {

namespace {

// Back-off of the head of the queue while the ACARS server is unreachable, in ms of
// monotonic clock time: the first pause, doubled after each failure up to the ceiling.
constexpr std::int64_t kRetryFirstMs = 5'000;
constexpr std::int64_t kRetryMaxMs = 60'000;
// Once a stop is requested, a post under way or started later gets this much more real
// time, so that ending a flight during an outage takes seconds, not the transfer time-outs.
constexpr long kStopGraceMs = 3'000;

std::atomic<ACARS::DeliveryCallback> delivery_callback{nullptr};

void reportDelivery(bool ok, const std::string& error) {
  if (const ACARS::DeliveryCallback cb = delivery_callback.load()) cb(ok, error);
}

// The server's text after the status character and its separator.
std::string answerText(const std::string& answer) {
  return answer.size() > 2 ? answer.substr(2) : std::string();
}

std::string orFallback(const std::string& error, const char* fallback) {
  return error.empty() ? std::string(fallback) : error;
}

std::string clientField(const std::string& clientName) {
  return "DATA1=" + clientName + "|" + ACARS::ORVANE_VERSION;
}

}  // namespace

void ACARS::setDeliveryCallback(DeliveryCallback callback) { delivery_callback = callback; }

bool ACARS::waitOrStop(std::int64_t dueMs) {
  std::unique_lock<std::mutex> lk(lock_);
  // The clock is part of the condition, so that a clock moved before the wait began still
  // ends it at dueMs, not a pause later.
  const auto over = [this, dueMs] { return stop_sendthread.load() || clock().mono_ms() >= dueMs; };
  clock().wait_for(wake_, lk, std::max<std::int64_t>(0, dueMs - clock().mono_ms()), over);
  return stop_sendthread.load();
}

bool ACARS::Check_ACARS_Connection(HttpTransfer& transfer) {
  const FlightOptions opts = optionsCopy();
  const std::string body = clientField(ClientName) + "&DATA2=TEST&DATA3=" + opts.ACARS_User +
                           "&DATA4=";
  sendInfo("Connecting to ACARS Server at [" + opts.ACARS_URL + "] ...");
  transfer.applySettings();
  const TransferResult r = transfer.post(opts.ACARS_URL, body);
  reportDelivery(r.ok, r.error);
  if (!r.ok) {
    const std::string text =
        "Connection to ACARS server failed: [" + orFallback(r.error, "Check URL.") + "]";
    connectFailedCB(text);
    sendInfo(text);
    // Live ACARS goes off before the test counts as done, so that nothing queued after the
    // test is ever posted.
    disableLiveACARS();
    connectOK();
    return false;
  }
  sendInfo("Connected to ACARS server.");
  connectOK();
  return true;
}

void ACARS::parseBeginFlightResponse(const std::string& answer) {
  Tokenizer fields("|");
  fields.push_back(answer);
  if (fields.empty() || fields[0] == "0") return;
  if (fields.size() >= 2) setDataID(fields[1]);
  for (std::size_t i = 2; i < fields.size(); ++i) {
    if (!starts_with(fields[i], "PosRep")) continue;
    std::map<int, int> table;
    Tokenizer items(" ");
    items.push_back(fields[i]);
    for (const std::string& item : items) {
      const std::size_t colon = item.find(':');
      if (colon == std::string::npos) continue;
      const int key = To_t<int>(item.substr(0, colon));
      const int value = To_t<int>(item.substr(colon + 1));
      table[key] = value;
      sendInfo("Changing PosRepInterval [" + to_str(key) + "]: [" + to_str(value) + "]");
    }
    if (FState) deliverPosRepTable(FState, table);
  }
}

TransferResult ACARS::postQueued(HttpTransfer& transfer, const std::string& body) {
  TransferResult r = transfer.post(getACARSAddress(), body);
  if (r.failure == TransferResult::UNREACHABLE) {
    if (outage_since_ms_ < 0) {
      outage_since_ms_ = clock().mono_ms();
      sendInfo("ACARS server unreachable: the queue waits and goes out in order when it "
               "answers again.");
    }
  } else if (outage_since_ms_ >= 0) {
    const std::int64_t seconds = (clock().mono_ms() - outage_since_ms_) / 1000;
    outage_since_ms_ = -1;
    sendInfo("ACARS server answers again after [" + to_str(seconds) + "] s.");
  }
  reportDelivery(r.ok, r.error);
  return r;
}

ACARS::Step ACARS::handleBeginFlight(HttpTransfer* transfer, const std::string& text,
                                     bool lastTry) {
  if (!isLiveACARSEnabled() || transfer == nullptr) {
    setDataID("NO LIVEACARS");
    return {Handled::Advance, {}};
  }
  const std::string record = text.size() > 12 ? text.substr(12) : std::string();
  const std::string body = clientField(ClientName) + "&DATA2=BEGINFLIGHT&DATA3=" + record +
                           "&DATA4=";
  const TransferResult r = postQueued(*transfer, body);
  if (!r.ok) {
    const std::string e = orFallback(r.error, "Check URL.");
    // A short outage at the start must not leave the flight without its data id.
    if (r.failure == TransferResult::UNREACHABLE && !lastTry && !stopIt()) {
      sendInfo("Communication to ACARS server failed: [" + e + "] -- trying again.");
      return {Handled::Retry, {}};
    }
    const std::string msg = "Communication to ACARS server failed: [" + e + "]";
    sendInfo(msg);
    connectFailedCB(msg);
    if (r.failure == TransferResult::UNREACHABLE) return {Handled::GiveUp, e};
    return {Handled::Advance, {}};
  }
  if (r.answer.empty()) {
    connectFailedCB("No message from server.");
    sendInfo("No message from server.");
  } else if (r.answer[0] == '0') {
    const std::string error = answerText(r.answer);
    connectFailedCB(error);
    sendInfo("BEGINFLIGHT returned error: [" + error + "]");
  } else {
    parseBeginFlightResponse(r.answer);
    const std::string id = getDataID();
    if (id.empty()) {
      sendInfo("BEGINFLIGHT successfull, but no ID received!");
    } else {
      sendInfo("BEGINFLIGHT successfull, ID: [" + id + "]");
    }
  }
  return {Handled::Advance, {}};
}

ACARS::Step ACARS::handleMessage(HttpTransfer* transfer, const std::string& text, bool lastTry) {
  if (!isLiveACARSEnabled() || transfer == nullptr) return {Handled::Advance, {}};
  const TransferResult r = postQueued(*transfer, text);
  if (r.ok) {
    if (r.answer.empty()) {
      sendInfo("No answer from server for message transmission.");
    } else if (r.answer[0] == '0') {
      sendInfo("MESSAGE transmission returned error: [" + answerText(r.answer) + "]");
    } else {
      sendInfo("MESSAGE [" + prepare_info(text) + "] transmitted successfully.");
    }
    return {Handled::Advance, {}};
  }
  if (r.failure == TransferResult::UNREACHABLE && !lastTry && !stopIt()) {
    sendInfo("Communication to ACARS server failed: [" + r.error + "] -- trying again.");
    return {Handled::Retry, {}};
  }
  sendInfo("Communication to ACARS server failed: [" + r.error + "]");
  if (r.failure == TransferResult::UNREACHABLE) return {Handled::GiveUp, r.error};
  // Refused for good (HTTP 4xx, a redirect, a bad address): posting it again cannot help,
  // and the messages behind it must not wait for it.
  sendInfo("Not delivered: [" + prepare_info(text) + "]");
  return {Handled::Advance, {}};
}

void ACARS::endFlightAfterFailure(const std::string& error) {
  sendInfo("Communication to ACARS server failed: [" + error + "]");
  sendInfo("However, normal ENDFLIGHT handling ...");
  AskForPIREP(this);
  clearDataID();
}

ACARS::Step ACARS::handleEndFlight(HttpTransfer* transfer, const std::string& text,
                                   bool lastTry) {
  if (getDataID().empty()) {
    sendInfo("ENDFLIGHT successfull.");
    return {Handled::Finish, {}};
  }
  if (isLiveACARSEnabled() && transfer != nullptr) {
    const std::string id = text.size() > 10 ? text.substr(10) : std::string();
    const std::string body = clientField(ClientName) + "&DATA2=ENDFLIGHT&DATA3=" + id +
                             "&DATA4=";
    const TransferResult r = postQueued(*transfer, body);
    if (!r.ok) {
      if (r.failure == TransferResult::UNREACHABLE && !lastTry && !stopIt()) {
        sendInfo("Communication to ACARS server failed: [" + r.error + "] -- trying again.");
        return {Handled::Retry, {}};
      }
      endFlightAfterFailure(r.error);
    } else if (r.answer.empty()) {
      sendInfo("No answer from server for ENDFLIGHT.");
    } else if (r.answer[0] == '0') {
      sendInfo("ENDFLIGHT returned error: [" + answerText(r.answer) + "] -- Aborting.");
    } else {
      sendInfo("ENDFLIGHT successfull.");
      AskForPIREP(this);
      clearDataID();
    }
  } else {
    AskForPIREP(this);
    clearDataID();
  }
  return {Handled::Finish, {}};
}

void ACARS::giveUpQueue(std::size_t n, const std::string& error) {
  const std::vector<std::string> queue = messages();
  bool endFlight = false;
  for (std::size_t i = n; i < queue.size(); ++i) {
    if (starts_with(queue[i], "ENDFLIGHT")) {
      endFlight = true;
      break;
    }
    // The begin-of-flight record holds the password: it is named, not shown.
    const bool begin = starts_with(queue[i], "BEGINFLIGHT");
    sendInfo("Not delivered: [" + (begin ? std::string("BEGINFLIGHT") : prepare_info(queue[i])) +
             "]");
  }
  if (!endFlight) return;
  if (getDataID().empty()) {
    sendInfo("ENDFLIGHT successfull.");
  } else {
    endFlightAfterFailure(error);
  }
}

void ACARS::ACARS_SendMessage() {
  sendInfo("Sendthread started.");
  std::unique_ptr<HttpTransfer> transfer;
  const auto makeTransfer = [this] {
    auto t = std::make_unique<HttpTransfer>();
    t->setStopFlag(&stop_sendthread, kStopGraceMs);
    return t;
  };
  if (!isLiveACARSEnabled()) {
    connectOK();
  } else {
    transfer = makeTransfer();
    if (!transfer->valid()) {
      transfer.reset();
      const std::string text = "Sendthread cannot initialize CURL.";
      sendInfo(text);
      connectFailedCB(text);
      connectFailed();
      disableLiveACARS();
      // The question is settled (no live ACARS); without this the flight would wait in
      // TESTING for ever.
      connectOK();
    }
  }
  if (isLiveACARSEnabled() && transfer) Check_ACARS_Connection(*transfer);

  // The queue is walked in order and never shortened. While the server is unreachable the
  // head is posted again after a pause that doubles up to a minute, and everything behind it
  // waits: an outage is one event however long, and nothing is dropped. A stop ends the
  // waiting, not the flight's end: what is left is tried once, and the first failure to
  // reach the server ends the posting and goes to ENDFLIGHT's handling, so that the PIREP is
  // always computed.
  std::size_t n = 0;  // queue elements handled so far
  std::int64_t pauseMs = kRetryFirstMs;
  for (;;) {
    std::string text;
    {
      std::unique_lock<std::mutex> lk(lock_);
      const auto ready = [&] { return stop_sendthread.load() || Messages.size() != n; };
      while (!ready()) clock().wait_for(wake_, lk, 5000, ready);
      if (Messages.size() == n) break;  // stop requested and everything handled
      text = Messages[n];
    }
    // Live ACARS may have been switched on after start without a connection test.
    if (isLiveACARSEnabled() && !transfer) {
      transfer = makeTransfer();
      if (transfer->valid()) {
        transfer->applySettings();
      } else {
        transfer.reset();
      }
    }
    const bool lastTry = stopIt();
    Step step;
    if (starts_with(text, "BEGINFLIGHT")) {
      step = handleBeginFlight(transfer.get(), text, lastTry);
    } else if (starts_with(text, "ENDFLIGHT")) {
      step = handleEndFlight(transfer.get(), text, lastTry);
    } else {
      step = handleMessage(transfer.get(), text, lastTry);
    }
    if (step.how == Handled::Retry) {
      const std::int64_t due = clock().mono_ms() + pauseMs;
      retry_due_ms_ = due;
      waitOrStop(due);
      retry_due_ms_ = 0;
      pauseMs = std::min(pauseMs * 2, kRetryMaxMs);
      continue;  // the same entry again; after a stop, for the last time
    }
    if (step.how == Handled::GiveUp) {
      giveUpQueue(n, step.error);
      break;
    }
    if (step.how == Handled::Finish) break;
    pauseMs = kRetryFirstMs;
    ++n;
  }
  transfer.reset();
  hasStopped();
}

void ACARS::ACARS_SendPIREP() {
  {
    std::unique_lock<std::mutex> lk(lock_);
    const auto decided = [this] { return sendPIR.load() || cancelPIR.load(); };
    while (!decided()) clock().wait_for(wake_, lk, 1000, decided);
  }
  const PIREPOutcome outcome = transmitPIREP();
  // Free for the next approval before the outcome is told, so that a pilot who sends again
  // as soon as he sees a failure is not turned away.
  pirep_busy_ = false;
  if (!outcome.told) return;
  if (outcome.success) {
    PIREPSuccess(outcome.text);
  } else {
    PIREPError(outcome.text);
  }
}

ACARS::PIREPOutcome ACARS::transmitPIREP() {
  if (cancelPIR) {
    // Cancelling wins over sending; a pilot who asked for the report to go out hears why
    // it did not.
    if (!sendPIR) return {false, false, {}};
    sendInfo("PIREP cancelled, not sent.");
    return {true, false, "The PIREP of this flight was cancelled and is not sent."};
  }

  sendInfo("Starting PIREP transmission.");
  const std::string text = getPIREP();
  if (text.empty()) {
    sendInfo("No PIREP to transmit.");
    return {true, false, "No PIREP to transmit."};
  }
  HttpTransfer transfer;
  if (!transfer.valid()) {
    sendPIR = false;
    sendInfo("Sendthread cannot start CURL transaction (PIREP transmission).");
    return {true, false, "Sendthread cannot start PIREP transmission."};
  }
  const FlightOptions opts = optionsCopy();
  const std::string body = clientField(ClientName) + "&DATA2=" + text;

  // The log is shared when pilots ask for help: it never shows the password.
  std::string shown = text;
  const std::string head = opts.PIREP_User + "~";
  if (starts_with(text, head + opts.PIREP_Password)) {
    shown = head + "****" + text.substr(head.size() + opts.PIREP_Password.size());
  }
  sendInfo("Sending PIREP: [" + clientField(ClientName) + "&DATA2=" + shown + "].");
  sendInfo("Connecting to PIREP Server at [" + opts.PIREP_URL + "] ...");
  const TransferResult r = transfer.post(opts.PIREP_URL, body);
  if (!r.ok) {
    sendPIR = false;
    const std::string msg =
        "Connection to PIREP server failed: [" + orFallback(r.error, "Check URL") + "]";
    sendInfo(msg);
    return {true, false, msg};
  }
  sendInfo("PIREP sent.");
  const std::string answer = trim(r.answer);
  if (answer.empty()) {
    sendPIR = false;
    sendInfo("Server did not return a message.");
    return {true, false, "Server did not return a message."};
  }
  if (answer[0] == '0') {
    sendPIR = false;
    const std::string error = answerText(answer);
    sendInfo("PIREP returned error: [" + error + "].");
    return {true, false, error};
  }
  if (answer[0] == '1') {
    sendInfo("PIREP successfull.");
    return {true, true, answerText(answer)};
  }
  sendInfo("Server returned strange message: [" + answer + "]");
  sendPIR = false;
  return {true, false, "Strange message from server: [" + answer + "]"};
}

void ACARS::ACARS_GetFlightInfo() {
  for (;;) {
    {
      std::lock_guard<std::mutex> g(lock_);
      if (fi_requests_.empty()) {
        fi_busy_ = false;
        return;
      }
      FlightInfoFN = fi_requests_.front().first;
      FlightInfoType = fi_requests_.front().second;
      fi_requests_.pop_front();
    }
    requestFlightInfo();
  }
}

void ACARS::requestFlightInfo() {
  sendInfo("FlightInfo thread started.");
  HttpTransfer transfer;
  if (!transfer.valid()) {
    sendInfo("FlightInfo thread cannot start CURL transaction.");
    returnFlightInfo("ERROR: Cannot start Server transaction.");
    return;
  }
  const FlightOptions opts = optionsCopy();
  const std::string body = clientField(ClientName) + "&DATA2=" + getFlightInfoFN() + "&DATA3=" +
                           getFlightInfoType() + "&DATA4=" + opts.ACARS_User + "&DATA5=" +
                           opts.ACARS_Password;
  sendInfo("Connecting to FlightInfo Server at [" + opts.INFO_URL + "] ...");
  const TransferResult r = transfer.post(opts.INFO_URL, body);
  if (!r.ok) {
    const std::string e = orFallback(r.error, "Check URL.");
    sendInfo("Connection to ACARS server failed: [" + e + "]");
    returnFlightInfo("ERROR: Connection to ACARS server failed: [" + e + "]");
  } else {
    sendInfo("Connected to ACARS server.");
    if (r.answer.empty()) {
      sendInfo("ACARS server did not return anything.");
    } else if (r.answer[0] == '0') {
      returnFlightInfo("ERROR: " + answerText(r.answer));
    } else {
      returnFlightInfo(answerText(r.answer));
    }
  }
  sendInfo("FlightInfo thread finished.");
}

}  // namespace orvane
