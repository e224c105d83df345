// Offset encoder: writes an aircraft state into the simulator's offsets in their raw encodings.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "flightmodel/flight_model.h"
#include "fsuipcserver/offset_encoding.h"
#include "fsuipcserver/offset_memory.h"

namespace orvane::standin {

// What the engine offsets hold: a jet's N1 and N2, or a propeller's RPM in the N1 offsets
// (RPM * 65536 / the RPM scaler at 0x08C8; negative for a counter-rotating propeller) with
// the N2 offsets holding a turboprop's gas generator, or 0 on a piston engine.
enum class AircraftKind { Jet, Turboprop, Piston, CounterProp };
// An interface module that only emulates FSUIPC. wineUIPC (X-Plane under Wine) never writes
// the activity counter or the in-menu flag and writes the flight mode as 0.
enum class Emulator { None, WineUipc };

// How the simulator behind the offsets behaves, beyond the flight it plays.
struct SimulatorTraits {
  AircraftKind aircraft = AircraftKind::Jet;
  Emulator emulator = Emulator::None;
  bool crash_detection = true;  // off: the crash flag is never set
};

// "jet", "turboprop", "piston", "counter-prop"; false for anything else.
bool parse_aircraft_kind(const std::string& name, AircraftKind* kind);
// "none", "wineuipc"; false for anything else.
bool parse_emulator(const std::string& name, Emulator* emulator);

// Top propeller RPM of the propeller kinds (their RPM scalers are in offset_encoding.h): the
// scenario's N1 percent is the share of the top RPM the propeller turns at.
inline constexpr double kPistonTopRpm = 2700.0;
inline constexpr double kTurbopropTopRpm = 1700.0;

// Writes every offset the flight data source reads (position, speeds, heights, headings,
// variation, wind, temperatures, weights, engines, flags, simulation rate, registration and
// the three signs of life) in the simulator's own encoding, as the traits make them.
// Values that the reader truncates are encoded away from zero, so that they read back with
// the same whole part; values outside an offset's range are saturated, not-a-number values
// written as 0. The altitude is the simulator's: metres (feet * 0.3048), the whole metres
// rounded down in 0x0574 and the fraction in 0x0570. The registration is cut to 11
// characters and a NUL.
void encode_state(const model::AircraftState& s, OffsetMemory& mem,
                  const SimulatorTraits& traits = {});

}  // namespace orvane::standin
