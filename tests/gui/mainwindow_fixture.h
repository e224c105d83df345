// Main window test set-up: the real CMyDialog in a temporary working folder, the simulator
// stand-in over the real link, the airline server on 127.0.0.1 and a manual clock that the
// test moves one worker pass at a time.
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/orvane_base.h"
#include "flightmodel/scenario.h"
#include "framework/dialoghelpers.h"
#include "framework/stringtable.h"
#include "frontend/maindialog.h"
#include "frontend/windowprefs.h"
#include "gui_support.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "support/flight_world.h"
#include "tracking/flightstate.h"

namespace orvane::test {

// The main window with the message area's history, reachable for the tests.
class MainWindow : public CMyDialog {
 public:
  using CMyDialog::SetMessage;
};

class MainWindowTest : public FlightWorldTest {
 protected:
  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);  // the window's geometry stays out of ~/.config
    FlightWorldTest::SetUp();
    if (HasFatalFailure()) return;
    // The window's preferences (geometry, weight unit, ...) of this test alone.
    WindowPrefs::setStore(QString::fromStdString(prefsDir_.file("window-prefs.ini")));
    airline_.set_default(kInfo, airline::Reply{200, "1|flightplan\nEDDF\nEDFZ\nEDDF\nTABUM T150\n"
                                                    "150\n2000\nIFR\nA320\n8000"});
    writeSettings(true);
    play(model::default_scenario_text());
  }
  void TearDown() override {
    window_.reset();  // stops the worker if the window did not end by itself
    airline_.stop();
    WindowPrefs::setStore({});
    FlightWorldTest::TearDown();
  }

  // The stand-in plays this scenario; flight time 0 is now.
  void play(const std::string& scenario) {
    FlightWorldTest::play(scenario);
    flightMs_ = 0;
  }

  // Runs the window; script drives it from inside its modal loop once it is up and its
  // engine prepared. Returns the dialog's result.
  INT_PTR runWindow(const std::function<void()>& script) {
    window_ = std::make_unique<MainWindow>();
    escapedAt_.reset();
    const INT_PTR result = runModal(*window_, [this, script] {
      watchMessageArea();
      settle();
      EXPECT_TRUE(window_->isORVANEInitialized());
      script();
    });
    takeQuitBoxes();
    return result;
  }
  MainWindow& w() { return *window_; }

  // With ORVANE_SHOTS set to a folder (a run under Xvfb on the xcb platform), a picture of
  // the screen goes there under this name; otherwise nothing happens.
  void shot(const std::string& name) {
    const char* folder = std::getenv("ORVANE_SHOTS");
    if (folder == nullptr || *folder == '\0') return;
    w().GetHwnd()->raise();
    QTest::qWait(300);  // milliseconds: the window paints
    const std::string command =
        std::string("import -window root '") + folder + "/" + name + ".png'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Keeps every text the message area (299) shows, in order.
  void watchMessageArea() {
    auto* area = qobject_cast<QTextEdit*>(w().GetDlgItem(IDC_MESSAGE));
    ASSERT_NE(area, nullptr);
    shownMessages_.clear();
    shownMessages_.push_back(area->toPlainText().toStdString());
    QObject::connect(area, &QTextEdit::textChanged, area, [this, area] {
      const std::string now = area->toPlainText().toStdString();
      if (shownMessages_.empty() || shownMessages_.back() != now) shownMessages_.push_back(now);
    });
  }
  // A string-table text as the message area shows it (plain text, line feeds).
  static std::string shown(UINT id) {
    std::string s = loadString(id);
    for (std::size_t p; (p = s.find("\r\n")) != std::string::npos;) s.erase(p, 1);
    return s;
  }
  std::string message() const {
    return qobject_cast<QTextEdit*>(window_->GetDlgItem(IDC_MESSAGE))->toPlainText().toStdString();
  }

  // Waits (real time, bounded) until the window is idle: no engine job or request under way
  // and the worker waiting between passes. A prepare waiting for the connection test gets
  // its clock seconds meanwhile.
  void settle() {
    QElapsedTimer t;
    t.start();
    for (;;) {
      const EngineWorker* worker = w().worker();
      ASSERT_NE(worker, nullptr);
      const EngineWorker::WaitState s = worker->waitState();
      if (!w().isBusy() && s.where == EngineWorker::Waiting::BetweenPasses) return;
      if (s.where == EngineWorker::Waiting::Preparing) clock_.advance_ms(s.ms);
      ASSERT_LT(t.elapsed(), 20000) << "the window never became idle: busy " << w().isBusy()
                                    << " waiting " << static_cast<int>(s.where) << " boxes "
                                    << boxes_.shown.size() << " at " << flightTime() << " s";
      QTest::qWait(2);
    }
  }

  // One pass of the worker: the simulator moves to the time of the pass, the clock moves by
  // the worker's interval, and the window handles the pass's report.
  void step() {
    settle();
    const long handled = w().reportsHandled();
    const std::int64_t ms = w().worker()->waitState().ms;
    flightMs_ += ms;
    player_->apply(static_cast<double>(flightMs_) / 1000.0);
    clock_.advance_ms(ms);
    ASSERT_TRUE(waitFor([&] { return w().reportsHandled() > handled; }))
        << "no report from the worker";
    settle();
  }
  // Steps until pred holds; false if it does not within max_steps.
  bool stepUntil(const std::function<bool()>& pred, int max_steps = 400) {
    for (int i = 0; i < max_steps; ++i) {
      if (pred()) return true;
      step();
      if (::testing::Test::HasFatalFailure()) return false;
    }
    return pred();
  }
  double flightTime() const { return static_cast<double>(flightMs_) / 1000.0; }

  void click(UINT id) {
    QAbstractButton* b = qobject_cast<QAbstractButton*>(w().GetDlgItem(id));
    ASSERT_NE(b, nullptr) << id;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void type(UINT id, const std::string& text) {
    QWidget* field = w().GetDlgItem(id);
    ASSERT_NE(field, nullptr) << id;
    field->setFocus();
    QTest::keyClicks(field, QString::fromStdString(text));
  }
  std::string field(UINT id) const { return getItemString(window_->GetHwnd(), id); }
  // Escape on the window takes Quit's path: with a flight tracked or a PIREP unsent the
  // question (answered Yes here), then the farewell box; it returns once the window ended. runWindow checks those boxes
  // once the window has ended and takes them out of boxes_.shown, so that a test's own
  // count is of the flight's boxes.
  void escape() {
    quitAsked_ = w().isACARSInProgress() || w().isPIREPAvailable();
    if (quitAsked_) boxes_.answerFirst(IDYES);
    escapedAt_ = boxes_.shown.size();
    QTest::keyClick(w().GetHwnd(), Qt::Key_Escape);
    // Quit ends the engine on the worker, which may first finish a preparation that waits
    // on the test's clock.
    QElapsedTimer t;
    t.start();
    while (w().GetHwnd() != nullptr && t.elapsed() < 20000) {
      if (const EngineWorker* worker = w().worker()) {
        const EngineWorker::WaitState s = worker->waitState();
        if (s.where == EngineWorker::Waiting::Preparing) clock_.advance_ms(s.ms);
      }
      QTest::qWait(2);
    }
  }
  void takeQuitBoxes() {
    if (!escapedAt_) return;
    auto& shown = boxes_.shown;
    auto is = [](const MessageBoxRequest& b, UINT text, UINT caption) {
      return b.text == loadString(text) && b.caption == loadString(caption);
    };
    const auto from = shown.begin() + static_cast<std::ptrdiff_t>(*escapedAt_);
    if (quitAsked_) {
      ASSERT_LT(*escapedAt_, shown.size()) << "Escape asked nothing with a flight or a PIREP";
      EXPECT_TRUE(is(*from, 609, 806)) << from->text;
      shown.erase(from);
    }
    const auto farewell = std::find_if(shown.begin() + static_cast<std::ptrdiff_t>(*escapedAt_),
                                       shown.end(), [&](const auto& b) { return is(b, 608, 805); });
    ASSERT_NE(farewell, shown.end()) << "Escape showed no farewell box";
    shown.erase(farewell);
  }
  bool enabled(UINT id) const { return window_->GetDlgItem(id)->isEnabled(); }

  // Types the flight data a pilot types when the airline has no flight plan to download.
  void typeFlightData() {
    type(IDC_FLIGHTNO, "abc123");
    type(IDC_DEPARTURE, "eddf");
    type(IDC_DESTINATION, "edfz");
    type(IDC_ALTERNATE, "eddf");
    type(IDC_ROUTE, "TABUM T150");
    type(IDC_PASSENGERS, "150");
    type(IDC_CARGO, "2000");
    type(IDC_AIRCRAFT, "a320");
    type(IDC_ALTITUDE, "8000");
  }
  // From the gate: flight data typed, Start ACARS pressed, the server has the
  // begin-of-flight record.
  void startTracking() {
    typeFlightData();
    step();
    ASSERT_TRUE(enabled(IDC_STARTACARS));
    const std::size_t before = airline_.count(kAcars);
    click(IDC_STARTACARS);
    settle();
    ASSERT_TRUE(w().isACARSInProgress());
    ASSERT_TRUE(airline_.wait_for_count(kAcars, before + 1, 5000));
    // The answer (the flight's data id) reaches the flight before it moves.
    ASSERT_TRUE(waitFor([] {
      std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
      FlightState* f = ORVANE::currentFlight();
      return f && f->acars() && f->acars()->ACARS_Ready();
    }));
  }
  // The message boxes shown with this string-table text.
  std::size_t boxes(UINT textId) const {
    std::size_t n = 0;
    for (const auto& b : boxes_.shown) n += b.text == loadString(textId);
    return n;
  }

  TempDir prefsDir_;  // the window's preferences, beside the working folder
  MessageBoxScript boxes_;
  FileDialogScript files_;
  std::optional<std::size_t> escapedAt_;
  bool quitAsked_ = false;
  std::unique_ptr<MainWindow> window_;
  std::int64_t flightMs_ = 0;
  std::vector<std::string> shownMessages_;
};

}  // namespace orvane::test
