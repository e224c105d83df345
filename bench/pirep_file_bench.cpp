// Benchmarks of the PIREP file format: one record encrypted with pack_crypt and read back
// with unpack_crypt.
// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "pirep/PIREPData.h"

namespace orvane::bench {
namespace {

// A report as the default scenario's flight produces it, with a pilot's comment.
PIREPData sampleReport() {
  PIREPData p;
  p.Callsign = "ORV101";
  p.Aircraft = "A320";
  p.From = "EDDF";
  p.To = "EDFZ";
  p.Alt = "EDFE";
  p.Route = "TABUM T180 DIRECT";
  p.OOut = "02.07.2026 13:47";
  p.Out = "1783000025";
  p.Off = "1783000077";
  p.On = "1783000402";
  p.In = "1783000458";
  p.BlockTime = "00:07";
  p.FliteTime = "00:05";
  p.BlockFuel = "646";
  p.FliteFuel = "520";
  p.FL = "8021";
  p.Passengers = "150";
  p.Cargo = "2200";
  p.Online = "OFFLINE";
  p.Rules = "IFR";
  p.ZFW = "128500";
  p.TOW = "137599";
  p.LAW = "137079";
  p.OriginLat = "50.048";
  p.OriginLong = "8.57";
  p.OriginAlt = "364";
  p.DestinLat = "49.96154";
  p.DestinLong = "8.05386";
  p.DestinAlt = "748";
  p.MaxROC = "5000";
  p.MaxROD = "4000";
  p.MaxIAS = "250";
  p.MaxGS = "262";
  p.Comment = "Short hop west, smooth ride, light chop below 3000 ft on the approach.";
  p.VSLand = "150";
  return p;
}

void BM_PackCrypt(benchmark::State& st) {
  const PIREPData p = sampleReport();
  std::size_t bytes = 0;
  for (auto _ : st) {
    const std::string out = p.pack_crypt();
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  st.counters["record_bytes"] = static_cast<double>(bytes);
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                       static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_PackCrypt)->Unit(benchmark::kMicrosecond);

void BM_UnpackCrypt(benchmark::State& st) {
  const PIREPData p = sampleReport();
  const std::string bytes = p.pack_crypt();
  PIREPData q;
  for (auto _ : st) {
    q = PIREPData{};
    q.unpack_crypt(bytes);
    benchmark::DoNotOptimize(q.Comment.data());
  }
  if (!(q == p)) st.SkipWithError("record does not read back as written");
  st.counters["record_bytes"] = static_cast<double>(bytes.size());
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                       static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_UnpackCrypt)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvane::bench

BENCHMARK_MAIN();
