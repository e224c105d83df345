// The flight journal's content: a snapshot as key=value lines, messages and track records, and reading them back.
// SPDX-License-Identifier: MIT
#include "engine/flight_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <type_traits>

#include "acars/message_format.h"
#include "util/record_file.h"
#include "util/util.h"

namespace orvane {

namespace {

const char* const kState = "STATE\n";
const char* const kMessage = "MSG\n";
const char* const kTrack = "TRACK\n";
const char* const kDelivered = "SENT\n";

std::string escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char n = text[++i];
      out += n == 'n' ? '\n' : (n == 'r' ? '\r' : n);
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string number(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// One field of a snapshot: its name, how to write it and how to read it.
struct Field {
  const char* name;
  std::function<std::string(const JournalSnapshot&)> get;
  std::function<void(JournalSnapshot&, const std::string&)> set;
};

template <typename T>
Field integer(const char* name, T JournalSnapshot::*member) {
  return {name, [member](const JournalSnapshot& s) { return std::to_string(s.*member); },
          [member](JournalSnapshot& s, const std::string& v) {
            s.*member = static_cast<T>(std::strtoll(v.c_str(), nullptr, 10));
          }};
}

// A field of a member struct of the snapshot.
template <typename S, typename T>
Field inner(const char* name, S JournalSnapshot::*part, T S::*member) {
  return {name,
          [part, member](const JournalSnapshot& s) {
            if constexpr (std::is_same_v<T, std::string>) {
              return escape((s.*part).*member);
            } else if constexpr (std::is_floating_point_v<T>) {
              return number((s.*part).*member);
            } else {
              return std::to_string((s.*part).*member);
            }
          },
          [part, member](JournalSnapshot& s, const std::string& v) {
            if constexpr (std::is_same_v<T, std::string>) {
              (s.*part).*member = unescape(v);
            } else if constexpr (std::is_floating_point_v<T>) {
              (s.*part).*member = std::strtod(v.c_str(), nullptr);
            } else {
              (s.*part).*member = static_cast<T>(std::strtoll(v.c_str(), nullptr, 10));
            }
          }};
}

template <typename T>
Field plan(const char* name, T FlightPlan::*member) {
  return {name, [member](const JournalSnapshot& s) { return escape(s.record.plan.*member); },
          [member](JournalSnapshot& s, const std::string& v) { s.record.plan.*member = unescape(v); }};
}

const std::vector<Field>& fields() {
  using S = JournalSnapshot;
  using F = FlightStateValues;
  using R = FlightRecordValues;
  static const std::vector<Field> all = {
      integer("written", &S::written), integer("phaseSince", &S::phaseSince),
      inner("state", &S::flight, &F::state), inner("climbAltSent", &S::flight, &F::climbAltSent),
      inner("cruiseAltSent", &S::flight, &F::cruiseAltSent),
      inner("descendAltSent", &S::flight, &F::descendAltSent),
      inner("reportPOS", &S::flight, &F::reportPOS),
      inner("lastPOSReport", &S::flight, &F::lastPOSReport), inner("paused", &S::flight, &F::paused),
      inner("landingVSpeed", &S::flight, &F::landingVSpeed),
      inner("loopInterval", &S::flight, &F::loopInterval), inner("lat", &S::flight, &F::lat),
      inner("lon", &S::flight, &F::lon), inner("altitude", &S::flight, &F::altitude),
      inner("placeAt", &S::flight, &F::placeAt),
      inner("posRepTable", &S::flight, &F::posRepTable),
      inner("timeOut", &S::record, &R::timeOut), inner("timeOff", &S::record, &R::timeOff),
      inner("timeOn", &S::record, &R::timeOn), inner("timeIn", &S::record, &R::timeIn),
      inner("flightTimePaused", &S::record, &R::flightTimePaused),
      inner("blockTimePaused", &S::record, &R::blockTimePaused),
      inner("timeThisPause", &S::record, &R::timeThisPause),
      inner("flightTimeChanged", &S::record, &R::flightTimeChanged),
      inner("blockTimeChanged", &S::record, &R::blockTimeChanged),
      inner("fuelOut", &S::record, &R::fuelOut), inner("fuelOff", &S::record, &R::fuelOff),
      inner("fuelOn", &S::record, &R::fuelOn), inner("fuelIn", &S::record, &R::fuelIn),
      inner("currentFuel", &S::record, &R::currentFuel),
      inner("flownDistance", &S::record, &R::flownDistance), inner("plat", &S::record, &R::plat),
      inner("plong", &S::record, &R::plong), inner("zfw", &S::record, &R::zfw),
      inner("tow", &S::record, &R::tow), inner("law", &S::record, &R::law),
      inner("outLat", &S::record, &R::outLat), inner("outLong", &S::record, &R::outLong),
      inner("outAlt", &S::record, &R::outAlt), inner("inLat", &S::record, &R::inLat),
      inner("inLong", &S::record, &R::inLong), inner("inAlt", &S::record, &R::inAlt),
      inner("messNo", &S::record, &R::messNo), inner("maxAlt", &S::record, &R::maxAlt),
      plan("callsign", &FlightPlan::callsign), plan("route", &FlightPlan::route),
      plan("departure", &FlightPlan::departure), plan("destination", &FlightPlan::destination),
      plan("alternate", &FlightPlan::alternate),
      plan("registration", &FlightPlan::registration), plan("aircraft", &FlightPlan::aircraft),
      plan("airline", &FlightPlan::airline), plan("passengers", &FlightPlan::passengers),
      plan("cargo", &FlightPlan::cargo), plan("rules", &FlightPlan::rules),
      {"dataId", [](const S& s) { return escape(s.dataId); },
       [](S& s, const std::string& v) { s.dataId = unescape(v); }},
      inner("maxRate", &S::extremes, &Extremes::maxRate),
      inner("minRate", &S::extremes, &Extremes::minRate),
      inner("maxIas", &S::extremes, &Extremes::maxIas),
      inner("maxGs", &S::extremes, &Extremes::maxGs),
      inner("landingRate", &S::extremes, &Extremes::landingVSpeed), integer("sent", &S::sent),
      integer("liveACARS", &S::liveACARS), integer("pirep", &S::pirep),
      integer("posReportInterval", &S::posReportInterval),
  };
  return all;
}

std::string phaseOf(int state) {
  switch (static_cast<FlightState::State>(state)) {
    case FlightState::READY: return "at the gate";
    case FlightState::STARTED_OUT: return "engines started";
    case FlightState::TAXIING_OUT: return "taxi out";
    case FlightState::CLIMBING: return "climb";
    case FlightState::CRUISING: return "cruise";
    case FlightState::DESCENDING: return "descent";
    case FlightState::TAXIING_IN: return "taxi in";
    case FlightState::STARTED_IN: return "at the gate, engines running";
    default: return "not under way";
  }
}

}  // namespace

std::string encodeSnapshot(const JournalSnapshot& s) {
  std::string out = kState;
  for (const Field& f : fields()) out += std::string(f.name) + "=" + f.get(s) + "\n";
  return out;
}

bool decodeSnapshot(const std::string& record, JournalSnapshot& s) {
  if (!starts_with(record, kState)) return false;
  static const std::map<std::string, const Field*> byName = [] {
    std::map<std::string, const Field*> m;
    for (const Field& f : fields()) m[f.name] = &f;
    return m;
  }();
  JournalSnapshot read;
  std::size_t at = std::char_traits<char>::length(kState);
  std::size_t known = 0;
  while (at < record.size()) {
    std::size_t end = record.find('\n', at);
    if (end == std::string::npos) end = record.size();
    const std::string line = record.substr(at, end - at);
    at = end + 1;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    const auto it = byName.find(line.substr(0, eq));
    if (it == byName.end()) continue;  // a field of a later version
    it->second->set(read, line.substr(eq + 1));
    ++known;
  }
  if (known == 0) return false;
  s = read;
  return true;
}

std::string encodeMessage(const std::string& text) { return kMessage + text; }

std::string encodeDelivered(std::size_t count) { return kDelivered + std::to_string(count); }

std::string encodeTrack(const std::vector<TrackPoint>& points) {
  std::string out = kTrack;
  for (const TrackPoint& p : points) {
    out += std::to_string(p.time) + " " + std::to_string(p.altitude) + " " +
           std::to_string(p.groundSpeed) + " " + number(p.latitude) + " " +
           number(p.longitude) + "\n";
  }
  return out;
}

FlightJournal parseFlightJournal(const std::vector<std::string>& records, bool torn) {
  FlightJournal j;
  j.exists = true;
  j.torn = torn;
  std::size_t delivered = 0;
  for (const std::string& r : records) {
    if (starts_with(r, kDelivered)) {
      const std::string count = r.substr(std::char_traits<char>::length(kDelivered));
      unsigned long long n = 0;
      if (!count.empty() && std::sscanf(count.c_str(), "%llu", &n) == 1) {
        delivered = std::max(delivered, static_cast<std::size_t>(n));
      }
    } else if (starts_with(r, kMessage)) {
      j.messages.push_back(r.substr(std::char_traits<char>::length(kMessage)));
    } else if (starts_with(r, kTrack)) {
      std::size_t at = std::char_traits<char>::length(kTrack);
      while (at < r.size()) {
        std::size_t end = r.find('\n', at);
        if (end == std::string::npos) end = r.size();
        TrackPoint p;
        long long t = 0;
        int alt = 0;
        int gs = 0;
        double lat = 0.0;
        double lon = 0.0;
        if (std::sscanf(r.substr(at, end - at).c_str(), "%lld %d %d %lf %lf", &t, &alt, &gs, &lat,
                        &lon) == 5) {
          p.time = t;
          p.altitude = alt;
          p.groundSpeed = gs;
          p.latitude = static_cast<float>(lat);
          p.longitude = static_cast<float>(lon);
          j.track.push_back(p);
        }
        at = end + 1;
      }
    } else {
      JournalSnapshot s;
      if (decodeSnapshot(r, s)) {
        j.last = s;
        j.hasSnapshot = true;
      }
    }
  }
  // A mark never counts beyond the journaled messages.
  j.last.sent = std::max(j.last.sent, std::min(delivered, j.messages.size()));
  return j;
}

FlightJournal readFlightJournal(const std::string& path) {
  const RecordsRead read = read_records(path);
  if (!read.exists) {
    FlightJournal none;
    none.exists = !read.error.empty();
    none.error = read.error;
    return none;
  }
  return parseFlightJournal(read.records, read.torn);
}

bool FlightJournal::resumable() const {
  if (!exists || !error.empty() || !hasSnapshot || last.dataId.empty()) return false;
  const int s = last.flight.state;
  return s >= FlightState::READY && s <= FlightState::STARTED_IN;
}

std::vector<std::string> FlightJournal::undelivered() const {
  if (last.sent >= messages.size()) return {};
  return std::vector<std::string>(messages.begin() + static_cast<std::ptrdiff_t>(last.sent),
                                  messages.end());
}

std::string FlightJournal::phaseWords() const { return phaseOf(last.flight.state); }

std::string FlightJournal::phaseSince() const {
  return phaseWords() + " since " + format_time(static_cast<long>(last.phaseSince));
}

std::string FlightJournal::question() const {
  return "Resume " + callsign() + " (" + phaseSince() + ")?";
}

std::vector<std::string> FlightJournal::logLines() const {
  std::vector<std::string> lines;
  if (!error.empty()) {
    lines.push_back("Flight journal: " + error);
    return lines;
  }
  if (!hasSnapshot) {
    lines.push_back("Flight journal: no flight state recorded.");
    return lines;
  }
  const JournalSnapshot& s = last;
  lines.push_back("Flight journal: flight [" + callsign() + "] from [" + s.record.plan.departure +
                  "] to [" + s.record.plan.destination + "], data id [" + s.dataId + "], " +
                  phaseWords() + " since " + format_time(static_cast<long>(s.phaseSince)) +
                  ", journaled at " + format_date_time(static_cast<long>(s.written)) +
                  (torn ? " (a torn last record ignored)" : ""));
  lines.push_back("Flight journal: OUT " + std::to_string(s.record.timeOut) + " /FOB " +
                  std::to_string(static_cast<long>(s.record.fuelOut)) + ", OFF " +
                  std::to_string(s.record.timeOff) + " /FOB " +
                  std::to_string(static_cast<long>(s.record.fuelOff)) + ", last place " +
                  format_position(s.flight.lat, s.flight.lon) + " " +
                  std::to_string(static_cast<long>(s.flight.altitude)) + " ft, highest " +
                  std::to_string(s.record.maxAlt) + " ft, " + std::to_string(track.size()) +
                  " track samples");
  lines.push_back("Flight journal: " + std::to_string(messages.size()) + " messages, " +
                  std::to_string(undelivered().size()) + " not delivered");
  for (const std::string& m : undelivered()) {
    if (starts_with(m, "BEGINFLIGHT")) continue;  // it holds the password
    lines.push_back("Flight journal: not delivered: [" + prepare_info(m) + "]");
  }
  return lines;
}

}  // namespace orvane
