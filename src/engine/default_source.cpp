// The product's simulator data source: the simulator read through FSUIPC.
// SPDX-License-Identifier: MIT
#include "engine/default_source.h"

#include "sim/flightdata_msfs.h"

namespace orvane {

FlightData* makeProductFlightData(void (*status)(const std::string&)) {
  return new FlightData_MSFS(status);
}

}  // namespace orvane
