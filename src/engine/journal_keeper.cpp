// JournalKeeper: appends the flight's journal records after a cycle, takes up a resumed one, removes it at the end.
// SPDX-License-Identifier: MIT
#include "engine/journal_keeper.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "acars/ACARS.h"
#include "engine/flight_figures.h"
#include "tracking/flightstate.h"
#include "util/atomic_file.h"
#include "util/clock.h"
#include "util/record_file.h"

namespace orvane {

void JournalKeeper::setFolder(const std::string& folder) {
  path_ = folder.empty() || folder == "." ? std::string(kFileName)
                         : (std::filesystem::path(folder) / kFileName).string();
}

void JournalKeeper::reset() {
  const std::string path = path_;
  *this = JournalKeeper{};
  path_ = path;
}

bool JournalKeeper::remove() {
  active_ = false;
  if (path_.empty()) return true;
  return std::remove(path_.c_str()) == 0 || errno == ENOENT;
}

void JournalKeeper::resumed(const FlightJournal& journal) {
  active_ = true;
  messageBase_ = journal.last.sent;
  queueSeen_ = journal.messages.size() - std::min(journal.last.sent, journal.messages.size());
  sent_ = journal.last.sent;
  phase_ = journal.last.flight.state;
  phaseSince_ = journal.last.phaseSince;
  trackUntil_ = journal.track.empty() ? std::numeric_limits<std::int64_t>::min()
                                      : journal.track.back().time;
  lastWriteMs_ = clock().mono_ms();
  failing_ = false;
  // The journal is written anew from what was read: a torn end left by the crash must not
  // sit in front of the records appended from now on.
  std::string bytes;
  for (const std::string& m : journal.messages) bytes += frame_record(encodeMessage(m));
  if (!journal.track.empty()) bytes += frame_record(encodeTrack(journal.track));
  bytes += frame_record(encodeSnapshot(journal.last));
  if (!path_.empty()) write_file_atomically(path_, bytes);
}

std::string JournalKeeper::afterCycle(FlightState& flight, const FlightFigures& figures) {
  ACARS* acars = flight.acars();
  const int state = flight.getState();
  if (state == FlightState::FINAL || state == FlightState::NONE) {
    // The flight has ended: its PIREP, if it has one, was kept in the outbox this cycle.
    if (active_) remove();
    return {};
  }
  if (path_.empty() || acars == nullptr || state < FlightState::READY ||
      state > FlightState::STARTED_IN) {
    return {};
  }
  const std::string dataId = acars->getDataID();
  if (dataId.empty()) return {};  // BEGINFLIGHT not answered yet: nothing to go on with
  const std::int64_t mono = clock().mono_ms();
  if (!active_) {
    // A new flight: whatever journal was left has been offered, and it was not taken.
    const std::string path = path_;
    remove();
    *this = JournalKeeper{};
    path_ = path;
    active_ = true;
    trackUntil_ = std::numeric_limits<std::int64_t>::min();
  }
  const std::vector<std::string> queue = acars->messages();
  const std::size_t sent = messageBase_ + acars->handledCount();
  const bool phaseChanged = state != phase_;
  const bool due = mono - lastWriteMs_ >= kSyncSeconds * 1000;
  if (!phaseChanged && !due && queue.size() == queueSeen_ && sent == sent_ && !failing_) {
    return {};
  }
  std::string bytes;
  for (std::size_t i = queueSeen_; i < queue.size(); ++i) {
    bytes += frame_record(encodeMessage(queue[i]));
  }
  std::vector<TrackPoint> fresh;
  for (const TrackPoint& p : figures.trackPoints()) {
    if (p.time > trackUntil_) fresh.push_back(p);
  }
  if (!fresh.empty()) bytes += frame_record(encodeTrack(fresh));
  JournalSnapshot s;
  s.written = static_cast<std::int64_t>(clock().now());
  s.phaseSince = phaseChanged ? s.written : phaseSince_;
  s.flight = flight.journalValues();
  s.record = acars->recordValues();
  s.dataId = dataId;
  s.extremes = figures.extremes();
  s.sent = sent;
  const FlightOptions& options = flight.flightOptions();
  s.liveACARS = acars->isLiveACARSEnabled();
  s.pirep = acars->isPIREPEnabled();
  s.posReportInterval = options.POS_Report_Interval;
  bytes += frame_record(encodeSnapshot(s));

  FileWriteError error;
  std::error_code sizeError;
  const std::uintmax_t before = std::filesystem::file_size(path_, sizeError);
  if (!append_file_synced(path_, bytes, &error)) {
    // A part of the records may have gone in: cut it off, so that the next append follows
    // whole records (a reader stops at the first torn one).
    if (!sizeError) std::filesystem::resize_file(path_, before, sizeError);
    const bool first = !failing_;
    failing_ = true;
    lastWriteMs_ = mono;
    return first ? "The flight journal could not be written: " + error.reason : std::string();
  }
  failing_ = false;
  queueSeen_ = queue.size();
  sent_ = sent;
  phase_ = state;
  phaseSince_ = s.phaseSince;
  if (!fresh.empty()) trackUntil_ = fresh.back().time;
  lastWriteMs_ = mono;
  return {};
}

}  // namespace orvane
