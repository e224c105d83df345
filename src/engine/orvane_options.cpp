// The settings file: loading "orvane.ini" into the engine's options and writing it back.
#include <fstream>
#include <stdexcept>

#include "engine/orvane_base.h"
#include "engine/orvane_state.h"
#include "tracking/flightstate.h"
#include "util/iniparse.h"
#include "util/util.h"

namespace orvane {

namespace {
// Placeholders on the local machine; every real airline configures its own addresses.
const char* const kDefaultACARSAddress = "http://localhost/liveacars.php";
const char* const kDefaultPIREPAddress = "http://localhost/pirep.php";
}  // namespace

void ORVANE::loadOptions(const std::string& fileName) {
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
    options.POS_Report_Interval =
        To_t<int>(ini.Get_Value_Default("ACARS", "POSReportTime", "5")) * 60;
    options.enableLiveACARS = To_t<bool>(ini.Get_Value_Default("ACARS", "EnableLiveACARS", "1"));
    options.enablePIREP = To_t<bool>(ini.Get_Value_Default("ACARS", "EnablePIREP", "1"));
  } catch (const std::exception&) {
    showMessage("Cannot open/read [" + fileName + "]!");
    FlightOptions current = getFlightOptions();
    current.ACARS_URL = kDefaultACARSAddress;
    current.PIREP_URL = kDefaultPIREPAddress;
    current.POS_Report_Interval = 600;
    current.enableLiveACARS = true;
    current.enablePIREP = true;
    {
      std::lock_guard<std::mutex> g(engine_state::options_lock);
      engine_state::OPTIONS = current;
    }
    if (OptionInputHook hook = engine_state::showOptionInputDialog.load()) hook();
    return;
  }
  {
    std::lock_guard<std::mutex> g(engine_state::options_lock);
    engine_state::OPTIONS = options;
  }
  showMessage("Options read successfully. Setting to Flightstate.");
  std::lock_guard<std::mutex> c(CYCLE_MUTEX);
  if (FlightState* flight = currentFlight()) {
    flight->setFlightOptions(options);
    showMessage("Options set in FlightState object.");
  }
}

void ORVANE::saveOptions(const std::string& fileName) {
  showMessage("Saving Options ...");
  const FlightOptions o = getFlightOptions();
  std::ofstream out(fileName, std::ios::out | std::ios::trunc);
  if (!out.is_open()) {
    showMessage("Saving Options failed.");
    return;
  }
  out << "[Server]\n"
      << "Address = " << o.ACARS_URL << "\n"
      << "PIREP = " << o.PIREP_URL << "\n"
      << "FlightInfo = " << o.INFO_URL << "\n"
      << "User = " << o.ACARS_User << "\n"
      << "Password = " << o.ACARS_Password << "\n"
      << "\n"
      << "[ACARS]\n"
      << "POSReportTime = " << o.POS_Report_Interval / 60 << "\n"
      << "EnableLiveACARS = " << (o.enableLiveACARS ? "1" : "0") << "\n"
      << "EnablePIREP = " << (o.enablePIREP ? "1" : "0") << "\n"
      << "AutoPIREP = 1\n";
  out.close();
  if (!out) {
    showMessage("Saving Options failed.");
    return;
  }
  showMessage("Saving Options succeeded.");
}

}  // namespace orvane
