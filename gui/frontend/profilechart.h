// ProfileChart: the flight's altitude over time, with the OUT, OFF, ON and IN times marked.
#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "pirep/PIREPData.h"
#include "records/flighttrack.h"

namespace orvane {

class ProfileChart : public QWidget {
  Q_OBJECT

 public:
  // One event time as laid out on the chart for the widget's current size.
  struct EventMark {
    QString name;        // "OUT", "OFF", "ON" or "IN"
    std::int64_t time;   // seconds since 1970-01-01 UTC
    qreal x;             // widget x of the mark's vertical line
    QRectF labelRect;    // where the name (and detail) is written above the plot, widget coordinates
    QString detail;      // the touchdown rate at ON ("-143 fpm"), else empty
    QRectF detailRect;   // the part of labelRect that holds the detail; empty without one
  };

  // One labelled tick of an axis.
  struct Tick {
    std::int64_t value;  // seconds since 1970 on the time axis, feet on the altitude axis
    qreal position;      // widget x (time) or y (altitude)
    QString label;
  };

  explicit ProfileChart(QWidget* parent = nullptr);

  // Shows a flight: its track and the event times and touchdown rate of its report. An
  // empty track leaves the chart without data; it then paints nothing.
  void setFlight(const FlightTrack& track, const PIREPData& report);

  bool hasData() const { return !points_.empty(); }

  // The layout for the widget's current size; empty without data.
  QRectF plotArea() const;
  QList<EventMark> eventMarks() const;
  QList<Tick> timeTicks() const;
  QList<Tick> altitudeTicks() const;

  // Colour of the profile line (the palette's highlight).
  QColor lineColor() const;

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
    qreal xOf(std::int64_t t) const;
    qreal yOf(double feet) const;
  };

  Layout computeLayout() const;
  Layout layoutWith(qreal leftMargin, int labelRows) const;

  std::vector<Sample> points_;  // in time order
  std::vector<Event> events_;   // in time order, only those the report gives
};

}  // namespace orvane
