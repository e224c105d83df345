// Tests of the flight profile chart: event marks, the touchdown's mark, axes and what it paints.
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QDateTime>
#include <QImage>
#include <QTimeZone>
#include <QtTest>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "flightmodel/scenario.h"
#include "frontend/profilechart.h"

using orvane::FlightTrack;
using orvane::PIREPData;
using orvane::ProfileChart;
using orvane::TrackPoint;

namespace {

constexpr std::int64_t kDeparture = 1718002800;  // 2024-06-10 07:00:00 UTC

// An event time as the report holds it: the UTC clock fields read back as local standard time.
std::string reportTime(std::int64_t t) {
  const std::time_t tt = static_cast<std::time_t>(t);
  std::tm parts{};
  gmtime_r(&tt, &parts);
  parts.tm_isdst = 0;
  return std::to_string(static_cast<long long>(std::mktime(&parts)));
}

// The default scenario's flight, sampled every 5 seconds as the engine's cycle would, with
// its events found in the model's own values.
struct StandInFlight {
  FlightTrack track;
  std::int64_t out = 0, off = 0, on = 0, in = 0;  // seconds since 1970
  double cruiseAltitude = 0;                       // feet

  StandInFlight() {
    const orvane::model::FlightModel model = orvane::model::default_scenario();
    const int seconds = static_cast<int>(model.duration());
    for (int t = 0; t <= seconds; t += 5) {
      const orvane::model::AircraftState s = model.at(t);
      track.points.push_back({kDeparture + t, static_cast<std::int32_t>(std::lround(s.alt)),
                              static_cast<std::int32_t>(s.gs), static_cast<float>(s.lat),
                              static_cast<float>(s.lon)});
      cruiseAltitude = std::max(cruiseAltitude, s.alt);
    }
    for (int t = 0; t <= seconds; ++t) {
      const orvane::model::AircraftState s = model.at(t);
      if (out == 0 && s.gs > 0) out = kDeparture + t;
      if (off == 0 && !s.on_ground) off = kDeparture + t;
      if (off != 0 && on == 0 && s.on_ground) on = kDeparture + t;
      if (on != 0 && in == 0 && s.n1[0] == 0 && s.n1[1] == 0) in = kDeparture + t;
    }
  }

