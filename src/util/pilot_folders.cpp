// The pilot's folders by XDG's or Windows' rules, the old way, and the move from the old layout.
// SPDX-License-Identifier: MIT
#include "util/pilot_folders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace orvane {

namespace fs = std::filesystem;

namespace {

// The files of the old layout: their name there, their name in the new folder, and which
// folder: c(onfig), s(tate), d(ata). The move comes after this start has kept the state
// folder's own log: the old layout's last log becomes the previous run's ("orvane.log.1"),
// and the one before it "orvane.log.2".
const char* const kOldLayoutFiles[][3] = {
    {"orvane.ini", "orvane.ini", "c"},         {"orvane.log", "orvane.log.1", "s"},
    {"orvane.log.1", "orvane.log.2", "s"},     {"orvane.journal", "orvane.journal", "d"},
    {"lastpirep.ovp", "lastpirep.ovp", "d"},
};

// text without the separators at its end ("/" stays "" so that "" + "/x" is "/x").
std::string without_trailing(std::string text, const char* separators) {
  while (!text.empty() && std::strchr(separators, text.back()) != nullptr) text.pop_back();
  return text;
}

bool same_folder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

bool present(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

// "<from>.old", or "<from>.old.2", ... : the first name not taken; empty when all are.
fs::path free_name_for(const fs::path& from) {
  for (int n = 1; n <= 1000; ++n) {
    fs::path candidate = from;
    candidate += n == 1 ? std::string(".old") : ".old." + std::to_string(n);
    if (!present(candidate)) return candidate;
  }
  return {};
}

// Moves the file from to to, which is not there: a rename, or across file systems a copy
// and the removal of the original. A failed copy leaves no part of it behind.
bool move_file(const fs::path& from, const fs::path& to, std::string* reason) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec) return true;
  if (ec != std::errc::cross_device_link) {
    *reason = ec.message();
    return false;
  }
  ec.clear();
  if (!fs::copy_file(from, to, fs::copy_options::none, ec)) {
    *reason = ec.message();
    std::error_code ignored;
    fs::remove(to, ignored);
    return false;
  }
  fs::remove(from, ec);
  if (ec) *reason = "copied, but the old file could not be removed: " + ec.message();
  return true;
}

void move_one(const fs::path& from, const fs::path& to, std::vector<std::string>& said) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(from, ec);
  if (ec || !fs::exists(status) || fs::is_directory(status)) return;
  const std::string f = "[" + from.string() + "]";
  const std::string t = "[" + to.string() + "]";
  if (present(to)) {
    const fs::path kept = free_name_for(from);
    if (!kept.empty()) fs::rename(from, kept, ec);
    if (kept.empty() || ec) {
      said.push_back(t + " is already there; the old file " + f + " stays where it was" +
                     (ec ? ": " + ec.message() : std::string()) + ".");
    } else {
      said.push_back(t + " is already there and is used; the old file " + f +
                     " is kept as [" + kept.string() + "].");
    }
    return;
  }
  std::string reason;
  if (!move_file(from, to, &reason)) {
    said.push_back("Could not move " + f + " to " + t + ": " + reason +
                   "; it stays where it was.");
  } else if (!reason.empty()) {
    said.push_back("Moved " + f + " to " + t + " (" + reason + ").");
  } else {
    said.push_back("Moved " + f + " to " + t + ".");
  }
}

bool make_folder(const std::string& folder, std::string* problem) {
  if (folder.empty() || folder == ".") return true;
#ifdef _WIN32
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec) return true;
  if (problem != nullptr) *problem = "[" + folder + "]: " + ec.message();
  return false;
#else
  fs::path reached;
  for (const fs::path& part : fs::path(folder)) {
    reached /= part;
    if (::mkdir(reached.c_str(), 0700) != 0 && errno != EEXIST) {
      if (problem != nullptr) *problem = "[" + reached.string() + "]: " + std::strerror(errno);
      return false;
    }
  }
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (problem != nullptr) *problem = "[" + folder + "]: " + std::strerror(ENOTDIR);
  return false;
#endif
}

std::mutex& foldersLock() {
  static std::mutex lock;
  return lock;
}

PilotFolders& foldersInUse() {  // foldersLock()
  static PilotFolders folders;
  return folders;
}

}  // namespace

std::string PilotFolders::in(const std::string& folder, const std::string& name) const {
  if (folder.empty() || folder == ".") return name;
  return folder + separator + name;
}

