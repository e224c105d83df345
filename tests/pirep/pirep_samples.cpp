// Sample PIREP records shared by the PIREP tests, and the writer of the committed golden file.
#include "pirep/pirep_samples.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace orvane::test {

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

PIREPData sentinel_pirep() {
  PIREPData p;
  p.Callsign = "keep-Callsign";
  p.Aircraft = "keep-Aircraft";
  p.From = "keep-From";
  p.To = "keep-To";
  p.Alt = "keep-Alt";
  p.Route = "keep-Route";
  p.OOut = "keep-OOut";
  p.Out = "keep-Out";
  p.Off = "keep-Off";
  p.On = "keep-On";
  p.In = "keep-In";
  p.BlockTime = "keep-BlockTime";
  p.FliteTime = "keep-FliteTime";
  p.BlockFuel = "keep-BlockFuel";
  p.FliteFuel = "keep-FliteFuel";
  p.FL = "keep-FL";
  p.Passengers = "keep-Passengers";
  p.Cargo = "keep-Cargo";
  p.Online = "keep-Online";
  p.Rules = "keep-Rules";
  p.ZFW = "keep-ZFW";
  p.TOW = "keep-TOW";
  p.LAW = "keep-LAW";
  p.OriginLat = "keep-OriginLat";
  p.OriginLong = "keep-OriginLong";
  p.OriginAlt = "keep-OriginAlt";
  p.DestinLat = "keep-DestinLat";
  p.DestinLong = "keep-DestinLong";
  p.DestinAlt = "keep-DestinAlt";
  p.MaxROC = "keep-MaxROC";
  p.MaxROD = "keep-MaxROD";
  p.MaxIAS = "keep-MaxIAS";
  p.MaxGS = "keep-MaxGS";
  p.Comment = "keep-Comment";
  p.VSLand = "keep-VSLand";
  return p;
}

std::string test_data_path(const std::string& name) {
  const char* dir = std::getenv("ORVANE_TEST_DATA");
  if (dir == nullptr) throw std::runtime_error("ORVANE_TEST_DATA is not set");
  return std::string(dir) + "/" + name;
}

void write_golden_file(const std::string& path) {
  const std::string bytes = sample_pirep().pack_crypt();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace orvane::test