  PIREPData report(const std::string& touchdown = "150") const {
    PIREPData r;
    r.Out = reportTime(out);
    r.Off = reportTime(off);
    r.On = reportTime(on);
    r.In = reportTime(in);
    r.VSLand = touchdown;
    return r;
  }
};

bool near(QRgb pixel, const QColor& colour, int tolerance = 10) {
  return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
         std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
         std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Widget y of an altitude, read from the chart's own labelled altitude ticks.
double yOfAltitude(const QList<ProfileChart::Tick>& ticks, double feet) {
  for (qsizetype i = 1; i < ticks.size(); ++i) {
    const auto& lo = ticks[i - 1];
    const auto& hi = ticks[i];
    if (feet >= static_cast<double>(lo.value) && feet <= static_cast<double>(hi.value)) {
      const double f = (feet - static_cast<double>(lo.value)) / static_cast<double>(hi.value - lo.value);
      return lo.position + f * (hi.position - lo.position);
    }
  }
  return -1;
}

// Widget x of a time, read from the chart's own labelled time ticks.
double xOfTime(const QList<ProfileChart::Tick>& ticks, std::int64_t t) {
  for (qsizetype i = 1; i < ticks.size(); ++i) {
    const auto& lo = ticks[i - 1];
    const auto& hi = ticks[i];
    if (t >= lo.value && t <= hi.value) {
      const double f = static_cast<double>(t - lo.value) / static_cast<double>(hi.value - lo.value);
      return lo.position + f * (hi.position - lo.position);
    }
  }
  return -1;
}

orvane::Touchdown touchdownAt(std::int64_t t, double fpm) {
  orvane::Touchdown td;
  td.recorded = true;
  td.simulatorRate = true;
  td.verticalSpeed = fpm;
  td.gForce = 1.31;
  td.time = t;
  return td;
}

// The rate's box lies in the plot above the dot and near it, clear of the dot and of the
// profile under it.
bool rateBesideTheDot(const ProfileChart& chart, const FlightTrack& track) {
  const std::optional<ProfileChart::TouchdownMark> mark = chart.touchdownMark();
  if (!mark || mark->textRect.isEmpty()) return false;
  const QRectF& box = mark->textRect;
  if (!chart.plotArea().contains(box) || box.bottom() >= mark->point.y() - 4) return false;
  const qreal across = std::max<qreal>({0, box.left() - mark->point.x(), mark->point.x() - box.right()});
  if (across > 10 || mark->point.y() - box.bottom() > 4 * box.height()) return false;
  const QList<ProfileChart::Tick> ticks = chart.altitudeTicks();
  const QList<ProfileChart::Tick> times = chart.timeTicks();
  for (const TrackPoint& p : track.points) {
    const double x = xOfTime(times, p.time);
    if (x >= box.left() && x <= box.right() && yOfAltitude(ticks, p.altitude) < box.bottom()) return false;
  }
  return true;
}

QImage rendered(ProfileChart& chart) {
  QImage image(chart.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  chart.render(&image);
  return image;
}

}  // namespace

class ProfileChartTest : public QObject {
  Q_OBJECT

 private slots:
  void marksFollowTheFlightInTimeOrder();
  void axesHaveRoundLabelledTicks();
  void touchdownRateIsWrittenAtOn();
  void touchdownIsMarkedOnTheProfileAtItsTime();
  void touchdownRateSitsNearTheDotAboveTheProfile();
  void touchdownOutsideTheTrackIsNotMarked();
  void emptyTrackHasNoDataAndPaintsNothing();
  void profileLineIsPaintedInsideThePlot_data();
  void profileLineIsPaintedInsideThePlot();
  void longFlightKeepsEventNamesApart();
  void marksSitOnTheTrackInAnotherTimeZone();
};

void ProfileChartTest::marksFollowTheFlightInTimeOrder() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report());

  QVERIFY(chart.hasData());
  const QRectF plot = chart.plotArea();
  const QList<ProfileChart::EventMark> marks = chart.eventMarks();
  QCOMPARE(marks.size(), 4);
  const std::array<std::int64_t, 4> times = {flight.out, flight.off, flight.on, flight.in};
  const QStringList names = {"OUT", "OFF", "ON", "IN"};
  for (int i = 0; i < 4; ++i) {
    QCOMPARE(marks[i].name, names[i]);
    QCOMPARE(marks[i].time, times[static_cast<std::size_t>(i)]);
    QVERIFY2(marks[i].x >= plot.left() && marks[i].x <= plot.right(), qPrintable(names[i]));
    if (i > 0) QVERIFY(marks[i].x > marks[i - 1].x);
  }
  // The marks sit on the same linear time scale: their spacing matches the times'.
  const double span = static_cast<double>(flight.in - flight.out);
  for (int i = 1; i < 3; ++i) {
    const double expected = (static_cast<double>(times[static_cast<std::size_t>(i)] - flight.out) / span) *
                            (marks[3].x - marks[0].x);
    QVERIFY(std::abs((marks[i].x - marks[0].x) - expected) < 1.0);
  }
  // And each one lies between the labelled time ticks that bracket its time.
  const QList<ProfileChart::Tick> ticks = chart.timeTicks();
  for (const auto& mark : marks) {
    for (qsizetype k = 1; k < ticks.size(); ++k) {
      if (ticks[k - 1].value <= mark.time && mark.time <= ticks[k].value) {
        QVERIFY(ticks[k - 1].position <= mark.x + 0.01 && mark.x <= ticks[k].position + 0.01);
      }
    }
  }
}

