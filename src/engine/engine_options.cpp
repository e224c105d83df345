// EngineOptions: keeping the flight options and the option-input hook.
// SPDX-License-Identifier: MIT
#include "engine/engine_options.h"

namespace orvane {

FlightOptions EngineOptions::get() const {
  std::lock_guard<std::mutex> g(lock_);
  return options_;
}

void EngineOptions::set(const FlightOptions& options) {
  std::lock_guard<std::mutex> g(lock_);
  options_ = options;
}

void EngineOptions::setInputHook(InputHook hook) { inputHook_ = hook; }

void EngineOptions::askForInput() const {
  if (InputHook hook = inputHook_.load()) hook();
}

void EngineOptions::reset() {
  {
    std::lock_guard<std::mutex> g(lock_);
    options_ = FlightOptions{};
  }
  inputHook_ = nullptr;
  place_ = PasswordPlace::UNKNOWN;
}

}  // namespace orvane
