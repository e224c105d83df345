// orvane-showdialog: opens one dialog with sample data for a while, for screenshots.
// Usage: orvane-showdialog options|pirep|newaddress|resume|import [seconds]
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "engine/orvane_base.h"
#include "framework/wincore.h"
#include "framework/dialoghelpers.h"
#include "frontend/addressprompt.h"
#include "frontend/importreview.h"
#include "frontend/maindialog.h"
#include "frontend/optiondialog.h"
#include "frontend/pirepdialog.h"
#include "frontend/translations.h"
#include "samples/sample_pirep.h"

namespace {

void sampleOptions() {
  orvane::FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1:8080/acars/liveacars.php";
  o.PIREP_URL = "http://127.0.0.1:8080/acars/pirep.php";
  o.INFO_URL = "http://127.0.0.1:8080/acars/flightinfo.php";
  o.ACARS_User = o.PIREP_User = "VA1234";
  o.ACARS_Password = o.PIREP_Password = "secret";
  o.POS_Report_Interval = 600;
  o.enableLiveACARS = true;
  o.enablePIREP = true;
  orvane::ORVANE::setFlightOptions(o);
}

// The sample flight's profile: once a minute, and every second or two over the last 40 s
// before touchdown, with the flare over the last 30 ft.
orvane::FlightTrack sampleTrack(const orvane::PIREPData& p) {
  const std::int64_t out = std::atoll(p.Out.c_str()), off = std::atoll(p.Off.c_str());
  const std::int64_t on = std::atoll(p.On.c_str()), in = std::atoll(p.In.c_str());
  const auto altitudeAt = [&](std::int64_t t) {
    if (t <= off) return 364.0;  // feet
    if (t >= on) return 600.0;
    const double climb = (t - off) / 60.0 * 2200 + 364;  // 2200 fpm
    const double left = static_cast<double>(on - t);     // seconds to touchdown
    // 1800 fpm down to the last 30 ft, then a flare to the touchdown rate.
    const double descent = left > 4 ? 630 + (left - 4) / 60.0 * 1800 : 600 + left * left * 1.1 + left * 3.5;
    return std::min({climb, descent, 35000.0});
  };
  orvane::FlightTrack track;
  for (std::int64_t t = out; t <= in;) {
    orvane::TrackPoint pt;
    pt.time = t;
    pt.altitude = static_cast<std::int32_t>(altitudeAt(t));
    pt.groundSpeed = (t > off && t < on) ? 420 : 15;
    track.points.push_back(pt);
    const bool nearGround = t < on && on - t <= 40;
    t += nearGround ? (on - t <= 4 ? 1 : 2) : 60;
    if (!nearGround && t > on - 40 && t < on) t = on - 40;
  }
  return track;
}

// The sample flight's touchdown: the report's rate (VSLand 212), at its ON, one bounce.
orvane::Touchdown sampleTouchdown(const orvane::PIREPData& p) {
  orvane::Touchdown t;
  t.recorded = true;
  t.simulatorRate = true;
  t.verticalSpeed = -212.4;
  t.gForce = 1.24;
  t.bounces = 1;
  t.pitch = 4.2;
  t.bank = -0.6;
  t.groundSpeed = 134;
  t.time = std::atoll(p.On.c_str());
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: orvane-showdialog options|pirep|newaddress|resume|import [seconds]\n";
    return 2;
  }
  const std::string which = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 3;
  orvane::CWinApp app(argc, argv);
  orvane::installTranslations();  // in the system's language, as the window program
  orvane::ORVANE::setLogFilePath("/dev/null");
  if (which == "options") {
    sampleOptions();
    orvane::COptionDialog dialog;
    QTimer::singleShot(seconds * 1000, [&dialog] { dialog.EndDialog(orvane::IDCANCEL); });
    return static_cast<int>(dialog.DoModal());
  }
  if (which == "import") {
    // The review of an airline's settings file over the sample settings.
    sampleOptions();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("virtual-example-air.orvane"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return 1;
    out.write("[Server]\nAddress = https://va.example/acars/liveacars.php\n"
              "PIREP = https://va.example/acars/pirep.php\n"
              "FlightInfo = https://va.example/acars/flightinfo.php\n\n"
              "[ACARS]\nPOSReportTime = 5\nEnableLiveACARS = 1\nEnablePIREP = 1\n");
    out.close();
    QTimer::singleShot(seconds * 1000, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    orvane::reviewAirlineSettings(nullptr, file.toStdString(),
                                  orvane::ORVANE::getFlightOptions());
    return 0;
  }
  if (which == "pirep") {
    const orvane::PIREPData report = orvane::samples::sample_pirep();
    orvane::CPIREPDialog dialog(report, false, sampleTrack(report), sampleTouchdown(report));
    QTimer::singleShot(seconds * 1000, [&dialog] { dialog.EndDialog(orvane::IDOK); });
    return static_cast<int>(dialog.DoModal());
  }
  if (which == "newaddress") {
    // The box of a flight plan whose address answered with a redirect to the same server.
    orvane::AddressOffers::instance().offer(
        orvane::AirlineAddress::FLIGHTINFO, "http://va.example/phpvms/index.php/acars/xacars/data",
        "http://va.example/phpvms/action.php/acars/xacars/data");
    QTimer::singleShot(seconds * 1000, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    const std::string failure =
        orvane::loadString(653) + "\r\n[ERROR: Connection to ACARS server failed: [Redirect not "
        "followed: HTTP 301 to [http://va.example/phpvms/action.php/acars/xacars/data]; set the "
        "new address in the settings]]";
    orvane::confirmNewAddress(orvane::AirlineAddress::FLIGHTINFO, failure,
                              orvane::loadString(801), "/dev/null");
    return 0;
  }
  if (which == "resume") {
    // The box a journaled flight brings at start: ORV123 in cruise since 14:20Z.
    orvane::FlightJournal journal;
    journal.exists = true;
    journal.hasSnapshot = true;
    journal.last.record.plan.callsign = "ORV123";
    journal.last.flight.state = orvane::FlightState::CRUISING;
    journal.last.phaseSince = 1796739600;  // 2026-12-08 14:20Z
    journal.last.dataId = "4711";
    QTimer::singleShot(seconds * 1000, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    orvane::ShowMessageBox(orvane::CMyDialog::journalQuestion(journal));
    return 0;
  }
  std::cerr << "unknown dialog: " << which << "\n";
  return 2;
}
