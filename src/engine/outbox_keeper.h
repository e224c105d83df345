// OutboxKeeper: the engine's outbox room: where it is, what it keeps, refuses and removes.
// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pirep/PIREPData.h"
#include "pirep/outbox.h"

namespace orvane {

class ACARS;

// The outcome of the latest attempt to keep a report.
struct OutboxKeep {
  bool tried = false;
  bool kept = false;       // written and read back
  std::string path;        // the report's file in the outbox
  std::string error;       // why it was not kept
};

// Every member may be called from any thread; all state is under lock_, a leaf lock (file
// writes happen under it, so two threads never write one folder at once).
class OutboxKeeper {
 public:
  OutboxKeeper() = default;
  OutboxKeeper(const OutboxKeeper&) = delete;
  OutboxKeeper& operator=(const OutboxKeeper&) = delete;

  // The outbox is the folder "outbox" in folder ("" or "." for the current folder).
  void setFolder(const std::string& folder);
  std::string folder() const;
  // Keeps the report unless its flight was refused; the outcome is also remembered.
  OutboxKeep keep(const PIREPData& report);
  OutboxKeep lastKeep() const;
  std::vector<Outbox::Entry> waiting() const;
  // The report is being sent: on success its file goes (sent).
  void sending(const PIREPData& report);
  void sent();
  // The airline refused the flight of report: its file is marked and never sent.
  void refused(const PIREPData& report, const std::string& text);
  // The pilot's text when report's flight was refused, else empty.
  std::string refusalOf(const PIREPData& report) const;
  // Back to the start: no folder until settings are loaded again, nothing remembered.
  void reset();

 private:
  mutable std::mutex lock_;
  std::string folder_;  // lock_; empty until settings are loaded: nothing is kept
  OutboxKeep last_;                               // lock_
  std::string sendingId_;                         // lock_
  std::map<std::string, std::string> refusals_;  // lock_: id -> the pilot's text
};

}  // namespace orvane
