// confirmNewAddress: one box per redirect, the pilot's answer carried to the engine.
// SPDX-License-Identifier: MIT
#include "frontend/addressprompt.h"

#include "engine/orvane_base.h"
#include "framework/messagebox.h"

namespace orvane {

const char* const USE_NEW_ADDRESS = "Use the new address";
const char* const KEEP_OLD_ADDRESS = "Cancel";

AddressAnswer confirmNewAddress(AirlineAddress which, const std::string& failure,
                       const std::string& caption, const std::string& settingsFile) {
  // One box at a time: the link offers again at each retry while the first box is open.
  static bool asking = false;  // window thread only
  if (asking) return AddressAnswer::NO_OFFER;
  const std::optional<AddressOffer> offer = ORVANE::takeAddressOffer(which);
  if (!offer) return AddressAnswer::NO_OFFER;
  asking = true;
  MessageBoxRequest box;
  box.text = failure + "\r\n\r\nThe server sent the request on to a new address:\r\n[" +
             offer->to + "]\r\ninstead of the one in your settings:\r\n[" + offer->from +
             "]\r\n\r\nUse the new address? It is saved in your settings.";
  box.caption = caption;
  box.style = MB_YESNO | MB_ICONQUESTION;
  box.labels = {USE_NEW_ADDRESS, KEEP_OLD_ADDRESS};
  const int pressed = ShowMessageBox(box);
  asking = false;
  if (pressed != IDYES) {
    ORVANE::declineAddressOffer(*offer);
    return AddressAnswer::KEEP;
  }
  std::string reason;
  if (!ORVANE::useNewAddress(*offer, settingsFile, &reason)) {
    ShowMessageBox("The new address is used, but your settings could not be saved:\r\n" + reason,
                   box.caption, MB_ICONWARNING);
  }
  return AddressAnswer::USE;
}

}  // namespace orvane
