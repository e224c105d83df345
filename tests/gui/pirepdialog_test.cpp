// CPIREPDialog: the report field, Send against a loopback airline server (success, refusal,
// twice, silence, no flight), Save through the file handler, Back, and the flight's profile.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "net/http_transfer.h"
#include "airline/airline_server.h"
#include "framework/dialoghelpers.h"
#include "frontend/pirepdialog.h"
#include "frontend/profilechart.h"
#include "gui_support.h"
#include "pirep/pirep_samples.h"
#include "support/live_engine_fixture.h"
#include "util/pilot_folders.h"

namespace orvane {
namespace {

using airline::Reply;
using test::FileDialogScript;
using test::MessageBoxScript;
using test::read_file;
using test::runModal;
using test::waitFor;

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// Counts the window's paint events and keeps the longest gap between two of them.
class PaintWatch : public QObject {
 public:
  explicit PaintWatch(QWidget* w) : window_(w) {
    w->installEventFilter(this);
    connect(&ticker_, &QTimer::timeout, w, [w] { w->update(); });
    ticker_.start(20);  // milliseconds: asks for a paint 50 times a second
    clock_.start();
  }
  qint64 longestGapMs() const { return longest_; }
  int paints() const { return paints_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == window_ && e->type() == QEvent::Paint) {
      const qint64 now = clock_.elapsed();
      if (paints_ > 0) longest_ = std::max(longest_, now - last_);
      last_ = now;
      ++paints_;
    }
    return false;
  }

 private:
  QWidget* window_;
  QTimer ticker_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0;
  int paints_ = 0;
};

class PIREPDialogTest : public test::LiveEngineFixture {
 protected:
  void SetUp() override {
    LiveEngineFixture::SetUp();
    report_ = test::sample_pirep();
  }
  void TearDown() override {
    server_.stop();
    CPIREPDialog::SetSendWaitLimit(0);
    LiveEngineFixture::TearDown();
  }

  static void click(CDialog& d, UINT id) { QTest::mouseClick(d.GetDlgItem(id), Qt::LeftButton); }
  std::string sentText() const { return loadString(604); }

