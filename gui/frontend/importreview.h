// Importing an airline's settings file in the window: the file asked for, the review of what it
// changes, and the import asked for on the command line (orvane --import FILE).
// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "records/flightoptions.h"

class QWidget;

namespace orvane {

// Reads fileName (readAirlineSettings) and shows, modally, each setting it changes, old and
// new (the password never shown), with "Import" and "Cancel". The merged options when the
// pilot imports them; nothing on Cancel, on a file that changes nothing (said in a box) or
// on a bad file (its reason in an error box). Changes nothing itself.
std::optional<FlightOptions> reviewAirlineSettings(QWidget* owner, const std::string& fileName,
                                                   const FlightOptions& current);

// Asks for the file ("ORVANE settings (*.orvane *.ini)") and reviews it as above.
std::optional<FlightOptions> importAirlineSettings(QWidget* owner, const FlightOptions& current);

// Window thread. The file of orvane --import, reviewed at start by importAtStart.
void setImportAtStart(const std::string& fileName);
bool importAtStartPending();
// Reviews the file set by setImportAtStart, once; when the pilot imports it, the engine's
// options become the merged ones and are saved to the settings file. True then.
bool importAtStart();

}  // namespace orvane
