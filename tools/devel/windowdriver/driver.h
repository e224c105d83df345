// orvane-windowdriver's driver: flies one flight in the main window, stage by stage, clicking
// as a pilot would, taking the screenshots and measuring the window's event gaps.
// SPDX-License-Identifier: MIT
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "driver_options.h"
#include "framework/dialoghelpers.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "framework/wincore.h"
#include "frontend/maindialog.h"
#include "frontend/pirepdialog.h"
#include "window_figures.h"

namespace orvane::windowdriver {

constexpr UINT kPirepSend = 407;   // the review dialog's Send button
constexpr UINT kPirepSave = 405;   // its Save button
constexpr UINT kPirepClose = 2;    // its Close button (IDCANCEL)
constexpr UINT kMainExit = 1;      // the main window's Exit button (IDOK)
constexpr int kStepMs = 100;       // how often the driver looks at the window
constexpr int kHeartbeatMs = 10;   // the figures' heartbeat on the window thread

inline void say(const std::string& line) {
  std::printf("windowdriver: %s\n", line.c_str());
  std::fflush(stdout);
}

class Driver {
 public:
  Driver(Options options, CMyDialog& window) : o_(std::move(options)), window_(window) {}

  void start() {
    SetMessageBoxHandler([this](const MessageBoxRequest& r) { return answerBox(r); });
    SetFileDialogHandler([this](const FileDialogRequest& r) -> std::optional<std::string> {
      const std::string path = QDir(QString::fromStdString(o_.out))
                                   .absoluteFilePath(QString::fromStdString(r.proposedName))
                                   .toStdString();
      say("file dialog: saving as " + path);
      savedPath_ = path;
      return path;
    });
    clock_.start();
    QObject::connect(&step_, &QTimer::timeout, [this] { step(); });
    step_.start(kStepMs);
    if (o_.figures && o_.idleS == 0) {
      qApp->installEventFilter(&trace_);
      heartbeat_.setTimerType(Qt::PreciseTimer);
      QObject::connect(&heartbeat_, &QTimer::timeout, [this] { beat(); });
      heartbeat_.start(kHeartbeatMs);
    }
  }

  int exitCode() const { return failed_ ? 1 : 0; }
  const std::vector<std::string>& screenshots() const { return shots_; }
  const std::string& savedPath() const { return savedPath_; }
  double longestGapMs() const { return longestGapMs_; }
  const std::string& longestGapStage() const { return longestGapStage_; }
  const std::string& longestGapCause() const { return longestGapCause_; }
  double idleCpuSeconds() const { return idleCpu_; }

 private:
  QWidget* main() const { return window_.GetHwnd(); }
  QWidget* item(UINT id) const { return main() ? FindDlgItem(main(), id) : nullptr; }
  std::string text(UINT id) const { return main() ? getItemString(main(), id) : std::string(); }

  int answerBox(const MessageBoxRequest& r) {
    std::string flat = r.text;
    for (char& c : flat) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    say("box \"" + r.caption + "\": " + flat);
    boxes_.push_back(r);
    if ((r.style & MB_ICONERROR) != 0) fail("an error box came up");
    if ((r.style & 0x0F) == MB_YESNO) return IDYES;
    return IDOK;
  }

  void fail(const std::string& why) {
    if (!failed_) say("FAILED at " + stage_ + ": " + why);
    failed_ = true;
  }

  void beat() {
    const double now = clock_.nsecsElapsed() / 1e6;
    if (lastBeat_ >= 0 && !grabbing_) {
      const double gap = now - lastBeat_;
      if (gap > longestGapMs_) {
        longestGapMs_ = gap;
        longestGapStage_ = stage_;
        const auto [stretch, cause] = trace_.longestStretch(lastBeat_, now);
        char text[64];
        std::snprintf(text, sizeof text, "%.1f ms after ", stretch);
        longestGapCause_ = text + cause;
      }
    }
    lastBeat_ = now;
    trace_.restart();
  }

