// orvane-airline-server: a local airline server that a pilot's ORVANE can be pointed at.
#include <pthread.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "airline/airline_server.h"

namespace {

using orvane::airline::AirlineServer;
using orvane::airline::Reply;
using orvane::airline::Request;

struct Settings {
  int port = 8080;
  std::string log_file;
  std::string acars_path = "/liveacars.php";
  std::string info_path = "/flightinfo.php";
  std::string pirep_path = "/pirep.php";
};

void usage(std::ostream& out) {
  out << "usage: orvane-airline-server [options]\n"
         "Serves the airline's ACARS, flight-information and PIREP scripts on 127.0.0.1,\n"
         "prints every request it receives and answers it as a willing airline would.\n"
         "\n"
         "  --port N           port to listen on (default 8080; 0 picks a free one)\n"
         "  --log FILE         also append every request to FILE\n"
         "  --acars-path P     path of the live ACARS script (default /liveacars.php)\n"
         "  --info-path P      path of the flight-information script (default /flightinfo.php)\n"
         "  --pirep-path P     path of the PIREP script (default /pirep.php)\n"
         "  --help             this text\n"
         "\n"
         "Runs until interrupted (SIGINT or SIGTERM).\n";
}

// The value of a form field, up to the next "&DATA" field; the bodies are not URL-encoded,
// so that is the only separator to go by.
std::string field(const std::string& body, const std::string& name) {
  const std::string key = name + "=";
  std::size_t start = std::string::npos;
  if (body.compare(0, key.size(), key) == 0) {
    start = key.size();
  } else {
    const std::size_t at = body.find("&" + key);
    if (at != std::string::npos) start = at + 1 + key.size();
  }
  if (start == std::string::npos) return {};
  const std::size_t end = body.find("&DATA", start);
  return body.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::optional<int> parse_port(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const int port = std::stoi(text);
  if (port > 65535) return std::nullopt;
  return port;
}

class Airline {
 public:
  explicit Airline(Settings settings) : settings_(std::move(settings)) {
    if (!settings_.log_file.empty()) log_.open(settings_.log_file, std::ios::app | std::ios::binary);
  }

  bool log_ok() const { return settings_.log_file.empty() || log_.is_open(); }

  std::optional<Reply> answer(const Request& request) {
    record(request);
    if (request.path == settings_.acars_path) return acars(request);
    if (request.path == settings_.info_path) return flight_plan(request);
    if (request.path == settings_.pirep_path) return ok("1|PIREP accepted");
    return std::nullopt;  // 404
  }

 private:
  static Reply ok(std::string body) { return Reply{200, std::move(body), 0, false}; }

  Reply acars(const Request& request) {
    const std::string kind = field(request.body, "DATA2");
    if (kind == "BEGINFLIGHT") {
      return ok("1|" + std::to_string(next_id_++) + "|PosRep 0:300 10000:600");
    }
    if (kind == "TEST" || kind == "MESSAGE" || kind == "PAUSEFLIGHT" || kind == "ENDFLIGHT") {
      return ok("1|OK");
    }
    return ok("0|Unknown request [" + kind + "]");
  }

  static Reply flight_plan(const Request& request) {
    const std::string flight = field(request.body, "DATA2");
    if (flight.empty()) return ok("0|No flight number given");
    // Status, departure, arrival, alternate, route, passengers, cargo, rules, aircraft,
    // altitude: one per line.
    return ok("1|OK\nEDDF\nEGLL\nEGKK\nOBOKA UZ29 TOTSU Z29 FAM L603 MODRU\n150\n3400\nIFR\nA320\n"
              "35000");
  }

  void record(const Request& request) {
    std::lock_guard<std::mutex> lock(out_mutex_);
    // The byte count shows where a body that ends in line feeds really ends.
    const std::string text = "POST " + request.path + " (" + request.content_type + ", " +
                             std::to_string(request.body.size()) + " bytes)\n" +
                             request.body + "\n\n";
    std::cout << text << std::flush;
    if (log_.is_open()) log_ << text << std::flush;
  }

  const Settings settings_;
  std::atomic<long> next_id_{1001};
  std::mutex out_mutex_;  // guards std::cout and log_ between the server's threads
  std::ofstream log_;
};

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      usage(std::cout);
      return EXIT_SUCCESS;
    } else if (arg == "--port" && value(text)) {
      const std::optional<int> port = parse_port(text);
      if (!port) {
        std::cerr << "orvane-airline-server: bad port [" << text << "]\n";
        return EXIT_FAILURE;
      }
      settings.port = *port;
    } else if (arg == "--log" && value(settings.log_file)) {
    } else if (arg == "--acars-path" && value(settings.acars_path)) {
    } else if (arg == "--info-path" && value(settings.info_path)) {
    } else if (arg == "--pirep-path" && value(settings.pirep_path)) {
    } else {
      std::cerr << "orvane-airline-server: unknown or incomplete option [" << arg << "]\n";
      usage(std::cerr);
      return EXIT_FAILURE;
    }
  }

  // Block the stop signals before any thread starts, so that all threads inherit the mask
  // and the main thread alone takes them with sigwait.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  Airline airline(settings);
  if (!airline.log_ok()) {
    std::cerr << "orvane-airline-server: cannot open log file [" << settings.log_file << "]\n";
    return EXIT_FAILURE;
  }
  AirlineServer server(settings.port);
  server.set_handler([&airline](const Request& request) { return airline.answer(request); });
  if (!server.start()) {
    std::cerr << "orvane-airline-server: cannot listen on 127.0.0.1:" << settings.port << "\n";
    return EXIT_FAILURE;
  }
  std::cout << "ACARS server:       " << server.url(settings.acars_path) << "\n"
            << "FlightInfo server:  " << server.url(settings.info_path) << "\n"
            << "PIREP server:       " << server.url(settings.pirep_path) << "\n"
            << std::flush;

  int received = 0;
  sigwait(&stop_signals, &received);
  server.stop();
  std::cout << "Stopped.\n";
  return EXIT_SUCCESS;
}
