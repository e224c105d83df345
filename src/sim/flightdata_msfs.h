// FlightData_MSFS: the flight data source that reads the simulator through FSUIPC offsets.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "sim/flightdata.h"

namespace orvane {

// Reads the simulator through the process-wide FSUIPC link and converts the raw encodings
// to the units FlightData promises. All values of an engine cycle come from one exchange,
// made at the first question of the cycle (a position is never half from one moment and
// half from the next); endCycle() publishes what the window asks and makes the next cycle
// read afresh. A cycle whose exchange fails answers zeros, reports lastReadOk() false and
// makes no further attempt; the next cycle tries the link again, opening it anew.
//
// A simulator whose link answers is there. The simulator counts as lost only when its
// exchanges have failed for more than MAXNONACTIVESECONDS without one that went through:
// until then it still counts as connected, so that a simulator that stalls for a while does
// not end the flight. When its activity counter, menu and mode flags have stood still for
// that long while it is not paused (checked in the cycles that ask isSimConnected), the
// pilot is told that it seems to be loading or frozen, and again when it moves; an
// interface that never moves its counter (an FSUIPC emulator) flies whole flights.
//
// An engine runs when its combustion flag is set and is stopped when it is clear, once the
// simulator has shown a combustion flag on this link; before that (and with an interface
// that leaves the flags at zero) the N1 and N2 rules decide. A propeller's RPM in the N1
// offsets counts by its size, whichever way the propeller turns.
// Diagnostics go to the callback given at construction. One instance at a time per process
// (the link is process-wide).
class FlightData_MSFS : public FlightData {
 public:
  using InfoCallback = void (*)(const std::string&);

