// Tests of the PIREP file format: the plain text, older versions, encryption, bad files.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "pirep/PIREPData.h"
#include "pirep/pirep_samples.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::sample_pirep;
using test::sentinel_pirep;

const char* const kMissingVersion = "Wrong PIREP file version: [].";

// The error text of unpack(text) on record, or "" when it did not throw. Any other
// exception type escapes and fails the test.
std::string unpack_error(PIREPData& record, const std::string& text) {
  try {
    record.unpack(text);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

std::string unpack_crypt_error(PIREPData& record, const std::string& bytes) {
  try {
    record.unpack_crypt(bytes);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

std::string random_bytes(std::mt19937& gen, std::size_t n) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(byte(gen));
  return out;
}

// Every key of the current version with a distinct value, under the given version.
std::string all_keys_text(const std::string& version) {
  return "ORVANE-PIREP-Version=" + version +
         "\n"
         "FlightNumber=ORV7\nAircraft=A320\nFrom=LSZH\nTo=EGLL\nAlternate=EGKK\n"
         "Route=DEGES UN491 BENOT\nOOut=03.07.2026 06:05\nOut=1783058700\nOff=1783059300\n"
         "On=1783064100\nIn=1783064520\nBlockTime=01:36\nFliteTime=01:20\nBlockFuel=6100\n"
         "FliteFuel=5200\nFL=37000\nPassengers=150\nCargo=1200\nOnline=IVAO\nRules=IFR\n"
         "ZFW=132000\nTOW=143000\nLAW=137800\nOriginLat=47.4581\nOriginLong=8.55521\n"
         "OriginAlt=1416\nDestinLat=51.4706\nDestinLong=-0.461941\nDestinAlt=83\n"
         "MaxROC=3100\nMaxROD=2200\nMaxIAS=320\nMaxGS=495\nComment=bm90ZQ==\nVSLand=145\n";
}

// Version 3.1 fields of all_keys_text, onto the sentinel record as each version leaves it.
PIREPData expected_for(const std::string& version) {
  PIREPData e = sentinel_pirep();
  e.Callsign = "ORV7";
  e.Aircraft = "A320";
  e.From = "LSZH";
  e.To = "EGLL";
  e.Alt = "EGKK";
  e.BlockTime = "01:36";
  e.FliteTime = "01:20";
  e.BlockFuel = "6100";
  e.FliteFuel = "5200";
  e.FL = "37000";
  e.Passengers = "150";
  e.Cargo = "1200";
  e.Online = "IVAO";
  e.Rules = "IFR";
  if (version == "1.0") {
    e.OOut = "1783058700";  // version 1.0 read its OUT date from "Out"
    return e;
  }
  e.Route = "DEGES UN491 BENOT";
  e.OOut = "03.07.2026 06:05";
  e.Out = "1783058700";
  e.Off = "1783059300";
  e.On = "1783064100";
  e.In = "1783064520";
  if (version == "2.0") return e;
  e.ZFW = "132000";
  e.TOW = "143000";
  e.LAW = "137800";
  e.OriginLat = "47.4581";
  e.OriginLong = "8.55521";
  e.OriginAlt = "1416";
  e.DestinLat = "51.4706";
  e.DestinLong = "-0.461941";
  e.DestinAlt = "83";
  e.MaxROC = "3100";
  e.MaxROD = "2200";
  e.MaxIAS = "320";
  e.MaxGS = "495";
  e.Comment = "note";
  if (version == "3.0") return e;
  e.VSLand = "145";
  return e;
}

// ---- the plain text ----

TEST(PirepPack, EmptyRecordGivesVersionLineAndBareKeys) {
  EXPECT_EQ(PIREPData().pack(),
            "ORVANE-PIREP-Version=3.1\nFlightNumber=\nAircraft=\nFrom=\nTo=\nAlternate=\nRoute=\n"
            "OOut=\nOut=\nOff=\nOn=\nIn=\nBlockTime=\nFliteTime=\nBlockFuel=\nFliteFuel=\nFL=\n"
            "Passengers=\nCargo=\nOnline=\nRules=\nZFW=\nTOW=\nLAW=\nOriginLat=\nOriginLong=\n"
            "OriginAlt=\nDestinLat=\nDestinLong=\nDestinAlt=\nMaxROC=\nMaxROD=\nMaxIAS=\n"
            "MaxGS=\nComment=\nVSLand=\n");
}

TEST(PirepPack, FullRecordWritesEveryLineInOrderWithBase64Comment) {
  EXPECT_EQ(sample_pirep().pack(),
            "ORVANE-PIREP-Version=3.1\n"
            "FlightNumber=ORV123\n"
            "Aircraft=B738\n"
            "From=EDDF\n"
            "To=LOWW\n"
            "Alternate=LOWS\n"
            "Route=ANEKI Y163 NATOR UL856 BETEX\n"
            "OOut=02.07.2026 09:15\n"
            "Out=1782983700\n"
            "Off=1782984680\n"
            "On=1782988370\n"
            "In=1782988865\n"
            "BlockTime=01:26\n"
            "FliteTime=01:01\n"
            "BlockFuel=9000\n"
            "FliteFuel=7420\n"
            "FL=35000\n"
            "Passengers=154\n"
            "Cargo=2300\n"
            "Online=VATSIM\n"
            "Rules=IFR\n"
            "ZFW=121500\n"
            "TOW=139800\n"
            "LAW=131200\n"
            "OriginLat=50.0379\n"
            "OriginLong=8.57056\n"
            "OriginAlt=364\n"
            "DestinLat=48.1103\n"
            "DestinLong=16.5697\n"
            "DestinAlt=600\n"
            "MaxROC=2850\n"
            "MaxROD=1850\n"
            "MaxIAS=312\n"
            "MaxGS=468\n"
            "Comment=U21vb3RoIHJpZGUuCkxpZ2h0IGNob3AgbmVhciBMQU5VWCwgRkwzNTAgPSBvayB+IDIwIG1p"
            "bi4NCkdhdGUgQjQ=\n"
            "VSLand=212\n");
}

TEST(PirepPack, PackingTwiceGivesIdenticalTextAndFile) {
  const PIREPData p = sample_pirep();
  EXPECT_EQ(p.pack(), p.pack());
  const std::string file = p.pack_crypt();
  EXPECT_EQ(file, p.pack_crypt());
  EXPECT_EQ(file, PIREPData(p).pack_crypt());
}

TEST(PirepPack, FileIsTheEncryptedTextOfTheSameLength) {
  const PIREPData p = sample_pirep();
  const std::string plain = p.pack();
  const std::string file = p.pack_crypt();
  EXPECT_EQ(file.size(), plain.size());
  EXPECT_EQ(file.find("ORVANE"), std::string::npos);
  EXPECT_EQ(file.find("ORV123"), std::string::npos);
  // RC4 is a stream cipher: a longer text starts with the same bytes.
  PIREPData longer = p;
  longer.VSLand += "0";
  EXPECT_EQ(longer.pack_crypt().substr(0, plain.size() - 1), file.substr(0, plain.size() - 1));
}

// ---- round trips ----

TEST(PirepRoundTrip, SampleSurvivesPlainAndEncrypted) {
  PIREPData plain;
  plain.unpack(sample_pirep().pack());
  EXPECT_EQ(plain, sample_pirep());
  PIREPData file;
  file.unpack_crypt(sample_pirep().pack_crypt());
  EXPECT_EQ(file, sample_pirep());
}

TEST(PirepRoundTrip, CommentsWithBreaksEqualsTildesAndPaddingComeBackExactly) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  const std::string comments[] = {
      "a",                       // Base64 "YQ==": two pad signs
      "ab",                      // "YWI=": one pad sign
      "abc",                     // no padding
      "x=y",                     "==",
      "~~ tilde ~ separated ~~", "line one\nline two\n\nline four\n",
      "dos\r\nline\r\n",         "  blanks around  ",
      "\n",                      all_bytes,
  };
  for (const std::string& c : comments) {
    SCOPED_TRACE(c);
    PIREPData p = sample_pirep();
    p.Comment = c;
    PIREPData back;
    back.unpack_crypt(p.pack_crypt());
    EXPECT_EQ(back, p);
  }
}

TEST(PirepRoundTrip, CommentOfSeveralMegabytes) {
  std::mt19937 gen(7);
  PIREPData p = sample_pirep();
  p.Comment = random_bytes(gen, 3 * 1024 * 1024);
  PIREPData back;
  back.unpack_crypt(p.pack_crypt());
  EXPECT_EQ(back, p);
}

TEST(PirepRoundTrip, ThroughARealFile) {
  test::TempDir dir;
  const std::string path = dir.write("flight.ovp", sample_pirep().pack_crypt());
  PIREPData back;
  back.unpack_crypt(test::read_file(path));
  EXPECT_EQ(back, sample_pirep());
}

// ---- reading texts ----

TEST(PirepUnpack, CrLfTextGivesTheSameRecordAsLf) {
  const std::string lf = sample_pirep().pack();
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  PIREPData a = sentinel_pirep();
  PIREPData b = sentinel_pirep();
  a.unpack(lf);
  b.unpack(crlf);
  EXPECT_EQ(b, a);
  EXPECT_EQ(b, sample_pirep());
}

TEST(PirepUnpack, BlanksAroundKeysAndValuesAreDropped) {
  PIREPData p;
  p.unpack(" ORVANE-PIREP-Version = 3.1 \nPassengers =  154  \n\tCargo\t=\t2300\t\n");
  PIREPData e;
  e.Passengers = "154";
  e.Cargo = "2300";
  EXPECT_EQ(p, e);
}

TEST(PirepUnpack, MissingKeysGiveEmptyFields) {
  PIREPData p = sentinel_pirep();
  p.unpack("ORVANE-PIREP-Version=3.1\n");
  EXPECT_EQ(p, PIREPData());
}

TEST(PirepUnpack, LaterLineWinsAndOddLinesAreIgnored) {
  PIREPData p;
  p.unpack(
      "FlightNumber=FIRST\n"
      "ORVANE-PIREP-Version=3.1\n"
      "FlightNumber=SECOND\n"
      "Aircraft=\n"       // one token only
      "=B744\n"           // no key
      "no equals sign\n"  // one token
      "From==EDDF==\n"    // runs of "=" split once
      "To=LOWW=extra\n"   // tokens after the second are dropped
      "Unknown=ignored\n"
      "\n");
  PIREPData e;
  e.Callsign = "SECOND";
  e.From = "EDDF";
  e.To = "LOWW";
  EXPECT_EQ(p, e);
}

TEST(PirepUnpack, EachVersionFillsExactlyItsFieldsAndKeepsTheOthers) {
  for (const std::string version : {"1.0", "2.0", "3.0", "3.1"}) {
    SCOPED_TRACE(version);
    PIREPData p = sentinel_pirep();
    p.unpack(all_keys_text(version));
    EXPECT_EQ(p, expected_for(version));
  }
}

TEST(PirepUnpack, Version10FileTakesItsOutDateIntoOOut) {
  PIREPData p = sentinel_pirep();
  p.unpack(
      "ORVANE-PIREP-Version=1.0\nFlightNumber=ORV9\nAircraft=MD11\nFrom=KJFK\nTo=EDDF\n"
      "Alternate=EDDK\nOut=14.03.2009 22:10\nBlockTime=07:55\nFliteTime=07:28\n"
      "BlockFuel=98000\nFliteFuel=93400\nFL=33000\nPassengers=280\nCargo=15000\n"
      "Online=OFFLINE\nRules=IFR\n");
  PIREPData e = sentinel_pirep();
  e.Callsign = "ORV9";
  e.Aircraft = "MD11";
  e.From = "KJFK";
  e.To = "EDDF";
  e.Alt = "EDDK";
  e.OOut = "14.03.2009 22:10";
  e.BlockTime = "07:55";
  e.FliteTime = "07:28";
  e.BlockFuel = "98000";
  e.FliteFuel = "93400";
  e.FL = "33000";
  e.Passengers = "280";
  e.Cargo = "15000";
  e.Online = "OFFLINE";
  e.Rules = "IFR";
  EXPECT_EQ(p, e);
}

TEST(PirepUnpack, MissingOrUnknownVersionThrowsAndKeepsTheRecord) {
  struct Case {
    std::string text;
    std::string error;
  };
  std::string body = sample_pirep().pack();
  body.erase(0, body.find('\n') + 1);  // the text without its version line
  const Case cases[] = {
      {body, kMissingVersion},
      {"", kMissingVersion},
      {"ORVANE-PIREP-Version=\n" + body, kMissingVersion},
      {"ORVANE-PIREP-Version=3.2\n" + body, "Wrong PIREP file version: [3.2]."},
      {"ORVANE-PIREP-Version=3\n" + body, "Wrong PIREP file version: [3]."},
      {"ORVANE-PIREP-Version=v3.1\n" + body, "Wrong PIREP file version: [v3.1]."},
      {"orvane-pirep-version=3.1\n" + body, kMissingVersion},
      {"ORVANE-PIREP-Version=3.1\n" + body + "ORVANE-PIREP-Version=0.9\n",
       "Wrong PIREP file version: [0.9]."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30));
    PIREPData p = sentinel_pirep();
    EXPECT_EQ(unpack_error(p, c.text), c.error);
    EXPECT_EQ(p, sentinel_pirep());
    EXPECT_EQ(unpack_crypt_error(p, rc4_transform("wrong key", c.text, true)), kMissingVersion);
    EXPECT_EQ(p, sentinel_pirep());
  }
}

// ---- the committed golden file ----

TEST(PirepGoldenFile, CommittedFileDecodesToTheSampleAndIsRewrittenByteForByte) {
  const std::string bytes = test::read_file(test::test_data_path(test::kGoldenFile));
  ASSERT_FALSE(bytes.empty()) << "missing " << test::kGoldenFile;
  PIREPData p = sentinel_pirep();
  p.unpack_crypt(bytes);
  EXPECT_EQ(p, sample_pirep());
  // A change of the key or of the layout makes today's file differ from the committed one.
  EXPECT_EQ(sample_pirep().pack_crypt(), bytes);
}

// Run by hand to make the golden file again, only after a deliberate format change:
//   pirep_tests --gtest_also_run_disabled_tests --gtest_filter='*RegenerateGoldenFile'
TEST(PirepGoldenFile, DISABLED_RegenerateGoldenFile) {
  test::write_golden_file(test::test_data_path(test::kGoldenFile));
}

// ---- bad files ----

TEST(PirepBadFile, EmptyAndRandomBytesThrowAndKeepTheRecord) {
  std::mt19937 gen(20260702);
  for (std::size_t n = 0; n < 600; n += 3) {
    const std::string bytes = random_bytes(gen, n);
    PIREPData p = sentinel_pirep();
    EXPECT_EQ(unpack_crypt_error(p, bytes), kMissingVersion) << n << " bytes";
    EXPECT_EQ(p, sentinel_pirep());
  }
}

TEST(PirepBadFile, SeveralMegabytesOfRandomBytesThrowAndKeepTheRecord) {
  std::mt19937 gen(99);
  const std::string bytes = random_bytes(gen, 5 * 1024 * 1024);
  PIREPData p = sentinel_pirep();
  EXPECT_EQ(unpack_crypt_error(p, bytes), kMissingVersion);
  EXPECT_EQ(p, sentinel_pirep());
}

TEST(PirepBadFile, TruncatedFileThrowsUntilTheVersionIsCompleteThenReadsWhatIsThere) {
  const std::string file = sample_pirep().pack_crypt();
  const std::string plain = sample_pirep().pack();
  const std::size_t version_end = std::string("ORVANE-PIREP-Version=3.1").size();
  for (std::size_t n = 0; n < file.size(); ++n) {
    SCOPED_TRACE(n);
    PIREPData p = sentinel_pirep();
    const std::string error = unpack_crypt_error(p, file.substr(0, n));
    if (n < version_end) {
      // "ORVANE-PIREP-Version=" is 21 characters; then "3" and "3." are read as versions.
      const std::string seen = n > 21 ? plain.substr(21, n - 21) : "";
      EXPECT_EQ(error, "Wrong PIREP file version: [" + seen + "].");
      EXPECT_EQ(p, sentinel_pirep());
    } else {
      // The file cut after n bytes reads as the plain text cut after n characters.
      EXPECT_EQ(error, "");
      PIREPData from_text = sentinel_pirep();
      from_text.unpack(plain.substr(0, n));
      EXPECT_EQ(p, from_text);
      EXPECT_EQ(std::string("ORV123").substr(0, p.Callsign.size()), p.Callsign);
    }
  }
}

TEST(PirepBadFile, GarbageAfterAValidFileLeavesItsRecord) {
  std::mt19937 gen(5);
  for (std::size_t n : {1u, 100u, 100000u}) {
    PIREPData p = sentinel_pirep();
    EXPECT_EQ(unpack_crypt_error(p, sample_pirep().pack_crypt() + random_bytes(gen, n)), "");
    EXPECT_EQ(p, sample_pirep());
  }
}

TEST(PirepBadFile, DegenerateTextsOfSeveralMegabytes) {
  const std::size_t mb4 = 4 * 1024 * 1024;
  const std::string texts[] = {
      std::string(mb4, '='),
      std::string(mb4, '\n'),
      std::string(mb4, 'A'),
      std::string(mb4, '\0'),
      [&] {
        std::string s;
        while (s.size() < mb4) s += "k=v=";
        return s;
      }(),
      [&] {
        std::string s;
        while (s.size() < mb4) s += "\r\n=\n";
        return s;
      }(),
  };
  for (const std::string& t : texts) {
    PIREPData p = sentinel_pirep();
    EXPECT_EQ(unpack_error(p, t), kMissingVersion);
    EXPECT_EQ(p, sentinel_pirep());
  }
}

TEST(PirepBadFile, HugeValidTextWithManyLinesIsRead) {
  std::string text = sample_pirep().pack();
  while (text.size() < 3 * 1024 * 1024) text += "Filler=some value\n";
  text += "FlightNumber=LAST\n";
  PIREPData p;
  p.unpack(text);
  PIREPData e = sample_pirep();
  e.Callsign = "LAST";
  EXPECT_EQ(p, e);
}

}  // namespace
}  // namespace orvane
