// EngineState: the engine's one instance and what its data source last published.
// SPDX-License-Identifier: MIT
#include "engine/engine_state.h"

namespace orvane {

EngineState& engine() {
  static EngineState state;
  return state;
}

SimStatus EngineState::published() const {
  if (FlightData* s = source.load()) return s->publishedStatus();
  SimStatus none;
  none.onGround = true;
  return none;
}

}  // namespace orvane
