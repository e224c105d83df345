// orvane-windowdriver: flies one whole flight in ORVANE's real main window, clicking as a
// pilot would, and saves a screenshot of each stage (run under a real or virtual X server).
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "driver.h"
#include "driver_options.h"
#include "window_figures.h"

using namespace orvane;
using namespace orvane::windowdriver;

namespace {

// The figures of the run, one "figure name=value" line each, for scripts/bench.
void printFigures(const Options& o, const FirstPaint& firstPaint, const Driver& driver) {
  std::printf("figure first_paint_ms=%.0f\n", firstPaint.atSeconds * 1000.0);
  std::printf("figure vm_hwm_kib=%ld\n", statusKiB("VmHWM:"));
  if (o.idleS != 0) return;
  std::printf("figure longest_gap_flight_ms=%.1f\n", driver.longestFlightGapMs_);
  std::printf("figure longest_gap_flight_cause=%s\n", driver.longestFlightGapCause_.c_str());
  std::printf("figure longest_gap_ms=%.1f\n", driver.longestGapMs());
  std::printf("figure longest_gap_stage=%s\n", driver.longestGapStage().c_str());
  std::printf("figure longest_gap_cause=%s\n", driver.longestGapCause().c_str());
  std::printf("figure heartbeat_ms=%d\n", kHeartbeatMs);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int rc = parseOptions(argc, argv, o); rc >= 0) return rc;
  QDir().mkpath(QString::fromStdString(o.out));

  CWinApp app(argc, argv);
  QCoreApplication::setOrganizationName("ORVANE");
  QCoreApplication::setApplicationName("ORVANE");
  FirstPaint firstPaint;
  qApp->installEventFilter(&firstPaint);

  int rc = 0;
  {
    CMyDialog window;
    Driver driver(o, window);
    QTimer::singleShot(0, [&driver] { driver.start(); });
    window.DoModal();
    rc = driver.exitCode();
    if (rc == 0 && o.idleS == 0 && driver.savedPath().empty()) rc = 1;
    for (const std::string& shot : driver.screenshots()) say("saved " + shot);
    if (!driver.savedPath().empty()) say("saved PIREP " + driver.savedPath());
    if (o.figures) printFigures(o, firstPaint, driver);
  }
  say(rc == 0 ? "done" : "failed");
  return rc;
}

