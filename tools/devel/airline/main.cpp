// orvane-airline-server: a local airline server that a pilot's ORVANE can be pointed at.
// SPDX-License-Identifier: MIT
#include <pthread.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "airline/airline_server.h"
#include "airline/replies.h"

namespace {

using orvane::airline::AirlineServer;
using orvane::airline::Kind;
using orvane::airline::Outage;
using orvane::airline::Reply;
using orvane::airline::Request;

// Size of the "big" answer: far more than any log should hold.
constexpr std::size_t kBigAnswerBytes = std::size_t{10} * 1024 * 1024;

// One --answer: the kind of request and how it is answered instead of willingly.
struct Scripted {
  Kind kind = Kind::Other;
  std::string what;           // html, php-warning, empty, big, refuse, redirect
  int status = 0;             // redirect: 301, 302, 307, 308
  std::string redirect_path;  // redirect: the new path on this server
};

struct Settings {
  int port = 8080;
  std::string log_file;
  std::string acars_path = "/liveacars.php";
  std::string info_path = "/flightinfo.php";
  std::string pirep_path = "/pirep.php";
  std::vector<Scripted> answers;
  long down_seconds = 0;
  std::vector<Kind> down_kinds;  // empty: every request
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
         "  --answer KIND=HOW  answer every request of KIND as a faulty server does; KIND is\n"
         "                     test, beginflight, message, pauseflight, endflight, flightplan\n"
         "                     or pirep; HOW is html (a web page, status 200), php-warning\n"
         "                     (PHP warnings ahead of the answer), empty, big (10 MB), refuse\n"
         "                     (\"0|Refused by the airline\") or redirect:CODE:PATH (CODE 301,\n"
         "                     302, 307 or 308 to PATH on this server, which answers as the\n"
         "                     script did); may be given more than once\n"
         "  --down-first S     answer 503 for the first S seconds after start\n"
         "  --down-kinds LIST  only these kinds (comma-separated) are down (default: all)\n"
         "  --help             this text\n"
         "\n"
         "Runs until interrupted (SIGINT or SIGTERM).\n";
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

std::optional<long> parse_seconds(const std::string& text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  return std::stol(text);
}

// "KIND=HOW" of --answer.
std::optional<Scripted> parse_answer(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) return std::nullopt;
  Scripted s;
  s.kind = orvane::airline::kind_named(text.substr(0, equals));
  s.what = text.substr(equals + 1);
  if (s.kind == Kind::Other) return std::nullopt;
  if (s.what.rfind("redirect:", 0) == 0) {
    const std::size_t colon = s.what.find(':', 9);
    if (colon == std::string::npos) return std::nullopt;
    const std::string code = s.what.substr(9, colon - 9);
    s.redirect_path = s.what.substr(colon + 1);
    if (code != "301" && code != "302" && code != "307" && code != "308") return std::nullopt;
    if (s.redirect_path.empty() || s.redirect_path[0] != '/') return std::nullopt;
    s.status = std::stoi(code);
    s.what = "redirect";
    return s;
  }
  static const std::set<std::string> known = {"html", "php-warning", "empty", "big", "refuse"};
  if (known.count(s.what) == 0) return std::nullopt;
  return s;
}

std::optional<std::vector<Kind>> parse_kinds(const std::string& text) {
  std::vector<Kind> kinds;
  std::istringstream in(text);
  std::string name;
  while (std::getline(in, name, ',')) {
    const Kind kind = orvane::airline::kind_named(name);
    if (kind == Kind::Other) return std::nullopt;
    kinds.push_back(kind);
  }
  if (kinds.empty()) return std::nullopt;
  return kinds;
}

// Reads the command line into settings; false (with the reason on stderr) when it cannot.
// exit_now: --help was given and answered.
bool parse_arguments(int argc, char** argv, Settings& settings, bool& exit_now) {
  exit_now = false;
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
      exit_now = true;
      return true;
    } else if (arg == "--port" && value(text)) {
      const std::optional<int> port = parse_port(text);
      if (!port) {
        std::cerr << "orvane-airline-server: bad port [" << text << "]\n";
        return false;
      }
      settings.port = *port;
    } else if (arg == "--log" && value(settings.log_file)) {
    } else if (arg == "--acars-path" && value(settings.acars_path)) {
    } else if (arg == "--info-path" && value(settings.info_path)) {
    } else if (arg == "--pirep-path" && value(settings.pirep_path)) {
    } else if (arg == "--answer" && value(text)) {
      const std::optional<Scripted> scripted = parse_answer(text);
      if (!scripted) {
        std::cerr << "orvane-airline-server: bad answer [" << text << "]\n";
        return false;
      }
      settings.answers.push_back(*scripted);
    } else if (arg == "--down-first" && value(text)) {
      const std::optional<long> seconds = parse_seconds(text);
      if (!seconds) {
        std::cerr << "orvane-airline-server: bad seconds [" << text << "]\n";
        return false;
      }
      settings.down_seconds = *seconds;
    } else if (arg == "--down-kinds" && value(text)) {
      const std::optional<std::vector<Kind>> kinds = parse_kinds(text);
      if (!kinds) {
        std::cerr << "orvane-airline-server: bad kinds [" << text << "]\n";
        return false;
      }
      settings.down_kinds = *kinds;
    } else {
      std::cerr << "orvane-airline-server: unknown or incomplete option [" << arg << "]\n";
      usage(std::cerr);
      return false;
    }
  }
  return true;
}

