// FlightState's ACARS events: the message of each event, built from the simulator's values.
// SPDX-License-Identifier: MIT
#include <cmath>
#include <cstdlib>

#include "tracking/flightstate.h"
#include "util/clock.h"

namespace orvane {

std::string FlightState::CreateData(ACARS::MessageType type) {
  switch (type) {
    case ACARS::MESSAGE_BEGINFLIGHT: return Create_ACARS_BEGINFLIGHT();
    case ACARS::MESSAGE_OUT: return Create_ACARS_OUT();
    case ACARS::MESSAGE_OFF: return Create_ACARS_OFF();
    case ACARS::MESSAGE_ON: return Create_ACARS_ON();
    case ACARS::MESSAGE_IN: return Create_ACARS_IN();
    case ACARS::MESSAGE_POS: return Create_ACARS_POS(std::string());
    case ACARS::MESSAGE_ALT: return Create_ACARS_ALT();
    case ACARS::MESSAGE_STAT: return Create_ACARS_STAT();
    case ACARS::MESSAGE_ENDFLIGHT: return Create_ACARS_ENDFLIGHT();
    case ACARS::MESSAGE_PAUSED: return Create_ACARS_PAUSEFLIGHT();
    case ACARS::MESSAGE_TEST:
    case ACARS::MESSAGE_CRASH: return std::string();
  }
  return std::string();
}

namespace {
long nowSeconds() { return static_cast<long>(clock().now()); }
int fuelOf(FlightData* d) { return static_cast<int>(d->getCurrentFuel()); }
}  // namespace

std::string FlightState::Create_ACARS_BEGINFLIGHT() {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const std::string callsign = FData->getCallsign();
  const std::string route = FData->getRoute();
  const std::string dep = FData->getDepartureICAO();
  const std::string arr = FData->getArrivalICAO();
  const std::string alt = FData->getAlternateICAO();
  const std::string reg = FData->getAircraftRegistration();
  const std::string ac = FData->getACCode();
  const std::string airline = FData->getAirlineICAO();
  const std::string pax = FData->getPassengers();
  const std::string cargo = FData->getCargo();
  const std::string rules = FData->getRules();
  const int altitude = FData->getAltitude();
  const int fuel = fuelOf(FData);
  const int hdg = FData->getHeading();
  const int wdir = FData->getWindDirection();
  const int wspd = FData->getWindSpeed();
  const int oat = FData->getOAT();
  return ACARS_Msg->messageBeginFlight(callsign, route, dep, arr, alt, reg, ac, airline, pax,
                                       cargo, rules, p.lat, p.lng, altitude, fuel, hdg, wdir,
                                       wspd, oat);
}

std::string FlightState::Create_ACARS_OUT() {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const int fuel = fuelOf(FData);
  const int zfw = FData->getZFW();
  const int tw = FData->getTotalWeight();
  const int alt = FData->getAltitude();
  const int hdg = FData->getHeading();
  const int hdt = FData->getTrueHeading();
  const int ias = FData->getIAS();
  const int wdir = FData->getWindDirection();
  const int wspd = FData->getWindSpeed();
  const int oat = FData->getOAT();
  const int tat = FData->getTAT();
  const long t = nowSeconds();
  return ACARS_Msg->messageOUT(t, fuel, zfw, tw, p.lat, p.lng, alt, hdg, hdt, ias, wdir, wspd, oat,
                               tat);
}

namespace {

// The values an OFF, ON or IN message carries, read in the order the message lists them.
struct Movement {
  int fuel, totalWeight, alt, hdg, hdt, ias, wdir, wspd, oat, tat;
  std::vector<int> n1, n2;
  long t;
};

Movement readMovement(FlightData* d, bool engines) {
  Movement m{};
  m.fuel = fuelOf(d);
  m.totalWeight = d->getTotalWeight();
  m.alt = d->getAltitude();
  m.hdg = d->getHeading();
  m.hdt = d->getTrueHeading();
  m.ias = d->getIAS();
  m.wdir = d->getWindDirection();
  m.wspd = d->getWindSpeed();
  m.oat = d->getOAT();
  m.tat = d->getTAT();
  if (engines) {
    m.n1 = d->getEngine_N1();
    m.n2 = d->getEngine_N2();
  }
  m.t = nowSeconds();
  return m;
}

// The values of a POS or ALT message, in their order.
struct Report {
  int fuel, alt, hdg, hdt, ias, tas, oat, tat, wdir, wspd;
  long t;
};

Report readReport(FlightData* d) {
  Report r{};
  r.fuel = fuelOf(d);
  r.alt = d->getAltitude();
  r.hdg = d->getHeading();
  r.hdt = d->getTrueHeading();
  r.ias = d->getIAS();
  r.tas = d->getTAS();
  r.oat = d->getOAT();
  r.tat = d->getTAT();
  r.wdir = d->getWindDirection();
  r.wspd = d->getWindSpeed();
  r.t = nowSeconds();
  return r;
}

}  // namespace

std::string FlightState::Create_ACARS_OFF() {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const Movement m = readMovement(FData, true);
  return ACARS_Msg->messageOFF(m.t, m.fuel, m.totalWeight, p.lat, p.lng, m.alt, m.hdg, m.hdt,
                               m.ias, m.wdir, m.wspd, m.oat, m.tat, m.n1, m.n2);
}

std::string FlightState::Create_ACARS_ON() {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const Movement m = readMovement(FData, true);
  return ACARS_Msg->messageON(m.t, m.fuel, m.totalWeight, p.lat, p.lng, m.alt, m.hdg, m.hdt,
                              m.ias, m.wdir, m.wspd, m.oat, m.tat, m.n1, m.n2);
}

std::string FlightState::Create_ACARS_IN() {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const Movement m = readMovement(FData, false);
  return ACARS_Msg->messageIN(m.t, m.fuel, m.totalWeight, p.lat, p.lng, m.alt, m.hdg, m.hdt,
                              m.ias, m.wdir, m.wspd, m.oat, m.tat);
}

std::string FlightState::Create_ACARS_POS(const std::string& text) {
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const Report r = readReport(FData);
  return ACARS_Msg->messagePOS(r.t, r.fuel, p.lat, p.lng, r.alt, r.hdg, r.hdt, r.ias, r.tas,
                               r.oat, r.tat, r.wdir, r.wspd, text);
}

std::string FlightState::Create_ACARS_ALT() {
  const std::string phase =
      state == CLIMBING ? "CHG CLIMB" : (state == DESCENDING ? "CHG DESC" : "LEVEL");
  const Position p = FData->getPosition();
  if (!ACARS_Msg) return std::string();
  const Report r = readReport(FData);
  return ACARS_Msg->messageALT(r.t, r.fuel, p.lat, p.lng, r.alt, r.hdg, r.hdt, r.ias, r.tas,
                               r.oat, r.tat, r.wdir, r.wspd, phase);
}

std::string FlightState::Create_ACARS_STAT() {
  if (!ACARS_Msg) return std::string();
  return ACARS_Msg->messageSTAT(nowSeconds());
}

std::string FlightState::Create_ACARS_ENDFLIGHT() {
  if (!ACARS_Msg) return std::string();
  return ACARS_Msg->messageEndFlight();
}

std::string FlightState::Create_ACARS_PAUSEFLIGHT() {
  if (!ACARS_Msg) return std::string();
  return isPaused ? ACARS_Msg->messagePauseFlight() : ACARS_Msg->messageUnPauseFlight();
}

}  // namespace orvane
