// FlightOptions for the engine's users; the record itself sits low enough for every layer.
// SPDX-License-Identifier: MIT
#pragma once

#include "records/flightoptions.h"
