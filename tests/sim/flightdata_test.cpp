// Tests of the flight data interface: the static-data record and the base class defaults.
// SPDX-License-Identifier: MIT
#include "sim/flightdata.h"

#include <gtest/gtest.h>

#include "support/fake_flightdata.h"

namespace orvane {
namespace {

SFlightData filled_record() {
  SFlightData d;
  d.id = 4711;
  d.sCallsign = "ORV123";
  d.sAircraft = "A320";
  d.sAirline = "ORV";
  d.sRoute = "TABUM T161 ULKIG";
  d.sDeparture = "EDDF";
  d.sArrival = "EDDS";
  d.sAlternate = "EDDM";
  d.sAltitude = "FL080";
  d.sPassengers = "142";
  d.sCargo = "3500";
  d.sRules = "IFR";
  return d;
}

TEST(SFlightDataOutput, EmptyRecordShowsEveryLabelWithEmptyBrackets) {
  EXPECT_EQ(SFlightData{}.output(),
            "FNo.: [] Acft: [] Arln: [] Route: [] Dep: [] Dest: [] Altn: [] Alt: [] Pax: [] "
            "Cargo: [] Rules: []");
}

TEST(SFlightDataOutput, FilledRecordShowsEveryFieldButTheId) {
  EXPECT_EQ(filled_record().output(),
            "FNo.: [ORV123] Acft: [A320] Arln: [ORV] Route: [TABUM T161 ULKIG] Dep: [EDDF] "
            "Dest: [EDDS] Altn: [EDDM] Alt: [FL080] Pax: [142] Cargo: [3500] Rules: [IFR]");
}

TEST(SFlightDataOutput, BracketsInValuesAreKeptAsTheyAre) {
  SFlightData d;
  d.sRoute = "A] B [C";
  d.sRules = "VFR";
  EXPECT_EQ(d.output(),
            "FNo.: [] Acft: [] Arln: [] Route: [A] B [C] Dep: [] Dest: [] Altn: [] Alt: [] "
            "Pax: [] Cargo: [] Rules: [VFR]");
}

TEST(SFlightDataRecord, StartsEmptyAndCopiesEveryField) {
  const SFlightData empty;
  EXPECT_EQ(empty.id, 0);
  EXPECT_TRUE(empty.sCallsign.empty());
  EXPECT_TRUE(empty.sRules.empty());

  const SFlightData original = filled_record();
  SFlightData copy;
  copy = original;
  EXPECT_EQ(copy.id, 4711);
  EXPECT_EQ(copy.output(), original.output());
}

void expect_static_data(FlightData& src, const SFlightData& d) {
  EXPECT_EQ(src.getCallsign(), d.sCallsign);
  EXPECT_EQ(src.getACCode(), d.sAircraft);
  EXPECT_EQ(src.getAirlineICAO(), d.sAirline);
  EXPECT_EQ(src.getRoute(), d.sRoute);
  EXPECT_EQ(src.getDepartureICAO(), d.sDeparture);
  EXPECT_EQ(src.getArrivalICAO(), d.sArrival);
  EXPECT_EQ(src.getAlternateICAO(), d.sAlternate);
  EXPECT_EQ(src.getPassengers(), d.sPassengers);
  EXPECT_EQ(src.getCargo(), d.sCargo);
  EXPECT_EQ(src.getRules(), d.sRules);
}

TEST(FlightDataStaticData, FreshSourceAnswersEmptyTexts) {
  test::FakeFlightData src;
  expect_static_data(src, SFlightData{});
}

TEST(FlightDataStaticData, EachGetterAnswersItsOwnField) {
  test::FakeFlightData src;
  src.setStaticData(filled_record());
  expect_static_data(src, filled_record());
}

TEST(FlightDataStaticData, SettingTwiceKeepsOnlyTheSecondRecord) {
  test::FakeFlightData src;
  src.setStaticData(filled_record());
  SFlightData second;
  second.sCallsign = "ORV9";
  second.sDeparture = "LOWW";
  src.setStaticData(second);
  expect_static_data(src, second);  // fields empty in the second record are empty again
}

TEST(FlightDataStaticData, KeepsACopyNotAReference) {
  test::FakeFlightData src;
  SFlightData d = filled_record();
  src.setStaticData(d);
  d.sCallsign = "CHANGED";
  EXPECT_EQ(src.getCallsign(), "ORV123");
}

TEST(FlightDataDefaults, SourceWithoutXsbReportsNoXsbFlightPlan) {
  test::FakeFlightData src;
  src.setStaticData(filled_record());
  EXPECT_FALSE(src.isConnectedToXSB());
  EXPECT_EQ(src.getXSBAircraft(), "");
  EXPECT_EQ(src.getXSBRoute(), "");
  EXPECT_EQ(src.getXSBDeparture(), "");
  EXPECT_EQ(src.getXSBArrival(), "");
  EXPECT_EQ(src.getXSBAlternate(), "");
}

TEST(FlightDataDefaults, OnlineStatusNumbers) {
  EXPECT_EQ(static_cast<int>(FlightData::UNKNOWN), 0);
  EXPECT_EQ(static_cast<int>(FlightData::OFFLINE), 1);
  EXPECT_EQ(static_cast<int>(FlightData::ONLINE), 2);
}

}  // namespace
}  // namespace orvane
