// Benchmark of the event-to-server latency: a position report queued on the ACARS object
// until the local airline server on 127.0.0.1 has received it.
//
// The clock starts just before messagePOS (the call the engine cycle makes to queue a
// report) and stops when the server's handler sees the request, timestamped on arrival.
// Between two samples the send thread finishes its transfer, so every report meets an idle
// send thread, as reports seconds apart do in a flight.
// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "airline/airline_server.h"
#include "bench_support.h"

namespace orvane::bench {
namespace {

using airline::AirlineServer;
using airline::Reply;
using airline::Request;
using Steady = std::chrono::steady_clock;

const std::string kAcarsPath = "/liveacars.php";

// Arrivals of MESSAGE requests at the server, in order, with their bodies.
struct Arrivals {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<Steady::time_point> times;
  std::vector<std::string> bodies;

  void add(const std::string& body) {
    const Steady::time_point now = Steady::now();
    {
      std::lock_guard<std::mutex> g(mutex);
      times.push_back(now);
      bodies.push_back(body);
    }
    cv.notify_all();
  }
  // Waits (real time) for arrival number n (0-based).
  bool wait(std::size_t n, int timeout_ms, Steady::time_point* at, std::string* body) {
    std::unique_lock<std::mutex> lk(mutex);
    if (!cv.wait_for(lk, std::chrono::milliseconds(timeout_ms), [&] { return times.size() > n; }))
      return false;
    *at = times[n];
    *body = bodies[n];
    return true;
  }
};

// Transfers the send thread has finished ("MESSAGE [...] transmitted successfully.").
std::atomic<int> g_transmitted{0};
void countTransmitted(const std::string& text) {
  if (text.rfind("MESSAGE [", 0) == 0) ++g_transmitted;
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const std::size_t i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void BM_QueueToServerLatency(benchmark::State& st) {
  Arrivals arrivals;
  AirlineServer server;
  server.set_default(kAcarsPath, Reply{200, "1|OK"});
  server.set_handler([&arrivals](const Request& r) -> std::optional<Reply> {
    if (r.body.find("&DATA2=BEGINFLIGHT&") != std::string::npos) return Reply{200, "1|4711"};
    // The message text as the server decoded it from the form.
    if (r.body.find("&DATA2=MESSAGE&") != std::string::npos) {
      arrivals.add(r.form.get("DATA4").value_or(std::string()));
    }
    return std::nullopt;
  });
  if (!server.start()) {
    st.SkipWithError("airline server does not start");
    return;
  }
  FlightOptions o;
  o.ACARS_URL = server.url(kAcarsPath);
  o.ACARS_User = "pilot";
  o.ACARS_Password = "secret";
  o.POS_Report_Interval = 600;
  o.enableLiveACARS = true;
  ACARS acars(o, "ORVANE_BENCH", nullptr, nullptr, countTransmitted, nullptr, nullptr, nullptr,
              nullptr);
  acars.startSending();
  if (!waitFor([&] { return acars.connectTested(); }) || !acars.isLiveACARSEnabled()) {
    st.SkipWithError("connection test failed");
    return;
  }
  const SFlightData plan = scenarioFlightPlan();
  acars.messageBeginFlight(plan.sCallsign, plan.sRoute, plan.sDeparture, plan.sArrival,
                           plan.sAlternate, "D-AORV", plan.sAircraft, plan.sAirline,
                           plan.sPassengers, plan.sCargo, plan.sRules, 50.048, 8.57, 364, 9200,
                           160, 250, 10, 14);
  if (!waitFor([&] { return acars.ACARS_Ready(); })) {
    st.SkipWithError("BEGINFLIGHT not answered");
    return;
  }

  std::vector<double> samples;  // milliseconds
  std::size_t n = 0;
  long t = 1783000000;
  double lat = 50.01;
  for (auto _ : st) {
    g_transmitted = 0;
    const Steady::time_point start = Steady::now();
    const std::string text = acars.messagePOS(t, 8700, lat, 8.35, 8021, 253, 256, 250, 290, -1,
                                              10, 270, 28, "");
    Steady::time_point arrived;
    std::string body;
    const std::size_t data4 = text.find("&DATA4=");
    if (!arrivals.wait(n, 5000, &arrived, &body) || data4 == std::string::npos ||
        body != text.substr(data4 + 7)) {
      st.SkipWithError("report not received as queued");
      break;
    }
    ++n;
    const std::chrono::duration<double> d = arrived - start;
    st.SetIterationTime(d.count());
    samples.push_back(d.count() * 1000.0);
    // Not part of the sample: the send thread reads the answer and goes idle again.
    if (!waitFor([] { return g_transmitted.load() > 0; })) {
      st.SkipWithError("answer not handled");
      break;
    }
    t += 120;
    lat -= 0.01;
  }
  acars.stopSending();
  if (!samples.empty()) {
    st.counters["median_ms"] = percentile(samples, 0.5);
    st.counters["p90_ms"] = percentile(samples, 0.9);
    st.counters["max_ms"] = percentile(samples, 1.0);
    st.counters["samples"] = static_cast<double>(samples.size());
  }
}
BENCHMARK(BM_QueueToServerLatency)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvane::bench

BENCHMARK_MAIN();
