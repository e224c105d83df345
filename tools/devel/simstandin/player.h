// Player: plays a flight model into the stand-in's offset memory, in real time or faster.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "flightmodel/flight_model.h"
#include "simstandin/offset_encoder.h"
#include "fsuipcserver/connection_switch.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/standin_server.h"  // for the users of Player that serve through one

namespace orvane::standin {

// Flight time follows the process clock (orvane::clock()) multiplied by the speed factor,
// so a test's manual clock drives the player as well. At a hold-until event the flight
// time stops until the event's file exists; meanwhile the simulator's signs of life keep
// moving (unless frozen), so the client sees a live simulator standing still. A disconnect event stops the server
// (clients find it gone), a reconnect event starts it again; during a hang the server takes
// the client's messages and does not answer them. Each touchdown is reported with its
// vertical speed and G as it passes ("402 s: touchdown at -150.0 fpm, 1.12 G").
class Player {
 public:
  // Receives one line per event passed and one when the scenario has been played out.
  using Report = std::function<void(const std::string&)>;

  // server may be null (no connection events). speed: flight seconds per clock second,
  // greater than 0; anything else throws std::invalid_argument.
  Player(model::FlightModel model, OffsetMemory& memory, ConnectionSwitch* server,
         double speed = 1.0);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Plays on a thread of its own from flight time 0, starting now; every 50 ms of clock
  // time (and at once) the state of the moment goes into the memory.
  void start();
  void stop();

  // Puts the state at t seconds of flight into the memory, applies a change of the
  // connection and reports the events passed since the previous call. Any thread.
  model::AircraftState apply(double t);

  void set_report(Report report);
  // How the simulator behaves (aircraft kind, emulator, crash detection); from the next
  // apply on. Any thread.
  void set_traits(const SimulatorTraits& traits);
  double flight_time() const { return flight_time_.load(); }
  // True while the flight time stands at a hold-until event whose file is not there yet.
  bool holding() const { return holding_.load(); }
  bool finished() const { return finished_.load(); }
  const model::FlightModel& model() const { return model_; }

  // Text of an event for the reports, e.g. "pause", "rate 4".
  static std::string describe(const model::Event& event);

 private:
  void run(std::int64_t start_ms);

  const model::FlightModel model_;
  OffsetMemory& memory_;
  ConnectionSwitch* const server_;
  const double speed_;

  std::mutex apply_mutex_;  // serialises apply; guards the members below
  std::size_t next_event_ = 0;
  std::size_t next_touchdown_ = 0;
  const std::vector<model::Touchdown> touchdowns_;
  SimulatorTraits traits_;
  std::optional<bool> connected_;  // connection state applied last
  std::optional<bool> hung_;       // hang applied last
  double held_s_ = 0.0;            // flight seconds spent in holds so far
  Report report_;

  std::atomic<double> flight_time_{0.0};
  std::atomic<bool> finished_{false};
  std::atomic<bool> holding_{false};

  std::mutex run_mutex_;  // guards stop_ and thread_
  std::condition_variable run_cv_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace orvane::standin
