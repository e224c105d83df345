// The world a whole flight runs in: engine, stand-in, airline server and folder set up and
// put back.
// SPDX-License-Identifier: MIT
#include "support/flight_world.h"

#include <cstdlib>
#include <ctime>

#include "net/http_transfer.h"
#include "engine/orvane_base.h"
#include "flightmodel/scenario.h"
#include "sim/fsuipc_link.h"
#include "support/airline_replies.h"

namespace orvane::test {

void FlightWorldTest::SetUp() {
  setenv("TZ", "UTC", 1);
  tzset();
  previousDir_ = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());  // orvane.ini and lastpirep.ovp live here
  ORVANE::InitMembers();
  ORVANE::setFlightDataFactory(nullptr);  // the product's FlightData_MSFS
  ORVANE::setLogFilePath(dir_.file("orvane.log"));
  HttpTransfer::setTimeoutSeconds(5);  // a silent server costs seconds, not half a minute
  fsuipc_set_socket_dir(dir_.file("fsuipc"));
  sim_ = std::make_unique<standin::StandinServer>(memory_, dir_.file("fsuipc"));
  ASSERT_TRUE(sim_->start()) << sim_->error();
  ASSERT_TRUE(airline_.start());
  airline_.set_default(kAcars, airline::Reply{200, "1|OK"});
  airline_.set_default(kPirep, airline::Reply{200, "1|PIREP accepted"});
  answerBeginFlight(airline::Reply{200, "1|4711|PosRep 1000:30 5000:60"});
}

void FlightWorldTest::TearDown() {
  ORVANE::InitMembers();
  ORVANE::setLogFilePath("orvane.log");
  player_.reset();
  sim_.reset();
  fsuipc_set_socket_dir(fsuipc_default_socket_dir());
  HttpTransfer::setTimeoutSeconds(30);
  std::filesystem::current_path(previousDir_);
}

void FlightWorldTest::answerBeginFlight(airline::Reply reply) {
  answer_begin_flight(airline_, reply);
}

std::string FlightWorldTest::writeSettings(bool liveACARS, int posReportMinutes,
                                           bool autoPIREP) {
  return dir_.write(
      "orvane.ini",
      "[Server]\nAddress = " + airline_.url(kAcars) + "\nPIREP = " + airline_.url(kPirep) +
          "\nFlightInfo = " + airline_.url(kInfo) +
          "\nUser = pilot\nPassword = secret\n\n[ACARS]\nPOSReportTime = " +
          std::to_string(posReportMinutes) + "\nEnableLiveACARS = " + (liveACARS ? "1" : "0") +
          "\nEnablePIREP = 1\n" + (autoPIREP ? "AutoPIREP = 1\n" : ""));
}

void FlightWorldTest::play(const std::string& scenario) {
  player_ = std::make_unique<standin::Player>(model::parse_scenario(scenario), memory_,
                                              sim_.get());
  player_->set_traits(traits_);
  player_->apply(0);
}

}  // namespace orvane::test
