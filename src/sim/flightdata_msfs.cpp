// FlightData_MSFS: the cycle's one exchange, the conversions, the engine lists, the watchdog
// and the grace of a stalled link.
#include "sim/flightdata_msfs.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "sim/fsuipc_client.h"
#include "util/clock.h"
#include "util/util.h"

namespace orvane {

namespace {

// An offset as the diagnostics show it: lowercase hexadecimal with "0x" (0x560).
std::string hex(std::uint32_t offset) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(offset));
  return text;
}

// A converted value as a 32-bit integer, truncated toward zero. Raw values from the server
// are not trusted: out-of-range results are saturated and not-a-number gives 0.
std::int32_t to_i32(double x) {
  if (std::isnan(x)) return 0;
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  if (x <= lo) return std::numeric_limits<std::int32_t>::min();
  if (x >= hi) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(x);
}

constexpr double kFeetPerMetre = 3.28084;

}  // namespace

FlightData_MSFS::FlightData_MSFS(InfoCallback info) : InfoCB(info) {
  std::lock_guard<std::mutex> g(link_mutex_);
  openFSUIPC();
}

FlightData_MSFS::FlightData_MSFS(const SFlightData& data, InfoCallback info) : InfoCB(info) {
  setStaticData(data);
  std::lock_guard<std::mutex> g(link_mutex_);
  openFSUIPC();
}

FlightData_MSFS::~FlightData_MSFS() { FSUIPC_Close(); }

void FlightData_MSFS::log(const std::string& text) {
  if (InfoCB != nullptr) InfoCB(text);
}

void FlightData_MSFS::openFSUIPC() {
  std::uint32_t result = FSUIPC_OK;
  if (!FSUIPC_Open(0, &result)) {
    log(std::string("FSUIPC_Open fehlgeschlagen: [") + fsuipc_error(result) + "]");
    FSUIPC_connected = false;
    return;
  }
  FSUIPC_connected = true;
  // The handshake was an exchange that went through.
  failing_since_ = -1;
  lost_ = false;
  // A fresh link starts with a fresh watchdog: a frozen time left from before a disconnect
  // would otherwise end the new link at its first check.
  activityTO = 0;
  primed_ = false;
}

FlightData_MSFS::Frame FlightData_MSFS::frame(std::uint32_t offset) {
  std::lock_guard<std::mutex> g(link_mutex_);
  if (read_ == ReadState::NONE) readFrameLocked(offset);
  return frame_;
}

