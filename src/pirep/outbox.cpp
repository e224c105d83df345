// Outbox: keeping, listing, removing and describing the PIREPs that wait for the airline.
// SPDX-License-Identifier: MIT
#include "pirep/outbox.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "util/atomic_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace orvane {

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".ovp";
constexpr const char* kRefused = ".refused";

bool read_whole(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Makes a rename or an unlink in the folder durable: the file's own sync does not cover
// the folder's entry for it.
bool sync_folder(const std::string& folder) {
#ifdef _WIN32
  (void)folder;
  return true;  // MoveFileEx with MOVEFILE_WRITE_THROUGH already waits for the disk
#else
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
#endif
}

// "08.12.2026 14:20" -> "2026-12-08"; anything else as it is.
std::string iso_date(const std::string& oout) {
  if (oout.size() >= 10 && oout[2] == '.' && oout[5] == '.') {
    return oout.substr(6, 4) + "-" + oout.substr(3, 2) + "-" + oout.substr(0, 2);
  }
  return oout;
}

long long out_seconds(const PIREPData& r) {
  try {
    return std::stoll(r.Out);
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace

Outbox::Outbox(std::string folder) : folder_(std::move(folder)) {}

std::string Outbox::idFor(const PIREPData& report) {
  std::string callsign;
  for (const char c : report.Callsign) {
    if (std::isalnum(static_cast<unsigned char>(c))) callsign += c;
  }
  if (callsign.empty()) callsign = "FLIGHT";
  std::string out;
  for (const char c : report.Out) {
    if (std::isdigit(static_cast<unsigned char>(c))) out += c;
  }
  if (out.empty()) out = "0";
  return callsign + "-" + out;
}

std::string Outbox::pathOf(const std::string& id) const {
  return (fs::path(folder_) / (id + kExtension)).string();
}

bool Outbox::keep(const PIREPData& report, std::string* error) const {
  const auto fail = [error](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (ec) return fail("Cannot create the folder [" + folder_ + "]: " + ec.message());
  // The reports hold the pilot's flights and the folder is the pilot's alone.
  fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, ec);
  std::string bytes;
  try {
    bytes = report.pack_crypt();
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  const std::string path = pathOf(idFor(report));
  // Mode 0600, synced, and the folder synced after the rename.
  FileWriteError written;
  if (!write_file_atomically(path, bytes, &written)) return fail("Cannot write " + written.reason);
  std::string back;
  if (!read_whole(path, back) || back != bytes) return fail("[" + path + "] reads back wrong");
  PIREPData check;
  try {
    check.unpack_crypt(back);
  } catch (const std::exception& e) {
    return fail("[" + path + "] reads back wrong: " + e.what());
  }
  if (!(check == report)) return fail("[" + path + "] reads back wrong");
  return true;
}

std::vector<Outbox::Entry> Outbox::waiting(std::vector<std::string>* unreadable) const {
  std::vector<Entry> entries;
  std::error_code ec;
  fs::directory_iterator it(folder_, ec);
  if (ec) return entries;
  for (const fs::directory_entry& file : it) {
    const fs::path& p = file.path();
    if (p.extension() != kExtension || !file.is_regular_file(ec)) continue;
    Entry e;
    e.id = p.stem().string();
    e.path = p.string();
    std::string bytes;
    bool ok = read_whole(e.path, bytes);
    if (ok) {
      try {
        e.report.unpack_crypt(bytes);
      } catch (const std::exception&) {
        ok = false;
      }
    }
    if (!ok) {
      if (unreadable != nullptr) unreadable->push_back(e.path);
      continue;
    }
    entries.push_back(std::move(e));
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const long long ta = out_seconds(a.report), tb = out_seconds(b.report);
    return ta != tb ? ta < tb : a.id < b.id;
  });
  return entries;
}

bool Outbox::remove(const std::string& id) const {
  std::error_code ec;
  fs::remove(pathOf(id), ec);
  if (ec) return false;
  sync_folder(folder_);
  return !fs::exists(pathOf(id), ec);
}

bool Outbox::markRefused(const std::string& id) const {
  std::error_code ec;
  const fs::path to = fs::path(folder_) / (id + kRefused);
  fs::rename(pathOf(id), to, ec);
  if (ec) return false;
  sync_folder(folder_);
  return true;
}

std::string Outbox::describe(const PIREPData& report) {
  return report.Callsign + " " + report.From + "\u2013" + report.To + ", " + iso_date(report.OOut);
}

std::string Outbox::summary(const std::vector<Entry>& entries) {
  if (entries.empty()) return std::string();
  if (entries.size() == 1) return "1 PIREP not sent yet: " + describe(entries.front().report);
  std::string text = std::to_string(entries.size()) + " PIREPs not sent yet:";
  for (const Entry& e : entries) text += "\n" + describe(e.report);
  return text;
}

}  // namespace orvane
