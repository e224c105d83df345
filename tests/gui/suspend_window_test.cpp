// The main window while the simulator goes away (stopped, killed and restarted) or runs faster
// than 1x for a while: the flight is held, not ended, and goes on when the simulator is back.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <regex>

#include "frontend/pirepdialog.h"
#include "integration/scenarios.h"
#include "mainwindow_fixture.h"
#include "support/wire.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

class SuspendWindowTest : public MainWindowTest {
 protected:
  void TearDown() override {
    fsuipc_set_send_timeout_ms(2000);
    MainWindowTest::TearDown();
  }

  static bool suspended() { return ORVANE::getFlightHold().suspended; }

  // The window while the flight is suspended: the status line and the message area say so,
  // the stop control ends the flight; nothing ends it meanwhile.
  void expectSuspendedWindow() {
    const std::string text = ORVANE::getFlightHold().suspendedText;
    EXPECT_TRUE(std::regex_match(text, std::regex("Simulator lost at [0-2][0-9]:[0-5][0-9]Z "
                                                  "\u2014 the flight resumes when it is back "
                                                  "near where it was")))
        << text;
    EXPECT_EQ(field(IDC_STATUS_SIM), text);
    EXPECT_EQ(message(), text);
    EXPECT_EQ(field(IDC_STARTACARS), "End flight");
    EXPECT_TRUE(enabled(IDC_STARTACARS));
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_TRUE(boxes_.shown.empty());
  }
  void expectResumedWindow() {
    EXPECT_EQ(field(IDC_STARTACARS), "Stop ACARS");
    EXPECT_EQ(field(IDC_STATUS_SIM), "Simulator connected");
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
  }

  // View PIREP, Send in the real PIREP dialog, Back.
  void sendThePIREP() {
    bool drove = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      auto* d = dynamic_cast<CPIREPDialog*>(CWnd::FromHandle(QApplication::activeModalWidget()));
      if (d == nullptr || drove) return;
      drove = true;
      const std::size_t before = boxes_.shown.size();
      QTest::mouseClick(d->GetDlgItem(407), Qt::LeftButton);  // Send
      ASSERT_TRUE(waitFor([&] { return boxes_.shown.size() > before; }));
      QTest::mouseClick(d->GetDlgItem(2), Qt::LeftButton);  // Back
    });
    driver.start(10);
    click(IDC_VIEWPIREP);
    ASSERT_TRUE(waitFor([&] {
      settle();
      return drove && QApplication::activeModalWidget() == w().GetHwnd();
    }));
    driver.stop();
  }

  // The posts whose body holds part (its line breaks as the form carries them).
  std::size_t postedWith(const std::string& part) const {
    const std::string wire = test::on_the_wire(part);
    std::size_t n = 0;
    for (const auto& r : airline_.requests_for(kAcars)) n += r.body.find(wire) != std::string::npos;
    return n;
  }
};