  PIREPData report_;
  MessageBoxScript boxes_;
  FileDialogScript files_;
};

// ---- The report ----------------------------------------------------------------------------

TEST_F(PIREPDialogTest, ReportFieldHoldsTheWholeReportInAFixedWidthFont) {
  report_.Comment = "Smooth ride.\nLight chop near LANUX, FL350 = ok ~ 20 min.\nGate B4";
  CPIREPDialog d(report_, false);
  const std::string expected = joined(report_.Generate_PIREP_Text());
  runModal(d, [&] {
    auto* field = qobject_cast<QPlainTextEdit*>(d.GetDlgItem(226));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(GetWindowText(field), expected);
    EXPECT_EQ(field->toPlainText().count('\n'),
              static_cast<int>(report_.Generate_PIREP_Text().size()));  // one line each
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_TRUE(QFontInfo(field->font()).fixedPitch()) << QFontInfo(field->font()).family().toStdString();
    EXPECT_EQ(field->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(d.GetWindowText(), "ORVANE PIREP");
    EXPECT_EQ(getItemString(d.GetHwnd(), 407), "Send");
    EXPECT_EQ(getItemString(d.GetHwnd(), 405), "Save");
    EXPECT_EQ(getItemString(d.GetHwnd(), 2), "Back");
    // Every line fits without a horizontal scroll bar (once the layout has settled).
    EXPECT_EQ(field->horizontalScrollBar()->maximum(), 0);
    EXPECT_TRUE(waitFor([&] { return !field->horizontalScrollBar()->isVisible(); }, 2000));
    // A report from a file has no track: no chart and no room kept for one.
    EXPECT_EQ(d.GetHwnd()->findChild<ProfileChart*>(), nullptr);
    EXPECT_FALSE(d.GetDlgItem(228)->isVisible());
    QTest::keyClick(field, Qt::Key_Return);  // Enter ends with 1
  });
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(PIREPDialogTest, CommentWithCrLfShowsEachLineOnce) {
  // The sample's comment holds a CR LF: the carriage return stays at the end of a report
  // line, and the field shows one line break there, not two.
  CPIREPDialog d(report_, false);
  runModal(d, [&] {
    const QString shown = qobject_cast<QPlainTextEdit*>(d.GetDlgItem(226))->toPlainText();
    EXPECT_EQ(shown.count('\n'), static_cast<int>(report_.Generate_PIREP_Text().size()));
    EXPECT_TRUE(shown.contains("20 min.\nGate B4\n")) << shown.toStdString();
    d.EndDialog(IDOK);
  });
}

TEST_F(PIREPDialogTest, EnterEndsWithOneAndBackOnASavedReportEndsWithoutAsking) {
  CPIREPDialog ok(report_, false);
  EXPECT_EQ(runModal(ok, [&] { QTest::keyClick(ok.GetHwnd(), Qt::Key_Enter); }), IDOK);
  CPIREPDialog back(report_, true);
  EXPECT_EQ(runModal(back, [&] { click(back, 2); }), IDCANCEL);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(files_.shown.empty());
}

// ---- Send ------------------------------------------------------------------------------------

TEST_F(PIREPDialogTest, SendShowsTheServersAnswerAndKeepsTheDialogOpen) {
  ORVANE::prepare();
  CPIREPDialog d(report_, false);
  bool busyWhileSending = false;
  bool openAfter = false;
  runModal(d, [&] {
    click(d, 407);
    busyWhileSending = d.isSending() && !d.GetDlgItem(407)->isEnabled() &&
                       !d.GetDlgItem(405)->isEnabled() && d.GetDlgItem(227)->isVisible() &&
                       d.GetHwnd()->cursor().shape() == Qt::BusyCursor;
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
    openAfter = d.GetHwnd() != nullptr && d.GetHwnd()->isVisible();
    EXPECT_TRUE(d.GetDlgItem(407)->isEnabled());
    EXPECT_TRUE(d.GetDlgItem(405)->isEnabled());
    EXPECT_FALSE(d.GetDlgItem(227)->isVisible());
    d.EndDialog(IDOK);
  });
  EXPECT_TRUE(busyWhileSending);
  EXPECT_TRUE(openAfter);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, sentText() + "\r\n[PIREP accepted]\r\n\r\n");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Information");
  EXPECT_EQ(boxes_.shown[0].style, MB_ICONINFORMATION);
  ASSERT_EQ(server_.count(kPirep), 1u);
  EXPECT_EQ(server_.requests_for(kPirep)[0].body.rfind("DATA1=ORVANE_TEST|2.0&DATA2=pilot~secret~"
                                                      + report_.Callsign + "~", 0), 0u);
  EXPECT_FALSE(d.isSaved());  // sending is not saving
}

TEST_F(PIREPDialogTest, RefusalShowsTheErrorBoxAndTheDialogStaysOpen) {
  server_.push_reply(kPirep, Reply{200, "0|Aircraft not allowed"});
  ORVANE::prepare();
  CPIREPDialog d(report_, false);
  bool open = false;
  runModal(d, [&] {
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
    open = d.GetHwnd() != nullptr && d.GetHwnd()->isVisible();
    d.EndDialog(IDOK);
  });
  EXPECT_TRUE(open);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Sending the PIREP returned an ERROR condition:\r\n"
                                  "[Aircraft not allowed]\r\n\r\nYou may retry sending the PIREP.");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Error");
  EXPECT_EQ(boxes_.shown[0].style, MB_ICONERROR);
}

TEST_F(PIREPDialogTest, SendingTwicePostsTwiceAndShowsTwoBoxes) {
  server_.push_reply(kPirep, Reply{200, "0|Try again"});
  ORVANE::prepare();
  CPIREPDialog d(report_, false);
  runModal(d, [&] {
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return boxes_.shown.size() == 1; }));
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return boxes_.shown.size() == 2; }));
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(server_.count(kPirep), 2u);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Error");
  EXPECT_EQ(boxes_.shown[1].text, sentText() + "\r\n[PIREP accepted]\r\n\r\n");
}

TEST_F(PIREPDialogTest, SilentServerEndsInTheBoundedErrorWhileTheWindowKeepsPainting) {
  server_.push_reply(kPirep, Reply{200, "", 0, true});  // never answers
  CPIREPDialog::SetSendWaitLimit(1500);  // shorter than the transfer's 5 s time-out
  ORVANE::prepare();
  CPIREPDialog d(report_, false);
  qint64 gap = -1;
  int paints = 0;
  runModal(d, [&] {
    PaintWatch watch(d.GetHwnd());
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
    gap = watch.longestGapMs();
    paints = watch.paints();
    EXPECT_FALSE(d.isSending());
    EXPECT_TRUE(d.GetDlgItem(407)->isEnabled());
    d.EndDialog(IDOK);
  });
  server_.stop();  // lets the held request go, so the engine's send ends as well
  std::cout << "longest gap between paints while sending: " << gap << " ms over " << paints
            << " paints\n";
  EXPECT_GT(paints, 20);
  EXPECT_LT(gap, 500);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Sending the PIREP returned an ERROR condition:\r\n"
                                  "[No answer came from the PIREP server within 2 s.]\r\n\r\n"
                                  "You may retry sending the PIREP.");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Error");
}

