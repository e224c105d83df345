// The main window and the flight journal: a flight journaled when ORVANE last stopped, offered at start and resumed or discarded.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/flight_journal.h"
#include "mainwindow_fixture.h"
#include "util/atomic_file.h"
#include "util/record_file.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

// In cruise from the start, where the journal left the aircraft.
const char* const kCruise =
    "key 0 engines=2 n1=80 n2=90 zfw=120000 fuel=7000 lat=50.5 lon=8.0 alt=8000 height=7000 "
    "vs=0 gs=250 ias=220 tas=260 hdg=270 on_ground=0\n";

class MainJournalTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    play(kCruise);
  }

  // The journal of ORV123, in cruise since 13:40Z, last written a minute ago near lat 50.5
  // lon 8.0 at 8000 ft; one message of the four it queued not delivered.
  void writeJournal(double lat) {
    const std::int64_t now = kStartMs / 1000;
    JournalSnapshot s;
    s.written = now - 60;
    s.phaseSince = now - 1200;
    s.flight.state = FlightState::CRUISING;
    s.flight.cruiseAltSent = true;
    s.flight.reportPOS = true;
    s.flight.lastPOSReport = now - 60;
    s.flight.lat = lat;
    s.flight.lon = 8.01;
    s.flight.altitude = 8000;
    s.flight.placeAt = now - 60;
    s.record.timeOut = static_cast<std::int32_t>(now - 1800);
    s.record.timeOff = static_cast<std::int32_t>(now - 1500);
    s.record.fuelOut = 9000;
    s.record.fuelOff = 8800;
    s.record.messNo = 4;
    s.record.maxAlt = 8000;
    s.record.plan.callsign = "ORV123";
    s.record.plan.departure = "EDDF";
    s.record.plan.destination = "EDDK";
    s.record.plan.alternate = "EDDL";
    s.record.plan.aircraft = "A320";
    s.record.plan.registration = "D-ABCD";
    s.dataId = "77";
    s.sent = 3;
    s.liveACARS = true;
    s.pirep = true;
    std::string bytes = frame_record(encodeMessage("BEGINFLIGHT|pilot||ORV123|A320|secret|"));
    bytes += frame_record(encodeMessage("DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=77&DATA4=OUT"));
    bytes += frame_record(encodeMessage("DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=77&DATA4=OFF"));
    bytes += frame_record(encodeMessage("DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=77&DATA4=M04 waits"));
    bytes += frame_record(encodeSnapshot(s));
    ASSERT_TRUE(append_file_synced(dir_.file("orvane.journal"), bytes));
  }

  std::vector<std::string> messagesSent() const {
    std::vector<std::string> texts;
    for (const airline::Request& r : airline_.requests_for(kAcars)) {
      texts.push_back(r.form.value("DATA2") + " " + r.form.value("DATA4"));
    }
    return texts;
  }
  bool sent(const std::string& text) const {
    for (const std::string& t : messagesSent()) {
      if (t.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(MainJournalTest, JournaledFlightIsOfferedAndResumedWithoutASecondBeginFlight) {
  writeJournal(50.5);
  boxes_.answer(IDYES);  // Resume
  runWindow([&] {
    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown[0].text, "Resume ORV123 (cruise since 13:40Z)?");
    EXPECT_EQ(boxes_.shown[0].style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes_.shown[0].labels, (std::vector<std::string>{"Resume", "Discard"}));
    settle();
    EXPECT_TRUE(w().isACARSInProgress());
    EXPECT_EQ(field(IDC_FLIGHTNO), "ORV123");
    EXPECT_TRUE(enabled(IDC_STARTACARS));  // Stop ACARS
    // The aircraft is where it was: the gap goes to the airline after the waiting message.
    ASSERT_TRUE(stepUntil([&] { return sent("ACARS RESTART 13:59Z /BACK 14:00Z /GAP "); }, 10))
        << ::testing::PrintToString(messagesSent());
    const std::vector<std::string> texts = messagesSent();
    std::size_t waiting = texts.size(), gap = texts.size();
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].find("BEGINFLIGHT"), std::string::npos) << texts[i];
      if (texts[i].find("M04 waits") != std::string::npos) waiting = i;
      if (texts[i].find("ACARS RESTART") != std::string::npos) gap = i;
    }
    EXPECT_LT(waiting, gap);
    EXPECT_NE(texts[gap].find("Msg No: M05A"), std::string::npos) << texts[gap];
    for (const airline::Request& r : airline_.requests_for(kAcars)) {
      if (r.form.value("DATA2") == "MESSAGE") {
        EXPECT_EQ(r.form.value("DATA3"), "77");
      }
    }
    step();
    step();
    EXPECT_EQ(field(IDC_OUT), "13:30Z");
    EXPECT_EQ(field(IDC_OFF), "13:35Z");
    EXPECT_EQ(ORVANE::getOutTime(), static_cast<int>(kStartMs / 1000 - 1800));
    EXPECT_EQ(ORVANE::getOffTime(), static_cast<int>(kStartMs / 1000 - 1500));
    shot("orvane-9-resumed");
    boxes_.answer(IDYES);  // stop tracking
    escape();
  });
}

TEST_F(MainJournalTest, AircraftElsewhereIsToldAndTheFlightWaits) {
  writeJournal(51.5);  // 60 nm north of the aircraft
  boxes_.answer(IDYES);
  runWindow([&] {
    settle();
    ASSERT_TRUE(stepUntil([&] { return ORVANE::getFlightHold().suspended; }, 5));
    step();
    step();
    EXPECT_NE(ORVANE::getFlightHold().suspendedText.find("The simulator is back, but the aircraft is "),
              std::string::npos)
        << ORVANE::getFlightHold().suspendedText;
    EXPECT_FALSE(sent("ACARS RESTART"));
    boxes_.answer(IDYES);
    escape();
  });
}

TEST_F(MainJournalTest, DiscardedJournalGoesAndItsRecordIsInTheLog) {
  writeJournal(50.5);
  boxes_.answer(IDNO);  // Discard
  runWindow([&] {
    EXPECT_EQ(boxes_.shown.at(0).text, "Resume ORV123 (cruise since 13:40Z)?");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("orvane.journal")));
    EXPECT_FALSE(w().isACARSInProgress());
    EXPECT_EQ(message(), "The flight journal of ORV123 is discarded; its record is in the log.");
    escape();
  });
  const std::string log = test::read_file(dir_.file("orvane.log"));
  EXPECT_NE(log.find("Flight journal: flight [ORV123] from [EDDF] to [EDDK], data id [77]"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("M04 waits]"), std::string::npos) << log;
  EXPECT_TRUE(airline_.requests_for(kAcars).size() <= 1u);  // the connection test alone
}

}  // namespace
}  // namespace orvane
