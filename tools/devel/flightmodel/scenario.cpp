// Scenario text parser: turns keyframe, event and setting lines into a FlightModel.
// SPDX-License-Identifier: MIT
#include "flightmodel/scenario.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace orvane::model {

namespace {

constexpr double kMaxScenarioTime = 1e6;  // seconds, about eleven and a half days
constexpr std::size_t kMaxRegistration = 12;
constexpr std::size_t kQuoteLimit = 32;  // bytes of a bad word repeated in a message

struct Field {
  const char* name;
  double min;
  double max;
  bool whole;  // only whole numbers
  void (*apply)(AircraftState&, double);
};

void set_n1(AircraftState& s, std::size_t i, double v) { s.n1[i] = v; }
void set_n2(AircraftState& s, std::size_t i, double v) { s.n2[i] = v; }
void set_fire(AircraftState& s, std::size_t i, double v) {
  // The first fire field hands every engine's combustion over to the fire fields; engines
  // it does not name take what the N2 rule gives at this keyframe.
  if (!s.fire_set) {
    for (std::size_t e = 0; e < s.fire.size(); ++e) s.fire[e] = s.n2[e] > FlightModel::kFiringN2;
    s.fire_set = true;
  }
  s.fire[i] = v != 0;
}
void set_fire_all(AircraftState& s, double v) {
  for (std::size_t i = 0; i < s.fire.size(); ++i) set_fire(s, i, v);
}

const Field kFields[] = {
    {"lat", -90, 90, false, [](AircraftState& s, double v) { s.lat = v; }},
    {"lon", -180, 180, false, [](AircraftState& s, double v) { s.lon = v; }},
    {"gs", 0, 2000, false, [](AircraftState& s, double v) { s.gs = v; }},
    {"vs", -30000, 30000, false, [](AircraftState& s, double v) { s.vs = v; }},
    {"height", -2000, 100000, false, [](AircraftState& s, double v) { s.height = v; }},
    {"alt", -2000, 100000, false, [](AircraftState& s, double v) { s.alt = v; }},
    {"hdg", 0, 360, false, [](AircraftState& s, double v) { s.true_heading = v; }},
    {"var", -180, 180, false, [](AircraftState& s, double v) { s.mag_var = v; }},
    {"ias", 0, 2000, false, [](AircraftState& s, double v) { s.ias = v; }},
    {"tas", 0, 2000, false, [](AircraftState& s, double v) { s.tas = v; }},
    {"oat", -100, 100, false, [](AircraftState& s, double v) { s.oat = v; }},
    {"tat", -100, 150, false, [](AircraftState& s, double v) { s.tat = v; }},
    {"wind_dir", 0, 360, false, [](AircraftState& s, double v) { s.wind_dir = v; }},
    {"wind_speed", 0, 500, false, [](AircraftState& s, double v) { s.wind_speed = v; }},
    {"engines", 0, 4, true, [](AircraftState& s, double v) { s.engines = static_cast<int>(v); }},
    {"n1", 0, 150, false, [](AircraftState& s, double v) { s.n1.fill(v); }},
    {"n2", 0, 150, false, [](AircraftState& s, double v) { s.n2.fill(v); }},
    {"n1_1", 0, 150, false, [](AircraftState& s, double v) { set_n1(s, 0, v); }},
    {"n1_2", 0, 150, false, [](AircraftState& s, double v) { set_n1(s, 1, v); }},
    {"n1_3", 0, 150, false, [](AircraftState& s, double v) { set_n1(s, 2, v); }},
    {"n1_4", 0, 150, false, [](AircraftState& s, double v) { set_n1(s, 3, v); }},
    {"n2_1", 0, 150, false, [](AircraftState& s, double v) { set_n2(s, 0, v); }},
    {"n2_2", 0, 150, false, [](AircraftState& s, double v) { set_n2(s, 1, v); }},
    {"n2_3", 0, 150, false, [](AircraftState& s, double v) { set_n2(s, 2, v); }},
    {"n2_4", 0, 150, false, [](AircraftState& s, double v) { set_n2(s, 3, v); }},
    {"fire", 0, 1, true, [](AircraftState& s, double v) { set_fire_all(s, v); }},
    {"fire_1", 0, 1, true, [](AircraftState& s, double v) { set_fire(s, 0, v); }},
    {"fire_2", 0, 1, true, [](AircraftState& s, double v) { set_fire(s, 1, v); }},
    {"fire_3", 0, 1, true, [](AircraftState& s, double v) { set_fire(s, 2, v); }},
    {"fire_4", 0, 1, true, [](AircraftState& s, double v) { set_fire(s, 3, v); }},
    {"pitch", -90, 90, false, [](AircraftState& s, double v) { s.pitch = v; }},
    {"bank", -180, 180, false, [](AircraftState& s, double v) { s.bank = v; }},
    {"zfw", 0, 2e6, false, [](AircraftState& s, double v) { s.zfw = v; }},
    {"weight", 0, 2e6, false, [](AircraftState& s, double v) { s.total_weight = v; }},
    {"fuel", 0, 2e6, false, nullptr},  // applied after the line: weight = zfw + fuel
    {"on_ground", 0, 1, true, [](AircraftState& s, double v) { s.on_ground = v != 0; }},
    {"menu", 0, 255, true,
     [](AircraftState& s, double v) { s.in_menu = static_cast<std::uint8_t>(v); }},
    {"mode", 0, 255, true,
     [](AircraftState& s, double v) { s.flight_mode = static_cast<std::uint8_t>(v); }},
};

const Field* find_field(std::string_view name) {
  for (const Field& f : kFields) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

class LineError : public std::exception {
 public:
  explicit LineError(std::string what) : what_(std::move(what)) {}
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::string what_;
};

// A bad word as it may appear in a message: shortened, control bytes shown as '?'.
std::string quote(std::string_view word) {
  std::string out = "'";
  for (std::size_t i = 0; i < word.size() && i < kQuoteLimit; ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  if (word.size() > kQuoteLimit) out += "...";
  out += "'";
  return out;
}

// A finite decimal number and nothing else; false for anything else.
bool parse_number(std::string_view word, double& out) {
  if (word.empty()) return false;
  double v = 0.0;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(v)) return false;
  out = v;
  return true;
}

double parse_time(std::string_view word) {
  double t = 0.0;
  if (!parse_number(word, t)) throw LineError("bad time " + quote(word));
  if (t < 0.0 || t > kMaxScenarioTime) throw LineError("time out of range " + quote(word));
  return t;
}

// A carriage return counts as a blank, so that files with CR LF line ends read the same.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && is_blank(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !is_blank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

class Parser {
 public:
  void line(const std::vector<std::string_view>& w) {
    if (w[0] == "key") {
      keyframe(w);
    } else if (w[0] == "event") {
      event(w);
    } else if (w[0] == "set") {
      setting(w);
    } else {
      throw LineError("unknown statement " + quote(w[0]));
    }
  }

  FlightModel finish() {
    if (has_registration_) {
      if (keys_.empty()) keys_.push_back(Keyframe{});
      for (Keyframe& k : keys_) k.state.registration = registration_;
    }
    FlightModel model;
    for (const Keyframe& k : keys_) model.add_keyframe(k.t, k.state);
    for (const Event& e : events_) model.add_event(e.t, e.kind, e.value, e.path);
    return model;
  }

 private:
  void keyframe(const std::vector<std::string_view>& w) {
    if (w.size() < 2) throw LineError("'key' needs a time");
    const double t = parse_time(w[1]);
    if (!keys_.empty() && t < keys_.back().t) {
      throw LineError("keyframe time goes back");
    }
    AircraftState s = keys_.empty() ? AircraftState{} : keys_.back().state;
    bool have_weight = false;
    bool have_fuel = false;
    double fuel = 0.0;
    for (std::size_t i = 2; i < w.size(); ++i) {
      const std::size_t eq = w[i].find('=');
      if (eq == std::string_view::npos) {
        throw LineError("expected field=value, got " + quote(w[i]));
      }
      const std::string_view name = w[i].substr(0, eq);
      const std::string_view text = w[i].substr(eq + 1);
      const Field* f = find_field(name);
      if (f == nullptr) throw LineError("unknown field " + quote(name));
      double v = 0.0;
      if (!parse_number(text, v)) throw LineError("bad value for " + quote(name));
      if (v < f->min || v > f->max) throw LineError("value of " + quote(name) + " out of range");
      if (f->whole && v != std::floor(v)) {
        throw LineError(quote(name) + " must be a whole number");
      }
      if (f->apply == nullptr) {
        have_fuel = true;
        fuel = v;
      } else {
        if (name == "weight") have_weight = true;
        f->apply(s, v);
      }
    }
    if (have_fuel && have_weight) throw LineError("both weight and fuel given");
    if (have_fuel) s.total_weight = s.zfw + fuel;
    keys_.push_back(Keyframe{t, s});
  }

  void event(const std::vector<std::string_view>& w) {
    if (w.size() < 3) throw LineError("'event' needs a time and what happens");
    const double t = parse_time(w[1]);
    if (!events_.empty() && t < events_.back().t) throw LineError("event time goes back");
    const std::string_view what = w[2];
    std::size_t used = 3;
    Event e{t, EventKind::Pause, 0.0, {}};
    if (what == "pause") {
      e.kind = EventKind::Pause;
    } else if (what == "resume") {
      e.kind = EventKind::Resume;
    } else if (what == "crash") {
      e.kind = EventKind::Crash;
    } else if (what == "freeze") {
      e.kind = EventKind::Freeze;
    } else if (what == "unfreeze") {
      e.kind = EventKind::Unfreeze;
    } else if (what == "disconnect") {
      e.kind = EventKind::Disconnect;
    } else if (what == "reconnect") {
      e.kind = EventKind::Reconnect;
    } else if (what == "slew") {
      if (w.size() < 4 || (w[3] != "on" && w[3] != "off")) {
        throw LineError("'slew' needs on or off");
      }
      e.kind = w[3] == "on" ? EventKind::SlewOn : EventKind::SlewOff;
      used = 4;
    } else if (what == "hang") {
      double seconds = 0.0;
      if (w.size() < 4 || !parse_number(w[3], seconds) || seconds <= 0.0 ||
          seconds > kMaxScenarioTime) {
        throw LineError("'hang' needs a number of seconds above 0 and at most 1000000");
      }
      e.kind = EventKind::Hang;
      e.value = seconds;
      used = 4;
    } else if (what == "load") {
      double seconds = 0.0;
      if (w.size() < 4 || !parse_number(w[3], seconds) || seconds <= 0.0 ||
          seconds > kMaxScenarioTime) {
        throw LineError("'load' needs a number of seconds above 0 and at most 1000000");
      }
      e.kind = EventKind::Load;
      e.value = seconds;
      used = 4;
    } else if (what == "hold-until") {
      // One word: a path without blanks, relative to the stand-in's working folder.
      if (w.size() < 4) throw LineError("'hold-until' needs the file that releases the hold");
      e.kind = EventKind::HoldUntil;
      e.path = std::string(w[3]);
      used = 4;
    } else if (what == "rate") {
      // The simulator carries the rate as an unsigned 16-bit multiple of 1/256; its
      // fastest rate is 128 (32768).
      double rate = 0.0;
      if (w.size() < 4 || !parse_number(w[3], rate) || rate <= 0.0 || rate > 128.0) {
        throw LineError("'rate' needs a simulation rate above 0 and at most 128");
      }
      e.kind = EventKind::SimRate;
      e.value = rate;
      used = 4;
    } else {
      throw LineError("unknown event " + quote(what));
    }
    if (w.size() > used) throw LineError("unexpected " + quote(w[used]) + " after the event");
    events_.push_back(e);
  }

  void setting(const std::vector<std::string_view>& w) {
    if (w.size() != 3) throw LineError("'set' needs a name and one value");
    if (w[1] != "registration") throw LineError("unknown setting " + quote(w[1]));
    if (w[2].size() > kMaxRegistration) {
      throw LineError("registration longer than 12 characters");
    }
    for (char c : w[2]) {
      const unsigned char u = static_cast<unsigned char>(c);
      if (u < 0x21 || u > 0x7E) throw LineError("registration must be printable characters");
    }
    registration_ = std::string(w[2]);
    has_registration_ = true;
  }

  std::vector<Keyframe> keys_;
  std::vector<Event> events_;
  std::string registration_;
  bool has_registration_ = false;
};

}  // namespace

FlightModel parse_scenario(const std::string& text) {
  Parser parser;
  std::string_view rest(text);
  std::size_t number = 0;
  while (!rest.empty()) {
    ++number;
    const std::size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);
    const std::size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    const std::vector<std::string_view> words = split_words(line);
    if (words.empty()) continue;
    try {
      parser.line(words);
    } catch (const LineError& e) {
      throw std::runtime_error("scenario line " + std::to_string(number) + ": " + e.what());
    }
  }
  return parser.finish();
}

FlightModel default_scenario() { return parse_scenario(default_scenario_text()); }

}  // namespace orvane::model