TEST_F(PIREPDialogTest, SilentServerPastTheTransferTimeOutShowsTheEnginesError) {
  server_.push_reply(kPirep, Reply{200, "", 0, true});
  HttpTransfer::setTimeoutSeconds(1);
  EXPECT_EQ(CPIREPDialog::SendWaitLimitMs(), 1000 + CPIREPDialog::kSendWaitMarginMs);
  ORVANE::prepare();
  CPIREPDialog d(report_, false);
  runModal(d, [&] {
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }, 15000));
    d.EndDialog(IDOK);
  });
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text.rfind("Sending the PIREP returned an ERROR condition:\r\n"
                                       "[Connection to PIREP server failed: [", 0), 0u)
      << boxes_.shown[0].text;
}

TEST_F(PIREPDialogTest, SendWithoutAFlightGoesAtOnceAndPreparesNothing) {
  // Sending needs no flight: the report goes on a PIREP thread of its own.
  CPIREPDialog d(report_, false);
  runModal(d, [&] {
    click(d, 407);
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
    EXPECT_FALSE(d.isSending());
    d.EndDialog(IDOK);
  });
  EXPECT_FALSE(ORVANE::initialized());
  EXPECT_EQ(server_.count(kPirep), 1u);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "PIREP SUCCESSFULLY sent.\nThe server returned the following "
                                  "message:\r\n[PIREP accepted]\r\n\r\n");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Information");
}

// ---- Save ------------------------------------------------------------------------------------

TEST_F(PIREPDialogTest, SaveProposesCallsignDotOvpWithTheFiltersAndCancelSavesNothing) {
  report_.Callsign = "";
  CPIREPDialog d(report_, false);
  int notices = 0;
  QObject::connect(&d, &CPIREPDialog::pirepSaved, [&] { ++notices; });
  runModal(d, [&] {
    click(d, 405);  // the file dialog is cancelled
    d.EndDialog(IDOK);
  });
  ASSERT_EQ(files_.shown.size(), 1u);
  const FileDialogRequest& r = files_.shown[0];
  EXPECT_TRUE(r.save);
  EXPECT_EQ(r.proposedName, ".ovp");
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].name, "ORVANE-PIREP Files (*.ovp)");
  EXPECT_EQ(r.filters[0].pattern, "*.ovp");
  EXPECT_EQ(r.filters[1].name, "All Files (*.*)");
  EXPECT_EQ(r.filters[1].pattern, "*.*");
  EXPECT_TRUE(r.confirmOverwrite);
  EXPECT_TRUE(r.mustExist);
  EXPECT_NE(r.owner, nullptr);
  EXPECT_EQ(r.folder, pilot_folders().data);  // lastpirep.ovp's folder, not the current one
  EXPECT_EQ(notices, 0);
  EXPECT_FALSE(d.isSaved());
}

TEST_F(PIREPDialogTest, SaveAgainStartsInTheFolderOfTheLastSave) {
  std::filesystem::create_directories(dir_.file("flights"));
  files_.pick(dir_.file("flights/one.ovp"));
  files_.pick(std::nullopt);
  CPIREPDialog d(report_, false);
  runModal(d, [&] {
    click(d, 405);
    click(d, 405);
    d.EndDialog(IDOK);
  });
  ASSERT_EQ(files_.shown.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("flights/one.ovp")));
  EXPECT_EQ(files_.shown[1].folder, dir_.file("flights"));
}

TEST_F(PIREPDialogTest, SavedFileDecodesToTheSameRecordAndTellsTheOwnerOnce) {
  const std::string path = dir_.file("ABC123.ovp");
  dir_.write("ABC123.ovp", "an earlier file of the same name");
  files_.pick(path);
  CPIREPDialog d(report_, false);
  int notices = 0;
  QObject::connect(&d, &CPIREPDialog::pirepSaved, [&] { ++notices; });
  const INT_PTR r = runModal(d, [&] {
    click(d, 405);
    click(d, 2);  // saved: Back ends without asking
  });
  EXPECT_EQ(r, IDCANCEL);
  EXPECT_EQ(notices, 1);
  EXPECT_TRUE(d.isSaved());
  EXPECT_TRUE(boxes_.shown.empty());
  PIREPData back;
  back.unpack_crypt(read_file(path));
  EXPECT_EQ(back, report_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            2);  // the report and the log: no temporary file left behind
}

TEST_F(PIREPDialogTest, UnwritableFolderShowsCannotAccessFileAndFlagsNothing) {
  dir_.write("plain", "a file where the folder should be");
  const std::string path = dir_.file("plain") + "/ABC123.ovp";  // root may write anywhere else
  files_.pick(path);
  CPIREPDialog d(report_, false);
  int notices = 0;
  QObject::connect(&d, &CPIREPDialog::pirepSaved, [&] { ++notices; });
  runModal(d, [&] {
    click(d, 405);
    d.EndDialog(IDOK);
  });
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Cannot access file [" + path + "]");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Error");
  EXPECT_EQ(boxes_.shown[0].style, MB_ICONERROR);
  EXPECT_EQ(notices, 0);
  EXPECT_FALSE(d.isSaved());
}

