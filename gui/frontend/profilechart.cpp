// ProfileChart: the flight's altitude over time, with the OUT, OFF, ON and IN times and the touchdown marked.
// SPDX-License-Identifier: MIT
#include "frontend/profilechart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "util/util.h"

namespace orvane {

namespace {

// Tick spacings the axes choose from: seconds on the time axis, feet on the altitude axis.
constexpr std::array<std::int64_t, 11> kTimeSteps = {60,   120,  300,  600,   900,  1800,
                                                     3600, 7200, 10800, 21600, 43200};
constexpr std::array<std::int64_t, 12> kAltitudeSteps = {100,  200,   250,   500,   1000,  2000,
                                                         2500, 5000,  10000, 20000, 25000, 50000};

// The report keeps each event time as its UTC clock fields read back as local standard time,
// i.e. the true time minus the zone's offset east of UTC. Undo that, so that the marks sit
// on the track, whose times are true seconds since 1970. On a UTC machine this changes
// nothing.
std::optional<std::int64_t> reportTimeToUtc(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value <= 0) return std::nullopt;
  std::int64_t t = value;
  // The report's conversion shifts by an offset that is constant over hours, so one step
  // finds the time; the second settles a zone whose offset changed in between.
  for (int step = 0; step < 2; ++step) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm parts{};
    if (!utc_parts(tt, parts)) return value;
    parts.tm_isdst = 0;
    const std::time_t back = std::mktime(&parts);
    if (back == static_cast<std::time_t>(-1)) return value;
    t += value - static_cast<std::int64_t>(back);
  }
  return t;
}

// "hh:mmZ" of a time in UTC.
QString utcClock(std::int64_t t) {
  const std::int64_t day = ((t % 86400) + 86400) % 86400;
  return QStringLiteral("%1:%2Z")
      .arg(day / 3600, 2, 10, QLatin1Char('0'))
      .arg((day % 3600) / 60, 2, 10, QLatin1Char('0'));
}

constexpr qreal kTouchdownRadius = 4.5;  // pixels, the touchdown's dot

QString altitudeLabel(std::int64_t feet) { return QStringLiteral("%1 ft").arg(feet); }

std::int64_t floorTo(double value, std::int64_t step) {
  return static_cast<std::int64_t>(std::floor(value / static_cast<double>(step))) * step;
}

std::int64_t ceilTo(double value, std::int64_t step) {
  return static_cast<std::int64_t>(std::ceil(value / static_cast<double>(step))) * step;
}

}  // namespace

QString touchdownRateText(double fpm) {
  return QStringLiteral("%1 fpm").arg(static_cast<long long>(std::trunc(fpm)));
}

qreal ProfileChart::Layout::xOf(std::int64_t t) const {
  const double span = static_cast<double>(timeTo - timeFrom);
  return plot.left() + plot.width() * static_cast<double>(t - timeFrom) / span;
}

qreal ProfileChart::Layout::yOf(double feet) const {
  return plot.bottom() - plot.height() * (feet - altFrom) / (altTo - altFrom);
}

