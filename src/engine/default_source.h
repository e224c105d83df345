// The product's simulator data source, built by the engine when no test replaced it.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "sim/flightdata.h"

namespace orvane {

FlightData* makeProductFlightData(void (*status)(const std::string&));

}  // namespace orvane
