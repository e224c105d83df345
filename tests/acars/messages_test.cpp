// Tests of the ACARS message texts, the flight record they keep, and the pilot report.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "acars/ACARS.h"
#include "util/clock.h"

namespace orvane {
namespace {

constexpr long kStart = 1783000000;  // 2026-07-02 13:46:40 UTC
constexpr long kOut = 1783000800;    // 14:00:00 UTC

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Message lines, each ended by a line feed.
std::string lines(std::initializer_list<const char*> parts) {
  std::string text;
  for (const char* p : parts) {
    text += p;
    text += "\n";
  }
  return text;
}

std::string messageBody(const std::string& dataId, const std::string& text) {
  return "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=" + dataId + "&DATA4=" + text;
}

FlightOptions testOptions() {
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1:1/acars.php";
  o.PIREP_URL = "http://127.0.0.1:1/pirep.php";
  o.INFO_URL = "http://127.0.0.1:1/info.php";
  o.ACARS_User = "pilot";
  o.ACARS_Password = "secret";
  o.PIREP_User = "pirepuser";
  o.PIREP_Password = "pireppw";
  return o;
}

void useZone(const char* tz) {
  setenv("TZ", tz, 1);
  tzset();
}

// ---- Formatters ------------------------------------------------------------------------

TEST(FormatPosition, WritesHemispheresDegreesAndMinutes) {
  EXPECT_EQ(ACARS::formatPosition(47.5, -11.25), "N47 30 W11 15");
  EXPECT_EQ(ACARS::formatPosition(-33.946, 151.177), "S33 56.76 E151 10.62");
  EXPECT_EQ(ACARS::formatPosition(0, 0), "N0 0 E0 0");
  EXPECT_EQ(ACARS::formatPosition(-0.5, 179.999), "S0 30 E179 59.94");
  EXPECT_EQ(ACARS::formatPosition(12.25, -0.75), "N12 15 W0 45");
}

TEST(FormatPosition, MinutesUseSixSignificantDigits) {
  // 59.999994 minutes at six significant digits is 60, and stays 60.
  EXPECT_EQ(ACARS::formatPosition(10.9999999, 0), "N10 60 E0 0");
  EXPECT_EQ(ACARS::formatPosition(1.0000002, 0), "N1 0.000012 E0 0");
  EXPECT_EQ(ACARS::formatPosition(50.0333, 8.57056), "N50 1.998 E8 34.2336");
}

TEST(FormatPosition, MinutesNearAWholeDegreeAreWrittenInFixedNotation) {
  // 0.000012 minutes east of 8 degrees; a server's position parser takes no exponent.
  EXPECT_EQ(ACARS::formatPosition(50, 8 + 0.000012 / 60), "N50 0 E8 0.000012");
  EXPECT_EQ(ACARS::formatPosition(-(50 + 0.0000012345678 / 60), -8.5),
            "S50 0.00000123457 W8 30");
}

TEST(FormatPosition, CoordinatesNoIntCanHoldAreWrittenWithoutFailing) {
  EXPECT_EQ(ACARS::formatPosition(kNaN, -kInf), "Nnan nan Winf nan");
  EXPECT_EQ(ACARS::formatPosition(1e12, -3e9), "N1000000000000 0 W3000000000 0");
}

TEST(FormatWind, PadsDirectionToThreeAndSpeedToTwoDigits) {
  EXPECT_EQ(ACARS::formatWind(270, 15), "27015");
  EXPECT_EQ(ACARS::formatWind(5, 3), "00503");
  EXPECT_EQ(ACARS::formatWind(90, 120), "090120");
  EXPECT_EQ(ACARS::formatWind(0, 0), "00000");
  EXPECT_EQ(ACARS::formatWind(360, 100), "360100");
  EXPECT_EQ(ACARS::formatWind(10, 10), "01010");
  EXPECT_EQ(ACARS::formatWind(99, 9), "09909");
  EXPECT_EQ(ACARS::formatWind(100, 0), "10000");
}

TEST(FormatWind, NegativeValuesGetTheSmallNumberPadding) {
  EXPECT_EQ(ACARS::formatWind(-5, 7), "00-507");
  EXPECT_EQ(ACARS::formatWind(-20, -3), "00-200-3");
}

TEST(FormatEnginePerformance, ListsEachEngineWithItsNumber) {
  EXPECT_EQ(ACARS::formatEnginePerformance({85, 86}, {97, 98}),
            "/E1N1 85 /E1N2 97 /E2N1 86 /E2N2 98");
  EXPECT_EQ(ACARS::formatEnginePerformance({0}, {0}), "/E1N1 0 /E1N2 0");
}

TEST(FormatEnginePerformance, SkippedEnginesKeepTheNumbersOfTheOthers) {
  EXPECT_EQ(ACARS::formatEnginePerformance({-1, 86, 87, 88}, {97, 98, -1, 99}),
            "/E2N1 86 /E2N2 98 /E4N1 88 /E4N2 99");
  EXPECT_EQ(ACARS::formatEnginePerformance({-1, -1}, {-5, 90}), "");
}

TEST(FormatEnginePerformance, UsesTheShorterList) {
  EXPECT_EQ(ACARS::formatEnginePerformance({80, 81, 82}, {90, 91}),
            "/E1N1 80 /E1N2 90 /E2N1 81 /E2N2 91");
  EXPECT_EQ(ACARS::formatEnginePerformance({80}, {90, 91, 92}), "/E1N1 80 /E1N2 90");
  EXPECT_EQ(ACARS::formatEnginePerformance({}, {90}), "");
}

TEST(FormatTimes, WriteUtcCalendarText) {
  EXPECT_EQ(ACARS::formatDateTime(kStart), "07/02/2026 13:46Z");
  EXPECT_EQ(ACARS::formatTime(kStart), "13:46Z");
  EXPECT_EQ(ACARS::formatDateTime(0), "01/01/1970 00:00Z");
  EXPECT_EQ(ACARS::formatTime(0), "00:00Z");
  EXPECT_EQ(ACARS::formatDateTime(1798761599), "12/31/2026 23:59Z");
  EXPECT_EQ(ACARS::formatDateTime(-1), "12/31/1969 23:59Z");
}

TEST(HoursMinutes, Sec2hmPadsAndTruncates) {
  EXPECT_EQ(sec2hm(0), "00:00");
  EXPECT_EQ(sec2hm(599), "00:09");
  EXPECT_EQ(sec2hm(600), "00:10");
  EXPECT_EQ(sec2hm(3725), "01:02");
  EXPECT_EQ(sec2hm(35999), "09:59");
  EXPECT_EQ(sec2hm(36000), "10:00");
  EXPECT_EQ(sec2hm(360000), "100:00");
}

TEST(HoursMinutes, Sec2hmOfANegativeCountWrapsToManyHours) {
  EXPECT_EQ(sec2hm(static_cast<unsigned int>(-1)), "1193046:28");
}

TEST(HoursMinutes, S2hmTruncatesTowardsZero) {
  EXPECT_EQ(s2hm(59), "00:00");
  EXPECT_EQ(s2hm(36000), "10:00");
  EXPECT_EQ(s2hm(3 * 3600 + 5 * 60 + 59), "03:05");
  EXPECT_EQ(s2hm(125 * 3600), "125:00");
  EXPECT_EQ(s2hm(-3900), "0-1:0-5");
  EXPECT_EQ(s2hm(-59), "00:00");
  EXPECT_EQ(s2hm(-60), "00:0-1");
  EXPECT_EQ(s2hm(-3600), "0-1:00");
}

TEST(CalcDistance, OneMinuteOfArcIsOneNauticalMile) {
  EXPECT_NEAR(calc_distance(50, 8, 51, 8), 60.0, 1e-6);
  EXPECT_NEAR(calc_distance(0, 0, 0, 1), 60.0, 1e-6);
  EXPECT_NEAR(calc_distance(89, 0, 89, 180), 120.0, 1e-6);
  EXPECT_NEAR(calc_distance(50, 8, 51, 9), 71.1078, 1e-3);
}

TEST(CalcDistance, NearlyEqualPointsCanGiveNaN) {
  EXPECT_TRUE(std::isnan(calc_distance(32.4865, 59.3252, 32.4865001, 59.3252001)));
}

TEST(PrepareInfo, ReplacesEveryLineFeed) {
  EXPECT_EQ(prepare_info("OUT 14:00Z\n/AP EDDF\n\n"), "OUT 14:00Z +++ /AP EDDF +++  +++ ");
  EXPECT_EQ(prepare_info("one line"), "one line");
  EXPECT_EQ(prepare_info(""), "");
}

// ---- Message operations and the flight record ----------------------------------------

class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() { useZone("UTC"); }