class Airline {
 public:
  explicit Airline(Settings settings) : settings_(std::move(settings)) {
    if (!settings_.log_file.empty()) log_.open(settings_.log_file, std::ios::app | std::ios::binary);
    for (const Scripted& s : settings_.answers) {
      if (s.what == "redirect") moved_[s.redirect_path] = path_of(s.kind);
    }
  }

  bool log_ok() const { return settings_.log_file.empty() || log_.is_open(); }

  // The script's path of a kind of request.
  const std::string& path_of(Kind kind) const {
    if (kind == Kind::FlightPlan) return settings_.info_path;
    if (kind == Kind::Pirep) return settings_.pirep_path;
    return settings_.acars_path;
  }

  // Puts the --answer scripts on the server, each kept to its kind's own path so that a
  // redirect's new path answers as the script did, and starts the outage.
  void script(AirlineServer& server) const {
    for (const Scripted& s : settings_.answers) {
      server.set_kind_default(s.kind, reply_for(server, s), path_of(s.kind));
    }
    if (settings_.down_seconds > 0) {
      Outage outage;
      outage.duration_ms = settings_.down_seconds * 1000;
      outage.kinds = settings_.down_kinds;
      server.set_outage(outage);
    }
  }

  // The willing airline's answer; nullopt for a request the script answers.
  std::optional<Reply> answer(const Request& request) {
    record(request);
    std::string path = request.path;
    if (auto moved = moved_.find(path); moved != moved_.end()) {
      path = moved->second;
    } else if (scripted(request.kind)) {
      return std::nullopt;
    }
    if (path == settings_.acars_path) return acars(request);
    if (path == settings_.info_path) return flight_plan(request);
    if (path == settings_.pirep_path) return ok("1|PIREP accepted");
    return std::nullopt;  // 404
  }

 private:
  static Reply ok(std::string body) { return Reply{200, std::move(body), 0, false}; }

  bool scripted(Kind kind) const {
    for (const Scripted& s : settings_.answers) {
      if (s.kind == kind) return true;
    }
    return false;
  }

  static Reply reply_for(const AirlineServer& server, const Scripted& s) {
    if (s.what == "html") return orvane::airline::html_page();
    if (s.what == "php-warning") return orvane::airline::php_warning_page("1|OK");
    if (s.what == "empty") return orvane::airline::empty_answer();
    if (s.what == "big") return orvane::airline::large_answer(kBigAnswerBytes);
    if (s.what == "redirect") return server.redirect(s.status, s.redirect_path);
    return ok("0|Refused by the airline");
  }

  Reply acars(const Request& request) {
    const std::string kind = request.form.value("DATA2");
    if (kind == "BEGINFLIGHT") {
      return ok("1|" + std::to_string(next_id_++) + "|PosRep 0:300 10000:600");
    }
    if (kind == "TEST" || kind == "MESSAGE" || kind == "PAUSEFLIGHT" || kind == "ENDFLIGHT") {
      return ok("1|OK");
    }
    return ok("0|Unknown request [" + kind + "]");
  }

  static Reply flight_plan(const Request& request) {
    const std::string flight = request.form.value("DATA2");
    if (flight.empty()) return ok("0|No flight number given");
    // "1|flightplan", then departure, arrival, alternate, route, passengers, cargo, rules,
    // aircraft, altitude: one per line, as phpVMS answers.
    return ok("1|flightplan\nEDDF\nEGLL\nEGKK\nOBOKA UZ29 TOTSU Z29 FAM L603 MODRU\n150\n3400\n"
              "IFR\nA320\n35000");
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
  // A redirect's new path -> the script's path; written only by the constructor.
  std::map<std::string, std::string> moved_;
  std::atomic<long> next_id_{1001};
  std::mutex out_mutex_;  // guards std::cout and log_ between the server's threads
  std::ofstream log_;
};

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  bool exit_now = false;
  if (!parse_arguments(argc, argv, settings, exit_now)) return EXIT_FAILURE;
  if (exit_now) return EXIT_SUCCESS;

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
  // A redirect names this server's own address, so the script needs the port: a given one
  // is known before the start; a free one only after it, but then no client knows the
  // address before it is printed below.
  if (settings.port != 0) airline.script(server);
  if (!server.start()) {
    std::cerr << "orvane-airline-server: cannot listen on 127.0.0.1:" << settings.port << "\n";
    return EXIT_FAILURE;
  }
  if (settings.port == 0) airline.script(server);
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
