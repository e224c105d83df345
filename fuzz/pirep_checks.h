// What every PIREP load must keep, whatever the bytes: only std::runtime_error escapes, a
// refused load leaves the record as it was, and a loaded record survives saving again.
// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "pirep/PIREPData.h"
#include "util/util.h"

namespace orvane::fuzz {

// A record with every field set, so that a load that touches a field it must not (on a
// refusal, or one the file's version does not carry) shows up. Every value survives a
// save and load.
inline PIREPData filled_record() {
  PIREPData p;
  p.Callsign = "ORV123";
  p.Aircraft = "B738";
  p.From = "EDDF";
  p.To = "EDDM";
  p.Alt = "EDDN";
  p.Route = "ANEKI~Y163~NATOR";
  p.OOut = "08.12.2024 10:15";
  p.Out = "1733652900";
  p.Off = "1733653500";
  p.On = "1733656200";
  p.In = "1733656500";
  p.BlockTime = "01:00";
  p.FliteTime = "00:45";
  p.BlockFuel = "6200";
  p.FliteFuel = "5600";
  p.FL = "33000";
  p.Passengers = "154";
  p.Cargo = "3400";
  p.Online = "VATSIM";
  p.Rules = "IFR";
  p.ZFW = "120000";
  p.TOW = "135000";
  p.LAW = "129400";
  p.OriginLat = "50.0333";
  p.OriginLong = "8.5706";
  p.OriginAlt = "364";
  p.DestinLat = "48.3538";
  p.DestinLong = "11.7861";
  p.DestinAlt = "1487";
  p.MaxROC = "3100";
  p.MaxROD = "2800";
  p.MaxIAS = "290";
  p.MaxGS = "455";
  p.Comment = "smooth\nflight = fine ~ ok";
  p.VSLand = "143";
  return p;
}

// Every field but the comment comes from one "key=value" line: no line feed, no "=", and
// no whitespace at either end.
inline bool plain_value(const std::string& v) {
  if (v.find('\n') != std::string::npos || v.find('=') != std::string::npos) return false;
  return v == trim(v);
}

inline void check_loaded(const PIREPData& p) {
  const std::string* plain[] = {
      &p.Callsign,   &p.Aircraft,  &p.From,      &p.To,         &p.Alt,        &p.Route,
      &p.OOut,       &p.Out,       &p.Off,       &p.On,         &p.In,         &p.BlockTime,
      &p.FliteTime,  &p.BlockFuel, &p.FliteFuel, &p.FL,         &p.Passengers, &p.Cargo,
      &p.Online,     &p.Rules,     &p.ZFW,       &p.TOW,        &p.LAW,        &p.OriginLat,
      &p.OriginLong, &p.OriginAlt, &p.DestinLat, &p.DestinLong, &p.DestinAlt,  &p.MaxROC,
      &p.MaxROD,     &p.MaxIAS,    &p.MaxGS,     &p.VSLand};
  for (const std::string* v : plain) FUZZ_CHECK(plain_value(*v));

  const std::string text = p.pack();
  PIREPData again;
  again.unpack(text);
  FUZZ_CHECK(again == p);
  FUZZ_CHECK(again.pack() == text);

  const std::string file = p.pack_crypt();
  FUZZ_CHECK(file.size() == text.size());
  PIREPData from_file;
  from_file.unpack_crypt(file);
  FUZZ_CHECK(from_file == p);

  // A loaded record is shown to the pilot.
  FUZZ_CHECK(!p.Generate_PIREP_Text().empty());
  correct_lat_lon(p.OriginLat, true);
  correct_lat_lon(p.DestinLong, false);
}

template <class Load>
void check_load(Load load) {
  PIREPData p = filled_record();
  const PIREPData before = p;
  try {
    load(p);
  } catch (const std::runtime_error&) {
    FUZZ_CHECK(p == before);
    return;
  }
  check_loaded(p);
}

}  // namespace orvane::fuzz