  // Offsets and, in the comments, their size in bytes and raw encoding.
  static constexpr std::uint32_t DATAREF_SIMRATE = 0x0C1A;    // 2, unsigned, rate * 256
  static constexpr std::uint32_t DATAREF_SLEW = 0x05DC;       // 2, non-zero in slew mode
  static constexpr std::uint32_t DATAREF_CRASHED = 0x0840;    // 2, non-zero after a crash
  static constexpr std::uint32_t DATAREF_ONGROUND = 0x0366;   // 2, non-zero on the ground
  static constexpr std::uint32_t DATAREF_PAUSED = 0x0264;     // 2, non-zero while paused
  static constexpr std::uint32_t DATAREF_AGL = 0x31E4;        // 4, signed, metres * 65536
  static constexpr std::uint32_t DATAREF_TAIL = 0x313C;       // 12, characters, NUL padded
  static constexpr std::uint32_t DATAREF_GNDSPEED = 0x02B4;   // 4, signed, m/s * 65536
  static constexpr std::uint32_t DATAREF_LAT = 0x0560;  // 8, signed, 90 deg = 10001750 * 2^32
  static constexpr std::uint32_t DATAREF_LON = 0x0568;        // 8, signed, 360 deg = 2^64
  static constexpr std::uint32_t DATAREF_ALTITUDE = 0x0574;  // 4, signed, whole metres, floored
  static constexpr std::uint32_t DATAREF_ALTITUDE_FRACTION = 0x0570;  // 4, unsigned, m * 2^32
  // 4 each, signed, 360 deg = 2^32; pitch negative nose up, bank negative right wing down.
  static constexpr std::uint32_t DATAREF_PITCH = 0x0578;
  static constexpr std::uint32_t DATAREF_BANK = 0x057C;
  static constexpr std::uint32_t DATAREF_WINDDIR = 0x0E92;    // 2, signed, 360 deg = 65536
  static constexpr std::uint32_t DATAREF_WINDSPEED = 0x0E90;  // 2, signed, knots
  static constexpr std::uint32_t DATAREF_IAS = 0x02BC;        // 4, signed, knots * 128
  static constexpr std::uint32_t DATAREF_TAS = 0x02B8;        // 4, signed, knots * 128
  static constexpr std::uint32_t DATAREF_VSPEED = 0x02C8;     // 4, signed, m/s * 256
  // 4, signed, m/s * 256: 0x02C8 while airborne, not updated while on the ground.
  static constexpr std::uint32_t DATAREF_TOUCHDOWN_VS = 0x030C;
  static constexpr std::uint32_t DATAREF_GFORCE = 0x11BA;     // 2, signed, 624 = 1 G
  static constexpr std::uint32_t DATAREF_OAT = 0x0E8C;        // 2, signed, Celsius * 256
  static constexpr std::uint32_t DATAREF_TAT = 0x11D0;        // 2, signed, Celsius * 256
  static constexpr std::uint32_t DATAREF_HDG = 0x0580;        // 4, signed, 360 deg = 2^32
  static constexpr std::uint32_t DATAREF_VAR = 0x02A0;        // 2, signed, 360 deg = 65536
  static constexpr std::uint32_t DATAREF_FLIGHTMODE = 0x3364;  // 1, watchdog input
  static constexpr std::uint32_t DATAREF_INMENU = 0x3365;      // 1, watchdog input
  static constexpr std::uint32_t DATAREF_ACTCOUNT = 0x337E;    // 2, activity counter
  static constexpr std::uint32_t DATAREF_ZFW = 0x3BFC;         // 4, signed, pounds * 256
  static constexpr std::uint32_t DATAREF_WEIGHT_TOTAL = 0x30C0;  // 8, double, pounds
  static constexpr std::uint32_t DATAREF_NUM_ENG = 0x0AEC;       // 2, signed
  // Engines 1 to 4, 2 bytes each, signed, 100 percent = 16384.
  static constexpr std::uint32_t DATAREF_ENG_N1[4] = {0x0898, 0x0930, 0x09C8, 0x0A60};
  static constexpr std::uint32_t DATAREF_ENG_N2[4] = {0x0896, 0x092E, 0x09C6, 0x0A5E};
  // Engines 1 to 4, 2 bytes each, non-zero while the engine fires.
  static constexpr std::uint32_t DATAREF_COMBUSTION[4] = {0x0894, 0x092C, 0x09C4, 0x0A5C};
  static constexpr double G_UNITS = 624.0;  // raw G force of 1 G
  // Seconds the exchanges may fail before the simulator counts as lost; also how long it
  // may look frozen before the pilot is told.
  static constexpr int MAXNONACTIVESECONDS = 60;

  // Both open the link at once; the second stores the static data first. info may be null.
  explicit FlightData_MSFS(InfoCallback info);
  FlightData_MSFS(const SFlightData& data, InfoCallback info);
  // Closes the link.
  ~FlightData_MSFS() override;
  FlightData_MSFS(const FlightData_MSFS&) = delete;
  FlightData_MSFS& operator=(const FlightData_MSFS&) = delete;

  // Engine cycle thread.
  void endCycle() override;
  void keepLastValues() override;
  bool lastReadOk() override;

  std::string getAircraftRegistration() override;
  bool isSimConnected() override;
  bool isOnGround() override;
  bool isPaused() override;
  bool isSlewing() override;
  double getSimulationRate() override;  // 0x0C1A / 256
  bool isSlewMode() override;           // 0x05DC non-zero
  bool isFlightCrashed() override;
  Position getPosition() override;
  double getGroundSpeed() override;
  double getVerticalSpeed() override;
  double getHeight() override;
  std::int32_t getAltitude() override;
  std::int32_t getHeading() override;
  std::int32_t getTrueHeading() override;
  std::int32_t getIAS() override;
  std::int32_t getTAS() override;
  std::int32_t getOAT() override;
  std::int32_t getTAT() override;
  std::int32_t getWindDirection() override;
  std::int32_t getWindSpeed() override;
  std::int32_t getNumberEngines() override;
  bool EngineRunning() override;
  bool EngineStopped() override;
  std::vector<std::int32_t> getEngine_N1() override;
  std::vector<std::int32_t> getEngine_N2() override;
  std::int32_t getZFW() override;
  std::int32_t getTotalWeight() override;
  double getCurrentFuel() override;
  OnlineStatus getOnlineStatus() override { return UNKNOWN; }
  std::string getClientName() override { return "ORVANE_MSFS"; }
  // 0x030C; nullopt when it reads 0, as from an interface that does not keep it.
  std::optional<double> getTouchdownVerticalSpeed() override;
  std::optional<double> getGForce() override;  // nullopt when 0x11BA reads 0
  double getPitch() override;
  double getBank() override;

