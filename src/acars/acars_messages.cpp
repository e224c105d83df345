// The ACARS object's message operations: positional values made samples, texts queued, the report.
// SPDX-License-Identifier: MIT
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "util/util.h"

namespace orvane {

// ---- Formatters ------------------------------------------------------------------------

std::string ACARS::formatPosition(double lat, double lon) { return format_position(lat, lon); }
std::string ACARS::formatDateTime(long t) { return format_date_time(t); }
std::string ACARS::formatTime(long t) { return format_time(t); }
std::string ACARS::formatWind(int dir, int spd) { return format_wind(dir, spd); }
std::string ACARS::formatEnginePerformance(const std::vector<int>& n1,
                                           const std::vector<int>& n2) {
  return format_engine_performance(n1, n2);
}

std::string ACARS::createMessage(const std::string& d2, const std::string& d3,
                                 const std::string& d4) {
  const std::string text = "DATA1=" + ClientName + "|" + PROTOCOL_VERSION + "&DATA2=" + d2 +
                           "&DATA3=" + d3 + "&DATA4=" + d4;
  queue_.append(text);
  return text;
}

std::string ACARS::queueMessage(const std::string& text) {
  return createMessage("MESSAGE", getDataID(), text);
}

// ---- Message operations ----------------------------------------------------------------

std::string ACARS::messageBeginFlight(const std::string& callsign, const std::string& route,
                                      const std::string& dep, const std::string& dest,
                                      const std::string& altn, const std::string& reg,
                                      const std::string& acType, const std::string& airline,
                                      const std::string& pax, const std::string& cargo,
                                      const std::string& rules, double lat, double lon, int alt,
                                      int fuel, int hdg, int wdir, int wspd, int oat) {
  FlightPlan plan;
  plan.callsign = callsign;
  plan.route = route;
  plan.departure = dep;
  plan.destination = dest;
  plan.alternate = altn;
  plan.registration = reg;
  plan.aircraft = acType;
  plan.airline = airline;
  plan.passengers = pax;
  plan.cargo = cargo;
  plan.rules = rules;
  FlightSample s;
  s.lat = lat;
  s.lon = lon;
  s.alt = alt;
  s.fuel = fuel;
  s.hdg = hdg;
  s.wdir = wdir;
  s.wspd = wspd;
  s.oat = oat;
  const FlightOptions options = optionsCopy();
  const std::string text =
      record_.beginFlightRecord(plan, s, options.ACARS_User, options.ACARS_Password);
  link_.beginFlightQueued();
  queue_.append(text);
  return text;
}

namespace {

// The sample of an OUT, OFF, ON or IN message.
FlightSample groundSample(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                          int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat) {
  FlightSample s;
  s.t = t;
  s.fuel = fuel;
  s.totalWeight = totalWeight;
  s.lat = lat;
  s.lon = lon;
  s.alt = alt;
  s.hdg = hdg;
  s.hdt = hdt;
  s.ias = ias;
  s.wdir = wdir;
  s.wspd = wspd;
  s.oat = oat;
  s.tat = tat;
  return s;
}

// The sample of a POS or ALT message.
FlightSample cruiseSample(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                          int ias, int tas, int oat, int tat, int wdir, int wspd) {
  FlightSample s = groundSample(t, fuel, 0, lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  s.tas = tas;
  return s;
}

}  // namespace

std::string ACARS::messageOUT(long t, int fuel, int zfw, int totalWeight, double lat, double lon,
                              int alt, int hdg, int hdt, int ias, int wdir, int wspd, int oat,
                              int tat) {
  FlightSample s =
      groundSample(t, fuel, totalWeight, lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  s.zfw = zfw;
  return queueMessage(record_.outMessage(s));
}

std::string ACARS::messageOFF(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                              int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                              const std::vector<int>& n1, const std::vector<int>& n2) {
  FlightSample s =
      groundSample(t, fuel, totalWeight, lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  s.n1 = n1;
  s.n2 = n2;
  return queueMessage(record_.offMessage(s));
}

std::string ACARS::messageON(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                             int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                             const std::vector<int>& n1, const std::vector<int>& n2) {
  FlightSample s =
      groundSample(t, fuel, totalWeight, lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  s.n1 = n1;
  s.n2 = n2;
  return queueMessage(record_.onMessage(s));
}

std::string ACARS::messageIN(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                             int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat) {
  return queueMessage(record_.inMessage(
      groundSample(t, fuel, totalWeight, lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat)));
}

std::string ACARS::messagePOS(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                              int ias, int tas, int oat, int tat, int wdir, int wspd,
                              const std::string& remark) {
  return queueMessage(record_.posMessage(
      cruiseSample(t, fuel, lat, lon, alt, hdg, hdt, ias, tas, oat, tat, wdir, wspd), remark));
}

std::string ACARS::messageALT(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                              int ias, int tas, int oat, int tat, int wdir, int wspd,
                              const std::string& phase) {
  return queueMessage(record_.altMessage(
      cruiseSample(t, fuel, lat, lon, alt, hdg, hdt, ias, tas, oat, tat, wdir, wspd), phase));
}

std::string ACARS::messageSTAT(long t) { return queueMessage(record_.statMessage(t)); }

std::string ACARS::messageNote(long t, int fuel, double lat, double lon, int alt,
                               const std::string& line) {
  FlightSample s;
  s.t = t;
  s.fuel = fuel;
  s.lat = lat;
  s.lon = lon;
  s.alt = alt;
  return queueMessage(record_.noteMessage(s, line));
}

std::string ACARS::messageEndFlight() {
  const std::string text = "ENDFLIGHT|" + getDataID();
  link_.endFlightQueued();
  // The report exists the moment the flight ends, from what was recorded: it never waits for
  // the server's answer to ENDFLIGHT, which goes out in the background. It is made before
  // ENDFLIGHT is queued, so the log tells the two in the order they happened.
  // A flight without a data id has no report, as always: one that never began, or whose
  // BEGINFLIGHT the airline refused; one whose BEGINFLIGHT still waits for the server has.
  const bool mayReport =
      !getDataID().empty() || (link_.beginQueued() && !link_.beginHandled());
  if (isPIREPEnabled() && mayReport && !reportMade_.exchange(true)) {
    sendInfo("Starting PIREP Transaction.");
    reportFrom(record_);
  }
  // The send thread keeps this copy of the record, its own: nothing the cycle records after
  // the flight's end reaches it.
  queue_.append(text, std::make_shared<const FlightRecord>(record_));
  return text;
}

std::string ACARS::messagePauseFlight() {
  record_.pauseBegins();
  return createMessage("PAUSEFLIGHT", getDataID(), "1");
}

std::string ACARS::messageUnPauseFlight() {
  record_.pauseEnds();
  return createMessage("PAUSEFLIGHT", getDataID(), "0");
}

// ---- Pilot report ----------------------------------------------------------------------

PIREPData ACARS::createPIRData() const { return record_.pirep(); }

void ACARS::askForPIREP() { reportFrom(record_); }

void ACARS::reportFrom(const FlightRecord& record) {
  if (record.complete()) {
    const PIREPData report = record.pirep();
    {
      std::lock_guard<std::mutex> g(lock_);
      PIRData = report;
    }
    if (PIRDataCB) PIRDataCB(report);
  } else {
    PIREPCancel();
  }
}

void AskForPIREP(ACARS* object) {
  if (object == nullptr || !object->isPIREPEnabled()) return;
  object->sendInfo("Starting PIREP Transaction.");
  object->askForPIREP();
}

std::string ACARS::getPIREP() const {
  const FlightOptions options = optionsCopy();
  PIREPData r;
  {
    std::lock_guard<std::mutex> guard(lock_);
    r = PIRData;
  }
  // Only the comment may hold "~" or line breaks safely, so only it is encoded.
  const std::string* const fields[] = {
      &options.PIREP_User, &options.PIREP_Password, &r.Callsign, &r.Aircraft, &r.FL,
      &r.Rules, &r.From, &r.To, &r.Alt, &r.OOut, &r.BlockTime, &r.FliteTime, &r.BlockFuel,
      &r.FliteFuel, &r.Passengers, &r.Cargo, &r.Online, &r.Out, &r.Off, &r.On, &r.In, &r.ZFW,
      &r.TOW, &r.LAW, &r.OriginLat, &r.OriginLong, &r.OriginAlt, &r.DestinLat, &r.DestinLong,
      &r.DestinAlt, &r.MaxROC, &r.MaxROD, &r.MaxIAS, &r.MaxGS};
  std::string text;
  for (const std::string* field : fields) {
    text += *field;
    text += "~";
  }
  text += base64encode(r.Comment);
  return text;
}

}  // namespace orvane