  void at(long t) { clock_.set_ms(static_cast<std::int64_t>(t) * 1000); }

  std::string begin(const std::string& route = "EDDF ANEKI KJFK", int alt = 364) {
    return acars_.messageBeginFlight("DLH123", route, "EDDF", "KJFK", "KBOS", "D-ABCD", "B744",
                                     "DLH", "350", "12000", "IFR", 50.0333, 8.57056, alt, 20000,
                                     250, 270, 5, 18);
  }
  std::string out(long t, int fuel = 20000, int zfw = 120000, int alt = 364) {
    return acars_.messageOUT(t, fuel, zfw, zfw + fuel, 50.0333, 8.57056, alt, 250, 252, 0, 270, 5,
                             18, 19);
  }
  std::string off(long t, int fuel, int weight) {
    return acars_.messageOFF(t, fuel, weight, 50.05, 8.5, 400, 250, 252, 160, 280, 12, 17, 19,
                             {85, 86}, {97, 98});
  }
  std::string on(long t, int fuel, int weight) {
    return acars_.messageON(t, fuel, weight, 40.64, -73.78, 13, 40, 28, 140, 10, 8, 22, 23,
                            {-1, 31, 32}, {50, 60});
  }
  std::string in(long t, int fuel, int weight) {
    return acars_.messageIN(t, fuel, weight, 40.6425, -73.7819, 12, 310, 298, 0, 0, 0, 22, 22);
  }
  std::string pos(long t, double lat, double lon, const std::string& remark = "",
                  int alt = 35000) {
    return acars_.messagePOS(t, 17000, lat, lon, alt, 90, 92, 280, 480, -50, -25, 300, 80,
                             remark);
  }
  std::string alt(long t, double lat, double lon, int altitude, const std::string& phase) {
    return acars_.messageALT(t, 18000, lat, lon, altitude, 90, 92, 280, 480, -50, -25, 300, 80,
                             phase);
  }
  // The "/DST" value of a position or altitude message, read from its whole text.
  static std::string distanceOf(const std::string& text) {
    const std::string key = "/DST ";
    const auto start = text.find(key);
    if (start == std::string::npos) return "none";
    const auto end = text.find(" - 0\n", start);
    return text.substr(start + key.size(), end - start - key.size());
  }

