// confirmNewAddress: the box that offers a new server address met in a redirect.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "acars/address_offer.h"

namespace orvane {

// The words of the box's buttons.
extern const char* const USE_NEW_ADDRESS;
extern const char* const KEEP_OLD_ADDRESS;

// What became of an offer: none was held, the pilot took the new address, or kept the old.
enum class AddressAnswer { NO_OFFER, USE, KEEP };

// When the engine holds a new address for `which`, shows the failure with the offer
// ("Use the new address" or "Cancel"). USE: the address is in the options and saved to
// settingsFile; the caller tries once more. KEEP: the offer is not made again. NO_OFFER:
// nothing was shown, and the caller shows the failure as it always did.
AddressAnswer confirmNewAddress(AirlineAddress which, const std::string& failure,
                       const std::string& caption, const std::string& settingsFile);

}  // namespace orvane
