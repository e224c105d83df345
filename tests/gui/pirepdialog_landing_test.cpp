// CPIREPDialog's landing line: the touchdown's rate, G and bounces between the report and the
// chart, whole on the screen, the report text untouched; none for a report loaded from a file.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <cstdlib>

#include "framework/dialoghelpers.h"
#include "frontend/pirepdialog.h"
#include "frontend/profilechart.h"
#include "gui_support.h"
#include "pirep/pirep_samples.h"

namespace orvane {
namespace {

using test::runModal;

constexpr UINT IDC_REPORT = 226;
constexpr UINT IDC_PROFILE = 228;
constexpr UINT IDC_LANDING = 229;

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// The sample flight's profile, once a minute from OUT to IN, on the ground after ON.
FlightTrack trackOf(const PIREPData& p) {
  const std::int64_t out = std::atoll(p.Out.c_str()), off = std::atoll(p.Off.c_str());
  const std::int64_t on = std::atoll(p.On.c_str()), in = std::atoll(p.In.c_str());
  FlightTrack track;
  for (std::int64_t t = out; t <= in; t += 60) {
    double alt = 364;
    if (t > off && t < on) alt = std::min((t - off) * 35.0, 600 + (on - t) * 30.0);
    if (t >= on) alt = 600;
    track.points.push_back({t, static_cast<std::int32_t>(std::min(alt, 35000.0)), 0, 0.0F, 0.0F});
  }
  return track;
}

Touchdown touchdown(double fpm, double g, int bounces, std::int64_t time) {
  Touchdown t;
  t.recorded = true;
  t.simulatorRate = true;
  t.verticalSpeed = fpm;
  t.gForce = g;
  t.bounces = bounces;
  t.pitch = 3.1;
  t.bank = -0.4;
  t.groundSpeed = 131;
  t.time = time;
  return t;
}

struct LandingCase {
  double fpm;
  double g;
  int bounces;
  const char* text;
};

class LandingLineTest : public ::testing::TestWithParam<LandingCase> {
 protected:
  void SetUp() override {
    // Without a CR LF, which the field shows as one line break.
    report_.Comment = "Smooth ride.\nGate B4";
  }
  PIREPData report_ = test::sample_pirep();
};

TEST_P(LandingLineTest, ShowsRateGAndBouncesBetweenReportAndChart) {
  const LandingCase c = GetParam();
  const std::int64_t on = std::atoll(report_.On.c_str());
  CPIREPDialog d(report_, false, trackOf(report_), touchdown(c.fpm, c.g, c.bounces, on + 2));
  runModal(d, [&] {
    auto* line = qobject_cast<QLabel*>(d.GetDlgItem(IDC_LANDING));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(GetWindowText(line), c.text);
    // Whole on the screen: as wide as its text, inside the window.
    EXPECT_GE(line->contentsRect().width(), line->fontMetrics().horizontalAdvance(line->text()));
    EXPECT_GE(line->height(), line->fontMetrics().height());
    const QRect inWindow(line->mapTo(d.GetHwnd(), QPoint(0, 0)), line->size());
    EXPECT_TRUE(d.GetHwnd()->rect().contains(inWindow));
    // Under the report, over the chart.
    const QRect report = d.GetDlgItem(IDC_REPORT)->geometry();
    const QRect chart = d.GetDlgItem(IDC_PROFILE)->geometry();
    EXPECT_GE(inWindow.top(), report.bottom());
    EXPECT_LE(inWindow.bottom(), chart.top());
    // The report's text is the report's, the landing line no part of it.
    EXPECT_EQ(GetWindowText(d.GetDlgItem(IDC_REPORT)), joined(report_.Generate_PIREP_Text()));
    // The chart marks the same touchdown.
    auto* profile = d.GetHwnd()->findChild<ProfileChart*>();
    ASSERT_NE(profile, nullptr);
    const auto mark = profile->touchdownMark();
    ASSERT_TRUE(mark.has_value());
    EXPECT_EQ(mark->time, on + 2);
    EXPECT_EQ(mark->text.toStdString(), touchdownRateText(c.fpm).toStdString());
    d.EndDialog(IDOK);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Touchdowns, LandingLineTest,
    ::testing::Values(LandingCase{-229.6, 1.28, 0, "Landing: -229 fpm, 1.28 G, no bounce"},
                      LandingCase{-412.0, 0.0, 1, "Landing: -412 fpm, 1 bounce"},
                      LandingCase{-98.2, 1.054, 2, "Landing: -98 fpm, 1.05 G, 2 bounces"},
                      LandingCase{-61.0, 0.0, 0, "Landing: -61 fpm, no bounce"}));

TEST(LandingLine, ReportFromAFileHasNone) {
  // A report loaded from a file: no track and no touchdown.
  CPIREPDialog d(test::sample_pirep(), true);
  runModal(d, [&] {
    QWidget* line = d.GetDlgItem(IDC_LANDING);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isHidden());
    EXPECT_FALSE(line->isVisible());
    d.EndDialog(IDOK);
  });
}

TEST(LandingLine, FlightWithoutATouchdownHasNoneAndItsChartNoMark) {
  const PIREPData report = test::sample_pirep();
  // The signature callers used before touchdowns: report, saved flag, track and owner.
  QWidget* owner = nullptr;
  CPIREPDialog d(report, true, trackOf(report), owner);
  runModal(d, [&] {
    EXPECT_TRUE(d.GetDlgItem(IDC_LANDING)->isHidden());
    auto* profile = d.GetHwnd()->findChild<ProfileChart*>();
    ASSERT_NE(profile, nullptr);
    EXPECT_FALSE(profile->touchdownMark().has_value());
    d.EndDialog(IDOK);
  });
}

}  // namespace
}  // namespace orvane
