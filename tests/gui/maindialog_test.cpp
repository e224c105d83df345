// The main window's own rules: its time texts, the message area, one block time per update,
// Start ACARS with an unsaved PIREP, the worker's clock-step report, lastpirep.ovp (kept
// whole on a full disk), and the bounded wait for a flight plan.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <sys/stat.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "net/http_transfer.h"
#include "frontend/flighttimes.h"
#include "frontend/pirepdialog.h"
#include "frontend/quitsignals.h"
#include "integration/scenarios.h"
#include "mainwindow_fixture.h"
#include "pirep/outbox.h"
#include "pirep/pirep_samples.h"
#include "util/pilot_folders.h"

namespace orvane {
namespace {

using test::MainWindowTest;
using test::waitFor;

TEST(FlightTimesTest, DurationsAndTimesOfDayAtTheirEdges) {
  EXPECT_EQ(s2hmin(3599), "00:59");
  EXPECT_EQ(s2hmin(36000), "10:00");
  EXPECT_EQ(s2hmin(360000), "100:00");
  EXPECT_EQ(s2hmin(0), "00:00");
  EXPECT_EQ(tm2hminU(0), "00:00Z");
  EXPECT_EQ(tm2hminU(1783173600 + 9 * 3600 + 7 * 60 + 59), "23:07Z");
}

class MainDialogTest : public MainWindowTest {
 protected:
  // Flies the pausing flight from the gate to engines off in one clock second: the test
  // cycles the engine itself while the worker waits, so the window hears of it only at the
  // worker's next passes.
  void flyBetweenTwoPasses() {
    settle();
    for (double t : {25.0, 35.0, 115.0, 150.0, 300.0, 450.0, 578.0, 595.0, 600.0, 635.0, 645.0}) {
      player_->apply(t);
      // Twice to settle each sample, but not past FINAL: once the send thread has posted
      // the end, the next cycle would discard the flight.
      for (int k = 0; k < 2 && ORVANE::getState() != FlightState::FINAL; ++k) ORVANE::cycleOnce();
    }
    ASSERT_EQ(ORVANE::getState(), FlightState::FINAL);
    flightMs_ = 645000;
    ASSERT_NE(ORVANE::getInTime(), 0) << ORVANE::getState();
  }
  std::size_t noticed() const {
    const std::string log = test::read_file(dir_.file("orvane.log"));
    std::size_t n = 0;
    for (std::size_t p = 0; (p = log.find("Noticed Real Time change of [", p)) != std::string::npos; ++p) ++n;
    return n;
  }
  bool logHas(const std::string& part) const {
    return test::read_file(dir_.file("orvane.log")).find(part) != std::string::npos;
  }
};

TEST_F(MainDialogTest, SetMessageIgnoresTheShownTextAndEmptyBringsBackTheWelcome) {
  runWindow([&] {
    EXPECT_EQ(message(), shown(600));
    w().SetMessage("Climbing through FL100");
    EXPECT_EQ(message(), "Climbing through FL100");
    // The same text again changes nothing, not even a text put there behind its back.
    SetDlgItemText(w().GetHwnd(), IDC_MESSAGE, "something else");
    const std::size_t changes = shownMessages_.size();
    w().SetMessage("Climbing through FL100");
    EXPECT_EQ(message(), "something else");
    EXPECT_EQ(shownMessages_.size(), changes);
    w().SetMessage("");
    EXPECT_EQ(message(), shown(600));
    w().SetMessage("");
    EXPECT_EQ(message(), shown(600));
    escape();
  });
}

TEST_F(MainDialogTest, BlockTimesKnownTogetherAppearInSuccessiveUpdates) {
  play(test::pausingFlight());
  // No PIREP is made (it would bring all four times at once), and ENDFLIGHT gets no answer,
  // so the flight stays at its end.
  std::string settings = test::read_file(dir_.file("orvane.ini"));
  settings.replace(settings.find("EnablePIREP = 1"), 15, "EnablePIREP = 0");
  dir_.write("orvane.ini", settings);
  airline_.set_handler([](const airline::Request& r) -> std::optional<airline::Reply> {
    if (r.body.find("&DATA2=BEGINFLIGHT&") != std::string::npos)
      return airline::Reply{200, "1|4711|PosRep 1000:30 5000:60"};
    if (r.body.find("&DATA2=ENDFLIGHT&") != std::string::npos) {
      airline::Reply silent;
      silent.silent = true;
      return silent;
    }
    return std::nullopt;
  });
  runWindow([&] {
    startTracking();
    flyBetweenTwoPasses();
    const UINT ids[] = {IDC_OUT, IDC_OFF, IDC_ON, IDC_IN};
    const std::string times[] = {tm2hminU(ORVANE::getOutTime()), tm2hminU(ORVANE::getOffTime()),
                                 tm2hminU(ORVANE::getOnTime()), tm2hminU(ORVANE::getInTime())};
    for (UINT id : ids) EXPECT_EQ(field(id), "");
    for (int update = 0; update < 4; ++update) {
      step();
      for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(field(ids[i]), i <= update ? times[i] : "") << "update " << update << " field " << i;
      }
    }
    EXPECT_FALSE(w().isPIREPAvailable());
    airline_.stop();  // lets the held request go
    escape();
  });
}

TEST_F(MainDialogTest, StartStaysOffWhileAnUnsavedPIREPIsShownAndClosingKeepsIt) {
  play(test::pausingFlight());
  runWindow([&] {
    startTracking();
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    EXPECT_EQ(message(), shown(601));
    // The flight data is still complete and the simulator connected.
    for (int i = 0; i < 3; ++i) {
      step();
      EXPECT_FALSE(enabled(IDC_STARTACARS));
    }
    EXPECT_FALSE(w().isPIREPSaved());
    EXPECT_TRUE(enabled(IDC_VIEWPIREP));
    EXPECT_TRUE(enabled(IDC_NEWFLIGHT));
    escape();
  });
  EXPECT_FALSE(w().isPIREPSaved());
  const std::string file = test::read_file(dir_.file("lastpirep.ovp"));
  ASSERT_FALSE(file.empty());
  PIREPData decoded;
  decoded.unpack_crypt(file);
  EXPECT_EQ(decoded, w().pirep());
  EXPECT_EQ(decoded.Callsign, "ABC123");
  // Nothing else is left in the folder: the file was written through a temporary one.
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "lastpirep.ovp" || name == "orvane.ini" || name == "orvane.log" ||
                name == "fsuipc" || name == "outbox")
        << name;
  }
}

