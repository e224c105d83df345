// The engine and the flight journal: a message the server has taken is journaled as delivered
// at once, so a restart never sends it twice.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/flight_journal.h"
#include "engine/orvane_base.h"
#include "support/live_engine_fixture.h"

namespace orvane {
namespace {

using airline::Reply;
using airline::Request;

class EngineJournalTest : public test::SettingsFileEngineFixture {
 protected:
  FlightJournal journal() const { return readFlightJournal(dir_.file("orvane.journal")); }
};

TEST_F(EngineJournalTest, MessageTakenByTheServerIsJournaledAsDeliveredWithoutAnotherCycle) {
  std::atomic<bool> hold{false};
  std::atomic<bool> holding{false};
  server_.set_handler([&](const Request& r) -> std::optional<Reply> {
    if (hold.load() && r.body.find("&DATA2=MESSAGE&") != std::string::npos) {
      holding = true;
      while (hold.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::nullopt;
  });
  toCruise();
  // Cruise until the journal shows every message so far delivered.
  bool settled = false;
  for (int i = 0; i < 60 && !settled; ++i) {
    cycle();
    waitBriefly();
    const FlightJournal j = journal();
    settled = j.resumable() && !j.messages.empty() && j.undelivered().empty();
  }
  ASSERT_TRUE(settled);
  const std::size_t before = journal().messages.size();

  // The next message (a position report) is queued and journaled while the server holds it.
  hold = true;
  const std::size_t queued = queue().size();
  for (int i = 0; i < 400 && queue().size() == queued; ++i) cycle();
  ASSERT_GT(queue().size(), queued);
  ASSERT_TRUE(test::eventually([&] { return holding.load(); }));
  FlightJournal j = journal();
  ASSERT_EQ(j.messages.size(), before + 1);
  ASSERT_EQ(j.undelivered().size(), 1u);

  // The server takes it. A kill now must not send it again: the journal says so by itself.
  hold = false;
  EXPECT_TRUE(test::eventually([&] { return journal().undelivered().empty(); }))
      << "the delivered message is still journaled as waiting";
  j = journal();
  EXPECT_TRUE(j.resumable());
  EXPECT_EQ(j.messages.size(), before + 1);
}

}  // namespace
}  // namespace orvane