  ManualClock clock_{static_cast<std::int64_t>(kStart) * 1000};
  ScopedClock scoped_{clock_};
  ACARS acars_{testOptions(), "ORVANE_MSFS", nullptr, nullptr, nullptr,
               nullptr,       nullptr,       nullptr, nullptr};
};

TEST_F(MessagesTest, CreateMessageQueuesTheRequestBodyUnescaped) {
  const std::string text = acars_.createMessage("MESSAGE", "", "a&b=c\nd e");
  EXPECT_EQ(text, "DATA1=ORVANE_MSFS|2.0&DATA2=MESSAGE&DATA3=&DATA4=a&b=c\nd e");
  acars_.setDataID("4711");
  acars_.createMessage("PAUSEFLIGHT", acars_.getDataID(), "1");
  EXPECT_EQ(acars_.messages(),
            (std::vector<std::string>{text, "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&"
                                            "DATA4=1"}));
}

TEST_F(MessagesTest, BeginFlightCompletesTheRouteFromAirportToAirport) {
  EXPECT_EQ(begin(" EDDF.ANEKI Y163 KJFK "),
            "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~ANEKI~Y163~KJFK|N50 1.998 E8 34.2336|364||||"
            "20000|250|27005|18|IFR|0|secret|");
  EXPECT_EQ(begin("ANEKI Y163"),
            "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~ANEKI~Y163~KJFK|N50 1.998 E8 34.2336|364||||"
            "20000|250|27005|18|IFR|0|secret|");
  EXPECT_EQ(begin("EDDF ANEKI"),
            "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~ANEKI~KJFK|N50 1.998 E8 34.2336|364||||"
            "20000|250|27005|18|IFR|0|secret|");
  EXPECT_EQ(begin(""),
            "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~~KJFK|N50 1.998 E8 34.2336|364||||"
            "20000|250|27005|18|IFR|0|secret|");
  const std::vector<std::string> queue = acars_.messages();
  ASSERT_EQ(queue.size(), 4u);
  EXPECT_EQ(queue[3],
            "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~~KJFK|N50 1.998 E8 34.2336|364||||"
            "20000|250|27005|18|IFR|0|secret|");
}

TEST_F(MessagesTest, MessageQueuedBeforeTheFlightIdIsKnownCarriesAnEmptyId) {
  begin();
  at(kOut);
  const std::string text = out(kOut);
  EXPECT_EQ(text, messageBody("", lines({"[07/02/2026 14:00Z]",
                                         "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                         "Msg Label: QA Block ID: 01 Msg No: M01A",
                                         "Flight ID: DLH123",
                                         "Message:",
                                         "OUT 14:00Z /ZFW 120000 /FOB 20000 /TAW 140000",
                                         "/AP EDDF",
                                         "/POS N50 1.998 E8 34.2336",
                                         "/ALT 364",
                                         "/HDG 250",
                                         "/HDT 252",
                                         "/IAS 0",
                                         "/WND 27005 /OAT 18 /TAT 19",
                                         ""})));
  EXPECT_EQ(acars_.messageEndFlight(), "ENDFLIGHT|");
  EXPECT_EQ(acars_.messages().back(), "ENDFLIGHT|");
}

TEST_F(MessagesTest, BeginFlightRestartsTheMessageNumbers) {
  begin();
  out(kOut);
  off(kOut + 600, 19500, 139500);
  begin();
  const std::string text = pos(kOut + 900, 50.5, 8.5);
  EXPECT_EQ(text, messageBody("", lines({"[07/02/2026 14:15Z]",
                                         "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                         "Msg Label: PR Block ID: 01 Msg No: M01A",
                                         "Flight ID: DLH123",
                                         "Message:",
                                         "POS N50 30 E8 30",
                                         "/ALT 35000",
                                         "/HDG 90",
                                         "/HDT 92",
                                         "/IAS 280 /TAS 480",
                                         "/WND 30080 /OAT -50 /TAT -25",
                                         "/FOB 17000",
                                         "/DST 0 - 0",
                                         ""})));
}

// One whole flight: gate, ground pause, take-off, climb, cruise with a pause in the air,
// descent, landing, gate. Every queued text is compared in full.
class WholeFlightTest : public MessagesTest {
 protected:
  void fly() {
    at(kStart);
    begin(" EDDF.ANEKI Y163 KJFK ");
    acars_.setDataID("4711");
    at(kOut);
    out(kOut);
    at(1783001100);  // 14:05, a five-minute pause at the gate
    acars_.messagePauseFlight();
    at(1783001400);
    acars_.messageUnPauseFlight();
    off(1783001700, 19500, 139500);
    alt(1783002000, 50.25, 8.25, 8000, "CHG CLIMB");
    pos(1783002600, 50.0, 8.0);
    at(1783003200);  // a ten-minute pause in the air
    acars_.messagePauseFlight();
    at(1783003800);
    acars_.messageUnPauseFlight();
    pos(1783004400, 51.0, 9.0, "WPT1");
    pos(1783006200, 52.0, 10.0);
    alt(1783008000, 52.25, 10.5, 30000, "CHG DESC");
    pos(1783008600, 52.5, 11.0, "", 24000);
    on(1783011600, 12000, 132000);
    in(1783012200, 11700, 131700);
    acars_.messageSTAT(1783012320);
    acars_.messageEndFlight();
  }
};

TEST_F(WholeFlightTest, QueuesEveryTextInOrder) {
  fly();
  const std::vector<std::string> expected = {
      "BEGINFLIGHT|pilot||DLH123|B744|DLH|EDDF~ANEKI~Y163~KJFK|N50 1.998 E8 34.2336|364||||"
      "20000|250|27005|18|IFR|0|secret|",
      messageBody("4711", lines({"[07/02/2026 14:00Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: QA Block ID: 01 Msg No: M01A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "OUT 14:00Z /ZFW 120000 /FOB 20000 /TAW 140000",
                                 "/AP EDDF",
                                 "/POS N50 1.998 E8 34.2336",
                                 "/ALT 364",
                                 "/HDG 250",
                                 "/HDT 252",
                                 "/IAS 0",
                                 "/WND 27005 /OAT 18 /TAT 19",
                                 ""})),
      "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1",
      "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0",
      messageBody("4711", lines({"[07/02/2026 14:15Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: QB Block ID: 01 Msg No: M02A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "OFF 14:15Z /FOB 19500 /TOW 139500",
                                 "/POS N50 3 E8 30",
                                 "/ALT 400",
                                 "/HDG 250",
                                 "/HDT 252",
                                 "/IAS 160",
                                 "/WND 28012 /OAT 17 /TAT 19",
                                 "/E1N1 85 /E1N2 97 /E2N1 86 /E2N2 98",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 14:20Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: AR Block ID: 01 Msg No: M03A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "ALT 8000 CHG CLIMB",
                                 "/POS N50 15 E8 15",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 18000",
                                 "/DST 0 - 0",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 14:30Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: PR Block ID: 01 Msg No: M04A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "POS N50 0 E8 0",
                                 "/ALT 35000",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 17000",
                                 "/DST 0 - 0",
                                 ""})),
      "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=1",
      "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=4711&DATA4=0",
      messageBody("4711", lines({"[07/02/2026 15:00Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: PR Block ID: 01 Msg No: M05A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "POS N51 0 E9 0 [WPT1]",
                                 "/ALT 35000",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 17000",
                                 "/DST 71 - 0",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 15:30Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: PR Block ID: 01 Msg No: M06A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "POS N52 0 E10 0",
                                 "/ALT 35000",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 17000",
                                 "/DST 142 - 0",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 16:00Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: AR Block ID: 01 Msg No: M07A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "ALT 30000 CHG DESC",
                                 "/POS N52 15 E10 30",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 18000",
                                 "/DST 142 - 0",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 16:10Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: PR Block ID: 01 Msg No: M08A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "POS N52 30 E11 0",
                                 "/ALT 24000",
                                 "/HDG 90",
                                 "/HDT 92",
                                 "/IAS 280 /TAS 480",
                                 "/WND 30080 /OAT -50 /TAT -25",
                                 "/FOB 17000",
                                 "/DST 189 - 0",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 17:00Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: QC Block ID: 01 Msg No: M09A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "ON 17:00Z /FOB 12000 /LAW 132000",
                                 "/AP KJFK",
                                 "/POS N40 38.4 W73 46.8",
                                 "/ALT 13",
                                 "/HDG 40",
                                 "/HDT 28",
                                 "/IAS 140",
                                 "/WND 01008 /OAT 22 /TAT 23",
                                 "/E2N1 31 /E2N2 60",
                                 ""})),
      messageBody("4711", lines({"[07/02/2026 17:10Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: QD Block ID: 01 Msg No: M10A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "IN 17:10Z /FOB 11700 /RAW 131700",
                                 "/POS N40 38.55 W73 46.914",
                                 "/ALT 12",
                                 "/HDG 310",
                                 "/HDT 298",
                                 "/IAS 0",
                                 "/WND 00000 /OAT 22 /TAT 22",
                                 ""})),
      // Block: 3:10 minus 15 minutes of pauses; flight: 2:45 minus the 10 in the air.
      messageBody("4711", lines({"[07/02/2026 17:12Z]",
                                 "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                 "Msg Label: QM Block ID: 01 Msg No: M11A",
                                 "Flight ID: DLH123",
                                 "Message:",
                                 "BLOCK TIME 02:55 /FUEL 8300",
                                 "FLIGHT TIME 02:35 /FUEL 7500",
                                 "FLIGHT DISTANCE 189",
                                 ""})),
      "ENDFLIGHT|4711",
  };
  const std::vector<std::string> queue = acars_.messages();
  ASSERT_EQ(queue.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(queue[i], expected[i]) << i;
}

TEST_F(WholeFlightTest, RunningValuesAreFixedAfterIn) {
  fly();
  at(1783020000);
  EXPECT_EQ(acars_.getOutTime(), kOut);
  EXPECT_EQ(acars_.getOffTime(), 1783001700);
  EXPECT_EQ(acars_.getOnTime(), 1783011600);
  EXPECT_EQ(acars_.getInTime(), 1783012200);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 10500);
  EXPECT_EQ(acars_.getCurrentFlightTime(), 9300);
  EXPECT_EQ(acars_.getCurrentBlockFuel(), 8300);
  EXPECT_EQ(acars_.getCurrentFlightFuel(), 7500);
}

TEST_F(WholeFlightTest, ReportHoldsTheComputedFlight) {
  fly();
  const PIREPData r = acars_.createPIRData();
  EXPECT_EQ(r.Callsign, "DLH123");
  EXPECT_EQ(r.Aircraft, "B744");
  EXPECT_EQ(r.From, "EDDF");
  EXPECT_EQ(r.To, "KJFK");
  EXPECT_EQ(r.Alt, "KBOS");
  EXPECT_EQ(r.Route, " EDDF.ANEKI Y163 KJFK ");
  EXPECT_EQ(r.OOut, "02.07.2026 14:00");
  EXPECT_EQ(r.Out, "1783000800");
  EXPECT_EQ(r.Off, "1783001700");
  EXPECT_EQ(r.On, "1783011600");
  EXPECT_EQ(r.In, "1783012200");
  EXPECT_EQ(r.BlockTime, "02:55");
  EXPECT_EQ(r.FliteTime, "02:35");
  EXPECT_EQ(r.BlockFuel, "8300");
  EXPECT_EQ(r.FliteFuel, "7500");
  EXPECT_EQ(r.FL, "35000");
  EXPECT_EQ(r.Passengers, "350");
  EXPECT_EQ(r.Cargo, "12000");
  EXPECT_EQ(r.Online, "OFFLINE");
  EXPECT_EQ(r.Rules, "IFR");
  EXPECT_EQ(r.ZFW, "120000");
  EXPECT_EQ(r.TOW, "139500");
  EXPECT_EQ(r.LAW, "132000");
  EXPECT_EQ(r.OriginLat, "50.0333");
  EXPECT_EQ(r.OriginLong, "8.57056");
  EXPECT_EQ(r.OriginAlt, "364");
  EXPECT_EQ(r.DestinLat, "40.6425");
  EXPECT_EQ(r.DestinLong, "-73.7819");
  EXPECT_EQ(r.DestinAlt, "12");
  EXPECT_EQ(r.MaxROC, "");
  EXPECT_EQ(r.MaxROD, "");
  EXPECT_EQ(r.MaxIAS, "");
  EXPECT_EQ(r.MaxGS, "");
  EXPECT_EQ(r.Comment, "");
  EXPECT_EQ(r.VSLand, "");
}

TEST_F(WholeFlightTest, ReportEventTimesAreUtcFieldsReadAsLocalTime) {
  fly();
  useZone("XXX-2");  // two hours east of UTC, no daylight saving
  const PIREPData r = acars_.createPIRData();
  useZone("UTC");
  EXPECT_EQ(r.OOut, "02.07.2026 14:00");
  EXPECT_EQ(r.Out, "1782993600");
  EXPECT_EQ(r.Off, "1782994500");
  EXPECT_EQ(r.On, "1783004400");
  EXPECT_EQ(r.In, "1783005000");
}

TEST_F(WholeFlightTest, TransmissionTextJoinsTheReportWithTildes) {
  fly();
  acars_.askForPIREP();
  EXPECT_EQ(acars_.getPIREP(),
            "pirepuser~pireppw~DLH123~B744~35000~IFR~EDDF~KJFK~KBOS~02.07.2026 14:00~02:55~"
            "02:35~8300~7500~350~12000~OFFLINE~1783000800~1783001700~1783011600~1783012200~"
            "120000~139500~132000~50.0333~8.57056~364~40.6425~-73.7819~12~~~~~");
}

TEST_F(WholeFlightTest, TransmissionTextEncodesOnlyTheComment) {
  fly();
  PIREPData r = acars_.createPIRData();
  r.Online = "VATSIM";
  r.MaxROC = "2500";
  r.MaxROD = "1850";
  r.MaxIAS = "320";
  r.MaxGS = "510";
  r.Comment = "Smooth~flight\nthanks";
  r.VSLand = "212";
  r.Route = "NOT SENT";
  // Cancelled first, so handing the record over sends nothing.
  acars_.PIREPCancel();
  acars_.PIREPReady(r);
  EXPECT_EQ(acars_.getPIREP(),
            "pirepuser~pireppw~DLH123~B744~35000~IFR~EDDF~KJFK~KBOS~02.07.2026 14:00~02:55~"
            "02:35~8300~7500~350~12000~VATSIM~1783000800~1783001700~1783011600~1783012200~"
            "120000~139500~132000~50.0333~8.57056~364~40.6425~-73.7819~12~2500~1850~320~510~"
            "U21vb3RofmZsaWdodAp0aGFua3M=");
}

TEST_F(MessagesTest, TransmissionTextOfAnEmptyReport) {
  EXPECT_EQ(acars_.getPIREP(), "pirepuser~pireppw" + std::string(33, '~'));
}

TEST_F(MessagesTest, SecondTakeOffKeepsTheFirstTimeAndFuelButTakesTheNewWeight) {
  begin();
  out(kOut);
  off(kOut + 900, 19500, 139500);
  on(kOut + 3000, 18000, 138000);  // touch and go
  const std::string second = off(kOut + 3060, 17900, 137900);
  EXPECT_EQ(second, messageBody("", lines({"[07/02/2026 14:15Z]",
                                           "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                           "Msg Label: QB Block ID: 01 Msg No: M04A",
                                           "Flight ID: DLH123",
                                           "Message:",
                                           "OFF 14:15Z /FOB 19500 /TOW 137900",
                                           "/POS N50 3 E8 30",
                                           "/ALT 400",
                                           "/HDG 250",
                                           "/HDT 252",
                                           "/IAS 160",
                                           "/WND 28012 /OAT 17 /TAT 19",
                                           "/E1N1 85 /E1N2 97 /E2N1 86 /E2N2 98",
                                           ""})));
  on(kOut + 6000, 15000, 135000);
  in(kOut + 6600, 14800, 134800);
  const PIREPData r = acars_.createPIRData();
  EXPECT_EQ(r.Off, std::to_string(kOut + 900));
  EXPECT_EQ(r.On, std::to_string(kOut + 6000));
  EXPECT_EQ(r.TOW, "137900");
  EXPECT_EQ(r.LAW, "135000");
  EXPECT_EQ(r.FliteTime, "01:25");
  EXPECT_EQ(r.FliteFuel, "4500");
}

TEST_F(MessagesTest, OutAgainClearsTheTakeOff) {
  begin();
  out(kOut);
  off(kOut + 900, 19500, 139500);
  at(kOut + 1000);
  EXPECT_EQ(acars_.getCurrentFlightFuel(), 0);  // no fuel burnt since OFF
  out(kOut + 1800, 19000, 121000);                  // back at the gate, a new start
  EXPECT_EQ(acars_.getOffTime(), 0);
  EXPECT_EQ(acars_.getCurrentFlightTime(), 0);
  EXPECT_EQ(acars_.getCurrentFlightFuel(), 0);
  off(kOut + 2400, 18600, 139600);
  pos(kOut + 3000, 50.5, 8.5);  // 17000 on board
  at(kOut + 3000);
  EXPECT_EQ(acars_.getOffTime(), kOut + 2400);
  EXPECT_EQ(acars_.getCurrentFlightTime(), 600);
  EXPECT_EQ(acars_.getCurrentFlightFuel(), 1600);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 1200);
  EXPECT_EQ(acars_.getCurrentBlockFuel(), 2000);
  EXPECT_EQ(acars_.createPIRData().ZFW, "121000");
}