void ProfileChartTest::axesHaveRoundLabelledTicks() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report());

  const QList<ProfileChart::Tick> alt = chart.altitudeTicks();
  QVERIFY(alt.size() >= 3);
  const std::int64_t step = alt[1].value - alt[0].value;
  QVERIFY(step == 1000 || step == 2000 || step == 2500 || step == 5000);
  QCOMPARE(alt.front().value, 0);
  QVERIFY(static_cast<double>(alt.back().value) >= flight.cruiseAltitude);
  for (qsizetype i = 0; i < alt.size(); ++i) {
    QCOMPARE(alt[i].value % step, 0);
    QCOMPARE(alt[i].label, QStringLiteral("%1 ft").arg(alt[i].value));
    if (i > 0) QVERIFY(alt[i].position < alt[i - 1].position);  // higher is further up
  }

  const QList<ProfileChart::Tick> time = chart.timeTicks();
  QVERIFY(time.size() >= 3);
  for (const auto& tick : time) {
    QCOMPARE(tick.value % 60, 0);
    const QString clock =
        QDateTime::fromSecsSinceEpoch(tick.value, QTimeZone::utc()).toString("HH:mm") + "Z";
    QCOMPARE(tick.label, clock);
    QVERIFY(tick.position >= chart.plotArea().left() && tick.position <= chart.plotArea().right());
  }
}

void ProfileChartTest::touchdownRateIsWrittenAtOn() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report("143"));

  const QList<ProfileChart::EventMark> marks = chart.eventMarks();
  QCOMPARE(marks.size(), 4);
  const QRectF plot = chart.plotArea();
  for (const auto& mark : marks) {
    if (mark.name != "ON") {
      QVERIFY(mark.detail.isEmpty());
      continue;
    }
    QCOMPARE(mark.detail, QStringLiteral("-143 fpm"));
    // Written with the ON name above the plot, where it never hides the profile, and right
    // beside the name over the ON line.
    QVERIFY(mark.labelRect.contains(mark.detailRect));
    QVERIFY(mark.labelRect.bottom() <= plot.top());
    QVERIFY(mark.labelRect.left() <= mark.x && mark.x <= mark.labelRect.right());
    const double gap = mark.detailRect.left() > mark.x ? mark.detailRect.left() - mark.x
                                                       : mark.x - mark.detailRect.right();
    QVERIFY(gap > 0 && gap < 30);
    for (const auto& other : marks) {
      if (other.name != mark.name) QVERIFY(!other.labelRect.intersects(mark.labelRect));
    }
  }

  // A report without a touchdown rate writes none.
  chart.setFlight(flight.track, flight.report(""));
  for (const auto& mark : chart.eventMarks()) QVERIFY(mark.detail.isEmpty());
}

