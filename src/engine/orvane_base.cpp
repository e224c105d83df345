// ORVANE: the engine facade — lifecycle, cycle, statistics, status channels, hand-offs, log.
#include "engine/orvane_base.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <sstream>

#include "acars/ACARS.h"
#include "net/http_transfer.h"
#include "engine/default_source.h"
#include "engine/orvane_state.h"
#include "engine/track_recorder.h"
#include "sim/fsuipc_client.h"
#include "tracking/flightstate.h"
#include "util/clock.h"
#include "util/util.h"

namespace orvane {

const std::string ORVANE::VERSION = "ORVANE 2.5.0";
std::mutex ORVANE::CYCLE_MUTEX;
std::mutex ORVANE::MUTEX;

namespace engine_state {
FlightOptions OPTIONS;
std::mutex options_lock;
std::atomic<ORVANE::OptionInputHook> showOptionInputDialog{nullptr};
}  // namespace engine_state

using engine_state::OPTIONS;
using engine_state::options_lock;
using engine_state::showOptionInputDialog;

namespace {

// ---- Engine state. Which lock guards what is noted per member. -------------------------------

std::ofstream LOGGING;                       // log_lock
std::string LOGFILEPATH = "orvane.log";      // log_lock
bool LOG_STARTED = false;                    // log_lock: LOGFILEPATH was opened in this run
std::mutex log_lock;                          // serialises every log line

SStatusMessage MESSAGE;                       // MUTEX
std::string ACARS_FLIGHTINFO;                 // MUTEX
PIREPData PIREP;                              // MUTEX
PIREPState PIREPSTATE = UNKNOWN;              // MUTEX
std::string PIREPMESSAGE;                     // MUTEX
std::string CONNECT_FAILED_STRING;            // MUTEX
bool PIREPDataArrived = false;                // MUTEX

FlightData* FLIGHT_DATA = nullptr;            // created once under CYCLE_MUTEX, then read freely
FlightState* FLIGHT_STATE = nullptr;          // CYCLE_MUTEX
bool _initialized = false;                    // CYCLE_MUTEX
std::atomic<bool> FLIGHTCRASHED{false};

// Flight statistics of the flight in progress, CYCLE_MUTEX. Feet per minute and knots.
std::int32_t MAXRATE = 0;
std::int32_t MINRATE = 0;
std::int32_t MAXIAS = 0;
std::int32_t MAXGS = 0;
std::int32_t LANDING_VSPEED = 0;

// The flight in progress beyond its statistics, CYCLE_MUTEX.
std::uint64_t FLIGHT_SERIAL = 0;      // counts the flights of the run; 0: none yet
bool FLIGHT_SEALED = false;           // its figures have gone to the finished flight
TrackRecorder TRACK;                  // its profile from OUT on
std::int32_t EVENT_TIMES[4] = {};     // OUT, OFF, ON, IN as the last sample saw them
std::int64_t TRACK_WALL_BASE = 0;     // seconds since 1970 at the first sample
std::int64_t TRACK_MONO_BASE_MS = 0;  // monotonic milliseconds at the first sample

// What a finished flight leaves for its pilot report: its statistics and its track. They
// stay with that flight, so preparing the next one (which restarts the statistics) before
// the pilot fetches the report changes nothing in it.
struct FlightFigures {
  std::uint64_t flight = 0;  // FLIGHT_SERIAL of the flight; 0: no flight
  std::int32_t maxRate = 0, minRate = 0, maxIas = 0, maxGs = 0, landingVSpeed = 0;
  FlightTrack track;
};

// MUTEX. The report and the sealed figures of a flight arrive from two threads in either
// order (the send thread computes the report as soon as the cycle has queued the end of
// flight, the cycle seals the figures when it has finished); whichever comes second pairs
// them.
std::uint64_t LIVE_FLIGHT = 0;   // FLIGHT_SERIAL of the flight whose threads may deliver
std::uint64_t PIREP_FLIGHT = 0;  // the flight the stored PIREP belongs to; 0: none
FlightFigures SEALED;            // figures of the last finished flight, not yet paired
FlightFigures PIREP_FIGURES;     // figures of PIREP_FLIGHT once paired

// Clock-jump detection, jump_lock: the clocks' readings at the worker's previous pass.
std::mutex jump_lock;
bool JUMP_READ = false;
std::int64_t JUMP_WALL_MS = 0;
std::int64_t JUMP_MONO_MS = 0;

std::atomic<ORVANE::FlightDataFactory> flightDataFactory{nullptr};

// Ends the data source's cycle on every way out of cycleOnce: it publishes what the window
// thread asks between cycles, and the next cycle reads the simulator afresh.
struct EndOfCycle {
  ~EndOfCycle() {
    if (FLIGHT_DATA) FLIGHT_DATA->endCycle();
  }
};

// Requests of the window that found the cycle running; carried out by the cycle before it
// lets CYCLE_MUTEX go. A leaf lock: nothing is called while it is held.
std::mutex pending_lock;
std::optional<PIREPData> PENDING_PIREP;          // pending_lock
std::optional<std::string> PENDING_FLIGHTPLAN;   // pending_lock

// Fed by the send threads; a leaf lock of its own, so the send threads never wait for MUTEX's
// holders here.
std::mutex live_status_lock;
LiveACARSStatus LIVE_STATUS;  // live_status_lock

// Truncation toward zero that cannot overflow on strange simulator values.
std::int32_t truncInt(double v) {
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// Local time in the 24-character layout of ctime, without its line feed.
std::string ctimeNow() {
  const std::time_t t = clock().now();
  std::tm tm{};
  if (!local_parts(t, tm)) return std::string(24, '?');
  char buf[64];
  // %d and a blank for its leading zero: Windows' C library has no %e.
  const std::size_t n = std::strftime(buf, sizeof buf, "%a %b %d %H:%M:%S %Y", &tm);
  if (n > 8 && buf[8] == '0') buf[8] = ' ';
  return std::string(buf, n);
}

// ---- The flight's figures (all under CYCLE_MUTEX) ------------------------------------------

void restartTrack() {
  TRACK.clear();
  for (std::int32_t& t : EVENT_TIMES) t = 0;
}

// A new flight object: it starts with no figures of its own.
void startFlightFigures() {
  ++FLIGHT_SERIAL;
  FLIGHT_SEALED = false;
  restartTrack();
  std::lock_guard<std::mutex> g(ORVANE::MUTEX);
  LIVE_FLIGHT = FLIGHT_SERIAL;
}

// One sample of the profile per cycle from OUT until the flight has ended. The time line
// starts at the wall clock of the first sample and goes on with the monotonic clock, so a
// clock jump neither reorders nor stretches the track.
void recordTrack(std::int32_t groundSpeed) {
  const std::int32_t times[4] = {FLIGHT_STATE->getOutTime(), FLIGHT_STATE->getOffTime(),
                                 FLIGHT_STATE->getOnTime(), FLIGHT_STATE->getInTime()};
  if (times[0] == 0 || FLIGHT_SEALED) return;
  bool event = false;
  for (std::size_t i = 0; i < std::size(times); ++i) {
    if (times[i] != 0 && times[i] != EVENT_TIMES[i]) event = true;
    EVENT_TIMES[i] = times[i];
  }
  const std::int64_t mono = clock().mono_ms();
  if (TRACK.points().empty()) {
    TRACK_WALL_BASE = static_cast<std::int64_t>(clock().now());
    TRACK_MONO_BASE_MS = mono;
  }
  TrackPoint point;
  point.time = TRACK_WALL_BASE + (mono - TRACK_MONO_BASE_MS) / 1000;
  point.altitude = FLIGHT_DATA->getAltitude();
  point.groundSpeed = groundSpeed;
  const Position position = FLIGHT_DATA->getPosition();
  point.latitude = static_cast<float>(position.lat);
  point.longitude = static_cast<float>(position.lng);
  TRACK.add(point, event);
}

// Hands the figures of the flight that has just ended to the finished flight, pairing them
// with its report if that has already arrived.
void sealFinishedFlight() {
  FLIGHT_SEALED = true;
  FlightFigures figures;
  figures.flight = FLIGHT_SERIAL;
  figures.maxRate = MAXRATE;
  figures.minRate = MINRATE;
  figures.maxIas = MAXIAS;
  figures.maxGs = MAXGS;
  figures.landingVSpeed = LANDING_VSPEED;
  figures.track = TRACK.take();
  std::lock_guard<std::mutex> g(ORVANE::MUTEX);
  if (PIREP_FLIGHT == figures.flight) {
    PIREP_FIGURES = std::move(figures);
  } else {
    SEALED = std::move(figures);
  }
}

}  // namespace

// ---- Log --------------------------------------------------------------------------------------

void ORVANE::logMessage(const std::string& text) {
  std::lock_guard<std::mutex> g(log_lock);
  if (!LOGGING.is_open() || !LOGGING.good()) {
    LOGGING.close();
    LOGGING.clear();
    // Only the first opening of a run starts the file afresh; reopening after a failed
    // write appends, so the lines written before the failure stay.
    LOGGING.open(LOGFILEPATH, std::ios::out | (LOG_STARTED ? std::ios::app : std::ios::trunc));
    if (!LOGGING.is_open()) return;
    LOG_STARTED = true;
  }
  LOGGING << ctimeNow() << ": " << text << '\n';
  LOGGING.flush();
}

void ORVANE::Log(const std::string& text) { logMessage(text); }

void ORVANE::setLogFilePath(const std::string& path) {
  std::lock_guard<std::mutex> g(log_lock);
  if (path != LOGFILEPATH) LOG_STARTED = false;
  LOGFILEPATH = path;
  LOGGING.close();
  LOGGING.clear();
}

std::string ORVANE::getLogFilePath() {
  std::lock_guard<std::mutex> g(log_lock);
  return LOGFILEPATH;
}

// ---- Status channels --------------------------------------------------------------------------

void ORVANE::showOn(std::string SStatusMessage::*field, const char* prefix,
                    const std::string& text) {
  std::lock_guard<std::mutex> g(MUTEX);
  MESSAGE.*field = text;
  logMessage(prefix + text + "]");
}

void ORVANE::showMessage(const std::string& text) {
  showOn(&SStatusMessage::message, "Message: [", text);
}
void ORVANE::showACARSMessage(const std::string& text) {
  showOn(&SStatusMessage::ACARS_message, "ACARS: [", text);
}
void ORVANE::showFlightState(const std::string& text) {
  showOn(&SStatusMessage::flightstate, "FlightState: [", text);
}
void ORVANE::showFlightData(const std::string& text) {
  showOn(&SStatusMessage::flightdata, "FlightData: [", text);
}

SStatusMessage ORVANE::getStatusMessage() {
  std::lock_guard<std::mutex> g(MUTEX);
  return MESSAGE;
}

// ---- Callbacks --------------------------------------------------------------------------------

void ORVANE::ConnectionFailedCallback(const std::string& text) {
  showMessage("ConnectionFailedCallback called with [" + text + "]");
  std::lock_guard<std::mutex> g(MUTEX);
  CONNECT_FAILED_STRING = text;
}

void ORVANE::FlightInfoCallback(const std::string& text) {
  showMessage("Got FlightInfo from server: [" + text + "]");
  std::lock_guard<std::mutex> g(MUTEX);
  ACARS_FLIGHTINFO = text;
}

void ORVANE::PIREPDataCallback(const PIREPData& pirep) {
  showMessage("PIREPDataCallback called.");
  std::lock_guard<std::mutex> g(MUTEX);
  PIREP = pirep;
  PIREPDataArrived = true;
  // Only the flight in progress has threads that deliver: the report is LIVE_FLIGHT's.
  PIREP_FLIGHT = LIVE_FLIGHT;
  if (SEALED.flight == LIVE_FLIGHT) {
    PIREP_FIGURES = std::move(SEALED);
    SEALED = FlightFigures{};
  }
}

void ORVANE::PIREPErrorCallback(const std::string& text) {
  showMessage("PIREPErrorCallback called with [" + text + "]");
  std::lock_guard<std::mutex> g(MUTEX);
  PIREPMESSAGE = text;
  PIREPSTATE = ERR;
}

void ORVANE::PIREPSuccessCallback(const std::string& text) {
  showMessage("PIREPSuccessCallback called with [" + text + "]");
  std::lock_guard<std::mutex> g(MUTEX);
  PIREPMESSAGE = text;
  PIREPSTATE = SUCCESS;
}

void ORVANE::initFlight() {}

// ---- Hand-off getters -------------------------------------------------------------------------

std::string ORVANE::getConnectFailed() {
  std::lock_guard<std::mutex> g(MUTEX);
  std::string text;
  text.swap(CONNECT_FAILED_STRING);
  return text;
}

std::string ORVANE::getACARSFlightPlan() {
  std::lock_guard<std::mutex> g(MUTEX);
  std::string text;
  text.swap(ACARS_FLIGHTINFO);
  return text;
}

bool ORVANE::PIREPDataAvailable() {
  std::lock_guard<std::mutex> g(MUTEX);
  return PIREPDataArrived;
}

PIREPState ORVANE::getPIREPState() {
  std::lock_guard<std::mutex> g(MUTEX);
  return PIREPSTATE;
}

std::string ORVANE::getPIREPMessage() {
  std::lock_guard<std::mutex> g(MUTEX);
  return PIREPMESSAGE;
}

PIREPData ORVANE::getPIREPData() {
  std::int32_t maxRate, minRate, maxIas, maxGs, landing;
  {
    // The statistics belong to the cycle; read them in the documented lock order. Holding
    // the cycle lock also means that a flight which has ended has had its figures sealed.
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    maxRate = MAXRATE;
    minRate = MINRATE;
    maxIas = MAXIAS;
    maxGs = MAXGS;
    landing = LANDING_VSPEED;
  }
  std::lock_guard<std::mutex> g(MUTEX);
  if (PIREP_FLIGHT != 0 && PIREP_FIGURES.flight == PIREP_FLIGHT) {
    // A delivered report gets the figures of its own flight, whatever runs now.
    maxRate = PIREP_FIGURES.maxRate;
    minRate = PIREP_FIGURES.minRate;
    maxIas = PIREP_FIGURES.maxIas;
    maxGs = PIREP_FIGURES.maxGs;
    landing = PIREP_FIGURES.landingVSpeed;
  }
  PIREPDataArrived = false;
  PIREP.MaxROC = to_str(maxRate);
  PIREP.MaxROD = to_str(std::llabs(static_cast<long long>(minRate)));
  PIREP.MaxIAS = to_str(maxIas);
  PIREP.MaxGS = to_str(maxGs);
  PIREP.VSLand = to_str(std::llabs(static_cast<long long>(landing)));
  return PIREP;
}

FlightTrack ORVANE::getFlightTrack() {
  std::lock_guard<std::mutex> g(MUTEX);
  if (PIREP_FLIGHT != 0 && PIREP_FIGURES.flight == PIREP_FLIGHT) return PIREP_FIGURES.track;
  return FlightTrack{};
}

std::string ORVANE::getACARSMessage() {
  std::lock_guard<std::mutex> g(MUTEX);
  const std::string m = MESSAGE.ACARS_message;
  static const std::string sep = " +++ ";
  static const std::string end = " +++  +++ ";
  std::string result;
  const std::size_t p = m.find(sep);
  if (p != std::string::npos && p + sep.size() < m.size()) {
    const std::size_t bodyStart = p + sep.size();
    const std::size_t e = m.find(end, p);
    const std::size_t bodyEnd = e == std::string::npos ? m.size() : e;
    std::string body = bodyEnd > bodyStart ? m.substr(bodyStart, bodyEnd - bodyStart) : "";
    std::size_t from = 0;
    while (from <= body.size()) {
      const std::size_t at = body.find(sep, from);
      const std::string segment =
          body.substr(from, at == std::string::npos ? std::string::npos : at - from);
      if (at == std::string::npos && from == body.size() && from != 0) break;  // trailing sep
      if (!result.empty()) result += '\n';
      result += segment;
      if (at == std::string::npos) break;
      from = at + sep.size();
    }
  }
  logMessage("Returning ACARS Message.");
  return result;
}

SFlightData ORVANE::fillinFlightData(const std::string& text) {
  SFlightData data;
  if (starts_with(text, "ERROR")) {
    showMessage("Received ERROR: [" + text + "]");
    return data;
  }
  std::istringstream in(text);
  std::string line;
  std::string* fields[] = {&data.sDeparture, &data.sArrival,  &data.sAlternate,
                           &data.sRoute,     &data.sPassengers, &data.sCargo,
                           &data.sRules,     &data.sAircraft, &data.sAltitude};
  std::size_t index = 0;
  bool first = true;
  while (std::getline(in, line)) {
    if (first) {
      first = false;
      continue;
    }
    if (index >= std::size(fields)) break;
    *fields[index] = fields[index] == &data.sCargo ? to_str(To_t<int>(line)) : line;
    ++index;
  }
  return data;
}

// ---- Lifecycle ----------------------------------------------------------------------------------

void ORVANE::prepare() {
  if (!prepareFlight()) return;
  for (;;) {
    // A flight discarded while it waits for its connection test ends the wait.
    if (!cycleOnce()) break;
    const int state = getState();
    if (state > FlightState::TESTING) break;
    sleep(1);
  }
}

bool ORVANE::prepareFlight() {
  // Before any transfer thread exists: libcurl's one-time set-up and the ignored SIGPIPE.
  HttpTransfer::globalInit();
  ACARS::setDeliveryCallback(ACARSDeliveryCallback);
  {
    std::lock_guard<std::mutex> g(live_status_lock);
    LIVE_STATUS = LiveACARSStatus{};
  }
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    FLIGHTCRASHED = false;
    if (FLIGHT_DATA == nullptr) {
      const FlightDataFactory factory = flightDataFactory.load();
      FLIGHT_DATA = factory ? factory(showMessage) : makeProductFlightData(showMessage);
    }
    if (FLIGHT_DATA == nullptr) {
      showMessage("No flight data source.");
      return false;
    }
    // Never two flights side by side: a flight left over is ended first.
    if (FLIGHT_STATE != nullptr) FLIGHT_DATA->keepLastValues();  // as in finalize
    delete FLIGHT_STATE;
    FLIGHT_STATE = new FlightState(FLIGHT_DATA, ConnectionFailedCallback, initFlight,
                                   FlightInfoCallback, PIREPDataCallback, PIREPErrorCallback,
                                   PIREPSuccessCallback, showMessage, showACARSMessage);
    FLIGHT_STATE->setFlightOptions(getFlightOptions());
    _initialized = true;
    startFlightFigures();
  }
  return true;
}

bool ORVANE::initialize() {
  bool exists;
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    exists = FLIGHT_STATE != nullptr;
  }
  if (!exists) prepare();
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    if (FLIGHT_STATE == nullptr) return false;
  }
  while (getState() != FlightState::INIT) {
    if (!cycleOnce()) return false;
    if (getState() == FlightState::INIT) break;
    sleep(1);
  }
  return true;
}

