// flight_memory_bench: tracks the stand-in's default scenario gate to gate with live ACARS on
// and prints ORVANE's peak resident memory and its CPU time per engine cycle.
//
// The simulator stand-in and the airline server run in a child process, so that the figures
// are those of the tracking process alone. The engine runs on a manual clock: before each
// cycle the parent tells the child the flight time, and the child puts that moment of the
// scenario into the offsets. The clock moves by the engine's loop interval per cycle, so the
// whole flight takes a few seconds instead of eight minutes; the ACARS threads send in real
// time to the server meanwhile. Output: one "key=value" line per figure.
// SPDX-License-Identifier: MIT
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "airline/airline_server.h"
#include "bench_support.h"
#include "engine/orvane_base.h"
#include "flightmodel/scenario.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "simstandin/player.h"
#include "fsuipcserver/standin_server.h"
#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane::bench {
namespace {

const std::string kAcarsPath = "/liveacars.php";
const std::string kPirepPath = "/pirep.php";
constexpr int kMaxCycles = 1000;
// SendPIREP returns at once; the PIREP thread tests the connection and posts the report, each
// transfer bounded by the 30 s HTTP time-out. The outcome is waited for this long, no longer.
constexpr int kPirepOutcomeMs = 90000;

// ---- Pipe between the tracking process and its helper ------------------------------------

bool writeAll(int fd, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool readAll(int fd, void* data, std::size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

struct Command {
  char op = 'Q';  // 'T': apply flight time t; 'Q': report and quit
  double t = 0.0;
};

// What the helper's airline server received, and the helper's own peak memory.
struct Summary {
  std::uint32_t acarsPosts = 0;
  std::uint32_t tests = 0;  // connection tests: the flight's and the one before the PIREP
  std::uint32_t beginFlights = 0;
  std::uint32_t messages = 0;
  std::uint32_t positionReports = 0;
  std::uint32_t endFlights = 0;
  std::uint32_t endFlightLast = 0;  // ENDFLIGHT came after every MESSAGE
  std::uint32_t pirepPosts = 0;
  std::int64_t helperMaxRssKiB = 0;
};

bool contains(const std::string& s, const std::string& part) {
  return s.find(part) != std::string::npos;
}

// The child: stand-in and airline server, driven over the pipe.
int runHelper(const std::string& dir, int in, int out) {
  standin::OffsetMemory memory;
  standin::StandinServer sim(memory, dir);
  airline::AirlineServer server;
  server.set_default(kAcarsPath, airline::Reply{200, "1|OK"});
  server.set_default(kPirepPath, airline::Reply{200, "1|PIREP accepted"});
  server.set_handler([](const airline::Request& r) -> std::optional<airline::Reply> {
    if (contains(r.body, "&DATA2=BEGINFLIGHT&")) {
      return airline::Reply{200, "1|4711|PosRep 1000:60 10000:120"};
    }
    return std::nullopt;
  });
  standin::Player player(model::default_scenario(), memory, &sim);
  player.apply(0.0);
  const std::int32_t port = sim.start() && server.start() ? server.port() : 0;
  if (!writeAll(out, &port, sizeof port) || port == 0) return 1;

  Command c;
  while (readAll(in, &c, sizeof c) && c.op == 'T') {
    player.apply(c.t);
    const char ack = 1;
    if (!writeAll(out, &ack, 1)) return 1;
  }
  Summary s;
  const std::vector<airline::Request> posts = server.requests_for(kAcarsPath);
  s.acarsPosts = static_cast<std::uint32_t>(posts.size());
  bool messageAfterEnd = false;
  for (const airline::Request& r : posts) {
    s.tests += contains(r.body, "&DATA2=TEST&");
    s.beginFlights += contains(r.body, "&DATA2=BEGINFLIGHT&");
    s.endFlights += contains(r.body, "&DATA2=ENDFLIGHT&");
    if (contains(r.body, "&DATA2=MESSAGE&")) {
      ++s.messages;
      messageAfterEnd = messageAfterEnd || s.endFlights > 0;
    }
    // The message text as the server decoded it from the form.
    s.positionReports += contains(r.form.get("DATA4").value_or(std::string()), "\nPOS ");
  }
  s.endFlightLast = s.endFlights == 1 && !messageAfterEnd;
  s.pirepPosts = static_cast<std::uint32_t>(server.count(kPirepPath));
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  s.helperMaxRssKiB = ru.ru_maxrss;
  writeAll(out, &s, sizeof s);
  server.stop();
  sim.stop();
  return 0;
}

double seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
}

double processCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

double threadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// A "Vm...:" line of /proc/self/status in KiB; -1 when missing.
long statusKiB(const std::string& key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
  }
  return -1;
}

int fail(const char* text) {
  std::fprintf(stderr, "flight_memory_bench: %s\n", text);
  return 1;
}

// The parent: the engine tracking the flight.
int track(const ScratchDir& dir, int toHelper, int fromHelper) {
  std::int32_t port = 0;
  if (!readAll(fromHelper, &port, sizeof port) || port == 0) return fail("helper did not start");
  const auto sendTime = [&](double t) {
    const Command c{'T', t};
    char ack = 0;
    return writeAll(toHelper, &c, sizeof c) && readAll(fromHelper, &ack, 1);
  };

  ManualClock clock;
  ScopedClock scoped(clock);
  fsuipc_set_socket_dir(dir.path().string());
  ORVANE::setLogFilePath(dir.file("orvane.log"));
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  FlightOptions o;
  o.ACARS_URL = base + kAcarsPath;
  o.PIREP_URL = base + kPirepPath;
  o.INFO_URL = base + "/info.php";
  o.ACARS_User = o.PIREP_User = "pilot";
  o.ACARS_Password = o.PIREP_Password = "secret";
  o.POS_Report_Interval = 600;
  o.enableLiveACARS = true;
  o.enablePIREP = true;
  ORVANE::setFlightOptions(o);

  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = processCpuSeconds();
  ORVANE::prepare();
  if (ORVANE::getState() != FlightState::INIT) return fail("engine not in INIT after prepare");
  if (!ORVANE::getConnectFailed().empty()) return fail("connection test failed");
  ORVANE::setStaticData(scenarioFlightPlan());
  const std::int64_t startMs = clock.now_ms();
  ORVANE::BeginFlight();
  if (!waitFor(engineAcarsReady)) return fail("BEGINFLIGHT not answered");

  const double duration = model::default_scenario().duration();
  int cycles = 0;
  int maxState = 0;
  double cycleCpu = 0.0;
  bool ended = false;
  bool havePirep = false;
  PIREPData pirep;
  while (cycles < kMaxCycles) {
    const double t = static_cast<double>(clock.now_ms() - startMs) / 1000.0;
    if (!sendTime(t)) return fail("helper gone");
    const double c0 = threadCpuSeconds();
    const bool tracked = ORVANE::cycleOnce();
    cycleCpu += threadCpuSeconds() - c0;
    ++cycles;
    maxState = std::max(maxState, ORVANE::getState());
    if (ORVANE::PIREPDataAvailable()) {
      pirep = ORVANE::getPIREPData();
      havePirep = true;
    }
    if (!tracked) {
      ended = true;
      break;
    }
    // After the scenario the flight ends once the send thread has posted everything; give
    // it real time instead of racing the clock ahead.
    if (t > duration) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    clock.advance(ORVANE::getLoopInterval());
  }
  const double flightCpu = processCpuSeconds() - cpuStart;
  const double flightClock = static_cast<double>(clock.now_ms() - startMs) / 1000.0;
  if (!ended) return fail("the flight did not end");
  if (!havePirep) return fail("no PIREP record at the end of the flight");

  pirep.Comment = "Benchmark flight";
  if (ORVANE::getState() == FlightState::NONE) ORVANE::prepare();
  ORVANE::SendPIREP(pirep);
  if (!waitFor([] { return ORVANE::getPIREPState() != UNKNOWN; }, kPirepOutcomeMs)) {
    return fail("no PIREP outcome within 90 s of SendPIREP");
  }
  const bool pirepSent = ORVANE::getPIREPState() == SUCCESS;
  ORVANE::finalize();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  const long hwm = statusKiB("VmHWM");

  const Command quit{'Q', 0.0};
  Summary s;
  if (!writeAll(toHelper, &quit, sizeof quit) || !readAll(fromHelper, &s, sizeof s)) {
    return fail("no summary from the helper");
  }

  std::printf("cycles=%d\n", cycles);
  std::printf("flight_clock_s=%.0f\n", flightClock);
  std::printf("highest_state=%s\n",
              FlightState::stateName(static_cast<FlightState::State>(maxState)).c_str());
  std::printf("wall_s=%.3f\n", wall);
  std::printf("peak_rss_kib=%ld\n", ru.ru_maxrss);
  std::printf("vm_hwm_kib=%ld\n", hwm);
  std::printf("cycle_thread_cpu_us=%.1f\n", cycleCpu / cycles * 1e6);
  std::printf("process_cpu_per_cycle_us=%.1f\n", flightCpu / cycles * 1e6);
  std::printf("process_cpu_s=%.4f\n", flightCpu);
  std::printf("acars_posts=%u\n", s.acarsPosts);
  std::printf("acars_tests=%u\n", s.tests);
  std::printf("acars_beginflights=%u\n", s.beginFlights);
  std::printf("acars_messages=%u\n", s.messages);
  std::printf("position_reports=%u\n", s.positionReports);
  std::printf("acars_endflights=%u\n", s.endFlights);
  std::printf("pirep_posts=%u\n", s.pirepPosts);
  std::printf("pirep_sent=%d\n", pirepSent ? 1 : 0);
  std::printf("helper_peak_rss_kib=%lld\n", static_cast<long long>(s.helperMaxRssKiB));
  if (s.beginFlights != 1 || !s.endFlightLast || s.positionReports == 0 || s.pirepPosts != 1 ||
      s.acarsPosts != s.tests + s.beginFlights + s.messages + s.endFlights || !pirepSent) {
    return fail("the server did not receive the whole flight");
  }
  return 0;
}

}  // namespace
}  // namespace orvane::bench

int main() {
  using namespace orvane::bench;
  const ScratchDir dir;
  int toHelper[2];
  int fromHelper[2];
  if (pipe(toHelper) != 0 || pipe(fromHelper) != 0) return fail("pipe failed");
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return fail("fork failed");
  if (pid == 0) {
    close(toHelper[1]);
    close(fromHelper[0]);
    // _exit: the folder and everything else belong to the parent.
    _exit(runHelper(dir.path().string(), toHelper[0], fromHelper[1]));
  }
  close(toHelper[0]);
  close(fromHelper[1]);
  const int rc = track(dir, toHelper[1], fromHelper[0]);
  orvane::ORVANE::InitMembers();  // ends a flight left over by a failure, closes the link
  close(toHelper[1]);  // the helper ends on end of input if it is still waiting
  close(fromHelper[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return rc;
}