FolderRules native_folder_rules() {
#ifdef _WIN32
  return FolderRules::Windows;
#else
  return FolderRules::Xdg;
#endif
}

Environment process_environment() {
  return [](const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
  };
}

std::optional<PilotFolders> standard_folders(FolderRules rules, const Environment& env) {
  PilotFolders folders;
  folders.standard = true;
  if (rules == FolderRules::Windows) {
    const std::string roaming = without_trailing(env("APPDATA"), "\\/");
    const std::string local = without_trailing(env("LOCALAPPDATA"), "\\/");
    if (roaming.empty() || local.empty()) return std::nullopt;
    folders.separator = '\\';
    folders.config = roaming + "\\ORVANE";
    folders.state = local + "\\ORVANE";
    folders.data = folders.state;
    return folders;
  }
  const std::string homeValue = env("HOME");
  const bool homeKnown = !homeValue.empty() && homeValue.front() == '/';
  const std::string home = without_trailing(homeValue, "/");
  bool known = true;
  const auto pick = [&](const char* variable, const char* underHome) {
    const std::string value = env(variable);
    if (!value.empty() && value.front() == '/') return without_trailing(value, "/") + "/orvane";
    if (!homeKnown) known = false;
    return home + underHome + "/orvane";
  };
  folders.config = pick("XDG_CONFIG_HOME", "/.config");
  folders.state = pick("XDG_STATE_HOME", "/.local/state");
  folders.data = pick("XDG_DATA_HOME", "/.local/share");
  if (!known) return std::nullopt;
  return folders;
}

std::string old_layout_folder(FolderRules rules, const Environment& env) {
  if (rules == FolderRules::Windows) {
    const std::string roaming = without_trailing(env("APPDATA"), "\\/");
    return roaming.empty() ? std::string() : roaming + "\\ORVANE";
  }
  const std::string home = env("HOME");
  if (home.empty() || home.front() != '/') return {};
  return without_trailing(home, "/") + "/.local/share/orvane";
}

PilotFolders choose_pilot_folders(bool workdirGiven, FolderRules rules, const Environment& env) {
  if (workdirGiven) return PilotFolders{};
  const std::optional<PilotFolders> standard = standard_folders(rules, env);
  if (!standard) return PilotFolders{};
  if (!present("orvane.ini")) return *standard;
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (ec) return PilotFolders{};
  for (const std::string& folder :
       {standard->config, standard->state, standard->data, old_layout_folder(rules, env)}) {
    if (!folder.empty() && same_folder(here, folder)) return *standard;
  }
  return PilotFolders{};
}

bool make_pilot_folders(const PilotFolders& folders, std::string* problem) {
  return make_folder(folders.config, problem) && make_folder(folders.state, problem) &&
         make_folder(folders.data, problem);
}

std::vector<std::string> move_old_layout(const std::string& oldFolder, const PilotFolders& to) {
  std::vector<std::string> said;
  if (oldFolder.empty() || !to.standard) return said;
  std::error_code ec;
  if (!fs::is_directory(oldFolder, ec)) return said;
  const fs::path old(oldFolder);
  for (const auto& [name, newName, where] : kOldLayoutFiles) {
    const std::string& folder = where[0] == 'c' ? to.config : where[0] == 's' ? to.state : to.data;
    if (same_folder(old, folder)) continue;
    move_one(old / name, fs::path(to.in(folder, newName)), said);
  }
  const fs::path oldOutbox = old / "outbox";
  if (same_folder(old, to.data) || !fs::is_directory(oldOutbox, ec)) return said;
  const fs::path outbox(to.in(to.data, "outbox"));
  std::string problem;
  if (!make_folder(outbox.string(), &problem)) {
    said.push_back("Could not move the reports in [" + oldOutbox.string() + "]: " + problem +
                   "; they stay where they were.");
    return said;
  }
  std::vector<fs::path> reports;
  for (fs::directory_iterator it(oldOutbox, ec), end; !ec && it != end; it.increment(ec)) {
    reports.push_back(it->path());
  }
  for (const fs::path& report : reports) move_one(report, outbox / report.filename(), said);
  fs::remove(oldOutbox, ec);  // only when it is empty now
  return said;
}

void use_pilot_folders(const PilotFolders& folders) {
  std::lock_guard<std::mutex> g(foldersLock());
  foldersInUse() = folders;
}

PilotFolders pilot_folders() {
  std::lock_guard<std::mutex> g(foldersLock());
  return foldersInUse();
}

}  // namespace orvane