void ProfileChartTest::touchdownIsMarkedOnTheProfileAtItsTime() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  // Nothing of the touchdown's colour without a touchdown.
  chart.setFlight(flight.track, flight.report("143"));
  QVERIFY(!chart.touchdownMark());
  const QImage before = rendered(chart);
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      QVERIFY2(!near(before.pixel(x, y), ProfileChart::touchdownColor(), 40),
               qPrintable(QStringLiteral("touchdown colour at %1,%2").arg(x).arg(y)));
    }
  }

  // A touchdown 3 s after the ON the report gives, between two of the track's samples.
  const std::int64_t t = flight.on + 3;
  chart.setFlight(flight.track, flight.report("143"), touchdownAt(t, -187.9));
  const std::optional<ProfileChart::TouchdownMark> mark = chart.touchdownMark();
  QVERIFY(mark.has_value());
  QCOMPARE(mark->time, t);
  QCOMPARE(mark->text, QStringLiteral("-187 fpm"));
  // On the time scale the labelled ticks give, and on the profile at that moment.
  QVERIFY(std::abs(mark->point.x() - xOfTime(chart.timeTicks(), t)) < 0.5);
  const orvane::model::FlightModel model = orvane::model::default_scenario();
  const double ground = model.at(static_cast<double>(t - kDeparture)).alt;
  QVERIFY(std::abs(mark->point.y() - yOfAltitude(chart.altitudeTicks(), ground)) < 1.5);
  // The rate moves from ON's name to the mark: written once, inside the plot, beside the
  // dot, clear of the event names.
  for (const auto& event : chart.eventMarks()) {
    QVERIFY(event.detail.isEmpty());
    QVERIFY(!event.labelRect.intersects(mark->textRect));
  }
  QVERIFY(rateBesideTheDot(chart, flight.track));

  // The dot is painted there: its colour at the point, and every pixel of its colour outside
  // the rate's box lies within a few pixels of it.
  const QImage image = rendered(chart);
  const QPoint centre = mark->point.toPoint();
  QVERIFY(near(image.pixel(centre), ProfileChart::touchdownColor(), 12));
  const QRectF box = mark->textRect.adjusted(-1.5, -1.5, 1.5, 1.5);
  int dot = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!near(image.pixel(x, y), ProfileChart::touchdownColor(), 12) || box.contains(QPointF(x, y)))
        continue;
      QVERIFY2(std::abs(x - mark->point.x()) <= 5 && std::abs(y - mark->point.y()) <= 5,
               qPrintable(QStringLiteral("touchdown colour at %1,%2").arg(x).arg(y)));
      ++dot;
    }
  }
  QVERIFY(dot >= 20);
}

void ProfileChartTest::touchdownRateSitsNearTheDotAboveTheProfile() {
  // Touchdowns along the sample flight, the last just before the track ends: wherever the
  // room is, the rate sits near the dot and above the profile.
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  const std::int64_t end = flight.track.points.back().time;
  int placed = 0;
  for (std::int64_t t = flight.on - 60; t <= end; t += 10) {
    chart.setFlight(flight.track, flight.report("143"), touchdownAt(t, -143.4));
    QVERIFY2(rateBesideTheDot(chart, flight.track), qPrintable(QString::number(t - flight.on)));
    ++placed;
  }
  QVERIFY(placed > 5);
  chart.setFlight(flight.track, flight.report("143"), touchdownAt(end - 10, -143.4));
  QVERIFY(rateBesideTheDot(chart, flight.track));
  std::optional<ProfileChart::TouchdownMark> mark;

  // Ten hours: IN follows ON by a few pixels and the descent takes fewer than the rate needs,
  // so no place beside the dot is clear of the profile; the rate is written at ON and the
  // dot still marks the touchdown.
  FlightTrack track;
  const std::int64_t out = kDeparture, off = out + 12 * 60, on = out + 9 * 3600 + 40 * 60,
                     in = on + 8 * 60;
  for (std::int64_t t = out; t <= in; t += 60) {
    double alt = 37000;
    if (t < off) alt = 0;
    else if (t < off + 1800) alt = 37000.0 * static_cast<double>(t - off) / 1800;
    else if (t >= on) alt = 1000;
    else if (t > on - 2400) alt = 1000 + 36000.0 * static_cast<double>(on - t) / 2400;
    track.points.push_back({t, static_cast<std::int32_t>(alt), 0, 0.0F, 0.0F});
  }
  PIREPData report;
  report.Out = reportTime(out);
  report.Off = reportTime(off);
  report.On = reportTime(on);
  report.In = reportTime(in);
  report.VSLand = "999";  // not what the touchdown says: the touchdown's rate is written
  chart.resize(chart.minimumSizeHint());
  chart.setFlight(track, report, touchdownAt(on, -212.2));
  mark = chart.touchdownMark();
  QVERIFY(mark.has_value());
  QVERIFY(mark->textRect.isEmpty());
  const QList<ProfileChart::EventMark> marks = chart.eventMarks();
  QCOMPARE(marks.size(), 4);
  QCOMPARE(marks[2].name, QStringLiteral("ON"));
  QVERIFY(std::abs(mark->point.x() - marks[2].x) < 0.01);  // the same moment
  QVERIFY(std::abs(mark->point.y() - yOfAltitude(chart.altitudeTicks(), 1000)) < 1.5);
  QCOMPARE(marks[2].detail, QStringLiteral("-212 fpm"));
  const QRectF widget(QPointF(0, 0), QSizeF(chart.size()));
  QVERIFY(widget.contains(marks[2].detailRect));
}

