// CMyDialog and its window preferences: weights in pounds or kilograms, waiting PIREPs sent
// on their own.
// SPDX-License-Identifier: MIT
#include <QString>
#include <string>

#include "engine/orvane_base.h"
#include "frontend/maindialog.h"
#include "frontend/weights.h"
#include "frontend/windowprefs.h"

namespace orvane {

namespace {
constexpr UINT IDC_CARGO_LABEL = 107;
constexpr UINT IDC_BLOCKFUEL_UNIT = 125;
constexpr UINT IDC_FLIGHTFUEL_UNIT = 126;
}  // namespace

void CMyDialog::applyWindowPrefs() {
  // orvane.ini has no say in it: the settings file always reads "AutoPIREP = 1".
  FlightOptions options = ORVANE::getFlightOptions();
  options.PIREPAuto = WindowPrefs::sendWaitingAutomatically();
  ORVANE::setFlightOptions(options);
  showWeightUnit();
}

void CMyDialog::setWeight(UINT id, const std::string& pounds) {
  const std::string shown = shownWeight(pounds, weightUnit_);
  weights_[id] = {pounds, shown};
  setText(id, shown);
}

std::string CMyDialog::weightPounds(UINT id) const {
  const std::string now = text(id);
  const auto it = weights_.find(id);
  if (it != weights_.end() && it->second.second == now) return it->second.first;
  return poundsFromShown(now, weightUnit_);
}

void CMyDialog::showWeightUnit() {
  const UINT ids[] = {IDC_CARGO, IDC_BLOCKFUEL, IDC_FLIGHTFUEL};
  std::string pounds[3];
  for (int i = 0; i < 3; ++i) pounds[i] = weightPounds(ids[i]);
  weightUnit_ = WindowPrefs::weightUnit();
  const bool kg = weightUnit_ == WeightUnit::Kilograms;
  setText(IDC_CARGO_LABEL, (kg ? tr("Cargo (kg)") : tr("Cargo (lbs)")).toStdString());
  const std::string unit = (kg ? tr("kg") : tr("lbs")).toStdString();
  setText(IDC_BLOCKFUEL_UNIT, unit);
  setText(IDC_FLIGHTFUEL_UNIT, unit);
  for (int i = 0; i < 3; ++i) {
    if (!text(ids[i]).empty()) setWeight(ids[i], pounds[i]);
  }
}

}  // namespace orvane
