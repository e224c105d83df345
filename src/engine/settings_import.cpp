// Importing an airline's settings file: each known key read, checked, compared and merged.
// SPDX-License-Identifier: MIT
#include "engine/settings_import.h"

#include <cstdint>
#include <exception>
#include <limits>
#include <map>

#include "util/iniparse.h"
#include "util/util.h"

namespace orvane {

namespace {

using Sections = std::map<std::string, IniParse::Section>;

// The value the file gives section/key, or empty when it gives none.
std::string valueOf(const Sections& file, const std::string& section, const std::string& key) {
  const auto s = file.find(section);
  if (s == file.end()) return std::string();
  const auto k = s->second.find(key);
  return k == s->second.end() ? std::string() : k->second;
}

bool isWebAddress(const std::string& text) {
  std::string head = text.substr(0, 8);
  for (char& c : head) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
}

bool isWholeMinutes(const std::string& text, std::int32_t& seconds) {
  if (text.empty() || text.size() > 8) return false;
  long long minutes = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    minutes = minutes * 10 + (c - '0');
  }
  if (minutes > std::numeric_limits<std::int32_t>::max() / 60) return false;
  seconds = static_cast<std::int32_t>(minutes * 60);
  return true;
}

class Merge {
 public:
  Merge(const Sections& file, SettingsImport& result, std::string& error)
      : file_(file), result_(result), error_(error) {}

  // A server address: taken when it is a web address.
  bool address(const char* key, std::string& field) {
    const std::string value = valueOf(file_, "Server", key);
    if (value.empty()) return true;
    ++given_;
    if (!isWebAddress(value)) {
      error_ = std::string("[Server] ") + key + " [" + value +
               "] is not a web address (http:// or https://).";
      return false;
    }
    note("Server", key, field, value);
    field = value;
    return true;
  }

  void user(std::string& field) {
    const std::string value = valueOf(file_, "Server", "User");
    if (value.empty()) return;
    ++given_;
    note("Server", "User", field, value);
    field = value;
  }

  // Never shown: the review says only that the file has one.
  void password(std::string& field) {
    const std::string value = valueOf(file_, "Server", "Password");
    if (value.empty()) return;
    ++given_;
    if (value != field) {
      result_.changes.push_back({"Server", "Password", field.empty() ? "(none)" : "(hidden)",
                                 "(hidden, from the file)"});
    }
    field = value;
  }

  bool minutes(std::int32_t& field) {
    const std::string value = valueOf(file_, "ACARS", "POSReportTime");
    if (value.empty()) return true;
    ++given_;
    std::int32_t seconds = 0;
    if (!isWholeMinutes(value, seconds)) {
      error_ = "[ACARS] POSReportTime [" + value + "] is not a number of minutes.";
      return false;
    }
    note("ACARS", "POSReportTime", std::to_string(field / 60), std::to_string(seconds / 60));
    field = seconds;
    return true;
  }

  bool flag(const char* key, bool& field) {
    const std::string value = valueOf(file_, "ACARS", key);
    if (value.empty()) return true;
    ++given_;
    if (value != "0" && value != "1") {
      error_ = std::string("[ACARS] ") + key + " [" + value + "] is neither 1 (on) nor 0 (off).";
      return false;
    }
    note("ACARS", key, field ? "1" : "0", value);
    field = value == "1";
    return true;
  }

  int given() const { return given_; }

 private:
  void note(const char* section, const char* key, const std::string& before,
            const std::string& after) {
    if (before != after) result_.changes.push_back({section, key, before, after});
  }

  const Sections& file_;
  SettingsImport& result_;
  std::string& error_;
  int given_ = 0;
};

}  // namespace

bool readAirlineSettings(const std::string& fileName, const FlightOptions& current,
                         SettingsImport& result, std::string& error) {
  Sections file;
  try {
    IniParse ini(fileName, "#", "=", IP_WARN);
    std::string problems;
    file = ini.Get_IniFile(&problems);
    if (!problems.empty()) {
      error = "[" + fileName + "] is not a settings file: " + trim(problems);
      return false;
    }
  } catch (const std::exception&) {
    error = "[" + fileName + "] cannot be read.";
    return false;
  }
  result = SettingsImport{};
  result.options = current;
  FlightOptions& o = result.options;
  Merge merge(file, result, error);
  if (!merge.address("Address", o.ACARS_URL) || !merge.address("PIREP", o.PIREP_URL) ||
      !merge.address("FlightInfo", o.INFO_URL)) {
    return false;
  }
  merge.user(o.ACARS_User);
  merge.password(o.ACARS_Password);
  if (!merge.minutes(o.POS_Report_Interval) || !merge.flag("EnableLiveACARS", o.enableLiveACARS) ||
      !merge.flag("EnablePIREP", o.enablePIREP)) {
    return false;
  }
  if (merge.given() == 0) {
    error = "[" + fileName + "] holds none of ORVANE's settings ([Server] Address, PIREP, "
            "FlightInfo, User, Password; [ACARS] POSReportTime, EnableLiveACARS, EnablePIREP).";
    return false;
  }
  // The file holds one user and one password, as orvane.ini does.
  o.PIREP_User = o.ACARS_User;
  o.PIREP_Password = o.ACARS_Password;
  return true;
}

}  // namespace orvane
