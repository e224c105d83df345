// JournalKeeper: the engine's flight-journal room: where the journal is, when it is appended, synced and removed.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/flight_journal.h"
#include "engine/journal_file.h"

namespace orvane {

class FlightFigures;
class FlightState;

// Used by the cycle only: the engine keeps it under ORVANE::CYCLE_MUTEX. While a flight is
// under way (its BEGINFLIGHT answered, until its end), each cycle may append records to
// "orvane.journal" in the data folder: the requests queued since the last append, the
// new track samples and a state record, synced; at each phase change, when a request is
// queued or done with, and at least every kSyncSeconds. Between cycles the flight's send
// thread marks each message the server took (through the shared JournalFile), so a restart
// does not send it again. The flight's end removes it.
class JournalKeeper {
 public:
  static constexpr std::int64_t kSyncSeconds = 30;
  static constexpr const char* kFileName = "orvane.journal";

  // The journal is kFileName in folder ("" or "." for the current folder).
  void setFolder(const std::string& folder);
  // The journal's path; empty before settings are loaded (nothing is journaled then).
  std::string path() const { return file_->path(); }

  // After a cycle of flight (figures: the cycle's). Returns the text of a failed write, the
  // first of a run of failures only; empty otherwise.
  std::string afterCycle(FlightState& flight, const FlightFigures& figures);
  // The flight now cycling was taken up from journal: appends go on where it ended.
  void resumed(const FlightJournal& journal);
  // No flight is journaled any more: the file goes (the flight ended, or the pilot
  // discarded a journal). False when a file was there and could not be removed.
  bool remove();
  // The flight object goes (its end, or the program's): a journaled flight's file goes too.
  void flightGone() {
    if (active_) remove();
  }
  // Forgets the flight (the file stays): a fresh engine.
  void reset();

 private:
  // A flight is journaled from now on; base: journaled messages in front of its queue.
  void start(std::size_t base);

  // Shared with the send threads' delivery hooks, which may outlive the flight object.
  std::shared_ptr<JournalFile> file_ = std::make_shared<JournalFile>();
  std::uint64_t hooked_ = 0;     // the generation whose ACARS object has the delivery hook
  bool active_ = false;          // a flight is being journaled
  std::size_t messageBase_ = 0;  // journaled messages before this flight object's queue
  std::size_t queueSeen_ = 0;    // entries of the object's queue that are in the journal
  std::size_t sent_ = 0;         // the journaled count of messages done with
  int phase_ = -1;               // the phase of the last state record
  std::int64_t phaseSince_ = 0;  // wall seconds
  std::int64_t trackUntil_ = 0;  // the time of the last journaled track sample
  std::int64_t lastWriteMs_ = 0;  // monotonic
  bool failing_ = false;         // the last append failed
};

}  // namespace orvane
