// Tests of the pilot's report text and of its coordinate form.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pirep/PIREPData.h"
#include "pirep/pirep_samples.h"
#include "util/clock.h"

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

constexpr std::int64_t kJuly2Afternoon = 1783000000000;  // 2026-07-02 13:46:40 UTC, in ms
constexpr std::int64_t kJuly2LastSecond = 1783036799000;  // 2026-07-02 23:59:59 UTC, in ms

// A record as it stands right after the flight is computed: no extremes, no comment yet.
PIREPData computed_pirep() {
  PIREPData p = test::sample_pirep();
  p.Online = "OFFLINE";
  p.TOW = "98000";
  p.MaxROC.clear();
  p.MaxROD.clear();
  p.MaxIAS.clear();
  p.MaxGS.clear();
  p.Comment.clear();
  p.VSLand.clear();
  return p;
}

TEST(PirepText, ComputedRecordLineByLine) {
  ManualClock clock(kJuly2Afternoon);
  ScopedClock use(clock);
  EXPECT_EQ(computed_pirep().Generate_PIREP_Text(),
            (Lines{
                "ORV123                     OFFLINE",
                "2026-07-02   B738   EDDF LOWW LOWS",
                "OUT 09:15Z N50.0379 E008.5705 0364",
                "OFF 09:31Z 098000",
                "ON  10:32Z 131200 0000",
                "IN  10:41Z N48.1103 E016.5697 0600",
                "FT 01:01    BT 01:26    ALT  35000",
                "FF 007420   BF 009000   ZFW 121500",
                "MAX C/D 0000/-0000  IAS  GS ",
                "",
                "COMMENT:",
                "",
            }));
}

TEST(PirepText, EmptyRecordLineByLine) {
  ManualClock clock(kJuly2Afternoon);
  ScopedClock use(clock);
  EXPECT_EQ(PIREPData().Generate_PIREP_Text(),
            (Lines{
                std::string(34, ' '),
                "2026-07-02        ",
                "OUT 00:00Z N0000000 E00000000 0000",
                "OFF 00:00Z 000000",
                "ON  00:00Z 000000 0000",
                "IN  00:00Z N0000000 E00000000 0000",
                "FT     BT     ALT  ",
                "FF 000000   BF 000000   ZFW 000000",
                "MAX C/D 0000/-0000  IAS  GS ",
                "",
                "COMMENT:",
                "",
            }));
}

TEST(PirepText, CompletedRecordWithSouthWestMinusSignsAndLongComment) {
  ManualClock clock(kJuly2Afternoon);
  ScopedClock use(clock);
  PIREPData p;
  p.Callsign = "ORV4567890";
  p.Online = "VATSIM";
  p.Aircraft = "B77W";
  p.From = "YSSY";
  p.To = "KLAX";
  p.Alt = "KONT";
  p.Out = "1783036799";  // 23:59:59Z: seconds are not rounded up
  p.Off = "1783036800";
  p.On = "1783075500";
  p.In = "1783076399";
  p.OriginLat = "-33.9461";
  p.OriginLong = "151.177";
  p.OriginAlt = "21";
  p.TOW = "351000";
  p.LAW = "-5";
  p.VSLand = "-88";
  p.DestinLat = "33.9425";
  p.DestinLong = "-118.4085";
  p.DestinAlt = "-12";
  p.FliteTime = "13:25";
  p.BlockTime = "14:00";
  p.FL = "39000";
  p.FliteFuel = "251000";
  p.BlockFuel = "-35";
  p.ZFW = "1234567";
  p.MaxROC = "3100";
  p.MaxROD = "2200";
  p.MaxIAS = "335";
  p.MaxGS = "612";
  p.Comment = "01234567890123456789012345678901234567890123456789012345678901234567890123456789";
  EXPECT_EQ(p.Generate_PIREP_Text(),
            (Lines{
                "ORV4567890                  VATSIM",
                "2026-07-02   B77W   YSSY KLAX KONT",
                "OUT 23:59Z S33.9461 E0151.177 0021",
                "OFF 00:00Z 351000",
                "ON  10:45Z 0000-5 0-88",
                "IN  10:59Z N33.9425 W0118.409 0-12",
                "FT 13:25    BT 14:00    ALT  39000",
                "FF 251000   BF 000-35   ZFW 1234567",
                "MAX C/D 3100/-2200  IAS 335 GS 612",
                "",
                "COMMENT:",
                "01234567890123456789012345678901234",
                "56789012345678901234567890123456789",
                "0123456789",
            }));
}

// The lines after "COMMENT:" for a comment.
Lines comment_lines(const std::string& comment) {
  PIREPData p;
  p.Comment = comment;
  Lines all = p.Generate_PIREP_Text();
  return Lines(all.begin() + 11, all.end());
}

