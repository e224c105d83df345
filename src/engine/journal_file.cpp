// JournalFile: appends, rewrites and removes the journal's file and marks delivered messages, one writer at a time.
// SPDX-License-Identifier: MIT
#include "engine/journal_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/flight_journal.h"
#include "util/record_file.h"

namespace orvane {

void JournalFile::setPath(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  path_ = path;
}

std::string JournalFile::path() const {
  std::lock_guard<std::mutex> guard(lock_);
  return path_;
}

std::uint64_t JournalFile::open(std::size_t base) {
  std::lock_guard<std::mutex> guard(lock_);
  active_ = true;
  base_ = base;
  journaled_ = base;
  marked_ = base;
  return ++generation_;
}

void JournalFile::close() {
  std::lock_guard<std::mutex> guard(lock_);
  active_ = false;
  ++generation_;
}

std::uint64_t JournalFile::generation() const {
  std::lock_guard<std::mutex> guard(lock_);
  return generation_;
}

void JournalFile::journaled(std::size_t messages) {
  std::lock_guard<std::mutex> guard(lock_);
  journaled_ = std::max(journaled_, messages);
}

bool JournalFile::append(const std::string& bytes, FileWriteError* error) {
  std::lock_guard<std::mutex> guard(lock_);
  return appendLocked(bytes, error);
}

bool JournalFile::appendLocked(const std::string& bytes, FileWriteError* error) {
  if (path_.empty()) return true;
  std::error_code sizeError;
  const std::uintmax_t before = std::filesystem::file_size(path_, sizeError);
  if (append_file_synced(path_, bytes, error)) return true;
  // A part of the records may have gone in: cut it off, so that the next append follows
  // whole records (a reader stops at the first torn one).
  if (!sizeError) std::filesystem::resize_file(path_, before, sizeError);
  return false;
}

bool JournalFile::rewrite(const std::string& bytes) {
  std::lock_guard<std::mutex> guard(lock_);
  return path_.empty() || write_file_atomically(path_, bytes);
}

bool JournalFile::remove() {
  std::lock_guard<std::mutex> guard(lock_);
  if (path_.empty()) return true;
  return std::remove(path_.c_str()) == 0 || errno == ENOENT;
}

void JournalFile::delivered(std::uint64_t flight, std::size_t handled) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!active_ || flight != generation_ || path_.empty()) return;
  // A message delivered before the cycle journaled it is left to the cycle's next record:
  // the count must never cover a message the file does not hold yet.
  const std::size_t count = std::min(base_ + handled, journaled_);
  if (count <= marked_) return;
  if (appendLocked(frame_record(encodeDelivered(count)), nullptr)) marked_ = count;
}

}  // namespace orvane
