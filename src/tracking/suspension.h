// Suspension: a flight whose simulator went away, waiting for it to come back near the aircraft's last place.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace orvane {

// Cycle thread only. Keeps the aircraft's last place read from a simulator that answered;
// once the simulator is lost, the flight is suspended until a simulator answers with the
// aircraft within kNearNm and kNearFeet of that place.
class Suspension {
 public:
  static constexpr double kNearNm = 20.0;
  static constexpr double kNearFeet = 5000.0;

  enum class Verdict { NONE, SAME_PLACE, ELSEWHERE };

  // The aircraft's place at wall time t (seconds), read from a simulator that answered.
  void notePlace(double lat, double lon, double altitude, std::time_t t);
  // The simulator is given up at wall time t: it counts as lost since the last place noted
  // (t when none was). Does nothing when already suspended.
  void begin(std::time_t t);
  bool active() const { return active_; }
  std::time_t lostAt() const { return lost_at_; }
  // While suspended: a simulator answers with the aircraft here. SAME_PLACE ends the
  // suspension; ELSEWHERE keeps it. The distances of the last look are kept for the texts.
  Verdict look(double lat, double lon, double altitude);
  // Ends the suspension without a look (the flight is ended).
  void clear() { active_ = false; }
  // A flight taken up after ORVANE itself was stopped (a journal): suspended from the start,
  // lost at the journal's time and place (see notePlace), until the simulator's aircraft is
  // near that place. Its texts say so.
  void beginAfterRestart(std::time_t t);
  bool afterRestart() const { return restart_; }

  // "Simulator lost at 14:32Z — the flight resumes when it is back near where it was"
  std::string lostText() const;
  // The simulator answers with the aircraft far from the place it was lost at.
  std::string elsewhereText() const;
  // The ACARS message line of a suspension that ended at wall time t.
  std::string gapLine(std::time_t t) const;

  bool placeKnown() const { return known_; }
  std::time_t placeNotedAt() const { return noted_at_; }
  double lastLat() const { return lat_; }
  double lastLon() const { return lon_; }
  double lastAltitude() const { return alt_; }
  double distanceNm() const { return distance_nm_; }
  double heightFeet() const { return height_ft_; }

 private:
  bool known_ = false;  // a place has been noted
  double lat_ = 0.0, lon_ = 0.0, alt_ = 0.0;
  std::time_t noted_at_ = 0;  // when the place was read
  bool active_ = false;
  bool restart_ = false;  // the suspension is that of a restart, not of a lost simulator
  std::time_t lost_at_ = 0;
  double distance_nm_ = 0.0;  // of the last look
  double height_ft_ = 0.0;    // of the last look, absolute
};

}  // namespace orvane
