// Outbox: the folder of PIREPs not yet accepted by the airline, one encrypted .ovp per flight.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "pirep/PIREPData.h"

namespace orvane {

// A folder in the data folder that holds every PIREP from the moment it exists until the
// PIREP server has answered success. Each flight has one file, "<id>.ovp", in the format of
// lastpirep.ovp; a flight the airline refused is renamed "<id>.refused" and never sent again.
// Not thread-safe by itself: callers serialize writes to one folder.
class Outbox {
 public:
  explicit Outbox(std::string folder);

  const std::string& folder() const { return folder_; }

  // The file name of a flight's report without its extension: the callsign (letters and
  // digits only) and the OUT time in seconds, so writing the same flight again replaces it.
  static std::string idFor(const PIREPData& report);
  // The full path of an id's file.
  std::string pathOf(const std::string& id) const;

  // Writes the report atomically (synced, then renamed; the folder is synced too) and reads
  // it back: true only when the file on the disk decrypts to the report. On false, error
  // (may be null) says why; a previous file of the same flight stays as it was.
  bool keep(const PIREPData& report, std::string* error = nullptr) const;

  struct Entry {
    std::string id;
    std::string path;
    PIREPData report;
  };
  // The readable reports waiting to be sent, oldest OUT time first. A file that cannot be
  // read or decrypted is left where it is and named in unreadable (may be null).
  std::vector<Entry> waiting(std::vector<std::string>* unreadable = nullptr) const;
  // The PIREP server accepted the report: its file goes. True when it is gone.
  bool remove(const std::string& id) const;
  // The airline refused the flight: the file stays for the pilot but is not sent.
  bool markRefused(const std::string& id) const;

  // "1 PIREP not sent yet: ORV123 EDDF–EGLL, 2026-12-08"; for several, one line each after
  // the first ("2 PIREPs not sent yet:" and one flight a line). Empty for none.
  static std::string summary(const std::vector<Entry>& entries);
  // "ORV123 EDDF–EGLL, 2026-12-08": one flight as the pilot knows it.
  static std::string describe(const PIREPData& report);

 private:
  std::string folder_;
};

}  // namespace orvane