void FlightData_MSFS::readFrameLocked(std::uint32_t offset) {
  frame_ = Frame{};
  read_ = ReadState::FAILED;
  if (!FSUIPC_connected) openFSUIPC();
  if (!FSUIPC_connected) {
    failedLocked();
    return;
  }
  struct Item {
    std::uint32_t offset;
    std::uint32_t size;
    void* dest;
  };
  Frame& f = frame_;
  const Item items[] = {
      {DATAREF_ACTCOUNT, 2, &f.actCount},   {DATAREF_INMENU, 1, &f.inMenu},
      {DATAREF_FLIGHTMODE, 1, &f.flightMode}, {DATAREF_PAUSED, 2, &f.paused},
      {DATAREF_CRASHED, 2, &f.crashed},     {DATAREF_ONGROUND, 2, &f.onGround},
      {DATAREF_SIMRATE, 2, &f.simRate},     {DATAREF_SLEW, 2, &f.slew},
      {DATAREF_LAT, 8, &f.lat},             {DATAREF_LON, 8, &f.lon},
      {DATAREF_ALTITUDE, 4, &f.altitude},   {DATAREF_AGL, 4, &f.agl},
      {DATAREF_GNDSPEED, 4, &f.groundSpeed}, {DATAREF_VSPEED, 4, &f.vspeed},
      {DATAREF_IAS, 4, &f.ias},             {DATAREF_TAS, 4, &f.tas},
      {DATAREF_HDG, 4, &f.heading},         {DATAREF_VAR, 2, &f.magVar},
      {DATAREF_OAT, 2, &f.oat},             {DATAREF_TAT, 2, &f.tat},
      {DATAREF_WINDDIR, 2, &f.windDir},     {DATAREF_WINDSPEED, 2, &f.windSpeed},
      {DATAREF_ZFW, 4, &f.zfw},             {DATAREF_WEIGHT_TOTAL, 8, &f.totalWeight},
      {DATAREF_NUM_ENG, 2, &f.engines},     {DATAREF_TAIL, 12, f.tail},
      {DATAREF_ENG_N1[0], 2, &f.n1[0]},     {DATAREF_ENG_N1[1], 2, &f.n1[1]},
      {DATAREF_ENG_N1[2], 2, &f.n1[2]},     {DATAREF_ENG_N1[3], 2, &f.n1[3]},
      {DATAREF_ENG_N2[0], 2, &f.n2[0]},     {DATAREF_ENG_N2[1], 2, &f.n2[1]},
      {DATAREF_ENG_N2[2], 2, &f.n2[2]},     {DATAREF_ENG_N2[3], 2, &f.n2[3]},
  };
  std::uint32_t result = FSUIPC_OK;
  for (const Item& item : items) {
    if (!FSUIPC_Read(item.offset, item.size, item.dest, &result)) {
      log("Reading Offset [" + hex(offset) + "] returned error: [" + fsuipc_error(result) + "]");
      FSUIPC_Close();
      FSUIPC_connected = false;
      frame_ = Frame{};
      failedLocked();
      return;
    }
  }
  if (!FSUIPC_Process(&result)) {
    log("Processing Query for Offset [" + hex(offset) + "] returned error: [" +
        fsuipc_error(result) + "]");
    FSUIPC_Close();
    FSUIPC_connected = false;
    frame_ = Frame{};
    failedLocked();
    return;
  }
  read_ = ReadState::OK;
  last_good_ = frame_;
  failing_since_ = -1;
  lost_ = false;
  if (!primed_) {
    prevActCount = f.actCount;
    prevMenu = f.inMenu;
    prevFM = f.flightMode;
    primed_ = true;
  }
  // The window sees a crash or the ground as soon as the cycle has read them.
  publishStatus(statusLocked(publishedStatus().connected));
}

void FlightData_MSFS::failedLocked() {
  read_ = ReadState::FAILED;
  if (failing_since_ < 0) failing_since_ = clock().mono_ms();
}

bool FlightData_MSFS::lastReadOk() {
  std::lock_guard<std::mutex> g(link_mutex_);
  if (read_ == ReadState::NONE) readFrameLocked(DATAREF_ACTCOUNT);
  return read_ == ReadState::OK;
}

void FlightData_MSFS::keepLastValues() {
  std::lock_guard<std::mutex> g(link_mutex_);
  // failing_since_ is set from the first failed exchange until one goes through.
  if (read_ != ReadState::NONE || failing_since_ < 0) return;
  frame_ = last_good_;
  read_ = ReadState::FAILED;
}

void FlightData_MSFS::endCycle() {
  std::lock_guard<std::mutex> g(link_mutex_);
  // A cycle without a flight asks nothing; the window still wants to know.
  if (read_ == ReadState::NONE) readFrameLocked(DATAREF_ACTCOUNT);
  // The frozen-counter rule is the flight's (it asks isSimConnected while it flies); before
  // and after the flight a simulator that answers is there, one that stalls has its minute.
  bool connected = verdict_;
  if (!verdict_done_) connected = read_ == ReadState::OK || graceLocked();
  SimStatus status;
  if (read_ == ReadState::OK) {
    status = statusLocked(connected);
  } else if (connected) {
    // Stalled but not given up: what was last read still stands.
    status = publishedStatus();
    status.connected = true;
  }
  publishStatus(status);
  read_ = ReadState::NONE;
  verdict_done_ = false;
}

SimStatus FlightData_MSFS::statusLocked(bool connected) const {
  SimStatus s;
  s.connected = connected;
  s.onGround = frame_.onGround != 0;
  s.crashed = frame_.crashed != 0;
  s.slewing = frame_.simRate / 256 > 1 || frame_.slew != 0;
  for (const std::int32_t n1 : engine_list(frame_.n1, frame_.engines)) {
    if (n1 > 20) s.enginesRunning = true;
  }
  return s;
}

bool FlightData_MSFS::isSimConnected() {
  std::lock_guard<std::mutex> g(link_mutex_);
  return verdictLocked();
}

