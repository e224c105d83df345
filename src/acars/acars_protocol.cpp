// The ACARS object's conversations with the airline: send thread, flight plans and PIREPs.
#include <algorithm>
#include <memory>

#include "acars/ACARS.h"
#include "acars/http_transfer.h"
#include "util/clock.h"
#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {

namespace {

// How a failed MESSAGE or PAUSEFLIGHT post is repeated: the first pause, its ceiling as it
// doubles, and how long one message may keep failing before it is passed over.
constexpr std::int64_t kRetryFirstMs = 5'000;
constexpr std::int64_t kRetryMaxMs = 60'000;
constexpr std::int64_t kRetryWindowMs = 600'000;

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

bool ACARS::waitOrStop(std::int64_t ms) {
  std::unique_lock<std::mutex> lk(lock_);
  return clock().wait_for(wake_, lk, ms, [this] { return stop_sendthread.load(); });
}

bool ACARS::Check_ACARS_Connection(HttpTransfer& transfer) {
  const FlightOptions opts = optionsCopy();
  const std::string body = clientField(ClientName) + "&DATA2=TEST&DATA3=" + opts.ACARS_User +
                           "&DATA4=";
  sendInfo("Connecting to ACARS Server at [" + opts.ACARS_URL + "] ...");
  transfer.applySettings();
  const TransferResult r = transfer.post(opts.ACARS_URL, body);
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

ACARS::Handled ACARS::handleBeginFlight(HttpTransfer* transfer, const std::string& text) {
  if (!isLiveACARSEnabled() || transfer == nullptr) {
    setDataID("NO LIVEACARS");
    return Handled::Advance;
  }
  const std::string record = text.size() > 12 ? text.substr(12) : std::string();
  const std::string body = clientField(ClientName) + "&DATA2=BEGINFLIGHT&DATA3=" + record +
                           "&DATA4=";
  const TransferResult r = transfer->post(getACARSAddress(), body);
  if (!r.ok) {
    const std::string msg =
        "Communication to ACARS server failed: [" + orFallback(r.error, "Check URL.") + "]";
    sendInfo(msg);
    connectFailedCB(msg);
    return stopIt() ? Handled::Finish : Handled::Advance;
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
  return Handled::Advance;
}

ACARS::Handled ACARS::handleMessage(HttpTransfer* transfer, const std::string& text) {
  if (!isLiveACARSEnabled() || transfer == nullptr) return Handled::Advance;
  std::int64_t firstFailure = -1;
  std::int64_t pause = kRetryFirstMs;
  for (;;) {
    const TransferResult r = transfer->post(getACARSAddress(), text);
    if (r.ok) {
      if (r.answer.empty()) {
        sendInfo("No answer from server for message transmission.");
      } else if (r.answer[0] == '0') {
        sendInfo("MESSAGE transmission returned error: [" + answerText(r.answer) + "]");
      } else {
        sendInfo("MESSAGE [" + prepare_info(text) + "] transmitted successfully.");
      }
      return Handled::Advance;
    }
    sendInfo("Communication to ACARS server failed: [" + r.error + "] -- trying again.");
    if (stopIt()) return Handled::Finish;
    const std::int64_t now = clock().now_ms();
    if (firstFailure < 0) firstFailure = now;
    if (now - firstFailure >= kRetryWindowMs) {
      sendInfo("Giving up on message after 10 minutes of failed transmissions: [" +
               prepare_info(text) + "]");
      return Handled::Advance;
    }
    if (waitOrStop(pause)) return Handled::Finish;
    pause = std::min(pause * 2, kRetryMaxMs);
    if (!isLiveACARSEnabled()) return Handled::Advance;
  }
}

ACARS::Handled ACARS::handleEndFlight(HttpTransfer* transfer, const std::string& text) {
  if (getDataID().empty()) {
    sendInfo("ENDFLIGHT successfull.");
    return Handled::Finish;
  }
  if (isLiveACARSEnabled() && transfer != nullptr) {
    const std::string id = text.size() > 10 ? text.substr(10) : std::string();
    const std::string body = clientField(ClientName) + "&DATA2=ENDFLIGHT&DATA3=" + id +
                             "&DATA4=";
    const TransferResult r = transfer->post(getACARSAddress(), body);
    if (!r.ok) {
      sendInfo("Communication to ACARS server failed: [" + r.error + "]");
      sendInfo("However, normal ENDFLIGHT handling ...");
      AskForPIREP(this);
      clearDataID();
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
  return Handled::Finish;
}

void ACARS::ACARS_SendMessage() {
  sendInfo("Sendthread started.");
  std::unique_ptr<HttpTransfer> transfer;
  if (!isLiveACARSEnabled()) {
    connectOK();
  } else {
    transfer = std::make_unique<HttpTransfer>();
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

  std::size_t n = 0;  // queue elements handled so far
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
      transfer = std::make_unique<HttpTransfer>();
      if (transfer->valid()) {
        transfer->applySettings();
      } else {
        transfer.reset();
      }
    }
    Handled handled;
    if (starts_with(text, "BEGINFLIGHT")) {
      handled = handleBeginFlight(transfer.get(), text);
    } else if (starts_with(text, "ENDFLIGHT")) {
      handled = handleEndFlight(transfer.get(), text);
    } else {
      handled = handleMessage(transfer.get(), text);
    }
    if (handled == Handled::Finish) break;
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
  if (cancelPIR) return;

  sendInfo("Starting PIREP transmission.");
  const std::string text = getPIREP();
  if (text.empty()) {
    sendInfo("No PIREP to transmit.");
    return;
  }
  HttpTransfer transfer;
  if (!transfer.valid()) {
    sendPIR = false;
    sendInfo("Sendthread cannot start CURL transaction (PIREP transmission).");
    PIREPError("Sendthread cannot start PIREP transmission.");
    return;
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
    PIREPError(msg);
    return;
  }
  sendInfo("PIREP sent.");
  const std::string answer = trim(r.answer);
  if (answer.empty()) {
    sendPIR = false;
    sendInfo("Server did not return a message.");
    PIREPError("Server did not return a message.");
  } else if (answer[0] == '0') {
    sendPIR = false;
    const std::string error = answerText(answer);
    sendInfo("PIREP returned error: [" + error + "].");
    PIREPError(error);
  } else if (answer[0] == '1') {
    sendInfo("PIREP successfull.");
    PIREPSuccess(answerText(answer));
  } else {
    sendInfo("Server returned strange message: [" + answer + "]");
    sendPIR = false;
    PIREPError("Strange message from server: [" + answer + "]");
  }
}

void ACARS::ACARS_GetFlightInfo() {
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
