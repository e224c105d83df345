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

// fgfs under xvfb-run in a process group of its own; the whole group is killed when the
// object goes or on kill().
class FlightGearProcess {
 public:
  explicit FlightGearProcess(const FlightGearOptions& o);
  ~FlightGearProcess();
  FlightGearProcess(const FlightGearProcess&) = delete;
  FlightGearProcess& operator=(const FlightGearProcess&) = delete;

  bool started() const { return pgid_ > 0; }
  bool running();
  // Kills fgfs and its Xvfb (SIGTERM, then SIGKILL after 10 s) and reaps them.
  void kill();

 private:
  pid_t pgid_ = -1;
};

}  // namespace orvane::fgpilot
