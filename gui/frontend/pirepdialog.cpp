// CPIREPDialog: report text, landing line and profile, Send with a bounded wait that keeps
// the window working, Save through the PIREP file helper, Back with the question to save.
// SPDX-License-Identifier: MIT
#include "frontend/pirepdialog.h"

#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "net/http_transfer.h"
#include "engine/orvane_base.h"
#include "framework/dialoghelpers.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "frontend/addressprompt.h"
#include "frontend/handoffpoll.h"
#include "frontend/pirepfile.h"
#include "frontend/profilechart.h"
#include "frontend/weights.h"
#include "ui_pirepdialog.h"
#include "util/clock.h"
#include "util/pilot_folders.h"

namespace orvane {

namespace {

constexpr UINT IDC_REPORT = 226;
constexpr UINT IDC_STATUS = 227;
constexpr UINT IDC_PROFILE = 228;
constexpr UINT IDC_LANDING = 229;
constexpr UINT IDC_SAVE = 405;
constexpr UINT IDC_SEND = 407;
constexpr int kPollMs = 50;  // how often the window looks at the PIREP state

std::atomic<int> sendWaitLimitMs{0};

// The send's limit is real time, not the process clock: the box that ends it tells the
// pilot how many seconds passed, and it ends even while a test holds the process clock.
Clock& sendWaitClock() {
  static SystemClock real;
  return real;
}

void layoutPIREPDialog(QDialog* window) {
  Ui::PIREPDialog ui;
  ui.setupUi(window);
}

// "Courier New" where the system has it, else one of its metric twins (Liberation Mono,
// Cousine: Linux, and Wine, which has no Courier New), else the system's fixed-width font;
// in the size of the window's own font.
QFont reportFont(const QFont& windowFont) {
  const QStringList families = QFontDatabase::families();
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (const char* name : {"Courier New", "Liberation Mono", "Cousine"}) {
    if (families.contains(QLatin1String(name))) {
      f = QFont(QLatin1String(name));
      break;
    }
  }
  f.setStyleHint(QFont::TypeWriter);
  if (windowFont.pointSizeF() > 0) f.setPointSizeF(windowFont.pointSizeF());
  return f;
}

}  // namespace

CPIREPDialog::CPIREPDialog(const PIREPData& report, bool saved, const FlightTrack& track,
                           const Touchdown& touchdown, QWidget* owner)
    : CDialog(IDD, &layoutPIREPDialog, owner),
      PIREP(report),
      PIREPSaved(saved),
      track_(track),
      touchdown_(touchdown),
      poll_(new HandOffPoll(kPollMs, this)) {}

void CPIREPDialog::SetSendWaitLimit(int ms) { sendWaitLimitMs = std::max(0, ms); }

int CPIREPDialog::SendWaitLimitMs() {
  const int set = sendWaitLimitMs.load();
  if (set > 0) return set;
  return static_cast<int>(HttpTransfer::timeoutSeconds()) * 1000 + kSendWaitMarginMs;
}

bool CPIREPDialog::OnInitDialog() {
  showReport();
  showLanding();
  showProfile();
  if (QWidget* status = GetDlgItem(IDC_STATUS)) status->hide();
  return true;
}

std::vector<std::string> CPIREPDialog::reportLines(const PIREPData& report, WeightUnit unit) {
  if (unit == WeightUnit::Pounds) return report.Generate_PIREP_Text();
  // Shown only: what is sent and saved stays the report itself, in pounds.
  PIREPData shown = report;
  for (std::string* weight : {&shown.TOW, &shown.LAW, &shown.FliteFuel, &shown.BlockFuel, &shown.ZFW})
    *weight = shownWeight(*weight, unit);
  std::vector<std::string> lines = shown.Generate_PIREP_Text();
  // After the line of the extremes, before the comment.
  lines.insert(lines.begin() + std::min<std::ptrdiff_t>(9, static_cast<std::ptrdiff_t>(lines.size())),
               "WEIGHTS AND FUEL IN KG");
  return lines;
}

void CPIREPDialog::showReport() {
  const std::vector<std::string> lines = reportLines(PIREP, WindowPrefs::weightUnit());
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  auto* field = qobject_cast<QPlainTextEdit*>(GetDlgItem(IDC_REPORT));
  if (field == nullptr) return;
  orvane::SetWindowText(field, text);
  field->setFont(reportFont(GetHwnd()->font()));
  // Wide enough for the longest line and tall enough for the whole report without its
  // comment, at whatever size the font has on this screen.
  const QFontMetrics fm(field->font());
  int widest = 0;
  for (const std::string& line : lines)
    widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(line)));
  const int frame = 2 * field->frameWidth() + 2 * static_cast<int>(field->document()->documentMargin());
  const int scrollBar = field->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, field);
  // Two characters of slack: the layout counts the cursor and its own margins as well.
  field->setMinimumWidth(widest + frame + scrollBar + 2 * fm.averageCharWidth());
  // (In kilograms one line more: the line that says so.)
  const int extra = static_cast<int>(lines.size() - PIREP.Generate_PIREP_Text().size());
  field->setMinimumHeight(fm.lineSpacing() * (14 + extra) + frame);
}

std::string CPIREPDialog::landingText(const Touchdown& touchdown) {
  QString text = tr("Landing: %1").arg(touchdownRateText(touchdown.verticalSpeed));
  if (touchdown.gForce > 0) text += ", " + QString::number(touchdown.gForce, 'f', 2) + " G";
  if (touchdown.bounces == 0) {
    text += ", " + tr("no bounce");
  } else {
    text += ", " + (touchdown.bounces == 1 ? tr("1 bounce")
                                           : tr("%1 bounces").arg(touchdown.bounces));
  }
  return text.toStdString();
}

