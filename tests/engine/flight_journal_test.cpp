// The flight journal's content: snapshot, messages and track through a real file, a torn end, the question.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/flight_journal.h"
#include "support/temp_dir.h"
#include "util/atomic_file.h"
#include "util/record_file.h"

namespace orvane {
namespace {

using test::TempDir;

JournalSnapshot cruiseSnapshot() {
  JournalSnapshot s;
  s.written = 1783000900;
  s.phaseSince = 1783000800;  // 2026-07-02 14:00:00Z
  s.flight.state = FlightState::CRUISING;
  s.flight.cruiseAltSent = true;
  s.flight.reportPOS = true;
  s.flight.lastPOSReport = 1783000850;
  s.flight.landingVSpeed = -123.5;
  s.flight.loopInterval = 5;
  s.flight.lat = 50.123456789;
  s.flight.lon = -8.5;
  s.flight.altitude = 35000;
  s.flight.placeAt = 1783000895;
  s.record.timeOut = 1783000000;
  s.record.timeOff = 1783000300;
  s.record.fuelOut = 9000.25;
  s.record.fuelOff = 8800;
  s.record.currentFuel = 7000;
  s.record.flownDistance = 123.456;
  s.record.plat = 50.1;
  s.record.plong = 8.4;
  s.record.zfw = 120000;
  s.record.tow = 129000;
  s.record.outLat = 50.048;
  s.record.outLong = 8.57;
  s.record.outAlt = 364;
  s.record.messNo = 7;
  s.record.maxAlt = 35012;
  s.record.plan.callsign = "ORV123";
  s.record.plan.route = "EDDF TOBAK\nback\\slash=x EDDK";
  s.record.plan.departure = "EDDF";
  s.record.plan.destination = "EDDK";
  s.record.plan.registration = "D-ABCD";
  s.dataId = "4711";
  s.extremes.maxRate = 2500;
  s.extremes.minRate = -1800;
  s.extremes.maxIas = 290;
  s.extremes.maxGs = 455;
  s.sent = 3;
  s.liveACARS = true;
  s.pirep = true;
  s.posReportInterval = 60;
  return s;
}

TEST(FlightJournal, SnapshotRoundTripKeepsEveryValue) {
  const JournalSnapshot s = cruiseSnapshot();
  JournalSnapshot back;
  ASSERT_TRUE(decodeSnapshot(encodeSnapshot(s), back));
  EXPECT_EQ(back.written, s.written);
  EXPECT_EQ(back.phaseSince, s.phaseSince);
  EXPECT_EQ(back.flight.state, s.flight.state);
  EXPECT_EQ(back.flight.cruiseAltSent, true);
  EXPECT_EQ(back.flight.climbAltSent, false);
  EXPECT_EQ(back.flight.reportPOS, true);
  EXPECT_EQ(back.flight.lastPOSReport, s.flight.lastPOSReport);
  EXPECT_EQ(back.flight.landingVSpeed, s.flight.landingVSpeed);
  EXPECT_EQ(back.flight.lat, s.flight.lat);
  EXPECT_EQ(back.flight.lon, s.flight.lon);
  EXPECT_EQ(back.flight.altitude, s.flight.altitude);
  EXPECT_EQ(back.flight.placeAt, s.flight.placeAt);
  EXPECT_EQ(back.record.timeOut, s.record.timeOut);
  EXPECT_EQ(back.record.timeOff, s.record.timeOff);
  EXPECT_EQ(back.record.fuelOut, s.record.fuelOut);
  EXPECT_EQ(back.record.fuelOff, s.record.fuelOff);
  EXPECT_EQ(back.record.flownDistance, s.record.flownDistance);
  EXPECT_EQ(back.record.zfw, s.record.zfw);
  EXPECT_EQ(back.record.tow, s.record.tow);
  EXPECT_EQ(back.record.outLat, s.record.outLat);
  EXPECT_EQ(back.record.messNo, 7);
  EXPECT_EQ(back.record.maxAlt, 35012);
  EXPECT_EQ(back.record.plan.callsign, "ORV123");
  EXPECT_EQ(back.record.plan.route, s.record.plan.route);
  EXPECT_EQ(back.record.plan.registration, "D-ABCD");
  EXPECT_EQ(back.dataId, "4711");
  EXPECT_EQ(back.extremes.maxRate, 2500);
  EXPECT_EQ(back.extremes.minRate, -1800);
  EXPECT_EQ(back.extremes.maxIas, 290);
  EXPECT_EQ(back.extremes.maxGs, 455);
  EXPECT_EQ(back.sent, 3u);
  EXPECT_TRUE(back.liveACARS);
  EXPECT_TRUE(back.pirep);
  EXPECT_EQ(back.posReportInterval, 60);
}

TEST(FlightJournal, NotASnapshotIsRefused) {
  JournalSnapshot s;
  EXPECT_FALSE(decodeSnapshot("MSG\nDATA1=x", s));
  EXPECT_FALSE(decodeSnapshot("STATE\n", s));
  EXPECT_FALSE(decodeSnapshot("STATE\nno equals sign\n", s));
}

// A journal as the engine appends it: messages, track, state, twice, through a real file.
std::string writeJournal(const TempDir& dir) {
  const std::string path = dir.file("orvane.journal");
  JournalSnapshot s = cruiseSnapshot();
  s.sent = 1;
  std::string first = frame_record(encodeMessage("BEGINFLIGHT|pilot||ORV123|secret|"));
  first += frame_record(encodeMessage("DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=OUT"));
  first += frame_record(encodeTrack({{1783000000, 364, 0, 50.048F, 8.57F},
                                     {1783000005, 364, 12, 50.049F, 8.56F}}));
  first += frame_record(encodeSnapshot(s));
  EXPECT_TRUE(append_file_synced(path, first));
  s.sent = 2;
  std::string second =
      frame_record(encodeMessage("DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=OFF\nline"));
  second += frame_record(encodeTrack({{1783000300, 404, 150, 50.05F, 8.5F}}));
  second += frame_record(encodeSnapshot(s));
  EXPECT_TRUE(append_file_synced(path, second));
  return path;
}

TEST(FlightJournal, ReadBackHoldsTheLastStateAllMessagesAndTheTrack) {
  TempDir dir;
  const FlightJournal j = readFlightJournal(writeJournal(dir));
  ASSERT_TRUE(j.exists);
  EXPECT_FALSE(j.torn);
  ASSERT_TRUE(j.hasSnapshot);
  EXPECT_TRUE(j.resumable());
  EXPECT_EQ(j.callsign(), "ORV123");
  EXPECT_EQ(j.last.sent, 2u);
  ASSERT_EQ(j.messages.size(), 3u);
  EXPECT_EQ(j.messages[2], "DATA1=ORVANE|2.0&DATA2=MESSAGE&DATA3=4711&DATA4=OFF\nline");
  EXPECT_EQ(j.undelivered(), std::vector<std::string>{j.messages[2]});
  ASSERT_EQ(j.track.size(), 3u);
  EXPECT_EQ(j.track[1].time, 1783000005);
  EXPECT_EQ(j.track[1].groundSpeed, 12);
  EXPECT_EQ(j.track[2].altitude, 404);
  EXPECT_FLOAT_EQ(j.track[2].latitude, 50.05F);
}

TEST(FlightJournal, ATornLastAppendIsIgnoredAndTheStateBeforeItHolds) {
  TempDir dir;
  const std::string path = writeJournal(dir);
  JournalSnapshot later = cruiseSnapshot();
  later.sent = 3;
  later.flight.state = FlightState::DESCENDING;
  const std::string torn = frame_record(encodeSnapshot(later));
  ASSERT_TRUE(append_file_synced(path, torn.substr(0, torn.size() / 2)));
  const FlightJournal j = readFlightJournal(path);
  EXPECT_TRUE(j.torn);
  EXPECT_TRUE(j.resumable());
  EXPECT_EQ(j.last.sent, 2u);
  EXPECT_EQ(j.last.flight.state, FlightState::CRUISING);
  EXPECT_EQ(j.messages.size(), 3u);
}

TEST(FlightJournal, DeliveryMarksCountUpToTheJournaledMessagesAndATornOneIsIgnored) {
  TempDir dir;
  const std::string path = writeJournal(dir);  // 3 messages, the state says 2 delivered
  ASSERT_TRUE(append_file_synced(path, frame_record(encodeDelivered(3))));
  FlightJournal j = readFlightJournal(path);
  EXPECT_EQ(j.last.sent, 3u);
  EXPECT_TRUE(j.undelivered().empty());
  // A state record written before a mark does not take the mark back.
  JournalSnapshot earlier = cruiseSnapshot();
  earlier.sent = 1;
  ASSERT_TRUE(append_file_synced(path, frame_record(encodeSnapshot(earlier))));
  EXPECT_EQ(readFlightJournal(path).last.sent, 3u);
  // A mark beyond the journaled messages counts only those; a torn mark counts nothing.
  ASSERT_TRUE(append_file_synced(path, frame_record(encodeDelivered(7))));
  EXPECT_EQ(readFlightJournal(path).last.sent, 3u);
  TempDir other;
  const std::string second = writeJournal(other);
  const std::string torn = frame_record(encodeDelivered(3));
  ASSERT_TRUE(append_file_synced(second, torn.substr(0, torn.size() - 2)));
  j = readFlightJournal(second);
  EXPECT_TRUE(j.torn);
  EXPECT_EQ(j.undelivered().size(), 1u);
}

TEST(FlightJournal, TheQuestionNamesFlightPhaseAndSince) {
  TempDir dir;
  const FlightJournal j = readFlightJournal(writeJournal(dir));
  EXPECT_EQ(j.question(), "Resume ORV123 (cruise since 14:00Z)?");
  EXPECT_EQ(j.phaseSince(), "cruise since 14:00Z");
}

TEST(FlightJournal, LogLinesNeverShowThePasswordOfBeginFlight) {
  TempDir dir;
  FlightJournal j = readFlightJournal(writeJournal(dir));
  j.last.sent = 0;
  std::string all;
  for (const std::string& line : j.logLines()) all += line + "\n";
  EXPECT_EQ(all.find("secret"), std::string::npos) << all;
  EXPECT_NE(all.find("flight [ORV123]"), std::string::npos) << all;
  EXPECT_NE(all.find("data id [4711]"), std::string::npos) << all;
  EXPECT_NE(all.find("3 messages, 3 not delivered"), std::string::npos) << all;
}

TEST(FlightJournal, NoFileNothingToResumeAFlightAtItsEndNeither) {
  TempDir dir;
  EXPECT_FALSE(readFlightJournal(dir.file("none")).exists);
  EXPECT_FALSE(readFlightJournal(dir.file("none")).resumable());
  JournalSnapshot s = cruiseSnapshot();
  s.flight.state = FlightState::FINAL;
  EXPECT_FALSE(parseFlightJournal({encodeSnapshot(s)}, false).resumable());
  s.flight.state = FlightState::CRUISING;
  s.dataId.clear();
  EXPECT_FALSE(parseFlightJournal({encodeSnapshot(s)}, false).resumable());
  EXPECT_FALSE(parseFlightJournal({encodeMessage("x")}, false).resumable());
}

}  // namespace
}  // namespace orvane
