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

// The sample flight's profile, sampled once a minute.
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
    const orvane::PIREPData report = orvane::samples::sample_pirep();
    orvane::CPIREPDialog dialog(report, false, sampleTrack(report));
    QTimer::singleShot(seconds * 1000, [&dialog] { dialog.EndDialog(orvane::IDOK); });
    return static_cast<int>(dialog.DoModal());
  }
  std::cerr << "unknown dialog: " << which << "\n";
  return 2;
}
