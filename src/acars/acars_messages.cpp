// ACARS message texts: the formatters, the message operations with their flight record, and
// the pilot report computed from that record.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "util/clock.h"
#include "util/fixed_format.h"
#include "util/util.h"

namespace orvane {

namespace {

constexpr double kPi = 3.141592653589793;

// Double to int by dropping the fraction. A value that no int can hold (NaN, infinities,
// out of range) gives the most negative int, which is what the processor's conversion
// yields; writing it out as a plain cast would be undefined behaviour.
std::int32_t trunc_int(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

// The program's rounding (halves up) followed by trunc_int.
std::int32_t round_int(double x) { return trunc_int(orvane::round(x)); }

// Sums and differences of 32-bit record values wrap the way 32-bit arithmetic does.
std::int32_t wrap32(std::int64_t x) { return static_cast<std::int32_t>(x); }

// One "0" in front of values of 9 or less (negative values included): "07", "0-3", "12".
std::string pad9(long long v) {
  std::string text = to_str(v);
  if (v <= 9) text.insert(0, 1, '0');
  return text;
}

// Degrees and minutes of one coordinate's absolute value: "47 30", "33 56.76"; never an
// exponent, which servers' position parsers do not take.
std::string degrees_minutes(double a) {
  const double whole = std::trunc(a);
  if (std::isfinite(a) && whole < 2147483648.0) {
    const int d = static_cast<int>(whole);
    return to_str(d) + " " + to_fixed_str((a - d) * 60);
  }
  // A coordinate no int can hold is written as the simulator delivered it; its minutes are
  // 0 or not a number (without the sign that infinity minus infinity carries).
  return to_fixed_str(whole) + " " + to_fixed_str(std::fabs((a - whole) * 60));
}

// Lines 1 to 5 of a numbered message.
std::string message_header(const char* label, long t, std::int32_t number,
                           const std::string& registration, const std::string& callsign) {
  std::string text;
  text += "[" + ACARS::formatDateTime(t) + "]\n";
  text += "ACARS Mode: 2 Aircraft Reg: ." + registration + "\n";
  text += std::string(label) + pad9(number) + "A\n";
  text += "Flight ID: " + callsign + "\n";
  text += "Message:\n";
  return text;
}

// The position, altitude, heading and airspeed lines shared by OUT, OFF, ON and IN.
std::string ground_lines(double lat, double lon, int alt, int hdg, int hdt, int ias, int wdir,
                         int wspd, int oat, int tat) {
  std::string text;
  text += "/POS " + ACARS::formatPosition(lat, lon) + "\n";
  text += "/ALT " + to_str(alt) + "\n";
  text += "/HDG " + to_str(hdg) + "\n";
  text += "/HDT " + to_str(hdt) + "\n";
  text += "/IAS " + to_str(ias) + "\n";
  text += "/WND " + ACARS::formatWind(wdir, wspd) + " /OAT " + to_str(oat) + " /TAT " +
          to_str(tat) + "\n";
  return text;
}

// The heading to distance lines shared by POS and ALT.
std::string cruise_lines(int hdg, int hdt, int ias, int tas, int oat, int tat, int wdir,
                         int wspd, int fuel, double distance) {
  std::string text;
  text += "/HDG " + to_str(hdg) + "\n";
  text += "/HDT " + to_str(hdt) + "\n";
  text += "/IAS " + to_str(ias) + " /TAS " + to_str(tas) + "\n";
  text += "/WND " + ACARS::formatWind(wdir, wspd) + " /OAT " + to_str(oat) + " /TAT " +
          to_str(tat) + "\n";
  text += "/FOB " + to_str(fuel) + "\n";
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

// ---- Formatters ------------------------------------------------------------------------

std::string ACARS::formatPosition(double lat, double lon) {
  const std::string ns = lat < 0 ? "S" : "N";
  const std::string ew = lon < 0 ? "W" : "E";
  return ns + degrees_minutes(std::fabs(lat)) + " " + ew + degrees_minutes(std::fabs(lon));
}

std::string ACARS::formatDateTime(long t) {
  return format_utc(static_cast<std::time_t>(t), "%m/%d/%Y %H:%MZ", 19);
}

std::string ACARS::formatTime(long t) {
  return format_utc(static_cast<std::time_t>(t), "%H:%MZ", 9);
}

std::string ACARS::formatWind(int dir, int spd) {
  std::string text;
  if (dir <= 9) {
    text = "00";
  } else if (dir <= 99) {
    text = "0";
  }
  text += to_str(dir);
  if (spd <= 9) text += "0";
  text += to_str(spd);
  return text;
}

std::string ACARS::formatEnginePerformance(const std::vector<int>& n1, const std::vector<int>& n2) {
  const std::size_t engines = std::min(n1.size(), n2.size());
  std::string text;
  for (std::size_t i = 0; i < engines; ++i) {
    if (n1[i] < 0 || n2[i] < 0) continue;  // engine not present or not reporting
    if (!text.empty()) text += " ";
    const std::string number = to_str(i + 1);
    text += "/E" + number + "N1 " + to_str(n1[i]) + " /E" + number + "N2 " + to_str(n2[i]);
  }
  return text;
}

std::string sec2hm(unsigned int seconds) {
  const unsigned int hours = seconds / 3600;
  const unsigned int minutes = (seconds / 60) % 60;
  return pad9(hours) + ":" + pad9(minutes);
}

std::string s2hm(long seconds) {
  const long hours = seconds / 3600;
  const long minutes = (seconds % 3600) / 60;
  return pad9(hours) + ":" + pad9(minutes);
}

double calc_distance(double lat1, double lon1, double lat2, double lon2) {
  // Colatitudes in radians; one minute of arc along a great circle is one nautical mile.
  const double c1 = (90 - lat1) * kPi / 180;
  const double c2 = (90 - lat2) * kPi / 180;
  const double x =
      std::cos((lon2 - lon1) * kPi / 180) * std::sin(c1) * std::sin(c2) +
      std::cos(c1) * std::cos(c2);
  return std::acos(x) * 60 * 180 / kPi;
}

std::string prepare_info(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      out += " +++ ";
    } else {
      out += c;
    }
  }
  return out;
}

std::string ACARS::createMessage(const std::string& d2, const std::string& d3,
                                 const std::string& d4) {
  const std::string text = "DATA1=" + ClientName + "|" + ORVANE_VERSION + "&DATA2=" + d2 +
                           "&DATA3=" + d3 + "&DATA4=" + d4;
  appendMessage(text);
  return text;
}

void ACARS::updateMaxAlt(int alt) {
  if (alt > MaxAlt) MaxAlt = alt;
}

// ---- Message operations ----------------------------------------------------------------

std::string ACARS::messageBeginFlight(const std::string& callsign, const std::string& route,
                                      const std::string& dep, const std::string& dest,
                                      const std::string& altn, const std::string& reg,
                                      const std::string& acType, const std::string& airline,
                                      const std::string& pax, const std::string& cargo,
                                      const std::string& rules, double lat, double lon, int alt,
                                      int fuel, int hdg, int wdir, int wspd, int oat) {
  Callsign = callsign;
  Route = route;
  Departure = dep;
  Destination = dest;
  Alternate = altn;
  Registration = reg;
  AirCraft = acType;
  Passengers = pax;
  Cargo = cargo;
  Rules = rules;
  messNo = 0;
  updateMaxAlt(alt);

  // The server wants the route from airport to airport.
  std::string r = trim(Route);
  if (!starts_with(r, Departure)) r = Departure + " " + r;
  if (!ends_with(r, Destination)) r = r + " " + Destination;
  r = tildeize(r);

  const FlightOptions options = optionsCopy();
  const std::string text = "BEGINFLIGHT|" + options.ACARS_User + "||" + callsign + "|" + acType +
                           "|" + airline + "|" + r + "|" + formatPosition(lat, lon) + "|" +
                           to_str(alt) + "||||" + to_str(fuel) + "|" + to_str(hdg) + "|" +
                           formatWind(wdir, wspd) + "|" + to_str(oat) + "|IFR|0|" +
                           options.ACARS_Password + "|";
  appendMessage(text);
  return text;
}

std::string ACARS::messageOUT(long t, int fuel, int zfw_, int totalWeight, double lat, double lon,
                              int alt, int hdg, int hdt, int ias, int wdir, int wspd, int oat,
                              int tat) {
  time_out = wrap32(t);
  time_off = 0;
  fuel_out = fuel;
  fuel_off = 0.0;
  current_fuel = fuel;
  zfw = zfw_;
  outlat = lat;
  outlong = lon;
  outalt = alt;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  std::string text = message_header("Msg Label: QA Block ID: 01 Msg No: M", time_out, messNo,
                                    Registration, Callsign);
  text += "OUT " + formatTime(time_out) + " /ZFW " + to_str(zfw_) + " /FOB " +
          to_str(trunc_int(fuel_out)) + " /TAW " + to_str(totalWeight) + "\n";
  text += "/AP " + Departure + "\n";
  text += ground_lines(lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageOFF(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                              int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                              const std::vector<int>& n1, const std::vector<int>& n2) {
  // After a touch-and-go the first take-off stays the one that counts.
  if (time_off == 0) time_off = wrap32(t);
  if (fuel_off == 0.0) fuel_off = fuel;
  current_fuel = fuel;
  tow = totalWeight;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  std::string text = message_header("Msg Label: QB Block ID: 01 Msg No: M", time_off, messNo,
                                    Registration, Callsign);
  text += "OFF " + formatTime(time_off) + " /FOB " + to_str(trunc_int(fuel_off)) + " /TOW " +
          to_str(totalWeight) + "\n";
  text += ground_lines(lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  text += formatEnginePerformance(n1, n2) + "\n";
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageON(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                             int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat,
                             const std::vector<int>& n1, const std::vector<int>& n2) {
  time_on = wrap32(t);
  fuel_on = fuel;
  current_fuel = fuel;
  law = totalWeight;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  std::string text = message_header("Msg Label: QC Block ID: 01 Msg No: M", time_on, messNo,
                                    Registration, Callsign);
  text += "ON " + formatTime(time_on) + " /FOB " + to_str(trunc_int(fuel_on)) + " /LAW " +
          to_str(totalWeight) + "\n";
  text += "/AP " + Destination + "\n";
  text += ground_lines(lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  text += formatEnginePerformance(n1, n2) + "\n";
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageIN(long t, int fuel, int totalWeight, double lat, double lon, int alt,
                             int hdg, int hdt, int ias, int wdir, int wspd, int oat, int tat) {
  time_in = wrap32(t);
  fuel_in = fuel;
  current_fuel = fuel;
  inlat = lat;
  inlong = lon;
  inalt = alt;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  std::string text = message_header("Msg Label: QD Block ID: 01 Msg No: M", time_in, messNo,
                                    Registration, Callsign);
  text += "IN " + formatTime(time_in) + " /FOB " + to_str(trunc_int(fuel_in)) + " /RAW " +
          to_str(totalWeight) + "\n";
  text += ground_lines(lat, lon, alt, hdg, hdt, ias, wdir, wspd, oat, tat);
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messagePOS(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                              int ias, int tas, int oat, int tat, int wdir, int wspd,
                              const std::string& remark) {
  current_fuel = fuel;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  // The first report only sets the previous position. A step that is not a number (two
  // nearly equal points, or a position that is not a number) leaves the distance as it was.
  const double kept = flown_distance;
  if (plat != 1000.0 && plat != lat && plong != lon) {
    flown_distance += calc_distance(plat, plong, lat, lon);
  }
  if (std::isnan(flown_distance) || round_int(flown_distance) < 0) flown_distance = kept;
  plat = lat;
  plong = lon;

  std::string text = message_header("Msg Label: PR Block ID: 01 Msg No: M", t, messNo,
                                    Registration, Callsign);
  text += "POS " + formatPosition(lat, lon);
  if (!remark.empty()) text += " [" + remark + "]";
  text += "\n";
  text += "/ALT " + to_str(alt) + "\n";
  text += cruise_lines(hdg, hdt, ias, tas, oat, tat, wdir, wspd, fuel, flown_distance);
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageALT(long t, int fuel, double lat, double lon, int alt, int hdg, int hdt,
                              int ias, int tas, int oat, int tat, int wdir, int wspd,
                              const std::string& phase) {
  current_fuel = fuel;
  messNo = wrap32(std::int64_t{messNo} + 1);
  updateMaxAlt(alt);

  std::string text = message_header("Msg Label: AR Block ID: 01 Msg No: M", t, messNo,
                                    Registration, Callsign);
  text += "ALT " + to_str(alt) + " " + phase + "\n";
  text += "/POS " + formatPosition(lat, lon) + "\n";
  text += cruise_lines(hdg, hdt, ias, tas, oat, tat, wdir, wspd, fuel, flown_distance);
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageSTAT(long t) {
  messNo = wrap32(std::int64_t{messNo} + 1);

  const std::int32_t block = wrap32(std::int64_t{time_in} - time_out - block_time_paused -
                                    block_time_changed);
  const std::int32_t flight = wrap32(std::int64_t{time_on} - time_off - flight_time_paused -
                                     flight_time_changed);

  std::string text = message_header("Msg Label: QM Block ID: 01 Msg No: M", t, messNo,
                                    Registration, Callsign);
  // A negative time (an event missing) wraps to a very large hour count.
  text += "BLOCK TIME " + sec2hm(static_cast<unsigned int>(block)) + " /FUEL " +
          to_str(trunc_int(fuel_out - fuel_in)) + "\n";
  text += "FLIGHT TIME " + sec2hm(static_cast<unsigned int>(flight)) + " /FUEL " +
          to_str(trunc_int(fuel_off - fuel_on)) + "\n";
  text += "FLIGHT DISTANCE " + to_str(round_int(flown_distance)) + "\n";
  text += "\n";
  return createMessage("MESSAGE", getDataID(), text);
}

std::string ACARS::messageEndFlight() {
  const std::string text = "ENDFLIGHT|" + getDataID();
  appendMessage(text);
  return text;
}

std::string ACARS::messagePauseFlight() {
  time_this_pause = wrap32(static_cast<std::int64_t>(orvane::clock().now()));
  return createMessage("PAUSEFLIGHT", getDataID(), "1");
}

std::string ACARS::messageUnPauseFlight() {
  // A resume without a pause in progress (time_this_pause 0) has no length to add;
  // taking "now - 0" would put decades of pause into the record. After IN the block time
  // is final: the report may already have been computed from it.
  if (time_out != 0 && time_in == 0 && time_this_pause != 0) {
    const std::int64_t paused =
        static_cast<std::int64_t>(orvane::clock().now()) - time_this_pause;
    block_time_paused = wrap32(block_time_paused + paused);
    if (time_off != 0 && time_on == 0) flight_time_paused = wrap32(flight_time_paused + paused);
  }
  time_this_pause = 0;
  return createMessage("PAUSEFLIGHT", getDataID(), "0");
}

// ---- Pilot report ----------------------------------------------------------------------

PIREPData ACARS::createPIRData() const {
  const std::int32_t out = time_out, off = time_off, on = time_on, in = time_in;
  const std::int32_t block = wrap32(std::int64_t{in} - out - block_time_paused -
                                    block_time_changed);
  const std::int32_t flight = wrap32(std::int64_t{on} - off - flight_time_paused -
                                     flight_time_changed);

  PIREPData report;
  report.Callsign = Callsign;
  report.Aircraft = AirCraft;
  report.From = Departure;
  report.To = Destination;
  report.Alt = Alternate;
  report.Route = Route;
  report.OOut = format_utc(static_cast<std::time_t>(out), "%d.%m.%Y %H:%M", 17);
  report.Out = report_time(out);
  report.Off = report_time(off);
  report.On = report_time(on);
  report.In = report_time(in);
  report.BlockTime = s2hm(block);
  report.FliteTime = s2hm(flight);
  report.BlockFuel = to_str(trunc_int(fuel_out - fuel_in));
  report.FliteFuel = to_str(trunc_int(fuel_off - fuel_on));
  report.FL = to_str(MaxAlt);
  report.Passengers = Passengers;
  report.Cargo = Cargo;
  report.Online = "OFFLINE";
  report.Rules = Rules;
  report.ZFW = to_str(zfw);
  report.TOW = to_str(tow);
  report.LAW = to_str(law);
  report.OriginLat = to_str(outlat);
  report.OriginLong = to_str(outlong);
  report.OriginAlt = to_str(outalt);
  report.DestinLat = to_str(inlat);
  report.DestinLong = to_str(inlong);
  report.DestinAlt = to_str(inalt);
  return report;
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