TEST_F(MessagesTest, LaterLandingAndArrivalReplaceEarlierOnes) {
  begin();
  out(kOut);
  off(kOut + 600, 19500, 139500);
  on(kOut + 3000, 18000, 138000);
  on(kOut + 3600, 17500, 137500);
  in(kOut + 3900, 17400, 137400);
  in(kOut + 4200, 17300, 137300);
  const PIREPData r = acars_.createPIRData();
  EXPECT_EQ(r.On, std::to_string(kOut + 3600));
  EXPECT_EQ(r.In, std::to_string(kOut + 4200));
  EXPECT_EQ(r.LAW, "137500");
  EXPECT_EQ(r.BlockFuel, "2700");
  EXPECT_EQ(r.FliteFuel, "2000");
  EXPECT_EQ(r.BlockTime, "01:10");
}

TEST_F(MessagesTest, BlockTimeRunsWithTheClockUntilIn) {
  begin();
  at(kOut);
  out(kOut);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 0);
  at(kOut + 600);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 600);
  pos(kOut + 600, 50.5, 8.5);
  EXPECT_EQ(acars_.getCurrentBlockFuel(), 3000);
  at(kOut + 1500);
  in(kOut + 1500, 16500, 136500);
  at(kOut + 5000);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 1500);
  EXPECT_EQ(acars_.getCurrentBlockFuel(), 3500);
}

