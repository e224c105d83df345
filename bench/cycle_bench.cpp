// Benchmarks of one engine cycle: ORVANE reading the in-process simulator stand-in over FSUIPC.
//
// The engine runs with the product's data source (FlightData_MSFS, built by prepare) against
// a StandinServer on a socket folder of its own. A manual clock flies the default scenario
// to the phase measured; then clock and aircraft state stand still, so that every measured
// cycle does the same work. Live ACARS is off: nothing but the link and the log is involved.
// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_support.h"
#include "engine/orvane_base.h"
#include "flightmodel/scenario.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "fsuipcserver/standin_server.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane::bench {
namespace {

using standin::OffsetMemory;
using standin::Player;
using standin::StandinServer;

// The engine tracking the default scenario from the stand-in, on a manual clock.
class EngineOnStandin {
 public:
  EngineOnStandin()
      : scoped_(clock_),
        server_(memory_, dir_.path().string()),
        player_(model::default_scenario(), memory_, &server_) {}
  ~EngineOnStandin() {
    ORVANE::InitMembers();  // ends the flight and closes the link while the server still runs
    server_.stop();
  }
  EngineOnStandin(const EngineOnStandin&) = delete;
  EngineOnStandin& operator=(const EngineOnStandin&) = delete;

  // Starts the stand-in and the engine and begins the flight at the gate. False with
  // error() set when any step fails.
  bool begin() {
    fsuipc_set_socket_dir(dir_.path().string());
    if (!server_.start()) return fail("stand-in does not start: " + server_.error());
    ORVANE::InitMembers();
    ORVANE::setFlightDataFactory(nullptr);
    ORVANE::setLogFilePath(dir_.file("orvane.log"));
    FlightOptions o;
    o.POS_Report_Interval = 600;
    o.enableLiveACARS = false;
    o.enablePIREP = false;
    ORVANE::setFlightOptions(o);
    player_.apply(0.0);
    ORVANE::prepare();
    if (ORVANE::getState() != FlightState::INIT) return fail("engine not in INIT after prepare");
    if (!ORVANE::isConnectedToSim()) return fail("engine does not see the stand-in");
    ORVANE::setStaticData(scenarioFlightPlan());
    startMs_ = clock_.now_ms();
    ORVANE::BeginFlight();
    if (!waitFor(engineAcarsReady)) return fail("BEGINFLIGHT not handled");
    return true;
  }

  // Cycles along the scenario (clock moved by the loop interval each time) until the
  // engine is in state s; false when it is not reached within max_cycles.
  bool flyUntil(int s, int max_cycles) {
    for (int i = 0; i < max_cycles && ORVANE::getState() != s; ++i) {
      if (i > 0) clock_.advance(ORVANE::getLoopInterval());
      player_.apply(flightTime());
      if (!ORVANE::cycleOnce()) return fail("the flight ended early");
    }
    if (ORVANE::getState() != s) {
      return fail("state " + FlightState::stateName(static_cast<FlightState::State>(s)) +
                  " not reached");
    }
    return true;
  }

  double flightTime() { return static_cast<double>(clock_.now_ms() - startMs_) / 1000.0; }
  std::uint64_t exchanges() const { return server_.messages(); }
  StandinServer& server() { return server_; }
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& text) {
    error_ = text;
    return false;
  }

  ScratchDir dir_;
  ManualClock clock_;
  ScopedClock scoped_;
  OffsetMemory memory_;
  StandinServer server_;
  Player player_;
  std::int64_t startMs_ = 0;
  std::string error_;
};

// Measures cycleOnce in the state reached; clock and aircraft stand still meanwhile. Two
// cycles run before the measurement, so that it sees only steady cycles.
void measureCycles(benchmark::State& st, EngineOnStandin& e, int expected) {
  bool tracked = ORVANE::cycleOnce() && ORVANE::cycleOnce();
  const std::uint64_t before = e.exchanges();
  for (auto _ : st) {
    tracked = ORVANE::cycleOnce() && tracked;
  }
  const std::uint64_t after = e.exchanges();
  st.counters["exchanges"] =
      benchmark::Counter(static_cast<double>(after - before), benchmark::Counter::kAvgIterations);
  st.counters["flight_s"] = e.flightTime();
  if (!tracked) {
    st.SkipWithError("the flight ended during the measurement");
  } else if (ORVANE::getState() != expected) {
    st.SkipWithError("the engine left the measured state");
  } else if (!ORVANE::isConnectedToSim()) {
    st.SkipWithError("the link was lost during the measurement");
  }
}

