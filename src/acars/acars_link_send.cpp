// AcarsLink's send thread: the connection test, and each queued request posted in order.
// SPDX-License-Identifier: MIT
#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "acars/ACARS.h"
#include "acars/acars_link.h"
#include "acars/flight_record.h"
#include "acars/send_queue.h"
#include "acars/server_answer.h"
#include "util/clock.h"
#include "acars/address_offer.h"
#include "util/form_encode.h"
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

std::atomic<AcarsLink::DeliveryCallback> delivery_callback{nullptr};

void reportDelivery(bool ok, const std::string& error) {
  if (const AcarsLink::DeliveryCallback cb = delivery_callback.load()) cb(ok, error);
}

}  // namespace

void AcarsLink::setDeliveryCallback(DeliveryCallback callback) { delivery_callback = callback; }

namespace {
std::atomic<AcarsLink::RefusalCallback> refusal_callback{nullptr};
}  // namespace

void AcarsLink::setRefusalCallback(RefusalCallback callback) { refusal_callback = callback; }

void AcarsLink::refuseFlight(const std::string& told) {
  endFlightSettled(told);
  if (const RefusalCallback cb = refusal_callback.load()) cb(told);
}

std::string AcarsLink::answerText(const std::string& answer) {
  return answer.size() > 2 ? answer.substr(2) : std::string();
}

std::string AcarsLink::orFallback(const std::string& error, const char* fallback) {
  return error.empty() ? std::string(fallback) : error;
}

std::string AcarsLink::clientField(const std::string& clientName) {
  return "DATA1=" + form_encode(clientName + "|" + ACARS::PROTOCOL_VERSION);
}

std::string AcarsLink::wireBody(const std::string& text) {
  // A queued text is "DATA1=...&DATA2=...&DATA3=...&DATA4=..."; the last value runs to the
  // end, whatever it holds.
  static const char* const kNames[] = {"DATA1=", "&DATA2=", "&DATA3=", "&DATA4="};
  std::size_t at[4];
  std::size_t from = 0;
  for (int i = 0; i < 4; ++i) {
    at[i] = text.find(kNames[i], from);
    if (at[i] == std::string::npos || (i == 0 && at[i] != 0)) return text;
    from = at[i] + std::char_traits<char>::length(kNames[i]);
  }
  std::string body;
  for (int i = 0; i < 4; ++i) {
    const std::size_t start = at[i] + std::char_traits<char>::length(kNames[i]);
    const std::size_t end = i < 3 ? at[i + 1] : text.size();
    body += kNames[i] + form_encode(std::string_view(text).substr(start, end - start));
  }
  return body;
}

bool AcarsLink::isRedirect(const TransferResult& r) {
  return !r.ok && r.http_status >= 300 && r.http_status < 400;
}

bool AcarsLink::checkConnection(HttpTransfer& transfer) {
  transfer.applySettings();
  return connectionTest(transfer, false, nullptr) == TestOutcome::Passed;
}

AcarsLink::TestOutcome AcarsLink::connectionTest(HttpTransfer& transfer, bool again,
                                                 std::string* error) {
  const FlightOptions opts = acars_.optionsCopy();
  const std::string body = clientField(acars_.getClientName()) + "&DATA2=TEST&DATA3=" +
                           form_encode(opts.ACARS_User) + "&DATA4=";
  if (!again) acars_.sendInfo("Connecting to ACARS Server at [" + opts.ACARS_URL + "] ...");
  const TransferResult r = transfer.post(opts.ACARS_URL, body);
  reportDelivery(r.ok, r.error);
  if (error != nullptr) *error = orFallback(r.error, "Check URL.");
  // A redirect to the same host waits like an outage until the pilot confirms the new
  // address (the window offers it) or the flight ends; one elsewhere is refused.
  const bool offered =
      isRedirect(r) &&
      AddressOffers::instance().offer(AirlineAddress::ACARS, opts.ACARS_URL, r.redirect_to);
  if (!r.ok && (r.failure == TransferResult::UNREACHABLE || offered)) {
    // Down for now: live ACARS stays on, the queue waits and the test is repeated.
    if (!again) {
      acars_.sendInfo("Connection to ACARS server failed: [" + orFallback(r.error, "Check URL.") +
                      "] -- the queue waits and the test is repeated.");
    }
    connectOK();
    return TestOutcome::Outage;
  }
  std::string reason;
  if (!r.ok) {
    reason = orFallback(r.error, "Check URL.");
  } else {
    const ServerAnswer a =
        classifyServerAnswer(AirlineRequest::TEST, opts.ACARS_URL, r.http_status, r.answer);
    if (a.verdict == ServerAnswer::REFUSAL) {
      reason = "The server refused the connection test: " + shownAnswer(a.text);
    } else if (a.verdict == ServerAnswer::ERROR) {
      reason = a.text;
    }
  }
  if (!reason.empty()) {
    const std::string text = "Connection to ACARS server failed: [" + reason + "]";
    acars_.connectFailedCB(text);
    acars_.sendInfo(text);
    // Live ACARS goes off before the test counts as done, so that nothing queued after the
    // test is ever posted.
    acars_.disableLiveACARS();
    connectOK();
    return TestOutcome::Refused;
  }
  acars_.sendInfo("Connected to ACARS server.");
  connectOK();
  return TestOutcome::Passed;
}