TEST_F(MessagesTest, PauseStartedBeforeOutAndEndedAfterItCountsWhole) {
  begin();
  at(kOut - 100);
  EXPECT_EQ(acars_.messagePauseFlight(),
            "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=&DATA4=1");
  out(kOut);
  at(kOut + 200);
  EXPECT_EQ(acars_.messageUnPauseFlight(),
            "DATA1=ORVANE_MSFS|2.0&DATA2=PAUSEFLIGHT&DATA3=&DATA4=0");
  at(kOut + 1000);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 700);
}

TEST_F(MessagesTest, PauseEndedBeforeOutAddsNothing) {
  begin();
  at(kOut - 300);
  acars_.messagePauseFlight();
  at(kOut - 100);
  acars_.messageUnPauseFlight();
  out(kOut);
  at(kOut + 1000);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 1000);
}

TEST_F(MessagesTest, PausesOnTheGroundShortenOnlyTheBlockTime) {
  begin();
  out(kOut);
  at(kOut + 100);  // before take-off
  acars_.messagePauseFlight();
  at(kOut + 400);
  acars_.messageUnPauseFlight();
  off(kOut + 600, 19500, 139500);
  at(kOut + 1200);  // in the air
  acars_.messagePauseFlight();
  at(kOut + 1800);
  acars_.messageUnPauseFlight();
  on(kOut + 7200, 12000, 132000);
  at(kOut + 7300);  // after landing
  acars_.messagePauseFlight();
  at(kOut + 7420);
  acars_.messageUnPauseFlight();
  in(kOut + 7800, 11800, 131800);
  EXPECT_EQ(acars_.getCurrentBlockTime(), 7800 - 300 - 600 - 120);
  EXPECT_EQ(acars_.getCurrentFlightTime(), 6600 - 600);
  EXPECT_EQ(acars_.messageSTAT(kOut + 7900),
            messageBody("", lines({"[07/02/2026 16:11Z]",
                                   "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                   "Msg Label: QM Block ID: 01 Msg No: M05A",
                                   "Flight ID: DLH123",
                                   "Message:",
                                   "BLOCK TIME 01:53 /FUEL 8200",
                                   "FLIGHT TIME 01:40 /FUEL 7500",
                                   "FLIGHT DISTANCE 0",
                                   ""})));
}