// At the gate after BeginFlight, engines off: the engine waits for the engine start.
void BM_EngineCycleReady(benchmark::State& st) {
  EngineOnStandin e;
  if (!e.begin() || !e.flyUntil(FlightState::READY, 10)) {
    st.SkipWithError(e.error().c_str());
    return;
  }
  measureCycles(st, e, FlightState::READY);
}
BENCHMARK(BM_EngineCycleReady)->Unit(benchmark::kMicrosecond);

// Level at about 8000 feet in the middle of the flight.
void BM_EngineCycleCruise(benchmark::State& st) {
  EngineOnStandin e;
  if (!e.begin() || !e.flyUntil(FlightState::CRUISING, 200)) {
    st.SkipWithError(e.error().c_str());
    return;
  }
  measureCycles(st, e, FlightState::CRUISING);
}
BENCHMARK(BM_EngineCycleCruise)->Unit(benchmark::kMicrosecond);

// In cruise with the stand-in hung: it takes each batch and never answers. A cycle costs one
// link time-out (nine attempts), not one per value it reads. The attempts are shortened to
// kAttemptMs (2000 ms in the product, where the cycle then takes about 18 s); the stall
// stays within the minute the engine grants it, so the flight goes on.
void BM_EngineCycleHungSimulator(benchmark::State& st) {
  constexpr std::uint32_t kAttemptMs = 50;
  EngineOnStandin e;
  if (!e.begin() || !e.flyUntil(FlightState::CRUISING, 200)) {
    st.SkipWithError(e.error().c_str());
    return;
  }
  bool tracked = ORVANE::cycleOnce() && ORVANE::cycleOnce();
  fsuipc_set_send_timeout_ms(kAttemptMs);
  e.server().set_silent(true);
  const std::uint64_t before = e.exchanges();
  std::int64_t cycles = 0;
  for (auto _ : st) {
    tracked = ORVANE::cycleOnce() && tracked;
    ++cycles;
  }
  // The stand-in counts a message when its thread reads it, which may lag the client.
  waitFor([&] { return e.exchanges() - before >= static_cast<std::uint64_t>(9 * cycles); }, 2000);
  st.counters["exchanges"] = benchmark::Counter(static_cast<double>(e.exchanges() - before),
                                                benchmark::Counter::kAvgIterations);
  st.counters["timeout_ms"] = 9.0 * kAttemptMs;
  const bool connected = ORVANE::isConnectedToSim();
  e.server().set_silent(false);
  fsuipc_set_send_timeout_ms(2000);
  if (!tracked || ORVANE::getState() != FlightState::CRUISING) {
    st.SkipWithError("the stalled cycles ended the flight");
  } else if (!connected) {
    st.SkipWithError("the stall was taken for a lost simulator");
  }
}
BENCHMARK(BM_EngineCycleHungSimulator)->Unit(benchmark::kMillisecond)->Iterations(10);

// One exchange on its own: a 4-byte read queued and processed; the unit a cycle is made of.
void BM_LinkExchange(benchmark::State& st) {
  ScratchDir dir;
  OffsetMemory memory;
  memory.put<std::int32_t>(0x0574, 2445);
  StandinServer server(memory, dir.path().string());
  fsuipc_set_socket_dir(dir.path().string());
  std::uint32_t result = 0;
  if (server.start()) FSUIPC_Open(0, &result);
  if (!server.running() || result != FSUIPC_OK) {
    st.SkipWithError("link does not open");
    FSUIPC_Close();
    return;
  }
  std::int32_t altitude = 0;
  std::uint32_t failures = 0;
  for (auto _ : st) {
    FSUIPC_Read(0x0574, 4, &altitude, &result);
    FSUIPC_Process(&result);
    failures += result != FSUIPC_OK;
  }
  FSUIPC_Close();
  server.stop();
  if (failures != 0 || altitude != 2445) st.SkipWithError("exchanges failed");
}
BENCHMARK(BM_LinkExchange)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvane::bench

BENCHMARK_MAIN();
