// The engine and the PIREP outbox: the report kept when the flight ends, removed when the PIREP
// server accepts it, marked and never sent when the airline refuses the flight.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/orvane_base.h"
#include "pirep/outbox.h"
#include "support/live_engine_fixture.h"

namespace orvane {
namespace {

using airline::Reply;
using airline::Request;

class EngineOutboxTest : public test::SettingsFileEngineFixture {
 protected:
  Outbox box() const { return Outbox(dir_.file("outbox")); }
};

TEST_F(EngineOutboxTest, ReportIsKeptWhenTheFlightEndsAndLeavesWhenThePIREPServerAccepts) {
  toCruise();
  landAndPark();  // the cycle that saw IN has ended the flight
  std::vector<Outbox::Entry> waiting = box().waiting();
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0].report.Callsign, "ABC123");
  const OutboxKeep kept = ORVANE::getOutboxKeep();
  EXPECT_TRUE(kept.kept);
  EXPECT_EQ(kept.path, waiting[0].path);
  EXPECT_NE(logText().find("Message: [The PIREP is kept in [" + kept.path + "].]"),
            std::string::npos);
  const PIREPData p = finish();
  EXPECT_EQ(waiting[0].report, p);  // with its flight's figures, as the window gets it
  server_.push_reply(kPirep, Reply{500, "Internal Server Error"});
  ORVANE::SendPIREP(p);
  ASSERT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(box().waiting().size(), 1u);
  ORVANE::SendPIREP(p);  // no flight carries it: it goes at once on a thread of its own
  ASSERT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  EXPECT_EQ(ORVANE::getPIREPState(), SUCCESS);
  EXPECT_TRUE(box().waiting().empty());
  EXPECT_EQ(server_.count(kPirep), 2u);
}

TEST_F(EngineOutboxTest, RefusedFlightIsMarkedAndItsPIREPNeverSent) {
  server_.set_handler([](const Request& r) -> std::optional<Reply> {
    if (r.body.find("&DATA2=ENDFLIGHT&") != std::string::npos) return Reply{200, "0|not open"};
    return std::nullopt;
  });
  toCruise();
  landAndPark();
  // Kept when the flight ended; the refusal may already have come.
  const OutboxKeep kept = ORVANE::getOutboxKeep();
  ASSERT_TRUE(kept.kept);
  EXPECT_TRUE(cycleUntilDiscarded());
  EXPECT_TRUE(box().waiting().empty());
  const std::string refused = kept.path.substr(0, kept.path.size() - 4) + ".refused";
  ASSERT_TRUE(std::filesystem::exists(refused));
  PIREPData p;
  p.unpack_crypt(test::read_file(refused));
  EXPECT_EQ(p.Callsign, "ABC123");
  EXPECT_FALSE(ORVANE::PIREPDataAvailable());
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  const std::string told = "The airline refused the flight: [not open]. Its PIREP is not sent.";
  EXPECT_EQ(ORVANE::getPIREPMessage(), told);
  EXPECT_NE(logText().find("ACARS: [ENDFLIGHT returned error: [not open] -- Aborting.]"),
            std::string::npos);
  ORVANE::SendPIREP(p);
  ASSERT_TRUE(test::eventually([] { return ORVANE::getPIREPState() != UNKNOWN; }));
  EXPECT_EQ(ORVANE::getPIREPState(), ERR);
  EXPECT_EQ(ORVANE::getPIREPMessage(), told);
  EXPECT_EQ(server_.count(kPirep), 0u);
}

}  // namespace
}  // namespace orvane
