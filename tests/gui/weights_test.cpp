// Weights shown in pounds or kilograms and typed figures read back in pounds.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "frontend/pirepdialog.h"
#include "frontend/weights.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

TEST(Weights, PoundsStayAsTheyAre) {
  EXPECT_EQ(shownWeight("2000", WeightUnit::Pounds), "2000");
  EXPECT_EQ(shownWeight("002000", WeightUnit::Pounds), "002000");
  EXPECT_EQ(poundsFromShown("907", WeightUnit::Pounds), "907");
}

TEST(Weights, KilogramsAreRoundedToTheNearestWholeKilogram) {
  // 2000 lb = 907.18474 kg; 1 lb = 0.45359237 kg; 3 lb = 1.36077711 kg.
  EXPECT_EQ(shownWeight("2000", WeightUnit::Kilograms), "907");
  EXPECT_EQ(shownWeight("1", WeightUnit::Kilograms), "0");
  EXPECT_EQ(shownWeight("3", WeightUnit::Kilograms), "1");
  EXPECT_EQ(shownWeight("0", WeightUnit::Kilograms), "0");
  // Fuel taken on in flight makes a negative figure: -100 lb = -45.359237 kg.
  EXPECT_EQ(shownWeight("-100", WeightUnit::Kilograms), "-45");
  // 141000 lb = 63956.52417 kg.
  EXPECT_EQ(shownWeight("141000", WeightUnit::Kilograms), "63957");
}

TEST(Weights, TypedKilogramsAreReadBackInPounds) {
  // 907 kg = 1999.592 lb; 2000 kg = 4409.245 lb.
  EXPECT_EQ(poundsFromShown("907", WeightUnit::Kilograms), "2000");
  EXPECT_EQ(poundsFromShown("2000", WeightUnit::Kilograms), "4409");
}

TEST(Weights, TextThatIsNoWholeNumberStaysAsItIs) {
  for (const char* text : {"", "abc", "12.5", "12 kg", " 12"}) {
    EXPECT_EQ(shownWeight(text, WeightUnit::Kilograms), text);
    EXPECT_EQ(poundsFromShown(text, WeightUnit::Kilograms), text);
  }
}

TEST(Weights, TheReviewInKilogramsConvertsWeightsAndFuelAndSaysSo) {
  PIREPData report = test::sample_pirep();
  report.TOW = "141000";     // 63956.5 kg
  report.LAW = "128000";     // 58059.8 kg
  report.ZFW = "120000";     // 54431.1 kg
  report.FliteFuel = "11000";  // 4989.5 kg
  report.BlockFuel = "12500";  // 5669.9 kg
  const std::vector<std::string> pounds = CPIREPDialog::reportLines(report, WeightUnit::Pounds);
  EXPECT_EQ(pounds, report.Generate_PIREP_Text());
  const std::vector<std::string> kg = CPIREPDialog::reportLines(report, WeightUnit::Kilograms);
  ASSERT_EQ(kg.size(), pounds.size() + 1);
  EXPECT_EQ(kg[3].substr(kg[3].size() - 6), "063957");
  EXPECT_EQ(kg[4].find(" 058060 "), 10u) << kg[4];
  EXPECT_EQ(kg[7], "FF 004990   BF 005670   ZFW 054431");
  EXPECT_EQ(kg[9], "WEIGHTS AND FUEL IN KG");
  // Everything else as in pounds.
  for (std::size_t i : {0u, 1u, 2u, 5u, 6u, 8u}) EXPECT_EQ(kg[i], pounds[i]) << i;
  for (std::size_t i = 9; i < pounds.size(); ++i) EXPECT_EQ(kg[i + 1], pounds[i]) << i;
  // The report itself keeps its pounds.
  EXPECT_EQ(report.TOW, "141000");
}

}  // namespace
}  // namespace orvane
