// EngineOptions: the flight options the engine hands each flight, and the option-input hook.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <mutex>

#include "engine/password_store.h"
#include "records/flightoptions.h"

namespace orvane {

// Any thread; the options are written by the window thread and read when a flight is
// prepared. The lock is a leaf.
class EngineOptions {
 public:
  using InputHook = void (*)();

  FlightOptions get() const;
  void set(const FlightOptions& options);
  void setInputHook(InputHook hook);
  // Lets the pilot enter the options, when a front end has set a hook.
  void askForInput() const;
  // The default options and no hook. The password store stays: the program's.
  void reset();

  // Not owned; null: the password stays in the settings file.
  void setPasswordStore(PasswordStore* store) { store_ = store; }
  PasswordStore* passwordStore() const { return store_.load(); }
  void setPasswordPlace(PasswordPlace place) { place_ = place; }
  PasswordPlace passwordPlace() const { return place_.load(); }

 private:
  mutable std::mutex lock_;
  FlightOptions options_;  // lock_
  std::atomic<InputHook> inputHook_{nullptr};
  std::atomic<PasswordStore*> store_{nullptr};
  std::atomic<PasswordPlace> place_{PasswordPlace::UNKNOWN};
};

}  // namespace orvane
