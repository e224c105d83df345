// FlightGearProcess: fgfs started under Xvfb on this machine, talking only to 127.0.0.1.
// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orvane::fgpilot {

struct FlightGearOptions {
  std::string aircraft = "c172p";
  std::string airport = "BIKF";       // the Debian package's scenery: Keflavik and Hawaii
  std::string runway;                 // empty: FlightGear's choice
  bool null_fdm = false;              // no flight model: properties stay as set
  bool draw_nothing = false;          // a 320x240 window drawing no scene: fast on a busy machine
  int telnet_port = 0;                // telnet property protocol on 127.0.0.1
  int generic_port = 0;               // where the generic protocol goes (0: none)
  std::string data_dir;               // holds Protocol/orvane.xml
  std::string home;                   // FG_HOME
  std::string log_file;               // fgfs's output
  std::vector<std::string> extra;     // more fgfs options
};

// The installed fgfs, or "" when FlightGear is not installed ($ORVANE_FGFS overrides).
std::string find_fgfs();

// The fgfs command line: the offline, light settings measured on a busy 2-core machine
// (no terrasync, no weather fetch, no AI traffic, no sound, low shaders, 15 frames/s cap).
std::vector<std::string> fgfs_arguments(const FlightGearOptions& o);

// Xvfb and fgfs, both children of this process that die with it (so a test killed on its
// time-out leaves neither behind); killed when the object goes or on kill().
class FlightGearProcess {
 public:
  explicit FlightGearProcess(const FlightGearOptions& o);
  ~FlightGearProcess();
  FlightGearProcess(const FlightGearProcess&) = delete;
  FlightGearProcess& operator=(const FlightGearProcess&) = delete;

  bool started() const { return fgfs_ > 0; }
  // The X display fgfs draws on (":N"), for a screenshot or a window beside it.
  const std::string& display() const { return display_; }
  // Kills fgfs (SIGTERM, then SIGKILL after 10 s) and its Xvfb, and reaps them.
  void kill();

 private:
  pid_t xvfb_ = -1;
  pid_t fgfs_ = -1;
  std::string display_;
};

}  // namespace orvane::fgpilot
