// FlightData_MSFS: offset reads, their conversions, the engine lists and the activity watchdog.
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

FlightData_MSFS::FlightData_MSFS(InfoCallback info) : InfoCB(info) { openFSUIPC(); }

FlightData_MSFS::FlightData_MSFS(const SFlightData& data, InfoCallback info) : InfoCB(info) {
  setStaticData(data);
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
  // A fresh link starts with a fresh watchdog: a frozen time left from before a disconnect
  // would otherwise end the new link at its first check.
  activityTO = 0;
  // A read that fails here disconnects; the reads after it are skipped rather than opening
  // the link again from inside its own opening.
  getDatum(DATAREF_ACTCOUNT, 2, &prevActCount);
  if (FSUIPC_connected) getDatum(DATAREF_INMENU, 1, &prevMenu);
  if (FSUIPC_connected) getDatum(DATAREF_FLIGHTMODE, 1, &prevFM);
}

void FlightData_MSFS::getDatum(std::uint32_t offset, std::uint32_t size, void* dest) {
  if (!FSUIPC_connected) openFSUIPC();
  if (!FSUIPC_connected) return;
  std::uint32_t result = FSUIPC_OK;
  if (!FSUIPC_Read(offset, size, dest, &result)) {
    log("Reading Offset [" + hex(offset) + "] returned error: [" + fsuipc_error(result) + "]");
    FSUIPC_Close();
    FSUIPC_connected = false;
    return;
  }
  if (!FSUIPC_Process(&result)) {
    log("Processing Query for Offset [" + hex(offset) + "] returned error: [" +
        fsuipc_error(result) + "]");
    FSUIPC_Close();
    FSUIPC_connected = false;
  }
}

bool FlightData_MSFS::isSimConnected() {
  if (!FSUIPC_connected) return false;
  std::int16_t count = 0;
  std::uint8_t menu = 0;
  std::uint8_t mode = 0;
  getDatum(DATAREF_ACTCOUNT, 2, &count);
  getDatum(DATAREF_INMENU, 1, &menu);
  getDatum(DATAREF_FLIGHTMODE, 1, &mode);
  log("PrevActCount: [" + std::to_string(prevActCount) + "]");
  log("ActivityCount: [" + std::to_string(count) + "]");
  // A read above that failed has closed the link: the zeros it left are no sign of life.
  if (!FSUIPC_connected) return false;

  if (count == prevActCount && menu == prevMenu && mode == prevFM) {
    const std::time_t now = clock().now();
    if (activityTO != 0 && now - activityTO > MAXNONACTIVESECONDS) {
      log("not connected at time [" + std::to_string(now) + "].");
      // Closing the link as well lets the next read open it again once the simulator
      // moves, instead of being refused as already open.
      FSUIPC_Close();
      FSUIPC_connected = false;
      return false;
    }
    if (activityTO == 0) {
      activityTO = now;
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
  char tail[12] = {};
  getDatum(DATAREF_TAIL, sizeof tail, tail);
  std::size_t n = 0;
  while (n < sizeof tail && tail[n] != '\0') ++n;
  return std::string(tail, n);
}

bool FlightData_MSFS::isOnGround() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_ONGROUND);
  return raw != 0;
}

bool FlightData_MSFS::isPaused() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_PAUSED);
  return raw != 0;
}

bool FlightData_MSFS::isSlewing() {
  std::int16_t rate = 0;
  getDatum(DATAREF_SIMRATE, 2, &rate);
  if (rate / 256 > 1) return true;  // 2x or faster counts as slewing
  std::int16_t slew = 0;
  getDatum(DATAREF_SLEW, 2, &slew);
  return slew != 0;
}

bool FlightData_MSFS::isFlightCrashed() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_CRASHED);
  return raw != 0;
}

Position FlightData_MSFS::getPosition() {
  std::int64_t lat = 0;
  std::int64_t lon = 0;
  getDatum(DATAREF_LAT, 8, &lat);
  getDatum(DATAREF_LON, 8, &lon);
  Position p;
  p.lat = static_cast<double>(lat) * 90.0 / 42957189152768000.0;
  p.lng = static_cast<double>(lon) * 360.0 / 18446744073709551616.0;
  return p;
}

