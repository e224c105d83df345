// A whole flight through the real main window, driven as a pilot drives it: flight number,
// flight plan from the server, Start ACARS, the flight as the window shows it, the PIREP
// completed, viewed with the flight's landing line, sent and saved in the real PIREP dialog,
// and Quit.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <set>
#include <iostream>

#include "frontend/flighttimes.h"
#include "frontend/pirepdialog.h"
#include "frontend/desktopnotice.h"
#include "mainwindow_fixture.h"
#include "support/wire.h"
#include "util/util.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

// Keeps the longest time the window thread went without running its timers.
class EventGapWatch {
 public:
  EventGapWatch() {
    QObject::connect(&ticker_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
    clock_.start();
    ticker_.start(10);  // milliseconds
  }
  qint64 longestGapMs() const { return longest_; }

 private:
  QTimer ticker_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0;
};

class MainFlightTest : public MainWindowTest {
 protected:
  // The flight's queue as the engine holds it, seen after each pass.
  void snapshotQueue() {
    std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
    FlightState* f = ORVANE::currentFlight();
    if (f && f->acars() && f->acars()->messages().size() >= queue_.size())
      queue_ = f->acars()->messages();
  }
  // A queued text as the ACARS server receives it.
  static std::string asPosted(const std::string& q) {
    if (q.rfind("BEGINFLIGHT|", 0) == 0)
      return "DATA1=ORVANE_MSFS|2.0&DATA2=BEGINFLIGHT&DATA3=" + q.substr(12) + "&DATA4=";
    if (q.rfind("ENDFLIGHT|", 0) == 0)
      return "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=" + q.substr(10) + "&DATA4=";
    return test::on_the_wire(q);
  }
  // What the PIREP server receives for a report.
  static std::string pirepBody(const PIREPData& p) {
    return "DATA1=ORVANE_MSFS|2.0&DATA2=pilot~secret~" + p.Callsign + "~" + p.Aircraft + "~" +
           p.FL + "~" + p.Rules + "~" + p.From + "~" + p.To + "~" + p.Alt + "~" + p.OOut + "~" +
           p.BlockTime + "~" + p.FliteTime + "~" + p.BlockFuel + "~" + p.FliteFuel + "~" +
           p.Passengers + "~" + p.Cargo + "~" + p.Online + "~" + p.Out + "~" + p.Off + "~" +
           p.On + "~" + p.In + "~" + p.ZFW + "~" + p.TOW + "~" + p.LAW + "~" + p.OriginLat +
           "~" + p.OriginLong + "~" + p.OriginAlt + "~" + p.DestinLat + "~" + p.DestinLong +
           "~" + p.DestinAlt + "~" + p.MaxROC + "~" + p.MaxROD + "~" + p.MaxIAS + "~" +
           p.MaxGS + "~" + base64encode(p.Comment);
  }

  std::size_t flightPosts() const {
    std::size_t n = 0;
    for (const auto& r : airline_.requests_for(kAcars)) n += r.body.find("&DATA2=TEST&") == std::string::npos;
    return n;
  }