void AcarsLink::parseBeginFlightResponse(const std::string& answer) {
  Tokenizer fields("|");
  fields.push_back(answer);
  if (fields.empty() || fields[0] == "0") return;
  if (fields.size() >= 2) acars_.setDataID(trim(fields[1]));
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
      acars_.sendInfo("Changing PosRepInterval [" + to_str(key) + "]: [" + to_str(value) + "]");
    }
    acars_.passPosRepTable(table);
  }
}

AcarsLink::Posted AcarsLink::postQueued(HttpTransfer& transfer, const std::string& body,
                                        AirlineRequest kind) {
  Posted p;
  const std::string url = acars_.getACARSAddress();
  p.result = transfer.post(url, body);
  const TransferResult& r = p.result;
  if (isRedirect(r)) AddressOffers::instance().offer(AirlineAddress::ACARS, url, r.redirect_to);
  if (r.ok) p.answer = classifyServerAnswer(kind, url, r.http_status, r.answer);
  // A redirect holds the queue like an outage: the messages are not lost to it. So does a
  // web page (or any other answer that is not the airline's) given to a message.
  p.waits = (!r.ok && (r.failure == TransferResult::UNREACHABLE || isRedirect(r))) ||
            (r.ok && kind == AirlineRequest::MESSAGE && p.answer.verdict == ServerAnswer::ERROR);
  if (!r.ok) {
    p.error = r.error;
  } else if (p.answer.verdict == ServerAnswer::ERROR) {
    p.error = p.answer.text;
  }
  if (p.waits) {
    if (outage_since_ms_ < 0) {
      outage_since_ms_ = clock().mono_ms();
      acars_.sendInfo("ACARS server unreachable: the queue waits and goes out in order when it "
                      "answers again.");
    }
  } else if (outage_since_ms_ >= 0) {
    const std::int64_t seconds = (clock().mono_ms() - outage_since_ms_) / 1000;
    outage_since_ms_ = -1;
    acars_.sendInfo("ACARS server answers again after [" + to_str(seconds) + "] s.");
  }
  reportDelivery(r.ok && !p.waits, p.error);
  return p;
}

AcarsLink::Step AcarsLink::handleBeginFlight(HttpTransfer* transfer, const std::string& text,
                                             bool lastTry) {
  if (!acars_.isLiveACARSEnabled() || transfer == nullptr) {
    acars_.setDataID("NO LIVEACARS");
    return {Handled::Advance, {}};
  }
  const std::string record = text.size() > 12 ? text.substr(12) : std::string();
  const std::string body = clientField(acars_.getClientName()) + "&DATA2=BEGINFLIGHT&DATA3=" +
                           form_encode(record) + "&DATA4=";
  const Posted p = postQueued(*transfer, body, AirlineRequest::BEGINFLIGHT);
  const TransferResult& r = p.result;
  if (!r.ok) {
    const std::string e = orFallback(r.error, "Check URL.");
    // A short outage at the start must not leave the flight without its data id.
    if (p.waits && !lastTry && !stopIt()) {
      acars_.sendInfo("Communication to ACARS server failed: [" + e + "] -- trying again.");
      return {Handled::Retry, {}};
    }
    const std::string msg = "Communication to ACARS server failed: [" + e + "]";
    acars_.sendInfo(msg);
    acars_.connectFailedCB(msg);
    if (p.waits) return {Handled::GiveUp, e};
    return {Handled::Advance, {}};
  }
  const ServerAnswer& a = p.answer;
  if (a.verdict == ServerAnswer::REFUSAL) {
    const std::string error = shownAnswer(a.text);
    acars_.connectFailedCB(error);
    acars_.sendInfo("BEGINFLIGHT returned error: [" + error + "]");
  } else if (a.verdict == ServerAnswer::ERROR) {
    // No data id is taken from what is not the airline's answer.
    acars_.connectFailedCB(a.text);
    acars_.sendInfo(a.text);
  } else {
    parseBeginFlightResponse("1|" + a.text);
    const std::string id = acars_.getDataID();
    if (id.empty()) {
      acars_.sendInfo("BEGINFLIGHT successfull, but no ID received!");
    } else {
      acars_.sendInfo("BEGINFLIGHT successfull, ID: [" + id + "]");
    }
  }
  return {Handled::Advance, {}};
}

