// The ORVANE window program: its command line, one instance per user and per folder, the main
// window, the end.
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/orvane_base.h"
#include "frontend/dialogapp.h"
#include "frontend/importreview.h"
#include "frontend/singleinstance.h"
#include "frontend/startup.h"
#include "util/pilot_folders.h"
#include "frontend/translations.h"
#include "util/working_folder.h"
#ifdef ORVANE_HAVE_KEYCHAIN
#include "keyring/desktopkeyring.h"
#endif

namespace {

// What --help says before the options: where the files are, with the real paths.
std::string aboutText() {
  std::string text =
      "ORVANE tracks your flight in the simulator and reports it to your virtual airline.\n"
      "Settings are made in its window (ORVANE Preferences).\n";
  const auto standard =
      orvane::standard_folders(orvane::native_folder_rules(), orvane::process_environment());
  if (standard) {
    text += "Settings: " + standard->settingsFile() + "\nLog: " + standard->logFile() +
            "\nFlight journal, PIREPs not sent yet (outbox) and the unsaved PIREP (" +
            "lastpirep.ovp): " + standard->data + "\n";
  }
  return text +
         "With --workdir DIR, or an orvane.ini in the folder it starts in, all of its files "
         "are in that one folder.";
}

enum class Start { Window, Done, Refused };

// Reads the command line without a window: --help and --version answer and change nothing,
// an unknown option or a working folder that cannot be used is told on stderr.
Start readCommandLine(int argc, char** argv, bool& workdirGiven) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromStdString(aboutText()));
  const QCommandLineOption help({"h", "help"}, "Shows this help and ends.");
  const QCommandLineOption version({"v", "version"}, "Shows the version and ends.");
  const QCommandLineOption workdir(
      "workdir", "Keeps the settings, the log and the PIREP files in DIR.", "DIR");
  const QCommandLineOption import("import",
                                  "Shows what the airline's settings FILE (orvane.ini or "
                                  ".orvane) changes, to import them.",
                                  "FILE");
  parser.addOptions({help, version, workdir, import});
  if (!parser.parse(args) || !parser.positionalArguments().isEmpty()) {
    const QString why = parser.errorText().isEmpty()
                            ? "Unexpected argument '" + parser.positionalArguments().first() + "'."
                            : parser.errorText();
    std::fprintf(stderr, "orvane: %s\nTry 'orvane --help'.\n", why.toLocal8Bit().constData());
    return Start::Refused;
  }
  if (parser.isSet(help)) {
    // Without an application object the parser does not know the program's name.
    std::fputs(parser.helpText().replace("<executable_name>", "orvane").toLocal8Bit().constData(),
               stdout);
    return Start::Done;
  }
  if (parser.isSet(version)) {
    std::printf("%s\n", orvane::ORVANE::getVersion().c_str());
    return Start::Done;
  }
  // Named from the folder the program starts in, before --workdir moves it.
  if (parser.isSet(import)) {
    orvane::setImportAtStart(QFileInfo(parser.value(import)).absoluteFilePath().toStdString());
  }
  if (parser.isSet(workdir) && !QDir::setCurrent(parser.value(workdir))) {
    std::fprintf(stderr, "orvane: cannot work in '%s': no such folder, or not allowed.\n",
                 parser.value(workdir).toLocal8Bit().constData());
    return Start::Refused;
  }
  workdirGiven = parser.isSet(workdir);
  return Start::Window;
}

}  // namespace

int main(int argc, char** argv) {
  bool workdirGiven = false;
  switch (readCommandLine(argc, argv, workdirGiven)) {
    case Start::Done:
      return 0;
    case Start::Refused:
      return 2;
    case Start::Window:
      break;
  }
  const orvane::FolderRules rules = orvane::native_folder_rules();
  const orvane::Environment env = orvane::process_environment();
  const orvane::PilotFolders folders = orvane::choose_pilot_folders(workdirGiven, rules, env);
  std::string problem;
  if (!orvane::make_pilot_folders(folders, &problem)) {
    std::fprintf(stderr, "orvane: a folder for its files cannot be made: %s\n", problem.c_str());
  }
  orvane::use_pilot_folders(folders);
  orvane::ORVANE::setLogFilePath(folders.logFile());
  // A second window of this user shows the first one and ends. One ORVANE per data folder:
  // a window that finds its folder held (by an orvane-cli, or another user's window) says so
  // and ends before it touches anything there.
  orvane::WorkingFolderLock folder(folders.data);
  orvane::SingleInstance instance("JUSTTOCHECK");
  if (!instance.isFirst()) {
    instance.askFirstToShow();
    if (orvane::importAtStartPending()) {
      std::fprintf(stderr,
                   "orvane: ORVANE is running already: import the file there, with "
                   "ORVANE Preferences, Import airline settings.\n");
    }
    return 0;
  }
  if (folder.taken()) {
    QApplication box(argc, argv);
    orvane::installTranslations();
    orvane::showFolderTaken(folder.message());
    return 1;
  }
  std::vector<std::string> moved;
  if (folder.held()) {
    orvane::keep_previous_log(folders.logFile());
    moved = orvane::move_old_layout(orvane::old_layout_folder(rules, env), folders);
  }
  for (const std::string& line : moved) {
    std::fprintf(stderr, "orvane: %s\n", line.c_str());
    orvane::ORVANE::Log(line);
  }
#ifdef ORVANE_HAVE_KEYCHAIN
  // The pilot's password goes to the desktop keyring when one answers.
  orvane::DesktopKeyring keyring;
  orvane::ORVANE::setPasswordStore(&keyring);
#endif
  orvane::CDialogApp app(argc, argv, &instance);
  const int result = app.MessageLoop();
#ifdef ORVANE_HAVE_KEYCHAIN
  orvane::ORVANE::setPasswordStore(nullptr);
#endif
  return result;
}