TEST_F(MessagesTest, ResumeWithoutAPauseInProgressAddsNothing) {
  begin();
  out(kOut);
  off(kOut + 600, 19500, 139500);
  at(kOut + 1200);
  acars_.messageUnPauseFlight();
  EXPECT_EQ(acars_.getCurrentBlockTime(), 1200);
  EXPECT_EQ(acars_.getCurrentFlightTime(), 600);
}

TEST_F(MessagesTest, StatisticsBeforeArrivalShowTheWrappedBlockTime) {
  begin();
  out(kOut);
  EXPECT_EQ(acars_.messageSTAT(kOut + 60),
            messageBody("", lines({"[07/02/2026 14:01Z]",
                                   "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                   "Msg Label: QM Block ID: 01 Msg No: M02A",
                                   "Flight ID: DLH123",
                                   "Message:",
                                   "BLOCK TIME 697768:28 /FUEL 20000",
                                   "FLIGHT TIME 00:00 /FUEL 0",
                                   "FLIGHT DISTANCE 0",
                                   ""})));
}

TEST_F(MessagesTest, HighestAltitudeOfAnyMessageIsTheFlightLevel) {
  begin("", 364);
  EXPECT_EQ(acars_.createPIRData().FL, "364");
  out(kOut, 20000, 120000, 380);
  alt(kOut + 1200, 50.5, 8.5, 37000, "LEVEL");
  pos(kOut + 1800, 50.6, 8.6, "", 35000);
  in(kOut + 9000, 11000, 131000);
  EXPECT_EQ(acars_.createPIRData().FL, "37000");
}

