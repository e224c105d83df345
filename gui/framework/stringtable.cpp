// The string table: every text the windows show, by id.
// SPDX-License-Identifier: MIT
#include "framework/stringtable.h"

#include <map>

namespace orvane {

namespace {

const std::map<UINT, std::string>& table() {
  static const std::map<UINT, std::string> strings = {
      {600, "Welcome to ORVANE!\nYou may check your Options using the \"ORVANE Preferences\" button above.\nIf you are done with that, enter a flight number in the upper left box and press \n\"Get ACARS Flightdata\" if your VA supports flight plan download for ORVANE.\nOtherwise enter your flight number and flight data and press \"Start ACARS\".\nHave a nice and safe flight!"},
      {601, "I hope you had a nice flight. Now you find the PIREP data displayed below.\nPlease check the data, select your online flight status and hit \"View PIREP\" to \nfinally review all the data which is being sent to your VA."},
      {602, "ORVANE is trying to connect to MS Flight Simulator via FSUIPC.\nWhile you are starting FS, you may already enter your Flight Number above.\nThis enables you to get your flight data via ACARS if your VA supports that.\nOtherwise you may enter the flight data manually.\nOnce we are connected to FS and flight data is complete, you may hit \"Start ACARS\"\nto start ACARS tracking."},
      {603, "ACARS Tracking starts now ..."},
      {604, "PIREP SUCCESSFULLY sent.\nThe server returned the following message:"},
      {605, "ORVANE will now be prepared for a new flight!"},
      {606, "Stopping ORVANE ..."},
      {607, "ORVANE stopped."},
      {608, "Thank you for using ORVANE!"},
      {609, "Do you really want to stop ORVANE?"},
      {610, "Loading a PIREP from file, you will overwrite the data currently\ndisplayed. Do you want to do that?"},
      {611, "PIREP loaded from file."},
      {612, "Do you want to save your PIREP to a local file? If you choose \"No\", current\nPIREP data will be lost."},
      {650, "You need to specify at least the following Flight Data items:\nFlight Number, Departure, Destination, Alternate and Aircraft.\nPlease correct your input."},
      {651, "ORVANE does not allow slew mode while tracking a flight.\nAlso, you must not use a simulation rate greater than 1.\nORVANE tracking is stopped.\nYou may continue your flight without ACARS. \nAlternatively you can restart your flight and start ACARS once again."},
      {652, "You need to specify a flight number."},
      {653, "Retrieving flight data via ACARS returned error:"},
      {654, "ORVANE does currently not have a connection to\nMS Flight Simulator. ACARS tracking cannot start."},
      {655, "You are either in the air already or have at least one engine running.\nORVANE tracking can only be started on the ground while all engines are shut down."},
      {656, "PIREP data is not yet available (ACARS still tracking)."},
      {657, "PIREP data incomplete."},
      {658, "Sending the PIREP returned an ERROR condition:"},
      {659, "You may retry sending the PIREP."},
      {700, "ORVANE is tracking your flight.\nDo you want to stop flight tracking?"},
      {701, "There was an error connecting to the LiveACARS server:\n"},
      {702, "ACARS tracking continues without sending LiveACARS messages."},
      {703, "Do you want to delete the available PIREP data and start a new flight?"},
      {800, "ORVANE Error"},
      {801, "ORVANE Communication Error"},
      {802, "ORVANE FSUIPC Error"},
      {803, "ORVANE PIREP Error"},
      {804, "ORVANE PIREP Information"},
      {805, "ORVANE Message"},
      {806, "ORVANE Question"},
      {807, "ORVANE PIREP File"},
      {900, "Start ACARS"},
      {901, "Stop ACARS"},
      {902, "End flight"},
  };
  return strings;
}

}  // namespace

std::string StringTable::get(UINT id) {
  const auto it = table().find(id);
  return it == table().end() ? std::string() : it->second;
}

std::vector<UINT> StringTable::ids() {
  std::vector<UINT> out;
  for (const auto& entry : table()) out.push_back(entry.first);
  return out;
}

}  // namespace orvane