void ProfileChartTest::touchdownOutsideTheTrackIsNotMarked() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report("143"),
                  touchdownAt(flight.track.points.back().time + 600, -90));
  QVERIFY(!chart.touchdownMark());
  bool onHasRate = false;
  for (const auto& event : chart.eventMarks())
    if (event.name == "ON") onHasRate = event.detail == QStringLiteral("-143 fpm");
  QVERIFY(onHasRate);
  // Nor is a touchdown not recorded.
  orvane::Touchdown none = touchdownAt(flight.on, -90);
  none.recorded = false;
  chart.setFlight(flight.track, flight.report("143"), none);
  QVERIFY(!chart.touchdownMark());
}

void ProfileChartTest::emptyTrackHasNoDataAndPaintsNothing() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report());
  QVERIFY(chart.hasData());

  // A report loaded from a file comes without a track.
  chart.setFlight(FlightTrack{}, flight.report());
  QVERIFY(!chart.hasData());
  QVERIFY(chart.eventMarks().isEmpty());
  QVERIFY(chart.plotArea().isNull());

  const QImage image = chart.grab().toImage();
  QVERIFY(!image.isNull());
  const QRgb first = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != first) QFAIL(qPrintable(QStringLiteral("painted at %1,%2").arg(x).arg(y)));
    }
  }
}

void ProfileChartTest::profileLineIsPaintedInsideThePlot_data() {
  QTest::addColumn<qreal>("scale");
  QTest::newRow("normal") << qreal(1);
  QTest::newRow("high DPI") << qreal(2);
}

void ProfileChartTest::profileLineIsPaintedInsideThePlot() {
  QFETCH(qreal, scale);
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report());

  QImage image(QSize(640, 220) * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  chart.render(&image);

  const QColor line = chart.lineColor();
  const QRectF plot = chart.plotArea();
  int inside = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!near(image.pixel(x, y), line)) continue;
      const QPointF logical(x / scale, y / scale);
      QVERIFY2(plot.adjusted(-1, -1, 1, 1).contains(logical),
               qPrintable(QStringLiteral("line colour outside the plot at %1,%2").arg(x).arg(y)));
      ++inside;
    }
  }
  QVERIFY(inside > 300 * scale);

  // In the middle of the level segment the line runs at the cruise altitude; before take-off
  // it runs at the field's altitude.
  const QList<ProfileChart::Tick> ticks = chart.altitudeTicks();
  const auto columnHasLineAt = [&](std::int64_t time, double feet) {
    const QList<ProfileChart::EventMark> marks = chart.eventMarks();
    const double x = marks[0].x + (marks[3].x - marks[0].x) *
                                      static_cast<double>(time - marks[0].time) /
                                      static_cast<double>(marks[3].time - marks[0].time);
    const double expectedY = yOfAltitude(ticks, feet);
    const int px = static_cast<int>(std::lround(x * scale));
    for (int y = 0; y < image.height(); ++y) {
      if (near(image.pixel(px, y), line) && std::abs(y / scale - expectedY) <= 3) return true;
    }
    return false;
  };
  const orvane::model::FlightModel model = orvane::model::default_scenario();
  QVERIFY(columnHasLineAt(kDeparture + 213, model.at(213).alt));
  QVERIFY(columnHasLineAt(flight.out + 5, model.at(static_cast<double>(flight.out - kDeparture + 5)).alt));
  QVERIFY(!columnHasLineAt(kDeparture + 213, model.at(40).alt));
}

