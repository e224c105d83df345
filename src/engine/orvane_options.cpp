// The settings file: loading "orvane.ini" into the engine's options and writing it back.
// SPDX-License-Identifier: MIT
#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "engine/orvane_base.h"
#include "engine/engine_state.h"
#include "sim/fsuipc_link.h"
#include "tracking/flightstate.h"
#include "util/atomic_file.h"
#include "util/iniparse.h"
#include "util/util.h"

namespace orvane {

namespace {
// Placeholders on the local machine; every real airline configures its own addresses.
const char* const kDefaultACARSAddress = "http://localhost/liveacars.php";
const char* const kDefaultPIREPAddress = "http://localhost/pirep.php";
const char* const kDefaultPOSReportMinutes = "5";
constexpr std::int32_t kDefaultPOSReportSeconds = 300;

// The position-report interval of the file (whole minutes) in seconds. Text without a number
// reads as 0 minutes; false when the number cannot be an interval: negative, or too large
// for 32-bit seconds (also when it is too long to read at all).
bool posReportSeconds(const std::string& text, std::int32_t& seconds) {
  std::istringstream in(text);
  long long minutes = 0;
  in >> minutes;
  if (in.fail()) {
    // A failed read leaves 0 when there was no number, the type's limit when it overflowed.
    seconds = 0;
    return minutes == 0;
  }
  if (minutes < 0 || minutes > std::numeric_limits<std::int32_t>::max() / 60) return false;
  seconds = static_cast<std::int32_t>(minutes * 60);
  return true;
}

// The keyring's name for the pilot's password: the user at the airline's ACARS server.
std::string passwordAccount(const FlightOptions& o) { return o.ACARS_User + "@" + o.ACARS_URL; }

// An empty Password in the file: the password, if any, is in the keyring.
void readKeptPassword(FlightOptions& options, const std::string& fileName) {
  PasswordStore* store = engine().options.passwordStore();
  if (!options.ACARS_Password.empty() || store == nullptr) {
    engine().options.setPasswordPlace(PasswordPlace::SETTINGS_FILE);
    return;
  }
  const std::string account = passwordAccount(options);
  std::string password;
  switch (store->read(account, password)) {
    case PasswordStore::Outcome::DONE:
      options.ACARS_Password = options.PIREP_Password = password;
      engine().options.setPasswordPlace(PasswordPlace::KEYRING);
      ORVANE::showMessage("Password for [" + account + "] read from " + store->name() + ".");
      break;
    case PasswordStore::Outcome::NOT_FOUND:
      engine().options.setPasswordPlace(PasswordPlace::KEYRING);
      ORVANE::showMessage("No password for [" + account + "] in " + store->name() + ".");
      break;
    case PasswordStore::Outcome::NO_KEYRING:
      engine().options.setPasswordPlace(PasswordPlace::SETTINGS_FILE);
      ORVANE::showMessage("No keyring answered; no password in [" + fileName + "].");
      break;
  }
}

// Puts the password into the keyring when one answers; the text the file's Password gets.
std::string keepPassword(const FlightOptions& o, const std::string& fileName) {
  PasswordStore* store = engine().options.passwordStore();
  if (store == nullptr) {
    engine().options.setPasswordPlace(PasswordPlace::SETTINGS_FILE);
    return o.ACARS_Password;
  }
  const std::string account = passwordAccount(o);
  // No password: none is left in the keyring to come back at the next start.
  const PasswordStore::Outcome outcome = o.ACARS_Password.empty()
                                             ? store->remove(account)
                                             : store->write(account, o.ACARS_Password);
  if (outcome == PasswordStore::Outcome::NO_KEYRING) {
    engine().options.setPasswordPlace(PasswordPlace::SETTINGS_FILE);
    if (!o.ACARS_Password.empty()) {
      ORVANE::showMessage("No keyring answered; the password stays in [" + fileName + "].");
    }
    return o.ACARS_Password;
  }
  engine().options.setPasswordPlace(PasswordPlace::KEYRING);
  if (!o.ACARS_Password.empty()) {
    ORVANE::showMessage("Password for [" + account + "] kept in " + store->name() + ".");
  }
  return std::string();
}
}  // namespace

void ORVANE::loadOptions(const std::string& fileName, const std::string& dataFolder) {
  // The journal and the outbox: in dataFolder, else beside the settings file ("" for a bare
  // name: the current folder).
  const std::string::size_type slash = fileName.find_last_of("/\\");
  std::string folder = dataFolder;
  if (folder.empty() && slash != std::string::npos) {
    folder = fileName.substr(0, slash == 0 ? 1 : slash);
  }
  engine().outbox.setFolder(folder);
  {
    std::lock_guard<std::mutex> c(CYCLE_MUTEX);
    engine().journal.setFolder(folder);
  }
  showMessage("Starting loadOptions.");
  FlightOptions options;
  try {
    IniParse ini(fileName, "#", "=", IP_SLOPPY);
    showMessage("Iniparser for [" + fileName + "] opened.");
    showMessage("Reading options.");
    options.ACARS_URL = ini.Get_Value_Default("Server", "Address", "");
    options.PIREP_URL = ini.Get_Value_Default("Server", "PIREP", "");
    options.INFO_URL = ini.Get_Value_Default("Server", "FlightInfo", "");
    options.ACARS_User = ini.Get_Value_Default("Server", "User", "");
    options.PIREP_User = options.ACARS_User;
    options.ACARS_Password = ini.Get_Value_Default("Server", "Password", "");
    options.PIREP_Password = options.ACARS_Password;
    const std::string minutes =
        ini.Get_Value_Default("ACARS", "POSReportTime", kDefaultPOSReportMinutes);
    if (!posReportSeconds(minutes, options.POS_Report_Interval)) {
      options.POS_Report_Interval = kDefaultPOSReportSeconds;
      showMessage("POSReportTime [" + minutes + "] is out of range; using " +
                  kDefaultPOSReportMinutes + " minutes.");
    }
    options.enableLiveACARS = To_t<bool>(ini.Get_Value_Default("ACARS", "EnableLiveACARS", "1"));
    options.enablePIREP = To_t<bool>(ini.Get_Value_Default("ACARS", "EnablePIREP", "1"));
#ifndef _WIN32
    // FSUIPC inside a Wine or Proton prefix, reached through orvane-fsuipc-relay.
    const std::string relay = ini.Get_Value_Default("FSUIPC", "Relay", "");
    fsuipc_set_relay(relay);
    if (!relay.empty()) showMessage("FSUIPC through the relay at [" + relay + "].");
#endif
  } catch (const std::exception&) {
    showMessage("Cannot open/read [" + fileName + "]!");
    engine().options.setPasswordPlace(PasswordPlace::UNKNOWN);
    FlightOptions current = getFlightOptions();
    current.ACARS_URL = kDefaultACARSAddress;
    current.PIREP_URL = kDefaultPIREPAddress;
    current.POS_Report_Interval = 600;
    current.enableLiveACARS = true;
    current.enablePIREP = true;
    engine().options.set(current);
    engine().options.askForInput();
    return;
  }
  readKeptPassword(options, fileName);
  engine().options.set(options);
  showMessage("Options read successfully. Setting to Flightstate.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (FlightState* flight = currentFlight()) {
    flight->setFlightOptions(options);
    showMessage("Options set in FlightState object.");
  }
}

bool ORVANE::saveOptions(const std::string& fileName, std::string* reason) {
  showMessage("Saving Options ...");
  const FlightOptions o = getFlightOptions();
  const std::string filePassword = keepPassword(o, fileName);
  std::ostringstream out;
  out << "[Server]\n"
      << "Address = " << o.ACARS_URL << "\n"
      << "PIREP = " << o.PIREP_URL << "\n"
      << "FlightInfo = " << o.INFO_URL << "\n"
      << "User = " << o.ACARS_User << "\n"
      << "Password = " << filePassword << "\n"
      << "\n"
      << "[ACARS]\n"
      << "POSReportTime = " << o.POS_Report_Interval / 60 << "\n"
      << "EnableLiveACARS = " << (o.enableLiveACARS ? "1" : "0") << "\n"
      << "EnablePIREP = " << (o.enablePIREP ? "1" : "0") << "\n"
      << "AutoPIREP = 1\n";
#ifndef _WIN32
  if (const std::string relay = fsuipc_relay(); !relay.empty()) {
    out << "\n[FSUIPC]\nRelay = " << relay << "\n";
  }
#endif
  // The file holds the pilot's password and servers: a crash or a full disk in the middle
  // of the write must leave the previous file whole. A password in it: only its owner reads it.
  FileWriteError error;
  if (!write_file_atomically(fileName, out.str(), &error, !filePassword.empty())) {
    showMessage("Saving Options failed.");
    if (reason != nullptr) *reason = error.reason;
    return false;
  }
  showMessage("Saving Options succeeded.");
  return true;
}

void ORVANE::setPasswordStore(PasswordStore* store) { engine().options.setPasswordStore(store); }

PasswordPlace ORVANE::getPasswordPlace() { return engine().options.passwordPlace(); }

std::string ORVANE::getPasswordStoreName() {
  PasswordStore* store = engine().options.passwordStore();
  return store != nullptr ? store->name() : std::string();
}

std::optional<AddressOffer> ORVANE::takeAddressOffer(AirlineAddress which) {
  return AddressOffers::instance().take(which);
}

void ORVANE::declineAddressOffer(const AddressOffer& offer) {
  AddressOffers::instance().decline(offer);
}

bool ORVANE::useNewAddress(const AddressOffer& offer, const std::string& fileName,
                           std::string* reason) {
  FlightOptions options = getFlightOptions();
  std::string& address = offer.which == AirlineAddress::ACARS        ? options.ACARS_URL
                         : offer.which == AirlineAddress::FLIGHTINFO ? options.INFO_URL
                                                                     : options.PIREP_URL;
  showMessage("New server address: [" + address + "] -> [" + offer.to + "]");
  address = offer.to;
  setFlightOptions(options);
  return saveOptions(fileName, reason);
}

}  // namespace orvane
