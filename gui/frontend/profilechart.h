// ProfileChart: the flight's altitude over time, with the OUT, OFF, ON and IN times and the touchdown marked.
// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "pirep/PIREPData.h"
#include "records/flighttrack.h"
#include "records/touchdown.h"

namespace orvane {

// A touchdown rate as the window writes it: whole feet per minute, negative descending
// ("-229 fpm"), cut toward zero as the report's VSLand is.
QString touchdownRateText(double fpm);

class ProfileChart : public QWidget {
  Q_OBJECT

 public:
  // One event time as laid out on the chart for the widget's current size.
  struct EventMark {
    QString name;        // "OUT", "OFF", "ON" or "IN"
    std::int64_t time;   // seconds since 1970-01-01 UTC
    qreal x;             // widget x of the mark's vertical line
    QRectF labelRect;    // where the name (and detail) is written above the plot, widget coordinates
    QString detail;      // the touchdown rate at ON ("-143 fpm") where the touchdown's mark has none
    QRectF detailRect;   // the part of labelRect that holds the detail; empty without one
  };

  // The touchdown as laid out on the chart: a dot on the profile with its rate beside it.
  struct TouchdownMark {
    std::int64_t time;  // seconds since 1970-01-01 UTC
    QPointF point;      // widget position of the dot: the profile at that time
    QString text;       // the rate, "-229 fpm"
    // Where the rate is written beside the dot, inside the plot and above the profile, widget
    // coordinates; empty where it does not fit there, and the rate is written at ON instead.
    QRectF textRect;
  };

  // One labelled tick of an axis.
  struct Tick {
    std::int64_t value;  // seconds since 1970 on the time axis, feet on the altitude axis
    qreal position;      // widget x (time) or y (altitude)
    QString label;
  };

  explicit ProfileChart(QWidget* parent = nullptr);

  // Shows a flight: its track and the event times of its report. A recorded touchdown within
  // the track is marked with a dot on the profile and its rate beside it (at ON where it does
  // not fit there); without one, the report's touchdown rate is written at ON. An empty track
  // leaves the chart without data; it then paints nothing.
  void setFlight(const FlightTrack& track, const PIREPData& report,
                 const Touchdown& touchdown = {});

  bool hasData() const { return !points_.empty(); }

  // The layout for the widget's current size; empty without data.
  QRectF plotArea() const;
  QList<EventMark> eventMarks() const;
  QList<Tick> timeTicks() const;
  QList<Tick> altitudeTicks() const;
  // The touchdown's mark; none without data or without a touchdown within the track.
  std::optional<TouchdownMark> touchdownMark() const;

  // Colour of the profile line (the palette's highlight).
  QColor lineColor() const;
  // Colour of the touchdown's dot.
  static QColor touchdownColor();

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Sample {
    std::int64_t time;  // seconds since 1970 UTC
    double altitude;    // feet
  };
  struct Event {
    QString name;
    std::int64_t time;
    QString detail;
  };
  struct Layout {
    QRectF plot;
    std::int64_t timeFrom = 0, timeTo = 0;  // seconds since 1970 at the plot's left and right edge
    double altFrom = 0, altTo = 0;          // feet at the plot's bottom and top edge
    QList<Tick> timeTicks;
    QList<Tick> altTicks;
    QList<EventMark> marks;
    int labelRows = 1;                      // rows the event names need so that none overlap
    std::optional<TouchdownMark> touchdown;
    qreal xOf(std::int64_t t) const;
    qreal yOf(double feet) const;
  };

  Layout computeLayout() const;
  Layout layoutWith(qreal leftMargin, int labelRows) const;
  void layoutTouchdown(Layout& layout) const;
  // The profile's altitude at a time within the track, in feet, between its samples.
  double altitudeAt(std::int64_t t) const;

  std::vector<Sample> points_;  // in time order
  std::vector<Event> events_;   // in time order, only those the report gives
  std::optional<std::int64_t> touchdownTime_;  // set only within the track's time
  QString touchdownText_;
};

}  // namespace orvane
