// The ACARS object: construction, callbacks, options and data id, and the forwarders to its parts.
// SPDX-License-Identifier: MIT
#include "acars/ACARS.h"

namespace orvane {

ACARS::ACARS(const FlightOptions& options, const std::string& clientName, FlightState* owner,
             TextCallback connFailed, TextCallback info, PIREPCallback pirepData,
             TextCallback pirepSuccess, TextCallback pirepError, TextCallback flightInfo,
             PosRepCallback posRep)
    : ClientName(clientName),
      FState(owner),
      ConnFailedCB(connFailed),
      InfoCB(info),
      PIRDataCB(pirepData),
      PIRErrCB(pirepError),
      PIRSuccCB(pirepSuccess),
      FlInfoCB(flightInfo),
      PosRepCB(posRep),
      Options(options),
      liveACARS(options.enableLiveACARS) {}

ACARS::ACARS(const FlightOptions& options, const std::string& clientName, FlightState* owner,
             TextCallback connFailed, TextCallback info, PIREPCallback pirepData,
             TextCallback pirepSuccess, TextCallback pirepError, TextCallback flightInfo)
    : ACARS(options, clientName, owner, connFailed, info, pirepData, pirepSuccess, pirepError,
            flightInfo, nullptr) {}

ACARS::~ACARS() { link_.shutdown(); }

void ACARS::setDeliveryCallback(DeliveryCallback callback) {
  AcarsLink::setDeliveryCallback(callback);
}

void ACARS::setRefusalCallback(RefusalCallback callback) {
  AcarsLink::setRefusalCallback(callback);
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
void ACARS::passPosRepTable(const std::map<int, int>& table) const {
  if (PosRepCB && FState) PosRepCB(FState, table);
}

// ---- Queue ---------------------------------------------------------------------------------

std::string ACARS::begin() const { return queue_.front(); }
std::size_t ACARS::size() const { return queue_.size(); }
std::vector<std::string> ACARS::messages() const { return queue_.texts(); }

// ---- Thread control ------------------------------------------------------------------------

void ACARS::startSending() { link_.startSending(); }
void ACARS::stopSending() { link_.stopSending(); }
void ACARS::hasStopped() { link_.hasStopped(); }
void ACARS::DoSendPIREP() { link_.startPIREPThread(); }

void ACARS::PIREPReady(const PIREPData& report) {
  {
    std::lock_guard<std::mutex> g(lock_);
    PIRData = report;
  }
  link_.sendApprovedReport();
}

void ACARS::PIREPReady() { link_.approvePIREP(); }
void ACARS::PIREPNotReady() { link_.withdrawPIREP(); }
void ACARS::PIREPCancel() { link_.cancelPIREP(); }

void ACARS::getFlightInfo(const std::string& flightNumber, const std::string& type) {
  link_.requestFlightInfo(flightNumber, type);
}

bool ACARS::Check_ACARS_Connection(HttpTransfer& transfer) {
  return link_.checkConnection(transfer);
}

void ACARS::parseBeginFlightResponse(const std::string& answer) {
  link_.parseBeginFlightResponse(answer);
}

// ---- Connection state and options ----------------------------------------------------------

void ACARS::connectOK() { link_.connectOK(); }
void ACARS::connectFailed() { link_.connectFailed(); }

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
std::string ACARS::getFlightInfoFN() const { return link_.flightInfoFN(); }
std::string ACARS::getFlightInfoType() const { return link_.flightInfoType(); }

void ACARS::setDataID(const std::string& id) {
  std::lock_guard<std::mutex> g(lock_);
  dataID = id;
}
void ACARS::resumeFlight(const FlightRecordValues& record, const std::string& dataId,
                         const std::vector<std::string>& undelivered) {
  record_.restore(record);
  setDataID(dataId);
  link_.beginFlightResumed();
  for (const std::string& text : undelivered) queue_.append(text);
}

void ACARS::clearDataID() { setDataID(std::string()); }
std::string ACARS::getDataID() const {
  std::lock_guard<std::mutex> g(lock_);
  return dataID;
}

// ---- Running values --------------------------------------------------------------------------

int ACARS::getCurrentBlockTime() const { return record_.currentBlockTime(); }
int ACARS::getCurrentFlightTime() const { return record_.currentFlightTime(); }
int ACARS::getCurrentBlockFuel() const { return record_.currentBlockFuel(); }
int ACARS::getCurrentFlightFuel() const { return record_.currentFlightFuel(); }
void ACARS::setRealTimeChange(int seconds) { record_.realTimeChange(seconds); }

}  // namespace orvane
