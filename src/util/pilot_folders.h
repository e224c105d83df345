// Where a pilot's files live: the configuration, state and data folders, chosen and made.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The three folders ORVANE keeps its files in. In the old way all three are the working
// folder "." and the files carry their bare names ("orvane.ini"), as they always did.
struct PilotFolders {
  std::string config = ".";  // orvane.ini
  std::string state = ".";   // orvane.log, orvane.log.1
  std::string data = ".";    // orvane.journal, outbox/, lastpirep.ovp, orvane.lock
  bool standard = false;     // false: the old way, one working folder
  char separator = '/';

  std::string settingsFile() const { return in(config, "orvane.ini"); }
  std::string logFile() const { return in(state, "orvane.log"); }
  std::string lastPIREPFile() const { return in(data, "lastpirep.ovp"); }
  // name in folder; the bare name in ".".
  std::string in(const std::string& folder, const std::string& name) const;
};

// Whose conventions decide the standard folders.
enum class FolderRules {
  Xdg,      // $XDG_CONFIG_HOME/orvane, $XDG_STATE_HOME/orvane, $XDG_DATA_HOME/orvane
  Windows,  // %APPDATA%\ORVANE for the settings, %LOCALAPPDATA%\ORVANE for the rest
};
FolderRules native_folder_rules();

// The value of an environment variable; empty when it is not set.
using Environment = std::function<std::string(const char* name)>;
Environment process_environment();

// The standard folders under rules; none when the environment does not say where the
// pilot's home is (no HOME on Xdg, no %APPDATA% or %LOCALAPPDATA% on Windows). Xdg: a
// variable that is unset or not an absolute path stands for its default under $HOME
// (~/.config, ~/.local/state, ~/.local/share).
std::optional<PilotFolders> standard_folders(FolderRules rules, const Environment& env);

// The folder the old desktop entry or Start-menu entry started ORVANE in
// ("$HOME/.local/share/orvane", "%APPDATA%\ORVANE"); empty when the environment does not
// say where it is.
std::string old_layout_folder(FolderRules rules, const Environment& env);

// The folders a start uses. The old way, in the current folder, when the program was given a
// working folder (--workdir, after it made it current), when the current folder holds an
// orvane.ini (unless it is one of the standard folders or the old layout's folder), or when
// there are no standard folders. Otherwise the standard ones.
PilotFolders choose_pilot_folders(bool workdirGiven, FolderRules rules, const Environment& env);

// Creates every missing folder of folders (and their missing parents), each with mode 0700
// on POSIX. False with the system's reason in *problem when one could not be made.
bool make_pilot_folders(const PilotFolders& folders, std::string* problem);

// First start in the standard folders, after this start kept the previous log
// (keep_previous_log): moves orvane.ini from oldFolder into the configuration folder, its
// orvane.log and orvane.log.1 into the state folder as orvane.log.1 and orvane.log.2 (the
// last run's log and the one before), and orvane.journal, lastpirep.ovp and the reports in
// outbox/ into the data folder when that is another folder. Nothing is overwritten: when a
// file is already at its new place, that one wins and the old file stays, renamed to
// "<name>.old" (or "<name>.old.2", ...); a file that cannot be moved stays where it was.
// Returns one sentence per file concerned, for the log.
std::vector<std::string> move_old_layout(const std::string& oldFolder, const PilotFolders& to);

// The folders this process uses ("." everywhere until a program start sets them). Set once
// by the program before it starts any thread; read from any thread.
void use_pilot_folders(const PilotFolders& folders);
PilotFolders pilot_folders();

}  // namespace orvane
