// The log of a flight waiting at the gate: what changes is written, the same pass again is not.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "integration/integration_fixture.h"

namespace orvane {
namespace {

using test::IntegrationTest;

std::size_t lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(IntegrationTest, TenMinutesAtTheGateWriteFewerThanTwentyLinesAndTheStartIsWritten) {
  // Position reports every ten minutes, as the settings' default has them.
  answerBeginFlight(airline::Reply{200, "1|4711"});
  loadSettings(true, 10);
  // Ten minutes still at the gate, then the engines start and the aircraft taxies.
  startFlight(
      "set registration D-ABCD\n"
      "key 0 engines=2 zfw=120000 fuel=9000 lat=50.0333 lon=8.5706 alt=364 hdg=250 var=2 "
      "oat=15 tat=15 wind_dir=270 wind_speed=8 on_ground=1 mode=1\n"
      "key 620 n1=0 n2=0\n"
      "key 640 n1=25 n2=60\n"
      "key 650 gs=15 ias=15 tas=15 fuel=8990\n"
      "key 720 gs=15 fuel=8980\n");
  for (int i = 0; i < 3; ++i) cycle();  // the flight settles at the gate
  const std::string before = logText();
  const double start = flightTime();
  while (flightTime() < start + 600) cycle();
  const std::string gate = logText().substr(before.size());
  EXPECT_LT(lines(gate), 20u) << gate;
  EXPECT_EQ(ORVANE::getState(), FlightState::READY);
  // Then the engines start and the aircraft moves: the log says so.
  flyUntil(start + 700);
  const std::string after = logText().substr(before.size() + gate.size());
  EXPECT_NE(after.find(" lines as in the pass before left out)"), std::string::npos) << after;
  EXPECT_NE(after.find("FlightState: ["), std::string::npos) << after;
  EXPECT_GT(ORVANE::getState(), FlightState::READY);
}

}  // namespace
}  // namespace orvane