TEST_F(MainDialogTest, ADiskFullOnClosingKeepsTheEarlierLastPIREPWholeAndSaysSo) {
  const std::string earlier = "the PIREP kept when the window closed last time";
  const std::string path = dir_.write("lastpirep.ovp", earlier);
  play(test::pausingFlight());
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  void (*oldSignal)(int) = signal(SIGXFSZ, SIG_IGN);
  // The first box after the failed write gives the process its limit back (Quit's question
  // and farewell come before the write).
  boxes_.onShow = [&](const MessageBoxRequest& b) {
    if (b.text != loadString(609) && b.text != loadString(608)) setrlimit(RLIMIT_FSIZE, &old);
  };
  runWindow([&] {
    startTracking();
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    ASSERT_GT(w().pirep().pack_crypt().size(), 200u);
    // While the window closes the process may not write past 100 bytes in any file: the
    // write of the PIREP fails half way, as on a full disk.
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    escape();
    setrlimit(RLIMIT_FSIZE, &old);
  });
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(w().isPIREPSaved());
  EXPECT_EQ(test::read_file(path), earlier);
  for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "lastpirep.ovp" || name == "orvane.ini" || name == "orvane.log" ||
                name == "fsuipc" || name == "outbox")
        << name;
  }
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Cannot access file [lastpirep.ovp]");
  EXPECT_EQ(boxes_.shown[0].caption, loadString(803));
  EXPECT_EQ(boxes_.shown[0].style, static_cast<UINT>(MB_ICONERROR));
}

