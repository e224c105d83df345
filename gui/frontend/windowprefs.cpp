// WindowPrefs: the window's preferences in QSettings, under one set of keys.
// SPDX-License-Identifier: MIT
#include "frontend/windowprefs.h"

#include <QSettings>
#include <QVariant>
#include <memory>

namespace orvane {

namespace {

QString& storeFile() {  // window thread only
  static QString file;
  return file;
}

std::unique_ptr<QSettings> open() {
  if (storeFile().isEmpty()) return std::make_unique<QSettings>();
  return std::make_unique<QSettings>(storeFile(), QSettings::IniFormat);
}

const char kGeometry[] = "mainWindow/geometry";
const char kWeightUnit[] = "window/weightUnit";  // "kg" or "lb"
const char kSendWaiting[] = "window/sendWaitingPIREPs";

}  // namespace

void WindowPrefs::setStore(const QString& iniFile) { storeFile() = iniFile; }
QString WindowPrefs::store() { return storeFile(); }

QByteArray WindowPrefs::geometry() { return open()->value(kGeometry).toByteArray(); }
void WindowPrefs::setGeometry(const QByteArray& geometry) { open()->setValue(kGeometry, geometry); }

WeightUnit WindowPrefs::weightUnit() {
  return open()->value(kWeightUnit).toString() == QLatin1String("kg") ? WeightUnit::Kilograms
                                                                      : WeightUnit::Pounds;
}
void WindowPrefs::setWeightUnit(WeightUnit unit) {
  open()->setValue(kWeightUnit, unit == WeightUnit::Kilograms ? "kg" : "lb");
}

bool WindowPrefs::sendWaitingAutomatically() { return open()->value(kSendWaiting, false).toBool(); }
void WindowPrefs::setSendWaitingAutomatically(bool on) { open()->setValue(kSendWaiting, on); }

}  // namespace orvane
