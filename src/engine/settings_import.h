// Importing an airline's settings file: what it would change in the pilot's options, and the merge.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "records/flightoptions.h"

namespace orvane {

// One setting the import changes, as the settings file writes it.
struct SettingChange {
  std::string section;  // "Server" or "ACARS"
  std::string key;      // "Address", "POSReportTime", ...
  std::string before;   // the pilot's value now; the password shows as "(hidden)" or "(none)"
  std::string after;    // the file's value; the password shows as "(hidden, from the file)"
};

struct SettingsImport {
  FlightOptions options;               // the pilot's options with the file's merged in
  std::vector<SettingChange> changes;  // in the settings file's order; empty: nothing changes
};

// Reads an airline's settings file (orvane.ini, or a .orvane file with the same sections)
// and merges it into current: each of [Server] Address, PIREP, FlightInfo, User, Password
// and [ACARS] POSReportTime, EnableLiveACARS, EnablePIREP that the file gives a value
// replaces the pilot's; a key missing or empty in the file leaves the pilot's as it is (so
// the pilot's password stays unless the file has one). False, with a sentence for the pilot
// in error, when the file cannot be read, has a line that is no setting, gives a value that
// cannot be taken (an address that is not http:// or https://, minutes that are not a
// number, a switch that is not 0 or 1), or holds none of these settings.
bool readAirlineSettings(const std::string& fileName, const FlightOptions& current,
                         SettingsImport& result, std::string& error);

}  // namespace orvane
