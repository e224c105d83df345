// orvane-cli's outbox: sending the PIREPs that wait in it, and telling the pilot of them.
// SPDX-License-Identifier: MIT
#include <iostream>
#include <vector>

#include "cli_flight.h"
#include "engine/orvane_base.h"
#include "util/util.h"

namespace orvane::cli {

namespace {

// Sends one report and waits for its outcome (SendPIREP always ends in SUCCESS or ERR).
PIREPState sendOne(const PIREPData& report) {
  ORVANE::SendPIREP(report);
  while (ORVANE::getPIREPState() == UNKNOWN) sleep(1);
  return ORVANE::getPIREPState();
}

}  // namespace

int sendOutbox() {
  const std::vector<Outbox::Entry> waiting = ORVANE::getOutbox();
  std::cout << (waiting.empty() ? std::string("No PIREP waits in the outbox [" +
                                              ORVANE::getOutboxFolder() + "].")
                                : Outbox::summary(waiting))
            << "\n";
  bool all = true;
  for (const Outbox::Entry& e : waiting) {
    if (interrupted) {
      all = false;
      break;
    }
    std::cout << "Sending the PIREP of " << Outbox::describe(e.report) << " ...\n";
    if (sendOne(e.report) == SUCCESS) {
      std::cout << "PIREP SUCCESSFULLY sent.\nThe server returned the following message:\n"
                << ORVANE::getPIREPMessage() << "\n";
    } else {
      all = false;
      std::cout << "Sending the PIREP returned an ERROR condition:\n"
                << ORVANE::getPIREPMessage() << "\nThe PIREP stays in [" << e.path << "].\n";
    }
  }
  ORVANE::releaseCourier();
  ORVANE::finalize();
  return all ? 0 : 1;
}

void tellWaitingPIREPs() {
  const std::vector<Outbox::Entry> waiting = ORVANE::getOutbox();
  if (waiting.empty()) return;
  std::cout << Outbox::summary(waiting) << "\n(orvane-cli --send-outbox sends "
            << (waiting.size() == 1 ? "it" : "them") << ".)\n";
}

}  // namespace orvane::cli