double FlightData_MSFS::getGroundSpeed() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_GNDSPEED);
  return raw * 1.94384 / 65536.0;
}

double FlightData_MSFS::getVerticalSpeed() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_VSPEED);
  // raw * 60 in 32 bits, wrapping as the simulator's own arithmetic does.
  const auto per_minute = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<std::int64_t>(raw) * 60));
  return per_minute * kFeetPerMetre / 256.0;
}

double FlightData_MSFS::getHeight() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_AGL);
  return std::trunc(raw / 65536.0 * kFeetPerMetre);
}

std::int32_t FlightData_MSFS::getAltitude() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_ALTITUDE);
  return to_i32(raw * kFeetPerMetre);
}

std::int32_t FlightData_MSFS::getTrueHeading() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_HDG);
  if (raw == 0) return 0;
  double h = orvane::round(raw / 4294967296.0 * 360.0);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getHeading() {
  std::int32_t raw = 0;
  std::int16_t var = 0;
  getDatum(DATAREF_HDG, 4, &raw);
  getDatum(DATAREF_VAR, 2, &var);
  if (raw == 0) return 0;
  double t = raw / 4294967296.0 * 360.0;
  if (var != 0) t -= var * 360.0 / 65536.0;
  double h = orvane::round(t);
  if (h < 0) h += 360.0;
  return to_i32(h);
}

std::int32_t FlightData_MSFS::getIAS() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_IAS);
  return raw / 128;
}

std::int32_t FlightData_MSFS::getTAS() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_TAS);
  return raw / 128;
}

std::int32_t FlightData_MSFS::getOAT() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_OAT);
  return raw / 256;
}

std::int32_t FlightData_MSFS::getTAT() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_TAT);
  return raw / 256;
}

std::int32_t FlightData_MSFS::getWindDirection() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_WINDDIR);
  if (raw == 0) return 0;
  // |raw * 360 / 65536| stays below 180, inside the 16-bit range.
  std::int32_t d = static_cast<std::int16_t>(raw * 360 / 65536.0);
  if (d < 0) d += 360;
  return d;
}

std::int32_t FlightData_MSFS::getWindSpeed() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_WINDSPEED);
  return raw;
}

std::int32_t FlightData_MSFS::getNumberEngines() {
  std::int16_t raw = readRaw<std::int16_t>(DATAREF_NUM_ENG);
  return raw;
}

std::vector<std::int32_t> FlightData_MSFS::engine_list(const std::uint32_t (&offsets)[4]) {
  std::int16_t raw[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) getDatum(offsets[i], 2, &raw[i]);
  std::int32_t n = getNumberEngines();
  if (n > 4) n = 4;  // no aircraft has more engines than there are offsets
  std::vector<std::int32_t> out;
  for (std::int32_t i = 0; i < n; ++i) {
    out.push_back(raw[i] != 0 ? static_cast<std::int32_t>(raw[i] / 16384.0 * 100.0) : 0);
  }
  return out;
}

std::vector<std::int32_t> FlightData_MSFS::getEngine_N1() { return engine_list(DATAREF_ENG_N1); }

std::vector<std::int32_t> FlightData_MSFS::getEngine_N2() { return engine_list(DATAREF_ENG_N2); }

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

std::int32_t FlightData_MSFS::getZFW() {
  std::int32_t raw = readRaw<std::int32_t>(DATAREF_ZFW);
  return raw / 256;
}

std::int32_t FlightData_MSFS::getTotalWeight() {
  double raw = readRaw<double>(DATAREF_WEIGHT_TOTAL);
  return to_i32(orvane::round(raw));
}

double FlightData_MSFS::getCurrentFuel() {
  const double total = getTotalWeight();
  const double zfw = getZFW();
  return total - zfw;
}

}  // namespace orvane
