// How tracking ends when it cannot go on: the simulator gone (once the pilot ends the
// suspended flight), slew mode beyond its time, a refused live ACARS start answered either
// way; the refusal boxes; and loading PIREP files.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#include "frontend/flighttimes.h"
#include "integration/scenarios.h"
#include "mainwindow_fixture.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

class TeardownTest : public MainWindowTest {
 protected:
  void clearField(UINT id) {
    QWidget* f = w().GetDlgItem(id);
    f->setFocus();
    QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f, Qt::Key_Backspace);
  }
  // Start ACARS with the airline refusing the flight's begin record.
  void startRefused() {
    answerBeginFlight(airline::Reply{200, "0|Unknown flight"});
    typeFlightData();
    step();
    const std::size_t before = airline_.count(kAcars);
    click(IDC_STARTACARS);
    settle();
    ASSERT_TRUE(airline_.wait_for_count(kAcars, before + 1, 5000));
    ASSERT_TRUE(stepUntil([&] { return !boxes_.shown.empty(); }, 20));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              loadString(701) + "[Unknown flight]\r\n" + loadString(702));
    EXPECT_EQ(boxes_.shown[0].caption, loadString(806));
    EXPECT_EQ(boxes_.shown[0].style, static_cast<UINT>(MB_OKCANCEL));
    settle();
  }
};

TEST_F(TeardownTest, SimulatorGoneMidFlightSuspendsAndEndFlightEndsTrackingAsBefore) {
  runWindow([&] {
    startTracking();
    ASSERT_TRUE(stepUntil([] { return ORVANE::getState() == FlightState::CLIMBING; }));
    EXPECT_FALSE(field(IDC_OUT).empty());
    sim_->stop();
    // Suspended, not ended: the window says so and offers to end the flight.
    ASSERT_TRUE(stepUntil([&] { return ORVANE::getFlightHold().suspended; }, 20));
    const std::string text = ORVANE::getFlightHold().suspendedText;
    EXPECT_EQ(text.rfind("Simulator lost at ", 0), 0u) << text;
    EXPECT_EQ(field(IDC_STATUS_SIM), text);
    EXPECT_EQ(message(), text);
    EXPECT_EQ(field(IDC_STARTACARS), "End flight");
    EXPECT_TRUE(enabled(IDC_STARTACARS));
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_EQ(ORVANE::getState(), FlightState::CLIMBING);
    for (int i = 0; i < 3; ++i) step();
    EXPECT_TRUE(w().isACARSInProgress());
    // End flight: what a lost simulator did before.
    boxes_.answer(IDYES);
    click(IDC_STARTACARS);
    ASSERT_EQ(boxes(700), 1u);
    settle();
    EXPECT_FALSE(w().isACARSInProgress());
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    EXPECT_FALSE(enabled(IDC_STARTACARS));
    EXPECT_TRUE(enabled(IDC_LOADPIREP));
    for (UINT id : {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN}) EXPECT_EQ(field(id), "") << id;
    // 602 was shown, then the welcome text again.
    const auto lost = std::find(shownMessages_.begin(), shownMessages_.end(), shown(602));
    ASSERT_NE(lost, shownMessages_.end());
    EXPECT_NE(std::find(lost, shownMessages_.end(), shown(600)), shownMessages_.end());
    EXPECT_EQ(message(), shown(600));
    settle();
    EXPECT_TRUE(w().isORVANEInitialized());
    EXPECT_GT(ORVANE::getState(), FlightState::TESTING);
    EXPECT_EQ(ORVANE::getOutTime(), 0);
    step();
    EXPECT_EQ(field(IDC_STATUS_SIM), "Simulator not connected");
    EXPECT_EQ(boxes_.shown.size(), 1u);
    std::size_t ends = 0;
    for (const auto& r : airline_.requests_for(kAcars))
      ends += r.body == "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=";
    EXPECT_EQ(ends, 1u);
    escape();
  });
}

TEST_F(TeardownTest, SlewBeyond30SecondsShows651AndFinalisesTheEngine) {
  play(test::pausingFlight() + "event 150 slew on\nevent 200 slew off\n");
  runWindow([&] {
    startTracking();
    // At first a warning: the flight holds, no box.
    ASSERT_TRUE(stepUntil([&] { return ORVANE::isSlewing(); }));
    EXPECT_EQ(message(), shown(651));
    EXPECT_EQ(boxes(651), 0u);
    ASSERT_TRUE(stepUntil([&] { return boxes(651) > 0; }));
    EXPECT_GT(flightTime(), 180);
    const MessageBoxRequest& box = boxes_.shown.front();
    EXPECT_EQ(box.caption, loadString(800));
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONERROR));
    settle();
    EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
    EXPECT_FALSE(w().isORVANEInitialized());
    EXPECT_TRUE(w().isACARSInProgress());
    // The box comes again while the slew lasts, and no longer once it ends.
    ASSERT_TRUE(stepUntil([&] { return flightTime() > 210; }));
    const std::size_t shownWhileSlewing = boxes(651);
    EXPECT_GE(shownWhileSlewing, 2u);
    for (int i = 0; i < 3; ++i) step();
    EXPECT_EQ(boxes(651), shownWhileSlewing);
    escape();
  });
}

TEST_F(TeardownTest, RefusedLiveACARSAnsweredOKTracksOnWithoutLiveMessages) {
  play(test::pausingFlight());
  boxes_.answer(IDOK);
  runWindow([&] {
    startRefused();
    EXPECT_FALSE(ORVANE::getFlightOptions().enableLiveACARS);
    EXPECT_TRUE(w().isACARSInProgress());
    const std::size_t posted = airline_.count(kAcars);
    ASSERT_TRUE(stepUntil([&] { return !field(IDC_OFF).empty(); }));
    EXPECT_FALSE(field(IDC_OUT).empty());
    EXPECT_EQ(ORVANE::getState(), FlightState::CLIMBING);
    EXPECT_EQ(airline_.count(kAcars), posted);
    EXPECT_EQ(boxes_.shown.size(), 1u);
    escape();
  });
}

