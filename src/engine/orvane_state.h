// Engine state shared by the engine's own source files (not for other layers).
#pragma once

#include <atomic>
#include <mutex>

#include "engine/orvane_base.h"

namespace orvane::engine_state {

extern FlightOptions OPTIONS;  // guarded by options_lock; written by the window thread
extern std::mutex options_lock;
extern std::atomic<ORVANE::OptionInputHook> showOptionInputDialog;

}  // namespace orvane::engine_state