TEST(PirepText, CommentWrapsAt35AndKeepsItsLineBreaks) {
  EXPECT_EQ(comment_lines("Line one\nLine two\nLine three"),
            (Lines{"Line one", "Line two", "Line three"}));
  EXPECT_EQ(comment_lines("The quick brown fox jumps over the lazy dog and keeps running"),
            (Lines{"The quick brown fox jumps over the", "lazy dog and keeps running"}));
  EXPECT_EQ(comment_lines(std::string(35, 'x')), (Lines{std::string(35, 'x')}));
  EXPECT_EQ(comment_lines("ends with a break\n"), (Lines{"ends with a break", ""}));
}

TEST(PirepText, FirstLineFillsTo34ColumnsOnlyWhenThereIsRoom) {
  struct Case {
    std::string callsign;
    std::string online;
    std::string line;
  };
  const Case cases[] = {
      {"ORV123", "OFFLINE", "ORV123" + std::string(21, ' ') + "OFFLINE"},
      {std::string(27, 'C'), "OFFLINE", std::string(27, 'C') + "OFFLINE"},
      {std::string(26, 'C'), "OFFLINE", std::string(26, 'C') + " OFFLINE"},
      {std::string(30, 'C'), "OFFLINE", std::string(30, 'C') + "OFFLINE"},
      {"", "IVAO", std::string(30, ' ') + "IVAO"},
      {"ORV1", "", "ORV1" + std::string(30, ' ')},
  };
  for (const Case& c : cases) {
    PIREPData p;
    p.Callsign = c.callsign;
    p.Online = c.online;
    EXPECT_EQ(p.Generate_PIREP_Text().front(), c.line);
  }
}

TEST(PirepText, DateLineIsTodayInUtcNotTheFlightDay) {
  ManualClock clock(kJuly2LastSecond);
  ScopedClock use(clock);
  PIREPData p = computed_pirep();
  p.Out = "1000000000";  // 2001
  EXPECT_EQ(p.Generate_PIREP_Text()[1], "2026-07-02   B738   EDDF LOWW LOWS");
  clock.advance(1);
  EXPECT_EQ(p.Generate_PIREP_Text()[1], "2026-07-03   B738   EDDF LOWW LOWS");
}

TEST(PirepText, TimesComeFromDecimalSecondsAndUnreadableOnesShowMidnight) {
  struct Case {
    std::string seconds;
    std::string line;
  };
  const Case cases[] = {
      {"1782984680", "OFF 09:31Z 000000"},  {"1782984719", "OFF 09:31Z 000000"},
      {"  1782984720", "OFF 09:32Z 000000"}, {"1782984680.9", "OFF 09:31Z 000000"},
      {"1782984680 s", "OFF 09:31Z 000000"}, {"59", "OFF 00:00Z 000000"},
      {"60", "OFF 00:01Z 000000"},           {"", "OFF 00:00Z 000000"},
      {"off", "OFF 00:00Z 000000"},
  };
  for (const Case& c : cases) {
    PIREPData p;
    p.Off = c.seconds;
    EXPECT_EQ(p.Generate_PIREP_Text()[3], c.line) << "Off=" << c.seconds;
  }
}

TEST(PirepText, PaddingPutsZerosBeforeTheTextAndNeverCutsIt) {
  PIREPData p;
  p.OriginAlt = "364";
  p.DestinAlt = "12500";
  p.TOW = "98000";
  p.LAW = "-1500";
  p.VSLand = "7";
  p.MaxROC = "-12";
  p.MaxROD = "25000";
  const Lines lines = p.Generate_PIREP_Text();
  EXPECT_EQ(lines[2], "OUT 00:00Z N0000000 E00000000 0364");
  EXPECT_EQ(lines[3], "OFF 00:00Z 098000");
  EXPECT_EQ(lines[4], "ON  00:00Z 0-1500 0007");
  EXPECT_EQ(lines[5], "IN  00:00Z N0000000 E00000000 12500");
  EXPECT_EQ(lines[8], "MAX C/D 0-12/-25000  IAS  GS ");
}

TEST(CorrectLatLon, CutsToFourDecimalsThenRoundsToSixDigits) {
  struct Case {
    std::string text;
    bool latitude;
    std::string result;
  };
  const Case cases[] = {
      {"50.033333", true, "N50.0333"},
      {"8.570556", false, "E008.5705"},
      {"-122.34567", false, "W0122.346"},
      {"-33.94619", true, "S33.9461"},
      {"0", true, "N0000000"},
      {"0", false, "E00000000"},
      {"", true, "N0000000"},
      {"north", false, "E00000000"},
      {"-0.00004", true, "N0000000"},  // cut to zero: zero counts as north
      {"-0.5", false, "W000000.5"},
      {"90", true, "N0000090"},
      {"-180", false, "W00000180"},
      {"1.99999", true, "N01.9999"},
      {"12.3456789e1", false, "E0123.457"},
      // The binary form of 50.0333 lies just below it, so the cut gives 50.0332.
      {"50.0333", true, "N50.0332"},
      // Beyond the range of a 32-bit count of ten-thousandths; still cut, never overflowed.
      {"300000.123456", true, "N0300000"},
      {"-5e9", false, "W0005e+09"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(correct_lat_lon(c.text, c.latitude), c.result)
        << c.text << (c.latitude ? " latitude" : " longitude");
  }
}

}  // namespace
}  // namespace orvane