void ProfileChartTest::longFlightKeepsEventNamesApart() {
  // Ten hours at 37000 feet from a field at sea level to one at 1000 feet; OUT and OFF, ON
  // and IN lie only minutes apart on this scale.
  FlightTrack track;
  const std::int64_t out = kDeparture, off = out + 12 * 60, on = out + 9 * 3600 + 40 * 60,
                     in = on + 8 * 60;
  for (std::int64_t t = out; t <= in; t += 60) {
    double alt = 37000;
    if (t < off) alt = 0;
    else if (t < off + 1800) alt = 37000.0 * static_cast<double>(t - off) / 1800;
    else if (t > on) alt = 1000;
    else if (t > on - 2400) alt = 1000 + 36000.0 * static_cast<double>(on - t) / 2400;
    track.points.push_back({t, static_cast<std::int32_t>(alt), 0, 0.0F, 0.0F});
  }
  PIREPData report;
  report.Out = reportTime(out);
  report.Off = reportTime(off);
  report.On = reportTime(on);
  report.In = reportTime(in);
  report.VSLand = "212";

  ProfileChart chart;
  chart.resize(chart.minimumSizeHint());
  chart.setFlight(track, report);
  const QList<ProfileChart::EventMark> marks = chart.eventMarks();
  QCOMPARE(marks.size(), 4);
  const QRectF widget(QPointF(0, 0), QSizeF(chart.size()));
  for (qsizetype i = 0; i < marks.size(); ++i) {
    QVERIFY(widget.contains(marks[i].labelRect));
    QVERIFY(marks[i].labelRect.bottom() <= chart.plotArea().top());
    for (qsizetype j = i + 1; j < marks.size(); ++j) {
      QVERIFY2(!marks[i].labelRect.intersects(marks[j].labelRect),
               qPrintable(marks[i].name + " overlaps " + marks[j].name));
    }
  }
  QVERIFY(widget.contains(marks[2].detailRect));
  QCOMPARE(marks[2].detail, QStringLiteral("-212 fpm"));
  QVERIFY(!marks[2].detailRect.contains(QPointF(marks[2].x, marks[2].detailRect.center().y())));
  QVERIFY(marks[2].labelRect.left() <= marks[2].x && marks[2].x <= marks[2].labelRect.right());

  const QList<ProfileChart::Tick> alt = chart.altitudeTicks();
  QVERIFY(alt.size() >= 3);
  QCOMPARE(alt.back().value % 5000, 0);
  QVERIFY(alt.back().value >= 37000);
  const QList<ProfileChart::Tick> time = chart.timeTicks();
  QVERIFY(time.size() >= 3);
  for (const auto& tick : time) QCOMPARE(tick.value % 1800, 0);
}

void ProfileChartTest::marksSitOnTheTrackInAnotherTimeZone() {
  const StandInFlight flight;
  ProfileChart chart;
  chart.resize(640, 220);
  chart.setFlight(flight.track, flight.report());
  const QList<ProfileChart::EventMark> utcMarks = chart.eventMarks();

  // The report's times depend on the machine's zone; the track's do not.
  const QByteArray savedZone = qgetenv("TZ");
  const bool hadZone = qEnvironmentVariableIsSet("TZ");
  qputenv("TZ", "America/New_York");
  tzset();
  const PIREPData report = flight.report();
  chart.setFlight(flight.track, report);
  const QList<ProfileChart::EventMark> zoneMarks = chart.eventMarks();
  if (hadZone) qputenv("TZ", savedZone);
  else qunsetenv("TZ");
  tzset();

  QVERIFY(report.Out != std::to_string(flight.out));  // the zone did shift the report
  QCOMPARE(zoneMarks.size(), utcMarks.size());
  for (qsizetype i = 0; i < utcMarks.size(); ++i) {
    QCOMPARE(zoneMarks[i].time, utcMarks[i].time);
    QCOMPARE(zoneMarks[i].x, utcMarks[i].x);
  }
}

QTEST_MAIN(ProfileChartTest)
#include "profilechart_test.moc"
