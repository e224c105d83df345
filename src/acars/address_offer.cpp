// AddressOffers: the latest same-host redirect per airline address, under one lock.
// SPDX-License-Identifier: MIT
#include "acars/address_offer.h"

#include "net/same_host.h"

namespace orvane {

AddressOffers& AddressOffers::instance() {
  static AddressOffers offers;
  return offers;
}

bool AddressOffers::offer(AirlineAddress which, const std::string& from, const std::string& to) {
  if (to.empty() || to == from || !same_host(from, to)) return false;
  std::lock_guard<std::mutex> g(lock_);
  const int i = static_cast<int>(which);
  if (declined_[i] == to) return false;
  offers_[i] = AddressOffer{which, from, to};
  return true;
}

void AddressOffers::decline(const AddressOffer& offer) {
  std::lock_guard<std::mutex> g(lock_);
  declined_[static_cast<int>(offer.which)] = offer.to;
}

std::optional<AddressOffer> AddressOffers::take(AirlineAddress which) {
  std::lock_guard<std::mutex> g(lock_);
  std::optional<AddressOffer> out;
  out.swap(offers_[static_cast<int>(which)]);
  return out;
}

void AddressOffers::clear() {
  std::lock_guard<std::mutex> g(lock_);
  for (auto& o : offers_) o.reset();
  for (auto& d : declined_) d.clear();
}

}  // namespace orvane
