// FlightData_MSFS: the cycle's one exchange, the published status, the frozen-counter notice
// and the grace of a stalled link.
// SPDX-License-Identifier: MIT
#include "sim/flightdata_msfs.h"

#include <cstdio>
#include <cstring>

#include "sim/fsuipc_client.h"
#include "util/clock.h"

namespace orvane {

namespace {

// An offset as the diagnostics show it: lowercase hexadecimal with "0x" (0x560).
std::string hex(std::uint32_t offset) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(offset));
  return text;
}

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
  frozen_told_ = false;
  primed_ = false;
  // Another simulator may answer now: its combustion flags are learnt afresh.
  combustion_seen_ = false;
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
      {DATAREF_ALTITUDE, 4, &f.altitude},   {DATAREF_ALTITUDE_FRACTION, 4, &f.altFraction},
      {DATAREF_AGL, 4, &f.agl},             {DATAREF_PITCH, 4, &f.pitch},
      {DATAREF_BANK, 4, &f.bank},           {DATAREF_TOUCHDOWN_VS, 4, &f.touchdownVs},
      {DATAREF_GFORCE, 2, &f.gForce},
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
      {DATAREF_COMBUSTION[0], 2, &f.combustion[0]}, {DATAREF_COMBUSTION[1], 2, &f.combustion[1]},
      {DATAREF_COMBUSTION[2], 2, &f.combustion[2]}, {DATAREF_COMBUSTION[3], 2, &f.combustion[3]},
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
  for (const std::int16_t fire : f.combustion) {
    if (fire != 0) combustion_seen_ = true;
  }
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

bool FlightData_MSFS::combustionKnown() {
  std::lock_guard<std::mutex> g(link_mutex_);
  return combustion_seen_;
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
  // The frozen-counter notice is the flight's (it asks isSimConnected while it flies); a
  // simulator that answers is there, one that stalls has its minute.
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
  s.slewing = frame_.simRate > 256 || frame_.slew != 0;
  const std::int32_t engines = frame_.engines > 4 ? 4 : frame_.engines;
  for (std::int32_t i = 0; i < engines; ++i) {
    if (runs(frame_, combustion_seen_, i)) s.enginesRunning = true;
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

// The simulator answered, so it is there. Signs of life that stand still for too long (a
// simulator loading aircraft or scenery, a frozen one, or an interface that never moves its
// counter) are told to the pilot once, and again when they move.
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
    if (activityTO == 0) {
      activityTO = clock().now();
      activity_mono_ = now;
      log("setting activityTO to: [" + std::to_string(activityTO) + "]");
    } else if (!frozen_told_ && now - activity_mono_ > MAXNONACTIVESECONDS * 1000) {
      log("The flight simulator seems to be loading or frozen: no sign of life for " +
          std::to_string(MAXNONACTIVESECONDS) + " s.");
      frozen_told_ = true;
    }
    return true;
  } else {
    if (frozen_told_) log("The flight simulator shows signs of life again.");
    frozen_told_ = false;
    activityTO = 0;
  }
  prevActCount = count;
  prevMenu = menu;
  prevFM = mode;
  return true;
}

}  // namespace orvane