// Decides once per cycle whether the simulator counts as connected.
bool FlightData_MSFS::verdictLocked() {
  if (verdict_done_) return verdict_;
  if (read_ == ReadState::NONE && FSUIPC_connected) readFrameLocked(DATAREF_ACTCOUNT);
  // A closed link that this cycle has not tried is not tried from here: the cycle's first
  // value does that.
  verdict_ = read_ == ReadState::OK ? watchdogLocked() : graceLocked();
  verdict_done_ = true;
  return verdict_;
}

// Nothing could be read: connected while the first failure since the last exchange that
// went through is at most MAXNONACTIVESECONDS old.
bool FlightData_MSFS::graceLocked() {
  if (lost_) return false;
  if (failing_since_ < 0) failing_since_ = clock().mono_ms();
  if (clock().mono_ms() - failing_since_ > MAXNONACTIVESECONDS * 1000) {
    log("not connected at time [" + std::to_string(clock().now()) + "].");
    lost_ = true;
    return false;
  }
  return true;
}

// The simulator answered: alive unless its signs of life have stood still for too long.
bool FlightData_MSFS::watchdogLocked() {
  const std::int16_t count = frame_.actCount;
  const std::uint8_t menu = frame_.inMenu;
  const std::uint8_t mode = frame_.flightMode;
  log("PrevActCount: [" + std::to_string(prevActCount) + "]");
  log("ActivityCount: [" + std::to_string(count) + "]");

  if (frame_.paused != 0) {
    // A paused simulator stands still on purpose: the pause does not count as frozen.
    activityTO = 0;
  } else if (count == prevActCount && menu == prevMenu && mode == prevFM) {
    const std::int64_t now = clock().mono_ms();
    if (activityTO != 0 && now - activity_mono_ > MAXNONACTIVESECONDS * 1000) {
      log("not connected at time [" + std::to_string(clock().now()) + "].");
      // Closing the link as well lets the next cycle open it again once the simulator
      // moves, instead of being refused as already open.
      FSUIPC_Close();
      FSUIPC_connected = false;
      lost_ = true;
      return false;
    }
    if (activityTO == 0) {
      activityTO = clock().now();
      activity_mono_ = now;
      log("setting activityTO to: [" + std::to_string(activityTO) + "]");
      return true;
    }
  } else {
    activityTO = 0;
  }
  prevActCount = count;
  prevMenu = menu;
  prevFM = mode;
  return true;
}

std::string FlightData_MSFS::getAircraftRegistration() {
  const Frame f = frame(DATAREF_TAIL);
  std::size_t n = 0;
  while (n < sizeof f.tail && f.tail[n] != '\0') ++n;
  return std::string(f.tail, n);
}

bool FlightData_MSFS::isOnGround() { return frame(DATAREF_ONGROUND).onGround != 0; }

bool FlightData_MSFS::isPaused() { return frame(DATAREF_PAUSED).paused != 0; }

bool FlightData_MSFS::isSlewing() {
  const Frame f = frame(DATAREF_SIMRATE);
  if (f.simRate / 256 > 1) return true;  // 2x or faster counts as slewing
  return f.slew != 0;
}

bool FlightData_MSFS::isFlightCrashed() { return frame(DATAREF_CRASHED).crashed != 0; }

Position FlightData_MSFS::getPosition() {
  const Frame f = frame(DATAREF_LAT);
  Position p;
  p.lat = static_cast<double>(f.lat) * 90.0 / 42957189152768000.0;
  p.lng = static_cast<double>(f.lon) * 360.0 / 18446744073709551616.0;
  return p;
}

double FlightData_MSFS::getGroundSpeed() {
  const std::int32_t raw = frame(DATAREF_GNDSPEED).groundSpeed;
  return raw * 1.94384 / 65536.0;
}

double FlightData_MSFS::getVerticalSpeed() {
  const std::int32_t raw = frame(DATAREF_VSPEED).vspeed;
  // raw * 60 in 32 bits, wrapping as the simulator's own arithmetic does.
  const auto per_minute = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::int64_t>(raw) * 60));
  return per_minute * kFeetPerMetre / 256.0;
}

double FlightData_MSFS::getHeight() {
  const std::int32_t raw = frame(DATAREF_AGL).agl;
  return std::trunc(raw / 65536.0 * kFeetPerMetre);
}

