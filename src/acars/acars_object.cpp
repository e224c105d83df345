// The ACARS object: construction, thread control, connection state, options and running values.
#include <system_error>

#include "acars/ACARS.h"
#include "util/clock.h"

namespace orvane {

ACARS::ACARS(const FlightOptions& options, const std::string& clientName, FlightState* owner,
             TextCallback connFailed, TextCallback info, PIREPCallback pirepData,
             TextCallback pirepSuccess, TextCallback pirepError, TextCallback flightInfo)
    : ClientName(clientName),
      Options(options),
      liveACARS(options.enableLiveACARS),
      FState(owner),
      ConnFailedCB(connFailed),
      InfoCB(info),
      PIRDataCB(pirepData),
      PIRErrCB(pirepError),
      PIRSuccCB(pirepSuccess),
      FlInfoCB(flightInfo) {}

ACARS::~ACARS() {
  sendInfo("Stopping ACARS.");
  stopSending();
  sendInfo("Cancelling PIREP.");
  PIREPCancel();
  sendInfo("Joining Send Thread.");
  if (sendthread.joinable()) sendthread.join();
  if (flightinfo_running) sendInfo("Joining Flight Info Thread.");
  if (fithread.joinable()) fithread.join();
  if (pirepthread_running) sendInfo("Joining PIREP Thread.");
  if (pirepthread.joinable()) pirepthread.join();
  sendInfo("ACARS stopped.");
}

// ---- Callback wrappers -------------------------------------------------------------------

void ACARS::connectFailedCB(const std::string& text) const {
  if (ConnFailedCB) ConnFailedCB(text);
}
void ACARS::sendInfo(const std::string& text) const {
  if (InfoCB) InfoCB(text);
}
void ACARS::PIREPError(const std::string& text) const {
  if (PIRErrCB) PIRErrCB(text);
}
void ACARS::PIREPSuccess(const std::string& text) const {
  if (PIRSuccCB) PIRSuccCB(text);
}
void ACARS::returnFlightInfo(const std::string& text) const {
  if (FlInfoCB) FlInfoCB(text);
}

// ---- Queue ---------------------------------------------------------------------------------

void ACARS::appendMessage(const std::string& text) {
  {
    std::lock_guard<std::mutex> g(lock_);
    Messages.push_back(text);
  }
  wake_.notify_all();
}

std::string ACARS::begin() const {
  std::lock_guard<std::mutex> g(lock_);
  return Messages.empty() ? std::string() : Messages.front();
}

std::size_t ACARS::size() const {
  std::lock_guard<std::mutex> g(lock_);
  return Messages.size();
}

std::vector<std::string> ACARS::messages() const {
  std::lock_guard<std::mutex> g(lock_);
  return Messages;
}

// ---- Thread control ------------------------------------------------------------------------

void ACARS::startSending() {
  stop_sendthread = false;
  stopped = false;
  sendInfo("Now starting send thread.");
  if (sendthread.joinable()) {
    // One send thread per flight; a second start would have nothing of its own to do.
    sendInfo("Send thread already running.");
    return;
  }
  try {
    sendthread = std::thread(&ACARS::ACARS_SendMessage, this);
  } catch (const std::system_error&) {
    sendInfo("Cannot start send thread.");
    // Nothing will ever end this flight's sending otherwise.
    stopped = true;
  }
}

void ACARS::stopSending() {
  stop_sendthread = true;
  { std::lock_guard<std::mutex> g(lock_); }
  wake_.notify_all();
}

void ACARS::hasStopped() { stopped = true; }

void ACARS::DoSendPIREP() {
  sendInfo("Now starting PIREP thread.");
  if (pirep_busy_.exchange(true)) {
    // The running transmission tells its outcome; a second one at the same time could send
    // the report twice.
    sendInfo("PIREP transmission already under way.");
    return;
  }
  // The previous thread has told its outcome or is just telling it: this join is short.
  if (pirepthread.joinable()) pirepthread.join();
  pirepthread_running = true;
  try {
    pirepthread = std::thread(&ACARS::ACARS_SendPIREP, this);
  } catch (const std::system_error&) {
    pirepthread_running = false;
    pirep_busy_ = false;
    sendInfo("Cannot start PIREP thread.");
    PIREPError("Cannot start PIREP thread.");
  }
}

void ACARS::PIREPReady(const PIREPData& report) {
  {
    std::lock_guard<std::mutex> g(lock_);
    PIRData = report;
  }
  sendPIR = true;
  if (cancelPIR) {
    // No thread needed to learn that nothing will be sent.
    sendInfo("PIREP cancelled, not sent.");
    PIREPError("The PIREP of this flight was cancelled and is not sent.");
    return;
  }
  DoSendPIREP();
}

void ACARS::PIREPReady() {
  sendPIR = true;
  { std::lock_guard<std::mutex> g(lock_); }
  wake_.notify_all();
}

void ACARS::PIREPNotReady() { sendPIR = false; }

void ACARS::PIREPCancel() {
  cancelPIR = true;
  { std::lock_guard<std::mutex> g(lock_); }
  wake_.notify_all();
}

void ACARS::askForPIREP() {
  if (time_out != 0 && time_off != 0 && time_on != 0 && time_in != 0) {
    const PIREPData report = createPIRData();
    {
      std::lock_guard<std::mutex> g(lock_);
      PIRData = report;
    }
    if (PIRDataCB) PIRDataCB(report);
  } else {
    PIREPCancel();
  }
}

void AskForPIREP(ACARS* object) {
  if (object == nullptr || !object->isPIREPEnabled()) return;
  object->sendInfo("Starting PIREP Transaction.");
  object->askForPIREP();
}

void ACARS::getFlightInfo(const std::string& flightNumber, const std::string& type) {
  {
    std::lock_guard<std::mutex> g(lock_);
    fi_requests_.emplace_back(flightNumber, type);
    // A running thread takes the request up after the one it is carrying out.
    if (fi_busy_) return;
    fi_busy_ = true;
  }
  // The previous thread has taken its last request and is ending: this join is short.
  if (fithread.joinable()) fithread.join();
  flightinfo_running = true;
  try {
    fithread = std::thread(&ACARS::ACARS_GetFlightInfo, this);
  } catch (const std::system_error&) {
    sendInfo("Cannot start FlightInfo thread.");
    flightinfo_running = false;
    std::lock_guard<std::mutex> g(lock_);
    fi_requests_.clear();
    fi_busy_ = false;
  }
}

// ---- Connection state and options ----------------------------------------------------------

void ACARS::connectOK() { serverConnectTested = true; }
void ACARS::connectFailed() { serverConnectTested = false; }

bool ACARS::ACARS_Ready() const {
  std::lock_guard<std::mutex> g(lock_);
  return !dataID.empty();
}

bool ACARS::isPIREPEnabled() const {
  std::lock_guard<std::mutex> g(lock_);
  return Options.enablePIREP;
}

void ACARS::disableLiveACARS() {
  std::lock_guard<std::mutex> g(lock_);
  Options.enableLiveACARS = false;
  liveACARS = false;
}

void ACARS::updateOptions(const FlightOptions& options) {
  bool refused = false;
  {
    std::lock_guard<std::mutex> g(lock_);
    if (options.enableLiveACARS && !Options.enableLiveACARS && dataID == "NO LIVEACARS") {
      Options = options;
      Options.enableLiveACARS = false;
      refused = true;
    } else {
      Options = options;
    }
    liveACARS = Options.enableLiveACARS;
  }
  if (refused) {
    const std::string text = "Cannot change LiveACARS status during ACARS tracking!";
    sendInfo(text);
    connectFailedCB(text);
  }
}

FlightOptions ACARS::optionsCopy() const {
  std::lock_guard<std::mutex> g(lock_);
  return Options;
}

std::string ACARS::getACARSAddress() const { return optionsCopy().ACARS_URL; }
std::string ACARS::getPIREPAddress() const { return optionsCopy().PIREP_URL; }
std::string ACARS::getFlightInfoAddress() const { return optionsCopy().INFO_URL; }
std::string ACARS::getACARSUser() const { return optionsCopy().ACARS_User; }
std::string ACARS::getACARSPassword() const { return optionsCopy().ACARS_Password; }

std::string ACARS::getFlightInfoFN() const {
  std::lock_guard<std::mutex> g(lock_);
  return FlightInfoFN;
}
std::string ACARS::getFlightInfoType() const {
  std::lock_guard<std::mutex> g(lock_);
  return FlightInfoType;
}

void ACARS::setDataID(const std::string& id) {
  std::lock_guard<std::mutex> g(lock_);
  dataID = id;
}
void ACARS::clearDataID() { setDataID(std::string()); }
std::string ACARS::getDataID() const {
  std::lock_guard<std::mutex> g(lock_);
  return dataID;
}

// ---- Running values --------------------------------------------------------------------------

namespace {
int to_int(std::int64_t v) { return static_cast<int>(static_cast<std::int32_t>(v)); }
}  // namespace

int ACARS::getCurrentBlockTime() const {
  const std::int64_t out = time_out;
  if (out == 0) return 0;
  const std::int64_t in = time_in;
  const std::int64_t end = in != 0 ? in : static_cast<std::int64_t>(clock().now());
  return to_int(end - out - block_time_paused - block_time_changed);
}

int ACARS::getCurrentFlightTime() const {
  const std::int64_t off = time_off;
  if (off == 0) return 0;
  const std::int64_t on = time_on;
  const std::int64_t end = on != 0 ? on : static_cast<std::int64_t>(clock().now());
  return to_int(end - off - flight_time_paused - flight_time_changed);
}

int ACARS::getCurrentBlockFuel() const {
  const double out = fuel_out;
  if (out == 0.0) return 0;
  const double in = fuel_in;
  return static_cast<int>(in != 0.0 ? out - in : out - current_fuel);
}

int ACARS::getCurrentFlightFuel() const {
  const double off = fuel_off;
  if (off == 0.0) return 0;
  const double on = fuel_on;
  return static_cast<int>(on != 0.0 ? off - on : off - current_fuel);
}

void ACARS::setRealTimeChange(int seconds) {
  if (time_out != 0 && time_in == 0) {
    block_time_changed += seconds;
    if (time_off != 0 && time_on == 0) flight_time_changed += seconds;
  }
  if (time_this_pause != 0) time_this_pause += seconds;
}

}  // namespace orvane
