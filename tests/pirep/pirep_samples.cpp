// Sample PIREP records shared by the PIREP tests, and the writer of the committed golden file.
// SPDX-License-Identifier: MIT
#include "pirep/pirep_samples.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace orvane::test {

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
