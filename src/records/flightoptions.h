// FlightOptions: the settings record (servers, credentials, report interval, switches).
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

struct FlightOptions {
  std::string ACARS_URL;
  std::string PIREP_URL;
  std::string INFO_URL;
  std::string ACARS_User;
  std::string PIREP_User;
  std::string ACARS_Password;
  std::string PIREP_Password;
  std::int32_t POS_Report_Interval = 0;  // seconds
  bool enableLiveACARS = false;
  bool enablePIREP = false;
  bool PIREPAuto = false;  // carried along; neither read from the settings file nor used
};

}  // namespace orvane