TEST_F(PIREPDialogTest, FailureWhileWritingLeavesTheEarlierFileByteForByte) {
  const std::string earlier = "the pilot's earlier PIREP file, kept whole";
  const std::string path = dir_.write("ABC123.ovp", earlier);
  ASSERT_GT(report_.pack_crypt().size(), 200u);
  // While the file is written the process may not write past 100 bytes in any file: the
  // write of the new report fails half way, as on a full disk.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  void (*oldSignal)(int) = signal(SIGXFSZ, SIG_IGN);
  files_.onShow = [&](const FileDialogRequest&) {
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
  };
  boxes_.onShow = [&](const MessageBoxRequest&) { setrlimit(RLIMIT_FSIZE, &old); };
  files_.pick(path);
  CPIREPDialog d(report_, false);
  int notices = 0;
  QObject::connect(&d, &CPIREPDialog::pirepSaved, [&] { ++notices; });
  runModal(d, [&] {
    click(d, 405);
    d.EndDialog(IDOK);
  });
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldSignal);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Cannot write file [" + path + "]");
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE PIREP Error");
  EXPECT_EQ(read_file(path), earlier);
  EXPECT_EQ(notices, 0);
  EXPECT_FALSE(d.isSaved());
}

// ---- Back ------------------------------------------------------------------------------------

TEST_F(PIREPDialogTest, BackUnsavedAsksAndYesWithACancelledFileDialogStillEnds) {
  boxes_.answer(IDYES);
  CPIREPDialog d(report_, false);
  const INT_PTR r = runModal(d, [&] { click(d, 2); });
  EXPECT_EQ(r, IDCANCEL);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, loadString(612));
  EXPECT_EQ(boxes_.shown[0].caption, "ORVANE Question");
  EXPECT_EQ(boxes_.shown[0].style, MB_YESNO);
  EXPECT_EQ(files_.shown.size(), 1u);  // offered, then cancelled
  EXPECT_FALSE(d.isSaved());
}

TEST_F(PIREPDialogTest, EscapeUnsavedAnsweredNoEndsWithoutTheFileDialog) {
  CPIREPDialog d(report_, false);
  const INT_PTR r = runModal(d, [&] { QTest::keyClick(d.GetHwnd(), Qt::Key_Escape); });
  EXPECT_EQ(r, IDCANCEL);
  EXPECT_EQ(boxes_.shown.size(), 1u);
  EXPECT_TRUE(files_.shown.empty());
}

// ---- The profile -----------------------------------------------------------------------------

TEST_F(PIREPDialogTest, FlownTrackIsDrawnBelowTheReportWithTheEventMarksAndTheTouchdown) {
  FlightOptions o = ORVANE::getFlightOptions();
  o.enableLiveACARS = false;
  ORVANE::setFlightOptions(o);
  flyNormalFlight();
  const PIREPData flown = finish();
  const FlightTrack track = ORVANE::getFlightTrack();
  ASSERT_FALSE(track.empty());
  const Touchdown touchdown = ORVANE::getTouchdown();
  ASSERT_TRUE(touchdown.recorded);
  CPIREPDialog d(flown, false, track, touchdown);
  QStringList names;
  QString onDetail;
  std::optional<ProfileChart::TouchdownMark> mark;
  bool chartBelowReport = false;
  runModal(d, [&] {
    auto* chart = d.GetHwnd()->findChild<ProfileChart*>();
    ASSERT_NE(chart, nullptr);
    EXPECT_TRUE(chart->isVisible());
    EXPECT_TRUE(chart->hasData());
    // Once the layout has given the chart its room.
    EXPECT_TRUE(waitFor([&] { return chart->height() >= chart->minimumSizeHint().height(); }, 2000));
    for (const ProfileChart::EventMark& m : chart->eventMarks()) {
      names << m.name;
      if (m.name == "ON") onDetail = m.detail;
    }
    mark = chart->touchdownMark();
    chartBelowReport = chart->mapTo(d.GetHwnd(), QPoint(0, 0)).y() >
                       d.GetDlgItem(226)->geometry().bottom();
    d.EndDialog(IDOK);
  });
  EXPECT_EQ(names, (QStringList{"OUT", "OFF", "ON", "IN"}));
  // The touchdown's rate is written at its mark, the rate the report sends.
  EXPECT_TRUE(onDetail.isEmpty()) << onDetail.toStdString();
  ASSERT_TRUE(mark.has_value());
  EXPECT_EQ(mark->time, touchdown.time);
  EXPECT_EQ(mark->text.toStdString(), "-" + flown.VSLand + " fpm");
  EXPECT_TRUE(chartBelowReport);
}

}  // namespace
}  // namespace orvane
