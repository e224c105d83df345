// The string table: every text the windows show, by id (in English; marked for translation).
// SPDX-License-Identifier: MIT
#include "framework/stringtable.h"

#include <QtGlobal>
#include <map>

namespace orvane {

namespace {

const std::map<UINT, std::string>& table() {
  static const std::map<UINT, std::string> strings = {
      {600, QT_TRANSLATE_NOOP("StringTable", "Welcome to ORVANE!\nYou may check your Options using the \"ORVANE Preferences\" button above.\nIf you are done with that, enter a flight number in the upper left box and press \n\"Get ACARS Flightdata\" if your VA supports flight plan download for ORVANE.\nOtherwise enter your flight number and flight data and press \"Start ACARS\".\nHave a nice and safe flight!")},
      {601, QT_TRANSLATE_NOOP("StringTable", "I hope you had a nice flight. Now you find the PIREP data displayed below.\nPlease check the data, select your online flight status and hit \"View PIREP\" to \nfinally review all the data which is being sent to your VA.")},
      {602, QT_TRANSLATE_NOOP("StringTable", "ORVANE is trying to connect to MS Flight Simulator via FSUIPC.\nWhile you are starting FS, you may already enter your Flight Number above.\nThis enables you to get your flight data via ACARS if your VA supports that.\nOtherwise you may enter the flight data manually.\nOnce we are connected to FS and flight data is complete, you may hit \"Start ACARS\"\nto start ACARS tracking.")},
      {603, QT_TRANSLATE_NOOP("StringTable", "ACARS Tracking starts now ...")},
      {604, QT_TRANSLATE_NOOP("StringTable", "PIREP SUCCESSFULLY sent.\nThe server returned the following message:")},
      {605, QT_TRANSLATE_NOOP("StringTable", "ORVANE will now be prepared for a new flight!")},
      {606, QT_TRANSLATE_NOOP("StringTable", "Stopping ORVANE ...")},
      {607, QT_TRANSLATE_NOOP("StringTable", "ORVANE stopped.")},
      {608, QT_TRANSLATE_NOOP("StringTable", "Thank you for using ORVANE!")},
      {609, QT_TRANSLATE_NOOP("StringTable", "Do you really want to stop ORVANE?")},
      {610, QT_TRANSLATE_NOOP("StringTable", "Loading a PIREP from file, you will overwrite the data currently\ndisplayed. Do you want to do that?")},
      {611, QT_TRANSLATE_NOOP("StringTable", "PIREP loaded from file.")},
      {612, QT_TRANSLATE_NOOP("StringTable", "Do you want to save your PIREP to a local file? If you choose \"No\", current\nPIREP data will be lost.")},
      {650, QT_TRANSLATE_NOOP("StringTable", "You need to specify at least the following Flight Data items:\nFlight Number, Departure, Destination, Alternate and Aircraft.\nPlease correct your input.")},
      {651, QT_TRANSLATE_NOOP("StringTable", "ORVANE does not allow slew mode while tracking a flight.\nAlso, you must not use a simulation rate greater than 1.\nORVANE tracking is stopped.\nYou may continue your flight without ACARS. \nAlternatively you can restart your flight and start ACARS once again.")},
      {652, QT_TRANSLATE_NOOP("StringTable", "You need to specify a flight number.")},
      {653, QT_TRANSLATE_NOOP("StringTable", "Retrieving flight data via ACARS returned error:")},
      {654, QT_TRANSLATE_NOOP("StringTable", "ORVANE does currently not have a connection to\nMS Flight Simulator. ACARS tracking cannot start.")},
      {655, QT_TRANSLATE_NOOP("StringTable", "You are either in the air already or have at least one engine running.\nORVANE tracking can only be started on the ground while all engines are shut down.")},
      {656, QT_TRANSLATE_NOOP("StringTable", "PIREP data is not yet available (ACARS still tracking).")},
      {657, QT_TRANSLATE_NOOP("StringTable", "PIREP data incomplete.")},
      {658, QT_TRANSLATE_NOOP("StringTable", "Sending the PIREP returned an ERROR condition:")},
      {659, QT_TRANSLATE_NOOP("StringTable", "You may retry sending the PIREP.")},
      {700, QT_TRANSLATE_NOOP("StringTable", "ORVANE is tracking your flight.\nDo you want to stop flight tracking?")},
      {701, QT_TRANSLATE_NOOP("StringTable", "There was an error connecting to the LiveACARS server:\n")},
      {702, QT_TRANSLATE_NOOP("StringTable", "ACARS tracking continues without sending LiveACARS messages.")},
      {703, QT_TRANSLATE_NOOP("StringTable", "Do you want to delete the available PIREP data and start a new flight?")},
      {800, QT_TRANSLATE_NOOP("StringTable", "ORVANE Error")},
      {801, QT_TRANSLATE_NOOP("StringTable", "ORVANE Communication Error")},
      {802, QT_TRANSLATE_NOOP("StringTable", "ORVANE FSUIPC Error")},
      {803, QT_TRANSLATE_NOOP("StringTable", "ORVANE PIREP Error")},
      {804, QT_TRANSLATE_NOOP("StringTable", "ORVANE PIREP Information")},
      {805, QT_TRANSLATE_NOOP("StringTable", "ORVANE Message")},
      {806, QT_TRANSLATE_NOOP("StringTable", "ORVANE Question")},
      {807, QT_TRANSLATE_NOOP("StringTable", "ORVANE PIREP File")},
      {900, QT_TRANSLATE_NOOP("StringTable", "Start ACARS")},
      {901, QT_TRANSLATE_NOOP("StringTable", "Stop ACARS")},
      {902, QT_TRANSLATE_NOOP("StringTable", "End flight")},
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