AcarsLink::Step AcarsLink::handleMessage(HttpTransfer* transfer, const std::string& text,
                                         bool lastTry) {
  if (!acars_.isLiveACARSEnabled() || transfer == nullptr) return {Handled::Advance, {}};
  const Posted p = postQueued(*transfer, wireBody(text), AirlineRequest::MESSAGE);
  const TransferResult& r = p.result;
  if (!p.waits && r.ok) {
    if (p.answer.verdict == ServerAnswer::REFUSAL) {
      acars_.sendInfo("MESSAGE transmission returned error: [" + shownAnswer(p.answer.text) + "]");
    } else {
      acars_.sendInfo("MESSAGE [" + prepare_info(text) + "] transmitted successfully.");
    }
    return {Handled::Advance, {}};
  }
  if (p.waits && !lastTry && !stopIt()) {
    acars_.sendInfo("Communication to ACARS server failed: [" + p.error + "] -- trying again.");
    return {Handled::Retry, {}};
  }
  acars_.sendInfo("Communication to ACARS server failed: [" + p.error + "]");
  if (p.waits) return {Handled::GiveUp, p.error};
  // Refused for good (HTTP 4xx, a bad address): posting it again cannot help, and the
  // messages behind it must not wait for it.
  acars_.sendInfo("Not delivered: [" + prepare_info(text) + "]");
  return {Handled::Advance, {}};
}

void AcarsLink::endOfFlight(const FlightRecord* record) {
  // Made when the flight ended; ENDFLIGHT's answer does not make it again.
  if (acars_.reportMade() || !acars_.isPIREPEnabled()) return;
  acars_.sendInfo("Starting PIREP Transaction.");
  // An ENDFLIGHT queued without a record has nothing to report.
  acars_.reportFrom(record != nullptr ? *record : FlightRecord{});
}

void AcarsLink::endFlightAfterFailure(const FlightRecord* record, const std::string& error) {
  acars_.sendInfo("Communication to ACARS server failed: [" + error + "]");
  acars_.sendInfo("However, normal ENDFLIGHT handling ...");
  endOfFlight(record);
  acars_.clearDataID();
}

AcarsLink::Step AcarsLink::handleEndFlight(HttpTransfer* transfer, const QueuedMessage& entry,
                                           bool lastTry) {
  if (acars_.getDataID().empty()) {
    acars_.sendInfo("ENDFLIGHT successfull.");
    // The BEGINFLIGHT still waiting when the flight ended was refused since: no report.
    if (acars_.reportMade()) {
      refuseFlight("The airline refused the flight at its start. Its PIREP is not sent.");
    }
    return {Handled::Finish, {}};
  }
  const std::string& text = entry.text;
  if (acars_.isLiveACARSEnabled() && transfer != nullptr) {
    const std::string id = text.size() > 10 ? text.substr(10) : std::string();
    const std::string body = clientField(acars_.getClientName()) + "&DATA2=ENDFLIGHT&DATA3=" +
                             form_encode(id) + "&DATA4=";
    const Posted p = postQueued(*transfer, body, AirlineRequest::ENDFLIGHT);
    const ServerAnswer& a = p.answer;
    if (!p.result.ok) {
      if (p.waits && !lastTry && !stopIt()) {
        acars_.sendInfo("Communication to ACARS server failed: [" + p.error +
                        "] -- trying again.");
        return {Handled::Retry, {}};
      }
      endFlightAfterFailure(entry.record.get(), p.error);
    } else if (a.verdict == ServerAnswer::ERROR && a.cause == ServerAnswer::EMPTY) {
      acars_.sendInfo(a.text);
    } else if (a.verdict == ServerAnswer::REFUSAL) {
      const std::string reason = shownAnswer(a.text);
      acars_.sendInfo("ENDFLIGHT returned error: [" + reason + "] -- Aborting.");
      const std::string told =
          "The airline refused the flight: [" + reason + "]. Its PIREP is not sent.";
      refuseFlight(told);
      return {Handled::Finish, {}};
    } else if (a.verdict == ServerAnswer::ERROR) {
      // Not the airline's answer: the flight is ended as after a failed transfer, so the
      // PIREP is still computed.
      endFlightAfterFailure(entry.record.get(), a.text);
    } else {
      acars_.sendInfo("ENDFLIGHT successfull.");
      endOfFlight(entry.record.get());
      acars_.clearDataID();
    }
  } else {
    endOfFlight(entry.record.get());
    acars_.clearDataID();
  }
  endFlightSettled(std::string());
  return {Handled::Finish, {}};
}