void CPIREPDialog::showLanding() {
  QWidget* line = GetDlgItem(IDC_LANDING);
  if (line == nullptr) return;
  if (!touchdown_.recorded) {
    line->hide();  // a report from a file: it keeps no touchdown beyond its rate
    return;
  }
  orvane::SetWindowText(line, landingText(touchdown_));
}

void CPIREPDialog::showProfile() {
  QWidget* area = GetDlgItem(IDC_PROFILE);
  if (area == nullptr) return;
  if (track_.empty()) {
    area->hide();  // a report from a file: no chart, and no empty space for one
    return;
  }
  auto* chart = new ProfileChart(area);
  chart->setFlight(track_, PIREP, touchdown_);
  area->layout()->addWidget(chart);
}

bool CPIREPDialog::OnCommand(UINT id) {
  switch (id) {
    case IDC_SEND:
      OnSendPIREP();
      return true;
    case IDC_SAVE:
      OnSavePIREP();
      return true;
    default:
      return false;
  }
}

void CPIREPDialog::OnSendPIREP() {
  if (sending_) return;
  sending_ = true;
  EnableDlgItem(GetHwnd(), IDC_SEND, false);
  EnableDlgItem(GetHwnd(), IDC_SAVE, false);
  if (QWidget* status = GetDlgItem(IDC_STATUS)) {
    orvane::SetWindowText(status, tr("Sending the PIREP to your airline ...").toStdString());
    status->show();
  }
  GetHwnd()->setCursor(Qt::BusyCursor);
  // Returns at once: it sets the state to UNKNOWN, and the engine's cycle takes the report
  // with it when it holds the engine. The outcome comes later, through the PIREP state.
  ORVANE::SendPIREP(PIREP);
  poll_->start(sendWaitClock(), SendWaitLimitMs(),
               [] { return ORVANE::getPIREPState() != UNKNOWN; },
               [this](bool arrived) { sendEnded(arrived); });
}

void CPIREPDialog::sendEnded(bool arrived) {
  std::string message;
  const PIREPState state = arrived ? ORVANE::getPIREPState() : UNKNOWN;
  if (state == UNKNOWN) {
    message = "No answer came from the PIREP server within " +
              std::to_string((SendWaitLimitMs() + 999) / 1000) + " s.";
  } else {
    message = ORVANE::getPIREPMessage();
  }
  endSend();
  if (state == SUCCESS) {
    ShowMessageBox(loadString(604) + "\r\n[" + message + "]\r\n\r\n", loadString(804),
                   MB_ICONINFORMATION);
  } else {
    const std::string failure = loadString(658) + "\r\n[" + message + "]";
    switch (confirmNewAddress(AirlineAddress::PIREP, failure, loadString(803),
                              pilot_folders().settingsFile())) {
      case AddressAnswer::USE: OnSendPIREP(); break;  // once more, at the confirmed address
      case AddressAnswer::KEEP: break;
      case AddressAnswer::NO_OFFER:
        ShowMessageBox(failure + "\r\n\r\n" + loadString(659), loadString(803), MB_ICONERROR);
        break;
    }
  }
}

void CPIREPDialog::endSend() {
  poll_->stop();
  sending_ = false;
  if (QWidget* w = GetHwnd()) {
    EnableDlgItem(w, IDC_SEND, true);
    EnableDlgItem(w, IDC_SAVE, true);
    if (QWidget* status = GetDlgItem(IDC_STATUS)) status->hide();
    w->unsetCursor();
  }
}

bool CPIREPDialog::OnSavePIREP() {
  FileDialogRequest request;
  request.save = true;
  request.owner = GetHwnd();
  request.proposedName = (PIREP.Callsign + ".ovp").substr(0, 259);  // a 260-byte path buffer
  // Not the current folder: started from the Windows Start menu, that is the program's own.
  request.folder = fileFolder_.empty() ? pilot_folders().data : fileFolder_;
  request.filters = {{"ORVANE-PIREP Files (*.ovp)", "*.ovp"}, {"All Files (*.*)", "*.*"}};
  request.mustExist = true;
  request.confirmOverwrite = true;
  const std::optional<std::string> name = GetFileName(request);
  if (!name) return false;
  if (const std::string folder = folderOfFile(*name); !folder.empty()) fileFolder_ = folder;
  try {
    switch (savePIREPFile(PIREP, *name)) {
      case PIREPFileResult::Done:
        break;
      case PIREPFileResult::CannotOpen:
        throw std::runtime_error("Cannot access file [" + *name + "]");
      default:
        throw std::runtime_error("Cannot write file [" + *name + "]");
    }
  } catch (const std::exception& e) {
    ShowMessageBox(e.what(), loadString(803), MB_ICONERROR);
    return false;
  }
  PIREPSaved = true;
  emit pirepSaved();
  return true;
}

void CPIREPDialog::OnCancel() {
  if (!PIREPSaved && MessBox(612, 806, MB_YESNO) == IDYES) OnSavePIREP();
  EndDialog(IDCANCEL);
}

void CPIREPDialog::OnOK() { EndDialog(IDOK); }

void CPIREPDialog::EndDialog(INT_PTR result) {
  // The answer of a send still under way is no longer looked at.
  if (sending_) endSend();
  CDialog::EndDialog(result);
}

}  // namespace orvane
