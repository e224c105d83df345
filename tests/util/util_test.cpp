// Tests of the free text, number, Base64 and sleep helpers.
// SPDX-License-Identifier: MIT
#include "util/util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/clock.h"

namespace orvane {
namespace {

using Lines = std::vector<std::string>;

// --- number conversion ---------------------------------------------------------------

TEST(ToT, ReadsLeadingNumberAndStopsAtFirstCharacterThatDoesNotFit) {
  EXPECT_EQ(To_t<int>("12ab"), 12);
  EXPECT_EQ(To_t<int>("  42"), 42);
  EXPECT_EQ(To_t<int>("\t\n-7 apples"), -7);
  EXPECT_EQ(To_t<long>("1782998400xyz"), 1782998400L);
  EXPECT_EQ(To_t<unsigned int>("300"), 300u);
  EXPECT_DOUBLE_EQ(To_t<double>(" 3.25Z"), 3.25);
  EXPECT_DOUBLE_EQ(To_t<double>("-1e3"), -1000.0);
  EXPECT_EQ(To_t<int>("1.9"), 1);
}

TEST(ToT, TextWithoutNumberGivesZero) {
  EXPECT_EQ(To_t<int>("abc"), 0);
  EXPECT_EQ(To_t<int>(""), 0);
  EXPECT_EQ(To_t<int>("   "), 0);
  EXPECT_EQ(To_t<long>("-"), 0L);
  EXPECT_DOUBLE_EQ(To_t<double>("N/A"), 0.0);
  EXPECT_EQ(To_t<unsigned int>("x1"), 0u);
  // Out of range for the type: the stream fails, so the result is zero.
  EXPECT_EQ(To_t<int>("99999999999999999999"), 0);
}

TEST(ToT, BoolIsTrueOnlyForOne) {
  EXPECT_TRUE(To_t<bool>("1"));
  EXPECT_TRUE(To_t<bool>("  1"));
  EXPECT_FALSE(To_t<bool>("0"));
  EXPECT_FALSE(To_t<bool>("yes"));
  EXPECT_FALSE(To_t<bool>("true"));
  EXPECT_FALSE(To_t<bool>("2"));
  EXPECT_FALSE(To_t<bool>("-1"));
  EXPECT_FALSE(To_t<bool>(""));
}

TEST(ToStr, PadsOnTheLeftToWidthAndNeverCuts) {
  EXPECT_EQ(to_str(7, 2, '0'), "07");
  EXPECT_EQ(to_str(7), "7");
  EXPECT_EQ(to_str(12345, 2, '0'), "12345");
  EXPECT_EQ(to_str(-5, 3, '0'), "0-5");
  EXPECT_EQ(to_str(std::string("-12"), 5, '0'), "00-12");
  EXPECT_EQ(to_str(std::string("KJFK"), 6, ' '), "  KJFK");
  EXPECT_EQ(to_str(std::string("")), "0");
  EXPECT_EQ(to_str(static_cast<short>(-3)), "-3");
  EXPECT_EQ(to_str(4000000000u), "4000000000");
  EXPECT_EQ(to_str(-2147483647L - 1), "-2147483648");
}

TEST(ToStr, FloatingPointUsesSixSignificantDigits) {
  EXPECT_EQ(to_str(3.14159265), "3.14159");
  EXPECT_EQ(to_str(1234567.0), "1.23457e+06");
  EXPECT_EQ(to_str(0.5), "0.5");
  EXPECT_EQ(to_str(100.0), "100");
  EXPECT_EQ(to_str(2.5f, 5, '0'), "002.5");
  EXPECT_EQ(to_str(-0.000012345), "-1.2345e-05");
}

TEST(Round, HalvesRoundUpwards) {
  EXPECT_DOUBLE_EQ(orvane::round(2.5), 3.0);
  EXPECT_DOUBLE_EQ(orvane::round(-2.5), -2.0);
  EXPECT_DOUBLE_EQ(orvane::round(0.5), 1.0);
  EXPECT_DOUBLE_EQ(orvane::round(-0.5), 0.0);
  EXPECT_DOUBLE_EQ(orvane::round(1.49), 1.0);
  EXPECT_DOUBLE_EQ(orvane::round(-1.51), -2.0);
}

// --- Base64 --------------------------------------------------------------------------

TEST(Base64, KnownVectorsAndPadding) {
  EXPECT_EQ(base64encode(""), "");
  EXPECT_EQ(base64encode("f"), "Zg==");
  EXPECT_EQ(base64encode("fo"), "Zm8=");
  EXPECT_EQ(base64encode("foo"), "Zm9v");
  EXPECT_EQ(base64encode("foob"), "Zm9vYg==");
  EXPECT_EQ(base64encode("fooba"), "Zm9vYmE=");
  EXPECT_EQ(base64encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(base64encode(std::string("\xFB\xFF\xBF", 3)), "+/+/");
  EXPECT_EQ(base64encode(std::string("\0", 1)), "AA==");
}

TEST(Base64, EveryLengthModThreeHasTheRightPadAndSize) {
  for (std::size_t n = 0; n < 40; ++n) {
    std::string bytes;
    for (std::size_t i = 0; i < n; ++i) bytes += static_cast<char>(i * 37 + 11);
    const std::string enc = base64encode(bytes);
    ASSERT_EQ(enc.size(), (n + 2) / 3 * 4) << n;
    const std::size_t pads = enc.size() - enc.find_last_not_of('=') - 1;
    EXPECT_EQ(n == 0 ? 0 : pads, n % 3 == 0 ? 0u : 3 - n % 3) << n;
    for (std::size_t i = 0; i < enc.size() - (n == 0 ? 0 : pads); ++i) {
      EXPECT_TRUE(is_base64(static_cast<unsigned char>(enc[i]))) << n;
    }
    EXPECT_EQ(base64decode(enc), bytes) << n;
  }
}

TEST(Base64, RoundTripsAllByteValues) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(base64decode(base64encode(all)), all);
  // Each value alone, and as the last byte of a two-byte tail.
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(base64decode(base64encode(one)), one) << b;
    const std::string two = std::string("x") + static_cast<char>(b);
    EXPECT_EQ(base64decode(base64encode(two)), two) << b;
  }
}

TEST(Base64, AlphabetTest) {
  std::string accepted;
  for (int c = 0; c < 256; ++c) {
    if (is_base64(static_cast<unsigned char>(c))) accepted += static_cast<char>(c);
  }
  EXPECT_EQ(accepted, "+/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}

TEST(Base64, DecodeStopsAtPadLineFeedOrForeignByte) {
  EXPECT_EQ(base64decode("Zm9v\nYmFy"), "foo");
  EXPECT_EQ(base64decode("Zm9vYg==Zm9v"), "foob");
  EXPECT_EQ(base64decode("Zm9v YmFy"), "foo");
  EXPECT_EQ(base64decode("=Zm9v"), "");
  EXPECT_EQ(base64decode(""), "");
  EXPECT_EQ(base64decode("Zm9vYmFy\r\n"), "foobar");
}

TEST(Base64, DecodesUnpaddedTails) {
  EXPECT_EQ(base64decode("Zg"), "f");
  EXPECT_EQ(base64decode("Zm8"), "fo");
  EXPECT_EQ(base64decode("Z"), "");
  EXPECT_EQ(base64decode("Zm9vY"), "foo");
}

TEST(Base64, DecodeOfArbitraryBytesNeverFails) {
  unsigned state = 12345;
  for (int round_no = 0; round_no < 200; ++round_no) {
    std::string junk;
    const int n = round_no % 23;
    for (int i = 0; i < n; ++i) {
      state = state * 1103515245u + 12345u;
      junk += static_cast<char>(state >> 16);
    }
    const std::string out = base64decode(junk);
    // At most three bytes per four accepted characters.
    EXPECT_LE(out.size(), junk.size() * 3 / 4);
  }
}

// --- string helpers ------------------------------------------------------------------

TEST(StringHelpers, TildeizeReplacesBlanksAndPeriods) {
  EXPECT_EQ(tildeize("EDDF ANEKI UL603 EDDM"), "EDDF~ANEKI~UL603~EDDM");
  EXPECT_EQ(tildeize("N. 5"), "N~~5");
  EXPECT_EQ(tildeize("a\tb"), "a\tb");
  EXPECT_EQ(tildeize(""), "");
}

TEST(StringHelpers, NoSpaceKnowsTheSixWhitespaceCharacters) {
  for (char c : std::string(" \t\n\v\f\r")) EXPECT_FALSE(no_space(c)) << static_cast<int>(c);
  for (char c : std::string("a0_~\0\x7f\xa0", 7)) EXPECT_TRUE(no_space(c)) << static_cast<int>(c);
}

TEST(StringHelpers, TrimRemovesWhitespaceAtBothEnds) {
  EXPECT_EQ(trim("  KJFK \t\r\n"), "KJFK");
  EXPECT_EQ(trim("a b"), "a b");
  EXPECT_EQ(trim("     "), "");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim("\vx"), "x");
  EXPECT_EQ(trim("x"), "x");
}

TEST(StringHelpers, StartsAndEndsWith) {
  const std::string route = "EDDF ANEKI UL603 EDDM";
  EXPECT_TRUE(ends_with(route, "EDDM"));
  EXPECT_TRUE(ends_with(route, route));
  EXPECT_FALSE(ends_with("DM", "EDDM"));
  EXPECT_TRUE(ends_with("abc", ""));
  EXPECT_FALSE(ends_with(route, "EDDF"));
  EXPECT_TRUE(starts_with(route, "EDDF"));
  EXPECT_TRUE(starts_with("", ""));
  EXPECT_FALSE(starts_with("ED", "EDDF"));
  EXPECT_FALSE(starts_with(route, "EDDM"));
}

// --- word wrapping -------------------------------------------------------------------

TEST(MaxlineString, LongWordBreaksHard) {
  EXPECT_EQ(maxline_string("abcdefghijklmnopqrstuvwxy", 10),
            (Lines{"abcdefghij", "klmnopqrst", "uvwxy"}));
}

TEST(MaxlineString, BreaksSoftAtLastBlankAndDropsOnlyThatBlank) {
  EXPECT_EQ(maxline_string("abcd efgh ijkl", 10), (Lines{"abcd efgh", "ijkl"}));
  // The blank that ends a full line is the one dropped; the other blanks stay.
  EXPECT_EQ(maxline_string("ab  cd  ef", 4), (Lines{"ab ", "cd ", "ef"}));
  EXPECT_EQ(maxline_string("a bcdefghijkl", 5), (Lines{"a", "bcdef", "ghijk", "l"}));
}

TEST(MaxlineString, KeepsLineFeedsOfTheText) {
  EXPECT_EQ(maxline_string("one\ntwo\n\nthree", 10), (Lines{"one", "two", "", "three"}));
  EXPECT_EQ(maxline_string("abc\n", 10), (Lines{"abc", ""}));
  EXPECT_EQ(maxline_string("\n", 10), (Lines{"", ""}));
  EXPECT_EQ(maxline_string("abcdef ghij\nk", 6), (Lines{"abcdef", "ghij", "k"}));
}

TEST(MaxlineString, EmptyAndExactWidth) {
  EXPECT_EQ(maxline_string("", 10), (Lines{""}));
  EXPECT_EQ(maxline_string("abcdefghij", 10), (Lines{"abcdefghij"}));
  EXPECT_EQ(maxline_string("abcdefghijk", 10), (Lines{"abcdefghij", "k"}));
}

TEST(MaxlineString, WidthZeroActsAsOne) {
  EXPECT_EQ(maxline_string("ab c", 0), (Lines{"a", "b", "c"}));
  EXPECT_EQ(maxline_string("ab c", 1), maxline_string("ab c", 0));
}

TEST(MaxlineString, NoLineLongerThanWidthOrHoldingLineFeed) {
  const std::string text =
      "Flight ORV123 from EDDF to EDDM via ANEKI UL603.\nPilot remarks:   smooth  ride,"
      " light chop over the Alps\n\n  indented\tand\ttabbed words   ";
  for (std::size_t width = 0; width < 30; ++width) {
    const Lines lines = maxline_string(text, width);
    for (const std::string& line : lines) {
      EXPECT_LE(line.size(), width == 0 ? 1 : width);
      EXPECT_EQ(line.find('\n'), std::string::npos);
    }
  }
}

// --- sleep and time formatting ---------------------------------------------------------

TEST(Sleep, GoesThroughTheInstalledClock) {
  ManualClock manual(1000000);
  ScopedClock installed(manual);
  orvane::sleep(3);
  EXPECT_EQ(manual.now_ms(), 1003000);
  orvane::sleep(0);
  orvane::sleep(-4);
  EXPECT_EQ(manual.now_ms(), 1003000);
}

TEST(FormatUtc, FormatsInUtcWithinTheLengthLimit) {
  const std::time_t t = 1783000000;  // 2026-07-02 13:46:40 UTC
  EXPECT_EQ(format_utc(t, "%m/%d/%Y %H:%MZ", 19), "07/02/2026 13:46Z");
  EXPECT_EQ(format_utc(t, "%H:%MZ", 9), "13:46Z");
  EXPECT_EQ(format_utc(t, "%Y-%m-%d", 11), "2026-07-02");
  EXPECT_EQ(format_utc(t, "%d.%m.%Y %H:%M", 20), "02.07.2026 13:46");
  EXPECT_EQ(format_utc(0, "%H:%MZ", 9), "00:00Z");
  // Too long for the buffer (the terminator needs a byte): nothing.
  EXPECT_EQ(format_utc(t, "%Y-%m-%d", 10), "");
  EXPECT_EQ(format_utc(t, "%H:%MZ", 0), "");
}

}  // namespace
}  // namespace orvane