// The standard folders, made in the test's folder with its orvane.ini moved into the
// configuration folder, in use for the length of a test; the old way again after it.
class StandardFoldersInUse {
 public:
  explicit StandardFoldersInUse(const test::TempDir& dir) {
    folders.standard = true;
    folders.config = dir.file("config");
    folders.state = dir.file("state");
    folders.data = dir.file("data");
    std::string problem;
    if (!make_pilot_folders(folders, &problem)) ADD_FAILURE() << problem;
    std::filesystem::rename(dir.file("orvane.ini"), folders.settingsFile());
    use_pilot_folders(folders);
  }
  ~StandardFoldersInUse() { use_pilot_folders(PilotFolders{}); }
  PilotFolders folders;
};

// Started from the Windows Start menu ORVANE's current folder is its program folder, where a
// pilot cannot write: the PIREP file dialogs start in the data folder (lastpirep.ovp's), then
// in the folder the pilot last chose.
TEST_F(MainDialogTest, PIREPFileDialogsStartInTheDataFolderThenWhereThePilotLastChose) {
  const StandardFoldersInUse inUse(dir_);
  const PilotFolders& folders = inUse.folders;
  std::filesystem::create_directories(dir_.file("flights"));
  const std::string saved =
      dir_.write("flights/flight.ovp", test::sample_pirep().pack_crypt());
  files_.pick(saved);
  files_.pick(std::nullopt);
  boxes_.answer(IDYES);  // load over the loaded PIREP
  runWindow([&] {
    click(IDC_LOADPIREP);
    ASSERT_TRUE(w().isPIREPAvailable());
    click(IDC_LOADPIREP);
    escape();
  });
  ASSERT_EQ(files_.shown.size(), 2u);
  EXPECT_EQ(files_.shown[0].folder, folders.data);
  EXPECT_EQ(files_.shown[1].folder, dir_.file("flights"));
}

TEST_F(MainDialogTest, InTheStandardFoldersTheFlightsFilesGoToTheDataFolder) {
  const StandardFoldersInUse inUse(dir_);
  const PilotFolders& folders = inUse.folders;
  const std::string journal = folders.data + "/orvane.journal";
  play(test::pausingFlight());
  bool journaled = false;
  runWindow([&] {
    // The settings came from the configuration folder: the airline has the flight.
    startTracking();
    journaled = stepUntil([&] { return std::filesystem::exists(journal); }, 50);
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    QTest::keyClick(w().GetHwnd(), Qt::Key_F1);
    ASSERT_FALSE(boxes_.shown.empty());
    const std::string about = boxes_.shown.back().text;
    boxes_.shown.pop_back();
    EXPECT_NE(about.find("Settings: " + folders.settingsFile() + "\n"), std::string::npos)
        << about;
    EXPECT_NE(about.find("PIREPs not sent yet: " + folders.data + "/outbox\n"),
              std::string::npos)
        << about;
    EXPECT_NE(about.find("Unsaved PIREP at closing: " + folders.lastPIREPFile() + "\n"),
              std::string::npos)
        << about;
    escape();
  });
  EXPECT_TRUE(journaled);
  PIREPData decoded;
  decoded.unpack_crypt(test::read_file(folders.lastPIREPFile()));
  EXPECT_EQ(decoded, w().pirep());
  const std::vector<Outbox::Entry> waiting = Outbox(folders.data + "/outbox").waiting();
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0].report.Callsign, "ABC123");
  // Nothing of the flight in the folder the window started in.
  for (const char* name : {"lastpirep.ovp", "outbox", "orvane.journal", "orvane.ini"}) {
    EXPECT_FALSE(std::filesystem::exists(dir_.file(name))) << name;
  }
}