  std::vector<std::string> queue_;
};

TEST_F(MainFlightTest, AWholeFlightFromFlightNumberToQuit) {
  EventGapWatch gaps;
  PIREPData sent;
  std::string messageWhenStopping;
  std::string messageAtLastBox;
  boxes_.onShow = [&](const MessageBoxRequest& r) {
    if (r.text == loadString(608)) messageAtLastBox = message();
  };
  const std::string savedFile = dir_.file("my flight.ovp");
  std::vector<std::string> notices;
  const DesktopNoticeHandler previousNotice = setDesktopNoticeHandler(
      [&](const std::string& title, const std::string& text) { notices.push_back(title + ": " + text); });

  const INT_PTR result = runWindow([&] {
    EXPECT_EQ(message(), shown(600));
    shot("1-welcome");
    EXPECT_EQ(field(IDC_STATUS_SIM), "Simulator connected");
    EXPECT_FALSE(enabled(IDC_STARTACARS));
    EXPECT_FALSE(enabled(IDC_VIEWPIREP));

    // The flight number, typed in small letters, shows in capitals; the flight plan comes
    // from the airline.
    type(IDC_FLIGHTNO, "abc123");
    EXPECT_EQ(field(IDC_FLIGHTNO), "ABC123");
    click(IDC_GETFD);
    EXPECT_FALSE(enabled(IDC_GETFD));  // one request at a time
    settle();
    EXPECT_TRUE(enabled(IDC_GETFD));
    const auto info = airline_.requests_for(kInfo);
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].body,
              "DATA1=ORVANE_MSFS|2.0&DATA2=ABC123&DATA3=flightplan&DATA4=pilot&DATA5=secret");
    EXPECT_EQ(field(IDC_FLIGHTNO), "ABC123");
    EXPECT_EQ(field(IDC_DEPARTURE), "EDDF");
    EXPECT_EQ(field(IDC_DESTINATION), "EDFZ");
    EXPECT_EQ(field(IDC_ALTERNATE), "EDDF");
    EXPECT_EQ(field(IDC_ROUTE), "TABUM T150");
    EXPECT_EQ(field(IDC_PASSENGERS), "150");
    EXPECT_EQ(field(IDC_CARGO), "2000");
    EXPECT_EQ(field(IDC_AIRCRAFT), "A320");
    EXPECT_EQ(field(IDC_ALTITUDE), "8000");
    EXPECT_TRUE(IsDlgButtonChecked(w().GetHwnd(), IDC_IFR));
    EXPECT_TRUE(boxes_.shown.empty());

    // Complete data and a connected simulator: Start ACARS comes on at the next update.
    step();
    ASSERT_TRUE(enabled(IDC_STARTACARS));
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    const std::size_t beforeStart = airline_.count(kAcars);
    click(IDC_STARTACARS);
    EXPECT_EQ(message(), shown(603));
    EXPECT_EQ(field(IDC_STARTACARS), "Stop ACARS");
    EXPECT_FALSE(enabled(IDC_LOADPIREP));
    EXPECT_FALSE(enabled(IDC_VIEWPIREP));
    EXPECT_FALSE(enabled(IDC_NEWFLIGHT));
    settle();
    ASSERT_TRUE(airline_.wait_for_count(kAcars, beforeStart + 1, 5000));
    ASSERT_TRUE(waitFor([] {
      std::lock_guard<std::mutex> c(ORVANE::CYCLE_MUTEX);
      FlightState* f = ORVANE::currentFlight();
      return f && f->acars() && f->acars()->ACARS_Ready();
    }));

    // The flight, pass by pass. The block times come one per update, in their order.
    const UINT timeIds[] = {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN};
    std::vector<UINT> timesSeen;
    std::vector<std::string> blockTimes;
    bool fieldsShown = false;
    bool tookMidFlight = false;
    for (int i = 0; i < 400 && !w().isPIREPAvailable(); ++i) {
      std::vector<std::string> before;
      for (UINT id : timeIds) before.push_back(field(id));
      step();
      if (HasFatalFailure()) return;
      snapshotQueue();
      // The send thread posts in real time; it catches up before the next pass, as it does
      // between two passes five seconds apart.
      waitFor([&] { return flightPosts() >= queue_.size(); }, 2000);
      for (int k = 0; k < 4; ++k) {
        if (before[k].empty() && !field(timeIds[k]).empty()) timesSeen.push_back(timeIds[k]);
      }
      if (w().isACARSInProgress() && ORVANE::getState() == FlightState::CRUISING) {
        fieldsShown = field(IDC_BLOCKTIME) == s2hmin(ORVANE::getCurrentBlockTime()) &&
                      field(IDC_FLIGHTTIME) == s2hmin(ORVANE::getCurrentFlightTime()) &&
                      field(IDC_BLOCKFUEL) == std::to_string(ORVANE::getCurrentBlockFuel()) &&
                      field(IDC_FLIGHTFUEL) == std::to_string(ORVANE::getCurrentFlightFuel()) &&
                      ORVANE::getCurrentBlockTime() > 0;
        EXPECT_EQ(field(IDC_STATUS_PHASE), "CRUISING");
        EXPECT_EQ(w().GetHwnd()->windowTitle().toStdString(), "ABC123 \u00B7 CRUISING \u2014 ORVANE");
        if (!tookMidFlight) shot("2-midflight");
        tookMidFlight = true;
      }
    }
    ASSERT_TRUE(w().isPIREPAvailable());
    EXPECT_TRUE(fieldsShown);
    // The pilot is told, away from the window too, that the PIREP waits.
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "ORVANE: The PIREP of ABC123 is ready to send.");
    EXPECT_EQ(field(IDC_STATUS_PHASE), "PIREP ready to send");
    EXPECT_EQ(w().GetHwnd()->windowTitle().toStdString(),
              "ABC123 \u00B7 PIREP ready to send \u2014 ORVANE");
    EXPECT_EQ(timesSeen, (std::vector<UINT>{IDC_OUT, IDC_OFF, IDC_ON, IDC_IN}));