bool ORVANE::cycleOnce() {
  showMessage("cycleOnce called.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  const EndOfCycle publish;
  if (FLIGHT_STATE == nullptr) {
    _initialized = false;
    runPendingRequests();
    return false;
  }
  showFlightState(FLIGHT_STATE->getStateDisplay());
  if (!FLIGHT_STATE->Check()) {
    delete FLIGHT_STATE;
    FLIGHT_STATE = nullptr;
    showMessage("Check FlightState failed");
    _initialized = false;
    runPendingRequests();
    return false;
  }
  if (FLIGHT_DATA) {
    const std::int32_t vs = truncInt(FLIGHT_DATA->getVerticalSpeed());
    const std::int32_t ias = FLIGHT_DATA->getIAS();
    const std::int32_t gs = truncInt(FLIGHT_DATA->getGroundSpeed());
    if (vs > MAXRATE) MAXRATE = vs;
    if (vs < MINRATE) MINRATE = vs;
    if (ias > MAXIAS) MAXIAS = ias;
    if (gs > MAXGS) MAXGS = gs;
    LANDING_VSPEED = truncInt(FLIGHT_STATE->getLandingVSpeed());
    if (isFlightCrashed()) showMessage("Crashed.");
    showMessage("Currently: IAS:[" + to_str(ias) + "] GS: [" + to_str(gs) + "] VSpeed: [" +
                to_str(vs) + "] VSpeed_land:[" + to_str(LANDING_VSPEED) + "].");
    recordTrack(gs);
    // The cycle that ends the flight (IN, or a crash) has just added its values: from here
    // on the figures belong to the finished flight.
    if (!FLIGHT_SEALED && FLIGHT_STATE->getState() == FlightState::FINAL) sealFinishedFlight();
  }
  runPendingRequests();
  return true;
}

void ORVANE::finalize() {
  showMessage("Finalizing ORVANE ...");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  // The cycle that was waiting on the simulator, if any, is over.
  fsuipc_set_give_up(false);
  // The flight's last message reads the simulator: after a failed exchange it takes the
  // last values read rather than wait out the link's time-out again. The cycle's end then
  // publishes them, and the next cycle reads afresh.
  if (FLIGHT_STATE != nullptr) {
    const EndOfCycle publish;
    if (FLIGHT_DATA) FLIGHT_DATA->keepLastValues();
    delete FLIGHT_STATE;
    FLIGHT_STATE = nullptr;
  }
  _initialized = false;
}

void ORVANE::finalizeComing() { fsuipc_set_give_up(true); }

bool ORVANE::initialized() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return _initialized;
}

