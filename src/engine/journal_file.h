// JournalFile: the flight journal's file, appended by the cycle and marked by the send thread as messages are delivered.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "util/atomic_file.h"

namespace orvane {

// Every write to the journal's file goes through here, under lock_, so that the cycle's
// records and the send thread's delivery marks never interleave, and a mark never lands in
// a file that a later flight has taken over. A flight's journaling is a "generation": marks
// told for another generation are dropped.
class JournalFile {
 public:
  void setPath(const std::string& path);
  std::string path() const;

  // Cycle thread. A flight is journaled from now on; base: the journaled messages in front
  // of its ACARS object's queue. Returns the flight's generation.
  std::uint64_t open(std::size_t base);
  // No flight is journaled any more (marks are dropped from now on).
  void close();
  std::uint64_t generation() const;
  // The file now holds `messages` message records (the cycle appended up to there).
  void journaled(std::size_t messages);

  // Cycle thread: appends whole records, synced; a failed append is cut off again, so the
  // next one follows whole records.
  bool append(const std::string& bytes, FileWriteError* error);
  // Replaces the file with bytes (a flight taken up from its journal).
  bool rewrite(const std::string& bytes);
  // Removes the file; false when it was there and could not be removed.
  bool remove();

  // Send thread: the ACARS object of generation `flight` has done with `handled` entries of
  // its queue. Journals the count as delivered (never beyond the journaled messages).
  void delivered(std::uint64_t flight, std::size_t handled);

 private:
  bool appendLocked(const std::string& bytes, FileWriteError* error);  // lock_ held

  mutable std::mutex lock_;
  std::string path_;            // lock_
  bool active_ = false;         // lock_: a flight is journaled
  std::uint64_t generation_ = 0;  // lock_
  std::size_t base_ = 0;        // lock_
  std::size_t journaled_ = 0;   // lock_: message records in the file
  std::size_t marked_ = 0;      // lock_: the highest count journaled as delivered
};

}  // namespace orvane
