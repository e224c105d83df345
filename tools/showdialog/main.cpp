// orvane-showdialog: opens one dialog with sample data for a while, for screenshots.
// Usage: orvane-showdialog options|pirep [seconds]
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "engine/orvane_base.h"
#include "framework/wincore.h"
#include "frontend/optiondialog.h"
#include "frontend/pirepdialog.h"

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

// A flight Frankfurt to Vienna: its report and a profile sampled once a minute.
orvane::PIREPData sampleReport() {
  orvane::PIREPData p;
  p.Callsign = "ORV123";
  p.Aircraft = "B738";
  p.From = "EDDF";
  p.To = "LOWW";
  p.Alt = "LOWS";
  p.Route = "ANEKI Y163 NATOR";
  p.OOut = "04.07.2026 09:15";
  p.Out = "1783156500";  // 09:15 UTC
  p.Off = "1783157460";  // 09:31
  p.On = "1783161120";   // 10:32
  p.In = "1783161660";   // 10:41
  p.BlockTime = "01:26";
  p.FliteTime = "01:01";
  p.BlockFuel = "9000";
  p.FliteFuel = "7420";
  p.FL = "35000";
  p.Passengers = "162";
  p.Cargo = "3400";
  p.Online = "VATSIM";
  p.Rules = "IFR";
  p.ZFW = "121500";
  p.TOW = "139800";
  p.LAW = "131200";
  p.OriginLat = "50.0379";
  p.OriginLong = "8.5706";
  p.OriginAlt = "364";
  p.DestinLat = "48.1103";
  p.DestinLong = "16.5697";
  p.DestinAlt = "600";
  p.MaxROC = "2850";
  p.MaxROD = "1850";
  p.MaxIAS = "312";
  p.MaxGS = "468";
  p.Comment = "Smooth ride.\nLight chop near LANUX, FL350.";
  p.VSLand = "212";
  return p;
}

orvane::FlightTrack sampleTrack(const orvane::PIREPData& p) {
  const std::int64_t out = std::atoll(p.Out.c_str()), off = std::atoll(p.Off.c_str());
  const std::int64_t on = std::atoll(p.On.c_str()), in = std::atoll(p.In.c_str());
  orvane::FlightTrack track;
  for (std::int64_t t = out; t <= in; t += 60) {
    double alt = 364;  // feet
    if (t > off && t < on) {
      const double climb = (t - off) / 60.0 * 2200 + 364;   // 2200 fpm
      const double descent = (on - t) / 60.0 * 1800 + 600;  // 1800 fpm
      alt = std::min({climb, descent, 35000.0});
    } else if (t >= on) {
      alt = 600;
    }
    orvane::TrackPoint pt;
    pt.time = t;
    pt.altitude = static_cast<std::int32_t>(alt);
    pt.groundSpeed = (t > off && t < on) ? 420 : 15;
    track.points.push_back(pt);
  }
  return track;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: orvane-showdialog options|pirep [seconds]\n";
    return 2;
  }
  const std::string which = argv[1];
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 3;
  orvane::CWinApp app(argc, argv);
  orvane::ORVANE::setLogFilePath("/dev/null");
  if (which == "options") {
    sampleOptions();
    orvane::COptionDialog dialog;
    QTimer::singleShot(seconds * 1000, [&dialog] { dialog.EndDialog(orvane::IDCANCEL); });
    return static_cast<int>(dialog.DoModal());
  }
  if (which == "pirep") {
    const orvane::PIREPData report = sampleReport();
    orvane::CPIREPDialog dialog(report, false, sampleTrack(report));
    QTimer::singleShot(seconds * 1000, [&dialog] { dialog.EndDialog(orvane::IDOK); });
    return static_cast<int>(dialog.DoModal());
  }
  std::cerr << "unknown dialog: " << which << "\n";
  return 2;
}
