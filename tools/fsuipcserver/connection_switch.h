// ConnectionSwitch: what a scenario's connection events do to the stand-in's server.
// SPDX-License-Identifier: MIT
#pragma once

namespace orvane::standin {

// The server side a Player switches: gone and back (disconnect and reconnect events), and
// silent (messages taken, never answered) during a hang. Any thread.
class ConnectionSwitch {
 public:
  virtual ~ConnectionSwitch() = default;
  virtual bool start() = 0;
  virtual void stop() = 0;
  virtual void set_silent(bool silent) = 0;
};

}  // namespace orvane::standin
