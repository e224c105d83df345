// FlightRecord: the event builders with the flight record they keep, and the report made from it.
// SPDX-License-Identifier: MIT
#include "acars/flight_record.h"

#include <cmath>
#include <ctime>
#include <limits>

#include "acars/message_format.h"
#include "util/clock.h"
#include "util/int_conversions.h"
#include "util/util.h"

namespace orvane {

namespace {

// The program's rounding (halves up), then the fraction dropped as the message texts do.
std::int32_t round_int(double x) { return truncate_or_min(orvane::round(x)); }

// The position, altitude, heading and airspeed lines shared by OUT, OFF, ON and IN.
std::string ground_lines(const FlightSample& s) {
  std::string text;
  text += "/POS " + format_position(s.lat, s.lon) + "\n";
  text += "/ALT " + to_str(s.alt) + "\n";
  text += "/HDG " + to_str(s.hdg) + "\n";
  text += "/HDT " + to_str(s.hdt) + "\n";
  text += "/IAS " + to_str(s.ias) + "\n";
  text += "/WND " + format_wind(s.wdir, s.wspd) + " /OAT " + to_str(s.oat) + " /TAT " +
          to_str(s.tat) + "\n";
  return text;
}

// The heading to distance lines shared by POS and ALT.
std::string cruise_lines(const FlightSample& s, double distance) {
  std::string text;
  text += "/HDG " + to_str(s.hdg) + "\n";
  text += "/HDT " + to_str(s.hdt) + "\n";
  text += "/IAS " + to_str(s.ias) + " /TAS " + to_str(s.tas) + "\n";
  text += "/WND " + format_wind(s.wdir, s.wspd) + " /OAT " + to_str(s.oat) + " /TAT " +
          to_str(s.tat) + "\n";
  text += "/FOB " + to_str(s.fuel) + "\n";
  text += "/DST " + to_str(round_int(distance)) + " - 0\n";
  return text;
}

// Event time as the report carries it: the UTC calendar fields read back as local standard
// time (equal to t where the local zone is UTC).
std::string report_time(std::int32_t t) {
  const std::time_t tt = t;
  std::tm parts{};
  if (!utc_parts(tt, parts)) return to_str(static_cast<long long>(t));
  parts.tm_isdst = 0;
  return to_str(static_cast<long long>(std::mktime(&parts)));
}

}  // namespace

void FlightRecord::updateMaxAlt(int alt) {
  if (alt > maxAlt_) maxAlt_ = alt;
}

void FlightRecord::countMessage() { messNo_ = wrap_to_int32(std::int64_t{messNo_} + 1); }

std::string FlightRecord::header(const char* label, long t) const {
  std::string text;
  text += "[" + format_date_time(t) + "]\n";
  text += "ACARS Mode: 2 Aircraft Reg: ." + plan_.registration + "\n";
  text += std::string(label) + pad_single_digit(messNo_) + "A\n";
  text += "Flight ID: " + plan_.callsign + "\n";
  text += "Message:\n";
  return text;
}

// ---- Events ------------------------------------------------------------------------------

std::string FlightRecord::beginFlightRecord(const FlightPlan& plan, const FlightSample& s,
                                            const std::string& user,
                                            const std::string& password) {
  plan_ = plan;
  messNo_ = 0;
  updateMaxAlt(s.alt);

  // The server wants the route from airport to airport.
  std::string r = trim(plan_.route);
  if (!starts_with(r, plan_.departure)) r = plan_.departure + " " + r;
  if (!ends_with(r, plan_.destination)) r = r + " " + plan_.destination;
  r = tildeize(r);

  return "BEGINFLIGHT|" + user + "||" + plan.callsign + "|" + plan.aircraft + "|" +
         plan.airline + "|" + r + "|" + format_position(s.lat, s.lon) + "|" + to_str(s.alt) +
         "||||" + to_str(s.fuel) + "|" + to_str(s.hdg) + "|" + format_wind(s.wdir, s.wspd) +
         "|" + to_str(s.oat) + "|IFR|0|" + password + "|";
}

std::string FlightRecord::outMessage(const FlightSample& s) {
  time_out_ = wrap_to_int32(s.t);
  time_off_ = 0;
  fuel_out_ = s.fuel;
  fuel_off_ = 0.0;
  current_fuel_ = s.fuel;
  zfw_ = s.zfw;
  outlat_ = s.lat;
  outlong_ = s.lon;
  outalt_ = s.alt;
  countMessage();
  updateMaxAlt(s.alt);

  std::string text = header("Msg Label: QA Block ID: 01 Msg No: M", time_out_);
  text += "OUT " + format_time(time_out_) + " /ZFW " + to_str(s.zfw) + " /FOB " +
          to_str(truncate_or_min(fuel_out_)) + " /TAW " + to_str(s.totalWeight) + "\n";
  text += "/AP " + plan_.departure + "\n";
  text += ground_lines(s);
  text += "\n";
  return text;
}

std::string FlightRecord::offMessage(const FlightSample& s) {
  // After a touch-and-go the first take-off stays the one that counts.
  if (time_off_ == 0) time_off_ = wrap_to_int32(s.t);
  if (fuel_off_ == 0.0) fuel_off_ = s.fuel;
  current_fuel_ = s.fuel;
  tow_ = s.totalWeight;
  countMessage();
  updateMaxAlt(s.alt);

  std::string text = header("Msg Label: QB Block ID: 01 Msg No: M", time_off_);
  text += "OFF " + format_time(time_off_) + " /FOB " + to_str(truncate_or_min(fuel_off_)) + " /TOW " +
          to_str(s.totalWeight) + "\n";
  text += ground_lines(s);
  text += format_engine_performance(s.n1, s.n2) + "\n";
  text += "\n";
  return text;
}

std::string FlightRecord::onMessage(const FlightSample& s) {
  time_on_ = wrap_to_int32(s.t);
  fuel_on_ = s.fuel;
  current_fuel_ = s.fuel;
  law_ = s.totalWeight;
  countMessage();
  updateMaxAlt(s.alt);

  std::string text = header("Msg Label: QC Block ID: 01 Msg No: M", time_on_);
  text += "ON " + format_time(time_on_) + " /FOB " + to_str(truncate_or_min(fuel_on_)) + " /LAW " +
          to_str(s.totalWeight) + "\n";
  text += "/AP " + plan_.destination + "\n";
  text += ground_lines(s);
  text += format_engine_performance(s.n1, s.n2) + "\n";
  text += "\n";
  return text;
}

std::string FlightRecord::inMessage(const FlightSample& s) {
  time_in_ = wrap_to_int32(s.t);
  fuel_in_ = s.fuel;
  current_fuel_ = s.fuel;
  inlat_ = s.lat;
  inlong_ = s.lon;
  inalt_ = s.alt;
  countMessage();
  updateMaxAlt(s.alt);

  std::string text = header("Msg Label: QD Block ID: 01 Msg No: M", time_in_);
  text += "IN " + format_time(time_in_) + " /FOB " + to_str(truncate_or_min(fuel_in_)) + " /RAW " +
          to_str(s.totalWeight) + "\n";
  text += ground_lines(s);
  text += "\n";
  return text;
}

std::string FlightRecord::posMessage(const FlightSample& s, const std::string& remark) {
  current_fuel_ = s.fuel;
  countMessage();
  updateMaxAlt(s.alt);

  // The first report only sets the previous position. A step that is not a number (two
  // nearly equal points, or a position that is not a number) leaves the distance as it was.
  const double kept = flown_distance_;
  if (plat_ != 1000.0 && plat_ != s.lat && plong_ != s.lon) {
    flown_distance_ += calc_distance(plat_, plong_, s.lat, s.lon);
  }
  if (std::isnan(flown_distance_) || round_int(flown_distance_) < 0) flown_distance_ = kept;
  plat_ = s.lat;
  plong_ = s.lon;

  std::string text = header("Msg Label: PR Block ID: 01 Msg No: M", s.t);
  text += "POS " + format_position(s.lat, s.lon);
  if (!remark.empty()) text += " [" + remark + "]";
  text += "\n";
  text += "/ALT " + to_str(s.alt) + "\n";
  text += cruise_lines(s, flown_distance_);
  text += "\n";
  return text;
}

std::string FlightRecord::altMessage(const FlightSample& s, const std::string& phase) {
  current_fuel_ = s.fuel;
  countMessage();
  updateMaxAlt(s.alt);

  std::string text = header("Msg Label: AR Block ID: 01 Msg No: M", s.t);
  text += "ALT " + to_str(s.alt) + " " + phase + "\n";
  text += "/POS " + format_position(s.lat, s.lon) + "\n";
  text += cruise_lines(s, flown_distance_);
  text += "\n";
  return text;
}

std::string FlightRecord::statMessage(long t) {
  countMessage();

  const std::int32_t block = wrap_to_int32(std::int64_t{time_in_} - time_out_ - block_time_paused_ -
                                    block_time_changed_);
  const std::int32_t flight = wrap_to_int32(std::int64_t{time_on_} - time_off_ - flight_time_paused_ -
                                     flight_time_changed_);

  std::string text = header("Msg Label: QM Block ID: 01 Msg No: M", t);
  // A negative time (an event missing) wraps to a very large hour count.
  text += "BLOCK TIME " + sec2hm(static_cast<unsigned int>(block)) + " /FUEL " +
          to_str(truncate_or_min(fuel_out_ - fuel_in_)) + "\n";
  text += "FLIGHT TIME " + sec2hm(static_cast<unsigned int>(flight)) + " /FUEL " +
          to_str(truncate_or_min(fuel_off_ - fuel_on_)) + "\n";
  text += "FLIGHT DISTANCE " + to_str(round_int(flown_distance_)) + "\n";
  text += "\n";
  return text;
}

std::string FlightRecord::noteMessage(const FlightSample& s, const std::string& line) {
  current_fuel_ = s.fuel;
  countMessage();

  std::string text = header("Msg Label: FT Block ID: 01 Msg No: M", s.t);
  text += line + "\n";
  text += "/POS " + format_position(s.lat, s.lon) + "\n";
  text += "/ALT " + to_str(s.alt) + "\n";
  text += "/FOB " + to_str(s.fuel) + "\n";
  text += "\n";
  return text;
}

void FlightRecord::pauseBegins() {
  time_this_pause_ = wrap_to_int32(static_cast<std::int64_t>(orvane::clock().now()));
}

void FlightRecord::pauseEnds() {
  // A resume without a pause in progress (time_this_pause_ 0) has no length to add;
  // taking "now - 0" would put decades of pause into the record. After IN the block time
  // is final: the report may already have been computed from it.
  if (time_out_ != 0 && time_in_ == 0 && time_this_pause_ != 0) {
    const std::int64_t paused =
        static_cast<std::int64_t>(orvane::clock().now()) - time_this_pause_;
    block_time_paused_ = wrap_to_int32(block_time_paused_ + paused);
    if (time_off_ != 0 && time_on_ == 0) {
      flight_time_paused_ = wrap_to_int32(flight_time_paused_ + paused);
    }
  }
  time_this_pause_ = 0;
}

void FlightRecord::realTimeChange(int seconds) {
  if (time_out_ != 0 && time_in_ == 0) {
    block_time_changed_ += seconds;
    if (time_off_ != 0 && time_on_ == 0) flight_time_changed_ += seconds;
  }
  if (time_this_pause_ != 0) time_this_pause_ += seconds;
}

// ---- Journal -----------------------------------------------------------------------------

FlightRecordValues FlightRecord::values() const {
  FlightRecordValues v;
  v.timeOut = time_out_;
  v.timeOff = time_off_;
  v.timeOn = time_on_;
  v.timeIn = time_in_;
  v.flightTimePaused = flight_time_paused_;
  v.blockTimePaused = block_time_paused_;
  v.timeThisPause = time_this_pause_;
  v.flightTimeChanged = flight_time_changed_;
  v.blockTimeChanged = block_time_changed_;
  v.fuelOut = fuel_out_;
  v.fuelOff = fuel_off_;
  v.fuelOn = fuel_on_;
  v.fuelIn = fuel_in_;
  v.currentFuel = current_fuel_;
  v.flownDistance = flown_distance_;
  v.plat = plat_;
  v.plong = plong_;
  v.zfw = zfw_;
  v.tow = tow_;
  v.law = law_;
  v.outLat = outlat_;
  v.outLong = outlong_;
  v.outAlt = outalt_;
  v.inLat = inlat_;
  v.inLong = inlong_;
  v.inAlt = inalt_;
  v.messNo = messNo_;
  v.maxAlt = maxAlt_;
  v.plan = plan_;
  return v;
}

void FlightRecord::restore(const FlightRecordValues& v) {
  time_out_ = v.timeOut;
  time_off_ = v.timeOff;
  time_on_ = v.timeOn;
  time_in_ = v.timeIn;
  flight_time_paused_ = v.flightTimePaused;
  block_time_paused_ = v.blockTimePaused;
  time_this_pause_ = v.timeThisPause;
  flight_time_changed_ = v.flightTimeChanged;
  block_time_changed_ = v.blockTimeChanged;
  fuel_out_ = v.fuelOut;
  fuel_off_ = v.fuelOff;
  fuel_on_ = v.fuelOn;
  fuel_in_ = v.fuelIn;
  current_fuel_ = v.currentFuel;
  flown_distance_ = v.flownDistance;
  plat_ = v.plat;
  plong_ = v.plong;
  zfw_ = v.zfw;
  tow_ = v.tow;
  law_ = v.law;
  outlat_ = v.outLat;
  outlong_ = v.outLong;
  outalt_ = v.outAlt;
  inlat_ = v.inLat;
  inlong_ = v.inLong;
  inalt_ = v.inAlt;
  messNo_ = v.messNo;
  maxAlt_ = v.maxAlt;
  plan_ = v.plan;
}

// ---- The report --------------------------------------------------------------------------

bool FlightRecord::complete() const {
  return time_out_ != 0 && time_off_ != 0 && time_on_ != 0 && time_in_ != 0;
}

PIREPData FlightRecord::pirep() const {
  const std::int32_t out = time_out_, off = time_off_, on = time_on_, in = time_in_;
  const std::int32_t block = wrap_to_int32(std::int64_t{in} - out - block_time_paused_ -
                                    block_time_changed_);
  const std::int32_t flight = wrap_to_int32(std::int64_t{on} - off - flight_time_paused_ -
                                     flight_time_changed_);

  PIREPData report;
  report.Callsign = plan_.callsign;
  report.Aircraft = plan_.aircraft;
  report.From = plan_.departure;
  report.To = plan_.destination;
  report.Alt = plan_.alternate;
  report.Route = plan_.route;
  report.OOut = format_utc(static_cast<std::time_t>(out), "%d.%m.%Y %H:%M", 17);
  report.Out = report_time(out);
  report.Off = report_time(off);
  report.On = report_time(on);
  report.In = report_time(in);
  report.BlockTime = s2hm(block);
  report.FliteTime = s2hm(flight);
  report.BlockFuel = to_str(truncate_or_min(fuel_out_ - fuel_in_));
  report.FliteFuel = to_str(truncate_or_min(fuel_off_ - fuel_on_));
  report.FL = to_str(maxAlt_);
  report.Passengers = plan_.passengers;
  report.Cargo = plan_.cargo;
  report.Online = "OFFLINE";
  report.Rules = plan_.rules;
  report.ZFW = to_str(zfw_);
  report.TOW = to_str(tow_);
  report.LAW = to_str(law_);
  report.OriginLat = to_str(outlat_);
  report.OriginLong = to_str(outlong_);
  report.OriginAlt = to_str(outalt_);
  report.DestinLat = to_str(inlat_);
  report.DestinLong = to_str(inlong_);
  report.DestinAlt = to_str(inalt_);
  return report;
}

// ---- Running values --------------------------------------------------------------------------

int FlightRecord::currentBlockTime() const {
  const std::int64_t out = time_out_;
  if (out == 0) return 0;
  const std::int64_t in = time_in_;
  const std::int64_t end = in != 0 ? in : static_cast<std::int64_t>(clock().now());
  return wrap_to_int32(end - out - block_time_paused_ - block_time_changed_);
}

int FlightRecord::currentFlightTime() const {
  const std::int64_t off = time_off_;
  if (off == 0) return 0;
  const std::int64_t on = time_on_;
  const std::int64_t end = on != 0 ? on : static_cast<std::int64_t>(clock().now());
  return wrap_to_int32(end - off - flight_time_paused_ - flight_time_changed_);
}

int FlightRecord::currentBlockFuel() const {
  const double out = fuel_out_;
  if (out == 0.0) return 0;
  const double in = fuel_in_;
  return static_cast<int>(in != 0.0 ? out - in : out - current_fuel_);
}

int FlightRecord::currentFlightFuel() const {
  const double off = fuel_off_;
  if (off == 0.0) return 0;
  const double on = fuel_on_;
  return static_cast<int>(on != 0.0 ? off - on : off - current_fuel_);
}

}  // namespace orvane
