// The flight journal's content: what is kept to go on with a flight after a restart, its records and their reading.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "acars/flight_record.h"
#include "engine/flight_figures.h"
#include "records/flighttrack.h"
#include "tracking/flightstate.h"

namespace orvane {

// One state record: everything of the flight but its messages and track, as it stood when
// the record was written.
struct JournalSnapshot {
  std::int64_t written = 0;     // wall seconds
  std::int64_t phaseSince = 0;  // wall seconds at which the flight entered its phase
  FlightStateValues flight;
  FlightRecordValues record;
  std::string dataId;
  Extremes extremes;
  std::size_t sent = 0;  // the first `sent` journaled messages are done with
  // The flight's options that change during a flight (live ACARS may be switched off).
  bool liveACARS = false;
  bool pirep = false;
  std::int32_t posReportInterval = 0;
};

// The records of a journal file. The file holds framed records (record_file.h), each one
// of: "STATE" (a JournalSnapshot, key=value lines), "MSG" (one queued ACARS request, in
// queue order), "TRACK" (samples of the profile, one a line) or "SENT" (the count of
// journaled messages done with, written as the server takes each one).
std::string encodeSnapshot(const JournalSnapshot& s);
bool decodeSnapshot(const std::string& record, JournalSnapshot& s);
std::string encodeMessage(const std::string& text);
std::string encodeTrack(const std::vector<TrackPoint>& points);
std::string encodeDelivered(std::size_t count);

// A journal read back.
struct FlightJournal {
  bool exists = false;  // a journal file was there
  bool torn = false;    // its last append was cut short (ignored)
  std::string error;    // it could not be read at all
  bool hasSnapshot = false;
  JournalSnapshot last;               // the latest state record; its `sent` counts the
                                      // later SENT records too
  std::vector<std::string> messages;  // every queued request, in order
  std::vector<TrackPoint> track;

  // A flight can go on from it: a state record of a flight between the gate and the gate.
  bool resumable() const;
  std::string callsign() const { return last.record.plan.callsign; }
  // The requests not yet delivered, in order.
  std::vector<std::string> undelivered() const;
  // The flight's phase in words: "cruise", "climb", "taxi out", ...
  std::string phaseWords() const;
  // "cruise since 14:20Z"
  std::string phaseSince() const;
  // "Resume ORV123 (cruise since 14:20Z)?"
  std::string question() const;
  // The journal's record for the log, one line a fact.
  std::vector<std::string> logLines() const;
};

// Takes the records of a journal apart (the file's records in order).
FlightJournal readFlightJournal(const std::string& path);
FlightJournal parseFlightJournal(const std::vector<std::string>& records, bool torn);

}  // namespace orvane
