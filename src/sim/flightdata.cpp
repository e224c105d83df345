// SFlightData's one-line rendering for the log.
#include "sim/flightdata.h"

namespace orvane {

std::string SFlightData::output() const {
  return "FNo.: [" + sCallsign + "] Acft: [" + sAircraft + "] Arln: [" + sAirline +
         "] Route: [" + sRoute + "] Dep: [" + sDeparture + "] Dest: [" + sArrival +
         "] Altn: [" + sAlternate + "] Alt: [" + sAltitude + "] Pax: [" + sPassengers +
         "] Cargo: [" + sCargo + "] Rules: [" + sRules + "]";
}

}  // namespace orvane