std::int32_t FlightData_MSFS::getAltitude() {
  const std::int32_t raw = frame(DATAREF_ALTITUDE).altitude;
  return to_i32(raw * kFeetPerMetre);
}

std::int32_t FlightData_MSFS::getTrueHeading() {
  const std::int32_t raw = frame(DATAREF_HDG).heading;
  if (raw == 0) return 0;
  double h = orvane::round(raw / 4294967296.0 * 360.0);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getHeading() {
  const Frame f = frame(DATAREF_HDG);
  if (f.heading == 0) return 0;
  double t = f.heading / 4294967296.0 * 360.0;
  if (f.magVar != 0) t -= f.magVar * 360.0 / 65536.0;
  double h = orvane::round(t);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getIAS() { return frame(DATAREF_IAS).ias / 128; }

std::int32_t FlightData_MSFS::getTAS() { return frame(DATAREF_TAS).tas / 128; }

std::int32_t FlightData_MSFS::getOAT() { return frame(DATAREF_OAT).oat / 256; }

std::int32_t FlightData_MSFS::getTAT() { return frame(DATAREF_TAT).tat / 256; }

std::int32_t FlightData_MSFS::getWindDirection() {
  const std::int16_t raw = frame(DATAREF_WINDDIR).windDir;
  if (raw == 0) return 0;
  // |raw * 360 / 65536| stays below 180, inside the 16-bit range.
  std::int32_t d = static_cast<std::int16_t>(raw * 360 / 65536.0);
  if (d < 0) d += 360;
  return d;
}

std::int32_t FlightData_MSFS::getWindSpeed() { return frame(DATAREF_WINDSPEED).windSpeed; }

std::int32_t FlightData_MSFS::getNumberEngines() { return frame(DATAREF_NUM_ENG).engines; }

std::vector<std::int32_t> FlightData_MSFS::engine_list(const std::int16_t (&raw)[4],
                                                       std::int32_t engines) const {
  if (engines > 4) engines = 4;  // no aircraft has more engines than there are offsets
  std::vector<std::int32_t> out;
  for (std::int32_t i = 0; i < engines; ++i) {
    out.push_back(raw[i] != 0 ? static_cast<std::int32_t>(raw[i] / 16384.0 * 100.0) : 0);
  }
  return out;
}

std::vector<std::int32_t> FlightData_MSFS::getEngine_N1() {
  const Frame f = frame(DATAREF_ENG_N1[0]);
  return engine_list(f.n1, f.engines);
}

std::vector<std::int32_t> FlightData_MSFS::getEngine_N2() {
  const Frame f = frame(DATAREF_ENG_N2[0]);
  return engine_list(f.n2, f.engines);
}

bool FlightData_MSFS::EngineRunning() {
  log("Called EngineRunning.");
  const std::int32_t n = getNumberEngines();
  log("Number of Engines: [" + std::to_string(n) + "]");
  const std::vector<std::int32_t> n1 = getEngine_N1();
  log("Got EngineN1.");
  bool running = false;
  for (std::int32_t i = 0; i < n && static_cast<std::size_t>(i) < n1.size(); ++i) {
    log(std::to_string(i) + ": N1: [" + std::to_string(n1[i]) + "]");
    if (n1[i] > 20) running = true;
  }
  return running;
}

bool FlightData_MSFS::EngineStopped() {
  log("Called EngineStopped.");
  const std::int32_t n = getNumberEngines();
  log("Number of Engines: [" + std::to_string(n) + "]");
  const std::vector<std::int32_t> n2 = getEngine_N2();
  log("Got EngineN2.");
  bool stopped = true;
  for (std::int32_t i = 0; i < n && static_cast<std::size_t>(i) < n2.size(); ++i) {
    log(std::to_string(i) + ": N2: [" + std::to_string(n2[i]) + "]");
    if (n2[i] > 20) stopped = false;
  }
  return stopped;
}

std::int32_t FlightData_MSFS::getZFW() { return frame(DATAREF_ZFW).zfw / 256; }

std::int32_t FlightData_MSFS::getTotalWeight() {
  return to_i32(orvane::round(frame(DATAREF_WEIGHT_TOTAL).totalWeight));
}

double FlightData_MSFS::getCurrentFuel() {
  const double total = getTotalWeight();
  const double zfw = getZFW();
  return total - zfw;
}

}  // namespace orvane
