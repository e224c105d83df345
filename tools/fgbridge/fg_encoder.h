// FgEncoder: FlightGear's properties written into FSUIPC's offsets, as FSUIPC fills them.
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "fgbridge/fg_sample.h"
#include "fsuipcserver/offset_encoding.h"
#include "fsuipcserver/offset_memory.h"

namespace orvane::fgbridge {

using standin::OffsetMemory;

// What the engine offsets hold, as FSUIPC fills them for the kind of aircraft: a jet's N1
// and N2 (16384 = 100 %); a turboprop's propeller RPM in the N1 offsets and its gas
// generator in N2; a piston's propeller RPM in N1 and 0 in N2. A propeller's RPM is
// raw * scaler / 65536 with the scaler at 0x08C8 (and 0x98 further per engine).
enum class EngineKind { Auto, Jet, Turboprop, Piston };

// "auto", "jet", "turboprop", "piston"; false for anything else.
bool parse_engine_kind(const char* name, EngineKind* kind);
const char* engine_kind_name(EngineKind kind);

// Encodes one sample after another. It keeps what FSUIPC keeps between frames: the
// activity counter (0x337E, one more each sample), the touchdown vertical speed (0x030C:
// a copy of 0x02C8 while airborne that stands still from the frame weight comes on the
// wheels) and the engine kind once known.
class FgEncoder {
 public:
  // Auto: a turbine is an engine with N1 or N2; with a propeller RPM too it is a
  // turboprop; an aircraft without either (so far) is a piston.
  // engines: how many engines are served (1 to 4); 0: every engine FlightGear has.
  explicit FgEncoder(EngineKind kind = EngineKind::Auto, int engines = 0)
      : forced_(kind), engines_(engines) {}

  // Writes every offset ORVANE reads.
  void encode(const FgSample& s, OffsetMemory& mem);
  // The kind the engine offsets were last written for.
  EngineKind kind() const { return kind_; }
  // A new link to the simulator: the touchdown latch starts again from this sample on.
  void reset() { have_previous_ = false; }

 private:
  EngineKind forced_;
  int engines_;
  EngineKind kind_ = EngineKind::Piston;
  bool turbine_seen_ = false;
  bool prop_seen_ = false;
  std::uint16_t activity_ = 0;
  std::int32_t touchdown_raw_ = 0;
  bool have_previous_ = false;
};

}  // namespace orvane::fgbridge