class QuitSignalTest : public MainDialogTest, public ::testing::WithParamInterface<int> {};

TEST_P(QuitSignalTest, TakesTheClosePathAndKeepsTheUnsavedPIREPPrivately) {
  const int sig = GetParam();
  play(test::pausingFlight());
  const mode_t oldMask = ::umask(022);
  runWindow([&] {
    QuitSignals quit(w());
    startTracking();
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    ::kill(::getpid(), sig);  // as a logout, Ctrl-C or a closed terminal sends it
    ASSERT_TRUE(waitFor([&] { return w().GetHwnd() == nullptr; }));
  });
  ::umask(oldMask);
  EXPECT_FALSE(w().isPIREPSaved());
  const std::string file = test::read_file(dir_.file("lastpirep.ovp"));
  ASSERT_FALSE(file.empty());
  PIREPData decoded;
  decoded.unpack_crypt(file);
  EXPECT_EQ(decoded, w().pirep());
  struct stat st {};
  ASSERT_EQ(::stat(dir_.file("lastpirep.ovp").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777u, 0600u);
  // The handler went with the object: the signal's earlier disposition is back.
  struct sigaction now {};
  ASSERT_EQ(::sigaction(sig, nullptr, &now), 0);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

INSTANTIATE_TEST_SUITE_P(TermIntHangUp, QuitSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST_F(MainDialogTest, ATermSignalWhileThePIREPReviewIsOpenEndsBothAndKeepsThePIREP) {
  play(test::pausingFlight());
  CMyDialog::setPIREPDialogRunner(nullptr);  // the real review, modal above the window
  bool sent = false;
  runWindow([&] {
    QuitSignals quit(w());
    startTracking();
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
      if (sent || dynamic_cast<CPIREPDialog*>(
                      CWnd::FromHandle(QApplication::activeModalWidget())) == nullptr) {
        return;
      }
      sent = true;
      ::kill(::getpid(), SIGTERM);
    });
    driver.start(10);
    click(IDC_VIEWPIREP);
    ASSERT_TRUE(waitFor([&] {
      if (w().GetHwnd() != nullptr && w().worker() != nullptr &&
          w().worker()->waitState().where == EngineWorker::Waiting::Preparing)
        clock_.advance(1);
      return w().GetHwnd() == nullptr;
    }));
    driver.stop();
  });
  EXPECT_TRUE(sent);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  PIREPData decoded;
  decoded.unpack_crypt(test::read_file(dir_.file("lastpirep.ovp")));
  EXPECT_EQ(decoded, w().pirep());
  EXPECT_TRUE(boxes_.shown.empty());  // no question on the way out
}

TEST_F(MainDialogTest, ASavedPIREPEnablesStartAgainAndQuitWritesNoLastPIREP) {
  play(test::pausingFlight());
  runWindow([&] {
    startTracking();
    flyBetweenTwoPasses();
    ASSERT_TRUE(stepUntil([&] { return w().isPIREPAvailable(); }, 100));
    step();
    EXPECT_FALSE(enabled(IDC_STARTACARS));
    w().DialogProc(WM_PIREP_SAVED, 0, 0);  // what the PIREP dialog sends after a save
    step();
    EXPECT_TRUE(enabled(IDC_STARTACARS));
    EXPECT_EQ(field(IDC_STARTACARS), "Start ACARS");
    boxes_.answer(IDYES);  // 609: stop ORVANE
    click(1);
    ASSERT_TRUE(waitFor([&] { return w().GetHwnd() == nullptr; }));
  });
  EXPECT_EQ(boxes(609), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("lastpirep.ovp")));
}