    // The PIREP as the window shows it.
    const PIREPData& pd = w().pirep();
    EXPECT_EQ(message(), shown(601));
    EXPECT_EQ(field(IDC_OUT), tm2hminU(std::stol(pd.Out)));
    EXPECT_EQ(field(IDC_OFF), tm2hminU(std::stol(pd.Off)));
    EXPECT_EQ(field(IDC_ON), tm2hminU(std::stol(pd.On)));
    EXPECT_EQ(field(IDC_IN), tm2hminU(std::stol(pd.In)));
    EXPECT_EQ(field(IDC_BLOCKTIME), pd.BlockTime);
    EXPECT_EQ(field(IDC_FLIGHTTIME), pd.FliteTime);
    EXPECT_EQ(field(IDC_PIREP_FL), pd.FL);
    EXPECT_EQ(field(IDC_BLOCKFUEL), pd.BlockFuel);
    EXPECT_EQ(field(IDC_FLIGHTFUEL), pd.FliteFuel);
    EXPECT_EQ(pd.Callsign, "ABC123");
    EXPECT_EQ(pd.Route, "TABUM T150");
    EXPECT_FALSE(enabled(IDC_STARTACARS));
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    EXPECT_TRUE(enabled(IDC_VIEWPIREP));
    EXPECT_TRUE(enabled(IDC_NEWFLIGHT));

    click(IDC_OTHER);
    type(IDC_OTHERNET, "IVAO");
    type(IDC_COMMENT, "Smooth ride, gate B4.");
    shot("3-pirep");

