// JournalKeeper: appends the flight's journal records after a cycle, takes up a resumed one, removes it at the end.
// SPDX-License-Identifier: MIT
#include "engine/journal_keeper.h"

#include <cstring>
#include <filesystem>
#include <limits>

#include "acars/ACARS.h"
#include "engine/flight_figures.h"
#include "tracking/flightstate.h"
#include "util/clock.h"
#include "util/record_file.h"

namespace orvane {

void JournalKeeper::setFolder(const std::string& folder) {
  file_->setPath(folder.empty() || folder == "." ? std::string(kFileName)
                                                 : (std::filesystem::path(folder) / kFileName).string());
}

void JournalKeeper::start(std::size_t base) {
  file_->open(base);
  active_ = true;
  messageBase_ = base;
  queueSeen_ = 0;
  sent_ = base;
  phase_ = -1;
  phaseSince_ = 0;
  trackUntil_ = std::numeric_limits<std::int64_t>::min();
  lastWriteMs_ = 0;
  failing_ = false;
}

void JournalKeeper::reset() {
  file_->close();
  active_ = false;
  hooked_ = 0;
}

bool JournalKeeper::remove() {
  active_ = false;
  file_->close();
  return file_->remove();
}

void JournalKeeper::resumed(const FlightJournal& journal) {
  start(journal.last.sent);
  queueSeen_ = journal.messages.size() - std::min(journal.last.sent, journal.messages.size());
  phase_ = journal.last.flight.state;
  phaseSince_ = journal.last.phaseSince;
  if (!journal.track.empty()) trackUntil_ = journal.track.back().time;
  lastWriteMs_ = clock().mono_ms();
  file_->journaled(journal.messages.size());
  // The journal is written anew from what was read: a torn end left by the crash must not
  // sit in front of the records appended from now on.
  std::string bytes;
  for (const std::string& m : journal.messages) bytes += frame_record(encodeMessage(m));
  if (!journal.track.empty()) bytes += frame_record(encodeTrack(journal.track));
  bytes += frame_record(encodeSnapshot(journal.last));
  file_->rewrite(bytes);
}

std::string JournalKeeper::afterCycle(FlightState& flight, const FlightFigures& figures) {
  ACARS* acars = flight.acars();
  const int state = flight.getState();
  if (state == FlightState::FINAL || state == FlightState::NONE) {
    // The flight has ended: its PIREP, if it has one, was kept in the outbox this cycle.
    if (active_) remove();
    return {};
  }
  if (file_->path().empty() || acars == nullptr || state < FlightState::READY ||
      state > FlightState::STARTED_IN) {
    return {};
  }
  const std::string dataId = acars->getDataID();
  if (dataId.empty()) return {};  // BEGINFLIGHT not answered yet: nothing to go on with
  const std::int64_t mono = clock().mono_ms();
  if (!active_) {
    // A new flight: whatever journal was left has been offered, and it was not taken.
    remove();
    start(0);
  }
  const std::uint64_t generation = file_->generation();
  if (hooked_ != generation) {
    // From now on the send thread marks each message the server takes.
    std::shared_ptr<JournalFile> file = file_;
    acars->setHandledHook(
        [file, generation](std::size_t handled) { file->delivered(generation, handled); });
    hooked_ = generation;
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
  if (!file_->append(bytes, &error)) {
    const bool first = !failing_;
    failing_ = true;
    lastWriteMs_ = mono;
    return first ? "The flight journal could not be written: " + error.reason : std::string();
  }
  file_->journaled(messageBase_ + queue.size());
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
