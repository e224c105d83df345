// The ORVANE window program: its command line, one instance per user and per folder, the main
// window, the end.
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStringList>
#include <cstdio>
#include <string>

#include "engine/orvane_base.h"
#include "frontend/dialogapp.h"
#include "frontend/singleinstance.h"
#include "frontend/startup.h"
#include "frontend/translations.h"
#include "util/working_folder.h"

namespace {

const char kAbout[] =
    "ORVANE tracks your flight in the simulator and reports it to your virtual airline.\n"
    "It reads orvane.ini in its working folder (the folder it starts in, or --workdir),\n"
    "writes orvane.log there, and keeps an unsaved PIREP in lastpirep.ovp. Settings are\n"
    "made in its window (ORVANE Preferences).";

enum class Start { Window, Done, Refused };

// Reads the command line without a window: --help and --version answer and change nothing,
// an unknown option or a working folder that cannot be used is told on stderr.
Start readCommandLine(int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kAbout));
  const QCommandLineOption help({"h", "help"}, "Shows this help and ends.");
  const QCommandLineOption version({"v", "version"}, "Shows the version and ends.");
  const QCommandLineOption workdir("workdir", "Uses DIR as the working folder.", "DIR");
  parser.addOptions({help, version, workdir});
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
  if (parser.isSet(workdir) && !QDir::setCurrent(parser.value(workdir))) {
    std::fprintf(stderr, "orvane: cannot work in '%s': no such folder, or not allowed.\n",
                 parser.value(workdir).toLocal8Bit().constData());
    return Start::Refused;
  }
  return Start::Window;
}

}  // namespace

int main(int argc, char** argv) {
  switch (readCommandLine(argc, argv)) {
    case Start::Done:
      return 0;
    case Start::Refused:
      return 2;
    case Start::Window:
      break;
  }
  // A second window of this user shows the first one and ends. One ORVANE per working
  // folder: a window that finds its folder held (by an orvane-cli, or another user's window)
  // says so and ends before it touches anything there.
  orvane::WorkingFolderLock folder(".");
  orvane::SingleInstance instance("JUSTTOCHECK");
  if (!instance.isFirst()) {
    instance.askFirstToShow();
    return 0;
  }
  if (folder.taken()) {
    QApplication box(argc, argv);
    orvane::installTranslations();
    orvane::showFolderTaken(folder.message());
    return 1;
  }
  if (folder.held()) orvane::keep_previous_log(orvane::ORVANE::getLogFilePath());
  orvane::CDialogApp app(argc, argv, &instance);
  return app.MessageLoop();
}
