// Offset encoder: writes an aircraft state into the simulator's offsets in their raw encodings.
#pragma once

#include "flightmodel/flight_model.h"
#include "simstandin/offset_memory.h"

namespace orvane::standin {

// Writes every offset the flight data source reads (position, speeds, heights, headings,
// variation, wind, temperatures, weights, engines, flags, simulation rate, registration and
// the three signs of life) in the simulator's own encoding. Values that the reader
// truncates are encoded away from zero, so that they read back with the same whole part;
// values outside an offset's range are saturated, not-a-number values written as 0.
void encode_state(const model::AircraftState& s, OffsetMemory& mem);

}  // namespace orvane::standin
