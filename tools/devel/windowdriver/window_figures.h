// orvane-windowdriver's figures: process clocks, memory and CPU, first paint, event gaps.
// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

namespace orvane::windowdriver {

// Seconds since this process was started (exec), from the kernel's start time.
double secondsSinceProcessStart();
// A "Key:" value of /proc/self/status in KiB, -1 when missing (on Windows only "VmHWM:",
// the peak working set).
long statusKiB(const char* key);
double processCpuSeconds();

// Catches the first paint of a top-level window.
class FirstPaint : public QObject {
 public:
  double atSeconds = -1.0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (atSeconds < 0 && event->type() == QEvent::Paint) {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w != nullptr && w->isWindow()) atSeconds = secondsSinceProcessStart();
    }
    return false;
  }
};

// Notes each event the window thread hands out, so that a long gap between two heartbeats
// can be laid at the door of the handler that ran during it.
class EventTrace : public QObject {
 public:
  struct Entry {
    double ms;            // when the event was handed out, driver clock milliseconds
    const char* cls;      // the receiver's class name (static text)
    QString name;         // its object name
    int type;
  };
  explicit EventTrace(const QElapsedTimer& clock) : clock_(clock) { entries_.reserve(4096); }
  void restart() { entries_.clear(); }
  // The longest stretch in [from, to] milliseconds without an event: how long it was and
  // what was handed out at its start ("-" when it began before the first event).
  std::pair<double, std::string> longestStretch(double from, double to) const {
    double best = 0.0;
    std::string cause = "-";
    double at = from;
    std::string what = "-";
    for (const Entry& e : entries_) {
      if (e.ms - at > best) {
        best = e.ms - at;
        cause = what;
      }
      at = e.ms;
      what = describe(e);
    }
    if (to - at > best) {
      best = to - at;
      cause = what;
    }
    return {best, cause};
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (entries_.size() < entries_.capacity()) {
      entries_.push_back({clock_.nsecsElapsed() / 1e6, watched->metaObject()->className(),
                          watched->objectName(), static_cast<int>(event->type())});
    }
    return false;
  }

 private:
  static std::string describe(const Entry& e) {
    std::string name = e.cls;
    if (!e.name.isEmpty()) name += "/" + e.name.toStdString();
    return name + " event " + std::to_string(e.type);
  }

  const QElapsedTimer& clock_;
  std::vector<Entry> entries_;
};

}  // namespace orvane::windowdriver