TEST_F(MainDialogTest, ASilentFlightInformationServerEndsTheWaitAtItsBound) {
  airline_.set_default(kInfo, airline::Reply{200, "", 0, true});  // never answers
  HttpTransfer::setTimeoutSeconds(30);  // the transfer gives up long after this test
  // Both transfers of the request may time out, and 15 seconds beyond; on the process clock.
  const std::int64_t boundMs = (2 * 30 + 15) * 1000;
  runWindow([&] {
    type(IDC_FLIGHTNO, "abc123");
    click(IDC_GETFD);
    // The new flight is prepared first (its connection test gets its clock seconds). The
    // wait has begun once the request is out: both happen in one window event.
    ASSERT_TRUE(waitFor([&] {
      const EngineWorker::WaitState s = w().worker()->waitState();
      if (s.where == EngineWorker::Waiting::Preparing) clock_.advance_ms(s.ms);
      return airline_.count(kInfo) == 1;
    }));
    EXPECT_TRUE(w().isBusy());
    clock_.advance_ms(boundMs - 1);
    EXPECT_FALSE(waitFor([&] { return !boxes_.shown.empty(); }, 500));  // looks twice or more
    EXPECT_FALSE(enabled(IDC_GETFD));
    clock_.advance_ms(1);
    ASSERT_TRUE(waitFor([&] { return !boxes_.shown.empty(); }));
    EXPECT_TRUE(enabled(IDC_GETFD));
    settle();
    EXPECT_FALSE(w().isBusy());
    airline_.stop();  // lets the held request go
    escape();
  });
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text,
            loadString(653) + "\r\n[ERROR: no answer came from the flight-information server.]");
  EXPECT_EQ(boxes_.shown[0].caption, loadString(801));
  EXPECT_EQ(boxes_.shown[0].style, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(MainDialogTest, TheWindowOpensWhereAndAsLargeAsItWasLeft) {
  QRect left;  // the test's window preferences start empty
  runWindow([&] {
    QWidget* window = w().GetHwnd();
    // Moved and made smaller (a window larger than the screen is made to fit it).
    window->setGeometry(QRect(QPoint(70, 40), window->size() - QSize(40, 30)));
    left = window->geometry();
    escape();
  });
  runWindow([&] {
    EXPECT_EQ(w().GetHwnd()->geometry(), left);
    escape();
  });
}

TEST_F(MainDialogTest, ALoadedPIREPIsNotWrittenAgainOnClosing) {
  const std::string saved = dir_.write("flight.ovp", test::sample_pirep().pack_crypt());
  files_.pick(saved);
  runWindow([&] {
    click(IDC_LOADPIREP);
    EXPECT_TRUE(w().isPIREPAvailable());
    EXPECT_TRUE(w().isPIREPSaved());
    escape();
  });
  EXPECT_FALSE(std::filesystem::exists(dir_.file("lastpirep.ovp")));
}

TEST_F(MainDialogTest, ClockStepBeyondTheLimitsIsReportedWithItsSignDifferenceAndAStallIsNot) {
  runWindow([&] {
    step();
    const std::size_t start = noticed();
    // Within the limits of a 5-second loop: up to 10 s ahead, up to 2 s back.
    clock_.jump(10);
    step();
    clock_.jump(-2);
    step();
    EXPECT_EQ(noticed(), start);
    clock_.jump(60);
    step();
    EXPECT_EQ(noticed(), start + 1);
    EXPECT_TRUE(logHas("Noticed Real Time change of [60] s."));
    clock_.jump(-3);
    step();
    EXPECT_EQ(noticed(), start + 2);
    EXPECT_TRUE(logHas("Noticed Real Time change of [-3] s."));
    // A stall: the worker is held ten minutes (a box left open) while both clocks run.
    settle();
    const long handled = w().reportsHandled();
    clock_.advance(600);
    ASSERT_TRUE(waitFor([&] { return w().reportsHandled() > handled; }));
    step();
    EXPECT_EQ(noticed(), start + 2);
    escape();
  });
}

}  // namespace
}  // namespace orvane