  void shoot(QWidget* w, const std::string& name) {
    grabbing_ = true;
    QTest::qWait(300);  // let the last changes be painted
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const QPixmap shot = screen->grabWindow(w->winId());
    const std::string path =
        QDir(QString::fromStdString(o_.out)).absoluteFilePath(QString::fromStdString(name)).toStdString();
    if (shot.isNull() || !shot.save(QString::fromStdString(path))) {
      fail("cannot save the screenshot " + path);
    } else {
      shots_.push_back(path);
      say("screenshot " + path);
    }
    lastBeat_ = clock_.nsecsElapsed() / 1e6;  // the grab is the driver's work, not the window's
    grabbing_ = false;
  }

  void click(UINT id) {
    auto* button = qobject_cast<QAbstractButton*>(item(id));
    if (button == nullptr) {
      fail("no button " + std::to_string(id));
      return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
  }

  void type(UINT id, const std::string& t) {
    QWidget* field = item(id);
    if (field == nullptr) {
      fail("no field " + std::to_string(id));
      return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->clear();
    field->setFocus();
    QTest::keyClicks(field, QString::fromStdString(t));
  }

  void go(const std::string& stage) {
    stage_ = stage;
    stageClock_.start();
    say(stage);
  }

  void finish() {
    step_.stop();
    heartbeat_.stop();
    go("closing the window");
    click(kMainExit);
  }

  void step() {
    if (main() == nullptr || stepping_) return;
    // A step may open a modal dialog (the review) whose loop runs further steps.
    stepping_ = true;
    stepOnce();
    stepping_ = false;
  }

  void stepOnce() {
    if (failed_ || clock_.elapsed() > static_cast<qint64>(o_.timeoutS) * 1000) {
      if (!failed_) fail("no progress within " + std::to_string(o_.timeoutS) + " s");
      step_.stop();
      heartbeat_.stop();
      if (auto* review = qobject_cast<QWidget*>(QApplication::activeModalWidget());
          review != nullptr && review != main()) {
        review->close();
      }
      window_.EndDialog(2);
      return;
    }
    if (stage_.empty()) {
      if (!main()->isVisible() || window_.isBusy()) return;
      go("welcome");
      shoot(main(), "orvane-1-welcome.png");
      if (o_.idleS > 0) {
        go("idle");
        return;
      }
      go("typing the flight number and getting the flight data");
      type(IDC_FLIGHTNO, o_.flight);
      click(IDC_GETFD);
      return;
    }
    if (stage_ == "idle") {
      // Settle first: the connection test and the first cycles are not idle time.
      if (idleStart_ < 0 && stageClock_.elapsed() >= 5000 && !window_.isBusy()) {
        idleStart_ = processCpuSeconds();
        idleWall_.start();
        say("measuring idle CPU for " + std::to_string(o_.idleS) + " s");
        // The driver keeps still meanwhile: its own polling would count as the window's.
        step_.stop();
        QTimer::singleShot(o_.idleS * 1000, Qt::PreciseTimer, [this] {
          idleCpu_ = processCpuSeconds() - idleStart_;
          idleWallS_ = idleWall_.elapsed() / 1000.0;
          std::printf("figure idle_wall_s=%.1f\nfigure idle_cpu_s=%.4f\nfigure idle_cpu_percent=%.4f\n",
                      idleWallS_, idleCpu_, idleCpu_ / idleWallS_ * 100.0);
          finish();
        });
      }
      return;
    }
    if (stage_ == "typing the flight number and getting the flight data") {
      if (text(IDC_DEPARTURE).empty() || window_.isBusy()) return;
      go("flight data filled: " + text(IDC_DEPARTURE) + " to " + text(IDC_DESTINATION) + ", " +
         text(IDC_AIRCRAFT));
      shoot(main(), "orvane-2-flightdata.png");
      go("waiting for Start ACARS");
      return;
    }
    if (stage_ == "waiting for Start ACARS") {
      if (item(IDC_STARTACARS) == nullptr || !item(IDC_STARTACARS)->isEnabled() || window_.isBusy())
        return;
      go("clicking Start ACARS");
      click(IDC_STARTACARS);
      return;
    }
    if (stage_ == "clicking Start ACARS") {
      if (!window_.isACARSInProgress() || window_.isBusy()) return;
      if (!o_.goFile.empty()) std::ofstream(o_.goFile) << "tracking started\n";
      go("tracking: waiting for take-off");
      return;
    }
    if (stage_ == "tracking: waiting for take-off") {
      if (text(IDC_OFF).empty()) {
        if (window_.isPIREPAvailable()) go("in the air");  // a flight faster than the steps
        return;
      }
      go("in the air");
      return;
    }
    if (stage_ == "in the air") {
      if (stageClock_.elapsed() < o_.midFlightDelayS * 1000LL && !window_.isPIREPAvailable()) return;
      shoot(main(), "orvane-3-midflight.png");
      go("tracking: waiting for the PIREP");
      return;
    }
    if (stage_ == "tracking: waiting for the PIREP") {
      if (!window_.isPIREPAvailable() || item(IDC_VIEWPIREP) == nullptr ||
          !item(IDC_VIEWPIREP)->isEnabled())
        return;
      // The field gives its lines joined by "\r\n"; compare the words alone.
      const auto words = [](std::string t) {
        std::erase_if(t, [](char c) { return c == '\r' || c == '\n' || c == ' '; });
        return t;
      };
      if (words(text(IDC_MESSAGE)) != words(loadString(601))) fail("the PIREP text is not shown");
      go("PIREP shown: block time " + text(IDC_BLOCKTIME) + ", flight time " +
         text(IDC_FLIGHTTIME) + ", fuel " + text(IDC_BLOCKFUEL));
      longestFlightGapMs_ = longestGapMs_;
      longestFlightGapCause_ = longestGapCause_;
      shoot(main(), "orvane-4-pirep.png");
      type(IDC_COMMENT, o_.comment);
      if (o_.network == "OFFLINE") {
        click(IDC_OFFLINE);
      } else if (o_.network == "VATSIM") {
        click(IDC_VATSIM);
      } else {
        click(IDC_OTHER);
        type(IDC_OTHERNET, o_.network);
      }
      go("opening View PIREP");
      // The review dialog runs modally inside the click, which opens it at once: the click
      // comes from a timer of its own, so that this step ends and the steps go on in the
      // dialog's loop.
      stepping_ = false;
      QTimer::singleShot(0, main(), [this] { click(IDC_VIEWPIREP); });
      return;
    }
    if (stage_ == "opening View PIREP") {
      review_ = qobject_cast<QWidget*>(QApplication::activeModalWidget());
      if (review_ == nullptr || review_ == main() || !review_->isVisible()) return;
      go("review dialog open");
      shoot(review_, "orvane-5-review.png");
      boxesBeforeSend_ = boxes_.size();
      go("sending the PIREP");
      clickIn(review_, kPirepSend);
      return;
    }
    if (stage_ == "sending the PIREP") {
      if (boxes_.size() == boxesBeforeSend_) return;  // the send's answer comes as a box
      go("saving the PIREP");
      clickIn(review_, kPirepSave);
      return;
    }
    if (stage_ == "saving the PIREP") {
      if (savedPath_.empty()) return;
      go("closing the review");
      clickIn(review_, kPirepClose);
      return;
    }
    if (stage_ == "closing the review") {
      if (QApplication::activeModalWidget() == review_ && review_ != nullptr) return;
      if (!window_.isPIREPSaved()) fail("the main window does not know the PIREP was saved");
      finish();
    }
  }

  void clickIn(QWidget* dialog, UINT id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog ? FindDlgItem(dialog, id) : nullptr);
    if (button == nullptr) {
      fail("no button " + std::to_string(id) + " in the review dialog");
      return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
  }

  Options o_;
  CMyDialog& window_;
  QTimer step_;
  QTimer heartbeat_;
  QElapsedTimer clock_;
  QElapsedTimer stageClock_;
  QElapsedTimer idleWall_;
  std::string stage_;
  bool stepping_ = false;
  bool failed_ = false;
  bool grabbing_ = false;
  QWidget* review_ = nullptr;
  std::vector<MessageBoxRequest> boxes_;
  std::size_t boxesBeforeSend_ = 0;
  std::vector<std::string> shots_;
  std::string savedPath_;
  double lastBeat_ = -1.0;
  double longestGapMs_ = 0.0;
  std::string longestGapStage_;
  std::string longestGapCause_;
  EventTrace trace_{clock_};
  double idleStart_ = -1.0;
  double idleCpu_ = 0.0;
  double idleWallS_ = 0.0;

 public:
  double longestFlightGapMs_ = 0.0;  // up to the PIREP, before the review dialog
  std::string longestFlightGapCause_;
};

}  // namespace orvane::windowdriver