 private:
  // The raw values of one cycle, each as wide as its offset.
  struct Frame {
    std::uint16_t simRate;
    std::int16_t slew, crashed, onGround, paused;
    std::int32_t agl;
    char tail[12];
    std::int32_t groundSpeed;
    std::int64_t lat, lon;
    std::int32_t altitude;
    std::uint32_t altFraction;
    std::int32_t pitch, bank;
    std::int32_t touchdownVs;
    std::int16_t gForce;
    std::int16_t windDir, windSpeed;
    std::int32_t ias, tas, vspeed;
    std::int16_t oat, tat;
    std::int32_t heading;
    std::int16_t magVar;
    std::uint8_t flightMode, inMenu;
    std::int16_t actCount;
    std::int32_t zfw;
    double totalWeight;
    std::int16_t engines;
    std::int16_t n1[4], n2[4];
    std::int16_t combustion[4];
  };
  enum class ReadState { NONE, OK, FAILED };  // of the current cycle

  void log(const std::string& text);
  // Opens the link; the first exchange after it primes the watchdog.
  void openFSUIPC();
  // The current cycle's values, read with one exchange at the first question of the cycle;
  // all zeros when that failed. offset names the value asked for, for the diagnostics.
  Frame frame(std::uint32_t offset);
  // The following run under link_mutex_.
  void readFrameLocked(std::uint32_t offset);
  void failedLocked();
  bool verdictLocked();
  bool watchdogLocked();
  bool graceLocked();
  SimStatus statusLocked(bool connected) const;
  std::vector<std::int32_t> engine_list(const std::int16_t (&raw)[4], std::int32_t engines) const;
  // Whether the simulator has shown a combustion flag on this link.
  bool combustionKnown();
  // The running and stopped rules over a frame (see the class comment).
  static bool runs(const Frame& f, bool combustion, std::int32_t engine);

  // Serialises the link and guards every member below; held during an exchange, so it is
  // never taken by a thread that must not wait on the simulator.
  std::mutex link_mutex_;
  bool FSUIPC_connected = false;  // the link is open
  Frame frame_{};
  Frame last_good_{};  // the last frame that went through
  ReadState read_ = ReadState::NONE;
  bool verdict_done_ = false;  // isSimConnected has decided for this cycle
  bool verdict_ = false;
  // Watchdog. The previous values come from the first exchange after each open.
  bool primed_ = false;
  std::int16_t prevActCount = 0;
  std::uint8_t prevMenu = 0;
  std::uint8_t prevFM = 0;
  std::time_t activityTO = 0;        // wall time first seen frozen, for the log; 0 = not frozen
  std::int64_t activity_mono_ = 0;   // the same moment on the monotonic clock, milliseconds
  bool frozen_told_ = false;         // the pilot has been told the simulator looks frozen
  bool combustion_seen_ = false;     // a combustion flag has been set since the link opened
  // Failed exchanges: since when, on the monotonic clock (milliseconds; -1: the last one
  // went through), and whether the simulator has been given up (true until the first
  // exchange that goes through).
  std::int64_t failing_since_ = -1;
  bool lost_ = true;
  InfoCallback InfoCB;
};

}  // namespace orvane
