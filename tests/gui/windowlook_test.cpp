// The main window as the screen and the system's language make it: on a small screen at a
// large scale Quit stays in view and View PIREP scrolls into view; the system's language
// gives the window's texts. Each test runs in a program of its own, with the screen or
// language its name says set up in the environment (tests/gui/CMakeLists.txt).
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frontend/translations.h"
#include "mainwindow_fixture.h"

namespace orvane {
namespace {

using test::MainWindowTest;

QRect globalRect(const QWidget* w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }

std::string describe(const QRect& r) {
  char text[80];
  std::snprintf(text, sizeof text, "%dx%d at %d,%d", r.width(), r.height(), r.x(), r.y());
  return text;
}

class WindowFitTest : public MainWindowTest {};

// ORVANE_TEST_SCREEN "1366x768@1.25": the screen in pixels and QT_SCALE_FACTOR.
TEST_F(WindowFitTest, QuitAndViewPIREPAreReachable) {
  const char* screenName = std::getenv("ORVANE_TEST_SCREEN");
  ASSERT_NE(screenName, nullptr) << "run through ctest: it sets the screen";
  int width = 0;
  int height = 0;
  double scale = 0;
  ASSERT_EQ(std::sscanf(screenName, "%dx%d@%lf", &width, &height, &scale), 3) << screenName;
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  // The screen is the one asked for, in the window's (scaled) pixels.
  EXPECT_NEAR(screen->geometry().width(), width / scale, 1.0);
  EXPECT_NEAR(screen->geometry().height(), height / scale, 1.0);
  const QRect area = screen->availableGeometry();
  runWindow([&] {
    QWidget* window = w().GetHwnd();
    EXPECT_TRUE(area.contains(window->frameGeometry()))
        << "window " << describe(window->frameGeometry()) << " on " << describe(area);
    QWidget* quit = w().GetDlgItem(IDOK);
    ASSERT_NE(quit, nullptr);
    EXPECT_TRUE(quit->isVisible());
    EXPECT_TRUE(area.contains(globalRect(quit)))
        << "Quit " << describe(globalRect(quit)) << " on " << describe(area);
    // View PIREP is in the part that scrolls: scrolled to, it is on the screen and in view.
    auto* scroll = window->findChild<QScrollArea*>(QStringLiteral("mainScroll"));
    ASSERT_NE(scroll, nullptr);
    QWidget* view = w().GetDlgItem(IDC_VIEWPIREP);
    ASSERT_NE(view, nullptr);
    scroll->ensureWidgetVisible(view);
    QTest::qWait(1);
    const QRect shown = globalRect(scroll->viewport());
    EXPECT_TRUE(shown.contains(globalRect(view)))
        << "View PIREP " << describe(globalRect(view)) << " in " << describe(shown);
    EXPECT_TRUE(area.contains(globalRect(view)));
    shot(std::string("window-") + screenName);
    escape();
  });
}

class WindowLanguageTest : public MainWindowTest {};

// ORVANE_TEST_LANGUAGE "de" or "es", with LANG set to that language's locale.
TEST_F(WindowLanguageTest, TheSystemLanguageGivesTheWindowsTexts) {
  const char* language = std::getenv("ORVANE_TEST_LANGUAGE");
  ASSERT_NE(language, nullptr) << "run through ctest: it sets LANG";
  ASSERT_EQ(installTranslations().toStdString(), language) << "LANG=" << std::getenv("LANG");
  const bool german = std::string(language) == "de";
  runWindow([&] {
    EXPECT_EQ(field(IDC_GETFD), german ? "ACARS-Flugdaten abrufen" : "Obtener datos ACARS");
    EXPECT_EQ(field(IDC_VIEWPIREP), german ? "PIREP anzeigen" : "Revisar PIREP");
    EXPECT_EQ(field(IDC_NEWFLIGHT), german ? "Neuer Flug" : "Nuevo vuelo");
    EXPECT_EQ(field(IDOK), german ? "Beenden" : "Salir");
    EXPECT_EQ(field(IDC_OPTIONS), german ? "ORVANE-Einstellungen" : "Preferencias de ORVANE");
    const std::string welcome =
        german ? "Willkommen bei ORVANE!\n" : "\u00A1Bienvenido a ORVANE!\n";
    EXPECT_EQ(message().rfind(welcome, 0), 0u) << message();
    typeFlightData();
    step();
    EXPECT_EQ(field(IDC_STARTACARS), german ? "ACARS starten" : "Iniciar ACARS");
    EXPECT_EQ(field(IDC_STATUS_SIM), german ? "Simulator verbunden" : "Simulador conectado");
    shot(std::string("window-") + language);
    escape();
  });
  // The log keeps its English lines.
  EXPECT_NE(test::read_file(dir_.file("orvane.log")).find("Finished Init stage."),
            std::string::npos);
}

}  // namespace
}  // namespace orvane
