// FlightOptions for the engine's users; the record itself sits low enough for every layer.
#pragma once

#include "records/flightoptions.h"