    // Network and comment done; View PIREP: Send, Save, Back in the real PIREP dialog.
    files_.pick(savedFile);
    bool drove = false;
    bool landingShown = false;
    std::string landing;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      auto* d = dynamic_cast<CPIREPDialog*>(CWnd::FromHandle(QApplication::activeModalWidget()));
      if (d == nullptr || drove) return;
      drove = true;
      if (auto* line = qobject_cast<QLabel*>(d->GetDlgItem(229))) {
        landingShown = line->isVisible();
        landing = line->text().toStdString();
      }
      QTest::mouseClick(d->GetDlgItem(407), Qt::LeftButton);  // Send
      ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
      QTest::mouseClick(d->GetDlgItem(405), Qt::LeftButton);  // Save
      QTest::mouseClick(d->GetDlgItem(2), Qt::LeftButton);    // Back
    });
    driver.start(10);
    click(IDC_VIEWPIREP);
    // The dialog opens once a flight exists to carry the PIREP.
    ASSERT_TRUE(waitFor([&] {
      settle();
      return drove && QApplication::activeModalWidget() == w().GetHwnd();
    }));
    driver.stop();
    // The landing line is this flight's touchdown: the rate the report sends, its G and
    // bounces.
    const Touchdown touchdown = ORVANE::getTouchdown();
    ASSERT_TRUE(touchdown.recorded);
    EXPECT_TRUE(landingShown);
    EXPECT_EQ(landing.rfind("Landing: -" + pd.VSLand + " fpm, ", 0), 0u) << landing;
    EXPECT_EQ(landing, CPIREPDialog::landingText(touchdown));
    EXPECT_TRUE(w().isPIREPSaved());
    sent = w().pirep();
    EXPECT_EQ(sent.Online, "IVAO");
    EXPECT_EQ(sent.Comment, "Smooth ride, gate B4.");
    settle();
    EXPECT_EQ(field(IDC_STATUS_PHASE), "PIREP sent");

    // F1: the About box names the version, the licence and where the files are.
    const std::size_t beforeHelp = boxes_.shown.size();
    QTest::keyClick(w().GetHwnd(), Qt::Key_F1);
    ASSERT_EQ(boxes_.shown.size(), beforeHelp + 1);
    const MessageBoxRequest about = boxes_.shown.back();
    boxes_.shown.pop_back();
    EXPECT_EQ(about.caption, "About ORVANE");
    EXPECT_EQ(about.text.rfind(ORVANE::getVersion() + "\n", 0), 0u) << about.text;
    EXPECT_NE(about.text.find("Licence: MIT"), std::string::npos);
    EXPECT_NE(about.text.find("Settings: " + std::filesystem::current_path().string() +
                              "/orvane.ini"),
              std::string::npos)
        << about.text;

    // Quit: the question, the stopping texts and the goodbye.
    boxes_.answer(IDYES);
    click(1);
    messageWhenStopping = message();
    ASSERT_TRUE(waitFor([&] {
      if (w().GetHwnd() != nullptr && w().worker() != nullptr &&
          w().worker()->waitState().where == EngineWorker::Waiting::Preparing)
        clock_.advance(1);
      return w().GetHwnd() == nullptr;
    }));
  });
  EXPECT_EQ(result, IDOK);
  setDesktopNoticeHandler(previousNotice);

  // The boxes, in order: 604 after Send, then 609 and 608 at Quit.
  ASSERT_EQ(boxes_.shown.size(), 3u);
  EXPECT_EQ(boxes_.shown[0].text, loadString(604) + "\r\n[PIREP accepted]\r\n\r\n");
  EXPECT_EQ(boxes_.shown[0].caption, loadString(804));
  EXPECT_EQ(boxes_.shown[1].text, loadString(609));
  EXPECT_EQ(boxes_.shown[1].caption, loadString(806));
  EXPECT_EQ(boxes_.shown[1].style, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(boxes_.shown[2].text, loadString(608));
  EXPECT_EQ(boxes_.shown[2].caption, loadString(805));
  EXPECT_EQ(boxes_.shown[2].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(messageWhenStopping, shown(606));
  EXPECT_EQ(messageAtLastBox, shown(607));

  // The flight's messages as the message area showed them. Each update shows the message
  // the send thread transmitted last, so which ones are seen depends on the server's pace;
  // the window shows each at most once and only texts the flight queued.
  std::vector<std::string> acarsShown;
  for (const std::string& m : shownMessages_)
    if (m.rfind("ACARS Mode: 2 ", 0) == 0) acarsShown.push_back(m);
  for (const char* label : {"Msg Label: QA ", "Msg Label: QB ", "Msg Label: QC "}) {
    EXPECT_LE(std::count_if(acarsShown.begin(), acarsShown.end(),
                            [&](const std::string& m) { return m.find(label) != std::string::npos; }),
              1)
        << label;
  }
  EXPECT_GE(acarsShown.size(), 8u);
  EXPECT_EQ(std::set<std::string>(acarsShown.begin(), acarsShown.end()).size(), acarsShown.size());
  for (const std::string& m : acarsShown) {
    std::string crlf = m;
    for (std::size_t p = 0; (p = crlf.find('\n', p)) != std::string::npos; p += 2) crlf.insert(p, "\r");
    EXPECT_TRUE(std::any_of(queue_.begin(), queue_.end(), [&](const std::string& q) {
      return q.find(m) != std::string::npos || q.find(crlf) != std::string::npos;
    })) << m;
  }

  // The server has every message of the flight, in order, byte for byte; and the PIREP.
  std::vector<std::string> flight;
  for (const auto& r : airline_.requests_for(kAcars))
    if (r.body.find("&DATA2=TEST&") == std::string::npos) flight.push_back(r.body);
  ASSERT_GE(queue_.size(), 10u);
  ASSERT_TRUE(flight.size() == queue_.size() ||
              (flight.size() == queue_.size() + 1 &&
               flight.back().find("&DATA2=ENDFLIGHT&") != std::string::npos))
      << flight.size() << " " << queue_.size();
  for (std::size_t i = 0; i < queue_.size(); ++i) EXPECT_EQ(flight[i], asPosted(queue_[i])) << i;
  EXPECT_EQ(flight.back(), "DATA1=ORVANE_MSFS|2.0&DATA2=ENDFLIGHT&DATA3=4711&DATA4=");
  const auto pireps = airline_.requests_for(kPirep);
  ASSERT_EQ(pireps.size(), 1u);
  EXPECT_EQ(pireps[0].body, pirepBody(sent));
  PIREPData fromFile;
  fromFile.unpack_crypt(test::read_file(savedFile));
  EXPECT_EQ(fromFile, sent);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("lastpirep.ovp")));

  std::cout << "[ figures  ] longest gap between window events: " << gaps.longestGapMs()
            << " ms\n";
  RecordProperty("longest_event_gap_ms", static_cast<int>(gaps.longestGapMs()));
}

}  // namespace
}  // namespace orvane