// The stand-in stops answering for five minutes in cruise, later it is killed and started
// again two minutes after at the same place: each time the flight is suspended and resumes;
// it lands and its PIREP is sent.
TEST_F(SuspendWindowTest, StoppedFiveMinutesThenKilledAndRestartedTheFlightResumesAndItsPIREPIsSent) {
  fsuipc_set_send_timeout_ms(20);  // a stopped simulator's time-outs in milliseconds
  play(test::held(test::held(test::pausingFlight(), 250, 300), 560, 120) +
       "event 250 hang 300\n");
  runWindow([&] {
    startTracking();
    ASSERT_TRUE(stepUntil([] { return ORVANE::getState() == FlightState::CRUISING; }));
    ASSERT_TRUE(stepUntil(&SuspendWindowTest::suspended));
    EXPECT_GT(flightTime(), 300);
    expectSuspendedWindow();
    shot("8-suspended");
    ASSERT_TRUE(stepUntil([&] { return flightTime() > 500; }));
    expectSuspendedWindow();
    ASSERT_TRUE(stepUntil([] { return !suspended(); }));
    EXPECT_GE(flightTime(), 550);
    expectResumedWindow();
    EXPECT_EQ(message(), "The simulator is back near where it was: the flight goes on.");

    ASSERT_TRUE(stepUntil([&] { return flightTime() >= 560; }));
    sim_->stop();  // killed
    ASSERT_TRUE(stepUntil(&SuspendWindowTest::suspended));
    expectSuspendedWindow();
    ASSERT_TRUE(stepUntil([&] { return flightTime() >= 680; }));
    expectSuspendedWindow();
    ASSERT_TRUE(sim_->restart()) << sim_->error();  // two minutes later, at the same place
    ASSERT_TRUE(stepUntil([] { return !suspended(); }, 10));
    expectResumedWindow();

    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }));
    sendThePIREP();
    escape();
  });
  // 604 after Send, 612 at Escape with the PIREP not saved; nothing else.
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].text, loadString(604) + "\r\n[PIREP accepted]\r\n\r\n");
  EXPECT_EQ(boxes_.shown[1].text, loadString(612));
  EXPECT_EQ(airline_.count(kPirep), 1u);
  EXPECT_GT(postedWith("&DATA2=MESSAGE&DATA3=4711&DATA4=["), 0u);
  EXPECT_EQ(postedWith("\nSIM LOST "), 2u);
  EXPECT_EQ(postedWith("&DATA2=ENDFLIGHT&"), 1u);
  EXPECT_EQ(postedWith("\nIN "), 1u);
}

// Simulation rate 2 for 5 s in cruise: a warning in the message area and the status line,
// no box, the flight goes on, and the episode reaches the server in an ACARS message.
TEST_F(SuspendWindowTest, SimulationRateTwoForFiveSecondsWarnsAndTheFlightGoesOn) {
  play(test::pausingFlight() + "event 252 rate 2\nevent 257 rate 1\n");
  runWindow([&] {
    startTracking();
    ASSERT_TRUE(stepUntil([] { return ORVANE::isSlewing(); }));
    EXPECT_EQ(message(), shown(651));
    EXPECT_EQ(field(IDC_STATUS_SIM),
              "ORVANE does not allow slew mode while tracking a flight. Also, you must not use a "
              "simulation rate greater than 1.");
    EXPECT_TRUE(ORVANE::getFlightHold().rateHeld);
    EXPECT_EQ(boxes(651), 0u);
    shot("9-rate-warning");
    ASSERT_TRUE(stepUntil([] { return !ORVANE::isSlewing(); }));
    EXPECT_EQ(message(), "The simulation rate is back to 1x: the flight goes on.");
    EXPECT_EQ(field(IDC_STATUS_SIM), "Simulator connected");
    EXPECT_EQ(ORVANE::getState(), FlightState::CRUISING);
    EXPECT_EQ(field(IDC_STARTACARS), "Stop ACARS");
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }));
    sendThePIREP();
    escape();
  });
  EXPECT_EQ(boxes(651), 0u);
  EXPECT_EQ(postedWith("\nSIM RATE 2X "), 1u);
  EXPECT_EQ(postedWith(" /FOR 5 SEC\n"), 1u);
  EXPECT_EQ(airline_.count(kPirep), 1u);
}

// Simulation rate 2 for 40 s: the warning first, then beyond 30 s the teardown as before
// (box 651, the engine finalised).
TEST_F(SuspendWindowTest, SimulationRateTwoForFortySecondsEndsTrackingAsBefore) {
  play(test::pausingFlight() + "event 252 rate 2\nevent 292 rate 1\n");
  runWindow([&] {
    startTracking();
    ASSERT_TRUE(stepUntil([] { return ORVANE::isSlewing(); }));
    const double from = flightTime();
    EXPECT_EQ(message(), shown(651));
    EXPECT_EQ(boxes(651), 0u);
    ASSERT_TRUE(stepUntil([&] { return boxes(651) > 0; }));
    EXPECT_GT(flightTime() - from, 30);
    settle();
    EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
    EXPECT_FALSE(w().isORVANEInitialized());
    escape();
  });
  EXPECT_EQ(postedWith("SIM RATE"), 0u);
  EXPECT_EQ(postedWith("&DATA2=ENDFLIGHT&"), 1u);
  EXPECT_EQ(airline_.count(kPirep), 0u);
}

}  // namespace
}  // namespace orvane