void ORVANE::InitMembers() {
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    fsuipc_set_give_up(false);
    delete FLIGHT_STATE;
    FLIGHT_STATE = nullptr;
    delete FLIGHT_DATA;
    FLIGHT_DATA = nullptr;
    _initialized = false;
    MAXRATE = MINRATE = MAXIAS = MAXGS = LANDING_VSPEED = 0;
    FLIGHTCRASHED = false;
    FLIGHT_SERIAL = 0;
    FLIGHT_SEALED = false;
    restartTrack();
  }
  {
    std::lock_guard<std::mutex> g(MUTEX);
    MESSAGE = SStatusMessage{};
    ACARS_FLIGHTINFO.clear();
    PIREP = PIREPData{};
    PIREPSTATE = UNKNOWN;
    PIREPMESSAGE.clear();
    CONNECT_FAILED_STRING.clear();
    PIREPDataArrived = false;
    LIVE_FLIGHT = PIREP_FLIGHT = 0;
    SEALED = FlightFigures{};
    PIREP_FIGURES = FlightFigures{};
  }
  {
    std::lock_guard<std::mutex> g(jump_lock);
    JUMP_READ = false;
  }
  {
    std::lock_guard<std::mutex> g(options_lock);
    OPTIONS = FlightOptions{};
  }
  {
    std::lock_guard<std::mutex> p(pending_lock);
    PENDING_PIREP.reset();
    PENDING_FLIGHTPLAN.reset();
  }
  {
    std::lock_guard<std::mutex> g(live_status_lock);
    LIVE_STATUS = LiveACARSStatus{};
  }
  showOptionInputDialog = nullptr;
}

