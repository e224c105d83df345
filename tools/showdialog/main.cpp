// orvane-showdialog: opens one dialog with sample data for a while, for screenshots.
// Usage: orvane-showdialog options|pirep [seconds]
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "engine/orvane_base.h"
#include "framework/wincore.h"
#include "frontend/optiondialog.h"

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
  std::cerr << "unknown dialog: " << which << "\n";
  return 2;
}
