// The engine fixture with live ACARS on: the airline server on 127.0.0.1 takes the flight's
// texts and its PIREP.
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "net/http_transfer.h"
#include "airline/airline_server.h"
#include "engine/flightoptions.h"
#include "engine/orvane_base.h"
#include "support/airline_replies.h"
#include "support/engine_fixture.h"

namespace orvane::test {

class LiveEngineFixture : public EngineFixture {
 protected:
  static inline const std::string kAcars = "/liveacars.php";
  static inline const std::string kPirep = "/pirep.php";

  // The server accepts every text and PIREP; the options point the engine at it.
  void SetUp() override {
    HttpTransfer::setTimeoutSeconds(5);  // a silent server costs seconds, not half a minute
    ASSERT_TRUE(server_.start());
    server_.set_default(kAcars, airline::Reply{200, "1|OK"});
    server_.set_default(kPirep, airline::Reply{200, "1|PIREP accepted"});
    FlightOptions o;
    o.ACARS_URL = server_.url(kAcars);
    o.PIREP_URL = server_.url(kPirep);
    o.INFO_URL = server_.url("/info.php");
    o.ACARS_User = o.PIREP_User = "pilot";
    o.ACARS_Password = o.PIREP_Password = "secret";
    o.POS_Report_Interval = 600;
    o.enableLiveACARS = true;
    o.enablePIREP = true;
    ORVANE::setFlightOptions(o);
  }
  void TearDown() override { HttpTransfer::setTimeoutSeconds(30); }

  void answerBeginFlight(airline::Reply reply) { answer_begin_flight(server_, reply); }

  // Loads a settings file in the fixture's folder that points at the server (its outbox and
  // flight journal live beside it).
  void loadSettingsFile() {
    ORVANE::loadOptions(dir_.write(
        "orvane.ini", "[Server]\nAddress = " + server_.url(kAcars) + "\nPIREP = " +
                          server_.url(kPirep) + "\nFlightInfo = " + server_.url("/info.php") +
                          "\nUser = pilot\nPassword = secret\n\n[ACARS]\nPOSReportTime = 10\n"
                          "EnableLiveACARS = 1\nEnablePIREP = 1\n"));
  }

  airline::AirlineServer server_;
};

// A flight the airline opens with data id 4711, its settings file (and so its outbox and
// flight journal) in the fixture's folder.
class SettingsFileEngineFixture : public LiveEngineFixture {
 protected:
  void SetUp() override {
    LiveEngineFixture::SetUp();
    if (HasFatalFailure()) return;
    answerBeginFlight(airline::Reply{200, "1|4711"});
    loadSettingsFile();
  }
};

}  // namespace orvane::test