int ORVANE::getState() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return FLIGHT_STATE ? FLIGHT_STATE->getState() : FlightState::NONE;
}

int ORVANE::getLoopInterval() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  return FLIGHT_STATE ? FLIGHT_STATE->getLoopInterval() : 5;
}

// ---- Flight control -----------------------------------------------------------------------------

void ORVANE::BeginFlight() {
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (FLIGHT_STATE) FLIGHT_STATE->BeginFlight();
  MAXRATE = MINRATE = MAXIAS = MAXGS = 0;
  restartTrack();
}

void ORVANE::setRealTimeChanged(long seconds) {
  showMessage("Noticed Real Time change of [" + to_str(seconds) + "] s.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (FLIGHT_STATE) FLIGHT_STATE->setRealTimeChange(static_cast<int>(seconds));
}

void ORVANE::checkClockJump() {
  const std::int64_t wall = clock().now_ms();
  const std::int64_t mono = clock().mono_ms();
  std::int64_t stepMs;
  {
    std::lock_guard<std::mutex> g(jump_lock);
    const bool first = !JUMP_READ;
    stepMs = (wall - JUMP_WALL_MS) - (mono - JUMP_MONO_MS);
    JUMP_READ = true;
    JUMP_WALL_MS = wall;
    JUMP_MONO_MS = mono;
    if (first) return;
  }
  // The worker's tolerance: the wall clock may run ahead of the monotonic one by up to two
  // loop intervals and behind it by up to half of one (whole seconds) without a report.
  const std::int64_t interval = getLoopInterval();
  if (stepMs > 2 * interval * 1000 || stepMs < -(interval / 2) * 1000) {
    setRealTimeChanged(static_cast<long>(std::llround(static_cast<double>(stepMs) / 1000.0)));
  }
}

void ORVANE::setFlightOptions(const FlightOptions& options) {
  showMessage("FlightOptions set.");
  {
    std::lock_guard<std::mutex> g(options_lock);
    OPTIONS = options;
  }
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (FLIGHT_STATE) FLIGHT_STATE->setFlightOptions(options);
}

FlightOptions ORVANE::getFlightOptions() {
  std::lock_guard<std::mutex> g(options_lock);
  return OPTIONS;
}

void ORVANE::setOptionInputDialog(OptionInputHook hook) { showOptionInputDialog = hook; }

// Called with CYCLE_MUTEX held.
void ORVANE::handOverFlightPlanRequest(const std::string& flightNumber) {
  if (FLIGHT_STATE) FLIGHT_STATE->getFlightInfo(flightNumber, "flightplan");
}

void ORVANE::getFlightPlan(const std::string& flightNumber) {
  std::unique_lock<std::mutex> c(CYCLE_MUTEX, std::try_to_lock);
  if (!c.owns_lock()) {
    {
      std::lock_guard<std::mutex> p(pending_lock);
      PENDING_FLIGHTPLAN = flightNumber;
    }
    // The holder may have let go meanwhile without seeing the request.
    if (!c.try_lock()) return;
    std::optional<std::string> pending;
    {
      std::lock_guard<std::mutex> p(pending_lock);
      pending.swap(PENDING_FLIGHTPLAN);
    }
    if (pending) handOverFlightPlanRequest(*pending);
    return;
  }
  handOverFlightPlanRequest(flightNumber);
}

// Called with CYCLE_MUTEX held. The ACARS object's PIREPReady only starts the transmission.
void ORVANE::handOverPIREP(const PIREPData& report) {
  showMessage("SendPIREP: Behind lock.");
  if (FLIGHT_STATE == nullptr) {
    PIREPErrorCallback("No flight to send the PIREP with.");
  } else if (FLIGHT_STATE->acars() == nullptr) {
    PIREPErrorCallback("The flight has no ACARS connection to send the PIREP with.");
  } else {
    FLIGHT_STATE->PIREPReady(report);
  }
  showMessage("SendPIREP: Before unlock.");
}

void ORVANE::SendPIREP(const PIREPData& report) {
  {
    std::lock_guard<std::mutex> g(MUTEX);
    PIREPSTATE = UNKNOWN;
  }
  showMessage("SendPIREP: Before lock.");
  std::unique_lock<std::mutex> c(CYCLE_MUTEX, std::try_to_lock);
  if (!c.owns_lock()) {
    // The window never waits for a cycle: the cycle takes the report with it.
    {
      std::lock_guard<std::mutex> p(pending_lock);
      PENDING_PIREP = report;
    }
    showMessage("SendPIREP: Cycle running, the PIREP goes out with it.");
    // The holder may have let go meanwhile without seeing the request.
    if (!c.try_lock()) return;
    std::optional<PIREPData> pending;
    {
      std::lock_guard<std::mutex> p(pending_lock);
      pending.swap(PENDING_PIREP);
    }
    if (!pending) return;  // the cycle took it
    handOverPIREP(*pending);
    c.unlock();
    showMessage("Done SendPIREP.");
    return;
  }
  handOverPIREP(report);
  c.unlock();
  showMessage("Done SendPIREP.");
}

void ORVANE::runPendingRequests() {
  std::optional<PIREPData> pirep;
  std::optional<std::string> flightPlan;
  {
    std::lock_guard<std::mutex> p(pending_lock);
    pirep.swap(PENDING_PIREP);
    flightPlan.swap(PENDING_FLIGHTPLAN);
  }
  if (flightPlan) handOverFlightPlanRequest(*flightPlan);
  if (pirep) {
    handOverPIREP(*pirep);
    showMessage("Done SendPIREP.");
  }
}

// ---- Live ACARS delivery ------------------------------------------------------------------------

void ORVANE::ACARSDeliveryCallback(bool ok, const std::string& error) {
  std::lock_guard<std::mutex> g(live_status_lock);
  LIVE_STATUS.anyPostYet = true;
  LIVE_STATUS.lastPostOk = ok;
  if (ok) {
    LIVE_STATUS.failingSince = 0;
  } else {
    if (LIVE_STATUS.failingSince == 0) LIVE_STATUS.failingSince = clock().now();
    LIVE_STATUS.lastError = error;
  }
}

LiveACARSStatus ORVANE::getLiveACARSStatus() {
  std::lock_guard<std::mutex> g(live_status_lock);
  return LIVE_STATUS;
}

// The source keeps the record under a lock of its own, so the window thread never waits on
// a cycle that waits on the simulator.
void ORVANE::setStaticData(const SFlightData& data) {
  showMessage("Setting StaticData: [" + data.output() + "]");
  if (FLIGHT_DATA) FLIGHT_DATA->setStaticData(data);
}

// ---- Data source pass-throughs --------------------------------------------------------------------
// The window thread asks these while the worker may be inside a cycle that waits on a stalled
// simulator: the answers are what the last cycle published, never a read of the simulator.

bool ORVANE::isConnectedToSim() {
  return FLIGHT_DATA ? FLIGHT_DATA->publishedStatus().connected : false;
}
bool ORVANE::isConnectedToXSB() { return FLIGHT_DATA ? FLIGHT_DATA->isConnectedToXSB() : false; }
bool ORVANE::isSlewing() { return FLIGHT_DATA ? FLIGHT_DATA->publishedStatus().slewing : false; }
bool ORVANE::isOnGround() { return FLIGHT_DATA ? FLIGHT_DATA->publishedStatus().onGround : true; }
bool ORVANE::EnginesRunning() {
  return FLIGHT_DATA ? FLIGHT_DATA->publishedStatus().enginesRunning : false;
}
std::string ORVANE::getXSBAircraft() { return FLIGHT_DATA ? FLIGHT_DATA->getXSBAircraft() : ""; }
std::string ORVANE::getXSBRoute() { return FLIGHT_DATA ? FLIGHT_DATA->getXSBRoute() : ""; }
std::string ORVANE::getXSBDeparture() {
  return FLIGHT_DATA ? FLIGHT_DATA->getXSBDeparture() : "";
}
std::string ORVANE::getXSBArrival() { return FLIGHT_DATA ? FLIGHT_DATA->getXSBArrival() : ""; }
std::string ORVANE::getXSBAlternate() {
  return FLIGHT_DATA ? FLIGHT_DATA->getXSBAlternate() : "";
}

bool ORVANE::isFlightCrashed() {
  if (!FLIGHTCRASHED && FLIGHT_DATA) FLIGHTCRASHED = FLIGHT_DATA->publishedStatus().crashed;
  return FLIGHTCRASHED;
}

// ---- Flight pass-throughs ----------------------------------------------------------------------------
// The window thread calls these while the worker may be ending the flight, so the flight
// pointer is read under the cycle lock; the values themselves are atomics of the ACARS object.

#define ORVANE_FLIGHT_GETTER(name)                       \
  int ORVANE::name() {                                   \
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);          \
    return FLIGHT_STATE ? FLIGHT_STATE->name() : 0;      \
  }
ORVANE_FLIGHT_GETTER(getOutTime)
ORVANE_FLIGHT_GETTER(getOffTime)
ORVANE_FLIGHT_GETTER(getOnTime)
ORVANE_FLIGHT_GETTER(getInTime)
ORVANE_FLIGHT_GETTER(getOutFuel)
ORVANE_FLIGHT_GETTER(getOffFuel)
ORVANE_FLIGHT_GETTER(getOnFuel)
ORVANE_FLIGHT_GETTER(getInFuel)
ORVANE_FLIGHT_GETTER(getCurrentBlockTime)
ORVANE_FLIGHT_GETTER(getCurrentFlightTime)
ORVANE_FLIGHT_GETTER(getCurrentBlockFuel)
ORVANE_FLIGHT_GETTER(getCurrentFlightFuel)
#undef ORVANE_FLIGHT_GETTER

// ---- Seams ---------------------------------------------------------------------------------------------

void ORVANE::setFlightDataFactory(FlightDataFactory factory) { flightDataFactory = factory; }

FlightState* ORVANE::currentFlight() { return FLIGHT_STATE; }

}  // namespace orvane
