// The window offers a new server address met in a redirect: the box, the saved settings, the
// one more try at the confirmed address, and a refusal that is not asked again.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "acars/address_offer.h"
#include "frontend/addressprompt.h"
#include "mainwindow_fixture.h"
#include "support/temp_dir.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

const std::string kMoved = "/phpvms/index.php/acars/xacars/data";

class AddressPromptTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    AddressOffers::instance().clear();
    airline_.set_default(kInfo, airline_.redirect(301, kMoved));
    airline_.set_default(kMoved, airline::Reply{200, "1|flightplan\nEDDF\nEDFZ\nEDDF\nTABUM T150\n"
                                                     "150\n2000\nIFR\nA320\n8000"});
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    AddressOffers::instance().clear();
  }
  // Asks for the flight plan and waits until a box was shown or the plan filled the form.
  void askForTheFlightPlan(std::size_t boxesBefore) {
    click(IDC_GETFD);
    ASSERT_TRUE(waitFor([&] {
      const EngineWorker::WaitState s = w().worker()->waitState();
      if (s.where == EngineWorker::Waiting::Preparing) clock_.advance_ms(s.ms);
      return boxes_.shown.size() > boxesBefore && !w().isBusy();
    }));
    settle();
  }
  std::string settings() const { return test::read_file(dir_.file("orvane.ini")); }
};

TEST_F(AddressPromptTest, AgreedTheAddressIsSavedAndTheFlightPlanComesFromIt) {
  boxes_.answer(IDYES);
  runWindow([&] {
    type(IDC_FLIGHTNO, "abc123");
    askForTheFlightPlan(0);
    ASSERT_TRUE(waitFor([&] { return field(IDC_DEPARTURE) == "EDDF"; }));
    EXPECT_EQ(field(IDC_DESTINATION), "EDFZ");
    escape();
  });
  ASSERT_GE(boxes_.shown.size(), 1u);
  const MessageBoxRequest& box = boxes_.shown[0];
  EXPECT_EQ(box.caption, loadString(801));
  EXPECT_EQ(box.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(box.labels, (std::vector<std::string>{USE_NEW_ADDRESS, KEEP_OLD_ADDRESS}));
  EXPECT_EQ(box.text.rfind(loadString(653) + "\r\n[ERROR: ", 0), 0u) << box.text;
  EXPECT_NE(box.text.find("[" + airline_.url(kMoved) + "]"), std::string::npos) << box.text;
  EXPECT_EQ(airline_.count(kInfo), 1u);
  EXPECT_EQ(airline_.count(kMoved), 1u);  // the one more try
  const std::string ini = settings();
  EXPECT_NE(ini.find("FlightInfo = " + airline_.url(kMoved) + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Address = " + airline_.url(kAcars) + "\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Password = secret\n"), std::string::npos);
}

TEST_F(AddressPromptTest, RefusedNothingIsSavedOrFollowedAndTheOfferIsNotMadeAgain) {
  const std::string before = settings();
  boxes_.answer(IDNO);
  runWindow([&] {
    type(IDC_FLIGHTNO, "abc123");
    askForTheFlightPlan(0);
    askForTheFlightPlan(1);  // the same redirect again: now the plain error
    EXPECT_EQ(field(IDC_DEPARTURE), "");
    escape();
  });
  ASSERT_GE(boxes_.shown.size(), 2u);
  ASSERT_EQ(boxes_.shown[0].labels.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].labels[0], USE_NEW_ADDRESS);
  EXPECT_EQ(boxes_.shown[1].style, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(boxes_.shown[1].labels.empty());
  EXPECT_EQ(boxes_.shown[1].text.rfind(loadString(653) + "\r\n[ERROR: ", 0), 0u);
  EXPECT_EQ(airline_.count(kInfo), 2u);
  EXPECT_EQ(airline_.count(kMoved), 0u);
  EXPECT_EQ(settings(), before);
}

}  // namespace
}  // namespace orvane
