// A sample PIREP: one completed flight with every field set, for the tests and the tools.
// SPDX-License-Identifier: MIT
#include "samples/sample_pirep.h"

namespace orvane::samples {

PIREPData sample_pirep() {
  PIREPData p;
  p.Callsign = "ORV123";
  p.Aircraft = "B738";
  p.From = "EDDF";
  p.To = "LOWW";
  p.Alt = "LOWS";
  p.Route = "ANEKI Y163 NATOR UL856 BETEX";
  p.OOut = "02.07.2026 09:15";
  p.Out = "1782983700";  // 09:15:00Z
  p.Off = "1782984680";  // 09:31:20Z
  p.On = "1782988370";   // 10:32:50Z
  p.In = "1782988865";   // 10:41:05Z
  p.BlockTime = "01:26";
  p.FliteTime = "01:01";
  p.BlockFuel = "9000";
  p.FliteFuel = "7420";
  p.FL = "35000";
  p.Passengers = "154";
  p.Cargo = "2300";
  p.Online = "VATSIM";
  p.Rules = "IFR";
  p.ZFW = "121500";
  p.TOW = "139800";
  p.LAW = "131200";
  p.OriginLat = "50.0379";
  p.OriginLong = "8.57056";
  p.OriginAlt = "364";
  p.DestinLat = "48.1103";
  p.DestinLong = "16.5697";
  p.DestinAlt = "600";
  p.MaxROC = "2850";
  p.MaxROD = "1850";
  p.MaxIAS = "312";
  p.MaxGS = "468";
  p.Comment = "Smooth ride.\nLight chop near LANUX, FL350 = ok ~ 20 min.\r\nGate B4";
  p.VSLand = "212";
  return p;
}

}  // namespace orvane::samples