ProfileChart::ProfileChart(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ProfileChart::setFlight(const FlightTrack& track, const PIREPData& report,
                             const Touchdown& touchdown) {
  points_.clear();
  events_.clear();
  touchdownTime_.reset();
  touchdownText_.clear();
  points_.reserve(track.points.size());
  for (const TrackPoint& point : track.points) {
    points_.push_back({point.time, static_cast<double>(point.altitude)});
  }
  std::stable_sort(points_.begin(), points_.end(),
                   [](const Sample& a, const Sample& b) { return a.time < b.time; });

  if (!points_.empty() && touchdown.recorded && touchdown.time >= points_.front().time &&
      touchdown.time <= points_.back().time) {
    touchdownTime_ = touchdown.time;
    touchdownText_ = touchdownRateText(touchdown.verticalSpeed);
  }

  if (!points_.empty()) {
    const std::array<std::pair<const char*, const std::string*>, 4> times = {{
        {"OUT", &report.Out},
        {"OFF", &report.Off},
        {"ON", &report.On},
        {"IN", &report.In},
    }};
    for (const auto& [name, text] : times) {
      const std::optional<std::int64_t> t = reportTimeToUtc(*text);
      if (!t) continue;
      QString detail;
      if (text == &report.On) {
        bool ok = false;
        const long long rate = QString::fromStdString(report.VSLand).trimmed().toLongLong(&ok);
        // The report holds the touchdown rate as a positive number; the pilot reads a
        // descent as negative.
        if (ok) detail = QStringLiteral("%1 fpm").arg(rate == 0 ? 0 : -rate);
      }
      events_.push_back({QString::fromLatin1(name), *t, detail});
    }
    std::stable_sort(events_.begin(), events_.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
  }
  updateGeometry();
  update();
}

QRectF ProfileChart::plotArea() const { return hasData() ? computeLayout().plot : QRectF(); }

QList<ProfileChart::EventMark> ProfileChart::eventMarks() const {
  return hasData() ? computeLayout().marks : QList<EventMark>();
}

QList<ProfileChart::Tick> ProfileChart::timeTicks() const {
  return hasData() ? computeLayout().timeTicks : QList<Tick>();
}

QList<ProfileChart::Tick> ProfileChart::altitudeTicks() const {
  return hasData() ? computeLayout().altTicks : QList<Tick>();
}

std::optional<ProfileChart::TouchdownMark> ProfileChart::touchdownMark() const {
  return hasData() ? computeLayout().touchdown : std::nullopt;
}

QColor ProfileChart::lineColor() const { return palette().color(QPalette::Highlight); }

QColor ProfileChart::touchdownColor() { return QColor(0xc6, 0x28, 0x28); }

double ProfileChart::altitudeAt(std::int64_t t) const {
  const auto after = std::lower_bound(points_.begin(), points_.end(), t,
                                      [](const Sample& s, std::int64_t v) { return s.time < v; });
  if (after == points_.end()) return points_.back().altitude;
  if (after->time == t || after == points_.begin()) return after->altitude;
  const Sample& before = *(after - 1);
  const double f = static_cast<double>(t - before.time) / static_cast<double>(after->time - before.time);
  return before.altitude + f * (after->altitude - before.altitude);
}

QSize ProfileChart::minimumSizeHint() const { return {560, 180}; }

QSize ProfileChart::sizeHint() const { return {640, 220}; }

ProfileChart::Layout ProfileChart::computeLayout() const {
  // The left margin follows the widest altitude label and the top margin the rows of event
  // names, and each depends on the other's outcome; a few passes settle both.
  const QFontMetricsF metrics(font());
  qreal left = metrics.horizontalAdvance(altitudeLabel(0)) + metrics.averageCharWidth() * 1.5;
  int rows = 1;
  Layout layout = layoutWith(left, rows);
  for (int pass = 0; pass < 3; ++pass) {
    qreal widest = 0;
    for (const Tick& tick : layout.altTicks) {
      widest = std::max(widest, metrics.horizontalAdvance(tick.label));
    }
    const qreal wantedLeft = widest + metrics.averageCharWidth() * 1.5;
    if (std::abs(wantedLeft - left) < 0.5 && layout.labelRows == rows) break;
    left = wantedLeft;
    rows = layout.labelRows;
    layout = layoutWith(left, rows);
  }
  return layout;
}

ProfileChart::Layout ProfileChart::layoutWith(qreal leftMargin, int labelRows) const {
  const QFontMetricsF metrics(font());
  const qreal lineHeight = metrics.height();
  const qreal pad = metrics.averageCharWidth();
  const qreal clockWidth = metrics.horizontalAdvance(QStringLiteral("00:00Z"));

  Layout layout;
  const qreal top = pad * 0.5 + labelRows * lineHeight + pad * 0.5;
  const qreal bottom = lineHeight + pad;
  const qreal right = clockWidth / 2 + pad * 0.5;
  layout.plot = QRectF(leftMargin, top, std::max<qreal>(1, width() - leftMargin - right),
                       std::max<qreal>(1, height() - top - bottom));
  const QRectF& plot = layout.plot;

  // Time axis: the track and every event, with round ticks far enough apart for their labels.
  layout.timeFrom = points_.front().time;
  layout.timeTo = points_.back().time;
  for (const Event& event : events_) {
    layout.timeFrom = std::min(layout.timeFrom, event.time);
    layout.timeTo = std::max(layout.timeTo, event.time);
  }
  if (layout.timeTo <= layout.timeFrom) layout.timeTo = layout.timeFrom + 60;
  const double pixelsPerSecond =
      plot.width() / static_cast<double>(layout.timeTo - layout.timeFrom);
  std::int64_t timeStep = kTimeSteps.back();
  for (std::int64_t step : kTimeSteps) {
    if (static_cast<double>(step) * pixelsPerSecond >= clockWidth + 2 * pad) {
      timeStep = step;
      break;
    }
  }
  for (std::int64_t t = ceilTo(static_cast<double>(layout.timeFrom), timeStep); t <= layout.timeTo;
       t += timeStep) {
    layout.timeTicks.push_back({t, layout.xOf(t), utcClock(t)});
  }

  // Altitude axis: from the ground (or below it, for a field under sea level) to a round
  // value above the highest point, with as many round ticks as the height holds.
  double lowest = points_.front().altitude;
  double highest = lowest;
  for (const Sample& sample : points_) {
    lowest = std::min(lowest, sample.altitude);
    highest = std::max(highest, sample.altitude);
  }
  const auto maxIntervals = std::max<std::int64_t>(1, std::llround(std::floor(plot.height() / (lineHeight * 2.2))));
  std::int64_t altStep = kAltitudeSteps.back();
  for (std::int64_t step : kAltitudeSteps) {
    const std::int64_t from = std::min<std::int64_t>(0, floorTo(lowest, step));
    const std::int64_t to = std::max(step, ceilTo(highest + std::abs(highest) * 0.05, step));
    if ((to - from) / step <= maxIntervals) {
      altStep = step;
      break;
    }
  }
  const std::int64_t altFrom = std::min<std::int64_t>(0, floorTo(lowest, altStep));
  const std::int64_t altTo = std::max(altStep, ceilTo(highest + std::abs(highest) * 0.05, altStep));
  layout.altFrom = static_cast<double>(altFrom);
  layout.altTo = static_cast<double>(altTo);
  for (std::int64_t feet = altFrom; feet <= altTo; feet += altStep) {
    layout.altTicks.push_back({feet, layout.yOf(static_cast<double>(feet)), altitudeLabel(feet)});
  }

  // The touchdown's rate goes beside its dot where it fits above the profile; else it is
  // written at ON, as the report's rate is without a touchdown.
  layoutTouchdown(layout);
  const bool rateAtMark = layout.touchdown && !layout.touchdown->textRect.isEmpty();
  const QString onRate = layout.touchdown ? (rateAtMark ? QString() : touchdownText_) : QString();

  // Event names above the plot, each centred on its line; the touchdown rate follows the
  // name, so it never hides the profile. A name that would overlap the one before moves to
  // a second row.
  QFont boldFont = font();
  boldFont.setBold(true);
  const QFontMetricsF boldMetrics(boldFont);
  std::array<qreal, 2> rowEnd = {-1e9, -1e9};  // right edge of the last name in each row
  int rowsUsed = 1;
  for (const Event& event : events_) {
    const QString detail = layout.touchdown && event.name == QLatin1String("ON") ? onRate : event.detail;
    EventMark mark{event.name, event.time, layout.xOf(event.time), {}, detail, {}};
    const qreal nameWidth = metrics.horizontalAdvance(event.name) + pad;
    const qreal detailWidth = detail.isEmpty() ? 0 : boldMetrics.horizontalAdvance(detail) + pad;
    const qreal labelWidth = nameWidth + detailWidth;
    // The rate goes after the name, or before it where the widget ends too soon.
    const bool detailFirst = mark.x - nameWidth / 2 + labelWidth > width();
    const qreal labelLeft =
        std::clamp(mark.x - nameWidth / 2 - (detailFirst ? detailWidth : 0), qreal(0),
                   std::max<qreal>(0, width() - labelWidth));
    int row = 0;
    if (labelLeft < rowEnd[0] + pad * 0.5) row = labelLeft >= rowEnd[1] + pad * 0.5 ? 1 : 0;
    rowsUsed = std::max(rowsUsed, row + 1);
    rowEnd[static_cast<std::size_t>(row)] = labelLeft + labelWidth;
    const qreal rowTop = plot.top() - pad * 0.5 - (labelRows - row) * lineHeight;
    mark.labelRect = QRectF(labelLeft, rowTop, labelWidth, lineHeight);
    if (!detail.isEmpty()) {
      mark.detailRect = QRectF(detailFirst ? labelLeft : labelLeft + nameWidth, rowTop,
                               detailWidth, lineHeight);
    }
    layout.marks.push_back(mark);
  }
  layout.labelRows = rowsUsed;
  return layout;
}

void ProfileChart::layoutTouchdown(Layout& layout) const {
  if (!touchdownTime_) return;
  const QRectF& plot = layout.plot;
  const qreal pad = QFontMetricsF(font()).averageCharWidth();
  QFont boldFont = font();
  boldFont.setBold(true);
  const QFontMetricsF boldMetrics(boldFont);
  const std::int64_t t = *touchdownTime_;
  const QPointF point(layout.xOf(t), layout.yOf(altitudeAt(t)));
  const qreal gap = kTouchdownRadius + pad * 0.5;
  const QSizeF size(boldMetrics.horizontalAdvance(touchdownText_) + pad, boldMetrics.height());
  const double secondsPerPixel = static_cast<double>(layout.timeTo - layout.timeFrom) / plot.width();
  const auto timeAt = [&](qreal x) {
    return layout.timeFrom + static_cast<std::int64_t>(std::floor((x - plot.left()) * secondsPerPixel));
  };
  // The box with its left edge at left, above the dot and above the profile under it; none
  // where that leaves the plot.
  const auto boxAt = [&](qreal left) -> std::optional<QRectF> {
    if (left < plot.left() + 2 || left + size.width() > plot.right() - 2) return std::nullopt;
    const std::int64_t from = timeAt(left), to = timeAt(left + size.width()) + 1;
    double highest = std::max(altitudeAt(std::max(from, points_.front().time)),
                              altitudeAt(std::min(to, points_.back().time)));
    for (const Sample& sample : points_) {
      if (sample.time >= from && sample.time <= to) highest = std::max(highest, sample.altitude);
    }
    const qreal bottom = std::min(point.y() - gap, layout.yOf(highest) - pad * 0.5);
    if (bottom - size.height() < plot.top() + 2) return std::nullopt;
    return QRectF(QPointF(left, bottom - size.height()), size);
  };
  // The place nearest the dot of: its right (over the taxi in), its left (over the landing),
  // or, where the plot ends too soon on the right, against the plot's right edge.
  std::optional<QRectF> box;
  qreal nearest = 0;
  for (const qreal left : {point.x() + gap, point.x() - gap - size.width(),
                           std::min(point.x() + gap, plot.right() - 2 - size.width())}) {
    const std::optional<QRectF> at = boxAt(left);
    if (!at) continue;
    const qreal across = std::max<qreal>({0, at->left() - point.x(), point.x() - at->right()});
    const qreal distance = across + (point.y() - at->bottom());
    if (!box || distance < nearest - 0.5) {
      box = at;
      nearest = distance;
    }
  }
  layout.touchdown = TouchdownMark{t, point, touchdownText_, box.value_or(QRectF())};
}

void ProfileChart::paintEvent(QPaintEvent* /*event*/) {
  if (!hasData()) return;
  const Layout layout = computeLayout();
  const QRectF& plot = layout.plot;
  const QPalette& pal = palette();
  const QFontMetricsF metrics(font());
  const qreal pad = metrics.averageCharWidth();

  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);

  painter.fillRect(plot, pal.color(QPalette::Base));

  QColor gridColor = pal.color(QPalette::Mid);
  gridColor.setAlpha(90);
  painter.setPen(QPen(gridColor, 1));
  for (const Tick& tick : layout.altTicks) {
    painter.drawLine(QPointF(plot.left(), tick.position), QPointF(plot.right(), tick.position));
  }
  for (const Tick& tick : layout.timeTicks) {
    painter.drawLine(QPointF(tick.position, plot.top()), QPointF(tick.position, plot.bottom()));
  }

  // Axis labels.
  painter.setPen(pal.color(QPalette::WindowText));
  for (const Tick& tick : layout.altTicks) {
    // The lowest label sits on the axis rather than across it, clear of the time labels.
    const qreal boxTop = std::min(tick.position - metrics.height() / 2, plot.bottom() - metrics.height() * 0.8);
    const QRectF box(0, boxTop, plot.left() - pad * 0.75, metrics.height());
    painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, tick.label);
  }
  const qreal clockWidth = metrics.horizontalAdvance(QStringLiteral("00:00Z")) + pad;
  for (const Tick& tick : layout.timeTicks) {
    const QRectF box(tick.position - clockWidth / 2, plot.bottom() + pad * 0.5, clockWidth,
                     metrics.height());
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, tick.label);
  }

  // The profile: a light fill down to the axis under a solid line.
  QPolygonF line;
  line.reserve(static_cast<int>(points_.size()));
  for (const Sample& sample : points_) {
    line.append(QPointF(layout.xOf(sample.time), layout.yOf(sample.altitude)));
  }
  painter.save();
  painter.setClipRect(plot);
  QPainterPath area;
  area.moveTo(line.front().x(), plot.bottom());
  for (const QPointF& point : line) area.lineTo(point);
  area.lineTo(line.back().x(), plot.bottom());
  area.closeSubpath();
  QColor fill = lineColor();
  fill.setAlpha(45);
  painter.fillPath(area, fill);
  QPen linePen(lineColor(), 2);
  linePen.setJoinStyle(Qt::RoundJoin);
  linePen.setCapStyle(Qt::RoundCap);
  painter.setPen(linePen);
  painter.drawPolyline(line);
  painter.restore();

  painter.setPen(QPen(pal.color(QPalette::Mid), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(plot);

  // Event marks: a dashed line through the plot under the name, the touchdown rate in bold
  // beside it.
  QColor markColor = pal.color(QPalette::WindowText);
  markColor.setAlpha(150);
  QFont boldFont = font();
  boldFont.setBold(true);
  for (const EventMark& mark : layout.marks) {
    painter.setPen(QPen(markColor, 1, Qt::DashLine));
    painter.drawLine(QPointF(mark.x, mark.labelRect.bottom()), QPointF(mark.x, plot.bottom()));
    painter.setPen(pal.color(QPalette::WindowText));
    QRectF nameRect = mark.labelRect;
    if (!mark.detail.isEmpty()) {
      if (mark.detailRect.left() > nameRect.left()) nameRect.setRight(mark.detailRect.left());
      else nameRect.setLeft(mark.detailRect.right());
    }
    painter.drawText(nameRect, Qt::AlignCenter, mark.name);
    if (!mark.detail.isEmpty()) {
      painter.setFont(boldFont);
      painter.drawText(mark.detailRect, Qt::AlignCenter, mark.detail);
      painter.setFont(font());
    }
  }

  // The touchdown: a dot on the profile, ringed to stand off the line, and its rate on a
  // box of the plot's colour so that no line runs through it.
  if (layout.touchdown) {
    const TouchdownMark& td = *layout.touchdown;
    if (!td.textRect.isEmpty()) {
      painter.setPen(QPen(touchdownColor(), 1));
      painter.setBrush(pal.color(QPalette::Base));
      painter.drawRoundedRect(td.textRect, 3, 3);
      painter.setPen(pal.color(QPalette::WindowText));
      painter.setFont(boldFont);
      painter.drawText(td.textRect, Qt::AlignCenter, td.text);
      painter.setFont(font());
    }
    painter.setPen(QPen(pal.color(QPalette::Base), 1.5));
    painter.setBrush(touchdownColor());
    painter.drawEllipse(td.point, kTouchdownRadius, kTouchdownRadius);
  }
}

}  // namespace orvane