void AcarsLink::giveUpQueue(std::size_t n, const std::string& error) {
  const std::size_t length = queue_.size();
  for (std::size_t i = n; i < length; ++i) {
    const QueuedMessage entry = queue_.at(i);
    if (starts_with(entry.text, "ENDFLIGHT")) {
      if (acars_.getDataID().empty()) {
        acars_.sendInfo("ENDFLIGHT successfull.");
      } else {
        endFlightAfterFailure(entry.record.get(), error);
      }
      return;
    }
    // The begin-of-flight record holds the password: it is named, not shown.
    const bool begin = starts_with(entry.text, "BEGINFLIGHT");
    // A flight whose BEGINFLIGHT never reached the server is ended like one flown without
    // live ACARS, so that its PIREP is still computed.
    if (begin && acars_.getDataID().empty()) acars_.setDataID("NO LIVEACARS");
    acars_.sendInfo("Not delivered: [" +
                    (begin ? std::string("BEGINFLIGHT") : prepare_info(entry.text)) + "]");
  }
}

void AcarsLink::sendThread() {
  acars_.sendInfo("Sendthread started.");
  std::unique_ptr<HttpTransfer> transfer;
  const auto makeTransfer = [this] {
    auto t = std::make_unique<HttpTransfer>();
    t->setStopFlag(&stop_sendthread_, kStopGraceMs);
    return t;
  };
  if (!acars_.isLiveACARSEnabled()) {
    connectOK();
  } else {
    transfer = makeTransfer();
    if (!transfer->valid()) {
      transfer.reset();
      const std::string text = "Sendthread cannot initialize CURL.";
      acars_.sendInfo(text);
      acars_.connectFailedCB(text);
      connectFailed();
      acars_.disableLiveACARS();
      // The question is settled (no live ACARS); without this the flight would wait in
      // TESTING for ever.
      connectOK();
    }
  }
  // A server down at the start is an outage like any other: the test is repeated before the
  // queue's head, with its back-off, until the server answers.
  bool testPending = false;
  if (acars_.isLiveACARSEnabled() && transfer) {
    transfer->applySettings();
    testPending = connectionTest(*transfer, false, nullptr) == TestOutcome::Outage;
  }

  // The queue is walked in order and never shortened. While the server is unreachable the
  // head is posted again after a pause that doubles up to a minute, and everything behind it
  // waits: an outage is one event however long, and nothing is dropped. A stop ends the
  // waiting, not the flight's end: what is left is tried once, and the first failure to
  // reach the server ends the posting and goes to ENDFLIGHT's handling, so that the PIREP is
  // always computed.
  std::size_t n = 0;  // queue elements handled so far
  std::int64_t pauseMs = kRetryFirstMs;
  QueuedMessage entry;
  while (queue_.waitForEntry(n, stop_sendthread_, entry)) {
    // Live ACARS may have been switched on after start without a connection test.
    if (acars_.isLiveACARSEnabled() && !transfer) {
      transfer = makeTransfer();
      if (transfer->valid()) {
        transfer->applySettings();
      } else {
        transfer.reset();
      }
    }
    const bool lastTry = stopIt();
    Step step{Handled::Advance, {}};
    bool tested = true;
    if (testPending && acars_.isLiveACARSEnabled() && transfer) {
      std::string error;
      if (connectionTest(*transfer, true, &error) == TestOutcome::Outage) {
        tested = false;
        step = {lastTry || stopIt() ? Handled::GiveUp : Handled::Retry, error};
      } else {
        testPending = false;
      }
    }
    if (!tested) {
      // the head waits for the server
    } else if (starts_with(entry.text, "BEGINFLIGHT")) {
      step = handleBeginFlight(transfer.get(), entry.text, lastTry);
      if (step.how != Handled::Retry) beginHandled_ = true;
    } else if (starts_with(entry.text, "ENDFLIGHT")) {
      step = handleEndFlight(transfer.get(), entry, lastTry);
    } else {
      step = handleMessage(transfer.get(), entry.text, lastTry);
    }
    if (step.how == Handled::Retry) {
      const std::int64_t due = clock().mono_ms() + pauseMs;
      retry_due_ms_ = due;
      queue_.waitUntil(due, stop_sendthread_);
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
    handled_ = n;
    HandledHook hook;
    {
      std::lock_guard<std::mutex> guard(hook_lock_);
      hook = onHandled_;
    }
    if (hook) hook(n);
  }
  transfer.reset();
  hasStopped();
}

void AcarsLink::setHandledHook(HandledHook hook) {
  std::lock_guard<std::mutex> guard(hook_lock_);
  onHandled_ = std::move(hook);
}

}  // namespace orvane