TEST_F(MessagesTest, FlightLevelStaysZeroBelowSeaLevel) {
  begin("", -50);
  out(kOut, 20000, 120000, -40);
  EXPECT_EQ(acars_.createPIRData().FL, "0");
}

// ---- Flown distance ---------------------------------------------------------------------

TEST_F(MessagesTest, FirstPositionReportOnlySetsThePreviousPosition) {
  begin();
  EXPECT_EQ(distanceOf(pos(kOut, 50, 8)), "0");
  EXPECT_EQ(distanceOf(pos(kOut + 600, 51, 9)), "71");
}

TEST_F(MessagesTest, SameLatitudeAddsNoDistanceButMovesThePreviousPosition) {
  begin();
  pos(kOut, 50, 8);
  EXPECT_EQ(distanceOf(pos(kOut + 600, 50, 9)), "0");
  // Measured from (50, 9): 71 nm; from the first report it would be 142.
  EXPECT_EQ(distanceOf(pos(kOut + 1200, 51, 10)), "71");
}

TEST_F(MessagesTest, SameLongitudeAddsNoDistance) {
  begin();
  pos(kOut, 50, 8);
  EXPECT_EQ(distanceOf(pos(kOut + 600, 51, 8)), "0");
  EXPECT_EQ(distanceOf(pos(kOut + 1200, 52, 9)), "71");
}

