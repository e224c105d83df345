// AddressOffers: new airline addresses met in redirects, held until the pilot accepts or drops them.
// SPDX-License-Identifier: MIT
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace orvane {

// The three addresses the pilot sets.
enum class AirlineAddress { ACARS, FLIGHTINFO, PIREP };

// A redirect to the same host, as the answer to one of the pilot's addresses.
struct AddressOffer {
  AirlineAddress which = AirlineAddress::ACARS;
  std::string from;  // the address in the settings that was redirected
  std::string to;    // where the server sent it
};

// The process's offers, the latest per address. The link's threads offer; the window takes
// an offer when it shows the failure it belongs to. Thread-safe.
class AddressOffers {
 public:
  // The one instance of the process.
  static AddressOffers& instance();

  // Keeps the offer when `to` is on the same host as `from` (scheme aside) and differs from
  // it and the pilot has not declined it; returns whether the redirect is one the pilot may
  // still confirm. A redirect elsewhere is never offered.
  bool offer(AirlineAddress which, const std::string& from, const std::string& to);
  // The offer for an address, removed from the room; none when there is none.
  std::optional<AddressOffer> take(AirlineAddress which);
  // The pilot said no: the same new address is not offered again for that address.
  void decline(const AddressOffer& offer);
  // Forgets offers and refusals alike.
  void clear();

 private:
  mutable std::mutex lock_;              // guards offers_
  std::optional<AddressOffer> offers_[3];  // lock_; indexed by AirlineAddress
  std::string declined_[3];                // lock_; the new address refused, per address
};

}  // namespace orvane