TEST_F(TeardownTest, RefusedLiveACARSAnsweredCancelStopsTracking) {
  play(test::pausingFlight());
  boxes_.answer(IDCANCEL);
  runWindow([&] {
    startRefused();
    EXPECT_EQ(ORVANE::getState(), FlightState::NONE);
    EXPECT_FALSE(w().isORVANEInitialized());
    EXPECT_FALSE(w().isACARSInProgress());
    EXPECT_EQ(message(), shown(600));
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    EXPECT_TRUE(enabled(IDC_LOADPIREP));
    for (int i = 0; i < 3; ++i) step();
    EXPECT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(field(IDC_OUT), "");
    escape();
  });
}

TEST_F(TeardownTest, EachRefusalShowsItsBoxOnce) {
  play(test::pausingFlight());
  runWindow([&] {
    click(IDC_GETFD);  // no flight number
    settle();
    w().OnCommand(IDC_VIEWPIREP);  // no PIREP yet
    typeFlightData();
    step();
    ASSERT_TRUE(enabled(IDC_STARTACARS));
    clearField(IDC_ALTERNATE);
    click(IDC_STARTACARS);  // data incomplete
    type(IDC_ALTERNATE, "EDDF");
    ASSERT_TRUE(stepUntil([] { return ORVANE::EnginesRunning(); }));
    click(IDC_STARTACARS);  // engines running
    sim_->stop();
    ASSERT_TRUE(stepUntil([] { return !ORVANE::isConnectedToSim(); }, 20));
    click(IDC_STARTACARS);  // no simulator
    settle();
    EXPECT_FALSE(w().isACARSInProgress());
    escape();
  });
  const std::pair<UINT, UINT> expected[] = {{652, 800}, {657, 800}, {650, 800}, {655, 800}, {654, 802}};
  ASSERT_EQ(boxes_.shown.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(boxes_.shown[i].text, loadString(expected[i].first)) << i;
    EXPECT_EQ(boxes_.shown[i].caption, loadString(expected[i].second)) << i;
    EXPECT_EQ(boxes_.shown[i].style, static_cast<UINT>(MB_ICONERROR)) << i;
  }
}

TEST_F(TeardownTest, LoadPIREPGoodBadAndUnopenableFiles) {
  const PIREPData good = test::sample_pirep();
  const std::string goodFile = dir_.write("good.ovp", good.pack_crypt());
  const std::string badBytes = "not a PIREP file at all";
  const std::string badFile = dir_.write("bad.ovp", badBytes);
  std::string decoderText;
  try {
    PIREPData().unpack_crypt(badBytes);
  } catch (const std::exception& e) {
    decoderText = e.what();
  }
  ASSERT_FALSE(decoderText.empty());
  files_.pick(goodFile);
  files_.pick(badFile);
  files_.pick(dir_.file("gone.ovp"));
  runWindow([&] {
    click(IDC_LOADPIREP);
    ASSERT_EQ(files_.shown.size(), 1u);
    EXPECT_FALSE(files_.shown[0].save);
    EXPECT_TRUE(files_.shown[0].mustExist);
    EXPECT_EQ(files_.shown[0].owner, w().GetHwnd());
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(w().pirep(), good);
    EXPECT_TRUE(w().isPIREPAvailable());
    EXPECT_TRUE(w().isPIREPSaved());
    EXPECT_EQ(message(), shown(611));
    EXPECT_EQ(field(IDC_FLIGHTNO), good.Callsign);
    EXPECT_EQ(field(IDC_DEPARTURE), good.From);
    EXPECT_EQ(field(IDC_DESTINATION), good.To);
    EXPECT_EQ(field(IDC_AIRCRAFT), good.Aircraft);
    EXPECT_EQ(field(IDC_BLOCKTIME), good.BlockTime);
    EXPECT_EQ(field(IDC_OUT), tm2hminU(std::stol(good.Out)));
    EXPECT_EQ(field(IDC_IN), tm2hminU(std::stol(good.In)));
    EXPECT_EQ(qobject_cast<QTextEdit*>(w().GetDlgItem(IDC_COMMENT))->toPlainText().toStdString(),
              "Smooth ride.\nLight chop near LANUX, FL350 = ok ~ 20 min.\nGate B4");
    EXPECT_TRUE(enabled(IDC_VIEWPIREP));
    EXPECT_TRUE(enabled(IDC_NEWFLIGHT));

    boxes_.answer(IDYES);  // 610: overwrite the PIREP shown
    click(IDC_LOADPIREP);
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[0].text, loadString(610));
    EXPECT_EQ(boxes_.shown[1].text, decoderText);
    EXPECT_EQ(boxes_.shown[1].caption, loadString(803));
    EXPECT_EQ(boxes_.shown[1].style, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(w().pirep(), good);

    boxes_.answer(IDYES);
    SetDlgItemText(w().GetHwnd(), IDC_MESSAGE, "unchanged");
    click(IDC_LOADPIREP);
    EXPECT_EQ(files_.shown.size(), 3u);
    EXPECT_EQ(boxes_.shown.size(), 3u);  // only the question
    EXPECT_EQ(message(), "unchanged");
    EXPECT_EQ(w().pirep(), good);
    escape();
  });
}

}  // namespace
}  // namespace orvane