TEST_F(MessagesTest, AltitudeMessagesNeitherAddDistanceNorMoveThePreviousPosition) {
  begin();
  pos(kOut, 50, 8);
  EXPECT_EQ(distanceOf(alt(kOut + 300, 51, 9, 20000, "CHG CLIMB")), "0");
  EXPECT_EQ(distanceOf(pos(kOut + 600, 51, 9)), "71");
}

TEST_F(MessagesTest, StepThatIsNotANumberKeepsTheDistance) {
  ASSERT_TRUE(std::isnan(calc_distance(32.4865, 59.3252, 32.4865001, 59.3252001)));
  begin();
  pos(kOut, 32.4865, 59.3252);
  EXPECT_EQ(distanceOf(pos(kOut + 600, 32.4865001, 59.3252001)), "0");
  // The next step is measured from the point whose own step failed: 78.3 nm.
  EXPECT_EQ(distanceOf(pos(kOut + 1200, 33.4865001, 60.3252001)), "78");
}

TEST_F(MessagesTest, PositionThatIsNotANumberKeepsTheDistance) {
  begin();
  pos(kOut, 50, 8);
  pos(kOut + 600, 51, 9);
  EXPECT_EQ(pos(kOut + 1200, kNaN, kNaN),
            messageBody("", lines({"[07/02/2026 14:20Z]",
                                   "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                   "Msg Label: PR Block ID: 01 Msg No: M03A",
                                   "Flight ID: DLH123",
                                   "Message:",
                                   "POS Nnan nan Enan nan",
                                   "/ALT 35000",
                                   "/HDG 90",
                                   "/HDT 92",
                                   "/IAS 280 /TAS 480",
                                   "/WND 30080 /OAT -50 /TAT -25",
                                   "/FOB 17000",
                                   "/DST 71 - 0",
                                   ""})));
  EXPECT_EQ(distanceOf(pos(kOut + 1800, 52, 10)), "71");
  EXPECT_EQ(distanceOf(pos(kOut + 2400, 53, 11)), "141");
  EXPECT_EQ(acars_.messageSTAT(kOut + 2500),
            messageBody("", lines({"[07/02/2026 14:41Z]",
                                   "ACARS Mode: 2 Aircraft Reg: .D-ABCD",
                                   "Msg Label: QM Block ID: 01 Msg No: M06A",
                                   "Flight ID: DLH123",
                                   "Message:",
                                   "BLOCK TIME 00:00 /FUEL 0",
                                   "FLIGHT TIME 00:00 /FUEL 0",
                                   "FLIGHT DISTANCE 141",
                                   ""})));
}

}  // namespace
}  // namespace orvane
