// orvane-cli's report: the PIREP printed, kept in its file and sent to the airline.
#include <iostream>

#include "cli_args.h"
#include "cli_flight.h"
#include "engine/orvane_base.h"
#include "util/atomic_file.h"
#include "util/util.h"

namespace orvane::cli {

int reportPIREP(PIREPData& pirep, const CliArgs& args) {
  pirep.Online = args.get("--network", "OFFLINE");
  pirep.Comment = args.get("--comment");
  for (const std::string& line : pirep.Generate_PIREP_Text()) std::cout << line << "\n";
  const std::string file = args.get("--save", "lastpirep.ovp");
  bool kept = false;  // only a checked write may be called kept
  try {
    FileWriteError error;
    kept = write_file_atomically(file, pirep.pack_crypt(), &error);
    if (!kept) std::cerr << "Cannot access file [" << file << "]\n" << error.reason << "\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
  }
  if (args.has("--no-send")) return 0;
  if (ORVANE::getState() == 0) ORVANE::prepare();
  ORVANE::SendPIREP(pirep);
  // The transmission runs on the PIREP thread; SendPIREP always ends in SUCCESS or ERR.
  while (ORVANE::getPIREPState() == UNKNOWN) sleep(1);
  if (ORVANE::getPIREPState() == SUCCESS) {
    std::cout << "PIREP SUCCESSFULLY sent.\nThe server returned the following message:\n"
              << ORVANE::getPIREPMessage() << "\n";
  } else {
    std::cout << "Sending the PIREP returned an ERROR condition:\n"
              << ORVANE::getPIREPMessage() << "\n";
    if (kept) {
      std::cout << "The PIREP is kept in [" << file << "].\n";
    } else {
      std::cout << "The PIREP could not be kept in [" << file << "]: it is lost when ORVANE "
                   "ends.\n";
    }
  }
  ORVANE::finalize();
  return ORVANE::getPIREPState() == SUCCESS ? 0 : 1;
}

}  // namespace orvane::cli
