// WindowPrefs: the window's own preferences (its size and place, the weight unit, sending
// waiting PIREPs on its own), kept apart from orvane.ini.
// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

enum class WeightUnit { Pounds, Kilograms };

// Read and written on the window thread only.
class WindowPrefs {
 public:
  // Where they are kept: an empty name is Qt's standard place for this user's ORVANE
  // settings (QSettings of "ORVANE"/"ORVANE"); a file name is that INI file.
  static void setStore(const QString& iniFile);
  static QString store();

  static QByteArray geometry();
  static void setGeometry(const QByteArray& geometry);
  // How the window and the PIREP review show weights and fuel; pounds unless set.
  static WeightUnit weightUnit();
  static void setWeightUnit(WeightUnit unit);
  // The PIREPs waiting in the outbox go at the start without asking (FlightOptions::PIREPAuto).
  static bool sendWaitingAutomatically();
  static void setSendWaitingAutomatically(bool on);
};

}  // namespace orvane
